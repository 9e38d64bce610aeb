// Every misuse of the register is refused with its own code and text and
// leaves the register as it was.
#include "EmulatorFixture.h"

#include <functional>

namespace fiscal::test {
namespace {

struct Refusal {
    const char* name;
    std::function<void(EmulatedRegister&)> prepare;
    std::function<int(EmulatedRegister&)> act;
    int code;
    const char* text;
};

void shiftOpen(EmulatedRegister& t) { ASSERT_EQ(t.openShift(), 0); }

void receiptWithItem(EmulatedRegister& t) {
    ASSERT_EQ(t.openShift(), 0);
    ASSERT_EQ(t.openReceipt(), 0);
    ASSERT_EQ(t.addItem(QStringLiteral("Молоко"), QStringLiteral("100.00"), QStringLiteral("1")), 0);
}

const Refusal kRefusals[] = {
    {"ReceiptWithoutShift", [](EmulatedRegister&) {}, [](EmulatedRegister& t) { return t.openReceipt(); },
     LIBFPTR_ERROR_SHIFT_CLOSED, "Смена не открыта"},
    {"ReceiptInExpiredShift",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         t.kkt->setClockOffset(24 * 3600 + 60);
     },
     [](EmulatedRegister& t) { return t.openReceipt(); }, LIBFPTR_ERROR_SHIFT_EXPIRED, "Смена превысила 24 часа"},
    {"CashInInExpiredShift",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         t.kkt->setClockOffset(25 * 3600);
     },
     [](EmulatedRegister& t) { return t.cashIn(QStringLiteral("10")); }, LIBFPTR_ERROR_SHIFT_EXPIRED,
     "Смена превысила 24 часа"},
    // A receipt opened before the shift's 24 hours ran out takes nothing more.
    {"PositionInExpiredShift",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.openReceipt(), 0);
         t.kkt->setClockOffset(24 * 3600 + 60);
     },
     [](EmulatedRegister& t) { return t.addItem(QStringLiteral("Сыр"), QStringLiteral("10"), QStringLiteral("1")); },
     LIBFPTR_ERROR_SHIFT_EXPIRED, "Смена превысила 24 часа"},
    {"PaymentInExpiredShift",
     [](EmulatedRegister& t) {
         receiptWithItem(t);
         t.kkt->setClockOffset(24 * 3600 + 60);
     },
     [](EmulatedRegister& t) { return t.pay(LIBFPTR_PT_CASH, QStringLiteral("100.00")); },
     LIBFPTR_ERROR_SHIFT_EXPIRED, "Смена превысила 24 часа"},
    {"CloseInExpiredShift",
     [](EmulatedRegister& t) {
         receiptWithItem(t);
         ASSERT_EQ(t.pay(LIBFPTR_PT_CASH, QStringLiteral("100.00")), 0);
         t.kkt->setClockOffset(24 * 3600 + 60);
     },
     [](EmulatedRegister& t) { return t.kkt->closeReceipt(); }, LIBFPTR_ERROR_SHIFT_EXPIRED,
     "Смена превысила 24 часа"},
    {"ReceiptAlreadyOpen",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.openReceipt(), 0);
     },
     [](EmulatedRegister& t) { return t.openReceipt(); }, LIBFPTR_ERROR_RECEIPT_OPENED, "Чек уже открыт"},
    {"ShortPayment",
     [](EmulatedRegister& t) {
         receiptWithItem(t);
         ASSERT_EQ(t.pay(LIBFPTR_PT_CASH, QStringLiteral("99.99")), 0);
     },
     [](EmulatedRegister& t) { return t.kkt->closeReceipt(); }, LIBFPTR_ERROR_NOT_ENOUGH_MONEY,
     "Недостаточно средств для оплаты чека"},
    {"NonCashOverpayment",
     [](EmulatedRegister& t) {
         receiptWithItem(t);
         ASSERT_EQ(t.pay(LIBFPTR_PT_ELECTRONICALLY, QStringLiteral("60.00")), 0);
         ASSERT_EQ(t.pay(LIBFPTR_PT_PREPAID, QStringLiteral("40.01")), 0);
     },
     [](EmulatedRegister& t) { return t.kkt->closeReceipt(); }, LIBFPTR_ERROR_NON_CASH_OVERPAYMENT,
     "Сумма безналичной оплаты превышает сумму чека"},
    {"CloseShiftWhenClosed", [](EmulatedRegister&) {},
     [](EmulatedRegister& t) {
         t.kkt->setParam(LIBFPTR_PARAM_REPORT_TYPE, LIBFPTR_RT_CLOSE_SHIFT);
         return t.kkt->report();
     },
     LIBFPTR_ERROR_SHIFT_CLOSED, "Смена не открыта"},
    {"CashInWithoutShift", [](EmulatedRegister&) {}, [](EmulatedRegister& t) { return t.cashIn(QStringLiteral("500")); },
     LIBFPTR_ERROR_SHIFT_CLOSED, "Смена не открыта"},
    {"ShiftOpenedTwice", shiftOpen, [](EmulatedRegister& t) { return t.kkt->openShift(); },
     LIBFPTR_ERROR_SHIFT_OPENED, "Смена уже открыта"},
    {"ReceiptKindInsteadOfType", shiftOpen,
     [](EmulatedRegister& t) {
         t.kkt->setParam(LIBFPTR_PARAM_RECEIPT_TYPE, 1);
         return t.kkt->openReceipt();
     },
     LIBFPTR_ERROR_INVALID_RECEIPT_TYPE, "Неверный тип чека"},
    {"VatCodeInsteadOfTaxType",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.openReceipt(), 0);
     },
     [](EmulatedRegister& t) { return t.addItem(QStringLiteral("Сыр"), QStringLiteral("10"), QStringLiteral("1"), 1); },
     LIBFPTR_ERROR_INVALID_TAX_TYPE, "Неверная ставка НДС"},
    {"PositionWithoutReceipt", shiftOpen,
     [](EmulatedRegister& t) { return t.addItem(QStringLiteral("Сыр"), QStringLiteral("10"), QStringLiteral("1")); },
     LIBFPTR_ERROR_RECEIPT_CLOSED, "Чек не открыт"},
    {"EmptyReceipt",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.openReceipt(), 0);
     },
     [](EmulatedRegister& t) { return t.kkt->closeReceipt(); }, LIBFPTR_ERROR_RECEIPT_EMPTY, "Чек не содержит позиций"},
    {"ReturnMoreCashThanInDrawer",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.cashIn(QStringLiteral("50")), 0);
         ASSERT_EQ(t.openReceipt(LIBFPTR_RT_SELL_RETURN), 0);
         ASSERT_EQ(t.addItem(QStringLiteral("Сыр"), QStringLiteral("80"), QStringLiteral("1")), 0);
         ASSERT_EQ(t.pay(LIBFPTR_PT_CASH, QStringLiteral("80")), 0);
     },
     [](EmulatedRegister& t) { return t.kkt->closeReceipt(); }, LIBFPTR_ERROR_NOT_ENOUGH_CASH,
     "Недостаточно наличных в денежном ящике"},
    {"MarkingCodeNotValidated",
     [](EmulatedRegister& t) {
         shiftOpen(t);
         ASSERT_EQ(t.openReceipt(), 0);
     },
     [](EmulatedRegister& t) {
         t.kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, "0104600000000017215abcdef");
         t.kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, LIBFPTR_MES_PIECE_SOLD);
         return t.addItem(QStringLiteral("Обувь"), QStringLiteral("1000"), QStringLiteral("1"));
     },
     LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED, "Код маркировки не проверен или не принят"},
    {"CallBeforeOpen", [](EmulatedRegister& t) { ASSERT_EQ(t.kkt->close(), 0); },
     [](EmulatedRegister& t) { return t.kkt->openShift(); }, LIBFPTR_ERROR_CONNECTION_DISABLED,
     "Соединение с ККТ не установлено"},
};

