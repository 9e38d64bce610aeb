// The main cashier screen: rights, the workplace lock, receipt kinds and the
// discount buttons, the payment-method flag, the register status, the
// schema upgrade on show and the layout.
#include "core/DataModule.h"
#include "core/SchemaUpgrade.h"
#include "core/SettingsFile.h"
#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/DbEngine.h"
#include "sales/screen/MainScreenRights.h"
#include "sales/screen/MainScreenState.h"
#include "sales/screen/Registration_Mode.h"
#include "support/DbFixture.h"
#include "support/FakeMessages.h"
#include "support/PaintedText.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QJsonDocument>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

using sales::controlTag;

namespace {

class Engine : public sys::DbEngine {
public:
    explicit Engine(bool exists) : exists_(exists) {}
    bool exists() const override { return exists_; }
    bool serverRunning() const override { return false; }

private:
    bool exists_;
};

core::SessionUser cashier(bool admin) {
    core::SessionUser u;
    u.userId = 7;
    u.name = QStringLiteral("Иванов И.И.");
    u.postLabel = QStringLiteral("Кассир : ");
    u.inn = QStringLiteral("500100732259");
    u.isAdmin = admin;
    return u;
}

core::SessionUser builtinAdmin() {
    core::SessionUser u;
    u.name = QStringLiteral(" VOTAR");
    u.postLabel = QStringLiteral("VOTAR : ");
    return u;
}

// A fresh database, its data module, and the main screen over the register
// emulator in the test's program folder.
class MainScreenTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
    }

    void TearDown() override {
        screen.reset();
        module.reset();
        core::DataModule1 = nullptr;
        DbTest::TearDown();
    }

    TfmReg& open(bool connectDatabase = true) {
        if (connectDatabase) module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(programFolder());
            emulator = e.get();
            return e;
        });
        screen->setQuitOnClose(false);
        return *screen;
    }

    QAction* act(const char* name) const { return screen->action(QString::fromLatin1(name)); }
    QWidget* widget(const char* name) const { return screen->findChild<QWidget*>(QString::fromLatin1(name)); }

    // A sale position: 10.00 x 3.
    void addPosition(int markType = 0) {
        sales::ReceiptModel& r = screen->receipt();
        const int row = 1;
        r.setCell(row, sales::ReceiptModel::ColStatus, QStringLiteral("A"));
        r.setCell(row, sales::ReceiptModel::ColId, QStringLiteral("12"));
        r.setCell(row, sales::ReceiptModel::ColKind, QStringLiteral("P"));
        r.setCell(row, sales::ReceiptModel::ColName, QStringLiteral("Хлеб"));
        r.setCell(row, sales::ReceiptModel::ColPrice, QStringLiteral("10.00"));
        r.setCell(row, sales::ReceiptModel::ColQty, QStringLiteral("3"));
        r.setAttr(row, sales::ReceiptModel::AttrBasePrice, QStringLiteral("10.00"));
        r.setAttr(row, sales::ReceiptModel::AttrDiscountKind, QStringLiteral("S"));
        r.setAttr(row, sales::ReceiptModel::AttrDiscountValue, QStringLiteral("1.00"));
        r.setAttr(row, sales::ReceiptModel::AttrMarkType, QString::number(markType));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
    }

    // A fresh receipt of one fur coat, `percentOff` its discount.
    void sellOne(const char* price, const char* qty, const char* percentOff = nullptr) {
        screen->resetReceipt();
        sales::ReceiptModel& r = screen->receipt();
        r.setCell(1, sales::ReceiptModel::ColStatus, QStringLiteral("A"));
        r.setCell(1, sales::ReceiptModel::ColId, QStringLiteral("12"));
        r.setCell(1, sales::ReceiptModel::ColKind, QStringLiteral("P"));
        r.setCell(1, sales::ReceiptModel::ColName, QStringLiteral("Шуба"));
        r.setCell(1, sales::ReceiptModel::ColQty, QString::fromLatin1(qty));
        r.setAttr(1, sales::ReceiptModel::AttrBasePrice, QString::fromLatin1(price));
        r.setAttr(1, sales::ReceiptModel::AttrDiscountKind, QString::fromLatin1(percentOff ? "P" : "N"));
        r.setAttr(1, sales::ReceiptModel::AttrDiscountValue, QString::fromLatin1(percentOff ? percentOff : ""));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    fiscal::RegisterEmulator* emulator = nullptr;
};

struct Expect {
    const char* name;
    bool enabled;
    bool visible;
};

}  // namespace

TEST_F(MainScreenTest, RightsTableOverMenusAndButtons) {
    struct Case {
        const char* name;
        int mode;
        bool engine;
        bool connected;
        std::vector<Expect> expect;
    };
    const std::vector<Case> cases = {
        {"cashier", 2, true, true,
         {{"MDataBase", false, false},
          {"MOptions", false, true},
          {"MPriceTagPrint", false, true},
          {"M_KKT", true, true},
          {"MReAuthor", true, true},
          {"btnBarcode", true, true},
          {"btnFindName", true, true}}},
        {"administrator", 3, true, true,
         {{"MDataBase", true, true},
          {"MOptions", true, true},
          {"MPriceTagPrint", true, true},
          {"MReports", true, true},
          {"btnCode", true, true}}},
        {"built-in administrator with the database", 1, true, true,
         {{"Panel2", false, true},
          {"Panel21", false, true},
          {"Panel10", false, true},
          {"Panel33", false, true},
          {"MDataBase", true, true},
          {"MUsersDB", true, true},
          {"MGoodsDB", false, true},
          {"MCompany", false, true},
          {"MGoodsLoad", false, true},
          {"MReports", false, true},
          {"MService", false, true},
          {"MDocument", false, true},
          {"M_KKT", false, true},
          {"MReAuthor", false, true},
          {"MWorkPlaceLock", false, true},
          // Enabled itself, but out of reach inside its disabled panel.
          {"btnBarcode", false, true}}},
        {"built-in administrator, database not connected", 1, true, false,
         {{"MDataBase", true, true}, {"MUsersDB", false, true}, {"MGoodsDB", false, true}, {"M_KKT", false, true}}},
        {"built-in administrator without a database engine", 1, false, false,
         {{"MDataBase", false, false}, {"MPriceTagPrint", false, false}, {"M_KKT", false, true}}},
    };
    for (const Case& c : cases) {
        Engine engine(c.engine);
        sys::setDbEngine(&engine);
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        open(c.connected);
        screen->ApplyUserRights(c.mode);
        for (const Expect& e : c.expect) {
            if (QAction* a = act(e.name)) {
                EXPECT_EQ(a->isVisible(), e.visible) << c.name << ": " << e.name;
                // A hidden item is disabled as well.
                if (e.visible) {
                    EXPECT_EQ(a->isEnabled(), e.enabled) << c.name << ": " << e.name;
                }
            } else {
                QWidget* w = widget(e.name);
                ASSERT_NE(w, nullptr) << e.name;
                EXPECT_EQ(w->isEnabled(), e.enabled) << c.name << ": " << e.name;
                EXPECT_EQ(!w->isHidden(), e.visible) << c.name << ": " << e.name;
            }
        }
        screen.reset();
        sys::setDbEngine(nullptr);
    }
}

