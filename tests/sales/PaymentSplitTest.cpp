// The payment window: the split of the total into cash, card and
// prepayment, the cash handed over, the register check before printing.
#include "core/SettingsFile.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/closing/PaymentSplit.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "support/FakeMessages.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace sales;

namespace {

const Money kThousand = Money::fromKopecks(100000);

PaymentSplit started(int payTypeDefault = -1, Money total = kThousand) {
    PaymentSplit s;
    s.start(total, payTypeDefault);
    return s;
}

}  // namespace

TEST(PaymentSplit, DefaultPaymentKindTakesTheTotal) {
    struct Case {
        int setting;
        PayField field;
    };
    const QList<Case> cases{{-1, PayField::Cash}, {0, PayField::Cash}, {1, PayField::Card},
                            {2, PayField::Prepay}, {9, PayField::Cash}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        const PaymentSplit s = started(c.setting);
        for (PayField f : {PayField::Cash, PayField::Card, PayField::Prepay}) {
            EXPECT_EQ(s.checked(f), f == c.field);
            EXPECT_EQ(s.text(f), f == c.field ? QStringLiteral("1000.00") : QString());
        }
        EXPECT_EQ(s.text(PayField::Given), "");
        EXPECT_EQ(s.active(), PayField::None);
        EXPECT_TRUE(s.okEnabled());
    }
    const PaymentSplit nothing = started(-1, Money{});
    EXPECT_EQ(nothing.text(PayField::Cash), "");
    EXPECT_TRUE(nothing.checked(PayField::Cash));
    EXPECT_FALSE(nothing.okEnabled());
}

TEST(PaymentSplit, CashShortOfTheTotalPutsTheRestOnCard) {
    PaymentSplit s = started();
    s.clear(PayField::Cash);
    EXPECT_EQ(s.text(PayField::Card), "1000.00");  // nothing in cash: all of it on card
    EXPECT_TRUE(s.typeKeys(PayField::Cash, "300"));
    EXPECT_EQ(s.text(PayField::Cash), "300");
    EXPECT_EQ(s.text(PayField::Card), "700.00");
    EXPECT_TRUE(s.checked(PayField::Card));
    EXPECT_TRUE(s.okEnabled());
    const PaymentEntered p = s.entered();
    EXPECT_EQ(p.cash, Money::fromKopecks(30000));
    EXPECT_EQ(p.card, Money::fromKopecks(70000));

    // And the other way round: card typed, the rest in cash.
    PaymentSplit t = started(1);
    t.clear(PayField::Card);
    t.typeKeys(PayField::Card, "250.5");
    EXPECT_EQ(t.text(PayField::Cash), "749.50");
    EXPECT_TRUE(t.checked(PayField::Cash));
}

TEST(PaymentSplit, MoreCashThanIsDueIsCutBack) {
    PaymentSplit s = started();
    s.setText(PayField::Cash, "1200");
    EXPECT_EQ(s.text(PayField::Cash), "1000.00");
    EXPECT_EQ(s.text(PayField::Card), "");

    // Typing stops at the cap: the last "0" of 1200 is refused.
    PaymentSplit typed = started();
    typed.clear(PayField::Cash);
    EXPECT_TRUE(typed.typeKeys(PayField::Cash, "120"));
    EXPECT_FALSE(typed.typeKey(PayField::Cash, QLatin1Char('0')));
    EXPECT_EQ(typed.text(PayField::Cash), "120");
    EXPECT_EQ(typed.text(PayField::Card), "880.00");

    // With 300.00 prepaid, cash may be at most 700.00.
    PaymentSplit prepaid = started();
    prepaid.typeKeys(PayField::Prepay, "300");
    prepaid.setActive(PayField::Cash);
    prepaid.addBanknote(1000);
    EXPECT_EQ(prepaid.text(PayField::Cash), "700.00");
    EXPECT_TRUE(prepaid.okEnabled());
}

