// The program's entry: everything else starts in core::runStartup.
#include "archive/ArchiveWindows.h"
#include "core/Startup.h"
#include "sales/screen/ProgramWindows.h"

#include <QApplication>

#ifdef TARVI_TEST_HOOKS
#include "TestHooks.h"
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    core::StartupOptions options;
    sales::addProgramWindowsExtension(archive::installArchiveWindows);
    std::function<void()> createWindows = sales::createProgramWindows;
#ifdef TARVI_TEST_HOOKS
    app::applyTestHooks(options, createWindows);
#endif
    return core::runStartup(app, createWindows, options);
}
