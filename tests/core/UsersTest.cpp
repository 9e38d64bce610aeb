// Users and their rights: the rules of the edit form and the users window
// driven against a fresh database.
#include "support/DbFixture.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include "core/UserRules.h"
#include "core/UsersRepository.h"
#include "core/uUserEdit.h"
#include "core/uUsers.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using core::UserCheck;

TEST(UserRules, RefusesTheBuiltinAdministratorAndMissingFields) {
    struct Case {
        QString fio, password;
        UserCheck expected;
        QString message;
    };
    const QString reserved = QStringLiteral("Недопустимые ФИО    ");
    const QString missing = QStringLiteral("Не заполнены обязательные поля.     ");
    const Case cases[] = {
        {"VOTAR", "1", UserCheck::ReservedName, reserved},
        {"  VOTAR \t", "1", UserCheck::ReservedName, reserved},
        {"VOTAR", "", UserCheck::ReservedName, reserved},
        {"Votar", "1", UserCheck::ReservedName, reserved},
        {" vOtAr  ", "1", UserCheck::ReservedName, reserved},
        {"", "1", UserCheck::MissingRequired, missing},
        {"   ", "1", UserCheck::MissingRequired, missing},
        {"Иванов", "  ", UserCheck::MissingRequired, missing},
        {"Иванов", "1", UserCheck::Ok, QString()},
        {"VOTAR2", "1", UserCheck::Ok, QString()},
        // Blanks nobody sees, and letters drawn alike, make no other name.
        {QString("VOTAR\u00A0"), "1", UserCheck::ReservedName, reserved},
        {QString("\u200B\u3000VOTAR\u2060\t"), "1", UserCheck::ReservedName, reserved},
        {QString("\uFEFFVo\u00ADtar\u2003"), "1", UserCheck::ReservedName, reserved},
        {QString("V\u041E\u0422\u0410R"), "1", UserCheck::ReservedName, reserved},
        {QString("\u200B\u00A0\u3164"), "1", UserCheck::MissingRequired, missing},
        {QString("VO TAR"), "1", UserCheck::Ok, QString()},
    };
    for (const Case& c : cases) {
        const UserCheck got = core::checkUser(c.fio, c.password);
        EXPECT_EQ(got, c.expected) << c.fio.toStdString() << "/" << c.password.toStdString();
        EXPECT_EQ(core::userCheckMessage(got), c.message) << c.fio.toStdString();
    }
}

TEST(UserRules, StoresTrimmedFieldsWithDefaultPostAndRights) {
    core::UserRecord typed{7, " Сидоров С. ", " 123 ", "  ", " pw ", " 2000 ", ""};
    const core::UserRecord stored = core::normalizedUser(typed);
    EXPECT_EQ(stored.id, 7);
    EXPECT_EQ(stored.fio, "Сидоров С.");
    EXPECT_EQ(stored.inn, "123");
    EXPECT_EQ(stored.post, "Кассир");
    EXPECT_EQ(stored.password, "pw");
    EXPECT_EQ(stored.barcode, "2000");
    EXPECT_EQ(stored.rights, "кассир");

    typed.post = " Старший кассир ";
    typed.rights = "админ";
    const core::UserRecord admin = core::normalizedUser(typed);
    EXPECT_EQ(admin.post, "Старший кассир");
    EXPECT_EQ(admin.rights, "админ");
}

TEST(UserRules, NamesThatReadTheSameAreOneName) {
    const std::pair<QString, QString> same[] = {
        {QString("Андреев А."), QString("\u00A0андреев\u2002\u2003а.\u200B")},
        {QString("Андреев А."), QString("\tАндреев\u00A0А.\u00AD")},
        {QString("Сорокин С."), QString("Copoкин C.")},  // Latin C, o, p
    };
    for (const auto& [a, b] : same) EXPECT_TRUE(core::sameUserName(a, b)) << b.toStdString();
    const std::pair<QString, QString> other[] = {
        {QString("Андреев А."), QString("Андреев А.А.")},
        {QString("Андреев А."), QString("АндреевА.")},
        {QString("Ёлкин Е."), QString("Елкин Е.")},
    };
    for (const auto& [a, b] : other) EXPECT_FALSE(core::sameUserName(a, b)) << b.toStdString();
    // Stored without what surrounds it, the inside as typed.
    EXPECT_EQ(core::trimUserName(QString("\u200B\u00A0Гусев\u00A0Г.\u3000\t")), QString("Гусев\u00A0Г."));
}