TEST_F(MainScreenTest, CashierAfterBuiltinAdministratorGetsAWorkingScreen) {
    open();
    screen->setUser(builtinAdmin());
    screen->ApplyUserRights(core::BuiltinAdminRights);
    ASSERT_FALSE(act("M_KKT")->isEnabled());
    // A cashier card unlocks the screen for a real cashier.
    screen->setUser(cashier(false));
    screen->ApplyUserRights(core::CashierRights);
    for (const char* name : {"M_KKT", "MDocument", "MReports", "MService", "MReAuthor", "MWorkPlaceLock"})
        EXPECT_TRUE(act(name)->isEnabled()) << name;
    for (const char* name : {"Panel2", "Panel21", "Panel10", "Panel33"}) EXPECT_TRUE(widget(name)->isEnabled()) << name;
    EXPECT_FALSE(screen->builtinSession());
    // Items that never serve stay off.
    EXPECT_FALSE(act("MUsersUnLoad")->isEnabled());
    EXPECT_FALSE(act("MSuppliers")->isEnabled());
}

TEST_F(MainScreenTest, BuiltinAdministratorCannotLockHimselfOut) {
    open();
    struct Case {
        core::SessionUser user;
        int rights;
        bool lockOffered;
    } cases[] = {{builtinAdmin(), core::BuiltinAdminRights, false}, {cashier(false), core::CashierRights, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user.name.toStdString());
        screen->setUser(c.user);
        screen->ApplyUserRights(c.rights);
        // Whatever an unlock of the screen gives back.
        screen->SetWorkplaceLock(false);
        EXPECT_EQ(act("MWorkPlaceLock")->isEnabled(), c.lockOffered);
        screen->menuItemChosen(QStringLiteral("MWorkPlaceLock"));
        EXPECT_EQ(screen->isWorkplaceLocked(), c.lockOffered);
        screen->SetWorkplaceLock(false);
        // The Pause key locks as the item does.
        screen->lockWorkplace();
        EXPECT_EQ(screen->isWorkplaceLocked(), c.lockOffered);
        screen->SetWorkplaceLock(false);
    }
}

TEST_F(MainScreenTest, SessionKeepsOnlyWhatItsUserStillHas) {
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_RIGHTS) "
         "VALUES (7, 'Иванов И.И.', '500100732259', 'Кассир', '1', 'админ')");
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) VALUES (8, 'Андреев А.', '2', 'кассир')");
    open();
    screen->setUser(cashier(true));
    screen->ApplyUserRights(core::AdminRights);
    addPosition();
    const QString total = screen->lblChekItogo->text();
    screen->show();
    QSignalSpy loggedOut(screen.get(), &TfmReg::loggedOut);
    // The users window, left by its close button once `inside` has run.
    const auto usersWindow = [this](const std::function<void(QWidget*)>& inside) {
        QTimer::singleShot(0, [&inside] {
            QWidget* users = QApplication::activeModalWidget();
            if (!users || users->objectName() != QLatin1String("fmUsers")) return;
            inside(users);
            QTest::mouseClick(users->findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
        });
        screen->menuItemChosen(QStringLiteral("MUsersDB"));
    };

    // Another administrator took her rights and renamed her meanwhile.
    exec("UPDATE USERS SET USER_RIGHTS = 'кассир', USER_FIO = 'Иванова И.И.' WHERE USER_ID = 7");
    usersWindow([](QWidget*) {});
    EXPECT_EQ(screen->lblUser->text(), QStringLiteral("Иванова И.И."));
    EXPECT_FALSE(screen->userIsAdmin());
    EXPECT_FALSE(act("MDataBase")->isVisible());
    EXPECT_FALSE(act("MOptions")->isEnabled());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(loggedOut.count(), 0);

    // She deletes her own user.
    exec("UPDATE USERS SET USER_RIGHTS = 'админ' WHERE USER_ID = 7");
    screen->ApplyUserRights(core::AdminRights);
    messages.answer(ui::Answer::Yes);
    usersWindow([](QWidget* users) {
        auto* grid = users->findChild<QTableView*>(QStringLiteral("DBGridUsers"));
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == QStringLiteral("Иванова И.И."))
                grid->setCurrentIndex(grid->model()->index(r, 0));
        QTest::mouseClick(users->findChild<QPushButton*>(QStringLiteral("btnUserDelete")), Qt::LeftButton);
    });
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Удалить пользователя \"Иванова И.И.\"?     ")});
    EXPECT_EQ(loggedOut.count(), 1);
    EXPECT_FALSE(screen->isVisible());
    EXPECT_EQ(screen->userId(), 0);
    EXPECT_TRUE(screen->lblUser->text().isEmpty());
    // The receipt waits for whoever logs in next.
    EXPECT_EQ(screen->receipt().cell(1, sales::ReceiptModel::ColName), QStringLiteral("Хлеб"));
    EXPECT_EQ(screen->lblChekItogo->text(), total);
}

