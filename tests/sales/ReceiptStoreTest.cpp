// Storing a printed receipt: DOCUMENTS through DOC_WRITE, its lines, the
// stock of its goods, all in one transaction.
#include "core/TextUtils.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/ReceiptStore.h"
#include "support/DroppedConnection.h"
#include "support/UpgradedDbFixture.h"

#include "PrintJobSample.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sales;

namespace {

PrintJob saleJob() { return salestest::saleJob("4600000000017", ""); }

FiscalDocumentInfo printedAt(int number, const QDateTime& when) {
    FiscalDocumentInfo d;
    d.number = number;
    d.fiscalSign = "3162541397";
    d.dateTime = when;
    d.read = true;
    return d;
}

using testsupport::DroppedConnection;

class ReceiptStoreTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_MARKTYPE, GOOD_COUNT) "
             "VALUES (11, 'Хлеб', '50.00', 'нет', 'Т', 0, '10')");
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_MARKTYPE, GOOD_COUNT) "
             "VALUES (12, 'Сыр', '200.00', 'Да', 'АТ', NULL, '5.000')");
    }

    QString count(int goodId) {
        fb::Transaction tr(db());
        const auto row = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = ?", {std::int64_t(goodId)});
        return row ? row->str("GOOD_COUNT") : QStringLiteral("<none>");
    }

    std::vector<fb::Row> documents() {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT * FROM DOCUMENTS ORDER BY DOC_ID");
    }

    std::vector<fb::Row> details() {
        fb::Transaction tr(db());
        return fb::query(tr, "SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_GOOD_ID, DD_SERIAL_GTIN");
    }
};

}  // namespace

TEST(ReceiptStoreRules, DateAndTimeAreWrittenAsTheProcedureReadsThem) {
    EXPECT_EQ(docDateText(QDate(2024, 3, 5)), "05.03.2024");
    EXPECT_EQ(docTimeText(QTime(9, 5, 59)), "9:5");
    EXPECT_EQ(docTimeText(QTime(23, 40)), "23:40");
}

