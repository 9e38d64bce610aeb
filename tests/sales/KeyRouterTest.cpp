// The application's key router: its table rows for the windows of the sale,
// the real login and change-of-cashier windows, and stand-in dialogs named
// as the windows that are built elsewhere.
#include "core/MainScreenPort.h"
#include "core/uAuthor.h"
#include "core/uReAuthor.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/input/uGoodsFound.h"
#include "support/DbFixture.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A dialog named as a window of the program, with the slots the router calls.
class StandIn : public QDialog {
    Q_OBJECT
public:
    explicit StandIn(const char* name) { setObjectName(QString::fromLatin1(name)); }

    template <class W>
    W* add(const char* name) {
        auto* w = new W(this);
        w->setObjectName(QString::fromLatin1(name));
        return w;
    }

    int timerRuns = 0;
    int okRuns = 0;
    int memo1DoubleClicks = 0;

public slots:
    void Timer1Timer() { ++timerRuns; }
    void btnOKClick() { ++okRuns; }
    void Memo1DblClick() { ++memo1DoubleClicks; }
};

class KeyRouterTest : public ::testing::Test {
protected:
    void SetUp() override { sales::KeyRouter::install(QCoreApplication::instance()); }
    void TearDown() override { sales::KeyRouter::uninstall(); }