TEST_F(MainScreenTest, DatabaseMenuForBuiltinAdministratorOffersOnlyUsers) {
    open();
    struct Case {
        core::SessionUser user;
        bool goods;
        bool users;
    } cases[] = {{builtinAdmin(), false, true}, {cashier(true), true, true}};
    for (const Case& c : cases) {
        screen->setUser(c.user);
        screen->MDataBaseClick();
        EXPECT_EQ(act("MGoodsDB")->isEnabled(), c.goods) << c.user.name.toStdString();
        EXPECT_EQ(act("MInventory")->isEnabled(), c.goods) << c.user.name.toStdString();
        EXPECT_EQ(act("MUsersDB")->isEnabled(), c.users) << c.user.name.toStdString();
    }
}

TEST_F(MainScreenTest, UserLabelsCarryTheSession) {
    open();
    screen->setUser(cashier(true));
    EXPECT_EQ(screen->Label4->text(), QStringLiteral("Кассир : "));
    EXPECT_EQ(screen->lblUser->text(), QStringLiteral("Иванов И.И."));
    EXPECT_EQ(controlTag(screen->lblUser), 7);
    EXPECT_EQ(screen->lblINN->text(), QStringLiteral("500100732259"));
    EXPECT_EQ(controlTag(screen->lblINN), 1);
    const core::SessionUser back = screen->currentUser();
    EXPECT_EQ(back.userId, 7);
    EXPECT_TRUE(back.isAdmin);
    EXPECT_EQ(back.inn, QStringLiteral("500100732259"));
    EXPECT_EQ(core::mainScreen(), screen.get());
    EXPECT_EQ(fmReg, screen.get());

    // The service menu follows the administrator flag.
    screen->MServiceClick();
    EXPECT_TRUE(act("MOptions")->isEnabled());
    EXPECT_TRUE(act("MPriceTagPrint")->isEnabled());
    screen->setUser(cashier(false));
    screen->MServiceClick();
    EXPECT_FALSE(act("MOptions")->isEnabled());
    EXPECT_FALSE(act("MPriceTagPrint")->isEnabled());
}

TEST_F(MainScreenTest, ReceiptKindCommands) {
    open();
    struct Case {
        const char* item;
        int kind;
        QString caption;
        bool fpdVisible;
        bool discounts;
    } cases[] = {
        {"MPrihodBack", 2, QStringLiteral("ВОЗВРАТ ПРИХОДА"), true, false},
        {"PMRashod", 3, QStringLiteral("РАСХОД"), false, false},
        {"MRashodBack", 4, QStringLiteral("ВОЗВРАТ РАСХОДА"), false, false},
        {"PMPrihod", 1, QStringLiteral("ПРИХОД"), false, true},
        {"PMPrihodBack", 2, QStringLiteral("ВОЗВРАТ ПРИХОДА"), true, false},
        {"MPrihod", 1, QStringLiteral("ПРИХОД"), false, true},
    };
    QSignalSpy changed(screen.get(), &TfmReg::receiptKindChanged);
    for (const Case& c : cases) {
        act(c.item)->trigger();
        EXPECT_EQ(screen->lblOperationType->text(), c.caption) << c.item;
        EXPECT_EQ(controlTag(screen->lblOperationType), c.kind) << c.item;
        EXPECT_EQ(screen->receiptKind(), c.kind) << c.item;
        EXPECT_EQ(!screen->edFPD->isHidden(), c.fpdVisible) << c.item;
        EXPECT_EQ(screen->btnPosDiscount->isEnabled(), c.discounts) << c.item;
        EXPECT_EQ(screen->btnCheckDiscount->isEnabled(), c.discounts) << c.item;
    }
    EXPECT_EQ(changed.count(), int(std::size(cases)));
    EXPECT_TRUE(messages.boxes.empty());

    // The choice window answers 20 + kind.
    screen->setOperationChoice([] { return 24; });
    screen->lblOperationTypeDblClick();
    EXPECT_EQ(screen->receiptKind(), 4);
    screen->setOperationChoice([] { return 2; });  // cancelled
    screen->lblOperationTypeDblClick();
    EXPECT_EQ(screen->receiptKind(), 4);
}

TEST_F(MainScreenTest, ReturnDropsDiscountsAndSaleKeepsThem) {
    open();
    addPosition();
    sales::ReceiptModel& r = screen->receipt();
    r.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("10"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);

    act("MPrihod")->trigger();
    // A receipt discount is set: only the receipt discount stays available.
    EXPECT_FALSE(screen->btnPosDiscount->isEnabled());
    EXPECT_TRUE(screen->btnCheckDiscount->isEnabled());
    EXPECT_EQ(r.receiptDiscountKind(), QLatin1Char('P'));

    act("MPrihodBack")->trigger();
    EXPECT_EQ(r.receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(r.lineDiscountKind(1), QLatin1Char('N'));
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("30.00 "));
    EXPECT_EQ(screen->lblDiscount->text(), QStringLiteral("0.00"));
    EXPECT_FALSE(screen->btnPosDiscount->isEnabled());
    EXPECT_FALSE(screen->btnCheckDiscount->isEnabled());
}

TEST_F(MainScreenTest, LockAndUnlockFollowTheDiscountRule) {
    open();
    screen->setUser(cashier(false));
    screen->ApplyUserRights(core::CashierRights);
    struct Case {
        const char* kindItem;
        bool receiptDiscount;
        bool posAfterUnlock;
        bool checkAfterUnlock;
    } cases[] = {
        {"MPrihodBack", false, false, false},
        {"MRashod", false, false, false},
        {"MPrihod", false, true, true},
        {"MPrihod", true, false, true},
    };
    for (const Case& c : cases) {
        act(c.kindItem)->trigger();
        screen->receipt().setReceiptDiscount(c.receiptDiscount ? QStringLiteral("S") : QStringLiteral("N"),
                                             c.receiptDiscount ? QStringLiteral("5") : QStringLiteral("0"));
        screen->SetWorkplaceLock(true);
        EXPECT_TRUE(screen->isWorkplaceLocked());
        for (const char* name : {"btnPosDiscount", "btnCheckDiscount", "btnCloseCheck", "btnBarcode", "GoodsGrid",
                                 "lblOperationType", "btnTelefon"})
            EXPECT_FALSE(widget(name)->isEnabled()) << c.kindItem << ": " << name;
        for (const char* name : {"MDocument", "MDataBase", "M_KKT", "MService", "MWorkPlaceLock"})
            EXPECT_FALSE(act(name)->isEnabled()) << c.kindItem << ": " << name;

        screen->SetWorkplaceLock(false);
        EXPECT_EQ(screen->btnPosDiscount->isEnabled(), c.posAfterUnlock) << c.kindItem;
        EXPECT_EQ(screen->btnCheckDiscount->isEnabled(), c.checkAfterUnlock) << c.kindItem;
        for (const char* name : {"btnCloseCheck", "btnBarcode", "GoodsGrid", "lblOperationType", "BitBtn1"})
            EXPECT_TRUE(widget(name)->isEnabled()) << c.kindItem << ": " << name;
        for (const char* name : {"MDocument", "M_KKT", "MWorkPlaceLock"})
            EXPECT_TRUE(act(name)->isEnabled()) << c.kindItem << ": " << name;
        screen->receipt().setReceiptDiscount(QStringLiteral("N"), QStringLiteral("0"));
    }
}

