// The main screen as the program wires it (every window and command main()
// attaches): what a locked workplace refuses and what still unlocks it, and
// the receipt's country column.
#include "archive/ArchiveWindows.h"
#include "catalogue/Catalogue.h"
#include "catalogue/uCountries.h"
#include "core/DataModule.h"
#include "core/uLockedMessage.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/input/KeyRouter.h"
#include "sales/screen/ProgramWindows.h"
#include "sales/screen/Registration_Mode.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QKeySequence>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Everything a command could change, one line each: the receipt and its
// mode labels, the session, and how far the register has been asked.
QStringList printOf(TfmReg& reg) {
    QStringList p;
    for (const QStringList& row : reg.receipt().cells()) p << QStringLiteral("cells ") + row.join(QLatin1Char('|'));
    for (const QStringList& row : reg.receipt().lineAttrs()) p << QStringLiteral("attrs ") + row.join(QLatin1Char('|'));
    p << QStringLiteral("kind ") + reg.lblOperationType->text() + QString::number(reg.receiptKind())
      << QStringLiteral("tax ") + reg.lblTaxSystem->text()
      << QStringLiteral("payment ") + QString::number(reg.PaymentMethodFlag()) + reg.lblPSR->text()
      << QStringLiteral("buyer ") + QString::number(reg.chLE->isChecked()) + reg.lblBuyerName->text() +
             reg.lblINNBuyer->text()
      << QStringLiteral("address ") + reg.edTelefon->text() << QStringLiteral("fpd ") + reg.edFPD->text()
      << QStringLiteral("user ") + reg.lblUser->text() + QString::number(reg.userId())
      << QStringLiteral("locked ") + QString::number(reg.Tag())
      << QStringLiteral("note ") + QString::number(reg.lblCommission->isHidden())
      << QStringLiteral("marked ") + QString::number(reg.MarkedItems().size());
    for (const char* item : {"MCashCheck", "M_FullPay", "M_PrePayFull", "M_PrePayPart", "M_Advance", "MCommission",
                             "MAgentReward"})
        p << QLatin1String(item) + QString::number(reg.action(QLatin1String(item))->isChecked());
    if (auto* kkt = dynamic_cast<fiscal::RegisterEmulator*>(reg.KKTDriver()))
        for (const fiscal::JournalEntry& e : kkt->journal()) p << QStringLiteral("register ") + e.method;
    return p;
}

// Notes every window that shows up while it watches (dialogs, popups,
// keypads) and closes it, so that a modal one never blocks the test.
class WindowWatch : public QObject {
public:
    WindowWatch() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) baseline_ << w;
        connect(&timer_, &QTimer::timeout, this, &WindowWatch::check);
        timer_.start(5);
    }
    void check() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || baseline_.contains(w)) continue;
            opened << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            else w->hide();
        }
    }
    QStringList opened;

private:
    QList<QWidget*> baseline_;
    QTimer timer_;
};

class ProgramScreenTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        static const bool archiveWired = [] {
            sales::addProgramWindowsExtension(archive::installArchiveWindows);
            return true;
        }();
        (void)archiveWired;
        sales::createProgramWindows();
        ASSERT_NE(fmReg, nullptr);
        reg = fmReg;
        reg->setQuitOnClose(false);
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_BARCODE, USER_RIGHTS, USER_POST) "
             "VALUES (7, 'Петрова А.А.', '1', '2700001', 'админ', 'Старший кассир')");
        core::SessionUser user;
        user.userId = 7;
        user.name = QStringLiteral("Петрова А.А.");
        user.postLabel = QStringLiteral("Старший кассир : ");
        user.isAdmin = true;
        reg->setUser(user);
        reg->ApplyUserRights(core::AdminRights);
    }

    void TearDown() override {
        delete reg;
        sales::KeyRouter::uninstall();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    // A position of 10.00 x 2 from Russia.
    void addPosition() {
        sales::ReceiptModel& r = reg->receipt();
        r.setCell(1, sales::ReceiptModel::ColStatus, QStringLiteral("A"));
        r.setCell(1, sales::ReceiptModel::ColId, QStringLiteral("12"));
        r.setCell(1, sales::ReceiptModel::ColName, QStringLiteral("Хлеб"));
        r.setCell(1, sales::ReceiptModel::ColPrice, QStringLiteral("10.00"));
        r.setCell(1, sales::ReceiptModel::ColQty, QStringLiteral("2"));
        r.setCell(1, sales::ReceiptModel::ColCountry, QStringLiteral("643"));
        r.setAttr(1, sales::ReceiptModel::AttrBasePrice, QStringLiteral("10.00"));
        ASSERT_EQ(reg->RecalcReceipt(), 0);
        reg->setCurrentReceiptRow(1);
    }

    void showActive() {
        reg->show();
        reg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(reg));
    }
    // Keys go where the window system sends them: to the focused control.
    QWidget* focused() const {
        QWidget* f = QApplication::focusWidget();
        return f ? f : reg;
    }

    // Every way a command of the screen can be reached but those of `spared`
    // (command names, and buttons by name): menu actions and attached
    // commands, the click handlers themselves as buttons, hot keys and twins
    // call them, the grid's double clicks, and every button clicked as if it
    // had been left enabled.
    using Ways = std::vector<std::pair<QString, std::function<void()>>>;
    Ways commandWays(const QStringList& spared) {
        Ways ways;
        for (const QString& name : reg->commandNames()) {
            if (spared.contains(name)) continue;
            if (QAction* a = reg->action(name))
                ways.emplace_back(QStringLiteral("trigger ") + name, [a] {
                    const bool enabled = a->isEnabled();
                    a->setEnabled(true);
                    a->trigger();
                    a->setEnabled(enabled);
                });
            ways.emplace_back(QStringLiteral("command ") + name, [this, name] { reg->runAttachedCommand(name); });
        }
        const QMetaObject* meta = reg->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod m = meta->method(i);
            const QString name = QString::fromLatin1(m.name());
            if (m.methodType() != QMetaMethod::Slot || m.parameterCount() != 0 ||
                !name.endsWith(QLatin1String("Click")) || spared.contains(name.chopped(5)))
                continue;
            ways.emplace_back(QStringLiteral("slot ") + name, [this, m] { m.invoke(reg, Qt::DirectConnection); });
        }
        for (int column = 0; column < sales::ReceiptModel::ColumnCount; ++column)
            ways.emplace_back(QStringLiteral("grid double click ") + QString::number(column),
                              [this, column] { reg->GoodsGridDblClick(column); });
        for (QAbstractButton* b : reg->findChildren<QAbstractButton*>()) {
            if (spared.contains(b->objectName()) || b->window() != reg) continue;
            ways.emplace_back(QStringLiteral("click ") + b->objectName(), [b] {
                const bool enabled = b->isEnabled();
                b->setEnabled(true);
                b->click();
                b->setEnabled(enabled);
            });
        }
        return ways;
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    TfmReg* reg = nullptr;
};

