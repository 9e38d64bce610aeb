// One sale from the main screen to the database: "РАСЧЕТ", the payment
// window, printing on the register emulator, storing, and the main screen
// ready for the next receipt. And a sale return the same way.
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/PrintJournal.h"
#include "sales/closing/ReceiptPrinter.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/ProgramWindows.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "support/FakeMessages.h"
#include "support/DroppedConnection.h"
#include "support/UpgradedDbFixture.h"
#include "SaleScreenFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "PrintJobSample.h"

#include "WhenReady.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace sales;

namespace {

using salestest::when;

GoodRecord goodRecord(const QString& id, const QString& name, const QString& price, const QString& weighed,
                      const QString& vat, const QString& measure) {
    GoodRecord g;
    g.id = id;
    g.name = name;
    g.price = price;
    g.weighed = weighed;
    g.type = QStringLiteral("Т");
    g.country = QStringLiteral("643");
    g.markType = QStringLiteral("0");
    g.measure = measure;
    g.vat = vat;
    return g;
}

using testsupport::DroppedConnection;

// Tells each paint of the widget it watches.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(std::function<void(QWidget*)> painted) : painted_(std::move(painted)) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted_(static_cast<QWidget*>(o));
        return false;
    }

private:
    std::function<void(QWidget*)> painted_;
};

class SaleEndToEndTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, GOOD_COUNTRY_CODE, "
             "GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD) VALUES (11, 'Хлеб', '50.00', 'нет', 'Т', '1', '643', 0, '10', 0)");
        exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, GOOD_COUNTRY_CODE, "
             "GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD) VALUES (12, 'Сыр', '200.00', 'да', 'Т', '2', '643', 0, '5.000', 11)");
        exec("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')");

        openScreen();
        if (HasFatalFailure()) return;
        services = &installSaleCommands(*screen);
    }

    // Two loaves scanned one after the other, 0.350 kg of cheese with a
    // line discount of 1.00: 100.00 + 69.00.
    void buildSale() {
        ReceiptModel& r = screen->receipt();
        const int bread = addGoodPosition(r, goodRecord("11", "Хлеб", "50.00", "нет", "1", "0"), "50.00", Qty::units(1));
        ASSERT_TRUE(r.addQuantity(bread, Qty::units(1)));
        const int cheese =
            addGoodPosition(r, goodRecord("12", "Сыр", "200.00", "да", "2", "11"), "200.00", Qty::fromThousandths(350));
        r.setLineDiscount(cheese, QStringLiteral("S"), QStringLiteral("1.00"));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
        ASSERT_EQ(screen->lblChekItogo->text(), "169.00 ");
    }

    // In the payment window: `card` typed into the card field, then ОК.
    void payWith(const QString& card) {
        when([] { return fmPayCheck && fmPayCheck->isVisible(); },
             [card] {
                 if (!card.isEmpty()) {
                     QTest::mouseClick(fmPayCheck->Memo2, Qt::LeftButton);
                     QTest::keyClicks(fmPayCheck->Memo2, card);
                 }
                 QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton);
             });
    }

    // Once the receipt window has done its printing: `check`, then close it.
    void afterPrinting(std::function<void()> check = {}) {
        when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
             [check] {
                 if (check) check();
                 QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton);
             });
    }

    QString stock(int id) {
        fb::Transaction tr(db());
        return fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = ?", {std::int64_t(id)})->str("GOOD_COUNT");
    }

    void expectReadyForNextSale() {
        EXPECT_TRUE(screen->receipt().isEmpty());
        EXPECT_EQ(screen->lblChekItogo->text(), "0.00 ");
        EXPECT_TRUE(screen->ReceiptLines().isEmpty());
        EXPECT_EQ(screen->PaymentMethodFlag(), 4);
        EXPECT_EQ(screen->receiptKind(), 1);
        EXPECT_EQ(screen->lblOperationType->text(), "ПРИХОД");
        EXPECT_EQ(screen->TaxSystemCode(), -1);
        EXPECT_EQ(screen->taxSystemTag(), 1);
        EXPECT_FALSE(screen->chLE->isChecked());
        EXPECT_EQ(screen->edFPD->text(), "");
        EXPECT_TRUE(screen->edFPD->isHidden());
        EXPECT_EQ(fmPayCheck, nullptr);
        EXPECT_EQ(fmCheckInfo, nullptr);
    }

    // A print an earlier run left unresolved, taken up by the sale commands
    // as the program starts: `job` with the register's last document before it.
    void leaveUnresolvedPrint(const PrintJob& job, int documentBefore) {
        QFile file(QDir(programFolder()).filePath("UnresolvedPrint.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QJsonObject o{{"documentBefore", documentBefore}, {"driverDescription", "Нет связи с ККТ"},
                            {"job", printJobToJson(job)}};
        file.write(QJsonDocument(o).toJson());
        file.close();
        services = &installSaleCommands(*screen);
        ASSERT_TRUE(services->printer.hasUnresolved());
    }

    static PrintJob breadOnly() {
        PrintJob job = salestest::saleJob("", "");
        job.cashierName = "Иванов И.И.";
        job.lines.removeLast();
        job.total = job.cash = Money::fromKopecks(10000);
        job.card = Money{};
        job.totalText = "100.00";
        return job;
    }

    testsupport::FakeMessages messages;
    SaleServices* services = nullptr;
};

}  // namespace

