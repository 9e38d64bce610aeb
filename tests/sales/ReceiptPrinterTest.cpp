// Printing a receipt on the register emulator: the calls and their values,
// refusals that cancel the receipt, and closing whose answer is lost.
#include "platform/fiscal/EmulatorFixture.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/ReceiptPrinter.h"

#include "PrintJobSample.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace fiscal;
using namespace sales;

namespace {

// The driver's protected parameter store, reached from a wrapper.
struct DriverAccess : IFiscalDriver {
    static void store(IFiscalDriver& d, int id, const QVariant& v) { (d.*(&DriverAccess::storeParam))(id, v); }
    static QVariant output(const IFiscalDriver& d, int id) { return (d.*(&DriverAccess::outputParam))(id); }
};

// The emulator behind a link that can lose answers: a method named in
// `loseAnswerOf` runs in the register but reports a lost connection, and
// `offlineAfter` cuts the link once that method has run.
class FlakyLink final : public IFiscalDriver {
public:
    explicit FlakyLink(RegisterEmulator& kkt) : kkt_(kkt) {}

    QSet<QString> loseAnswerOf;
    QString offlineAfter;
    bool offline = false;
    // Once this method has run, the fiscal drive's data cannot be read.
    QString fnQueriesLostAfter;
    bool fnQueriesLost = false;

    int open() override { return run("open", [this] { return kkt_.open(); }); }
    int close() override { return run("close", [this] { return kkt_.close(); }); }
    bool isOpened() const override { return !offline && kkt_.isOpened(); }
    QString version() const override { return kkt_.version(); }
    int errorCode() const override { return code_ ? code_ : kkt_.errorCode(); }
    QString errorDescription() const override { return code_ ? text_ : kkt_.errorDescription(); }
    int resetError() override {
        code_ = 0;
        return kkt_.resetError();
    }
    int queryData() override { return run("queryData", [this] { return kkt_.queryData(); }); }
    int fnQueryData() override {
        if (fnQueriesLost) return lost();
        return run("fnQueryData", [this] { return kkt_.fnQueryData(); });
    }
    int operatorLogin() override { return run("operatorLogin", [this] { return kkt_.operatorLogin(); }); }
    int openShift() override { return run("openShift", [this] { return kkt_.openShift(); }); }
    int report() override { return run("report", [this] { return kkt_.report(); }); }
    int cashIncome() override { return run("cashIncome", [this] { return kkt_.cashIncome(); }); }
    int openReceipt() override { return run("openReceipt", [this] { return kkt_.openReceipt(); }); }
    int cancelReceipt() override { return run("cancelReceipt", [this] { return kkt_.cancelReceipt(); }); }
    int registration() override { return run("registration", [this] { return kkt_.registration(); }); }
    int payment() override { return run("payment", [this] { return kkt_.payment(); }); }
    int closeReceipt() override { return run("closeReceipt", [this] { return kkt_.closeReceipt(); }); }
    int checkDocumentClosed() override {
        return run("checkDocumentClosed", [this] { return kkt_.checkDocumentClosed(); });
    }
    int beginMarkingCodeValidation() override { return kkt_.beginMarkingCodeValidation(); }
    int getMarkingCodeValidationStatus() override { return kkt_.getMarkingCodeValidationStatus(); }
    int acceptMarkingCode() override { return kkt_.acceptMarkingCode(); }
    int declineMarkingCode() override { return kkt_.declineMarkingCode(); }
    int cancelMarkingCodeValidation() override { return kkt_.cancelMarkingCodeValidation(); }
    int clearMarkingCodeValidationResult() override { return kkt_.clearMarkingCodeValidationResult(); }
    int utilFormTlv() override { return run("utilFormTlv", [this] { return kkt_.utilFormTlv(); }); }

protected:
    void storeParam(int id, const QVariant& value) override { DriverAccess::store(kkt_, id, value); }
    QVariant outputParam(int id) const override { return offline ? QVariant() : DriverAccess::output(kkt_, id); }

private:
    template <class F>
    int run(const char* method, F call) {
        code_ = 0;
        const QString name = QString::fromLatin1(method);
        if (offline) return lost();
        const int rc = call();
        if (name == offlineAfter) offline = true;
        if (name == fnQueriesLostAfter) fnQueriesLost = true;
        if (loseAnswerOf.remove(name)) return lost();
        return rc;
    }
    int lost() {
        code_ = LIBFPTR_ERROR_NO_CONNECTION;
        text_ = QStringLiteral("Нет связи с ККТ");
        return -1;
    }

    RegisterEmulator& kkt_;
    int code_ = 0;
    QString text_;
};

using salestest::line;

// Bread 2 x 50.00 from China with its declaration, cheese 0.350 kg at 197.14
// with an in-store weight code; 169.00 in all, 100.00 by card, 69.00 cash.
PrintJob saleJob() { return salestest::saleJob("04600000000017", "2000012000005"); }

QStringList methods(const QList<JournalEntry>& journal) {
    QStringList m;
    for (const JournalEntry& e : journal) m << e.method;
    return m;
}

QList<JournalEntry> calls(const QList<JournalEntry>& journal, const QString& method) {
    QList<JournalEntry> out;
    for (const JournalEntry& e : journal)
        if (e.method == method) out << e;
    return out;
}

class ReceiptPrinterTest : public test::EmulatorTest {
protected:
    void SetUp() override {
        ASSERT_EQ(openShift(), 0);
        kkt->clearJournal();
    }