TEST(UserRules, FindsRightsIgnoringCaseAndPicksRowAfterDelete) {
    const QStringList choices = core::rightsChoices();
    const std::pair<QString, int> rights[] = {{"админ", 0}, {"АДМИН", 0}, {" Кассир ", 1}, {"boss", -1}, {"", -1}};
    for (const auto& [text, index] : rights) EXPECT_EQ(core::rightsIndex(choices, text), index) << text.toStdString();

    struct RowCase {
        int deleted, left, expected;
    };
    const RowCase rows[] = {{1, 3, 1}, {2, 2, 1}, {0, 1, 0}, {0, 0, -1}, {5, 3, 2}};
    for (const RowCase& r : rows)
        EXPECT_EQ(core::rowAfterDelete(r.deleted, r.left), r.expected) << r.deleted << "," << r.left;
}

// What the edit window showed and did while the users window waited on it.
struct EditOutcome {
    QString title;
    QString fio, password, post;
    int rightsIndex = -2;
    bool stayedOpen = false;
};

class UsersWindow : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, USER_BARCODE, USER_RIGHTS) "
             "VALUES (101, 'Борисова Б.', '123456789012', 'Старший кассир', 'b1', '2001', 'АДМИН')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) "
             "VALUES (102, 'Андреев А.', 'a1', 'кассир')");
        exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD, USER_RIGHTS) "
             "VALUES (103, 'Ёлкин Е.', 'e1', 'кассир')");
    }
    void TearDown() override {
        delete window.data();
        DbTest::TearDown();
    }
    void open() {
        window = new core::TfmUsers(db());
        window->show();
        grid = window->findChild<QTableView*>("DBGridUsers");
        ASSERT_NE(grid, nullptr);
    }
    QString fioAt(int row) const { return grid->model()->index(row, 0).data().toString(); }
    void selectFio(const QString& fio) {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (fioAt(r) == fio) grid->setCurrentIndex(grid->model()->index(r, 0));
    }
    QString currentFio() const { return fioAt(window->currentRow()); }
    void click(const char* button) { QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton); }

    // Clicks `button` of the users window; while the edit window is up,
    // `fill` types into it, OK is pressed, and a window still open after
    // that is cancelled (and recorded as such).
    EditOutcome runEdit(const char* button, const std::function<void(core::TfmUserEdit*)>& fill) {
        EditOutcome out;
        QTimer::singleShot(0, [&] {
            QPointer<core::TfmUserEdit> edit = core::fmUserEdit;
            if (!edit) return;
            out.title = edit->windowTitle();
            out.fio = edit->findChild<QLineEdit*>("edFIO")->text();
            out.password = edit->findChild<QLineEdit*>("edPassword")->text();
            out.post = edit->findChild<QLineEdit*>("edPost")->text();
            out.rightsIndex = edit->findChild<QComboBox*>("cmbRights")->currentIndex();
            fill(edit);
            QTest::mouseClick(edit->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
            if (edit && edit->isVisible()) {
                out.stayedOpen = true;
                QTest::mouseClick(edit->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
            }
        });
        click(button);
        return out;
    }
    static void set(core::TfmUserEdit* edit, const char* field, const QString& text) {
        edit->findChild<QLineEdit*>(field)->setText(text);
    }
    std::optional<fb::Row> userNamed(const QString& fio) {
        fb::Transaction tr(db());
        auto row = fb::queryOne(tr, "SELECT * FROM USERS WHERE USER_FIO = ?", {fio});
        tr.commit();
        return row;
    }
    int userCount() {
        fb::Transaction tr(db());
        const int n = fb::queryOne(tr, "SELECT COUNT(*) AS N FROM USERS")->integer("N");
        tr.commit();
        return n;
    }

    testsupport::FakeMessages messages;
    QPointer<core::TfmUsers> window;
    QTableView* grid = nullptr;
};

TEST_F(UsersWindow, ListsUsersInRussianAlphabeticalOrder) {
    open();
    ASSERT_EQ(window->rowCount(), 3);
    EXPECT_EQ(fioAt(0), "Андреев А.");
    EXPECT_EQ(fioAt(1), "Борисова Б.");
    EXPECT_EQ(fioAt(2), "Ёлкин Е.");
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "ФИО");
    EXPECT_EQ(grid->model()->headerData(5, Qt::Horizontal).toString(), "Права");
    EXPECT_EQ(grid->model()->index(1, 3).data().toString(), "b1");
}

