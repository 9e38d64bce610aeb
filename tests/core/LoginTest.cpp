// Logging in by password and by cashier card, through the login window.
#include "support/DbFixture.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include "core/DataModule.h"
#include "core/LoginLogic.h"
#include "core/uAuthor.h"
#include "platform/sys/DbEngine.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using core::LoginOutcome;

class FakeMainScreen : public core::MainScreenPort {
public:
    void setUser(const core::SessionUser& u) override { user = u; }
    core::SessionUser currentUser() const override { return user; }
    void ApplyUserRights(int mode) override { rights = mode; }
    bool showMain() override {
        ++shown;
        return upgradeOk;
    }
    void SetWorkplaceLock(bool l) override { locked = l; }
    bool isWorkplaceLocked() const override { return locked; }

    core::SessionUser user;
    int rights = 0;
    int shown = 0;
    bool upgradeOk = true;
    bool locked = false;
};

class Login : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_BARCODE, USER_RIGHTS) "
             "VALUES (11, 'Петрова А.', '123456789012', '', 'secret', '2000000000017', 'админ')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_BARCODE, USER_RIGHTS) "
             "VALUES (12, 'Петрова А.', '12345', 'Старший кассир', 'other', '2000000000024', 'кассир')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) VALUES (13, 'O''Brien', 'pw', 'кассир')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (14, ' VOTAR ', 'x')");
        core::setMainScreen(&screen);
        core::DataModule1 = nullptr;
        window = std::make_unique<core::TfmAuthor>();
        window->setClock([this] { return now; });
        ASSERT_TRUE(window->FormCreate());
        window->show();
        combo = window->findChild<QComboBox*>("cmbLogin");
        password = window->findChild<QLineEdit*>("edPassword");
    }
    void TearDown() override {
        window.reset();
        delete core::DataModule1;
        core::DataModule1 = nullptr;
        core::setMainScreen(nullptr);
        DbTest::TearDown();
    }
    void loginWith(const QString& name, const QString& pw) {
        combo->setEditText(name);
        password->setText(pw);
        QTest::mouseClick(window->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    }
    void swipe(const QString& code, qint64 start, qint64 step) {
        QWidget* target = password;
        now = start;
        for (const QChar c : code) {
            testsupport::typeText(target, QString(c));
            now += step;
        }
    }
    void pressEnter() { QTest::keyClick(password, Qt::Key_Return); }

    FakeMainScreen screen;
    testsupport::FakeMessages boxes;
    std::unique_ptr<core::TfmAuthor> window;
    QComboBox* combo = nullptr;
    QLineEdit* password = nullptr;
    qint64 now = 1000;
};

TEST_F(Login, ListsUsersWithoutTheBuiltinAdministrator) {
    QStringList names;
    for (int i = 0; i < combo->count(); ++i) names << combo->itemText(i);
    EXPECT_EQ(names, (QStringList{"O'Brien", "Петрова А.", "Петрова А."}));
    EXPECT_EQ(window->findChild<QLabel*>("lblStatusDB")->text(), QStringLiteral("Есть соединение с БД"));
}

TEST_F(Login, ThePasswordDecidesWhichOfTwoNamesakesLogsIn) {
    loginWith(QStringLiteral("Петрова А."), QStringLiteral("  other "));
    EXPECT_EQ(screen.user.userId, 12);
    EXPECT_EQ(screen.rights, core::CashierRights);
    EXPECT_EQ(screen.user.postLabel, QStringLiteral("Старший кассир : "));
    EXPECT_EQ(screen.user.inn, QString());  // not 12 digits
    EXPECT_FALSE(window->isVisible());

    window->show();
    loginWith(QStringLiteral("Петрова А."), QStringLiteral("secret"));
    EXPECT_EQ(screen.user.userId, 11);
    EXPECT_EQ(screen.rights, core::AdminRights);
    EXPECT_TRUE(screen.user.isAdmin);
    EXPECT_EQ(screen.user.postLabel, QStringLiteral("Кассир : "));
    EXPECT_EQ(screen.user.inn, QStringLiteral("123456789012"));

    window->show();
    screen.shown = 0;
    loginWith(QStringLiteral("Петрова А."), QStringLiteral("SECRET"));
    EXPECT_EQ(boxes.last(), QStringLiteral(" Неверный пароль!!!     "));
    EXPECT_EQ(screen.shown, 0);
}