    int acceptCode(const QString& code, int status, const QString& fraction = QString()) {
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, status);
        if (!fraction.isEmpty()) kkt->setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, fraction);
        if (kkt->beginMarkingCodeValidation() != 0) return -1;
        for (int i = 0; i < 3; ++i) kkt->getMarkingCodeValidationStatus();
        return kkt->acceptMarkingCode();
    }

    ReceiptPrinter printer;
};

}  // namespace

TEST(ReceiptPrinterCodes, ProgramCodesAreTranslatedToTheDriversConstants) {
    EXPECT_EQ(receiptTypeOf(1), LIBFPTR_RT_SELL);
    EXPECT_EQ(receiptTypeOf(2), LIBFPTR_RT_SELL_RETURN);
    EXPECT_EQ(receiptTypeOf(3), LIBFPTR_RT_BUY);
    EXPECT_EQ(receiptTypeOf(4), LIBFPTR_RT_BUY_RETURN);
    EXPECT_FALSE(receiptTypeOf(5));
    const QList<QPair<int, int>> vat{{1, LIBFPTR_TAX_VAT20}, {2, LIBFPTR_TAX_VAT10}, {3, LIBFPTR_TAX_VAT120},
                                     {4, LIBFPTR_TAX_VAT110}, {5, LIBFPTR_TAX_VAT0},  {6, LIBFPTR_TAX_NO}};
    for (const auto& [code, constant] : vat) EXPECT_EQ(vatTypeOf(code), constant) << code;
    EXPECT_FALSE(vatTypeOf(0));
    EXPECT_FALSE(vatTypeOf(7));
    const QList<QPair<int, int>> systems{{1, LIBFPTR_TT_OSN}, {2, LIBFPTR_TT_USN_INCOME},
                                         {4, LIBFPTR_TT_USN_INCOME_OUTCOME}, {16, LIBFPTR_TT_ESN},
                                         {32, LIBFPTR_TT_PATENT}};
    for (const auto& [code, constant] : systems) EXPECT_EQ(taxSystemOf(code), constant) << code;
    EXPECT_FALSE(taxSystemOf(8));

    // In-store and weight codes stay in the shop.
    EXPECT_TRUE(sendsProductCode("4600000000017"));
    EXPECT_FALSE(sendsProductCode("2000012000005"));
    EXPECT_FALSE(sendsProductCode("0002912345678901"));  // 13 digits once the zeros are gone
    EXPECT_TRUE(sendsProductCode("3012345678901"));
    EXPECT_TRUE(sendsProductCode("20123"));
}

TEST_F(ReceiptPrinterTest, SaleGoesThroughTheRegisterInOrderWithItsValues) {
    const PrintOutcome o = printer.print(kkt.get(), saleJob());
    ASSERT_EQ(o.state, PrintOutcome::State::Printed) << (o.messages.isEmpty() ? "" : o.messages[0].text.toStdString());
    EXPECT_TRUE(o.messages.isEmpty());

    const QList<JournalEntry> j = kkt->journal();
    EXPECT_EQ(methods(j), (QStringList{"open", "resetError", "queryData", "fnQueryData", "operatorLogin", "resetError",
                                       "openReceipt", "registration", "registration", "payment", "payment",
                                       "closeReceipt", "checkDocumentClosed", "fnQueryData"}));
    for (const JournalEntry& e : j) EXPECT_EQ(e.errorCode, 0) << e.method.toStdString();

    EXPECT_EQ(j[2].params.value(LIBFPTR_PARAM_DATA_TYPE).toInt(), LIBFPTR_DT_STATUS);
    EXPECT_EQ(j[3].params.value(LIBFPTR_PARAM_FN_DATA_TYPE).toInt(), LIBFPTR_FNDT_LAST_DOCUMENT);
    EXPECT_EQ(j[4].params.value(tag::CashierName).toString(), "Иванова А.А.");

    const ParamList& open = j[6].params;
    EXPECT_EQ(open.value(LIBFPTR_PARAM_RECEIPT_TYPE).toInt(), LIBFPTR_RT_SELL);
    EXPECT_EQ(open.value(tag::TaxSystem).toInt(), LIBFPTR_TT_OSN);
    EXPECT_FALSE(open.has(tag::AdditionalRequisite));
    EXPECT_FALSE(open.has(tag::BuyerContact));
    EXPECT_FALSE(open.has(tag::BuyerInfo));

    const ParamList& bread = j[7].params;
    EXPECT_EQ(bread.value(LIBFPTR_PARAM_COMMODITY_NAME).toString(), "Хлеб");
    EXPECT_EQ(bread.value(LIBFPTR_PARAM_PRICE).toString(), "50.00");
    EXPECT_EQ(bread.value(LIBFPTR_PARAM_QUANTITY).toString(), "2");
    EXPECT_EQ(bread.value(tag::MeasurementUnit).toInt(), 0);
    EXPECT_EQ(bread.value(LIBFPTR_PARAM_TAX_TYPE).toInt(), LIBFPTR_TAX_VAT20);
    EXPECT_EQ(bread.value(tag::PaymentObject).toInt(), 1);
    EXPECT_EQ(bread.value(tag::PaymentMethod).toInt(), 4);
    EXPECT_EQ(bread.value(LIBFPTR_PARAM_PRODUCT_CODE).toString(), "04600000000017");
    EXPECT_FALSE(bread.has(tag::OriginCountry));  // no buyer: no country
    const ParamList& cheese = j[8].params;
    EXPECT_EQ(cheese.value(LIBFPTR_PARAM_PRICE).toString(), "197.14");
    EXPECT_EQ(cheese.value(LIBFPTR_PARAM_QUANTITY).toString(), "0.350");
    EXPECT_EQ(cheese.value(tag::MeasurementUnit).toInt(), 11);
    EXPECT_EQ(cheese.value(LIBFPTR_PARAM_TAX_TYPE).toInt(), LIBFPTR_TAX_VAT10);
    EXPECT_FALSE(cheese.has(LIBFPTR_PARAM_PRODUCT_CODE));

    EXPECT_EQ(j[9].params.value(LIBFPTR_PARAM_PAYMENT_TYPE).toInt(), LIBFPTR_PT_ELECTRONICALLY);
    EXPECT_EQ(j[9].params.value(LIBFPTR_PARAM_PAYMENT_SUM).toString(), "100.00");
    EXPECT_EQ(j[10].params.value(LIBFPTR_PARAM_PAYMENT_TYPE).toInt(), LIBFPTR_PT_CASH);
    EXPECT_EQ(j[10].params.value(LIBFPTR_PARAM_PAYMENT_SUM).toString(), "69.00");

    // The register's receipt total is the screen's.
    const RegisterState s = kkt->state();
    EXPECT_EQ(s.totals.sell, 16900);
    EXPECT_FALSE(s.receipt.has_value());
    EXPECT_TRUE(o.document.read);
    EXPECT_EQ(o.document.number, s.lastDocument.number);
    EXPECT_EQ(o.document.fiscalSign, s.lastDocument.fiscalSign);
    EXPECT_EQ(o.document.dateTime, s.lastDocument.dateTime);
}

