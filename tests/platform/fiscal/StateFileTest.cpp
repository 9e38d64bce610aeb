// The register's state file: a damaged one keeps the register disconnected
// and is never replaced behind anybody's back, and a write cut by a kill
// leaves the previous state whole and no temporary file behind.
#include "EmulatorFixture.h"

#include "platform/fiscal/AtomicFile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace fiscal::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(RegisterStateFile, DamagedFileKeepsTheRegisterDisconnectedAndUntouched) {
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"cut short", "{ \"serialNumber\": \"00106702\", \"shiftOpen\": tr"},
        {"empty", ""},
        {"not an object", "[1, 2, 3]"},
        {"no serial number", "{ \"shiftOpen\": true, \"shiftNumber\": 4 }"},
        {"binary garbage", QByteArray("\x00\xff\x13\x37 {", 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedRegister r;
        ASSERT_EQ(r.openShift(), 0);
        ASSERT_EQ(r.sell(QStringLiteral("30.00")), 0);
        const RegisterState good = r.kkt->state();
        const QString path = r.kkt->statePath();
        const QByteArray goodBytes = readAll(path);
        r.kkt.reset();
        writeAll(path, c.bytes);

        RegisterEmulator kkt(r.dir.path());
        EXPECT_EQ(kkt.open(), -1);
        EXPECT_EQ(kkt.errorCode(), LIBFPTR_ERROR_CONNECTION_DISABLED);
        EXPECT_TRUE(kkt.errorDescription().contains(QDir::toNativeSeparators(path)))
            << kkt.errorDescription().toStdString();
        EXPECT_EQ(kkt.fault(), kkt.errorDescription());
        // Nothing works and nothing is written while the file is damaged.
        kkt.setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
        EXPECT_EQ(kkt.queryData(), -1);
        kkt.setParam(tag::CashierName, "Кассир Иванова");
        EXPECT_EQ(kkt.operatorLogin(), -1);
        EXPECT_EQ(kkt.openShift(), -1);
        EXPECT_EQ(kkt.open(), -1);
        EXPECT_EQ(readAll(path), c.bytes);
        EXPECT_EQ(filesIn(r.dir.path()), (QStringList{RegisterEmulator::kStateFileName, RegisterEmulator::kTapeFileName}));

        // Someone puts the good copy back: the same register connects with
        // its own numbering, without a restart of the program.
        writeAll(path, goodBytes);
        ASSERT_EQ(kkt.open(), 0) << kkt.errorDescription().toStdString();
        EXPECT_TRUE(kkt.fault().isEmpty());
        EXPECT_EQ(kkt.state().serialNumber, good.serialNumber);
        EXPECT_EQ(kkt.state().lastDocument.number, good.lastDocument.number);
        EXPECT_TRUE(kkt.state().shiftOpen);
    }
}

TEST(RegisterStateFile, RemovingTheDamagedFileMakesANewRegister) {
    EmulatedRegister r;
    const QString serial = r.kkt->state().serialNumber;
    const QString path = r.kkt->statePath();
    r.kkt.reset();
    writeAll(path, "{ broken");
    RegisterEmulator kkt(r.dir.path());
    ASSERT_EQ(kkt.open(), -1);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(kkt.open(), 0) << kkt.errorDescription().toStdString();
    EXPECT_FALSE(kkt.state().serialNumber.isEmpty());
    EXPECT_NE(kkt.state().serialNumber, serial);
    EXPECT_TRUE(readStateFile(path).status == StateFile::Status::Loaded);
}

TEST(RegisterStateFile, TemporaryLeftByAKillIsRemovedAtStart) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(RegisterEmulator::kStateFileName);
    writeAll(temporaryPathFor(path), "{ \"serialNumber\": \"1");
    RegisterEmulator kkt(dir.path());
    EXPECT_EQ(kkt.open(), 0);
    EXPECT_FALSE(QFile::exists(temporaryPathFor(path)));
    EXPECT_EQ(readStateFile(path).status, StateFile::Status::Loaded);
}

#ifdef REGISTER_STATE_WRITER
// A process registering positions as fast as it can is killed again and again
// at random moments; every time the next start finds a whole state that never
// loses what an earlier round had written, and no temporary file stays behind.
TEST(RegisterStateFile, SurvivesAKillInTheMiddleOfWriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(RegisterEmulator::kStateFileName);
    qsizetype positionsBefore = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        QProcess writer;
        writer.start(QStringLiteral(REGISTER_STATE_WRITER), {dir.path()});
        ASSERT_TRUE(writer.waitForStarted(5000));
        ASSERT_TRUE(writer.waitForReadyRead(10000)) << writer.readAllStandardError().toStdString();
        ASSERT_EQ(writer.readAllStandardOutput().trimmed(), "ready");
        QThread::msleep(30 + QRandomGenerator::global()->bounded(150));
        ASSERT_EQ(::kill(static_cast<pid_t>(writer.processId()), SIGKILL), 0);
        ASSERT_TRUE(writer.waitForFinished(5000));
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);

        const StateFile file = readStateFile(path);
        ASSERT_EQ(file.status, StateFile::Status::Loaded) << file.error.toStdString();
        ASSERT_TRUE(file.state.receipt.has_value());

        // The next start finds the register as it was, every position whole,
        // and takes the log into the state file.
        RegisterEmulator kkt(dir.path());
        ASSERT_EQ(kkt.open(), 0) << kkt.errorDescription().toStdString();
        ASSERT_TRUE(kkt.state().receipt.has_value());
        const qsizetype positions = kkt.state().receipt->positions.size();
        EXPECT_GE(positions, positionsBefore);
        EXPECT_EQ(kkt.state().receipt->total(), 100 * positions);
        positionsBefore = positions;
        EXPECT_EQ(readStateFile(path).state.receipt->positions.size(), positions);
        EXPECT_EQ(filesIn(dir.path()), (QStringList{RegisterEmulator::kStateFileName, RegisterEmulator::kTapeFileName}));
    }
    EXPECT_GT(positionsBefore, 0);
}
#endif

}  // namespace
}  // namespace fiscal::test