TEST_F(SaleEndToEndTest, SaleIsPaidPrintedStoredAndTheScreenIsReadyForTheNext) {
    buildSale();
    payWith("100");
    int stored = 0;
    afterPrinting([&] {
        stored = fmCheckInfo->printState();
        EXPECT_EQ(fmCheckInfo->lblSumCheck->text(), "169.00");
        EXPECT_EQ(fmCheckInfo->lblEl->text(), "100.00");
        EXPECT_EQ(fmCheckInfo->lblNal->text(), "69.00");
        EXPECT_EQ(fmCheckInfo->lblPrepay->text(), "- ");
        EXPECT_EQ(fmCheckInfo->btnCancel->text(), "ЗАКРЫТЬ");
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);

    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_GT(stored, 0);

    const fiscal::RegisterState reg = kkt->state();
    EXPECT_EQ(reg.totals.sell, 16900);
    EXPECT_EQ(reg.receiptsInShift, 1);

    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    const fb::Row& d = docs[0];
    EXPECT_EQ(d.integer("DOC_ID"), stored);
    EXPECT_EQ(d.integer("DOC_TYPE"), 3);
    EXPECT_EQ(d.integer("DOC_CHECK_TYPE"), 1);
    EXPECT_EQ(d.integer("DOC_NUMBER"), reg.lastDocument.number);
    EXPECT_EQ(d.str("DOC_FPD"), reg.lastDocument.fiscalSign);
    EXPECT_EQ(fb::toDate(d["DOC_DATE_D"]), reg.lastDocument.dateTime.date());
    const QTime t = reg.lastDocument.dateTime.time();
    EXPECT_EQ(fb::toTime(d["DOC_TIME_T"]), QTime(t.hour(), t.minute()));
    EXPECT_EQ(d.str("DOC_SUMM_FULL"), "169.00");
    EXPECT_EQ(d.str("DOC_PAY_EL"), "100.00");
    EXPECT_EQ(d.str("DOC_PAY_NAL"), "69.00");
    EXPECT_EQ(d.integer("DOC_SNO"), 1);
    EXPECT_EQ(d.str("DOC_USER"), "Иванов И.И.");

    const auto lines = rows("SELECT * FROM DOCUMENTS_DETAIL ORDER BY DD_GOOD_ID");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].str("DD_GOOD_NAME"), "Хлеб");
    EXPECT_EQ(lines[0].str("DD_GOOD_COUNT"), "2");
    EXPECT_EQ(lines[0].str("DD_GOOD_PRICE_CURRENT"), "50.00");
    EXPECT_EQ(lines[1].str("DD_GOOD_NAME"), "Сыр");
    EXPECT_EQ(lines[1].str("DD_GOOD_COUNT"), "0.350");
    EXPECT_EQ(lines[1].str("DD_GOOD_PRICE_MAIN"), "200.00");
    EXPECT_EQ(lines[1].str("DD_GOOD_PRICE_CURRENT"), "197.14");
    EXPECT_EQ(lines[1].integer("DD_TAXRATE"), 2);

    EXPECT_EQ(stock(11), "8");
    EXPECT_EQ(stock(12), "4.650");
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, SaleReturnCarriesTheOriginalFiscalSignAndRaisesStock) {
    kkt->setParam(fiscal::LIBFPTR_PARAM_SUM, "500.00");
    ASSERT_EQ(kkt->cashIncome(), 0);
    ASSERT_TRUE(screen->setReceiptKind(2));
    screen->edFPD->setText("3162541397");
    addGoodPosition(screen->receipt(), goodRecord("11", "Хлеб", "50.00", "нет", "1", "0"), "50.00", Qty::units(1));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    kkt->clearJournal();

    payWith(QString());
    afterPrinting();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    fiscal::ParamList open;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == "openReceipt") open = e.params;
    EXPECT_EQ(open.value(fiscal::LIBFPTR_PARAM_RECEIPT_TYPE).toInt(), fiscal::LIBFPTR_RT_SELL_RETURN);
    EXPECT_EQ(open.value(fiscal::tag::AdditionalRequisite).toString(), "3162541397");
    EXPECT_EQ(kkt->state().totals.sellReturn, 5000);
    EXPECT_EQ(kkt->state().cash, 50000 - 5000);

    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].integer("DOC_CHECK_TYPE"), 2);
    EXPECT_EQ(docs[0].str("DOC_PAY_NAL"), "50.00");
    EXPECT_EQ(stock(11), "11");
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, PurchaseReturnIsPrintedStoredAndTakesTheGoodsOut) {
    ASSERT_TRUE(screen->setReceiptKind(4));
    addGoodPosition(screen->receipt(), goodRecord("11", "Хлеб", "50.00", "нет", "1", "0"), "50.00", Qty::units(1));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    payWith(QString());
    afterPrinting([] { EXPECT_GT(fmCheckInfo->printState(), 0); });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_EQ(kkt->state().totals.buyReturn, 5000);
    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].integer("DOC_TYPE"), 3);
    EXPECT_EQ(docs[0].integer("DOC_CHECK_TYPE"), 4);
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS_DETAIL").size(), 1u);
    EXPECT_EQ(stock(11), "9");
    expectReadyForNextSale();
}

