#pragma once
// What tests that run the program itself may ask of it, through the
// environment; built only into the test build, never into the program a
// shop runs.
//   TARVI_TEST_INSTANCE_KEY  the one-copy marker, so that a test never
//                            reaches a copy a person is running;
//   TARVI_TEST_EMBEDDED      "1": the embedded engine opens the database even
//                            when a local server runs (which could not read
//                            a test's private folder);
//   TARVI_TEST_LOGIN         "name" or "name<TAB>password": logs in as that
//                            user once the login window is up, and prints
//                            "logged in" on stdout when the main screen has
//                            taken over.
#include "core/Startup.h"

#include <functional>

namespace app {
void applyTestHooks(core::StartupOptions& options, std::function<void()>& createWindows);
}