TEST(PaymentSplit, PrepaymentLeavesTheRestToTheChosenKind) {
    struct Case {
        const char* what;
        int setting;
        QString cashBefore;  // typed into cash first; empty: as started
        QString prepay;
        QString cash;
        QString card;
    };
    const QList<Case> cases{
        {"cash alone", -1, "", "300", "700.00", ""},
        {"card alone", 1, "", "300", "", "700.00"},
        {"cash and card", -1, "600", "300", "300.00", "400.00"},
        {"all of it prepaid", -1, "", "1000", "", ""},
        {"more than the total", -1, "", "1500", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaymentSplit s = started(c.setting);
        if (!c.cashBefore.isEmpty()) {
            s.clear(PayField::Cash);
            s.clear(PayField::Card);
            s.clear(PayField::Cash);  // card now holds the total; cash is typed
            s.typeKeys(PayField::Cash, c.cashBefore);
        }
        s.setText(PayField::Prepay, c.prepay);
        EXPECT_EQ(s.text(PayField::Cash), c.cash);
        EXPECT_EQ(s.text(PayField::Card), c.card);
        EXPECT_LE(s.amount(PayField::Prepay), kThousand);
        EXPECT_TRUE(s.okEnabled());
    }
    // Prepayment given up: the rest goes to cash, which is chosen.
    PaymentSplit p = started(2);
    p.clear(PayField::Prepay);
    EXPECT_TRUE(p.checked(PayField::Cash));
    EXPECT_EQ(p.text(PayField::Cash), "1000.00");
}

TEST(PaymentSplit, BanknotesGoToTheActiveFieldOrToTheHandedOverCash) {
    PaymentSplit s = started();
    s.addBanknote(1000);
    s.addBanknote(500);
    EXPECT_EQ(s.text(PayField::Given), "1500");
    EXPECT_EQ(s.text(PayField::Cash), "1000.00");
    for (int i = 0; i < 2100; ++i) s.addBanknote(5000);
    EXPECT_EQ(s.text(PayField::Given), "9999999.90");

    s.setActive(PayField::Card);
    s.addBanknote(50);
    s.addBanknote(10);
    EXPECT_EQ(s.text(PayField::Card), "60");
    EXPECT_EQ(s.text(PayField::Cash), "940.00");
}

TEST(PaymentSplit, UncheckingABoxMovesItsSum) {
    PaymentSplit s = started();
    s.clear(PayField::Cash);
    s.typeKeys(PayField::Cash, "300");  // card 700.00
    s.setChecked(PayField::Cash, false);
    EXPECT_EQ(s.text(PayField::Cash), "");
    EXPECT_EQ(s.text(PayField::Card), "1000.00");
    EXPECT_FALSE(s.checked(PayField::Cash));

    // An empty, checked prepayment field takes it first.
    PaymentSplit t = started();
    t.setChecked(PayField::Prepay, true);
    EXPECT_EQ(t.text(PayField::Prepay), "");  // nothing was unpaid
    t.setChecked(PayField::Cash, false);
    EXPECT_EQ(t.text(PayField::Prepay), "1000.00");
    EXPECT_TRUE(t.okEnabled());

    // Checking an empty box hands it what is still unpaid.
    PaymentSplit u = started();
    u.setChecked(PayField::Cash, false);  // to card
    u.setChecked(PayField::Card, false);  // back to cash, which is checked again
    EXPECT_TRUE(u.checked(PayField::Cash));
    EXPECT_EQ(u.text(PayField::Cash), "1000.00");
}

TEST(PaymentSplit, OkChecksBoxesSumsAndHandedOverCash) {
    using Outcome = PaymentSplit::OkCheck::Outcome;
    PaymentSplit s = started();
    EXPECT_EQ(s.checkOk().outcome, Outcome::Proceed);

    s.setChecked(PayField::Card, true);  // checked, but nothing in it
    PaymentSplit::OkCheck c = s.checkOk();
    EXPECT_EQ(c.outcome, Outcome::Stop);
    EXPECT_EQ(c.message, QStringLiteral("Выбран тип оплаты ''безналичными'' (стоит флажок),     \r\n"
                                        "но сумма в поле ''безналичными'' не указана.     \r\n\r\n"
                                        "Введите сумму или снимите флажок.     "));
    s.setChecked(PayField::Card, false);

    s.setActive(PayField::Given);
    s.typeKeys(PayField::Given, "200");
    s.clear(PayField::Cash);
    s.typeKeys(PayField::Cash, "300");
    c = s.checkOk();
    EXPECT_EQ(c.outcome, Outcome::Ask);
    EXPECT_EQ(c.message, QStringLiteral("Сумма наличных, переданная покупателем,     \r\n"
                                        "меньше суммы оплаты 'наличными'.    \r\nСдача не будет рассчитана.     \r\n\r\n"
                                        "Продолжить? "));
    EXPECT_FALSE(s.entered().changeKnown());

    s.clear(PayField::Given);
    s.typeKeys(PayField::Given, "500");
    EXPECT_EQ(s.checkOk().outcome, Outcome::Proceed);
    EXPECT_EQ(s.entered().change(), Money::fromKopecks(20000));
}

TEST(PaymentSplit, TypedKeysFollowTheNumericFilter) {
    PaymentSplit s = started();
    s.clear(PayField::Cash);
    s.typeKeys(PayField::Cash, "12,345");  // "," is a point; two decimals at most
    EXPECT_EQ(s.text(PayField::Cash), "12.34");
    EXPECT_EQ(s.text(PayField::Card), "987.66");
    s.backspace(PayField::Cash);
    EXPECT_EQ(s.text(PayField::Cash), "12.3");
    EXPECT_EQ(s.text(PayField::Card), "987.70");
    EXPECT_FALSE(s.typeKey(PayField::Cash, QLatin1Char('x')));

    s.typeKeys(PayField::Given, "12345678901");
    EXPECT_EQ(s.text(PayField::Given), "1234567890");
}

// ---- The window ------------------------------------------------------------

namespace {

class PaymentWindowTest : public ::testing::Test {
public:
    void SetUp() override { make(); }

    // A fresh program folder (and so a fresh register) with the main screen
    // holding a receipt of 1000.00, and its payment window.
    void make() {
        handedOver.reset();
        window.reset();
        reg.reset();
        dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir->isValid());
        sys::setProgramFolder(dir->path());
        reg = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(dir->path());
            kkt = e.get();
            return e;
        });
        reg->setQuitOnClose(false);
        GoodRecord g;
        g.id = "1";
        g.name = "Чайник";
        g.weighed = "нет";
        g.type = "Т";
        addGoodPosition(reg->receipt(), g, "1000.00", Qty::units(1));
        ASSERT_EQ(reg->RecalcReceipt(), 0);
        window = std::make_unique<TfmPayCheck>(*reg, services);
        window->setHandOver([this](const PaymentEntered& p) { handedOver = p; });
    }

    void openShift() {
        kkt->setParam(fiscal::tag::CashierName, "Иванова");
        ASSERT_EQ(kkt->operatorLogin(), 0);
        ASSERT_EQ(kkt->openShift(), 0);
    }

    void TearDown() override {
        window.reset();
        reg.reset();
    }

    std::unique_ptr<QTemporaryDir> dir;
    testsupport::FakeMessages messages;
    SaleServices services;
    std::unique_ptr<TfmReg> reg;
    std::unique_ptr<TfmPayCheck> window;
    fiscal::RegisterEmulator* kkt = nullptr;
    std::optional<PaymentEntered> handedOver;
};

}  // namespace

