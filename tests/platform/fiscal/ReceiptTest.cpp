// Sales as the register prints them: totals, payments and change, document
// numbering, the last-document query and the calls the register received.
#include "EmulatorFixture.h"

namespace fiscal::test {
namespace {

TEST_F(EmulatorTest, SaleTotalIsPaidWithCardAndCashAndChangeComesFromTheCash) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(cashIn(QStringLiteral("500.00")), 0);
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(addItem(QStringLiteral("Кофе"), QStringLiteral("65.50"), QStringLiteral("2")), 0);
    // 0.350 kg at 199.99 is 69.9965, which the register rounds to 70.00.
    ASSERT_EQ(addItem(QStringLiteral("Сыр весовой"), QStringLiteral("199,99"), QStringLiteral("0.350")), 0);
    ASSERT_EQ(status(), 0);
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_RECEIPT_SUM), 201.00);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE), LIBFPTR_RT_SELL);
    ASSERT_EQ(pay(LIBFPTR_PT_ELECTRONICALLY, QStringLiteral("100.00")), 0);
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("200.00")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0) << kkt->errorDescription().toStdString();
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_CHANGE), 99.00);
    ASSERT_EQ(kkt->checkDocumentClosed(), 0);
    EXPECT_TRUE(kkt->getParamBool(LIBFPTR_PARAM_DOCUMENT_CLOSED));

    ASSERT_EQ(status(), 0);
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_CASH_SUM), 500.00 + 200.00 - 99.00);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER), 1);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE), LIBFPTR_RT_CLOSED);

    const QString paper = tape();
    EXPECT_TRUE(paper.contains(QStringLiteral("КАССОВЫЙ ЧЕК"))) << paper.toStdString();
    EXPECT_TRUE(paper.contains(QStringLiteral("0.350 x 199.99")));
    EXPECT_TRUE(paper.contains(QRegularExpression(QStringLiteral("ИТОГ +=201\\.00"))));
    EXPECT_TRUE(paper.contains(QRegularExpression(QStringLiteral("СДАЧА +=99\\.00"))));
    EXPECT_TRUE(paper.contains(QStringLiteral("Кассир Иванова")));
}

TEST_F(EmulatorTest, CashReturnTakesMoneyFromTheDrawer) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(cashIn(QStringLiteral("300")), 0);
    ASSERT_EQ(openReceipt(LIBFPTR_RT_SELL_RETURN), 0);
    ASSERT_EQ(addItem(QStringLiteral("Кофе"), QStringLiteral("120.00"), QStringLiteral("1")), 0);
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("120.00")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0) << kkt->errorDescription().toStdString();
    ASSERT_EQ(status(), 0);
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_CASH_SUM), 180.00);
}