TEST_F(MainScreenTest, LockShowsTheBannerAndUnlockFreesIt) {
    open();
    act("MWorkPlaceLock")->trigger();
    EXPECT_EQ(screen->Tag(), 1);
    EXPECT_NE(screen->findChild<QWidget*>(QStringLiteral("fmLockedMessage")), nullptr);
    screen->setTag(0);
    screen->SetWorkplaceLock();
    EXPECT_EQ(screen->findChild<QWidget*>(QStringLiteral("fmLockedMessage")), nullptr);
}

TEST_F(MainScreenTest, LockedWorkplaceOpensNoKindChoiceTaxPopupOrScaleWindow) {
    open();
    int choices = 0;
    screen->setOperationChoice([&choices] {
        ++choices;
        return 22;
    });
    int scaleWindows = 0;
    screen->setCommand(QStringLiteral("MScaleOn"), [&scaleWindows] { ++scaleWindows; });
    const auto dblClick = [](QWidget* w) {
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    const QList<QWidget*> targets{screen->lblOperationType, screen->Label3, screen->ImageScaleOn,
                                  screen->ImageScaleOff};

    screen->SetWorkplaceLock(true);
    for (QWidget* w : targets) dblClick(w);
    emit screen->lblTaxSystem->customContextMenuRequested(QPoint(1, 1));
    emit screen->ImageScaleOn->customContextMenuRequested(QPoint(1, 1));
    EXPECT_FALSE(screen->PopupMenuTaxSystem->isVisible());
    EXPECT_FALSE(screen->PopupMenuScale->isVisible());
    EXPECT_EQ(choices, 0);
    EXPECT_EQ(scaleWindows, 0);
    EXPECT_EQ(screen->receiptKind(), 1);
    EXPECT_EQ(screen->lblOperationType->text(), QStringLiteral("ПРИХОД"));

    screen->SetWorkplaceLock(false);
    for (QWidget* w : targets) dblClick(w);
    EXPECT_EQ(choices, 2);
    EXPECT_EQ(scaleWindows, 2);
    EXPECT_EQ(screen->receiptKind(), 2);
    emit screen->lblTaxSystem->customContextMenuRequested(QPoint(1, 1));
    EXPECT_TRUE(screen->PopupMenuTaxSystem->isVisible());
    screen->PopupMenuTaxSystem->hide();
    emit screen->ImageScaleOn->customContextMenuRequested(QPoint(1, 1));
    EXPECT_TRUE(screen->PopupMenuScale->isVisible());
    screen->PopupMenuScale->hide();
}

TEST_F(MainScreenTest, KindChangeRefusedWithMarkedGoods) {
    open();
    addPosition(4);
    act("MPrihodBack")->trigger();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text,
              QStringLiteral(" В чеке есть маркированный товар.     \r\n Изменение признака расчета невозможно.     "));
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
    EXPECT_EQ(screen->receiptKind(), 1);
    EXPECT_EQ(screen->lblOperationType->text(), QStringLiteral("ПРИХОД"));
    // Choosing the kind it already has is no change.
    messages.clear();
    act("MPrihod")->trigger();
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(MainScreenTest, CreationReadsKindAndTaxSystemFromTheSettings) {
    struct Case {
        QString operDefault;
        QString taxSystem;
        QString caption;
        int kind;
        QString taxText;
        int taxTag;
        bool discounts;
    } cases[] = {
        {QString(), QStringLiteral("4"), QStringLiteral("ПРИХОД"), 1, QStringLiteral("УСН (доход-расход)"), 4, true},
        {QStringLiteral("Возврат прихода"), QStringLiteral("32"), QStringLiteral("ВОЗВРАТ ПРИХОДА"), 2,
         QStringLiteral("Патент"), 32, false},
        {QStringLiteral("Расход"), QStringLiteral("7"), QStringLiteral("РАСХОД"), 3, QStringLiteral("не указана"), 0,
         false},
        {QStringLiteral("Приход"), QStringLiteral("нет"), QStringLiteral("ПРИХОД"), 1, QStringLiteral("не указана"), 0,
         true},
    };
    // OPTIONS comes with the schema upgrade the program runs at every show.
    core::SchemaUpgrade(db());
    for (const Case& c : cases) {
        QList<core::OptionsFileLine> lines;
        if (!c.operDefault.isEmpty()) lines.append({QStringLiteral("[OperDefault]"), c.operDefault});
        lines.append({QStringLiteral("[Email]"), QStringLiteral("shop@example.ru")});
        ASSERT_TRUE(core::writeOptionsFile(programFolder(), core::renderOptionsFile(lines)));
        exec(QStringLiteral("DELETE FROM OPTIONS"));
        exec(QStringLiteral("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '%1')").arg(c.taxSystem));

        open();
        EXPECT_EQ(screen->lblOperationType->text(), c.caption) << c.caption.toStdString();
        EXPECT_EQ(screen->receiptKind(), c.kind);
        EXPECT_EQ(!screen->edFPD->isHidden(), c.kind == 2);
        EXPECT_EQ(screen->lblTaxSystem->text(), c.taxText);
        EXPECT_EQ(screen->taxSystemTag(), c.taxTag);
        EXPECT_EQ(screen->btnPosDiscount->isEnabled(), c.discounts);
        EXPECT_EQ(screen->edOurEmail->text(), QStringLiteral("shop@example.ru"));
        EXPECT_EQ(screen->TaxSystemCode(), -1);
        screen.reset();
    }
}

TEST_F(MainScreenTest, CreationShowsTheRegisterAndAnEmptyReceipt) {
    open();
    ASSERT_NE(emulator, nullptr);
    EXPECT_EQ(screen->KKTDriver(), emulator);
    EXPECT_TRUE(screen->KKTConnected());
    EXPECT_EQ(screen->lblKKT->text(),
              fiscal::RegisterEmulator::kModelName + QStringLiteral(" № ") + emulator->state().serialNumber);
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Рабочее место кассира - режим регистрации"));
    EXPECT_EQ(screen->GoodsGrid->columnCount(), 12);
    EXPECT_EQ(screen->GoodsGrid->rowCount(), 1);
    EXPECT_EQ(screen->currentReceiptRow(), 1);
    EXPECT_EQ(controlTag(screen->GoodsGrid), 5);
    EXPECT_EQ(screen->btnPosDelete->text(), QStringLiteral("Позицию"));
    EXPECT_EQ(controlTag(screen->btnPosDelete), 1);
    EXPECT_FALSE(screen->chLE->isChecked());
    EXPECT_TRUE(screen->lblBuyerName->isHidden());
    EXPECT_EQ(screen->PaymentMethodFlag(), 4);
    EXPECT_TRUE(act("M_FullPay")->isChecked());
    EXPECT_FALSE(screen->lblClock->text().isEmpty());
    EXPECT_TRUE(messages.boxes.empty());

    // The register menu offers shift operations only while connected.
    screen->M_KKTClick();
    EXPECT_TRUE(act("Z1")->isEnabled());
}

TEST_F(MainScreenTest, DriverInfoWithoutDriverDoesNothing) {
    module->connectDatabase();
    TfmReg noDriver(nullptr, []() -> std::unique_ptr<fiscal::IFiscalDriver> { throw std::runtime_error("no COM"); });
    EXPECT_EQ(noDriver.KKTDriver(), nullptr);
    EXPECT_EQ(noDriver.lblKKT->text(), QStringLiteral("нет подключения"));
    noDriver.action(QStringLiteral("MDriverInfo"))->trigger();
    noDriver.action(QStringLiteral("X1"))->trigger();
    noDriver.action(QStringLiteral("M_OpenSession"))->trigger();
    EXPECT_TRUE(messages.boxes.empty());
    noDriver.M_KKTClick();
    EXPECT_FALSE(noDriver.action(QStringLiteral("M_OpenSession"))->isEnabled());
    EXPECT_FALSE(noDriver.action(QStringLiteral("MIncome"))->isEnabled());
}

TEST_F(MainScreenTest, RegisterMenuRunsWithTheScreensCashier) {
    open();
    screen->setUser(builtinAdmin());
    act("M_OpenSession")->trigger();
    EXPECT_EQ(messages.texts(), QStringList{sales::registerText::kBadUser});
    EXPECT_FALSE(emulator->state().shiftOpen);

    screen->setUser(cashier(false));
    messages.clear();
    act("M_OpenSession")->trigger();
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(emulator->state().shiftOpen);
    EXPECT_EQ(emulator->state().cashierName, QStringLiteral("Кассир : Иванов И.И."));

    // Cash-in hands over to the amount window, which calls back with the amount.
    bool amountAsked = false;
    screen->setCommand(QStringLiteral("MIncome"), [&] {
        amountAsked = true;
        EXPECT_TRUE(screen->cashIncome(sales::Money::fromKopecks(50000)));
    });
    const qint64 before = emulator->state().cash;
    act("MIncome")->trigger();
    EXPECT_TRUE(amountAsked);
    EXPECT_EQ(emulator->state().cash, before + 50000);

    act("Z1")->trigger();
    EXPECT_FALSE(emulator->state().shiftOpen);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(MainScreenTest, PaymentMethodFlagOnScreenAndInMenu) {
    open();
    const char* items[] = {"M_FullPay", "M_PrePayFull", "M_PrePayPart", "M_Advance"};
    struct Case {
        int flag;
        QString text;
        bool visible;
        QString hint;
        int checked;  // index into items
    } cases[] = {
        {1, QStringLiteral("ПРЕДОПЛАТА 100%"), true, QStringLiteral("Признак способа расчета\r\n''ПРЕДОПЛАТА 100%''"), 1},
        {2, QStringLiteral("ПРЕДОПЛАТА"), true,
         QStringLiteral("Признак способа расчета\r\n''ПРЕДОПЛАТА (частичная)''"), 2},
        {3, QStringLiteral("АВАНС"), true, QStringLiteral("Признак способа расчета\r\n''АВАНС''"), 3},
        {4, QStringLiteral("Полный расчет"), false, QString(), 0},
    };
    for (const Case& c : cases) {
        screen->SetPaymentMethodFlag(c.flag);
        EXPECT_EQ(screen->PaymentMethodFlag(), c.flag);
        EXPECT_EQ(screen->lblPSR->text(), c.text);
        EXPECT_EQ(!screen->lblPSR->isHidden(), c.visible);
        EXPECT_EQ(screen->lblPSR->toolTip(), c.hint);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(act(items[i])->isChecked(), i == c.checked) << c.flag << items[i];
    }
    screen->SetPaymentMethodFlag(9);
    EXPECT_EQ(screen->PaymentMethodFlag(), 4);
}

TEST_F(MainScreenTest, PaymentMethodMenuGuardsANonEmptyReceipt) {
    open();
    // Unchecking a prepayment on an empty receipt returns to full payment.
    act("M_PrePayFull")->trigger();
    EXPECT_EQ(screen->PaymentMethodFlag(), 1);
    act("M_PrePayFull")->trigger();
    EXPECT_EQ(screen->PaymentMethodFlag(), 4);
    EXPECT_TRUE(act("M_FullPay")->isChecked());

    act("M_Advance")->trigger();
    addPosition();
    act("M_FullPay")->trigger();
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral(" Чек не пустой.      \r\n Установка признака ''ПОЛНЫЙ РАСЧЕТ'' невозможна.     ")});
    EXPECT_EQ(screen->PaymentMethodFlag(), 3);
    EXPECT_TRUE(act("M_Advance")->isChecked());
    EXPECT_FALSE(act("M_FullPay")->isChecked());

    messages.clear();
    act("M_Advance")->trigger();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    " Чек не пустой.      \r\n Переключение на признак ''ПОЛНЫЙ РАСЧЕТ'' невозможно.     ")});
    EXPECT_TRUE(act("M_Advance")->isChecked());
    EXPECT_EQ(screen->PaymentMethodFlag(), 3);
}