// A name is one name however its blanks were typed or stored: a row saved
// with a no-break space after the name, and a name typed with one inside.
TEST_F(Login, ANameIsFoundHoweverItsBlanksWereTypedOrStored) {
    exec(QString("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) "
                 "VALUES (16, 'Сидоров С.\u00A0', 'pw', 'кассир')"));
    exec(QString("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (17, 'VOTAR\u00A0', 'x')"));
    window->CheckBox1Click();
    QStringList names;
    for (int i = 0; i < combo->count(); ++i) names << combo->itemText(i);
    EXPECT_FALSE(names.contains(QString("VOTAR\u00A0")));

    struct Case {
        QString typed;
        int userId;
    } cases[] = {{"Сидоров С.", 16}, {QString("Петрова\u00A0А.\u3000"), 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        window->show();
        combo->setEditText(QString());
        testsupport::typeText(combo->lineEdit(), c.typed);
        testsupport::typeText(password, c.userId == 12 ? QString("other") : QString("pw"));
        screen.user = {};
        QTest::mouseClick(window->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
        EXPECT_TRUE(boxes.boxes.empty()) << boxes.last().toStdString();
        EXPECT_EQ(screen.user.userId, c.userId);
        boxes.clear();
    }
}

TEST_F(Login, MessagesForMissingPasswordAndUnknownName) {
    loginWith(QStringLiteral("Петрова А."), QStringLiteral("   "));
    EXPECT_EQ(boxes.last(), QStringLiteral(" Введите пароль!     "));
    loginWith(QStringLiteral("Сидоров"), QStringLiteral("1"));
    EXPECT_EQ(boxes.last(), QStringLiteral("Пользователь Сидоров не найден      "));
    EXPECT_EQ(screen.shown, 0);
}

TEST_F(Login, NameLongerThanTheStoredColumnIsNoSuchUser) {
    // USERS.USER_FIO holds 100 characters; a longer name cannot be anyone's.
    const QString name(101, QChar(0x042F));
    loginWith(name, QStringLiteral("1"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.last(), QStringLiteral("Пользователь ") + name + QStringLiteral(" не найден      "));
    EXPECT_EQ(screen.shown, 0);
}

TEST_F(Login, ReloadingTheListStartsTheEngineAndEndsGreen) {
    struct CountingEngine : sys::DbEngine {
        bool exists() const override { return true; }
        bool serverRunning() const override { return false; }
        bool startIfStopped() const override {
            ++starts;
            return true;
        }
        mutable int starts = 0;
    } engine;
    sys::setDbEngine(&engine);
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (15, 'Антонова', 'a')");
    window->CheckBox1Click();
    sys::setDbEngine(nullptr);
    EXPECT_EQ(engine.starts, 1);
    EXPECT_EQ(window->dbStatus(), core::DbStatus::Connected);
    EXPECT_EQ(combo->count(), 4);
    EXPECT_GE(combo->findText(QStringLiteral("Антонова")), 0);
}

TEST(LoginStatus, EachStateHasItsTextAndColour) {
    struct Case {
        core::DbStatus status;
        const char* text;
        QColor colour;
    } cases[] = {
        {core::DbStatus::Disconnected, "Нет соединения с БД", QColor(255, 0, 0)},
        {core::DbStatus::Connecting, "Подключаюсь к БД. Ждите...", QColor(0, 0, 255)},
        {core::DbStatus::Retrying, "Пытаюсь подключиться к БД. Ждите...", QColor(0, 0, 255)},
        {core::DbStatus::Reloading, "Пытаюсь соединиться с БД. Ждите...", QColor(0, 0, 255)},
        {core::DbStatus::Connected, "Есть соединение с БД", QColor(0, 128, 0)},
    };
    for (const Case& c : cases) {
        const core::StatusView v = core::statusView(c.status);
        EXPECT_EQ(v.text, QString::fromUtf8(c.text));
        EXPECT_EQ(v.color, c.colour) << c.text;
    }
}

TEST_F(Login, LongUserNamesDoNotWidenTheWindow) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QSize usual = window->size();
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (16, "
         "'Константинопольская-Водопьянова Анастасия-Александра Христофоровна-Владиславовна оглы', 'a')");
    // A window made while the long name is in the list, and the list read
    // again in the window already shown: both keep the usual size.
    window->CheckBox1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), usual);
    core::TfmAuthor another;
    ASSERT_TRUE(another.FormCreate());
    another.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&another));
    EXPECT_EQ(another.size(), usual);
}

