// Change of cashier on the open main screen, and the lock banner.
#include "support/DbFixture.h"
#include "support/FakeMessages.h"

#include "core/CashierChange.h"
#include "core/uLockedMessage.h"
#include "core/uReAuthor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Records what the change of cashier does to the main screen, in order.
class FakeScreen : public core::MainScreenPort {
public:
    void setUser(const core::SessionUser& u) override {
        user = u;
        calls << QStringLiteral("setUser");
    }
    core::SessionUser currentUser() const override { return user; }
    void ApplyUserRights(int mode) override {
        rights = mode;
        calls << QStringLiteral("rights %1").arg(mode);
    }
    bool showMain() override { return true; }
    void SetWorkplaceLock(bool l) override {
        locked = l;
        calls << (l ? QStringLiteral("lock") : QStringLiteral("unlock"));
    }
    bool isWorkplaceLocked() const override { return locked; }

    core::SessionUser user;
    int rights = 0;
    bool locked = true;
    QStringList calls;
};

TEST(CashierChange, ComparesPasswordsTrimmedAndIgnoringCase) {
    struct Case {
        QString stored, typed;
        bool match;
    };
    const Case cases[] = {
        {"Secret", "sECRET", true},      {" secret ", "SECRET  ", true}, {"Пароль", "пАРОЛЬ", true},
        {"Ёжик1", "ёЖИК1", true},        {"secret", "secre", false},     {"", "x", false},
        {"se cret", "secret", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::passwordsMatchIgnoringCase(c.stored, c.typed), c.match)
            << c.stored.toStdString() << " / " << c.typed.toStdString();
}

TEST(CashierChange, JudgesInTheOrderPasswordThenUserThenMatch) {
    const core::UserRecord cashier{5, "Кузнецова К.", "500100732259", "", "pw", "", "кассир"};
    const core::UserRecord admin{6, " Орлов О. ", "12345", "Управляющий", "pw", "", "админ"};
    struct Case {
        std::optional<core::UserRecord> user;
        QString typed;
        core::CashierChangeOutcome outcome;
        QString message;
    };
    const Case cases[] = {
        {cashier, "  ", core::CashierChangeOutcome::EmptyPassword, "Введите пароль.    "},
        {std::nullopt, "", core::CashierChangeOutcome::EmptyPassword, "Введите пароль.    "},
        {std::nullopt, "pw", core::CashierChangeOutcome::UserNotFound, "Пользователь не найден.   "},
        {cashier, "pw2", core::CashierChangeOutcome::WrongPassword, "Неверный пароль.     "},
        {cashier, " PW ", core::CashierChangeOutcome::Accepted, ""},
    };
    for (const Case& c : cases) {
        const auto v = core::judgeCashierChange(c.user, c.typed);
        EXPECT_EQ(v.outcome, c.outcome) << c.typed.toStdString();
        EXPECT_EQ(v.message, c.message) << c.typed.toStdString();
    }

    const auto asCashier = core::judgeCashierChange(cashier, "pw");
    EXPECT_EQ(asCashier.user.userId, 5);
    EXPECT_EQ(asCashier.user.postLabel, "Кассир : ");
    EXPECT_EQ(asCashier.user.inn, "500100732259");
    EXPECT_FALSE(asCashier.user.isAdmin);
    EXPECT_EQ(asCashier.rightsMode, core::CashierRights);

    const auto asAdmin = core::judgeCashierChange(admin, "pw");
    EXPECT_EQ(asAdmin.user.name, " Орлов О. ");
    EXPECT_EQ(asAdmin.user.postLabel, "Управляющий : ");
    EXPECT_EQ(asAdmin.user.inn, "") << "not a 12-digit personal tax number";
    EXPECT_TRUE(asAdmin.user.isAdmin);
    EXPECT_EQ(asAdmin.rightsMode, core::AdminRights);
}

class ReAuthorWindow : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_RIGHTS) "
             "VALUES (21, 'Смирнов С.', '500100732259', 'Старший кассир', 'Secret', 'админ')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) "
             "VALUES (22, 'Андреева А.', 'Пароль', 'кассир')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (23, ' VOTAR ', 'x')");
        screen.user.userId = 1;
        screen.user.name = "Прежний";
        window = new core::TfmReAuthor(db(), screen);
        window->show();
        combo = window->findChild<QComboBox*>("cmbLogin");
        password = window->findChild<QLineEdit*>("edPassword");
    }
    void TearDown() override {
        delete window.data();
        DbTest::TearDown();
    }
    void choose(const QString& fio) { combo->setCurrentIndex(combo->findText(fio)); }
    void ok() { QTest::mouseClick(window->findChild<QPushButton*>("btnOK"), Qt::LeftButton); }
    bool unchanged() const { return screen.locked && screen.calls.isEmpty() && screen.user.userId == 1; }

    testsupport::FakeMessages messages;
    FakeScreen screen;
    QPointer<core::TfmReAuthor> window;
    QComboBox* combo = nullptr;
    QLineEdit* password = nullptr;
};

TEST_F(ReAuthorWindow, ListsUsersByNameWithoutTheBuiltinAdministrator) {
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "Андреева А.");
    EXPECT_EQ(combo->itemData(0).toInt(), 22);
    EXPECT_EQ(combo->itemText(1), "Смирнов С.");
    EXPECT_EQ(combo->itemData(1).toInt(), 21);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
}