// A long receipt: the receipt window shows how far the register got and
// paints meanwhile, and no timer of the program runs in the middle of it.
TEST_F(SaleEndToEndTest, LongReceiptShowsItsProgressWhilePrintingAndNothingElseRunsMeanwhile) {
    constexpr int kPositions = 300;
    for (int i = 0; i < kPositions; ++i)
        addGoodPosition(screen->receipt(), goodRecord("11", "Хлеб", "50.00", "нет", "1", "0"), "50.00", Qty::units(1));
    ASSERT_EQ(screen->RecalcReceipt(), 0);

    int paintedMidway = 0;
    int lastShown = 0;
    int ticks = 0;
    int ticksMidway = 0;
    const auto midway = [this] { return kkt->state().receipt.has_value(); };
    PaintSpy spy([&](QWidget* bar) {
        if (!midway()) return;
        ++paintedMidway;
        lastShown = static_cast<QProgressBar*>(bar)->value();
    });
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, &ticking, [&] {
        ++ticks;
        if (midway()) ++ticksMidway;
    });
    ticking.start(1);
    when([] { return fmCheckInfo != nullptr; }, [&spy] { fmCheckInfo->pbPrint->installEventFilter(&spy); });
    payWith(QString());
    afterPrinting([] { EXPECT_TRUE(fmCheckInfo->pbPrint->isHidden()); });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);

    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    EXPECT_GT(paintedMidway, 1);
    EXPECT_GT(lastShown, 0);
    EXPECT_LE(lastShown, kPositions);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(ticksMidway, 0);
}

