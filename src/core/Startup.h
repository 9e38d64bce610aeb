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

// A program folder where nothing can be written: no database can be made
// there, nor any file the program keeps.
inline const QString kProgramFolderReadOnly = QStringLiteral(
    " Папка программы недоступна для записи:     \r\n %1     \r\n\r\n"
    " Программа не может создать в ней базу данных и свои файлы.     \r\n"
    " Разрешите запись в эту папку или установите программу в другую.     ");

// The same folder when the database is there already: the engine would only
// say it cannot open the file, in its own words.
inline const QString kProgramFolderNotWritable = QStringLiteral(
    " Папка программы недоступна для записи:     \r\n %1     \r\n\r\n"
    " Программа не может работать с базой данных в этой папке     \r\n"
    " и сохранять в ней журнал печати чеков и свои файлы.     \r\n"
    " Разрешите запись в эту папку.     ");

// True when a file can be made in the folder (made first when missing).
bool folderWritable(const QString& folder);
// What the cashier is told of a program folder (shown as `folder`) where
// nothing can be written; empty when it can be.
QString programFolderRefusal(const QString& folder, bool databaseExists, bool writable);

// Qt's own Russian texts for the dialogs, buttons and context menus Qt
// draws itself (a file dialog, an edit field's menu). False when Qt's
// translations are not installed: those texts then stay English.
bool installQtTranslation(QApplication& app);

struct StartupOptions {
    // The one-copy marker. Tests give one of their own so that they never
    // reach a copy of the program that a person is running.
    QString instanceKey;
};

// The program's start: Qt's Russian texts, one copy only, the database engine must exist, the
// program folder must take the database at the first start, the title, the
// login window (which connects and lists the users), then the other
// long-lived windows made by `createWindows`, then the event loop until the
// login window is closed or the program is told to end (SIGTERM, SIGINT,
// SIGHUP). Returns the exit code.
int runStartup(QApplication& app, const std::function<void()>& createWindows, const StartupOptions& options = {});

}  // namespace core