TEST(RegisterRefusals, EachMisuseHasItsCodeAndTextAndChangesNothing) {
    for (const Refusal& c : kRefusals) {
        SCOPED_TRACE(c.name);
        EmulatedRegister t;
        c.prepare(t);
        if (::testing::Test::HasFatalFailure()) return;
        const RegisterState before = t.kkt->state();
        EXPECT_EQ(c.act(t), -1);
        EXPECT_EQ(t.kkt->errorCode(), c.code);
        EXPECT_EQ(t.kkt->errorDescription(), QString::fromUtf8(c.text));
        const RegisterState after = t.kkt->state();
        EXPECT_EQ(after.lastDocument.number, before.lastDocument.number);
        EXPECT_EQ(after.shiftOpen, before.shiftOpen);
        EXPECT_EQ(after.cash, before.cash);
        EXPECT_EQ(after.receipt.has_value(), before.receipt.has_value());
        if (after.receipt && before.receipt) {
            EXPECT_EQ(after.receipt->positions.size(), before.receipt->positions.size());
            EXPECT_EQ(after.receipt->payments.size(), before.receipt->payments.size());
        }
    }
}

TEST_F(EmulatorTest, SuccessClearsThePreviousError) {
    ASSERT_EQ(kkt->openReceipt(), -1);
    ASSERT_NE(kkt->errorCode(), 0);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->errorCode(), 0);
    EXPECT_TRUE(kkt->errorDescription().isEmpty());
}

TEST_F(EmulatorTest, ShiftStateFollowsTheRegisterClock) {
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_CLOSED);
    ASSERT_EQ(openShift(), 0);
    kkt->setClockOffset(24 * 3600 - 60);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_OPENED);
    kkt->setClockOffset(24 * 3600 + 60);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_EXPIRED);
    EXPECT_LE(qAbs(kkt->getParamDateTime(LIBFPTR_PARAM_DATE_TIME).secsTo(QDateTime::currentDateTime().addSecs(24 * 3600 + 60))), 5);
    // An expired shift can still be closed, and a new one opened.
    kkt->setParam(LIBFPTR_PARAM_REPORT_TYPE, LIBFPTR_RT_CLOSE_SHIFT);
    ASSERT_EQ(kkt->report(), 0) << kkt->errorDescription().toStdString();
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_OPENED);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER), 2);
}

}  // namespace
}  // namespace fiscal::test