TEST_F(UsersWindow, AddsUserWithDefaultPostAndRightsAndPositionsOnIt) {
    open();
    QSignalSpy changed(window.data(), &core::TfmUsers::usersChanged);
    QSignalSpy anyChange(&core::usersEvents(), &core::UsersEvents::usersChanged);
    const EditOutcome out = runEdit("btnUserAdd", [](core::TfmUserEdit* e) {
        set(e, "edFIO", "  Витальев В.  ");
        set(e, "edPassword", " 77 ");
        set(e, "edINN", "500100732259");
    });
    EXPECT_EQ(out.title, "Добавить пользователя");
    EXPECT_EQ(out.fio, "");
    EXPECT_EQ(out.rightsIndex, -1);
    EXPECT_FALSE(out.stayedOpen);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();

    const auto row = userNamed("Витальев В.");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->str("USER_PASSWORD"), "77");
    EXPECT_EQ(row->str("USER_POST"), "Кассир");
    EXPECT_EQ(row->str("USER_RIGHTS"), "кассир");
    EXPECT_EQ(row->str("USER_INN"), "500100732259");
    EXPECT_EQ(window->rowCount(), 4);
    EXPECT_EQ(currentFio(), "Витальев В.");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(anyChange.count(), 1);
}

TEST_F(UsersWindow, RefusesReservedNameAndMissingFieldsKeepingTheFormOpen) {
    struct Case {
        QString fio, password, message;
    };
    const Case cases[] = {
        {"VOTAR", "1", "Недопустимые ФИО    "},
        {"  VOTAR  ", "1", "Недопустимые ФИО    "},
        {"Votar", "1", "Недопустимые ФИО    "},
        {" votar ", "1", "Недопустимые ФИО    "},
        {"Новиков Н.", "   ", "Не заполнены обязательные поля.     "},
        {"", "1", "Не заполнены обязательные поля.     "},
    };
    open();
    for (const Case& c : cases) {
        messages.clear();
        const EditOutcome out = runEdit("btnUserAdd", [&](core::TfmUserEdit* e) {
            set(e, "edFIO", c.fio);
            set(e, "edPassword", c.password);
        });
        EXPECT_TRUE(out.stayedOpen) << c.fio.toStdString();
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.fio.toStdString();
        EXPECT_EQ(userCount(), 3) << c.fio.toStdString();
    }
}

// The name typed key by key, as a keyboard or a card reader in a keyboard's
// place would type it.
TEST_F(UsersWindow, TypedNamesLoseTheirInvisibleEndsBeforeEveryCheck) {
    struct Case {
        QString typed, message, stored;
    };
    const Case cases[] = {
        {QString("VOTAR\u00A0"), QString("Недопустимые ФИО    "), QString()},
        {QString("\u3000Андреев\u00A0А.\u2003"), QString(" Пользователь с ФИО \"Андреев\u00A0А.\" уже есть.     "), QString()},
        {QString("\u00A0Гусев Г.\u00A0\u00A0"), QString(), QString("Гусев Г.")},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        messages.clear();
        const int users = userCount();
        const EditOutcome out = runEdit("btnUserAdd", [&](core::TfmUserEdit* e) {
            testsupport::typeText(e->findChild<QLineEdit*>("edFIO"), c.typed);
            testsupport::typeText(e->findChild<QLineEdit*>("edPassword"), QString("p1"));
        });
        EXPECT_EQ(out.stayedOpen, !c.message.isEmpty());
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(userCount(), users + (c.message.isEmpty() ? 1 : 0));
        if (!c.stored.isEmpty()) {
            EXPECT_TRUE(userNamed(c.stored));
        }
    }
}

