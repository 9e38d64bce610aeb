#include "Startup.h"
#include "WorkingList.h"

#include "MainScreenPort.h"
#include "uAuthor.h"

#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/sys/QuitSignals.h"
#include "platform/sys/SingleInstance.h"
#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QTranslator>
#include <QWidget>

namespace core {

StartupDecision decideStartup(bool otherInstanceRunning, bool engineExists) {
    if (otherInstanceRunning) return StartupDecision::ActivateOtherAndExit;
    if (!engineExists) return StartupDecision::EngineMissingAndExit;
    return StartupDecision::Continue;
}

// The copy already running comes forward with what the cashier sees: the
// login window when it is shown, otherwise the main screen or the dialog on
// top of it. A hidden login window is never shown over a running session.
void bringRunningCopyForward() {
    QWidget* target = QApplication::activeModalWidget();
    if (!target && fmAuthor && fmAuthor->isVisible()) target = fmAuthor;
    if (!target) {
        // The login window is hidden: a session runs on the main screen.
        auto* screen = dynamic_cast<QWidget*>(mainScreen());
        if (screen && screen->isVisible()) target = screen;
    }
    if (!target) return;
    target->setWindowState((target->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    target->raise();
    target->activateWindow();
}

bool folderWritable(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
}

QString programFolderRefusal(const QString& folder, bool databaseExists, bool writable) {
    if (writable) return {};
    return (databaseExists ? kProgramFolderNotWritable : kProgramFolderReadOnly).arg(QDir::toNativeSeparators(folder));
}

bool installQtTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

int runStartup(QApplication& app, const std::function<void()>& createWindows, const StartupOptions& options) {
    // Before any window, the first error message included.
    installQtTranslation(app);
    const QString key = options.instanceKey.isEmpty() ? sys::SingleInstance::defaultKey() : options.instanceKey;
    auto* instance = new sys::SingleInstance(key, &app);
    const bool primary = instance->tryBecomePrimary();
    const StartupDecision d = decideStartup(!primary, primary && sys::dbEngine().exists());
    if (d == StartupDecision::ActivateOtherAndExit) return 0;
    if (d == StartupDecision::EngineMissingAndExit) {
        ui::showError(kEngineMissingBeforeWindows);
        return 1;
    }
    // The first start makes the database in the program folder; a folder
    // that takes no files is said so now rather than as an engine error.
    const QString dbFolder = QFileInfo(sys::databasePath()).absolutePath();
    const bool databaseExists = QFileInfo::exists(sys::databasePath());
    const bool writable = folderWritable(dbFolder) && folderWritable(sys::programFolder()) &&
                          (!databaseExists || QFileInfo(sys::databasePath()).isWritable());
    if (const QString refusal = programFolderRefusal(sys::programFolder(), databaseExists, writable);
        !refusal.isEmpty()) {
        ui::showError(refusal);
        return 1;
    }
    QApplication::setApplicationDisplayName(kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(false);

    // Before the first attachment, so that the engine's own handlers pass
    // the signals on to ours.
    auto* quitSignals = new sys::QuitSignals(&app);
    QObject::connect(quitSignals, &sys::QuitSignals::quitRequested, &app, [] { QCoreApplication::exit(0); });

    auto* login = new TfmAuthor;
    QObject::connect(login, &TfmAuthor::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(instance, &sys::SingleInstance::activationRequested, &app, bringRunningCopyForward);
    if (!login->FormCreate()) {
        delete login;
        return 1;
    }
    if (createWindows) createWindows();
    login->show();
    const int code = app.exec();
    // The data module goes with the login window and detaches the main
    // connection; the engine closes what other windows still hold when the
    // process ends.
    delete login;
    // A working list still being emptied keeps its attachment until done.
    waitForWorkingList();
    return code;
}

}  // namespace core
