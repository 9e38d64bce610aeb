// Every receipt the register prints can be stored: a value wider than its
// database column is refused before the register opens the receipt, and what
// is stored of a row is what the register was sent.
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/EmulatorFixture.h"
#include "sales/closing/ColumnLimits.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/ReceiptPrinter.h"
#include "sales/closing/ReceiptStore.h"
#include "support/UpgradedDbFixture.h"

#include "PrintJobSample.h"

#include <gtest/gtest.h>

using namespace sales;

namespace {

// Bread 2 x 50.00 with its declaration, cheese 0.350 kg; 169.00 in all.
PrintJob saleJob() { return salestest::saleJob("4600000000017", ""); }

// One unmarked row of `qty` x `price`, paid in cash.
PrintJob oneRowJob(const char* price, const char* qty, const char* total) {
    PrintJob job;
    job.cashierName = "Иванова А.А.";
    job.kind = 1;
    job.paymentFlag = PayFull;
    job.taxSystemCode = 1;
    job.lines << salestest::line(
        {"0", "Шуба норковая", "1", price, price, qty, "", "", "", "0", "", "", "0", "", "6", "0", "", "", ""});
    job.totalText = total;
    job.total = *Money::parse(total);
    job.cash = job.total;
    return job;
}

QStringList methods(const fiscal::RegisterEmulator& kkt) {
    QStringList m;
    for (const fiscal::JournalEntry& e : kkt.journal()) m << e.method;
    return m;
}

FiscalDocumentInfo document(int number) {
    FiscalDocumentInfo d;
    d.number = number;
    d.fiscalSign = QString::number(1000000 + number);
    d.dateTime = QDateTime::currentDateTime();
    d.read = true;
    return d;
}

// A printed receipt stored in a real database, the register being the emulator.
class StorableReceiptTest : public testsupport::UpgradedDbTest, public fiscal::test::EmulatedRegister {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(openShift(), 0);
        kkt->clearJournal();
    }

    std::vector<fb::Row> details() {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_DOC_ID, DD_GOOD_ID");
    }

    QString count(int goodId) {
        fb::Transaction tr(db());
        const auto row = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = ?", {std::int64_t(goodId)});
        return row ? row->str("GOOD_COUNT") : QStringLiteral("<none>");
    }

    ReceiptPrinter printer;
};

// The entries of a receipt row that are stored as text, each filled to its
// column's width (which the database must take) and one character beyond
// (which must be refused, naming the position and the field).
struct WideEntry {
    int entry;
    const char* column;
    const char* field;
    QString atWidth;
    QString beyond;
};

const QList<WideEntry>& wideEntries() {
    static const QList<WideEntry> entries{
        {LineBasePrice, "DD_GOOD_PRICE_MAIN", "цена до скидки", "1234567.89", "12345678.90"},
        {LinePrice, "DD_GOOD_PRICE_CURRENT", "цена", "1234567.89", "12345678.90"},
        {LineQty, "DD_GOOD_COUNT", "количество", "123456.789", "1234567.891"},
        {LineGtin, "DD_GTIN", "код товара (GTIN)", "04600000000017", "046000000000170"},
        {LineSerial, "DD_SERIAL_GTIN", "серийный номер кода маркировки", "5abcdef1234567", "5abcdef12345678"},
        {LineMarkCode, "DD_DM_FULL", "код маркировки", QString(150, u'M'), QString(151, u'M')},
        {LineCustoms, "DD_DECLARE_NUMBER", "номер таможенной декларации", "10702070/010120/0001234/0000000",
         "10702070/010120/0001234/00000000X"},
        {LineFraction, "DD_FRACTIONAL_COUNT", "дробное количество", "1234567/1234567", "1234567/12345678"},
    };
    return entries;
}

}  // namespace

TEST(ColumnLimits, ReceiptSumsUpToTheLargestStoredSumPass) {
    struct Case {
        const char* name;
        QString total;
        qint64 cash, card, prepay;
        QString mentions;  // empty: no problem
    } cases[] = {
        {"ordinary", "169.00", 6900, 10000, 0, {}},
        {"the largest", "9999999.99", 999999999, 0, 0, {}},
        {"eleven at 99999.99", "1099999.89", 0, 109999989, 0, {}},
        {"a kopeck more", "10000000.00", 1000000000, 0, 0, "Сумма чека 10000000.00"},
        {"a hundred and one at 99999.99", "10099998.99", 0, 1009999899, 0, "Сумма чека 10099998.99"},
        {"cash beyond", "100.00", 1000000000, 0, 0, "Сумма оплаты 'наличными' 10000000.00"},
        {"card beyond", "100.00", 0, 1000000000, 0, "Сумма оплаты 'безналичными' 10000000.00"},
        {"prepayment beyond", "100.00", 0, 0, 1000000000, "Сумма оплаты 'предоплатой' 10000000.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString problem = receiptSumsProblem(c.total, Money::fromKopecks(c.cash), Money::fromKopecks(c.card),
                                                   Money::fromKopecks(c.prepay));
        if (c.mentions.isEmpty()) {
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        } else {
            EXPECT_TRUE(problem.contains(c.mentions)) << problem.toStdString();
            EXPECT_TRUE(problem.contains(QStringLiteral("9999999.99")));
        }
    }
}