TEST_F(ReceiptPrinterTest, ReturnToABuyerCarriesBuyerRefundedSignCountryAndAddress) {
    ASSERT_EQ(cashIn("500.00"), 0);
    kkt->clearJournal();
    PrintJob job = saleJob();
    job.kind = 2;
    job.taxSystemCode = 2;
    job.legalEntity = true;
    job.buyerName = "ООО Ромашка";
    job.buyerInn = "7701234567";
    job.buyerContact = "buyer@example.ru";
    job.ourEmail = "shop@example.ru";
    job.refundedFiscalSign = "3162541397";
    job.lines[1][LineCountry] = "0";
    const PrintOutcome o = printer.print(kkt.get(), job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed);
    const QList<JournalEntry> j = kkt->journal();
    const JournalEntry tlv = calls(j, "utilFormTlv").value(0);
    EXPECT_EQ(tlv.params.value(tag::BuyerName).toString(), "ООО Ромашка");
    EXPECT_EQ(tlv.params.value(tag::BuyerInn).toString(), "7701234567");
    const ParamList open = calls(j, "openReceipt").value(0).params;
    EXPECT_EQ(open.value(LIBFPTR_PARAM_RECEIPT_TYPE).toInt(), LIBFPTR_RT_SELL_RETURN);
    EXPECT_EQ(open.value(tag::TaxSystem).toInt(), LIBFPTR_TT_USN_INCOME);
    EXPECT_EQ(open.value(tag::AdditionalRequisite).toString(), "3162541397");
    EXPECT_EQ(open.value(tag::BuyerContact).toString(), "buyer@example.ru");
    EXPECT_EQ(open.value(tag::SenderEmail).toString(), "shop@example.ru");
    EXPECT_FALSE(open.value(tag::BuyerInfo).toByteArray().isEmpty());
    const QList<JournalEntry> rows = calls(j, "registration");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].params.value(tag::OriginCountry).toString(), "156");
    EXPECT_EQ(rows[0].params.value(tag::CustomsDeclaration).toString(), "10702070/010120/0001234");
    EXPECT_FALSE(rows[1].params.has(tag::OriginCountry));  // "0" is no country
    EXPECT_FALSE(rows[1].params.has(tag::CustomsDeclaration));
    for (const JournalEntry& r : rows) EXPECT_EQ(r.params.value(LIBFPTR_PARAM_TAX_TYPE).toInt(), LIBFPTR_TAX_NO);
    const RegisterState s = kkt->state();
    EXPECT_EQ(s.totals.sellReturn, 16900);
    EXPECT_EQ(s.cash, 50000 - 6900);
}