TEST_F(PaymentWindowTest, CardTypedInItsFieldSplitsAndOkHandsOverThePayment) {
    openShift();
    window->show();
    EXPECT_EQ(window->Memo1->text(), "1000.00");
    EXPECT_EQ(window->lblCheckSumm->text(), "1000.00");
    EXPECT_TRUE(window->CheckBox3->isChecked());
    EXPECT_TRUE(window->Button12->isEnabled());

    QTest::mouseClick(window->Memo2, Qt::LeftButton);
    QTest::keyClicks(window->Memo2, "700");
    EXPECT_EQ(window->Memo2->text(), "700");
    EXPECT_EQ(window->Memo1->text(), "300.00");
    EXPECT_TRUE(window->CheckBox2->isChecked());
    EXPECT_TRUE(window->imgArrowBeznal->isVisible());
    EXPECT_EQ(controlTag(window->GroupBox1), 2);

    QTest::mouseClick(window->Memo3, Qt::LeftButton);
    QTest::mouseClick(window->pan500rub, Qt::LeftButton);
    EXPECT_EQ(window->Memo3->text(), "500");

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(window->CheckBox3->isChecked());
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(window->CheckBox3->isChecked());

    QTest::mouseClick(window->Button12, Qt::LeftButton);
    ASSERT_TRUE(handedOver.has_value()) << messages.last().toStdString();
    EXPECT_EQ(handedOver->cash, Money::fromKopecks(30000));
    EXPECT_EQ(handedOver->card, Money::fromKopecks(70000));
    EXPECT_EQ(handedOver->given, Money::fromKopecks(50000));
    EXPECT_EQ(handedOver->change(), Money::fromKopecks(20000));
    EXPECT_TRUE(handedOver->printOnRegister);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(PaymentWindowTest, RegisterCheckBeforePrintingStopsWithItsText) {
    struct Case {
        const char* what;
        std::function<void(PaymentWindowTest&)> arrange;
        QString message;
        bool disconnected;
    };
    const QList<Case> cases{
        {"shift closed", [](PaymentWindowTest&) {}, QStringLiteral("Смена в ККТ закрыта. Откройте смену.     "), false},
        {"shift older than a day",
         [](PaymentWindowTest& t) {
             t.openShift();
             t.kkt->setClockOffset(25 * 3600);
         },
         QStringLiteral(" Смена в ККТ превысила 24 часа.     "), false},
        {"no connection",
         [](PaymentWindowTest& t) {
             t.openShift();
             t.kkt->failAlways("open", fiscal::LIBFPTR_ERROR_NO_CONNECTION, "Нет связи");
         },
         QStringLiteral("Нет связи с ККТ.     "), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        make();
        c.arrange(*this);
        window->show();
        QTest::mouseClick(window->Button12, Qt::LeftButton);
        EXPECT_FALSE(handedOver.has_value());
        EXPECT_EQ(messages.last(), c.message);
        EXPECT_TRUE(window->isVisible());  // the cashier opens the shift and presses ОК again
        EXPECT_EQ(reg->lblKKT->text() == QStringLiteral("не подключена"), c.disconnected);
        messages.clear();
    }
}

TEST_F(PaymentWindowTest, WithoutPrintingTheRegisterIsNotAsked) {
    window->show();
    window->CheckBox3->setChecked(false);
    kkt->clearJournal();
    QTest::mouseClick(window->Button12, Qt::LeftButton);
    ASSERT_TRUE(handedOver.has_value());
    EXPECT_FALSE(handedOver->printOnRegister);
    EXPECT_TRUE(kkt->journal().isEmpty());
}

TEST_F(PaymentWindowTest, ShortHandedOverCashIsAskedAndNoKeepsTheWindow) {
    openShift();
    window->show();
    QTest::mouseClick(window->Memo3, Qt::LeftButton);
    QTest::keyClicks(window->Memo3, "900");
    messages.answer(ui::Answer::No);
    QTest::mouseClick(window->Button12, Qt::LeftButton);
    EXPECT_FALSE(handedOver.has_value());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.boxes[0].question);

    messages.answer(ui::Answer::Yes);
    QTest::mouseClick(window->Button12, Qt::LeftButton);
    ASSERT_TRUE(handedOver.has_value());
    EXPECT_FALSE(handedOver->changeKnown());
}

TEST_F(PaymentWindowTest, DoubleClickAndDeleteClearAField) {
    window->show();
    QTest::mouseDClick(window->Memo1, Qt::LeftButton);
    EXPECT_EQ(window->Memo1->text(), "");
    EXPECT_EQ(window->Memo2->text(), "1000.00");
    QTest::mouseClick(window->Memo2, Qt::LeftButton);
    QTest::keyClick(window->Memo2, Qt::Key_Delete);
    EXPECT_EQ(window->Memo2->text(), "");
    EXPECT_EQ(window->Memo1->text(), "1000.00");
    QTest::mouseClick(window->Button1, Qt::LeftButton);  // keypad into the active card field
    QTest::mouseClick(window->Button11, Qt::LeftButton);
    EXPECT_EQ(window->Memo2->text(), "100");
    EXPECT_EQ(window->Memo1->text(), "900.00");
    QTest::mouseClick(window->BitBtn2, Qt::LeftButton);
    EXPECT_EQ(window->Memo2->text(), "10");
}