TEST_F(MainScreenTest, ShowRunsTheSchemaUpgradeAndResetsTheReceiptFlags) {
    open();
    screen->SetPaymentMethodFlag(2);
    exec(QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (1, 'Хлеб')"));
    ASSERT_TRUE(screen->showMain());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->PaymentMethodFlag(), 4);
    EXPECT_TRUE(act("M_FullPay")->isChecked());
    EXPECT_EQ(screen->documentType(), 3);
    fb::Transaction tr(db());
    const std::optional<fb::Row> count = fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) N FROM GOODS_TEMP"));
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->integer(QStringLiteral("N"), -1), 0);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(MainScreenTest, FailingSchemaUpgradeKeepsTheScreenHiddenAndSaysWhy) {
    open();
    exec(QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (1, 'Хлеб')"));
    // Another workstation holds the working list's row: emptying it fails.
    fb::Transaction holder(db());
    fb::execute(holder, QStringLiteral("UPDATE GOODS_TEMP SET G_NAME = 'Батон'"));

    screen->SetPaymentMethodFlag(2);
    EXPECT_FALSE(screen->showMain());
    EXPECT_FALSE(screen->isVisible());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
    // Said in Russian for what it is; the engine's words only after it.
    const QString sentence =
        ui::databaseFailureSentence(fb::Error(QString(), 0, 0, fb::ErrorCategory::LockConflict));
    EXPECT_TRUE(messages.boxes[0].text.startsWith(sentence)) << messages.last().toStdString();
    EXPECT_GT(messages.boxes[0].text.indexOf(QStringLiteral("lock"), 0, Qt::CaseInsensitive), sentence.size())
        << messages.last().toStdString();
    // The receipt flags stay as they were: the screen was not entered.
    EXPECT_EQ(screen->PaymentMethodFlag(), 2);
}

TEST_F(MainScreenTest, EnterNeverClicksAFocusedButton) {
    open();
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    for (QPushButton* b : screen->findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
    }
    for (QPushButton* b : {screen->btnCloseCheck, screen->btnBarcode, screen->btnCheckDelete}) {
        b->setFocus();
        QSignalSpy clicked(b, &QPushButton::clicked);
        QTest::keyClick(b, Qt::Key_Return);
        QTest::keyClick(b, Qt::Key_Enter);
        EXPECT_EQ(clicked.count(), 0) << b->objectName().toStdString();
    }
}

TEST_F(MainScreenTest, RecalcShowsTheReceiptInTheGrid) {
    open();
    addPosition();
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("29.01 "));
    EXPECT_EQ(screen->lblDiscount->text(), QStringLiteral("0.99"));
    EXPECT_EQ(screen->GoodsGrid->item(0, sales::ReceiptModel::ColPrice)->text(), QStringLiteral("9.67"));
    EXPECT_EQ(screen->GoodsGrid->item(0, sales::ReceiptModel::ColPosNo)->text(), QStringLiteral("1"));
    // A discount column appears: layout 6.
    EXPECT_EQ(controlTag(screen->GoodsGrid), 6);
    EXPECT_FALSE(screen->GoodsGrid->isColumnHidden(sales::ReceiptModel::ColDiscount));
    EXPECT_TRUE(screen->GoodsGrid->isColumnHidden(sales::ReceiptModel::ColStatus));

    screen->resetReceipt();
    EXPECT_EQ(screen->GoodsGrid->rowCount(), 1);
    EXPECT_EQ(screen->lblChekItogo->text(), QStringLiteral("0.00 "));
    EXPECT_EQ(controlTag(screen->GoodsGrid), 5);
}