TEST_F(UsersWindow, ANameOrACardBelongsToOneUser) {
    struct Case {
        const char* button;
        const char* editing;  // the row edited, for "btnUserEdit"
        QString fio, card, message;
    };
    const Case cases[] = {
        {"btnUserAdd", nullptr, "  андреев а. ", "", " Пользователь с ФИО \"андреев а.\" уже есть.     "},
        {"btnUserAdd", nullptr, "Гусев Г.", " 2001 ",
         " Карта (ШК) \"2001\" уже выдана пользователю \"Борисова Б.\".     "},
        {"btnUserEdit", "Андреев А.", "Андреев А.", "2001",
         " Карта (ШК) \"2001\" уже выдана пользователю \"Борисова Б.\".     "},
        {"btnUserEdit", "Андреев А.", "Ёлкин Е.", "", " Пользователь с ФИО \"Ёлкин Е.\" уже есть.     "},
        // Neither a user's own name and card nor no card at all clash.
        {"btnUserEdit", "Борисова Б.", "Борисова Б.", "2001", ""},
        {"btnUserAdd", nullptr, "Гусев Г.", "", ""},
    };
    open();
    int users = userCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fio.toStdString() + " / " + c.card.toStdString());
        messages.clear();
        if (c.editing) selectFio(QString::fromUtf8(c.editing));
        const EditOutcome out = runEdit(c.button, [&](core::TfmUserEdit* e) {
            set(e, "edFIO", c.fio);
            set(e, "edCardBarcode", c.card);
            set(e, "edPassword", "p");
        });
        const bool refused = !c.message.isEmpty();
        EXPECT_EQ(out.stayedOpen, refused);
        EXPECT_EQ(messages.texts(), refused ? QStringList{c.message} : QStringList{});
        if (!refused && std::string(c.button) == "btnUserAdd") ++users;
        EXPECT_EQ(userCount(), users);
    }
    // Refused edits wrote nothing.
    const auto andreev = userNamed("Андреев А.");
    ASSERT_TRUE(andreev);
    EXPECT_EQ(andreev->str("USER_BARCODE"), "");
    EXPECT_EQ(andreev->str("USER_PASSWORD"), "a1");
}

TEST_F(UsersWindow, EditsTheChosenRowByIdAndRepositionsOnIt) {
    open();
    selectFio("Борисова Б.");
    const EditOutcome out = runEdit("btnUserEdit", [](core::TfmUserEdit* e) {
        set(e, "edFIO", "Яковлева Б.");
        e->findChild<QComboBox*>("cmbRights")->setCurrentIndex(1);
    });
    EXPECT_EQ(out.title, "Изменить данные пользователя");
    EXPECT_EQ(out.fio, "Борисова Б.");
    EXPECT_EQ(out.password, "b1");
    EXPECT_EQ(out.post, "Старший кассир");
    EXPECT_EQ(out.rightsIndex, 0) << "stored 'АДМИН' selects 'админ'";
    EXPECT_FALSE(out.stayedOpen);

    const auto row = userNamed("Яковлева Б.");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->integer("USER_ID"), 101);
    EXPECT_EQ(row->str("USER_RIGHTS"), "кассир");
    EXPECT_EQ(row->str("USER_BARCODE"), "2001");
    EXPECT_FALSE(userNamed("Борисова Б."));
    EXPECT_EQ(userCount(), 3);
    EXPECT_EQ(currentFio(), "Яковлева Б.");
    EXPECT_EQ(window->currentRow(), 2);
}

TEST_F(UsersWindow, UpdatingAUserDeletedMeanwhileIsAFailure) {
    open();
    selectFio("Борисова Б.");
    const EditOutcome out = runEdit("btnUserEdit", [this](core::TfmUserEdit* e) {
        // Another workstation deletes the user while this form is open.
        exec("DELETE FROM USERS WHERE USER_ID = 101");
        set(e, "edPassword", "new");
    });
    EXPECT_TRUE(out.stayedOpen);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), core::kUserGoneMessage);
    EXPECT_FALSE(userNamed("Борисова Б."));
    EXPECT_EQ(userCount(), 2);
}

TEST_F(UsersWindow, ColumnsAreAsWideAsTheirContents) {
    const QString longName = QStringLiteral("Константинопольская-Водопьянова Анастасия Христофоровна");
    const QString longPost = QStringLiteral("Старший кассир-операционист торгового зала");
    exec(QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO, USER_POST, USER_PASSWORD) VALUES (104, '%1', '%2', 'x')")
             .arg(longName, longPost));
    open();
    const QFontMetrics fm(grid->font());
    EXPECT_GE(grid->columnWidth(0), fm.horizontalAdvance(longName));
    EXPECT_GE(grid->columnWidth(1), fm.horizontalAdvance(longPost));
    // A short column is not stretched to the widest one.
    EXPECT_LT(grid->columnWidth(2), grid->columnWidth(0));
}

