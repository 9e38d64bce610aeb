// The fresh database appears whole or not at all: a failing statement or a
// killed process leaves no half-made TARVI_BASE.FDB, and the next start
// creates it as if nothing had happened.
#include "core/FreshDatabase.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

QString databaseIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).filePath(QStringLiteral("DB/TARVI_BASE.FDB"));
}

fb::ConnectionParams paramsFor(const QString& file) {
    fb::ConnectionParams p;
    p.database = file;
    return p;
}

// What the next start does with the folder: a whole database with its tables.
void expectTheNextStartCreatesIt(const QString& file) {
    fb::Connection next(paramsFor(file));
    ASSERT_NO_THROW(core::openOrCreateDatabase(next, file));
    EXPECT_TRUE(next.isConnected());
    fb::Transaction tr(next);
    EXPECT_TRUE(fb::meta::tableExists(tr, QStringLiteral("GOODS")));
    EXPECT_TRUE(fb::meta::procedureExists(tr, QStringLiteral("USERS_IO_PROC")));
    tr.commit();
    EXPECT_FALSE(QFileInfo::exists(core::freshDatabaseBuildPath(file)));
}

TEST(FreshDatabase, FailingStatementLeavesNoDatabaseAndTheNextStartCreatesIt) {
    QTemporaryDir dir;
    const QString file = databaseIn(dir);
    QStringList scripts = core::freshDatabaseScripts();
    // The last statement fails: GOODS exists by then.
    scripts << QStringLiteral("CREATE TABLE GOODS (GOOD_ID INTEGER);");
    fb::Connection c(paramsFor(file));
    EXPECT_THROW(core::createFreshDatabase(c, file, scripts), fb::Error);
    EXPECT_FALSE(c.isConnected());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(core::freshDatabaseBuildPath(file)));
    EXPECT_EQ(c.params().database, file);
    expectTheNextStartCreatesIt(file);
}

// Runs the helper to its end (killed when it hangs) and gives its exit code.
int runHelper(const QStringList& arguments) {
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedChannels);
    helper.start(QStringLiteral(CREATE_DATABASE_HELPER), arguments);
    if (!helper.waitForStarted(10000)) return -1;
    if (!helper.waitForFinished(60000)) {
        ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
        helper.waitForFinished(10000);
        return -2;
    }
    return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -3;
}

TEST(FreshDatabase, CreationKilledMidWayLeavesNoDatabaseAndTheNextStartCreatesIt) {
    // Killed as soon as the creation has begun, and later, when every
    // delivered statement has run and only the last one is still going.
    // Each start is a process of its own, as the program's starts are.
    for (const int delayMs : {0, 1500}) {
        SCOPED_TRACE(delayMs);
        QTemporaryDir dir;
        const QString file = databaseIn(dir);
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.start(QStringLiteral(CREATE_DATABASE_HELPER), {dir.path(), QStringLiteral("slow")});
        ASSERT_TRUE(helper.waitForStarted(10000));
        const auto underWay = [&] {
            return QFileInfo::exists(core::freshDatabaseBuildPath(file)) || QFileInfo::exists(file);
        };
        QElapsedTimer waited;
        waited.start();
        while (!underWay() && waited.elapsed() < 30000 && helper.state() == QProcess::Running) QThread::msleep(2);
        ASSERT_TRUE(underWay()) << "the creation never started";
        QThread::msleep(delayMs);
        ASSERT_EQ(helper.state(), QProcess::Running) << "the creation ended before it could be killed";
        ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
        ASSERT_TRUE(helper.waitForFinished(10000));
        EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

        EXPECT_FALSE(QFileInfo::exists(file)) << "a half-made database took the program's place";
        EXPECT_EQ(runHelper({dir.path()}), 0) << "the next start did not get a whole database";
        EXPECT_TRUE(QFileInfo::exists(file));
        EXPECT_FALSE(QFileInfo::exists(core::freshDatabaseBuildPath(file)));
    }
}

}  // namespace