TEST_F(ReAuthorWindow, RefusalsKeepTheLockAndTheUser) {
    struct Case {
        QString fio, typed, message;
        bool passwordCleared;
    };
    const Case cases[] = {
        {"", "Secret", "", false},  // no name chosen: nothing happens
        {"Смирнов С.", "   ", "Введите пароль.    ", false},
        {"Смирнов С.", "Secre", "Неверный пароль.     ", true},
        {"Андреева А.", "Secret", "Неверный пароль.     ", true},
    };
    for (const Case& c : cases) {
        messages.clear();
        choose(c.fio);
        password->setText(c.typed);
        ok();
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message}) << c.typed.toStdString();
        EXPECT_EQ(password->text().isEmpty(), c.passwordCleared || c.typed.isEmpty()) << c.typed.toStdString();
        EXPECT_TRUE(unchanged()) << c.typed.toStdString();
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
    }
}

TEST_F(ReAuthorWindow, UserDeletedMeanwhileIsNotFound) {
    choose("Андреева А.");
    exec("DELETE FROM USERS WHERE USER_ID = 22");
    password->setText("Пароль");
    ok();
    EXPECT_EQ(messages.texts(), QStringList{"Пользователь не найден.   "});
    EXPECT_TRUE(unchanged());
}

TEST_F(ReAuthorWindow, RightPasswordInAnotherCaseHandsOverTheScreenAndUnlocksIt) {
    struct Case {
        QString fio, typed;
        int id;
        QString post, inn;
        bool admin;
        int rights;
    };
    const Case cases[] = {
        {"Смирнов С.", "  sECRET ", 21, "Старший кассир : ", "500100732259", true, core::AdminRights},
        {"Андреева А.", "пароль", 22, "Кассир : ", "", false, core::CashierRights},
    };
    for (const Case& c : cases) {
        screen = FakeScreen{};
        screen.user.userId = 1;
        delete window.data();
        window = new core::TfmReAuthor(db(), screen);
        window->show();
        combo = window->findChild<QComboBox*>("cmbLogin");
        password = window->findChild<QLineEdit*>("edPassword");

        choose(c.fio);
        password->setText(c.typed);
        ok();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_FALSE(screen.locked) << c.fio.toStdString();
        EXPECT_EQ(screen.user.userId, c.id);
        EXPECT_EQ(screen.user.name, c.fio);
        EXPECT_EQ(screen.user.postLabel, c.post);
        EXPECT_EQ(screen.user.inn, c.inn);
        EXPECT_EQ(screen.user.isAdmin, c.admin);
        EXPECT_EQ(screen.calls, (QStringList{"setUser", "unlock", QStringLiteral("rights %1").arg(c.rights)}));
        ASSERT_TRUE(window);
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(ReAuthorWindow, CancelLeavesEverythingAsItWas) {
    choose("Смирнов С.");
    password->setText("Secret");
    QTest::mouseClick(window->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST(LockBanner, AlternatesItsTwoTextsEveryThreeSeconds) {
    QWidget mainScreen;
    mainScreen.resize(800, 600);
    mainScreen.show();
    QPointer<core::TfmLockedMessage> banner = new core::TfmLockedMessage(&mainScreen);
    EXPECT_EQ(core::fmLockedMessage, banner.data());
    banner->show();

    auto* timer = banner->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 3000);
    EXPECT_EQ(banner->phase(), 0);
    EXPECT_EQ(banner->text(), "WORKPLACE LOCKED");

    const struct {
        QString text;
        int size;
        int phase;
    } ticks[] = {
        {"РАБОЧЕЕ МЕСТО ЗАБЛОКИРОВАНО", 22, 1},
        {"WORKPLACE LOCKED", 30, 0},
        {"РАБОЧЕЕ МЕСТО ЗАБЛОКИРОВАНО", 22, 1},
    };
    for (const auto& t : ticks) {
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        EXPECT_EQ(banner->text(), t.text);
        EXPECT_EQ(banner->fontPointSize(), t.size);
        EXPECT_EQ(banner->phase(), t.phase);
    }
    // Shown again it starts from phase 0.
    banner->hide();
    banner->show();
    EXPECT_EQ(banner->phase(), 0);

    banner->close();
    EXPECT_FALSE(timer->isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(banner.isNull());
    EXPECT_EQ(core::fmLockedMessage, nullptr);
}

TEST(LockBanner, IsAFramelessSeeThroughWindowThatNeverTakesTheKeyboard) {
    QWidget mainScreen;
    auto* input = new QLineEdit(&mainScreen);
    mainScreen.show();
    mainScreen.activateWindow();
    input->setFocus();
    core::TfmLockedMessage banner(&mainScreen);
    banner.show();
    QCoreApplication::processEvents();

    const Qt::WindowFlags flags = banner.windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(banner.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(banner.isWindow());
    EXPECT_EQ(banner.focusPolicy(), Qt::NoFocus);

    // Centred on the main screen.
    const QPoint centre = mainScreen.mapToGlobal(mainScreen.rect().center());
    EXPECT_LE((banner.geometry().center() - centre).manhattanLength(), 2);

    // Activated anyway, it hands the keyboard back at once.
    banner.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_NE(QApplication::activeWindow(), &banner);
    EXPECT_EQ(QApplication::focusWidget(), input);
}

}  // namespace
