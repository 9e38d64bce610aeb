// Printed receipts the database refused are kept in files and stored at the
// next login; a file the database still refuses stays for the next try.
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/ReceiptStore.h"
#include "support/UpgradedDbFixture.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace sales;

namespace {

PrintJob breadSale(const QString& goodId) {
    PrintJob job;
    job.cashierName = QStringLiteral("Иванова");
    job.kind = 1;
    job.paymentFlag = 4;
    job.taxSystemCode = 2;
    job.lines << QStringList{goodId, "Хлеб", "1", "50.00", "50.00", "2", "", "", "", "0", "", "", "0",
                             "", "1", "0", "", "", ""};
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

class PendingReceipts : public testsupport::UpgradedDbTest {
protected:
    int documentCount() {
        fb::Transaction tr(db());
        return static_cast<int>(fb::toInt64(fb::queryOne(tr, "SELECT COUNT(*) FROM DOCUMENTS")->at(0)).value_or(-1));
    }
    QStringList pendingFiles() const {
        return QDir(QDir(programFolder()).filePath("UnsavedReceipts")).entryList(QDir::Files);
    }
};

TEST_F(PendingReceipts, NothingToDoGivesNoMessage) {
    const PendingStoreResult r = storePendingReceipts(db(), programFolder());
    EXPECT_EQ(r.stored, 0);
    EXPECT_TRUE(r.failed.isEmpty());
    EXPECT_TRUE(pendingReceiptsMessage(r).isEmpty());
}

TEST_F(PendingReceipts, StoredReceiptsLeaveTheFolderAndRefusedOnesStay) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_COUNT) VALUES (11, 'Хлеб', '50.00', 'нет', '10')");
    ASSERT_FALSE(saveUnstoredReceipt(programFolder(), breadSale("11"), document(7)).isEmpty());
    // A fiscal sign longer than its column makes the database refuse the receipt.
    ASSERT_FALSE(saveUnstoredReceipt(programFolder(), breadSale("11"), document(8, "12345678901234567890")).isEmpty());
    ASSERT_EQ(pendingFiles().size(), 2);

    const PendingStoreResult r = storePendingReceipts(db(), programFolder());
    EXPECT_EQ(r.stored, 1);
    ASSERT_EQ(r.failed.size(), 1);
    EXPECT_EQ(documentCount(), 1);
    EXPECT_EQ(pendingFiles().size(), 1);
    EXPECT_TRUE(pendingFiles().first().startsWith("receipt_8_"));
    const QString text = pendingReceiptsMessage(r);
    EXPECT_TRUE(text.contains("1.")) << text.toStdString();
    EXPECT_TRUE(text.contains("UnsavedReceipts"));

    fb::Transaction tr(db());
    EXPECT_EQ(fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 11")->str("GOOD_COUNT"), "8");
    EXPECT_EQ(fb::queryOne(tr, "SELECT DOC_NUMBER FROM DOCUMENTS")->integer("DOC_NUMBER"), 7);
}

TEST_F(PendingReceipts, FileOfAReceiptTheDatabaseAlreadyHoldsIsRemovedNotStoredTwice) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_COUNT) VALUES (11, 'Хлеб', '50.00', 'нет', '10')");
    // The commit reported a failure but went through: the receipt is stored and kept in a file too.
    ASSERT_TRUE(storeReceipt(db(), breadSale("11"), document(7)).ok());
    ASSERT_FALSE(saveUnstoredReceipt(programFolder(), breadSale("11"), document(7)).isEmpty());
    // The same number with another fiscal sign is a different receipt.
    ASSERT_FALSE(saveUnstoredReceipt(programFolder(), breadSale("11"), document(7, "999")).isEmpty());

    const PendingStoreResult r = storePendingReceipts(db(), programFolder());
    EXPECT_EQ(r.alreadyStored, 1);
    EXPECT_EQ(r.stored, 1);
    EXPECT_TRUE(r.failed.isEmpty());
    EXPECT_TRUE(pendingFiles().isEmpty());
    EXPECT_EQ(documentCount(), 2);
    fb::Transaction tr(db());
    EXPECT_EQ(fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 11")->str("GOOD_COUNT"), "6");
}

TEST_F(PendingReceipts, ReceiptsKeptAtTheSameMomentGetFilesOfTheirOwn) {
    QStringList paths;
    for (int i = 0; i < 5; ++i) paths << saveUnstoredReceipt(programFolder(), breadSale("11"), document(0));
    paths.removeDuplicates();
    EXPECT_EQ(paths.size(), 5);
    EXPECT_EQ(pendingFiles().size(), 5);
}

}  // namespace