void mouse(QWidget* w, QEvent::Type type) {
    QMouseEvent e(type, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

TEST_F(ProgramScreenTest, LockedWorkplaceRefusesEveryCommandHoweverReached) {
    addPosition();
    reg->lblVvod->setText(QStringLiteral("5"));
    reg->lockWorkplace();
    ASSERT_TRUE(reg->isWorkplaceLocked());
    const QStringList before = printOf(*reg);

    // A cashier card and the change of cashier are what unlock the screen.
    const QStringList unlocking{QStringLiteral("btnBarcode"), QStringLiteral("MReAuthor")};
    Ways ways = commandWays(unlocking);
    for (QWidget* w : {static_cast<QWidget*>(reg->lblOperationType), static_cast<QWidget*>(reg->Label3),
                       static_cast<QWidget*>(reg->ImageScaleOn), static_cast<QWidget*>(reg->ImageScaleOff)})
        ways.emplace_back(QStringLiteral("double click ") + w->objectName(),
                          [w] { mouse(w, QEvent::MouseButtonDblClick); });
    ways.emplace_back(QStringLiteral("keypad panel"), [this] { mouse(reg->Panel45, QEvent::MouseButtonRelease); });
    for (QWidget* w : {static_cast<QWidget*>(reg->lblOperationType), static_cast<QWidget*>(reg->Label3),
                       static_cast<QWidget*>(reg->lblTaxSystem), static_cast<QWidget*>(reg->ImageScaleOn),
                       static_cast<QWidget*>(reg->GoodsGrid)})
        ways.emplace_back(QStringLiteral("context menu ") + w->objectName(),
                          [w] { emit w->customContextMenuRequested(QPoint(3, 3)); });
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Delete, Qt::ShiftModifier},   {Qt::Key_Minus, Qt::ShiftModifier}, {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Delete, Qt::ControlModifier}, {Qt::Key_Minus, Qt::ControlModifier}, {Qt::Key_8, Qt::ControlModifier},
        {Qt::Key_P, Qt::ControlModifier},      {Qt::Key_W, Qt::ControlModifier},   {Qt::Key_K, Qt::ControlModifier},
        {Qt::Key_F, Qt::ControlModifier},      {Qt::Key_D, Qt::ControlModifier},   {Qt::Key_N, Qt::ControlModifier},
        {Qt::Key_Asterisk, Qt::NoModifier},    {Qt::Key_Pause, Qt::NoModifier}};
    for (const auto& [key, mods] : keys)
        ways.emplace_back(QStringLiteral("key ") + QKeySequence(QKeyCombination(mods, Qt::Key(key))).toString(),
                          [this, key, mods] { QTest::keyClick(reg, Qt::Key(key), mods); });
    // A goods barcode scanned on a locked screen is no cashier card.
    ways.emplace_back(QStringLiteral("scan"), [this] {
        testsupport::typeText(reg, QStringLiteral("4600000000017"));
        QTest::keyClick(reg, Qt::Key_Return);
    });

    ASSERT_GT(ways.size(), 150u);
    for (const auto& [way, run] : ways) {
        SCOPED_TRACE(way.toStdString());
        WindowWatch watch;
        run();
        QCoreApplication::processEvents();
        watch.check();
        EXPECT_TRUE(watch.opened.isEmpty()) << watch.opened.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        const QStringList after = printOf(*reg);
        EXPECT_EQ(after.join(QLatin1Char('\n')).toStdString(), before.join(QLatin1Char('\n')).toStdString());
        if (after != before || !watch.opened.isEmpty()) {
            // The next way starts from the locked screen as it was.
            reg->lockWorkplace();
            reg->SetWorkplaceLock(true);
        }
        messages.clear();
    }
    EXPECT_TRUE(reg->isWorkplaceLocked());
    EXPECT_EQ(reg->receipt().cell(1, sales::ReceiptModel::ColQty), QStringLiteral("2"));
}