TEST_F(MainScreenTest, QuitIsAskedAndReleasesTheDriver) {
    open();
    QSignalSpy quit(screen.get(), &TfmReg::quitRequested);
    screen->close();  // answered No
    EXPECT_EQ(messages.texts(), QStringList{TfmReg::kQuitQuestion});
    EXPECT_TRUE(messages.boxes[0].question);
    EXPECT_EQ(quit.count(), 0);
    EXPECT_NE(screen->KKTDriver(), nullptr);

    messages.answer(ui::Answer::Yes);
    act("MAppClose")->trigger();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(screen->KKTDriver(), nullptr);
}

TEST_F(MainScreenTest, ProportionalLayout) {
    open();
    screen->resize(1600, 1200);
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    QWidget* central = screen->centralWidget();
    // Every resize, larger or back to smaller, lays the screen out again:
    // panels, the buttons inside them and the labels alike.
    for (const QSize size : {QSize(1600, 1200), QSize(1280, 1024), QSize(800, 600), QSize(1366, 768)}) {
        SCOPED_TRACE(size.width());
        screen->resize(size);
        QCoreApplication::processEvents();
        const sales::LayoutFactors f = sales::layoutFactors(central->size());
        EXPECT_EQ(screen->btnCloseCheck->geometry(), sales::scaleDesignRect(QRect(596, 456, 198, 140), f));
        EXPECT_EQ(screen->GoodsGrid->geometry(), sales::scaleDesignRect(QRect(6, 130, 584, 320), f));
        EXPECT_EQ(screen->Panel2->geometry(), sales::scaleDesignRect(QRect(596, 230, 198, 52), f));
        EXPECT_EQ(screen->btnBarcode->geometry(), sales::scaleDesignRect(QRect(2, 2, 95, 48), f));
        EXPECT_EQ(screen->lblINN->geometry(), sales::scaleDesignRect(QRect(380, 38, 140, 22), f));
        // The contents use the whole window.
        EXPECT_GE(screen->btnCloseCheck->geometry().right(), central->width() - sales::scaleDesignRect(QRect(0, 0, 8, 8), f).width());
    }
}

