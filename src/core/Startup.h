#pragma once
#include <QString>

#include <functional>

class QApplication;

namespace core {

inline const QString kApplicationTitle = QStringLiteral("ТАРВИ-А 2.12.0.1");

enum class StartupDecision { ActivateOtherAndExit, EngineMissingAndExit, Continue };
StartupDecision decideStartup(bool otherInstanceRunning, bool engineExists);

// What a second start asks of the copy already running: its visible window
// comes to the front.
void bringRunningCopyForward();

// The program's start: one copy only, the database engine must exist, the
// title, the login window (which connects and lists the users), then the
// other long-lived windows made by `createWindows`, then the event loop
// until the login window is closed. Returns the exit code.
int runStartup(QApplication& app, const std::function<void()>& createWindows);

}  // namespace core