TEST_F(ProgramScreenTest, CardOrChangeOfCashierStillUnlock) {
    addPosition();
    reg->lockWorkplace();
    {
        WindowWatch watch;
        reg->menuItemChosen(QStringLiteral("MReAuthor"));
        QTest::qWait(20);
        watch.check();
        EXPECT_EQ(watch.opened, QStringList{QStringLiteral("fmReAuthor")});
    }
    EXPECT_TRUE(reg->isWorkplaceLocked());

    testsupport::typeText(reg, QStringLiteral("2700001"));
    QTest::keyClick(reg, Qt::Key_Return);
    EXPECT_FALSE(reg->isWorkplaceLocked());
    EXPECT_EQ(reg->userId(), 7);
    EXPECT_EQ(reg->receipt().cell(1, sales::ReceiptModel::ColName), QStringLiteral("Хлеб"));
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

// Keys typed by hand on a locked screen, then a pause, then the card: the
// card alone counts, and the typed keys changed nothing.
TEST_F(ProgramScreenTest, KeysTypedWhileLockedNeitherChangeAnythingNorHoldUpTheCard) {
    addPosition();
    showActive();
    const QStringList before = printOf(*reg);
    for (const QString& typed : {QStringLiteral("5*"), QStringLiteral("3*2.5"), QStringLiteral("27")}) {
        SCOPED_TRACE(typed.toStdString());
        QTest::keyClick(focused(), Qt::Key_Pause);
        ASSERT_TRUE(reg->isWorkplaceLocked());
        testsupport::typeText(focused(), typed);
        EXPECT_EQ(reg->lblVvod->text(), QString());
        // Slower than a card reader types.
        QTest::qWait(150);
        testsupport::typeText(focused(), QStringLiteral("2700001"));
        QTest::keyClick(focused(), Qt::Key_Return);
        EXPECT_FALSE(reg->isWorkplaceLocked());
        EXPECT_EQ(reg->lblVvod->text(), QString());
        EXPECT_EQ(printOf(*reg).join(QLatin1Char('\n')).toStdString(), before.join(QLatin1Char('\n')).toStdString());
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        reg->SetWorkplaceLock(false);
    }
}

// The change of cashier chosen from the menu of a locked screen is a window
// the cashier sees: the banner does not lie over it, and it is back (the lock
// holding) once the window is cancelled.
TEST_F(ProgramScreenTest, AWindowOpenedWhileLockedIsNotHiddenUnderTheBanner) {
    addPosition();
    showActive();
    QTest::keyClick(focused(), Qt::Key_Pause);
    ASSERT_NE(core::fmLockedMessage, nullptr);
    QPointer<QWidget> banner = core::fmLockedMessage;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(banner));

    bool opened = false;
    bool covered = true;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("fmReAuthor")) return;
        opened = true;
        QCoreApplication::processEvents();
        covered = banner && banner->isVisible() && banner->frameGeometry().intersects(dialog->frameGeometry());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    reg->action(QStringLiteral("MReAuthor"))->trigger();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(covered);
    QCoreApplication::processEvents();
    EXPECT_TRUE(reg->isWorkplaceLocked());
    ASSERT_TRUE(banner);
    EXPECT_TRUE(banner->isVisible());

    testsupport::typeText(focused(), QStringLiteral("2700001"));
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_FALSE(reg->isWorkplaceLocked());
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(ProgramScreenTest, TheCatalogueSeesWhichGoodsTheReceiptInProgressHolds) {
    EXPECT_FALSE(catalogue::goodsInOpenReceipt(12));
    addPosition();
    EXPECT_TRUE(catalogue::goodsInOpenReceipt(12));
    EXPECT_FALSE(catalogue::goodsInOpenReceipt(1));
    EXPECT_FALSE(catalogue::goodsInOpenReceipt(13));
    reg->receipt().reset();
    EXPECT_FALSE(catalogue::goodsInOpenReceipt(12));
}

