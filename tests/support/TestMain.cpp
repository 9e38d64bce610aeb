// Every test executable runs inside a QApplication on the offscreen platform,
// so widgets, timers and event loops behave as in the program.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // The embedded engine keeps its lock tables in one folder shared by every
    // process on the machine. Each test process gets a folder of its own: tests
    // never share a database, and a process that dies holding the engine's
    // shared mutex (the kill tests do that on purpose) cannot hang the others.
    QTemporaryDir lockFolder(QDir::tempPath() + QStringLiteral("/tarvi-fblock-XXXXXX"));
    if (qgetenv("FIREBIRD_LOCK").isEmpty() && lockFolder.isValid())
        qputenv("FIREBIRD_LOCK", QFile::encodeName(lockFolder.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