    static void press(QWidget* to, int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(to, Qt::Key(key), m);
    }
    static void show(QWidget* w) {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
};

TEST_F(KeyRouterTest, DiscountWindowArrowsChooseTheKindAndMoveBetweenButtons) {
    StandIn w("fmDiscountInput");
    auto* percent = w.add<QRadioButton>("RadioPercent");
    auto* sum = w.add<QRadioButton>("RadioSumma");
    auto* round = w.add<QRadioButton>("RadioRoundTo");
    auto* ok = w.add<QPushButton>("BitBtn14");
    auto* cancel = w.add<QPushButton>("BitBtn15");
    auto* edit = w.add<QLineEdit>("edValue");
    show(&w);
    percent->setFocus();
    press(percent, Qt::Key_Down);
    EXPECT_EQ(w.focusWidget(), sum);
    EXPECT_TRUE(sum->isChecked());
    press(sum, Qt::Key_Down);
    press(round, Qt::Key_Down);
    EXPECT_EQ(w.focusWidget(), percent);
    press(percent, Qt::Key_Up);
    EXPECT_EQ(w.focusWidget(), round);
    EXPECT_TRUE(round->isChecked());

    ok->setFocus();
    press(ok, Qt::Key_Right);
    EXPECT_EQ(w.focusWidget(), cancel);
    press(cancel, Qt::Key_Left);
    EXPECT_EQ(w.focusWidget(), ok);

    // Enter in the value field: the confirm button takes the focus and confirms.
    QSignalSpy clicked(ok, &QPushButton::clicked);
    edit->setFocus();
    press(edit, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(KeyRouterTest, ArrowsSwitchTheOtherChoiceOrListRow) {
    StandIn del("fmDeleteConfirm");
    auto* group = del.add<QGroupBox>("RadioGroup1");
    auto* first = new QRadioButton(group);
    auto* second = new QRadioButton(group);
    first->setChecked(true);
    press(&del, Qt::Key_Down);
    EXPECT_TRUE(second->isChecked());
    press(&del, Qt::Key_Up);
    EXPECT_TRUE(first->isChecked());

    StandIn corr("fmCorrectionCheck");
    auto* nal = corr.add<QRadioButton>("rbNal");
    auto* el = corr.add<QRadioButton>("rbEl");
    auto* self = corr.add<QRadioButton>("RadioButton1");
    auto* order = corr.add<QRadioButton>("RadioButton2");
    auto* g2 = new QButtonGroup(&corr);
    g2->addButton(self);
    g2->addButton(order);
    auto* g1 = new QButtonGroup(&corr);
    g1->addButton(nal);
    g1->addButton(el);
    nal->setChecked(true);
    self->setChecked(true);
    press(&corr, Qt::Key_Down);
    EXPECT_TRUE(el->isChecked());
    press(&corr, Qt::Key_Right);
    EXPECT_TRUE(order->isChecked());
    EXPECT_TRUE(el->isChecked());

    StandIn op("fmOperationSelect");
    auto* list = op.add<QListWidget>("ListBox1");
    list->addItems({"Приход", "Возврат прихода", "Расход"});
    list->setCurrentRow(0);
    auto* opOk = op.add<QPushButton>("btnOK");
    auto* opCancel = op.add<QPushButton>("btnCancel");
    show(&op);
    press(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 1);
    press(list, Qt::Key_Down);
    press(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 2);
    press(list, Qt::Key_Up);
    EXPECT_EQ(list->currentRow(), 1);
    opOk->setFocus();
    press(opOk, Qt::Key_Right);
    EXPECT_EQ(op.focusWidget(), opCancel);
}

TEST_F(KeyRouterTest, PaymentWindowKeys) {
    StandIn w("fmPayCheck");
    auto* cash = w.add<QLineEdit>("Memo1");
    auto* card = w.add<QLineEdit>("Memo2");
    auto* prepay = w.add<QLineEdit>("memoPrePay");
    auto* given = w.add<QLineEdit>("Memo3");
    auto* cashBox = w.add<QCheckBox>("CheckBox1");
    auto* cardBox = w.add<QCheckBox>("CheckBox2");
    w.add<QCheckBox>("chPrePay");
    auto* ok = w.add<QPushButton>("Button12");
    auto* cancel = w.add<QPushButton>("Button13");
    cashBox->setChecked(true);
    cardBox->setChecked(false);
    QSignalSpy okClicks(ok, &QPushButton::clicked);
    QSignalSpy cancelClicks(cancel, &QPushButton::clicked);
    show(&w);

    cash->setFocus();
    press(cash, Qt::Key_Down);  // card and prepayment are not chosen
    EXPECT_EQ(w.focusWidget(), given);
    press(given, Qt::Key_Down);
    EXPECT_EQ(w.focusWidget(), cash);
    press(cash, Qt::Key_Right);
    press(given, Qt::Key_Right);
    EXPECT_EQ(w.focusWidget(), ok);
    EXPECT_NE(w.focusWidget(), card);
    EXPECT_NE(w.focusWidget(), prepay);

    cash->setFocus();
    press(cash, Qt::Key_Return);  // the field's double-click action
    EXPECT_EQ(w.memo1DoubleClicks, 1);
    EXPECT_EQ(okClicks.count(), 0);
    given->setFocus();
    press(given, Qt::Key_Return);  // no such action: the payment is confirmed
    EXPECT_EQ(okClicks.count(), 1);
    press(given, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
}

TEST_F(KeyRouterTest, EnterEndsTheScanOfMarkingDialogsAndIsSwallowedWhereSaid) {
    for (const char* name : {"fmQuerySerialNumber", "fmCountInputMarkGood"}) {
        StandIn w(name);
        auto* timer = new QTimer(&w);
        timer->setObjectName(QStringLiteral("Timer1"));
        timer->start(100000);
        press(&w, Qt::Key_Return);
        EXPECT_FALSE(timer->isActive()) << name;
        EXPECT_EQ(w.timerRuns, 1) << name;
    }
    for (const char* name : {"fmDeleteConfirm", "fmOptions", "fmCheckInfo", "fmGoodEdit"}) {
        StandIn w(name);
        auto* button = w.add<QPushButton>("btnDefault");
        button->setDefault(true);
        QSignalSpy clicks(button, &QPushButton::clicked);
        auto* edit = w.add<QLineEdit>("Edit1");
        show(&w);
        edit->setFocus();
        press(edit, Qt::Key_Return);
        EXPECT_EQ(clicks.count(), 0) << name;
    }
    // Windows the router does not name keep their own Enter.
    StandIn other("fmSomethingElse");
    auto* button = other.add<QPushButton>("btnDefault");
    button->setDefault(true);
    QSignalSpy clicks(button, &QPushButton::clicked);
    auto* edit = other.add<QLineEdit>("Edit1");
    show(&other);
    edit->setFocus();
    press(edit, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(KeyRouterTest, ConfirmButtonsTakeTheFocusOnEnter) {
    struct Case {
        const char* form;
        const char* button;
    };
    const Case cases[] = {{"fmCountInput", "BitBtn14"}, {"fmGoodName", "Button2"},       {"fmOperationSelect", "btnOK"},
                          {"fmGoodNameFind", "btnOK"},  {"fmGoodsOtherSettings", "btnSet"}};
    for (const Case& c : cases) {
        StandIn w(c.form);
        auto* edit = w.add<QLineEdit>("edFilterText");
        auto* button = w.add<QPushButton>(c.button);
        QSignalSpy clicks(button, &QPushButton::clicked);
        show(&w);
        edit->setFocus();
        press(edit, Qt::Key_Return);
        EXPECT_EQ(w.focusWidget(), button) << c.form;
        EXPECT_EQ(clicks.count(), 1) << c.form;
    }
}

TEST_F(KeyRouterTest, GoodsNameSearchSendsTypingToItsFilter) {
    StandIn w("fmGoodNameFind");
    auto* edit = w.add<QLineEdit>("edFilterText");
    auto* grid = w.add<QTableWidget>("DBGridGoods");
    auto* ok = w.add<QPushButton>("btnOK");
    auto* starts = w.add<QRadioButton>("RadioButton1");
    auto* contains = w.add<QRadioButton>("RadioButton2");
    contains->setChecked(true);
    show(&w);
    ok->setFocus();
    testsupport::typeText(ok, QStringLiteral("хл"));
    EXPECT_EQ(edit->text(), QStringLiteral("хл"));
    EXPECT_EQ(w.focusWidget(), edit);
    press(edit, Qt::Key_Down);
    EXPECT_EQ(w.focusWidget(), grid);
    testsupport::typeText(grid, QStringLiteral("б"));  // the grid keeps its keys
    EXPECT_EQ(edit->text(), QStringLiteral("хл"));
    press(grid, Qt::Key_Left);
    EXPECT_TRUE(starts->isChecked());
}

TEST_F(KeyRouterTest, ChoiceListMovesOnceAndEnterConfirms) {
    std::vector<sales::FoundGoods> goods(3);
    for (int i = 0; i < 3; ++i) {
        goods[size_t(i)].good.id = QString::number(i + 1);
        goods[size_t(i)].good.name = QStringLiteral("Товар %1").arg(i + 1);
    }
    TfmGoodsFound w;
    w.setTag(sales::kChoiceByBarcode);
    w.setGoods(goods);
    show(&w);
    w.DBGrid1->setFocus();
    press(w.DBGrid1, Qt::Key_Down);
    EXPECT_EQ(w.chosenIndex(), 1);
    press(w.DBGrid1, Qt::Key_Down);
    press(w.DBGrid1, Qt::Key_Down);
    EXPECT_EQ(w.chosenIndex(), 2);
    press(w.DBGrid1, Qt::Key_Up);
    EXPECT_EQ(w.chosenIndex(), 1);
    press(w.DBGrid1, Qt::Key_Return);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(w.chosenIndex(), 1);
}

TEST_F(KeyRouterTest, QueuedInputIsDroppedWhileDiscardingAndTakenAfterwards) {
    QDialog window;
    window.setObjectName(QStringLiteral("fmOther"));
    auto* edit = new QLineEdit(&window);
    auto* button = new QPushButton(QStringLiteral("ОК"), &window);
    button->move(0, 40);
    show(&window);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    // Keys for the field and a click on the button, waiting in the queue.
    const auto queue = [&] {
        for (const char c : {'4', '6'}) {
            const testsupport::KeyStroke k = testsupport::keyStrokeFor(QLatin1Char(c));
            QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyPress, k.key, k.modifiers, k.text));
            QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyRelease, k.key, k.modifiers, k.text));
        }
        const QPointF at(button->width() / 2.0, button->height() / 2.0);
        for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(button, new QMouseEvent(t, at, button->mapToGlobal(at), Qt::LeftButton,
                                                                t == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                              : Qt::NoButton,
                                                                Qt::NoModifier));
    };
    queue();
    sales::KeyRouter::instance()->discardQueuedInput();
    QCoreApplication::processEvents();
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(clicks.count(), 0);
    queue();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit->text(), QStringLiteral("46"));
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(KeyRouterTest, DiscardingRunsNothingAndDropsWindowSystemInputStampedBeforeIt) {
    QDialog window;
    window.setObjectName(QStringLiteral("fmOther"));
    auto* edit = new QLineEdit(&window);
    show(&window);
    // Other work already queued (a repaint, a timer's slot) waits for the
    // event loop: the barcode handler that discards must not pay for it.
    bool ran = false;
    QMetaObject::invokeMethod(&window, [&ran] { ran = true; }, Qt::QueuedConnection);
    const auto stamped = [&](ulong stamp, char c) {
        const testsupport::KeyStroke k = testsupport::keyStrokeFor(QLatin1Char(c));
        QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers, k.text);
        press.setTimestamp(stamp);
        // Delivered as the window system's events are (sendEvent would make
        // it the program's own).
        QSpontaneKeyEvent::setSpontaneous(&press);
        QCoreApplication::instance()->notify(edit, &press);
    };
    stamped(5000, '1');  // the key the handler runs for
    sales::KeyRouter::instance()->discardQueuedInput();
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
    // Read from the window system's queue after the discard, yet pressed
    // before it: dropped. Pressed a minute later: taken.
    stamped(4990, '2');
    stamped(5000 + 60000, '3');
    EXPECT_EQ(edit->text(), QStringLiteral("13"));
}

TEST_F(KeyRouterTest, LoginWindowEnterEndsACardOnlyWithinItsWindow) {
    qint64 now = 1000;
    core::TfmAuthor login;
    login.setClock([&now] { return now; });
    auto* card = login.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* password = login.findChild<QLineEdit*>(QStringLiteral("edPassword"));
    ASSERT_TRUE(card && password);
    testsupport::typeText(password, QStringLiteral("12345"));
    now += 250;  // typed by hand: Enter is not the end of a card
    press(password, Qt::Key_Return);
    EXPECT_EQ(card->text(), QStringLiteral("12345"));
    press(password, Qt::Key_Delete);
    testsupport::typeText(password, QStringLiteral("67890"));
    now += 30;
    press(password, Qt::Key_Return);  // a card: read (no database here) and cleared
    EXPECT_TRUE(card->text().isEmpty());
}

// ---- the change of cashier on a real database ----------------------------

class FakeScreen : public core::MainScreenPort {
public:
    void setUser(const core::SessionUser& u) override { user = u; }
    core::SessionUser currentUser() const override { return user; }
    void ApplyUserRights(int mode) override { rights = mode; }
    bool showMain() override { return true; }
    void SetWorkplaceLock(bool l) override { locked = l; }
    bool isWorkplaceLocked() const override { return locked; }

    core::SessionUser user;
    int rights = 0;
    bool locked = true;
};

class KeyRouterDbTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        sales::KeyRouter::install(QCoreApplication::instance());
    }
    void TearDown() override {
        sales::KeyRouter::uninstall();
        DbTest::TearDown();
    }
    testsupport::FakeMessages messages;
};

TEST_F(KeyRouterDbTest, ChangeOfCashierConfirmsOnEnter) {
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_RIGHTS) "
                        "VALUES (3, 'Белова', '', 'Кассир', 'Пароль', 'кассир')"));
    FakeScreen port;
    core::TfmReAuthor window(db(), port);
    window.FormShow();
    auto* users = window.findChild<QComboBox*>(QStringLiteral("cmbLogin"));
    auto* password = window.findChild<QLineEdit*>(QStringLiteral("edPassword"));
    ASSERT_TRUE(users && password);
    users->setCurrentIndex(users->findText(QStringLiteral("Белова")));
    password->setText(QStringLiteral("пароль"));
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(port.user.userId, 3);
    EXPECT_FALSE(port.locked);
    EXPECT_EQ(port.rights, core::CashierRights);
    EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace

#include "KeyRouterTest.moc"