TEST_F(SaleEndToEndTest, RefusedRegistrationKeepsTheReceiptOnTheScreen) {
    buildSale();
    kkt->failNext("registration", fiscal::LIBFPTR_ERROR_INVALID_PRICE, "Неверная цена");
    payWith(QString());
    afterPrinting([] {
        EXPECT_EQ(fmCheckInfo->printState(), 0);
        EXPECT_FALSE(fmCheckInfo->btnPrintCheck->isEnabled());
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains("Неверная цена"));
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(kkt->state().totals.sell, 0);
    EXPECT_TRUE(rows("SELECT * FROM DOCUMENTS").empty());
    EXPECT_EQ(stock(11), "10");
    // The cashier can try again with the same receipt.
    EXPECT_EQ(screen->lblChekItogo->text(), "169.00 ");
    EXPECT_EQ(calcReceiptTotal(screen->receipt()), Money::fromKopecks(16900));
    EXPECT_EQ(screen->TaxSystemCode(), 1);

    messages.clear();
    payWith(QString());
    afterPrinting();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, PrintedReceiptTheDatabaseRefusedIsKeptAndStoredLater) {
    bool databaseUp = false;
    auto realDatabase = services->database;
    services->database = [&]() -> fb::Connection* { return databaseUp ? realDatabase() : nullptr; };
    buildSale();
    payWith(QString());
    afterPrinting([&] {
        EXPECT_EQ(fmCheckInfo->printState(), -1);
        EXPECT_TRUE(fmCheckInfo->btnStoreAgain->isVisible());
        // The printed receipt waits in the print journal, with its number.
        const std::optional<JournalRecord> kept = PrintJournal(programFolder()).record(fmCheckInfo->journalRecordId());
        ASSERT_TRUE(kept.has_value());
        EXPECT_TRUE(kept->closed);
        EXPECT_EQ(kept->document.number, kkt->state().lastDocument.number);
        databaseUp = true;
        QTest::mouseClick(fmCheckInfo->btnStoreAgain, Qt::LeftButton);
        EXPECT_GT(fmCheckInfo->printState(), 0);
        EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    // One message for the refusal, and it tells the truth: printed, kept,
    // stored later.
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_TRUE(messages.boxes[0].text.startsWith(" При записи документа в БД произошла ошибка.     \r\n"));
    EXPECT_TRUE(messages.boxes[0].text.contains("журнале печати"));
    EXPECT_FALSE(messages.boxes[0].text.contains("не будет"));
    EXPECT_EQ(messages.boxes[1].text, " Чек записан в Базу Данных.     ");
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    EXPECT_EQ(stock(11), "8");
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, ClosingWithAStopLeavesEverythingAsItWas) {
    buildSale();
    screen->setTaxSystem(0);  // no tax system chosen
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), " Не указана или некорректное значение СНО.     ");
    EXPECT_EQ(fmPayCheck, nullptr);
    EXPECT_EQ(screen->lblChekItogo->text(), "169.00 ");
    EXPECT_TRUE(screen->ReceiptLines().isEmpty());
}

TEST_F(SaleEndToEndTest, DroppedDatabaseConnectionKeepsThePrintedReceiptForStoringAgain) {
    DroppedConnection dropped(true);
    bool databaseBack = false;
    auto realDatabase = services->database;
    services->database = [&]() -> fb::Connection* { return databaseBack ? realDatabase() : &dropped.connection; };
    buildSale();
    payWith(QString());
    afterPrinting([&] {
        EXPECT_EQ(fmCheckInfo->printState(), -1);
        EXPECT_TRUE(fmCheckInfo->btnStoreAgain->isVisible());
        EXPECT_TRUE(PrintJournal(programFolder()).record(fmCheckInfo->journalRecordId()).has_value());
        databaseBack = true;
        QTest::mouseClick(fmCheckInfo->btnStoreAgain, Qt::LeftButton);
        EXPECT_GT(fmCheckInfo->printState(), 0);
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 2u) << messages.last().toStdString();
    EXPECT_TRUE(messages.boxes[0].text.startsWith(" При записи документа в БД произошла ошибка.     \r\n"));
    EXPECT_TRUE(messages.boxes[0].text.contains("журнале печати"));
    EXPECT_TRUE(messages.boxes[0].text.contains("Ответ базы данных"));
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, RefusalBeforeTheRegisterOpensTheReceiptLeavesPrintingPossible) {
    buildSale();
    screen->lblUser->setText("VOTAR");
    payWith(QString());
    afterPrinting([&] {
        EXPECT_EQ(fmCheckInfo->printState(), 0);
        EXPECT_TRUE(fmCheckInfo->btnPrintCheck->isEnabled());
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains("отсутствуют ФИО"));
    EXPECT_EQ(kkt->state().totals.sell, 0);
    EXPECT_EQ(screen->lblChekItogo->text(), "169.00 ");
}

TEST_F(SaleEndToEndTest, EarlierReceiptFoundPrintedIsStoredAndTheCurrentOnePrintsOnlyWhenAsked) {
    // An earlier run left the print of a loaf unresolved; the register did print it.
    const int before = kkt->state().lastDocument.number;
    ASSERT_EQ(ReceiptPrinter().print(kkt, breadOnly()).state, PrintOutcome::State::Printed);
    const int printed = kkt->state().lastDocument.number;
    leaveUnresolvedPrint(breadOnly(), before);
    buildSale();
    payWith(QString());
    afterPrinting([&] {
        // The receipt on the screen was not printed and is not taken for the loaf.
        EXPECT_EQ(fmCheckInfo->printState(), 0);
        EXPECT_TRUE(fmCheckInfo->btnPrintCheck->isEnabled());
        EXPECT_EQ(kkt->state().totals.sell, 10000);  // the loaf only
        const auto docs = rows("SELECT * FROM DOCUMENTS");
        ASSERT_EQ(docs.size(), 1u);
        EXPECT_EQ(docs[0].integer("DOC_NUMBER"), printed);
        EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), "100.00");
        // Printing it now prints it once.
        QTest::mouseClick(fmCheckInfo->btnPrintCheck, Qt::LeftButton);
        EXPECT_GT(fmCheckInfo->printState(), 0);
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains("НЕ напечатан"));
    EXPECT_EQ(kkt->state().totals.sell, 10000 + 16900);
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 2u);
    EXPECT_EQ(stock(11), "6");  // both loaves left the shelf
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, ShiftOperationsWaitForAnUnresolvedPrintToBeSettled) {
    // An earlier run left a print unresolved that the register never printed.
    const int before = kkt->state().lastDocument.number;
    leaveUnresolvedPrint(breadOnly(), before);
    const CashierLabels cashier{"Кассир : ", "Иванов И.И.", ""};

    // The register cannot tell yet: the Z report is refused and nothing is printed.
    kkt->failNext("fnQueryData", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
    EXPECT_FALSE(screen->registerMenu().closeShift(cashier));
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), registerText::kPrintUnresolved);
    EXPECT_TRUE(services->printer.hasUnresolved());
    EXPECT_EQ(kkt->state().lastDocument.number, before);

    // Once the register answers the print is settled first (not printed),
    // then the shift is closed and opened again: two new documents.
    messages.clear();
    ASSERT_TRUE(screen->registerMenu().closeShift(cashier)) << messages.last().toStdString();
    EXPECT_FALSE(services->printer.hasUnresolved());
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    ASSERT_TRUE(screen->registerMenu().openShift(cashier)) << messages.last().toStdString();
    EXPECT_GT(kkt->state().lastDocument.number, before + 1);

    // Those documents are not taken for the receipt: the sale prints and is stored as itself.
    buildSale();
    payWith(QString());
    afterPrinting();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].str("DOC_SUMM_FULL"), "169.00");
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, SecondPaymentWithAnotherSplitStoresTheEarlierPrintAndPrintsNothingAgain) {
    // The sale is closed and paid 100.00 by card, 69.00 in cash; the program
    // dies right after the register printed it, before anything was stored.
    buildSale();
    QList<QStringList> lines;
    when([] { return fmPayCheck && fmPayCheck->isVisible(); },
         [&] {
             lines = screen->ReceiptLines();
             QTest::mouseClick(fmPayCheck->Button13, Qt::LeftButton);
         });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_FALSE(lines.isEmpty());
    PrintJob first = breadOnly();
    first.lines = lines;
    first.total = Money::fromKopecks(16900);
    first.totalText = "169.00";
    first.card = Money::fromKopecks(10000);
    first.cash = Money::fromKopecks(6900);
    JournalRecord record;
    record.id = PrintJournal(programFolder()).newId();
    record.job = first;
    record.documentBefore = kkt->state().lastDocument.number;
    ASSERT_TRUE(PrintJournal(programFolder()).put(record));
    ASSERT_EQ(ReceiptPrinter().print(kkt, first).state, PrintOutcome::State::Printed);
    const fiscal::FiscalDocument printed = kkt->state().lastDocument;

    // The sale is still on the screen; the cashier pays it again, all in cash.
    kkt->clearJournal();
    payWith(QString());
    afterPrinting([&] {
        EXPECT_GT(fmCheckInfo->printState(), 0);
        EXPECT_FALSE(fmCheckInfo->btnPrintCheck->isEnabled());
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);

    for (const fiscal::JournalEntry& e : kkt->journal()) EXPECT_NE(e.method, "openReceipt");
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].integer("DOC_NUMBER"), printed.number);
    EXPECT_EQ(docs[0].str("DOC_FPD"), printed.fiscalSign);
    // Stored as the register printed it: with the first payment's split.
    EXPECT_EQ(docs[0].str("DOC_PAY_EL"), "100.00");
    EXPECT_EQ(docs[0].str("DOC_PAY_NAL"), "69.00");
    EXPECT_EQ(stock(11), "8");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QString::number(printed.number))) << messages.last().toStdString();
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, RegisterGoneAtPrintingShowsNotConnectedAndTheMenuFollows) {
    ASSERT_TRUE(screen->KKTConnected());
    buildSale();
    when([] { return fmPayCheck && fmPayCheck->isVisible(); },
         [] {
             fmPayCheck->CheckBox3->setChecked(false);  // print when the cashier presses "ПЕЧАТЬ"
             QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton);
         });
    when([] { return fmCheckInfo && fmCheckInfo->isVisible(); },
         [this] {
             kkt->failNext("open", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
             QTest::mouseClick(fmCheckInfo->btnPrintCheck, Qt::LeftButton);
             EXPECT_EQ(fmCheckInfo->printState(), 0);
             QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton);
         });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), "Нет связи с ККТ.     ");
    EXPECT_EQ(screen->lblKKT->text(), "не подключена");
    EXPECT_FALSE(screen->KKTConnected());
    screen->M_KKTClick();
    EXPECT_FALSE(screen->action("M_OpenSession")->isEnabled());
    EXPECT_FALSE(screen->action("MIncome")->isEnabled());
    EXPECT_EQ(kkt->state().totals.sell, 0);
}