TEST_F(ReceiptPrinterTest, MarkedRowsAreRegisteredAsOneItemWithTheirCode) {
    ASSERT_EQ(acceptCode("0104600000000011215ABCDEFGHIJKLM", 1), 0);
    ASSERT_EQ(acceptCode("0104600000000028215NOPQRSTUVWXYZ", 2, "3/10"), 0);
    kkt->clearJournal();
    PrintJob job = saleJob();
    job.lines = {line({"21", "Туфли", "33", "3000.00", "3000.00", "1", "643", "", "", "5", "04600000000011", "5ABCDEFGHIJKLM",
                       "1", "0104600000000011215ABCDEFGHIJKLM", "1", "0", "15", "1", ""}),
                 line({"22", "Творог", "31", "400.00", "400.00", "0.300", "643", "", "", "13", "04600000000028", "5NOPQR", "1",
                       "0104600000000028215NOPQRSTUVWXYZ", "2", "0", "15", "2", "3/10"})};
    job.total = Money::fromKopecks(312000);
    job.card = job.total;
    job.cash = Money{};
    const PrintOutcome o = printer.print(kkt.get(), job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed) << (o.messages.isEmpty() ? "" : o.messages[0].text.toStdString());
    const QList<JournalEntry> rows = calls(kkt->journal(), "registration");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_QUANTITY).toInt(), 1);
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_PRICE).toString(), "3000.00");
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_MARKING_CODE).toString(), "0104600000000011215ABCDEFGHIJKLM");
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_MARKING_CODE_STATUS).toInt(), 1);
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_MARKING_PROCESSING_MODE).toInt(), 0);
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT).toInt(), 15);
    EXPECT_FALSE(rows[0].params.has(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY));
    EXPECT_FALSE(rows[0].params.has(LIBFPTR_PARAM_PRODUCT_CODE));
    EXPECT_EQ(rows[1].params.value(LIBFPTR_PARAM_PRICE).toString(), "120.00");
    EXPECT_EQ(rows[1].params.value(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString(), "3/10");
    EXPECT_EQ(kkt->state().totals.sell, 312000);
}

TEST_F(ReceiptPrinterTest, TobaccoSoldWithoutItsCodeIsRegisteredWithoutMarkingButACutCodeStops) {
    // A pack sold "без маркировки" has neither serial nor code: it is
    // registered as the excise goods it is, with no marking requisites.
    kkt->clearJournal();
    PrintJob job = saleJob();
    job.lines = {line({"31", "Сигареты", "31", "185.00", "185.00", "1", "643", "", "", "4", "04600000000035", "", "0", "",
                       "1", "0", "0", "0", ""})};
    job.total = Money::fromKopecks(18500);
    job.card = Money{};
    job.cash = job.total;
    const PrintOutcome o = printer.print(kkt.get(), job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed) << (o.messages.isEmpty() ? "" : o.messages[0].text.toStdString());
    const QList<JournalEntry> rows = calls(kkt->journal(), "registration");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_PRICE).toString(), "185.00");
    EXPECT_EQ(rows[0].params.value(LIBFPTR_PARAM_QUANTITY).toInt(), 1);
    EXPECT_FALSE(rows[0].params.has(LIBFPTR_PARAM_MARKING_CODE));
    EXPECT_FALSE(rows[0].params.has(LIBFPTR_PARAM_MARKING_CODE_STATUS));

    // A unit with a serial but no code lost its code on the way: it stops
    // before the register opens anything.
    kkt->clearJournal();
    job.lines[0][LineSerial] = "ABC1234";
    const PrintOutcome cut = printer.print(kkt.get(), job);
    EXPECT_NE(cut.state, PrintOutcome::State::Printed);
    EXPECT_TRUE(calls(kkt->journal(), "openReceipt").isEmpty());
}