TEST_F(StorableReceiptTest, EachRowValueFitsItsColumnOrIsRefusedByName) {
    int number = 1;
    for (const WideEntry& w : wideEntries()) {
        SCOPED_TRACE(w.column);
        PrintJob job = saleJob();
        job.lines[0][w.entry] = w.atWidth;
        EXPECT_EQ(lineWidthProblem(job.lines[0], 1), QString());
        // What passes the check the database takes, exactly as it was.
        const StoreResult stored = storeReceipt(db(), job, document(number++));
        ASSERT_TRUE(stored.ok()) << stored.databaseError.toStdString();
        fb::Transaction tr(db());
        const auto row = fb::queryOne(
            tr, QStringLiteral("SELECT %1 FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ? AND DD_GOOD_ID = 11").arg(w.column),
            {std::int64_t(stored.docId)});
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(row->str(QString::fromLatin1(w.column)), w.atWidth);

        job.lines[1][w.entry] = w.beyond;
        const QString problem = lineWidthProblem(job.lines[1], 2);
        EXPECT_TRUE(problem.startsWith(QStringLiteral(" Позиция 2 < Сыр >"))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QStringLiteral("'") + QString::fromUtf8(w.field) + QStringLiteral("'")))
            << problem.toStdString();
        EXPECT_EQ(rowProblem(job.lines[1], 2, job.paymentFlag, job.taxSystemCode), problem);
    }
}

TEST_F(StorableReceiptTest, OverLongCustomsNumberIsRefusedBeforeTheReceiptOpens) {
    PrintJob job = saleJob();
    job.lines[0][LineCustoms] = QStringLiteral("10702070/010120/0001234/00000000X");  // 33 characters
    const int documentsBefore = kkt->state().lastDocument.number;

    const PrintOutcome o = printer.print(kkt.get(), job);
    EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages[0].text.contains(QStringLiteral("Позиция 1 < Хлеб >"))) << o.messages[0].text.toStdString();
    EXPECT_TRUE(o.messages[0].text.contains(QStringLiteral("'номер таможенной декларации'")));
    EXPECT_FALSE(o.afterOpen);
    EXPECT_FALSE(methods(*kkt).contains(QStringLiteral("openReceipt"))) << methods(*kkt).join(' ').toStdString();
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(kkt->state().lastDocument.number, documentsBefore);

    // Cut to its column's 32 characters, the same receipt prints and is stored.
    job.lines[0][LineCustoms].chop(1);
    const PrintOutcome printed = printer.print(kkt.get(), job);
    ASSERT_EQ(printed.state, PrintOutcome::State::Printed);
    const StoreResult stored = storeReceipt(db(), printed.job, printed.document);
    ASSERT_TRUE(stored.ok()) << stored.databaseError.toStdString();
    EXPECT_EQ(details().front().str("DD_DECLARE_NUMBER"), job.lines[0][LineCustoms]);
}