TEST_F(MainScreenTest, LargeTotalsShowEveryDigit) {
    open();
    struct Case {
        QSize size;
        const char* price;
        const char* qty;
        const char* total;
    } cases[] = {
        {{800, 600}, "1099999.89", "1", "1099999.89 "},
        {{800, 600}, "999999.99", "10", "9999999.90 "},
        {{640, 480}, "999999.99", "10", "9999999.90 "},
        {{1280, 1024}, "999999.99", "10", "9999999.90 "},
        {{800, 600}, "12.50", "2", "25.00 "},
    };
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    int fullSizePoints = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        screen->resize(c.size);
        QCoreApplication::processEvents();
        ASSERT_NO_FATAL_FAILURE(sellOne(c.price, c.qty));
        QLabel* total = screen->lblChekItogo;
        EXPECT_EQ(total->text(), QString::fromLatin1(c.total));
        const int textWidth = QFontMetrics(total->font()).horizontalAdvance(total->text());
        EXPECT_LE(textWidth, total->contentsRect().width()) << total->font().pointSize();
        if (QString::fromLatin1(c.total) == QStringLiteral("25.00 ")) fullSizePoints = total->font().pointSize();
        else EXPECT_LT(total->font().pointSize(), sales::scaleFontPoints(24, sales::layoutFactors(screen->centralWidget()->size())));
    }
    // A short total keeps the scaled design size: only what does not fit shrinks.
    EXPECT_EQ(fullSizePoints, sales::scaleFontPoints(24, sales::layoutFactors(screen->centralWidget()->size())));
}

TEST(MainScreenLayout, FontShrinksUntilTheTextFits) {
    // A text 10 pixels wide per point.
    const auto width = [](int points) { return points * 10; };
    struct Case {
        int wanted;
        int available;
        int points;
    } cases[] = {
        {24, 300, 24}, {24, 240, 24}, {24, 239, 23}, {24, 100, 10}, {24, 10, sales::kMinFontPoints},
        {4, 300, sales::kMinFontPoints},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::fittingFontPoints(c.wanted, c.available, width), c.points) << c.wanted << " " << c.available;
}

TEST_F(MainScreenTest, LongNamesStayInsideTheirOwnLabels) {
    open();
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    core::SessionUser u = cashier(false);
    u.postLabel = QStringLiteral("Старший кассир-операционист торгового зала : ");
    u.name = QStringLiteral("Константинопольская-Водопьянова Анастасия-Александра Христофоровна");
    screen->setUser(u);
    for (const QSize size : {QSize(800, 600), QSize(1280, 1024), QSize(640, 480)}) {
        screen->resize(size);
        QCoreApplication::processEvents();
        SCOPED_TRACE(size.width());
        EXPECT_LT(screen->Label4->geometry().right(), screen->lblUser->x());
        EXPECT_LT(screen->lblUser->geometry().right(), screen->lblINN->x());
        EXPECT_TRUE(screen->lblINN->isVisible());
        // The whole name stays the label's text for whoever reads it.
        EXPECT_EQ(screen->lblUser->text(), u.name);
        EXPECT_EQ(screen->currentUser().name, u.name);
    }
    // The controls of the top row never share a pixel.
    const QList<QWidget*> row{screen->Label3, screen->lblOperationType, screen->lblPSR, screen->lblTaxCaption,
                              screen->lblTaxSystem, screen->lblClock};
    for (int i = 1; i < row.size(); ++i)
        EXPECT_LT(row[i - 1]->geometry().right(), row[i]->x()) << row[i]->objectName().toStdString();
}

TEST_F(MainScreenTest, ReceiptEditButtonsSayWhatTheyChange) {
    open();
    const std::map<std::string, QString> captions{
        {"BitBtn1", QStringLiteral("Цену")},
        {"BitBtn2", QStringLiteral("Количество")},
        {"btnPosDelete", QStringLiteral("Позицию")},
        {"btnCheckDelete", QStringLiteral("Весь чек")},
        {"btnPosDiscount", QStringLiteral("на позицию")},
        {"btnCheckDiscount", QStringLiteral("на чек")},
    };
    for (const auto& [name, caption] : captions) {
        auto* b = screen->findChild<QPushButton*>(QString::fromStdString(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), caption) << name;
    }
}

TEST(MainScreenLayout, FactorsRoundHalfUpToThousandths) {
    struct Case {
        QSize size;
        int kx;
        int ky;
    } cases[] = {
        {{800, 600}, 1000, 1000}, {{1024, 768}, 1280, 1280}, {{1366, 768}, 1708, 1280},
        {{1280, 1024}, 1600, 1707}, {{1920, 1080}, 2400, 1800}, {{801, 601}, 1001, 1002},
    };
    for (const Case& c : cases) {
        const sales::LayoutFactors f = sales::layoutFactors(c.size);
        EXPECT_EQ(f.kxThousandths, c.kx) << c.size.width();
        EXPECT_EQ(f.kyThousandths, c.ky) << c.size.height();
    }
    const sales::LayoutFactors f{1708, 1280};
    EXPECT_EQ(sales::scaleDesignRect(QRect(10, 10, 100, 50), f), QRect(17, 13, 171, 64));
}