TEST_F(ReceiptPrinterTest, RegisterStateStopsPrintingBeforeAnythingOpens) {
    struct Case {
        const char* what;
        std::function<void(ReceiptPrinterTest&, PrintJob&)> arrange;
        QString message;
        bool connectionLost;
    };
    const QList<Case> cases{
        {"built-in administrator", [](ReceiptPrinterTest&, PrintJob& j) { j.cashierName = " VOTAR "; },
         QStringLiteral("Некорректные данные пользователя:     \r\n\r\nотсутствуют ФИО."), false},
        {"no connection",
         [](ReceiptPrinterTest& t, PrintJob&) { t.kkt->failNext("open", LIBFPTR_ERROR_NO_CONNECTION, "x"); },
         QStringLiteral("Нет связи с ККТ.     "), true},
        {"shift closed",
         [](ReceiptPrinterTest& t, PrintJob&) {
             t.kkt->setParam(LIBFPTR_PARAM_REPORT_TYPE, LIBFPTR_RT_CLOSE_SHIFT);
             t.kkt->setParam(tag::CashierName, "Иванова");
             ASSERT_EQ(t.kkt->report(), 0);
         },
         QStringLiteral(" Смена в ККТ закрыта. Откройте смену.     "), false},
        {"shift expired", [](ReceiptPrinterTest& t, PrintJob&) { t.kkt->setClockOffset(25 * 3600); },
         QStringLiteral(" Смена в ККТ превысила 24 часа.     "), false},
        {"status refused",
         [](ReceiptPrinterTest& t, PrintJob&) { t.kkt->failNext("queryData", 2, "Порт недоступен"); },
         QStringLiteral("Порт недоступен    "), false},
        {"row without a name", [](ReceiptPrinterTest&, PrintJob& j) { j.lines[1][LineName] = ""; },
         QStringLiteral(" При работе приложения произошла ошибка:     \r\n   Отсутствует наименование товара.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.     \r\n\r\n"
                        " Сообщите о возникшей проблеме разработчику.     "),
         false},
        {"row with VAT 0 under the general system", [](ReceiptPrinterTest&, PrintJob& j) { j.lines[1][LineVat] = "0"; },
         QStringLiteral(" При работе программы произошла ошибка:      \r\n   Неизвестное значение реквизита 'Ставка НДС'.     "
                        "\r\n\r\n Перезапустите программу и продолжите работу.     \r\n\r\n"
                        " Сообщите о возникшей проблеме разработчику.     "),
         false},
        {"row of mark type 8", [](ReceiptPrinterTest&, PrintJob& j) { j.lines[0][LineMarkType] = "8"; },
         QStringLiteral(" При работе программы произошла ошибка:     \r\n   Неизвестный тип маркировки.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.     \r\n\r\n"
                        " Сообщите о возникшей проблеме разработчику.     "),
         false},
        {"row with a unit code that is none", [](ReceiptPrinterTest&, PrintJob& j) { j.lines[0][LineMeasure] = "шт"; },
         QStringLiteral(" При работе программы произошла ошибка:     \r\n"
                        "   Некорректное значение реквизита 'мера количества' в позиции 1.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.     \r\n\r\n"
                        " Сообщите о возникшей проблеме разработчику.     "),
         false},
        {"ЕНВД", [](ReceiptPrinterTest&, PrintJob& j) { j.taxSystemCode = 8; },
         QStringLiteral(" При работе программы произошел сбой:     \r\n 'некорректная СНО - ЕНВД'.     \r\n\r\n"
                        " Укажите требуемую СНО.     \r\n\r\n Сообщите о возникшей проблеме разработчику.     "),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kkt->setClockOffset(0);
        if (!kkt->state().shiftOpen) {
            ASSERT_EQ(openShift(), 0);
        }
        kkt->clearJournal();
        PrintJob job = saleJob();
        c.arrange(*this, job);
        const int before = kkt->state().lastDocument.number;
        kkt->clearJournal();
        const PrintOutcome o = printer.print(kkt.get(), job);
        EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
        ASSERT_EQ(o.messages.size(), 1);
        EXPECT_EQ(o.messages[0].text, c.message);
        EXPECT_EQ(o.messages[0].kind, PrintMessage::Kind::Error);
        EXPECT_EQ(o.connectionLost, c.connectionLost);
        EXPECT_FALSE(methods(kkt->journal()).contains("openReceipt"));
        EXPECT_FALSE(kkt->state().receipt.has_value());
        EXPECT_EQ(kkt->state().lastDocument.number, before);
    }
}

TEST_F(ReceiptPrinterTest, RefusalAfterOpeningCancelsTheReceiptAndShowsTheDriversWords) {
    struct Case {
        const char* method;
        QString message;
    };
    const QList<Case> cases{
        {"registration", QStringLiteral(" Позиция 1 не принята ККТ.     \r\n Ответ драйвера: 'Неверная цена'     \r\n\r\n"
                                        " Чек отменен и не будет записан в Базу Данных.     ")},
        {"payment", QStringLiteral(" Оплата не принята ККТ.     \r\n Ответ драйвера: 'Неверная цена'     \r\n\r\n"
                                   " Чек отменен и не будет записан в Базу Данных.     ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const RegisterState before = kkt->state();
        kkt->failNext(c.method, LIBFPTR_ERROR_INVALID_PRICE, "Неверная цена");
        const PrintOutcome o = printer.print(kkt.get(), saleJob());
        EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
        ASSERT_EQ(o.messages.size(), 1);
        EXPECT_EQ(o.messages[0].text, c.message);
        const QStringList m = methods(kkt->journal());
        EXPECT_EQ(m.last(), "cancelReceipt");
        EXPECT_FALSE(m.contains("closeReceipt"));
        const RegisterState after = kkt->state();
        EXPECT_FALSE(after.receipt.has_value());
        EXPECT_EQ(after.lastDocument.number, before.lastDocument.number);
        EXPECT_EQ(after.totals.sell, before.totals.sell);
        kkt->clearJournal();
    }
    // The register refusing to open shows its code and words plainly.
    kkt->failNext("openReceipt", LIBFPTR_ERROR_RECEIPT_OPENED, "Чек уже открыт");
    const PrintOutcome o = printer.print(kkt.get(), saleJob());
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_EQ(o.messages[0].text, "30   Чек уже открыт");
    EXPECT_EQ(o.messages[0].kind, PrintMessage::Kind::Plain);
}

TEST_F(ReceiptPrinterTest, CloseRefusedByTheRegisterIsNotPrintedAndNothingStaysOpen) {
    PrintJob job = saleJob();
    job.cash = Money::fromKopecks(6800);  // 0.01 short: the register will not close it
    const int before = kkt->state().lastDocument.number;
    const PrintOutcome o = printer.print(kkt.get(), job);
    EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_EQ(o.messages[0].text, QStringLiteral(" При печати чека произошла ошибка.     \r\n"
                                                 " Ответ драйвера: 'Недостаточно средств для оплаты чека'     \r\n\r\n"
                                                 " Чек не будет записан в Базу Данных.     "));
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(kkt->state().lastDocument.number, before);
    EXPECT_EQ(methods(kkt->journal()).last(), "cancelReceipt");
    EXPECT_FALSE(printer.hasUnresolved());
}

TEST_F(ReceiptPrinterTest, LostAnswerOfAClosedReceiptStillCountsAsPrinted) {
    for (const char* method : {"closeReceipt", "checkDocumentClosed"}) {
        SCOPED_TRACE(method);
        kkt->clearJournal();
        FlakyLink link(*kkt);
        link.loseAnswerOf << QString::fromLatin1(method);
        const int before = kkt->state().lastDocument.number;
        const PrintOutcome o = printer.print(&link, saleJob());
        ASSERT_EQ(o.state, PrintOutcome::State::Printed);
        EXPECT_EQ(o.document.number, before + 1);
        EXPECT_EQ(o.document.fiscalSign, kkt->state().lastDocument.fiscalSign);
        ASSERT_EQ(o.messages.size(), 1);
        EXPECT_EQ(o.messages[0].kind, PrintMessage::Kind::Information);
        EXPECT_EQ(calls(kkt->journal(), "closeReceipt").size(), 1);
        EXPECT_FALSE(printer.hasUnresolved());
    }
}

TEST_F(ReceiptPrinterTest, UnknownResultIsResolvedBeforeAnythingPrintsAgain) {
    FlakyLink link(*kkt);
    link.loseAnswerOf << "closeReceipt";
    link.offlineAfter = "closeReceipt";
    const PrintJob first = saleJob();
    PrintOutcome o = printer.print(&link, first);
    EXPECT_EQ(o.state, PrintOutcome::State::Unknown);
    EXPECT_TRUE(printer.hasUnresolved());
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages[0].text.contains("Не удалось узнать у ККТ, напечатан ли чек."));
    const int printed = kkt->state().lastDocument.number;

    // Still no link: still unknown, and nothing is sent.
    kkt->clearJournal();
    PrintJob second = saleJob();
    second.lines.removeLast();
    o = printer.print(&link, second);
    EXPECT_EQ(o.state, PrintOutcome::State::Unknown);
    EXPECT_TRUE(o.connectionLost);
    EXPECT_TRUE(kkt->journal().isEmpty());

    // The link is back: the first receipt turns out printed and is handed
    // back for storing on its own; the changed receipt is neither printed
    // nor taken for the printed one.
    link.offlineAfter.clear();
    link.offline = false;
    o = printer.print(&link, second);
    EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
    ASSERT_TRUE(o.earlier.has_value());
    EXPECT_EQ(o.earlier->job.lines, first.lines);
    EXPECT_EQ(o.earlier->document.number, printed);
    EXPECT_EQ(o.job.lines, second.lines);
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages[0].text.contains("НЕ напечатан")) << o.messages[0].text.toStdString();
    EXPECT_FALSE(o.afterOpen);
    EXPECT_FALSE(methods(kkt->journal()).contains("openReceipt"));
    EXPECT_FALSE(printer.hasUnresolved());
    EXPECT_EQ(kkt->state().totals.sell, 16900);

    // From now on printing is as usual.
    o = printer.print(&link, second);
    EXPECT_EQ(o.state, PrintOutcome::State::Printed);
    EXPECT_FALSE(o.earlier.has_value());
    EXPECT_EQ(o.job.lines, second.lines);
    EXPECT_EQ(kkt->state().totals.sell, 16900 + 10000);
}

TEST_F(ReceiptPrinterTest, UnresolvedPrintSurvivesARestartAndIsNeitherLostNorRepeated) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString state = PrintJournal(folder.path()).path();
    FlakyLink link(*kkt);
    link.loseAnswerOf << "closeReceipt";
    link.offlineAfter = "closeReceipt";
    const PrintJob job = saleJob();
    {
        ReceiptPrinter before(folder.path());
        EXPECT_EQ(before.print(&link, job).state, PrintOutcome::State::Unknown);
        EXPECT_TRUE(QFile::exists(state));
    }
    const int printed = kkt->state().lastDocument.number;

    // The program starts again; the same receipt is paid once more.
    link.offlineAfter.clear();
    link.offline = false;
    kkt->clearJournal();
    ReceiptPrinter after(folder.path());
    EXPECT_TRUE(after.hasUnresolved());
    const PrintOutcome o = after.print(&link, job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed);
    EXPECT_FALSE(o.earlier.has_value());
    EXPECT_EQ(o.job.lines, job.lines);
    EXPECT_EQ(o.document.number, printed);
    EXPECT_FALSE(methods(kkt->journal()).contains("openReceipt"));
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    EXPECT_FALSE(after.hasUnresolved());
    // The record stays, with the register's number and sign, until the
    // receipt is committed.
    const std::optional<JournalRecord> record = PrintJournal(folder.path()).record(o.recordId);
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->closed);
    EXPECT_EQ(record->document.number, printed);
    EXPECT_EQ(record->document.fiscalSign, kkt->state().lastDocument.fiscalSign);
    EXPECT_FALSE(ReceiptPrinter(folder.path()).hasUnresolved());
}