TEST_F(SaleEndToEndTest, AnotherSalesUnresolvedPrintKeepsPrintingDisabledUntilSettled) {
    // An earlier run left the print of a loaf unresolved; the register cannot tell yet.
    leaveUnresolvedPrint(breadOnly(), kkt->state().lastDocument.number);
    kkt->failAlways("fnQueryData", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
    buildSale();
    payWith(QString());
    afterPrinting([] {
        EXPECT_EQ(fmCheckInfo->printState(), 0);
        EXPECT_FALSE(fmCheckInfo->btnPrintCheck->isEnabled());
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains("не будет напечатан")) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sell, 0);
    EXPECT_EQ(screen->lblChekItogo->text(), "169.00 ");

    // Once the register answers (it never printed the loaf) the sale prints.
    kkt->clearFailures();
    messages.clear();
    payWith(QString());
    afterPrinting([] { EXPECT_GT(fmCheckInfo->printState(), 0); });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());
    expectReadyForNextSale();
}

TEST_F(SaleEndToEndTest, LoginStoresWhatTheRegisterPrintedBeforeAKillAndTellsTheCashier) {
    // A run killed right after the register closed the receipt: the journal
    // holds the job, the register the receipt, the database nothing.
    JournalRecord record;
    record.id = PrintJournal(programFolder()).newId();
    record.job = breadOnly();
    record.documentBefore = kkt->state().lastDocument.number;
    ASSERT_TRUE(PrintJournal(programFolder()).put(record));
    ASSERT_EQ(ReceiptPrinter().print(kkt, breadOnly()).state, PrintOutcome::State::Printed);

    settlePrintsAtLogin(*screen);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), " Записано в Базу Данных напечатанных ранее чеков: 1.     ");
    const auto docs = rows("SELECT * FROM DOCUMENTS");
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].integer("DOC_NUMBER"), kkt->state().lastDocument.number);
    EXPECT_EQ(stock(11), "8");
    EXPECT_TRUE(PrintJournal(programFolder()).isEmpty());

    // The next login has nothing to say and stores nothing again.
    messages.clear();
    settlePrintsAtLogin(*screen);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
}

