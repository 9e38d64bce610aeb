// A printed receipt is stored exactly once whatever happens to the process:
// a helper prints a receipt on the register emulator with a fresh database
// and is killed with SIGKILL at a chosen step; the next login, on the same
// program folder, settles the print journal.
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/PrintSettle.h"
#include "support/UpgradedDbFixture.h"

#include "PrintJobSample.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace sales;

namespace {

class PrintKillTest : public ::testing::Test {
protected:
    // A program folder with a fresh database, two goods and an open shift.
    void prepareFolder() {
        dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir->isValid());
        ASSERT_TRUE(QDir(dir->path()).mkpath("DB"));
        ASSERT_TRUE(QFile::copy(testsupport::upgradedTemplateDatabase(), databasePath()));
        QFile::setPermissions(databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            fb::Connection db(params());
            db.attach();
            fb::Transaction tr(db);
            tr.executeImmediate(
                "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_COUNT) "
                "VALUES (11, 'Хлеб', '50.00', 'нет', '10')");
            tr.executeImmediate(
                "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_COUNT) "
                "VALUES (12, 'Сыр', '200.00', 'да', '5.000')");
            tr.commit();
        }
        fiscal::RegisterEmulator kkt(dir->path());
        ASSERT_EQ(kkt.open(), 0);
        kkt.setParam(fiscal::tag::CashierName, "Иванова А.А.");
        ASSERT_EQ(kkt.operatorLogin(), 0);
        ASSERT_EQ(kkt.openShift(), 0);
    }

    QString databasePath() const { return QDir(dir->path()).filePath("DB/TARVI_BASE.FDB"); }
    fb::ConnectionParams params() const {
        fb::ConnectionParams p;
        p.database = databasePath();
        return p;
    }

    // Runs the helper to the step named; true when it was killed there.
    bool printAndDie(const QString& stage) {
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedChannels);
        helper.setProcessEnvironment(helperEnvironment());
        helper.start(QStringLiteral(PRINT_AND_DIE), {dir->path(), stage});
        if (!helper.waitForFinished(60000)) {
            helper.kill();
            helper.waitForFinished();
            return false;
        }
        return helper.exitStatus() == QProcess::CrashExit;
    }

    // The embedded engine shares its lock tables between processes in one
    // folder; a process killed mid-call may leave them held. The helper gets
    // a folder of its own, so that its kills can hold up nobody else.
    QProcessEnvironment helperEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString locks = QDir(dir->path()).filePath("engine-locks");
        QDir().mkpath(locks);
        env.insert("FIREBIRD_LOCK", locks);
        return env;
    }

    // The next start: a new register object on the state file, a new
    // attachment, and the login's settling of the journal.
    SettleResult login() {
        fiscal::RegisterEmulator kkt(dir->path());
        fb::Connection db(params());
        db.attach();
        return settleAtLogin(dir->path(), &kkt, &db);
    }

    fiscal::RegisterState registerState() const { return fiscal::RegisterEmulator(dir->path()).state(); }

    struct Stored {
        int documents = 0;
        qint64 number = 0;
        QString fiscalSign;
        QString bread;
        QString cheese;
    };
    Stored stored() {
        fb::Connection db(params());
        db.attach();
        fb::Transaction tr(db);
        Stored s;
        const auto docs = fb::query(tr, "SELECT DOC_NUMBER, DOC_FPD FROM DOCUMENTS");
        s.documents = static_cast<int>(docs.size());
        if (!docs.empty()) {
            s.number = docs[0].integer("DOC_NUMBER");
            s.fiscalSign = docs[0].str("DOC_FPD");
        }
        s.bread = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 11")->str("GOOD_COUNT");
        s.cheese = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 12")->str("GOOD_COUNT");
        return s;
    }

    std::unique_ptr<QTemporaryDir> dir;
};

TEST_F(PrintKillTest, KilledPrintIsStoredExactlyOnceAndNeverPrintedTwice) {
    struct Case {
        const char* stage;
        bool fiscalised;        // the register printed the receipt before the kill
        int storedBeforeLogin;  // DOCUMENTS rows the killed run committed
    };
    const Case cases[] = {
        {"after-close", true, 0},
        {"before-close", false, 0},
        {"after-commit", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        prepareFolder();
        ASSERT_FALSE(HasFatalFailure());

        ASSERT_TRUE(printAndDie(c.stage)) << "the helper was not killed";
        EXPECT_EQ(registerState().totals.sell, c.fiscalised ? 16900 : 0);
        EXPECT_EQ(registerState().receipt.has_value(), !c.fiscalised);
        EXPECT_EQ(stored().documents, c.storedBeforeLogin);
        // Whatever the kill left, the journal knows of the receipt.
        EXPECT_FALSE(PrintJournal(dir->path()).isEmpty());

        const SettleResult first = login();
        EXPECT_FALSE(first.blocked());
        EXPECT_TRUE(PrintJournal(dir->path()).isEmpty());
        EXPECT_FALSE(registerState().receipt.has_value());  // nothing left open in the register

        // A second start changes nothing.
        const SettleResult second = login();
        EXPECT_TRUE(second.stored.isEmpty());
        EXPECT_TRUE(settleMessage(second).isEmpty()) << settleMessage(second).toStdString();

        const fiscal::RegisterState reg = registerState();
        const Stored s = stored();
        if (c.fiscalised) {
            ASSERT_EQ(s.documents, 1);
            EXPECT_EQ(s.number, reg.lastDocument.number);
            EXPECT_EQ(s.fiscalSign, reg.lastDocument.fiscalSign);
            EXPECT_EQ(s.bread, "8");
            EXPECT_EQ(s.cheese, "4.650");
            EXPECT_EQ(reg.totals.sell, 16900);
        } else {
            EXPECT_EQ(s.documents, 0);
            EXPECT_EQ(s.bread, "10");
            EXPECT_EQ(reg.totals.sell, 0);
            EXPECT_EQ(reg.totals.receipts, 0);
            // The cashier prints the sale again: it prints once and is stored once.
            QProcess again;
            again.setProcessEnvironment(helperEnvironment());
            again.start(QStringLiteral(PRINT_AND_DIE), {dir->path(), "none"});
            ASSERT_TRUE(again.waitForFinished(60000));
            EXPECT_EQ(again.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(again.exitCode(), 0);
            EXPECT_EQ(registerState().totals.sell, 16900);
            EXPECT_EQ(stored().documents, 1);
            EXPECT_TRUE(PrintJournal(dir->path()).isEmpty());
        }
    }
}

}  // namespace