TEST_F(ReceiptPrinterTest, UnresolvedPrintIsSettledWithoutPrintingAnything) {
    FlakyLink link(*kkt);
    link.offlineAfter = "payment";  // the link drops before closing: nothing printed
    PrintJob job = saleJob();
    job.card = Money{};
    job.cash = job.total;
    ASSERT_EQ(printer.print(&link, job).state, PrintOutcome::State::Unknown);
    link.offline = false;
    link.offlineAfter.clear();
    kkt->clearJournal();
    const PrintOutcome o = printer.resolveUnresolved(&link);
    EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
    EXPECT_FALSE(o.earlier.has_value());
    EXPECT_FALSE(printer.hasUnresolved());
    EXPECT_FALSE(kkt->state().receipt.has_value());  // the left-over receipt is cancelled
    EXPECT_FALSE(methods(kkt->journal()).contains("openReceipt"));
    EXPECT_EQ(kkt->state().totals.sell, 0);
}

TEST_F(ReceiptPrinterTest, OnlyANumericCountryCodeIsSentToTheRegister) {
    struct Case {
        const char* country;
        bool sent;
    };
    const QList<Case> cases{{"156", true}, {"4", true}, {"0", false}, {"000", false},
                            {"RU", false}, {"1560", false}, {"", false}, {"-7", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.country);
        PrintJob job = saleJob();
        job.legalEntity = true;
        job.buyerName = "ООО Ромашка";
        job.buyerInn = "7701234567";
        job.lines[0][LineCountry] = c.country;
        kkt->clearJournal();
        ASSERT_EQ(printer.print(kkt.get(), job).state, PrintOutcome::State::Printed);
        const ParamList bread = calls(kkt->journal(), "registration").value(0).params;
        EXPECT_EQ(bread.has(tag::OriginCountry), c.sent);
    }
}