TEST(ReceiptStoreRules, StockMovesByKindMarkTypeAndFractionalSale) {
    struct Case {
        const char* what;
        QString current;
        int kind;
        int markType;
        bool fractional;
        QString qty;
        QString unit;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {"piece sale", "10", 1, 0, false, "2", "0", "8"},
        {"piece return", "10", 2, 0, false, "2", "0", "12"},
        {"purchase", "10", 3, 0, false, "2", "0", "12"},
        {"weighed sale", "5.000", 1, 0, true, "0.350", "0", "4.650"},
        {"weighed from empty stock", "", 1, 0, true, "0.350", "0", "-0.350"},
        {"tobacco pack", "100", 1, 4, false, "1", "1", "99"},
        {"tobacco block", "100", 1, 4, false, "1", "10", "90"},
        {"tobacco block returned", "100", 2, 4, false, "1", "10", "110"},
        {"tobacco of no unit", "100", 1, 4, false, "1", "0", std::nullopt},
        {"tobacco sold by weight", "100", 1, 4, true, "1", "1", std::nullopt},
        {"shoes", "7", 1, 5, false, "1", "1", "6"},
        {"dairy by fraction", "7", 1, 13, true, "3", "1", std::nullopt},
        {"dairy whole", "7", 1, 13, false, "1", "1", "6"},
        {"other marked goods", "7", 1, 7, false, "1", "1", std::nullopt},
        {"count written with a comma", "2,5", 1, 0, true, "0.5", "0", "2.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(newStockCount(c.current, c.kind, c.markType, c.fractional, c.qty, c.unit), c.expected);
    }
}

TEST_F(ReceiptStoreTest, ReceiptIsStoredWholeAndStockLowered) {
    const StoreResult r = storeReceipt(db(), saleJob(), printedAt(17, QDateTime(QDate(2024, 3, 5), QTime(9, 5, 30))));
    ASSERT_TRUE(r.ok()) << r.databaseError.toStdString();
    EXPECT_GT(r.docId, 0);

    const auto docs = documents();
    ASSERT_EQ(docs.size(), 1u);
    const fb::Row& d = docs[0];
    EXPECT_EQ(d.integer("DOC_ID"), r.docId);
    EXPECT_EQ(d.integer("DOC_TYPE"), 3);
    EXPECT_EQ(d.integer("DOC_CHECK_TYPE"), 1);
    EXPECT_EQ(d.integer("DOC_NUMBER"), 17);
    EXPECT_EQ(d.str("DOC_FPD"), "3162541397");
    EXPECT_EQ(fb::toDate(d["DOC_DATE_D"]), QDate(2024, 3, 5));
    EXPECT_EQ(fb::toTime(d["DOC_TIME_T"]), QTime(9, 5));
    EXPECT_EQ(d.str("DOC_SUMM_FULL"), "169.00");
    EXPECT_EQ(d.str("DOC_PAY_NAL"), "69.00");
    EXPECT_EQ(d.str("DOC_PAY_EL"), "100.00");
    EXPECT_TRUE(d.isNull("DOC_PAY_ADVANCE"));
    EXPECT_TRUE(d.isNull("DOC_PAY_CREDIT"));
    EXPECT_EQ(d.integer("DOC_SNO"), 1);
    EXPECT_EQ(d.str("DOC_USER"), "Иванова А.А.");
    EXPECT_TRUE(d.isNull("DOC_BUYER_NAME"));
    EXPECT_TRUE(d.isNull("DOC_BUYER_INN"));

    const auto lines = details();
    ASSERT_EQ(lines.size(), 2u);
    const fb::Row& bread = lines[0];
    EXPECT_EQ(bread.integer("DD_DOC_ID"), r.docId);
    EXPECT_EQ(bread.integer("DD_GOOD_ID"), 11);
    EXPECT_EQ(bread.str("DD_GOOD_NAME"), "Хлеб");
    EXPECT_EQ(bread.str("DD_GOOD_TYPE"), "1");
    EXPECT_EQ(bread.str("DD_GOOD_PRICE_MAIN"), "50.00");
    EXPECT_EQ(bread.str("DD_GOOD_PRICE_CURRENT"), "50.00");
    EXPECT_EQ(bread.str("DD_GOOD_COUNT"), "2");
    EXPECT_EQ(bread.integer("DD_GOOD_PAYTYPE"), 4);
    EXPECT_EQ(bread.integer("DD_GOOD_EDIZM"), 0);
    EXPECT_EQ(bread.integer("DD_MARKTYPE"), 0);
    EXPECT_EQ(bread.integer("DD_TAXRATE"), 1);
    EXPECT_EQ(bread.str("DD_GTIN"), "4600000000017");
    EXPECT_EQ(bread.integer("DD_COUNTRY_CODE"), 156);
    EXPECT_EQ(bread.str("DD_DECLARE_NUMBER"), "10702070/010120/0001234");
    EXPECT_EQ(bread.str("DD_FRACTIONAL_COUNT"), "");
    const fb::Row& cheese = lines[1];
    EXPECT_EQ(cheese.str("DD_GOOD_COUNT"), "0.350");
    EXPECT_EQ(cheese.str("DD_GOOD_PRICE_CURRENT"), "197.14");
    EXPECT_EQ(cheese.integer("DD_GOOD_EDIZM"), 11);
    EXPECT_EQ(cheese.integer("DD_TAXRATE"), 2);

    EXPECT_EQ(count(11), "8");
    EXPECT_EQ(count(12), "4.650");
}

TEST_F(ReceiptStoreTest, OnlyFullPaymentMovesStockAndReturnsMoveItBack) {
    struct Case {
        int kind;
        int flag;
        QString bread;
        QString cheese;
    };
    const QList<Case> cases{{1, 1, "10", "5.000"}, {1, 2, "10", "5.000"}, {1, 3, "10", "5.000"},
                            {2, 4, "12", "5.350"}, {3, 4, "12", "5.350"}, {4, 4, "8", "4.650"}};
    int number = 20;  // each receipt its own register document
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.flag));
        exec("UPDATE GOODS SET GOOD_COUNT = '10' WHERE GOOD_ID = 11");
        exec("UPDATE GOODS SET GOOD_COUNT = '5.000' WHERE GOOD_ID = 12");
        PrintJob job = saleJob();
        job.kind = c.kind;
        job.paymentFlag = c.flag;
        job.prepay = c.flag == 4 ? Money{} : Money::fromKopecks(100);
        const StoreResult r = storeReceipt(db(), job, printedAt(number++, QDateTime::currentDateTime()));
        ASSERT_TRUE(r.ok()) << r.databaseError.toStdString();
        EXPECT_EQ(count(11), c.bread);
        EXPECT_EQ(count(12), c.cheese);
    }
    const auto docs = documents();
    ASSERT_EQ(docs.size(), size_t(cases.size()));
    EXPECT_EQ(docs[0].str("DOC_PAY_ADVANCE"), "1.00");
    EXPECT_EQ(docs[3].integer("DOC_CHECK_TYPE"), 2);
    EXPECT_EQ(docs[5].integer("DOC_CHECK_TYPE"), 4);
    for (const fb::Row& l : details()) {
        if (l.integer("DD_DOC_ID") == docs[1].integer("DOC_ID")) {
            EXPECT_EQ(l.integer("DD_GOOD_PAYTYPE"), 2);
        }
    }
}