TEST_F(StorableReceiptTest, ReceiptAboveTheLargestStoredSumIsRefusedBeforePrinting) {
    struct Case {
        const char* name;
        const char* price;
        const char* qty;
        const char* total;
        bool prints;
    } cases[] = {
        // 1,099,999.89: ten characters, as the total column takes them.
        {"eleven at 99999.99", "99999.99", "11", "1099999.89", true},
        {"the largest sum", "9999999.99", "1", "9999999.99", true},
        // 10,099,998.99: the register would print it and the database refuse it.
        {"a hundred and one at 99999.99", "99999.99", "101", "10099998.99", false},
        {"a kopeck above the largest", "5000000.00", "2", "10000000.00", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kkt->clearJournal();
        const PrintJob job = oneRowJob(c.price, c.qty, c.total);
        const int documentsBefore = kkt->state().lastDocument.number;
        const PrintOutcome o = printer.print(kkt.get(), job);
        if (!c.prints) {
            EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
            ASSERT_FALSE(o.messages.isEmpty());
            EXPECT_TRUE(o.messages[0].text.contains(QStringLiteral("больше наибольшей суммы")))
                << o.messages[0].text.toStdString();
            EXPECT_FALSE(methods(*kkt).contains(QStringLiteral("openReceipt")));
            EXPECT_EQ(kkt->state().lastDocument.number, documentsBefore);
            continue;
        }
        ASSERT_EQ(o.state, PrintOutcome::State::Printed)
            << (o.messages.isEmpty() ? "" : o.messages[0].text.toStdString());
        const StoreResult stored = storeReceipt(db(), o.job, o.document);
        ASSERT_TRUE(stored.ok()) << stored.databaseError.toStdString();
        fb::Transaction tr(db());
        const auto row = fb::queryOne(tr, "SELECT DOC_SUMM_FULL, DOC_PAY_NAL FROM DOCUMENTS WHERE DOC_ID = ?",
                                      {std::int64_t(stored.docId)});
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(row->str("DOC_SUMM_FULL"), QString::fromLatin1(c.total));
        EXPECT_EQ(row->str("DOC_PAY_NAL"), QString::fromLatin1(c.total));
    }
}

TEST_F(StorableReceiptTest, EmptyMeasureIsStoredAsTheZeroTheRegisterWasSent) {
    PrintJob job = saleJob();
    job.lines[0][LineMeasure] = QString();
    const PrintOutcome o = printer.print(kkt.get(), job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed);
    int sent = -1;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == QLatin1String("registration") && sent < 0) sent = e.params.value(fiscal::tag::MeasurementUnit).toInt();
    EXPECT_EQ(sent, 0);
    ASSERT_TRUE(storeReceipt(db(), o.job, o.document).ok());
    const std::vector<fb::Row> rows = details();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].isNull("DD_GOOD_EDIZM"));
    EXPECT_EQ(rows[0].integer("DD_GOOD_EDIZM", -1), sent);
    EXPECT_EQ(rows[1].integer("DD_GOOD_EDIZM", -1), 11);
}

TEST_F(StorableReceiptTest, RowsWithoutGoodsMoveNoStock) {
    // A record numbered 0 (a group or a leftover of an import) must not be
    // taken for the goods of a free-price position.
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_MARKTYPE, GOOD_COUNT) "
         "VALUES (0, 'Корень', '0.00', 'нет', 'Т', 0, '5')");
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_MARKTYPE, GOOD_COUNT) "
         "VALUES (12, 'Сыр', '200.00', 'Да', 'АТ', NULL, '5.000')");
    for (const char* id : {"0", "", "не число"}) {
        SCOPED_TRACE(id);
        PrintJob job = saleJob();
        job.lines[0][LineGoodId] = QString::fromUtf8(id);  // two loaves at a free price
        static int number = 10;
        const StoreResult stored = storeReceipt(db(), job, document(++number));
        ASSERT_TRUE(stored.ok()) << stored.databaseError.toStdString();
        EXPECT_EQ(count(0), "5");
    }
    EXPECT_EQ(count(12), "3.950");  // the cheese of the same receipts still goes
}

namespace {

TEST_F(StorableReceiptTest, StockThatWouldOutgrowItsColumnIsRefusedNamingGoodsAndStock) {
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_MARKTYPE, GOOD_COUNT) "
         "VALUES (12, 'Сыр', '200.00', 'Да', 'Т', NULL, '0')");
    const auto setStock = [&](const char* stock) {
        fb::Transaction tr(db());
        fb::execute(tr, "UPDATE GOODS SET GOOD_COUNT = ? WHERE GOOD_ID = 12", {QString::fromLatin1(stock)});
        tr.commit();
    };
    setStock("-99999.999");
    PrintJob job = saleJob();
    const QString problem = stockWidthProblem(db(), job);
    EXPECT_TRUE(problem.startsWith(QStringLiteral(" Позиция 2 < Сыр >"))) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("-99999.999"))) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("Чек не напечатан")));

    // Two rows of one goods item: the second moves what the first left.
    setStock("-99999.500");
    EXPECT_EQ(stockWidthProblem(db(), job), QString());
    job.lines << job.lines[1];
    EXPECT_TRUE(stockWidthProblem(db(), job).startsWith(QStringLiteral(" Позиция 3 < Сыр >")));
    // A return raises the stock, which fits.
    job.kind = 2;
    EXPECT_EQ(stockWidthProblem(db(), job), QString());

    // Printed all the same (the stock changed after the check): the receipt
    // is stored, and the stock that cannot be written stays as it was.
    job.kind = 1;
    const StoreResult stored = storeReceipt(db(), job, document(1));
    ASSERT_TRUE(stored.ok()) << stored.databaseError.toStdString();
    EXPECT_EQ(count(12), QStringLiteral("-99999.850"));
    EXPECT_EQ(details().size(), 3u);
}

}  // namespace