TEST_F(Login, QuotesInNamesAreDataNotSql) {
    loginWith(QStringLiteral("O'Brien"), QStringLiteral("pw"));
    EXPECT_EQ(screen.user.userId, 13);
    window->show();
    screen.shown = 0;
    loginWith(QStringLiteral("x' OR '1'='1"), QStringLiteral("pw"));
    EXPECT_EQ(screen.shown, 0);
    EXPECT_EQ(boxes.last(), QStringLiteral("Пользователь x' OR '1'='1 не найден      "));
}

TEST_F(Login, BuiltinAdministratorNeedsNoPasswordAndCarriesNoIdentity) {
    screen.user.inn = QStringLiteral("123456789012");
    screen.user.userId = 11;
    loginWith(QStringLiteral(" VOTAR "), QString());
    EXPECT_EQ(screen.rights, core::BuiltinAdminRights);
    EXPECT_EQ(screen.user.postLabel, QStringLiteral("VOTAR : "));
    EXPECT_EQ(screen.user.name, QStringLiteral(" VOTAR"));
    EXPECT_EQ(screen.user.inn, QString());
    EXPECT_EQ(screen.user.userId, 0);
    EXPECT_EQ(screen.shown, 1);
}

// A "Votar" saved before such names were refused must not stand in for the
// built-in administrator when VOTAR is typed: the field completes only names
// that start with what was typed in the same letters.
TEST_F(Login, TypedVotarIsTheBuiltinAdministratorEvenBesideAStoredVotar) {
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) VALUES (15, 'Votar', 'pw', 'админ')");
    window->CheckBox1Click();
    combo->setEditText(QString());
    window->activateWindow();
    combo->lineEdit()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("VOTAR"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("VOTAR"));
    QTest::mouseClick(window->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
    EXPECT_EQ(screen.rights, core::BuiltinAdminRights);
    EXPECT_EQ(screen.user.name, QStringLiteral(" VOTAR"));
    EXPECT_EQ(screen.shown, 1);
}

TEST_F(Login, FailedSchemaUpgradeKeepsTheCashierAtTheLoginWindow) {
    screen.upgradeOk = false;
    loginWith(QStringLiteral("O'Brien"), QStringLiteral("pw"));
    EXPECT_EQ(screen.shown, 1);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Login, CardBurstEndedByEnterWithinTheWindowLogsIn) {
    combo->setEditText(QStringLiteral("typed"));
    swipe(QStringLiteral("2000000000024"), 1000, 3);
    now += 2;
    pressEnter();
    EXPECT_EQ(screen.user.userId, 12);
    EXPECT_EQ(screen.user.postLabel, QStringLiteral("Старший кассир: "));
    EXPECT_EQ(password->text(), QString());
    EXPECT_EQ(combo->currentText(), QString());
    EXPECT_EQ(window->findChild<QLineEdit*>("Edit1")->text(), QString());
}

TEST_F(Login, EnterAfterTheWindowOrAfterHandTypingDoesNothing) {
    swipe(QStringLiteral("2000000000024"), 1000, 3);
    now += 150;
    pressEnter();
    EXPECT_EQ(screen.shown, 0);
    EXPECT_TRUE(boxes.boxes.empty());
    // Keys typed by hand long before a swipe are not glued to the card code.
    swipe(QStringLiteral("ab"), 5000, 400);
    swipe(QStringLiteral("2000000000017"), 9000, 3);
    pressEnter();
    EXPECT_EQ(screen.user.userId, 11);
}