TEST_F(ReceiptStoreTest, NamesWithQuotesBuyerAndLongTextsAreStoredIntact) {
    PrintJob job = saleJob();
    job.lines[0][LineName] = "Печенье \"Д'Артаньян\"";
    job.legalEntity = true;
    job.buyerName = "ООО 'Ромашка'";
    job.buyerInn = "7701234567";
    job.cashierName = QString(70, QChar(u'К'));  // longer than DOC_USER holds
    const StoreResult r = storeReceipt(db(), job, printedAt(5, QDateTime::currentDateTime()));
    ASSERT_TRUE(r.ok()) << r.databaseError.toStdString();
    EXPECT_EQ(details()[0].str("DD_GOOD_NAME"), "Печенье \"Д'Артаньян\"");
    const fb::Row d = documents()[0];
    EXPECT_EQ(d.str("DOC_BUYER_NAME"), "ООО 'Ромашка'");
    EXPECT_EQ(d.str("DOC_BUYER_INN"), "7701234567");
    EXPECT_EQ(d.str("DOC_USER"), QString(50, QChar(u'К')));
}

TEST_F(ReceiptStoreTest, AFailingLineOrStockUpdateLeavesNothingBehind) {
    struct Case {
        const char* what;
        std::function<void(PrintJob&)> spoil;
        StoreResult::Failure failure;
        QString message;
    };
    const QList<Case> cases{
        {"line refused", [](PrintJob& j) { j.lines[1][LineSubject] = "1234567"; }, StoreResult::Failure::Line,
         QStringLiteral("Ошибка при записи")},
        {"stock refused",
         [this](PrintJob&) {
             // A stock the database will not take (a count too wide for its
             // column is kept as it was instead: the receipt was printed).
             exec("CREATE EXCEPTION E_NO_STOCK 'склад закрыт'");
             exec("CREATE TRIGGER T_NO_STOCK FOR GOODS BEFORE UPDATE AS BEGIN "
                  "IF (NEW.GOOD_ID = 12) THEN EXCEPTION E_NO_STOCK; END");
         },
         StoreResult::Failure::Stock,
         QStringLiteral(" При записи чека в БД произошел сбой.     \r\n\r\n Чек не будет зафиксирован в БД.     ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrintJob job = saleJob();
        c.spoil(job);
        const QString breadBefore = count(11);
        const StoreResult r = storeReceipt(db(), job, printedAt(9, QDateTime::currentDateTime()));
        EXPECT_EQ(r.failure, c.failure);
        EXPECT_EQ(r.message, c.message);
        EXPECT_FALSE(r.databaseError.isEmpty());
        EXPECT_TRUE(documents().empty());
        EXPECT_TRUE(details().empty());
        EXPECT_EQ(count(11), breadBefore);  // the first line's stock update went back too
    }
}

TEST_F(ReceiptStoreTest, ReceiptWithoutTheRegistersNumberAndSignIsNeverStored) {
    FiscalDocumentInfo unread;
    FiscalDocumentInfo noSign = printedAt(33, QDateTime::currentDateTime());
    noSign.fiscalSign = "  ";
    FiscalDocumentInfo noNumber = printedAt(0, QDateTime::currentDateTime());
    for (const FiscalDocumentInfo& doc : {unread, noSign, noNumber}) {
        const StoreResult r = storeReceiptSafely(&db(), saleJob(), doc);
        EXPECT_FALSE(r.ok());
        EXPECT_FALSE(r.databaseError.isEmpty());
    }
    EXPECT_TRUE(documents().empty());
    EXPECT_TRUE(storeReceiptSafely(&db(), saleJob(), printedAt(33, QDateTime::currentDateTime())).ok());
}

TEST_F(ReceiptStoreTest, RefusedReceiptIsKeptInTheJournalAndStoresLater) {
    JournalRecord record;
    record.id = "1";
    record.job = saleJob();
    record.job.cashierInn = "500100732259";
    record.closed = true;
    record.documentBefore = 32;
    record.document = printedAt(33, QDateTime(QDate(2024, 5, 1), QTime(18, 2, 3)));
    PrintJournal journal(programFolder());
    ASSERT_TRUE(journal.put(record));
    // The database refuses it once: the record stays.
    const ReceiptStorer refusing = [](const PrintJob&, const FiscalDocumentInfo&) {
        StoreResult r;
        r.failure = StoreResult::Failure::Header;
        return r;
    };
    EXPECT_FALSE(storePrinted(journal, record.id, record.job, record.document, refusing).ok());
    const std::optional<JournalRecord> back = PrintJournal(programFolder()).record("1");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->job.lines, record.job.lines);
    EXPECT_EQ(back->job.cash, record.job.cash);
    EXPECT_EQ(back->job.card, record.job.card);
    EXPECT_EQ(back->job.cashierName, record.job.cashierName);
    EXPECT_EQ(back->job.cashierInn, "500100732259");
    EXPECT_EQ(back->document.number, 33);
    EXPECT_EQ(back->document.fiscalSign, record.document.fiscalSign);
    EXPECT_EQ(back->document.dateTime, record.document.dateTime);
    EXPECT_TRUE(documents().empty());
    // Then it takes it, and only then the record goes.
    const StoreResult r = storePrinted(journal, back->id, back->job, back->document, databaseStorer(&db()));
    ASSERT_TRUE(r.ok()) << r.databaseError.toStdString();
    EXPECT_EQ(documents()[0].integer("DOC_NUMBER"), 33);
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
}

TEST_F(ReceiptStoreTest, DroppedConnectionIsAReportedFailureNeverAnException) {
    // The database is gone as well: the receipt cannot be stored, and says so.
    DroppedConnection gone(true);
    StoreResult r;
    EXPECT_NO_THROW(r = storeReceipt(gone.connection, saleJob(), printedAt(7, QDateTime::currentDateTime())));
    EXPECT_EQ(r.failure, StoreResult::Failure::Header);
    EXPECT_EQ(r.message, " При записи документа в БД произошла ошибка.     ");
    EXPECT_FALSE(r.databaseError.isEmpty());

    // Only the attachment was dropped: it is made anew and the receipt stored.
    DroppedConnection dropped(false);
    EXPECT_NO_THROW(r = storeReceipt(dropped.connection, saleJob(), printedAt(8, QDateTime::currentDateTime())));
    EXPECT_TRUE(r.ok()) << r.databaseError.toStdString();
    EXPECT_GT(r.docId, 0);
}

TEST_F(ReceiptStoreTest, ReceiptAlreadyStoredUnderItsNumberAndSignIsNotStoredAgain) {
    const FiscalDocumentInfo doc = printedAt(7, QDateTime(QDate(2024, 3, 5), QTime(9, 5)));
    const StoreResult first = storeReceipt(db(), saleJob(), doc);
    ASSERT_TRUE(first.ok());
    const StoreResult again = storeReceipt(db(), saleJob(), doc);
    EXPECT_TRUE(again.ok());
    EXPECT_TRUE(again.alreadyStored);
    EXPECT_EQ(again.docId, first.docId);
    EXPECT_EQ(documents().size(), 1u);
    EXPECT_EQ(details().size(), 2u);
    EXPECT_EQ(count(11), "8");  // the stock moved once
    // Another document of the register is another receipt.
    const StoreResult next = storeReceipt(db(), saleJob(), printedAt(8, doc.dateTime));
    EXPECT_FALSE(next.alreadyStored);
    EXPECT_EQ(documents().size(), 2u);
}

namespace {

class ReceiptLotsTest : public ReceiptStoreTest {
protected:
    void SetUp() override {
        ReceiptStoreTest::SetUp();
        if (HasFatalFailure()) return;
        lot(1, 11, "5", "");
        lot(2, 11, "3", "2.000");  // one left
        lot(3, 12, "0.500", "");
    }
    void lot(int id, int goodId, const char* count, const char* offs) {
        exec(QStringLiteral("INSERT INTO PORTIONS (P_RECORD_ID, P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, "
                            "P_GOOD_COUNT_OFFS, P_CONFIRM) VALUES (%1, 500, %2, '%3', '%4', 1)")
                 .arg(id)
                 .arg(goodId)
                 .arg(QLatin1String(count), QLatin1String(offs)));
    }
    QString offs(int id) {
        fb::Transaction tr(db());
        const auto row =
            fb::queryOne(tr, "SELECT P_GOOD_COUNT_OFFS FROM PORTIONS WHERE P_RECORD_ID = ?", {std::int64_t(id)});
        return row ? row->str("P_GOOD_COUNT_OFFS") : QStringLiteral("<none>");
    }
    static QStringList choice(const char* goodId, const char* recordId, const char* qty) {
        return {QString::fromLatin1(goodId), QString::fromLatin1(recordId), QString::fromLatin1(qty)};
    }
};

}  // namespace

TEST_F(ReceiptLotsTest, ChosenLotsAreWrittenOffAsFarAsTheyGoAndNeverStopTheReceipt) {
    struct Case {
        const char* what;
        int kind;
        QList<QStringList> portions;
        QStringList offsAfter;  // lots 1, 2, 3
        QString shortfall;      // a part of the report, empty: none
        int paymentFlag;
    };
    const QList<Case> cases{
        {"two lots for the bread, the cheese from its own",
         1,
         {choice("11", "1", "1"), choice("11", "2", "1"), choice("12", "3", "0.350")},
         {"1.000", "3.000", "0.350"},
         {},
         4},
        {"a lot that has nothing left",
         1,
         {choice("11", "2", "2")},
         {"1.000", "3.000", "0.350"},
         QStringLiteral(" Хлеб (партия 2): не списано 2.000"),
         4},
        {"a lot gone since, and one that holds only part",
         1,
         {choice("11", "7", "1"), choice("12", "3", "0.350")},
         {"1.000", "3.000", "0.500"},
         QStringLiteral(" Сыр (партия 3): не списано 0.200"),
         4},
        {"a choice left from a position no longer sold, and more than was sold",
         1,
         {choice("13", "1", "1"), choice("11", "1", "5")},
         {"3.000", "3.000", "0.500"},
         {},
         4},
        {"a sale return writes no lot off", 2, {choice("11", "1", "2")}, {"3.000", "3.000", "0.500"}, {}, 4},
        // The register is handed a prepaid position as its sum times 1.
        {"a prepaid sale writes off what was chosen for its two loaves",
         1,
         {choice("11", "1", "2")},
         {"5.000", "3.000", "0.500"},
         {},
         1},
    };
    int number = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrintJob job = saleJob();
        job.kind = c.kind;
        job.portions = c.portions;
        job.paymentFlag = c.paymentFlag;
        if (c.paymentFlag != 4)
            for (QStringList& line : job.lines) {
                line[LinePrice] = line[LineBasePrice] = QStringLiteral("%1").arg(
                    core::storedQuantityToThousandths(line[LineQty]) *
                        core::storedQuantityToThousandths(line[LinePrice]) / 1000000.0,
                    0, 'f', 2);
                line[LineQty] = QStringLiteral("1");
            }
        const int documentsBefore = int(documents().size());
        const StoreResult r = storeReceipt(db(), job, printedAt(number++, QDateTime::currentDateTime()));
        ASSERT_TRUE(r.ok()) << r.databaseError.toStdString();
        EXPECT_EQ(int(documents().size()), documentsBefore + 1);
        EXPECT_EQ((QStringList{offs(1), offs(2), offs(3)}), c.offsAfter);
        if (c.shortfall.isEmpty()) {
            EXPECT_TRUE(r.lotShortfall.isEmpty()) << r.lotShortfall.toStdString();
        } else {
            EXPECT_TRUE(r.lotShortfall.contains(c.shortfall)) << r.lotShortfall.toStdString();
        }
    }
}

