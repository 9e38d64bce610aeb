// Settling the print journal at login: what the register printed is stored
// exactly once, what it did not print is dropped, what it cannot tell stays;
// and what an older version kept in its own files is taken up once.
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/PrintSettle.h"
#include "support/UpgradedDbFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace sales;

namespace {

PrintJob breadSale(const QString& goodId) {
    PrintJob job;
    job.cashierName = QStringLiteral("Иванова");
    job.kind = 1;
    job.paymentFlag = 4;
    job.taxSystemCode = 2;
    job.lines << QStringList{goodId, "Хлеб", "1", "50.00", "50.00", "2", "", "", "", "0",
                             "",     "",     "0", "",      "1",     "0", "", "", ""};
    job.total = Money::fromKopecks(10000);
    job.totalText = QStringLiteral("100.00");
    job.cash = Money::fromKopecks(10000);
    return job;
}

FiscalDocumentInfo document(int number, const QString& sign = QStringLiteral("1234567890")) {
    FiscalDocumentInfo d;
    d.number = number;
    d.fiscalSign = sign;
    d.dateTime = QDateTime(QDate(2026, 12, 1), QTime(10, 15));
    d.read = true;
    return d;
}

JournalRecord printedRecord(const QString& id, const FiscalDocumentInfo& doc) {
    JournalRecord r;
    r.id = id;
    r.job = breadSale("11");
    r.closed = true;
    r.documentBefore = doc.number - 1;
    r.document = doc;
    return r;
}

void writeJson(const QString& path, const QJsonObject& o) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(o).toJson());
}

class PendingReceipts : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_COUNT) VALUES (11, 'Хлеб', '50.00', "
            "'нет', '10')");
        kkt = std::make_unique<fiscal::RegisterEmulator>(programFolder());
        ASSERT_EQ(kkt->open(), 0);
        kkt->setParam(fiscal::tag::CashierName, "Иванова");
        ASSERT_EQ(kkt->operatorLogin(), 0);
        ASSERT_EQ(kkt->openShift(), 0);
    }

    int documentCount() {
        fb::Transaction tr(db());
        return static_cast<int>(fb::toInt64(fb::queryOne(tr, "SELECT COUNT(*) FROM DOCUMENTS")->at(0)).value_or(-1));
    }
    QString bread() {
        fb::Transaction tr(db());
        return fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 11")->str("GOOD_COUNT");
    }
    SettleResult login() { return settleAtLogin(programFolder(), kkt.get(), &db()); }
    PrintJournal journal() const { return PrintJournal(programFolder()); }

public:
    // Prints `job` on the register as if the program had, leaving the
    // register's last document to be it.
    void printOnRegister(const PrintJob& job) {
        kkt->setParam(fiscal::LIBFPTR_PARAM_RECEIPT_TYPE, fiscal::LIBFPTR_RT_SELL);
        ASSERT_EQ(kkt->openReceipt(), 0);
        kkt->setParam(fiscal::LIBFPTR_PARAM_COMMODITY_NAME, job.lines[0][1]);
        kkt->setParam(fiscal::LIBFPTR_PARAM_PRICE, job.lines[0][4]);
        kkt->setParam(fiscal::LIBFPTR_PARAM_QUANTITY, job.lines[0][5]);
        kkt->setParam(fiscal::LIBFPTR_PARAM_TAX_TYPE, fiscal::LIBFPTR_TAX_NO);
        ASSERT_EQ(kkt->registration(), 0);
        kkt->setParam(fiscal::LIBFPTR_PARAM_PAYMENT_TYPE, fiscal::LIBFPTR_PT_CASH);
        kkt->setParam(fiscal::LIBFPTR_PARAM_PAYMENT_SUM, job.total.toString());
        ASSERT_EQ(kkt->payment(), 0);
        ASSERT_EQ(kkt->closeReceipt(), 0);
    }

    std::unique_ptr<fiscal::RegisterEmulator> kkt;
};