TEST_F(EmulatorTest, EveryFiscalDocumentTakesTheNextNumberAndTheLastOneCanBeQueried) {
    EXPECT_EQ(lastDocumentNumber(), 0);
    ASSERT_EQ(openShift(), 0);
    EXPECT_EQ(lastDocumentNumber(), 1);
    ASSERT_EQ(sell(QStringLiteral("10.00")), 0);
    kkt->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
    ASSERT_EQ(kkt->fnQueryData(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), 2);
    const QString firstSign = kkt->getParamString(LIBFPTR_PARAM_FISCAL_SIGN);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,10}$")).match(firstSign).hasMatch()) << firstSign.toStdString();
    EXPECT_LE(qAbs(kkt->getParamDateTime(LIBFPTR_PARAM_DATE_TIME).secsTo(QDateTime::currentDateTime())), 5);

    // Cash-in, a cancelled receipt and an X report are not fiscal documents.
    ASSERT_EQ(cashIn(QStringLiteral("5")), 0);
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(kkt->cancelReceipt(), 0);
    kkt->setParam(LIBFPTR_PARAM_REPORT_TYPE, LIBFPTR_RT_X);
    ASSERT_EQ(kkt->report(), 0);
    EXPECT_EQ(lastDocumentNumber(), 2);

    ASSERT_EQ(sell(QStringLiteral("10.00")), 0);
    kkt->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
    ASSERT_EQ(kkt->fnQueryData(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), 3);
    EXPECT_NE(kkt->getParamString(LIBFPTR_PARAM_FISCAL_SIGN), firstSign);

    kkt->setParam(LIBFPTR_PARAM_REPORT_TYPE, LIBFPTR_RT_CLOSE_SHIFT);
    ASSERT_EQ(kkt->report(), 0);
    EXPECT_EQ(lastDocumentNumber(), 4);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_CLOSED);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER), 2);

    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER), 2);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), 5);

    const QString paper = tape();
    EXPECT_EQ(paper.count(QStringLiteral("КАССОВЫЙ ЧЕК")), 2);
    EXPECT_EQ(paper.count(QStringLiteral("ЧЕК АННУЛИРОВАН")), 1);
    EXPECT_EQ(paper.count(QStringLiteral("X-ОТЧЕТ")), 1);
    EXPECT_EQ(paper.count(QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ")), 1);
    EXPECT_EQ(paper.count(QStringLiteral("ВНЕСЕНИЕ")), 1);
}

TEST_F(EmulatorTest, JournalHoldsEachCallWithTheParametersItReceived) {
    ASSERT_EQ(openShift(), 0);
    kkt->clearJournal();

    kkt->resetError();
    kkt->setParam(tag::CashierName, "Кассир Петров");
    kkt->operatorLogin();
    kkt->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, LIBFPTR_RT_SELL);
    kkt->setParam(tag::TaxSystem, LIBFPTR_TT_USN_INCOME);
    kkt->openReceipt();
    addItem(QStringLiteral("Чай"), QStringLiteral("45.00"), QStringLiteral("2"), LIBFPTR_TAX_NO);
    pay(LIBFPTR_PT_CASH, QStringLiteral("90.00"));
    kkt->closeReceipt();
    kkt->checkDocumentClosed();

    const QList<JournalEntry> journal = kkt->journal();
    QStringList methods;
    for (const auto& e : journal) methods << e.method;
    EXPECT_EQ(methods, (QStringList{"resetError", "operatorLogin", "openReceipt", "registration", "payment",
                                    "closeReceipt", "checkDocumentClosed"}));
    for (const auto& e : journal) EXPECT_EQ(e.errorCode, 0) << e.method.toStdString();

    EXPECT_EQ(journal[1].params.value(tag::CashierName).toString(), QStringLiteral("Кассир Петров"));
    EXPECT_EQ(journal[2].params.value(tag::TaxSystem).toInt(), LIBFPTR_TT_USN_INCOME);
    const ParamList& line = journal[3].params;
    EXPECT_EQ(line.items.size(), 7);
    EXPECT_EQ(line.items.first().first, LIBFPTR_PARAM_COMMODITY_NAME);
    EXPECT_EQ(line.value(LIBFPTR_PARAM_PRICE).toString(), QStringLiteral("45.00"));
    EXPECT_EQ(line.value(LIBFPTR_PARAM_TAX_TYPE).toInt(), LIBFPTR_TAX_NO);
    EXPECT_EQ(journal[4].params.value(LIBFPTR_PARAM_PAYMENT_SUM).toString(), QStringLiteral("90.00"));
    EXPECT_TRUE(journal[5].params.isEmpty());

    // A till that runs for days keeps only the newest calls.
    for (qsizetype i = 0; i < 3 * RegisterEmulator::kJournalKept; ++i) kkt->resetError();
    ASSERT_EQ(status(), 0);
    const QList<JournalEntry> newest = kkt->journal();
    EXPECT_GE(newest.size(), RegisterEmulator::kJournalKept);
    EXPECT_LE(newest.size(), 2 * RegisterEmulator::kJournalKept);
    EXPECT_EQ(newest.last().method, QStringLiteral("queryData"));
}

TEST_F(EmulatorTest, EachLoginNamesTheWholeCashier) {
    // The shift is opened by one cashier with a tax number; the next one
    // logs in without one, as a cashier with no number on file does.
    kkt->setParam(tag::CashierName, "Старший кассир Иванова");
    kkt->setParam(tag::CashierInn, "500100732259");
    ASSERT_EQ(kkt->operatorLogin(), 0);
    ASSERT_EQ(kkt->openShift(), 0);
    kkt->setParam(tag::CashierName, "Кассир Петров");
    ASSERT_EQ(kkt->operatorLogin(), 0);
    EXPECT_EQ(kkt->state().cashierName, QStringLiteral("Кассир Петров"));
    EXPECT_EQ(kkt->state().cashierInn, QString());

    ASSERT_EQ(sell(QStringLiteral("45.00")), 0);
    const QString receipt = tape().section(QStringLiteral("Кассир Петров"), 1);
    ASSERT_FALSE(receipt.isEmpty());
    EXPECT_FALSE(receipt.contains(QStringLiteral("500100732259")));

    // A later login with a number sends it again.
    kkt->setParam(tag::CashierName, "Старший кассир Иванова");
    kkt->setParam(tag::CashierInn, " 500100732259 ");
    ASSERT_EQ(kkt->operatorLogin(), 0);
    EXPECT_EQ(kkt->state().cashierInn, QStringLiteral("500100732259"));
}

TEST_F(EmulatorTest, RefusedCallsAreJournalledWithTheirErrorCode) {
    kkt->clearJournal();
    ASSERT_EQ(openReceipt(), -1);
    const auto journal = kkt->journal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_EQ(journal[0].method, QStringLiteral("openReceipt"));
    EXPECT_EQ(journal[0].errorCode, LIBFPTR_ERROR_SHIFT_CLOSED);
    EXPECT_EQ(journal[0].params.value(LIBFPTR_PARAM_RECEIPT_TYPE).toInt(), LIBFPTR_RT_SELL);
}

TEST_F(EmulatorTest, InputsAreConsumedByTheNextCall) {
    ASSERT_EQ(openShift(), 0);
    kkt->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, LIBFPTR_RT_SELL);
    ASSERT_EQ(status(), 0);  // takes the receipt type along and ignores it
    EXPECT_EQ(kkt->openReceipt(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_INVALID_RECEIPT_TYPE);
}

}  // namespace
}  // namespace fiscal::test