TEST_F(ReceiptLotsTest, APurchaseReturnAndALotChoiceStoredAtTheNextLoginComeOutAsPrinted) {
    // Printed before the program went down; the journal holds both receipts.
    PrintJournal journal(programFolder());
    JournalRecord purchaseReturn;
    purchaseReturn.id = "1";
    purchaseReturn.job = saleJob();
    purchaseReturn.job.kind = 4;
    purchaseReturn.closed = true;
    purchaseReturn.document = printedAt(61, QDateTime::currentDateTime());
    JournalRecord sale;
    sale.id = "2";
    sale.job = saleJob();
    sale.job.portions = {choice("11", "1", "2")};
    sale.closed = true;
    sale.document = printedAt(62, QDateTime::currentDateTime());
    ASSERT_TRUE(journal.put(purchaseReturn));
    ASSERT_TRUE(journal.put(sale));

    const SettleResult r = settleAtLogin(programFolder(), nullptr, &db());
    EXPECT_EQ(r.stored.size(), 2);
    EXPECT_TRUE(r.refused.isEmpty());
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    EXPECT_EQ(settleMessage(r), QStringLiteral(" Записано в Базу Данных напечатанных ранее чеков: 2.     "));
    const auto docs = documents();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0].integer("DOC_CHECK_TYPE"), 4);
    EXPECT_EQ(docs[0].integer("DOC_NUMBER"), 61);
    EXPECT_EQ(details().size(), 4u);
    // The purchase return took out what the sale took out again.
    EXPECT_EQ(count(11), "6");
    EXPECT_EQ(count(12), "4.300");
    EXPECT_EQ(offs(1), "2.000");
}

