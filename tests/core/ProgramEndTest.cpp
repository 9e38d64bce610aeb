// The program itself, run as a shop runs it, is told to end by the system
// (a session logout, `kill`, Ctrl+C): it must end at once and cleanly,
// with the register's state and the database as the session left them.
#include "platform/db/Connection.h"
#include "platform/db/Metadata.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ProgramEnd, SignalAtTheMainScreenEndsTheProgramWithinTwoSecondsWithNothingLost) {
    struct Case {
        const char* what;
        int signal;
    };
    const Case cases[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The program's folder is the folder of its executable.
        QTemporaryDir dir;
        const QString program = QDir(dir.path()).filePath(QStringLiteral("tarvi"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARVI_EXECUTABLE), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);

        QProcess tarvi;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TARVI_TEST_INSTANCE_KEY"), QUuid::createUuid().toString());
        env.insert(QStringLiteral("TARVI_TEST_LOGIN"), QStringLiteral("VOTAR"));
        env.insert(QStringLiteral("TARVI_TEST_EMBEDDED"), QStringLiteral("1"));
        tarvi.setProcessEnvironment(env);
        tarvi.setWorkingDirectory(dir.path());
        tarvi.setProcessChannelMode(QProcess::SeparateChannels);
        tarvi.start(program, {});
        ASSERT_TRUE(tarvi.waitForStarted(10000));
        QByteArray out;
        QElapsedTimer startup;
        startup.start();
        while (!out.contains("logged in") && startup.elapsed() < 120000 && tarvi.state() == QProcess::Running) {
            tarvi.waitForReadyRead(500);
            out += tarvi.readAllStandardOutput();
        }
        if (!out.contains("logged in")) {
            tarvi.kill();
            tarvi.waitForFinished(10000);
            FAIL() << "the program never reached the main screen: " << tarvi.readAllStandardError().toStdString();
        }
        const QString statePath = QDir(dir.path()).filePath(QStringLiteral("fiscal_register.json"));
        const QByteArray stateBefore = readAll(statePath);
        ASSERT_FALSE(stateBefore.isEmpty()) << "the register keeps no state";

        ::kill(static_cast<pid_t>(tarvi.processId()), c.signal);
        QElapsedTimer ending;
        ending.start();
        const bool ended = tarvi.waitForFinished(2000);
        const qint64 took = ending.elapsed();
        if (!ended) {
            tarvi.kill();
            tarvi.waitForFinished(10000);
        }
        ASSERT_TRUE(ended) << "still running 2 seconds after " << c.what;
        EXPECT_LE(took, 2000);
        EXPECT_EQ(tarvi.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tarvi.exitCode(), 0);

        // The register's state as the session left it, whole.
        const QByteArray stateAfter = readAll(statePath);
        EXPECT_EQ(stateAfter, stateBefore);
        const QJsonDocument state = QJsonDocument::fromJson(stateAfter);
        EXPECT_FALSE(state.object().value(QStringLiteral("serialNumber")).toString().isEmpty());
        // No file half written next to it.
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : left)
            EXPECT_TRUE(name == QLatin1String("tarvi") || name == QLatin1String("fiscal_register.json") ||
                        name == QLatin1String("tape.txt"))
                << "left behind: " << name.toStdString();
        EXPECT_EQ(QDir(dir.path() + QStringLiteral("/DB")).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("TARVI_BASE.FDB")});

        // The database is free for the next start and holds what the
        // session committed: the schema brought up to date at login.
        fb::ConnectionParams p;
        p.database = QDir(dir.path()).filePath(QStringLiteral("DB/TARVI_BASE.FDB"));
        fb::Connection next(p);
        ASSERT_NO_THROW(next.attach());
        fb::Transaction tr(next);
        EXPECT_TRUE(fb::meta::tableExists(tr, QStringLiteral("OPTIONS")));
        EXPECT_TRUE(fb::meta::generatorExists(tr, QStringLiteral("GEN_RECORD_ID")));
        EXPECT_TRUE(fb::meta::procedureExists(tr, QStringLiteral("DOC_WRITE")));
        tr.commit();
    }
}

}  // namespace