TEST_F(PendingReceipts, NothingToDoGivesNoMessage) {
    const SettleResult r = login();
    EXPECT_TRUE(r.stored.isEmpty());
    EXPECT_FALSE(r.blocked());
    EXPECT_TRUE(settleMessage(r).isEmpty());
    EXPECT_FALSE(QFile::exists(journal().path()));
}

TEST_F(PendingReceipts, StoredReceiptsLeaveTheJournalAndRefusedOnesStay) {
    PrintJournal j = journal();
    ASSERT_TRUE(j.put(printedRecord("1", document(7))));
    // A fiscal sign longer than its column makes the database refuse the receipt.
    ASSERT_TRUE(j.put(printedRecord("2", document(8, "12345678901234567890"))));

    const SettleResult r = login();
    EXPECT_EQ(r.stored.size(), 1);
    ASSERT_EQ(r.refused.size(), 1);
    EXPECT_FALSE(r.blocked());  // a printed receipt with its number holds up nothing
    EXPECT_EQ(documentCount(), 1);
    ASSERT_EQ(journal().records().size(), 1);
    EXPECT_EQ(journal().records()[0].id, "2");
    const QString text = settleMessage(r);
    EXPECT_TRUE(settleNeedsAttention(r));
    EXPECT_TRUE(text.contains("чеков: 1.")) << text.toStdString();
    EXPECT_TRUE(text.contains("ФД № 8")) << text.toStdString();
    EXPECT_EQ(bread(), "8");
}

TEST_F(PendingReceipts, ReceiptTheDatabaseAlreadyHoldsIsRemovedNotStoredTwice) {
    // The commit went through but the record could not be removed.
    ASSERT_TRUE(storeReceipt(db(), breadSale("11"), document(7)).ok());
    PrintJournal j = journal();
    ASSERT_TRUE(j.put(printedRecord("1", document(7))));
    // The same number with another fiscal sign is a different receipt.
    ASSERT_TRUE(j.put(printedRecord("2", document(7, "999"))));

    const SettleResult r = login();
    ASSERT_EQ(r.stored.size(), 2);
    EXPECT_TRUE(r.stored[0].result.alreadyStored);
    EXPECT_FALSE(r.stored[1].result.alreadyStored);
    EXPECT_TRUE(journal().isEmpty());
    EXPECT_EQ(documentCount(), 2);
    EXPECT_EQ(bread(), "6");
}