TEST_F(SaleEndToEndTest, ASaleTheTapeCouldNotTakeIsStoredTheCashierToldAndTheTapeCompletedAtTheNextStart) {
    // The disk is full: the tape opens as ever, but takes nothing.
    const QString tapePath = kkt->tapePath();
    const QString kept = tapePath + QStringLiteral(".kept");
    ASSERT_TRUE(QFile::rename(tapePath, kept));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), tapePath));
    buildSale();
    payWith("100");
    afterPrinting();
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);

    const int number = kkt->state().lastDocument.number;
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("ФД № %1").arg(number))) << messages.last().toStdString();
    EXPECT_TRUE(messages.last().contains(QStringLiteral("чековая лента"))) << messages.last().toStdString();
    ASSERT_EQ(rows("SELECT * FROM DOCUMENTS").size(), 1u);
    expectReadyForNextSale();

    // Room on the disk again, and the program starts anew.
    ASSERT_TRUE(QFile::remove(tapePath));
    ASSERT_TRUE(QFile::rename(kept, tapePath));
    fiscal::RegisterEmulator restarted(programFolder());
    QFile tape(tapePath);
    ASSERT_TRUE(tape.open(QIODevice::ReadOnly));
    const QString paper = QString::fromUtf8(tape.readAll());
    EXPECT_TRUE(paper.contains(QStringLiteral("ФД %1 ").arg(number))) << paper.toStdString();
    EXPECT_TRUE(paper.contains(QStringLiteral("=169.00"))) << paper.toStdString();
}