TEST_F(ProgramScreenTest, CountryColumnPutsTheChosenCountryOnThePosition) {
    exec("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('643', 'Россия')");
    exec("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('112', 'Беларусь')");
    addPosition();

    struct Case {
        const char* pick;  // nullptr: the list is closed without a choice
        const char* expected;
    } cases[] = {{"112", "112"}, {nullptr, "112"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pick ? c.pick : "closed");
        int tag = 0;
        QTimer::singleShot(0, [&] {
            auto* list = qobject_cast<catalogue::TfmCountries*>(QApplication::activeModalWidget());
            if (!list) return;
            tag = list->tag();
            if (!c.pick) {
                list->reject();
                return;
            }
            auto* grid = list->findChild<QTableView*>(QStringLiteral("DBGrid1"));
            QAbstractItemModel* model = grid->model();
            for (int r = 0; r < model->rowCount(); ++r)
                for (int col = 0; col < model->columnCount(); ++col)
                    if (model->index(r, col).data().toString().trimmed() == QLatin1String(c.pick))
                        grid->setCurrentIndex(model->index(r, col));
            QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("btnAdd")), Qt::LeftButton);
        });
        reg->GoodsGridDblClick(sales::ReceiptModel::ColCountry);
        EXPECT_EQ(tag, 3);
        EXPECT_EQ(reg->receipt().cell(1, sales::ReceiptModel::ColCountry), QLatin1String(c.expected));
        EXPECT_EQ(reg->GoodsGrid->item(0, sales::ReceiptModel::ColCountry)->text(), QLatin1String(c.expected));
    }
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(ProgramScreenTest, LockHoldsWhateverControlHadTheFocusAndACardUnlocksFromIt) {
    addPosition();
    ASSERT_TRUE(reg->setReceiptKind(sales::KindSaleReturn));
    reg->edFPD->setText(QStringLiteral("3826504911"));
    showActive();
    const QStringList before = printOf(*reg);
    QList<QWidget*> controls;
    for (QWidget* w : reg->findChildren<QWidget*>())
        if (w->window() == reg && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            controls << w;
    ASSERT_TRUE(controls.contains(reg->edFPD));
    ASSERT_GT(controls.size(), 10);
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control);
        QTest::keyClick(focused(), Qt::Key_Pause);
        ASSERT_TRUE(reg->isWorkplaceLocked());
        {
            WindowWatch watch;
            // Clicks, Tab, a context menu and typing: the field takes none.
            QTest::mouseClick(reg->edFPD, Qt::LeftButton);
            QTest::keyClick(focused(), Qt::Key_Tab);
            QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3), reg->edFPD->mapToGlobal(QPoint(3, 3)));
            QApplication::sendEvent(reg->edFPD, &menu);
            testsupport::typeText(focused(), QStringLiteral("77"));
            testsupport::typeText(reg->edFPD, QStringLiteral("77"));
            QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
            QCoreApplication::processEvents();
            watch.check();
            EXPECT_TRUE(watch.opened.isEmpty()) << watch.opened.join(QLatin1Char(' ')).toStdString();
            EXPECT_NE(QApplication::focusWidget(), reg->edFPD);
            EXPECT_EQ(reg->edFPD->text(), QStringLiteral("3826504911"));
        }
        reg->clearInputLine();
        // The cashier's card, read wherever the focus is.
        testsupport::typeText(focused(), QStringLiteral("2700001"));
        QTest::keyClick(focused(), Qt::Key_Return);
        EXPECT_FALSE(reg->isWorkplaceLocked());
        EXPECT_EQ(printOf(*reg).join(QLatin1Char('\n')).toStdString(), before.join(QLatin1Char('\n')).toStdString());
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        reg->SetWorkplaceLock(false);
        messages.clear();
    }
}

TEST_F(ProgramScreenTest, BannerStaysWhileTheLockLastsAndPassesACardOn) {
    showActive();
    reg->lockWorkplace();
    ASSERT_NE(core::fmLockedMessage, nullptr);
    QPointer<QWidget> banner = core::fmLockedMessage;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(banner));
    // The window system's close, as a window manager sends it.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(banner, &close);
    EXPECT_FALSE(close.isAccepted());
    QCoreApplication::processEvents();
    ASSERT_TRUE(banner);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_TRUE(reg->isWorkplaceLocked());
    // Keys that reach the banner are the screen's.
    testsupport::typeText(banner, QStringLiteral("2700001"));
    QTest::keyClick(banner, Qt::Key_Return);
    EXPECT_FALSE(reg->isWorkplaceLocked());
    QCoreApplication::processEvents();
    EXPECT_FALSE(banner && banner->isVisible());
}