TEST_F(ReceiptPrinterTest, RefusalWhoseCancelFailsSaysTheReceiptIsStillOpen) {
    for (const char* method : {"registration", "payment"}) {
        SCOPED_TRACE(method);
        kkt->clearJournal();
        kkt->failNext(method, LIBFPTR_ERROR_INVALID_PRICE, "Неверная цена");
        kkt->failNext("cancelReceipt", LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
        PrintOutcome o = printer.print(kkt.get(), saleJob());
        EXPECT_EQ(o.state, PrintOutcome::State::NotPrinted);
        EXPECT_TRUE(o.afterOpen);
        ASSERT_EQ(o.messages.size(), 1);
        EXPECT_FALSE(o.messages[0].text.contains("Чек отменен")) << o.messages[0].text.toStdString();
        EXPECT_TRUE(o.messages[0].text.contains("Отменить чек в ККТ не удалось"));
        EXPECT_TRUE(o.messages[0].text.contains("Нет связи"));
        EXPECT_TRUE(kkt->state().receipt.has_value());
        // The next print clears the left-over receipt and prints once.
        o = printer.print(kkt.get(), saleJob());
        ASSERT_EQ(o.state, PrintOutcome::State::Printed);
        EXPECT_FALSE(kkt->state().receipt.has_value());
    }
    EXPECT_EQ(kkt->state().totals.sell, 2 * 16900);
}

TEST_F(ReceiptPrinterTest, UnknownResultThatWasNotPrintedLetsTheReceiptPrintOnce) {
    FlakyLink link(*kkt);
    link.offlineAfter = "payment";  // the link drops before closing
    PrintJob job = saleJob();
    job.card = Money{};
    job.cash = job.total;
    PrintOutcome o = printer.print(&link, job);
    EXPECT_EQ(o.state, PrintOutcome::State::Unknown);
    EXPECT_TRUE(kkt->state().receipt.has_value());  // left open by the lost link

    link.offlineAfter.clear();
    link.offline = false;
    o = printer.print(&link, job);
    ASSERT_EQ(o.state, PrintOutcome::State::Printed);
    EXPECT_FALSE(o.earlier.has_value());
    // The left-over receipt was cancelled and this one closed exactly once.
    EXPECT_EQ(calls(kkt->journal(), "cancelReceipt").size(), 1);
    EXPECT_EQ(calls(kkt->journal(), "closeReceipt").size(), 1);
    EXPECT_EQ(kkt->state().totals.sell, 16900);
    EXPECT_FALSE(kkt->state().receipt.has_value());
}

TEST(ReceiptPrinterCheck, PaymentWindowRegisterCheckTexts) {
    EXPECT_EQ(checkRegisterBeforePayment(nullptr).message,
              QStringLiteral(" Сбой в работе программы: отсутствует объект драйвера ККК.     \r\n\r\n"
                             "Перезапустите программу и продолжите работу.     \r\n\r\n"
                             " При повторении ошибки сообщите о проблеме разработчику программы.     "));
    test::EmulatedRegister r;
    RegisterCheck c = checkRegisterBeforePayment(r.kkt.get());
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, "Смена в ККТ закрыта. Откройте смену.     ");
    ASSERT_EQ(r.openShift(), 0);
    EXPECT_TRUE(checkRegisterBeforePayment(r.kkt.get()).ok);
    r.kkt->setClockOffset(24 * 3600 + 60);
    EXPECT_EQ(checkRegisterBeforePayment(r.kkt.get()).message, " Смена в ККТ превысила 24 часа.     ");
    r.kkt->failNext("open", LIBFPTR_ERROR_NO_CONNECTION, "x");
    c = checkRegisterBeforePayment(r.kkt.get());
    EXPECT_TRUE(c.connectionLost);
    EXPECT_EQ(c.message, "Нет связи с ККТ.     ");
}