TEST_F(PendingReceipts, UnresolvedPrintIsAskedOfTheRegister) {
    struct Case {
        const char* name;
        std::function<void(PendingReceipts&, const PrintJob&)> meanwhile;  // what happened on the register
        bool stored;
        bool staysBlocked;
    };
    const Case cases[] = {
        {"printed", [](PendingReceipts& t, const PrintJob& job) { t.printOnRegister(job); }, true, false},
        {"never opened", [](PendingReceipts&, const PrintJob&) {}, false, false},
        {"left open",
         [](PendingReceipts& t, const PrintJob&) {
             t.kkt->setParam(fiscal::LIBFPTR_PARAM_RECEIPT_TYPE, fiscal::LIBFPTR_RT_SELL);
             ASSERT_EQ(t.kkt->openReceipt(), 0);
         },
         false, false},
        {"another receipt printed instead",
         [](PendingReceipts& t, const PrintJob& job) {
             PrintJob other = job;
             other.total = Money::fromKopecks(5000);
             other.lines[0][5] = "1";
             t.printOnRegister(other);
         },
         false, false},
        {"two documents since, neither of them this",
         [](PendingReceipts& t, const PrintJob& job) {
             PrintJob other = job;
             other.total = Money::fromKopecks(5000);
             other.lines[0][5] = "1";
             t.printOnRegister(other);
             t.printOnRegister(other);
         },
         false, true},
        {"the register does not answer",
         [](PendingReceipts& t, const PrintJob& job) {
             t.printOnRegister(job);
             t.kkt->failAlways("fnQueryData", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
         },
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM DOCUMENTS_DETAIL");
        exec("DELETE FROM DOCUMENTS");
        kkt->clearFailures();
        for (const JournalRecord& r : journal().records()) journal().remove(r.id);
        if (kkt->state().receipt) kkt->cancelReceipt();

        JournalRecord r;
        r.id = "1";
        r.job = breadSale("11");
        r.documentBefore = kkt->state().lastDocument.number;
        ASSERT_TRUE(journal().put(r));
        c.meanwhile(*this, r.job);
        const int printedNumber = kkt->state().lastDocument.number;

        const SettleResult s = login();
        EXPECT_EQ(s.blocked(), c.staysBlocked);
        EXPECT_EQ(journal().blocked(), c.staysBlocked);
        EXPECT_EQ(journal().isEmpty(), !c.staysBlocked);
        EXPECT_EQ(documentCount(), c.stored ? 1 : 0);
        if (c.stored) {
            fb::Transaction tr(db());
            EXPECT_EQ(fb::queryOne(tr, "SELECT DOC_NUMBER FROM DOCUMENTS")->integer("DOC_NUMBER"), printedNumber);
        }
        if (c.staysBlocked) {
            EXPECT_FALSE(settleMessage(s).isEmpty());
        } else {
            EXPECT_FALSE(kkt->state().receipt.has_value());
        }
    }
}

TEST_F(PendingReceipts, FilesAnOlderVersionLeftAreTakenUpOnce) {
    // A receipt the database refused, kept the old way...
    QDir(programFolder()).mkpath("UnsavedReceipts");
    QJsonObject unsaved = printJobToJson(breadSale("11"));
    const QJsonObject doc = documentToJson(document(7));
    for (auto it = doc.begin(); it != doc.end(); ++it) unsaved.insert(it.key(), it.value());
    writeJson(QDir(programFolder()).filePath("UnsavedReceipts/receipt_7_20261201_101500_000.json"), unsaved);
    // ...and a print whose outcome was never learned; the register printed it.
    const PrintJob unresolved = breadSale("11");
    const int before = kkt->state().lastDocument.number;
    writeJson(
        QDir(programFolder()).filePath("UnresolvedPrint.json"),
        QJsonObject{
            {"documentBefore", before}, {"driverDescription", "Нет связи с ККТ"}, {"job", printJobToJson(unresolved)}});
    printOnRegister(unresolved);

    const SettleResult r = login();
    EXPECT_EQ(r.stored.size(), 2);
    EXPECT_EQ(documentCount(), 2);
    EXPECT_FALSE(QFile::exists(QDir(programFolder()).filePath("UnresolvedPrint.json")));
    EXPECT_FALSE(QDir(QDir(programFolder()).filePath("UnsavedReceipts")).exists());
    EXPECT_TRUE(journal().isEmpty());
    EXPECT_EQ(bread(), "6");

    EXPECT_TRUE(login().stored.isEmpty());
    EXPECT_EQ(documentCount(), 2);
}

TEST_F(PendingReceipts, UnreadableJournalHoldsEverythingAndIsNeverOverwritten) {
    QFile file(journal().path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"records\": [ {\"id\": \"1\", \"clo");
    file.close();
    PrintJournal j = journal();
    EXPECT_TRUE(j.blocked());
    EXPECT_FALSE(j.put(printedRecord("2", document(9))));
    // Login says so, and every fiscal operation waits.
    const SettleResult r = login();
    EXPECT_TRUE(r.blocked());
    EXPECT_TRUE(settleMessage(r).contains(PrintJournal::kFileName)) << settleMessage(r).toStdString();
    ReceiptPrinter printer(programFolder());
    kkt->clearJournal();
    EXPECT_EQ(printer.print(kkt.get(), breadSale("11")).state, PrintOutcome::State::Unknown);
    for (const fiscal::JournalEntry& e : kkt->journal()) EXPECT_NE(e.method, "openReceipt");
    EXPECT_FALSE(j.lastError().isEmpty());
    QFile again(journal().path());
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("{\"records\": [ {\"id\": \"1\", \"clo"));
}

}  // namespace