TEST(MainScreenRules, DiscountButtonsOneRule) {
    struct Case {
        int kind;
        bool receiptDiscount;
        bool locked;
        sales::DiscountButtons expect;
    } cases[] = {
        {1, false, false, {true, true}},  {1, true, false, {false, true}},  {1, false, true, {false, false}},
        {2, false, false, {false, false}}, {3, false, false, {false, false}}, {4, true, false, {false, false}},
        {0, false, false, {false, false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::discountButtons(c.kind, c.receiptDiscount, c.locked), c.expect)
            << c.kind << c.receiptDiscount << c.locked;
}

TEST(MainScreenRules, GridPopupOffersWhatTheRowAllows) {
    struct Case {
        int kind;
        bool receiptDiscount;
        int markType;
        bool goodsId;
        bool discountPos, discountCheck, changePrice, changeName;
    } cases[] = {
        {1, false, 0, true, true, true, true, false},  {1, true, 0, true, false, true, true, false},
        {1, false, 4, true, false, true, false, false}, {2, false, 0, false, false, false, true, true},
        {3, false, 4, true, false, false, false, false},
    };
    for (const Case& c : cases) {
        const sales::GridPopupState s = sales::gridPopupState(c.kind, c.receiptDiscount, c.markType, c.goodsId);
        EXPECT_EQ(s.discountPosVisible, c.discountPos);
        EXPECT_EQ(s.discountCheckVisible, c.discountCheck);
        EXPECT_EQ(s.changePriceVisible, c.changePrice);
        EXPECT_EQ(s.changeNameEnabled, c.changeName);
    }
}

TEST(MainScreenRules, JsonReplyResultReadsNumbersOnly) {
    struct Case {
        const char* json;
        int result;
        sales::JsonIdleOutcome::Kind kind;
    } cases[] = {
        {R"({"result": 0})", 0, sales::JsonIdleOutcome::SessionFine},
        {R"({"result": "0"})", 0, sales::JsonIdleOutcome::SessionFine},
        {R"({"result": 12, "description": "Порт закрыт"})", 12, sales::JsonIdleOutcome::SessionLost},
        {R"({"result": "abc"})", -1, sales::JsonIdleOutcome::NoAnswer},
        {R"({"result": 1.5})", -1, sales::JsonIdleOutcome::NoAnswer},
        {R"({"description": "нет"})", -1, sales::JsonIdleOutcome::NoAnswer},
        {R"({})", -1, sales::JsonIdleOutcome::NoAnswer},
    };
    for (const Case& c : cases) {
        const QJsonObject reply = QJsonDocument::fromJson(QByteArray(c.json)).object();
        EXPECT_EQ(sales::jsonReplyResult(reply), c.result) << c.json;
        EXPECT_EQ(sales::jsonIdleOutcome(reply).kind, c.kind) << c.json;
    }
}

TEST_F(MainScreenTest, IdlePollEndsALostJsonSession) {
    open();
    QStringList polled;
    int closePorts = 0;
    QJsonObject reply{{QStringLiteral("result"), 0}};
    screen->attachJsonIdle(
        [&](const QString& key) {
            polled << key;
            return reply;
        },
        [&] { ++closePorts; });
    ASSERT_TRUE(screen->jsonIdleAttached());

    // No session: nothing is sent.
    screen->ApplicationEvents1Idle();
    EXPECT_TRUE(polled.isEmpty());

    screen->KktJsonSessionKey = QStringLiteral("key-1");
    screen->KktJsonPortName = QStringLiteral("com3");
    screen->KktJsonBaudRate = QStringLiteral("115200");
    screen->ApplicationEvents1Idle();
    EXPECT_EQ(polled, QStringList{QStringLiteral("key-1")});
    EXPECT_TRUE(messages.boxes.empty());

    reply = QJsonObject{{QStringLiteral("description"), QStringLiteral("?")}};
    screen->ApplicationEvents1Idle();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Ошибка -1")});
    EXPECT_EQ(screen->KktJsonSessionKey, QStringLiteral("key-1"));
    EXPECT_TRUE(screen->jsonIdleAttached());

    reply = QJsonObject{{QStringLiteral("result"), 3}, {QStringLiteral("description"), QStringLiteral("ККТ не отвечает")}};
    screen->ApplicationEvents1Idle();
    EXPECT_EQ(screen->lblKKT->text(), QStringLiteral("ККТ не отвечает"));
    EXPECT_TRUE(screen->KktJsonSessionKey.isEmpty());
    EXPECT_TRUE(screen->KktJsonPortName.isEmpty());
    EXPECT_TRUE(screen->KktJsonBaudRate.isEmpty());
    EXPECT_EQ(closePorts, 1);
    EXPECT_FALSE(screen->jsonIdleAttached());
}

TEST_F(MainScreenTest, AmountsQuantitiesAndPositionNumbersArePaintedWholeInTheGridAndTheTotals) {
    open();
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    const QSize defaultSize = screen->size();
    struct Case {
        const char* price;
        const char* percentOff;
        const char* qty;
        const char* posNo;  // a long receipt's position number
    } cases[] = {{"9999999.99", nullptr, "1", "1"},
                 {"1234567.89", "1", "1", "250"},
                 {"9999999.99", "99", "1", "1000"},
                 {"0.01", nullptr, "99999.999", "9999"}};
    // Whether a text the widget painted reads `expected` whole, inside `box`.
    auto paintedWhole = [](QWidget* w, const QRect& box, const QString& expected) {
        for (const testsupport::PaintedText& t : testsupport::paintedTexts(w)) {
            if (!box.contains(t.rect.center().toPoint())) continue;
            if (t.text.trimmed() != expected) return "painted \"" + t.text.toStdString() + "\"";
            if (t.rect.left() < box.left() - 0.5 || t.rect.right() > box.right() + 1.5)
                return std::string("painted past its box");
            return std::string();
        }
        return std::string("nothing painted");
    };
    for (const QSize size : {defaultSize, QSize(640, 480), QSize(1280, 1024)}) {
        screen->resize(size);
        QCoreApplication::processEvents();
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(size.width()) + " " + c.price + " x " + c.qty + " #" + c.posNo);
            ASSERT_NO_FATAL_FAILURE(sellOne(c.price, c.qty, c.percentOff));
            sales::ReceiptModel& r = screen->receipt();
            r.setCell(1, sales::ReceiptModel::ColPosNo, QString::fromLatin1(c.posNo));
            screen->updateGoodsGrid();
            QCoreApplication::processEvents();
            for (int column : {int(sales::ReceiptModel::ColPrice), int(sales::ReceiptModel::ColSum),
                               int(sales::ReceiptModel::ColDiscount), int(sales::ReceiptModel::ColPosNo),
                               int(sales::ReceiptModel::ColQty)}) {
                const QString amount = r.cell(1, column).trimmed();
                if (amount.isEmpty()) continue;
                ASSERT_FALSE(screen->GoodsGrid->isColumnHidden(column));
                const QRect cell = screen->GoodsGrid->visualRect(screen->GoodsGrid->model()->index(0, column));
                EXPECT_EQ(paintedWhole(screen->GoodsGrid->viewport(), cell, amount), "") << amount.toStdString();
            }
            for (QLabel* total : {screen->lblChekItogo, screen->lblDiscount}) {
                SCOPED_TRACE(total->objectName().toStdString());
                EXPECT_EQ(paintedWhole(total, total->contentsRect(), total->text().trimmed()), "");
            }
        }
    }
}