TEST_F(ReceiptLotsTest, ADatabaseErrorOnALotFailsTheReceiptWhichIsStoredWithItsLotLater) {
    // The database refuses every write to the lots, as a full disk would.
    exec("CREATE EXCEPTION E_PAGE_WRITE 'page write refused: disk full'");
    exec("CREATE TRIGGER PORTIONS_PAGE_WRITE FOR PORTIONS BEFORE UPDATE AS BEGIN EXCEPTION E_PAGE_WRITE; END");
    PrintJournal journal(programFolder());
    JournalRecord sale;
    sale.id = "1";
    sale.job = saleJob();
    sale.job.portions = {choice("11", "1", "2")};
    sale.closed = true;
    sale.document = printedAt(70, QDateTime::currentDateTime());
    ASSERT_TRUE(journal.put(sale));

    const StoreResult refused = storePrinted(journal, sale.id, sale.job, sale.document, databaseStorer(&db()));
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.databaseError.contains("disk full")) << refused.databaseError.toStdString();
    // Not a shortfall: the lot holds 5. Nothing of the receipt is written.
    EXPECT_TRUE(refused.lotShortfall.isEmpty()) << refused.lotShortfall.toStdString();
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(count(11), "10");
    EXPECT_EQ(offs(1), "");
    EXPECT_TRUE(PrintJournal(programFolder()).record(sale.id).has_value());

    // The database takes writes again: the next login stores it, lot and all.
    exec("DROP TRIGGER PORTIONS_PAGE_WRITE");
    const SettleResult later = settleAtLogin(programFolder(), nullptr, &db());
    EXPECT_EQ(later.stored.size(), 1);
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    EXPECT_EQ(documents().size(), 1u);
    EXPECT_EQ(count(11), "8");
    EXPECT_EQ(offs(1), "2.000");
    EXPECT_FALSE(settleMessage(later).contains(QStringLiteral("не хватило"))) << settleMessage(later).toStdString();
}