TEST_F(Login, UnknownOrCraftedCardIsRefused) {
    swipe(QStringLiteral("' OR ''='"), 1000, 2);
    pressEnter();
    EXPECT_EQ(boxes.last(), QStringLiteral("Карта авторизации не найдена      "));
    EXPECT_EQ(screen.shown, 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Login, CardCodeLongerThanTheStoredColumnIsNoSuchCard) {
    const QString fifty = QStringLiteral("7").repeated(50);
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_BARCODE, USER_RIGHTS) "
                        "VALUES (15, 'Длинная карта', 'z', '%1', 'кассир')")
             .arg(fifty));
    const auto longest = core::userByCard(db(), fifty);
    ASSERT_TRUE(longest.has_value());
    EXPECT_EQ(longest->id, 15);
    // A marking code of 80 characters scanned on a locked screen.
    std::optional<core::UserRow> found;
    EXPECT_NO_THROW(found = core::userByCard(db(), fifty + QStringLiteral("7")));
    EXPECT_FALSE(found.has_value());
    EXPECT_NO_THROW(found = core::userByCard(db(), QStringLiteral("01046062030843262100000000000000000000000000000000000"
                                                                  "00000000000000000000000000")));
    EXPECT_FALSE(found.has_value());
}

TEST_F(Login, LostConnectionNeitherCrashesNorLogsInAndReconnectRecovers) {
    core::DataModule1->IBDatabase1().detach();
    loginWith(QStringLiteral("O'Brien"), QStringLiteral("pw"));
    EXPECT_EQ(screen.shown, 0);
    QTest::mouseClick(window->findChild<QPushButton*>("btnOpenDB"), Qt::LeftButton);
    EXPECT_EQ(window->dbStatus(), core::DbStatus::Connected);
    EXPECT_EQ(combo->count(), 3);
    loginWith(QStringLiteral("O'Brien"), QStringLiteral("pw"));
    EXPECT_EQ(screen.user.userId, 13);
}

TEST_F(Login, EscapeAsksBeforeEndingTheProgram) {
    QSignalSpy quit(window.get(), &core::TfmAuthor::quitRequested);
    QTest::keyClick(combo, Qt::Key_Escape);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.last(), core::kQuitQuestion);
    EXPECT_EQ(quit.count(), 0);
    boxes.answer(ui::Answer::Yes);
    QTest::mouseClick(window->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(quit.count(), 1);
}

TEST(CardBurst, WindowOpensAtTheFirstKeyAndLastsAHundredMilliseconds) {
    struct Case {
        std::vector<qint64> keys;
        qint64 enter;
        bool ends;
    };
    const std::vector<Case> cases = {
        {{0, 5, 10}, 60, true},       // a reader
        {{0, 5, 10}, 100, true},      // the edge
        {{0, 5, 10}, 101, false},     // too late
        {{0, 40, 80, 120}, 130, true},   // the key at 120 opened a new window
        {{0, 40, 80, 120}, 221, false},  // ... which closed at 220
        {{0, 200}, 250, true},        // a new window from the key at 200
    };
    for (const Case& c : cases) {
        core::CardBurstDetector d;
        for (qint64 t : c.keys) d.keyPressed(QLatin1Char('1'), t);
        EXPECT_EQ(d.enterPressed(c.enter).has_value(), c.ends) << c.enter;
    }
}

TEST(EngineMissingTexts, StartAndLoginWindowEachKeepTheirOwnBlanks) {
    const QByteArray lines2to4 = QByteArray("\r\n\r\n Если СУБД FireBird установлена, попробуйте запустить") +
                                 QByteArray(5, ' ') + "\r\n программу ТАРВИ-М от имени администратора." +
                                 QByteArray(5, ' ');
    const QByteArray head = " Программа ТАРВИ-М не обнаружила службу FireBird.";
    const QByteArray second = "\r\n Установите СУБД FireBird 2.5.";
    // Before any window: six blanks after the first line, four after the second.
    EXPECT_EQ(core::kEngineMissingBeforeWindows.toUtf8(),
              head + QByteArray(6, ' ') + second + QByteArray(4, ' ') + lines2to4);
    // The login window: five and five.
    EXPECT_EQ(core::kEngineMissingAtStart.toUtf8(), head + QByteArray(5, ' ') + second + QByteArray(5, ' ') + lines2to4);
}

TEST(CardCode, StripsLineBreaksAndBlanks) {
    EXPECT_EQ(core::cardCode(QStringLiteral(" 12 34\r\n")), QStringLiteral("1234"));
    EXPECT_EQ(core::cardCode(QStringLiteral("\r\n ")), QString());
}

}  // namespace