TEST_F(UsersWindow, FailedSaveRollsBackShowsTheDatabaseMessageAndKeepsTheForm) {
    exec("CREATE EXCEPTION E_USERS_LOCKED 'Users are read-only today'");
    exec("CREATE TRIGGER USERS_NO_UPDATE FOR USERS BEFORE UPDATE AS BEGIN EXCEPTION E_USERS_LOCKED; END");
    open();
    selectFio("Андреев А.");
    const EditOutcome out = runEdit("btnUserEdit", [](core::TfmUserEdit* e) { set(e, "edPassword", "new"); });
    EXPECT_TRUE(out.stayedOpen);
    ASSERT_EQ(messages.boxes.size(), 1u);
    // Russian first, the engine's own words only as the last line.
    EXPECT_TRUE(messages.last().startsWith(core::kUserSaveFailed)) << messages.last().toStdString();
    EXPECT_GT(messages.last().indexOf("Users are read-only today"), core::kUserSaveFailed.size())
        << messages.last().toStdString();
    EXPECT_EQ(userNamed("Андреев А.")->str("USER_PASSWORD"), "a1");
}

TEST_F(UsersWindow, DeleteAsksFirstAndKeepsTheRowNumber) {
    open();
    selectFio("Борисова Б.");
    messages.answer(ui::Answer::No);
    click("btnUserDelete");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.boxes[0].question);
    EXPECT_EQ(messages.boxes[0].text, "Удалить пользователя \"Борисова Б.\"?     ");
    EXPECT_EQ(userCount(), 3);

    QSignalSpy changed(window.data(), &core::TfmUsers::usersChanged);
    messages.answer(ui::Answer::Yes);
    click("btnUserDelete");
    EXPECT_EQ(userCount(), 2);
    EXPECT_FALSE(userNamed("Борисова Б."));
    EXPECT_EQ(window->currentRow(), 1);
    EXPECT_EQ(currentFio(), "Ёлкин Е.");
    EXPECT_EQ(changed.count(), 1);

    // Deleting the last row leaves the new last row current.
    messages.answer(ui::Answer::Yes);
    click("btnUserDelete");
    EXPECT_EQ(userCount(), 1);
    EXPECT_EQ(window->currentRow(), 0);
    EXPECT_EQ(currentFio(), "Андреев А.");

    messages.answer(ui::Answer::Yes);
    click("btnUserDelete");
    EXPECT_EQ(userCount(), 0);
    EXPECT_EQ(window->currentRow(), -1);
    EXPECT_FALSE(window->findChild<QPushButton*>("btnUserDelete")->isEnabled());
    EXPECT_FALSE(window->findChild<QPushButton*>("btnUserEdit")->isEnabled());
}

TEST_F(UsersWindow, FailedDeleteKeepsTheUserAndSaysSo) {
    exec("CREATE EXCEPTION E_KEEP_USER 'User is referenced'");
    exec("CREATE TRIGGER USERS_NO_DELETE FOR USERS BEFORE DELETE AS BEGIN EXCEPTION E_KEEP_USER; END");
    open();
    selectFio("Ёлкин Е.");
    messages.answer(ui::Answer::Yes);
    click("btnUserDelete");
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_TRUE(messages.last().startsWith("Ошибка при удалении записи")) << messages.last().toStdString();
    EXPECT_TRUE(messages.last().contains("User is referenced"));
    EXPECT_TRUE(userNamed("Ёлкин Е."));
    EXPECT_EQ(window->rowCount(), 3);
}

TEST_F(UsersWindow, HidingReleasesTheListAndShowingReadsItAgain) {
    open();
    window->hide();
    EXPECT_EQ(grid->model(), nullptr);
    exec("INSERT INTO USERS (USER_ID, USER_FIO, USER_PASSWORD) VALUES (104, 'Галкин Г.', 'g')");
    window->show();
    ASSERT_NE(grid->model(), nullptr);
    EXPECT_EQ(window->rowCount(), 4);
}

}  // namespace
