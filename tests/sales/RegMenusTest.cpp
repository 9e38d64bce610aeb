// The main screen's menus on their own, over a stand-in for the screen: the
// items a cashier chooses reach the screen by name, the menus offer what the
// screen's state allows as they open, and the payment-method items guard a
// receipt in progress.
#include "sales/screen/RegMenuHost.h"
#include "sales/screen/RegMenus.h"
#include "support/FakeMessages.h"

#include <QAction>
#include <QColor>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

class StandInScreen : public sales::RegMenuHost {
public:
    QMainWindow* menuWindow() override { return &window; }
    void menuItemChosen(const QString& itemName) override { chosen << itemName; }
    bool hasAttachedCommand(const QString& name) const override { return attached.contains(name); }
    void runAttachedCommand(const QString& name) override { ran << name; }
    bool positionDiscountOffered() const override { return positionDiscount; }
    bool receiptDiscountOffered() const override { return receiptDiscount; }
    QString cashierName() const override { return cashier; }
    int administratorFlag() const override { return adminFlag; }
    bool databaseConnected() const override { return database; }
    bool registerConnected() const override { return kkt; }
    int paymentMethodFlag() const override { return flag; }
    bool receiptHasPositions() const override { return positions; }
    void SetPaymentMethodFlag(int f) override {
        flag = f;
        ++flagsSet;
    }
    void showSaleKindNote(const QString& text, const QColor&, bool visible) override {
        note = text;
        noteVisible = visible;
    }

    QMainWindow window;
    QStringList chosen, ran, attached;
    bool positionDiscount = true, receiptDiscount = false, database = true, kkt = false, positions = false;
    QString cashier = QStringLiteral("Иванов");
    int adminFlag = 1;
    int flag = 4;
    int flagsSet = 0;
    QString note;
    bool noteVisible = false;
};

TEST(RegMenus, ChosenItemsReachTheScreenByName) {
    StandInScreen screen;
    sales::RegMenus menus(screen);
    EXPECT_EQ(screen.window.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    for (const char* name : {"MPrihod", "MGoodsDB", "Z1", "N4", "PMDeletePos", "PMPrihod", "N11", "PMScaleOn"}) {
        QAction* a = menus.action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }
    EXPECT_EQ(screen.chosen,
              (QStringList{"MPrihod", "MGoodsDB", "Z1", "N4", "PMDeletePos", "PMPrihod", "N11", "PMScaleOn"}));
    // An item kept off for good stays off when its whole menu is switched on.
    menus.setItemsEnabled(menus.menu(QStringLiteral("MDataBase")), true);
    EXPECT_FALSE(menus.action(QStringLiteral("MSuppliers"))->isEnabled());
    EXPECT_TRUE(menus.action(QStringLiteral("MGoodsDB"))->isEnabled());
}

TEST(RegMenus, MenusOfferWhatTheScreenAllowsAsTheyOpen) {
    StandInScreen screen;
    sales::RegMenus menus(screen);

    menus.menu(QStringLiteral("MDocument"))->aboutToShow();
    EXPECT_TRUE(menus.action(QStringLiteral("MDiscountPos"))->isEnabled());
    EXPECT_FALSE(menus.action(QStringLiteral("MDiscountCheck"))->isEnabled());
    EXPECT_FALSE(menus.action(QStringLiteral("MAvailablePortions"))->isVisible());
    EXPECT_EQ(screen.ran, QStringList{"MDocumentOpen"});

    menus.menu(QStringLiteral("M_KKT"))->aboutToShow();
    for (const char* name : {"M_OpenSession", "Z1", "X1", "MIncome"})
        EXPECT_FALSE(menus.action(QString::fromLatin1(name))->isEnabled()) << name;
    screen.kkt = true;
    menus.updateRegisterMenu();
    EXPECT_TRUE(menus.action(QStringLiteral("Z1"))->isEnabled());

    // The built-in administrator may only maintain users.
    screen.cashier = QStringLiteral(" VOTAR");
    menus.menu(QStringLiteral("MDataBase"))->aboutToShow();
    EXPECT_TRUE(menus.action(QStringLiteral("MUsersDB"))->isEnabled());
    EXPECT_FALSE(menus.action(QStringLiteral("MGoodsDB"))->isEnabled());

    screen.adminFlag = 0;
    menus.menu(QStringLiteral("MService"))->aboutToShow();
    EXPECT_FALSE(menus.action(QStringLiteral("MOptions"))->isEnabled());
}

TEST(RegMenus, PaymentMethodItemsGuardAReceiptInProgress) {
    struct Case {
        const char* item;
        int itemFlag;
        int flagBefore;
        bool positions;
        bool checkedAfterClick;  // what the click made of the item's check
        int flagAfter;
        bool warned;
    } cases[] = {
        {"M_PrePayFull", 1, 4, false, true, 1, false},  // chosen on an empty receipt
        {"M_PrePayFull", 1, 1, true, false, 1, true},   // taken back with positions: refused
        {"M_Advance", 3, 3, false, false, 4, false},    // taken back on an empty receipt
        {"M_FullPay", 4, 2, true, true, 2, true},       // full payment over positions: refused
        {"M_FullPay", 4, 4, false, false, 4, false},    // cannot be switched off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        testsupport::FakeMessages messages;
        StandInScreen screen;
        sales::RegMenus menus(screen);
        screen.flag = c.flagBefore;
        screen.positions = c.positions;
        QAction* item = menus.action(QString::fromLatin1(c.item));
        const std::array<bool, 4> checks{c.flagBefore == 4, c.flagBefore == 1, c.flagBefore == 2, c.flagBefore == 3};
        menus.setPaymentChecks(checks);
        item->setChecked(c.checkedAfterClick);
        menus.paymentItemToggled(c.itemFlag);
        EXPECT_EQ(screen.flag, c.flagAfter);
        EXPECT_EQ(!messages.boxes.empty(), c.warned);
        // A refused change puts the item's check back.
        if (c.warned) {
            EXPECT_NE(item->isChecked(), c.checkedAfterClick);
        }
    }
}

TEST(RegMenus, CommissionAndAgentSaleExcludeEachOther) {
    StandInScreen screen;
    sales::RegMenus menus(screen);
    QAction* commission = menus.action(QStringLiteral("MCommission"));
    QAction* agent = menus.action(QStringLiteral("MAgentReward"));
    commission->setChecked(true);
    menus.commissionToggled();
    EXPECT_EQ(screen.note, QStringLiteral("Продажа комиссионного товара"));
    EXPECT_TRUE(screen.noteVisible);
    agent->setChecked(true);
    menus.agentRewardToggled();
    EXPECT_FALSE(commission->isChecked());
    EXPECT_EQ(screen.note, QStringLiteral("Агентское вознаграждение"));
}

}  // namespace