TEST_F(ProgramScreenTest, TheFiscalSignFieldGivesTheFocusBackToTheScreen) {
    ASSERT_TRUE(reg->setReceiptKind(sales::KindSaleReturn));
    showActive();
    QTest::mouseClick(reg->edFPD, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), reg->edFPD);
    testsupport::typeText(focused(), QStringLiteral("123"));
    ASSERT_EQ(reg->edFPD->text(), QStringLiteral("123"));

    // Another window comes and goes: the focus stays with the screen.
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
    });
    reg->menuItemChosen(QStringLiteral("N13"));
    // The window manager gives the screen back its activation.
    reg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(reg));
    EXPECT_NE(QApplication::focusWidget(), reg->edFPD);
    testsupport::typeText(focused(), QStringLiteral("4"));
    EXPECT_EQ(reg->lblVvod->text(), QStringLiteral("4"));
    EXPECT_EQ(reg->edFPD->text(), QStringLiteral("123"));

    // A click on the receipt takes the focus back from the field.
    QTest::mouseClick(reg->edFPD, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), reg->edFPD);
    QTest::mouseClick(reg->GoodsGrid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_NE(QApplication::focusWidget(), reg->edFPD);
    testsupport::typeText(focused(), QStringLiteral("5"));
    EXPECT_EQ(reg->lblVvod->text(), QStringLiteral("45"));
    EXPECT_EQ(reg->edFPD->text(), QStringLiteral("123"));
}

TEST_F(ProgramScreenTest, BuiltinAdministratorsSessionChangesNoReceipt) {
    // A cashier's session ends with a receipt on the screen.
    addPosition();
    reg->edFPD->setText(QStringLiteral("3826504911"));
    core::SessionUser votar;
    votar.name = QStringLiteral(" VOTAR");
    votar.postLabel = QStringLiteral("VOTAR : ");
    reg->setUser(votar);
    reg->ApplyUserRights(core::BuiltinAdminRights);
    ASSERT_TRUE(reg->builtinSession());
    // The receipt and its modes; the register and the session are not the receipt's.
    const auto receiptOf = [this] {
        QStringList p;
        for (const QString& line : printOf(*reg))
            if (!line.startsWith(QLatin1String("register ")) && !line.startsWith(QLatin1String("user ")))
                p << line;
        return p.join(QLatin1Char('\n')).toStdString();
    };
    const std::string before = receiptOf();

    // His own: the users list and the about box; ending the program asks first.
    const QStringList own{QStringLiteral("MUsersDB"), QStringLiteral("N4"), QStringLiteral("MAppClose")};
    Ways ways = commandWays(own);
    for (QWidget* w : {static_cast<QWidget*>(reg->lblOperationType), static_cast<QWidget*>(reg->Label3)})
        ways.emplace_back(QStringLiteral("double click ") + w->objectName(),
                          [w] { mouse(w, QEvent::MouseButtonDblClick); });
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Delete, Qt::ShiftModifier},   {Qt::Key_Minus, Qt::ShiftModifier}, {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Delete, Qt::ControlModifier}, {Qt::Key_Minus, Qt::ControlModifier}, {Qt::Key_8, Qt::ControlModifier},
        {Qt::Key_P, Qt::ControlModifier},      {Qt::Key_W, Qt::ControlModifier},   {Qt::Key_N, Qt::ControlModifier}};
    for (const auto& [key, mods] : keys)
        ways.emplace_back(QStringLiteral("key ") + QKeySequence(QKeyCombination(mods, Qt::Key(key))).toString(),
                          [this, key, mods] {
                              reg->lblVvod->setText(QStringLiteral("5"));
                              QTest::keyClick(reg, Qt::Key(key), mods);
                          });

    ASSERT_GT(ways.size(), 150u);
    for (const auto& [way, run] : ways) {
        SCOPED_TRACE(way.toStdString());
        {
            WindowWatch watch;
            run();
            QCoreApplication::processEvents();
            watch.check();
        }
        EXPECT_EQ(receiptOf(), before);
        if (receiptOf() != before) {
            // The next way starts from the receipt as it was.
            reg->receipt().reset();
            addPosition();
            reg->chLE->setChecked(false);
            reg->SetPaymentMethodFlag(4);
        }
        messages.clear();
    }
}