TEST_F(ReceiptPrinterTest, ReceiptCarriesTheCurrentCashiersTaxNumberNeverAnEarlierOne) {
    // The shift was opened by a cashier with a tax number.
    kkt->setParam(tag::CashierName, "Петрова Е.В.");
    kkt->setParam(tag::CashierInn, "772400123456");
    ASSERT_EQ(kkt->operatorLogin(), 0);
    for (const char* inn : {"500100732259", ""}) {
        SCOPED_TRACE(inn);
        kkt->clearJournal();
        PrintJob job = saleJob();
        job.cashierInn = QString::fromUtf8(inn);
        ASSERT_EQ(printer.print(kkt.get(), job).state, PrintOutcome::State::Printed);
        const QList<JournalEntry> login = calls(kkt->journal(), "operatorLogin");
        ASSERT_EQ(login.size(), 1);
        ASSERT_TRUE(login[0].params.has(tag::CashierInn));  // sent even when empty
        EXPECT_EQ(login[0].params.value(tag::CashierInn).toString(), inn);
        EXPECT_EQ(kkt->state().cashierInn, inn);
    }
}

TEST(ReceiptSameness, SameSaleIsKindTaxBuyerRowsAndTotalNotTheSplitOrTheVatAnswer) {
    struct Case {
        const char* change;
        std::function<void(PrintJob&)> apply;
        bool same;
    };
    const QList<Case> cases{
        {"paid all by card", [](PrintJob& j) { j.card = j.total; j.cash = Money{}; }, true},
        {"paid partly in advance", [](PrintJob& j) { j.prepay = Money::fromKopecks(6900); j.cash = Money{}; }, true},
        {"another VAT answered", [](PrintJob& j) { j.lines[1][LineVat] = "6"; }, true},
        {"another e-mail for the receipt", [](PrintJob& j) { j.buyerContact = "a@b.ru"; }, true},
        {"quantity written otherwise", [](PrintJob& j) { j.lines[1][LineQty] = "0.35"; }, true},
        {"another kind", [](PrintJob& j) { j.kind = 2; }, false},
        {"another tax system", [](PrintJob& j) { j.taxSystemCode = 2; }, false},
        {"a buyer", [](PrintJob& j) { j.legalEntity = true; j.buyerName = "ООО Ромашка"; }, false},
        {"another quantity", [](PrintJob& j) { j.lines[0][LineQty] = "3"; }, false},
        {"another price", [](PrintJob& j) { j.lines[0][LinePrice] = "49.99"; }, false},
        {"other goods", [](PrintJob& j) { j.lines[0][LineGoodId] = "13"; }, false},
        {"a row less", [](PrintJob& j) { j.lines.removeLast(); }, false},
        {"another total", [](PrintJob& j) { j.total = Money::fromKopecks(17000); }, false},
        {"another payment method", [](PrintJob& j) { j.paymentFlag = 1; }, false},
    };
    const PrintJob first = saleJob();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        PrintJob again = first;
        c.apply(again);
        EXPECT_EQ(sameSale(first, again), c.same);
        EXPECT_EQ(sameSale(again, first), c.same);
    }
}

TEST_F(ReceiptPrinterTest, PrintedReceiptWhoseNumberWasNotReadWaitsForItAndHoldsUpTheNextPrint) {
    FlakyLink link(*kkt);
    link.fnQueriesLostAfter = "closeReceipt";
    PrintOutcome o = printer.print(&link, saleJob());
    ASSERT_EQ(o.state, PrintOutcome::State::Printed);
    EXPECT_FALSE(documentKnown(o.document));  // never stored with an empty number and sign
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages[0].text.contains("не сообщила его номер")) << o.messages[0].text.toStdString();
    EXPECT_TRUE(printer.hasUnresolved());
    const fiscal::FiscalDocument printed = kkt->state().lastDocument;

    // While the register cannot say, nothing new prints.
    kkt->clearJournal();
    o = printer.print(&link, saleJob());
    EXPECT_EQ(o.state, PrintOutcome::State::Unknown);
    EXPECT_FALSE(methods(kkt->journal()).contains("openReceipt"));

    // Once it can, the record gets the register's number and sign and holds up nothing more.
    link.fnQueriesLost = false;
    link.fnQueriesLostAfter.clear();
    const RegisterAnswer a = askRegisterAboutJournal(printer.journal(), &link);
    EXPECT_FALSE(a.blocked);
    ASSERT_EQ(a.printedNow.size(), 1);
    EXPECT_EQ(a.printedNow[0].document.number, printed.number);
    EXPECT_EQ(a.printedNow[0].document.fiscalSign, printed.fiscalSign);
    EXPECT_FALSE(printer.hasUnresolved());
    EXPECT_EQ(kkt->state().totals.sell, 16900);
}

