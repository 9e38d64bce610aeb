// Company details: the one row of COMPANY_INFO through its window, and the
// about box.
#include "support/DbFixture.h"
#include "support/FakeMessages.h"

#include "core/CompanyRepository.h"
#include "core/uAppInfo.h"
#include "core/uCompany.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const char* const kFields[] = {"edCompanyName", "edCompanyFullName", "edCompanyINN",
                               "edBossPost",    "edBossFIO",         "edSalesPointInfo"};

class CompanyWindow : public testsupport::DbTest {
protected:
    void TearDown() override {
        delete window.data();
        DbTest::TearDown();
    }
    void open() {
        delete window.data();
        window = new core::TfmCompany(db());
        window->show();
    }
    QLineEdit* edit(const char* name) { return window->findChild<QLineEdit*>(name); }
    void ok() { QTest::mouseClick(window->findChild<QPushButton*>("Button1"), Qt::LeftButton); }
    std::vector<fb::Row> rows() {
        fb::Transaction tr(db());
        auto r = fb::query(tr, "SELECT * FROM COMPANY_INFO");
        tr.commit();
        return r;
    }

    testsupport::FakeMessages messages;
    QPointer<core::TfmCompany> window;
};

TEST_F(CompanyWindow, ShowsEmptyFieldsWithoutARowAndTheStoredRowOtherwise) {
    open();
    for (const char* f : kFields) EXPECT_EQ(edit(f)->text(), "") << f;

    exec("INSERT INTO COMPANY_INFO VALUES ('ООО \"Ромашка\"', 'Общество', '7701234567', 'Директор', "
         "'Иванов И.И.', 'г. Москва')");
    open();
    const QStringList expected = {"ООО \"Ромашка\"", "Общество", "7701234567", "Директор", "Иванов И.И.", "г. Москва"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(edit(kFields[i])->text(), expected[i]) << kFields[i];
}

TEST_F(CompanyWindow, SavingKeepsExactlyOneRowOfTrimmedText) {
    open();
    const QStringList typed = {"  ООО «Ёлка» ", " Общество с ограниченной ответственностью \"Ёлка\"", " 7701234567 ",
                               "Генеральный директор ", " O'Connor Д.", "  Магазин №1, ул. Ленина, д. 5  "};
    for (int i = 0; i < 6; ++i) edit(kFields[i])->setText(typed[i]);
    edit("edCompanyOGRN")->setText("1027700132195");
    edit("edCompanyTel")->setText("+7 495 000-00-00");
    ok();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(window->result(), QDialog::Accepted);

    auto stored = rows();
    ASSERT_EQ(stored.size(), 1u);
    const char* const columns[] = {"COMPANY_NAME", "COMPANY_FULLNAME", "COMPANY_INN",
                                   "BOSS_POST",    "BOSS_FIO",         "SALESPOINT_INFO"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(stored[0].str(columns[i]), typed[i].trimmed()) << columns[i];

    // Opened again: what was stored, and OGRN and telephone are gone.
    open();
    EXPECT_EQ(edit("edCompanyName")->text(), "ООО «Ёлка»");
    EXPECT_EQ(edit("edCompanyOGRN")->text(), "");
    EXPECT_EQ(edit("edCompanyTel")->text(), "");

    edit("edBossFIO")->setText("Петров П.П.");
    ok();
    stored = rows();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].str("BOSS_FIO"), "Петров П.П.");
    EXPECT_EQ(stored[0].str("COMPANY_NAME"), "ООО «Ёлка»");
}

TEST_F(CompanyWindow, SavingEmptyFieldsLeavesOneEmptyRow) {
    exec("INSERT INTO COMPANY_INFO (COMPANY_NAME) VALUES ('Старое')");
    exec("INSERT INTO COMPANY_INFO (COMPANY_NAME) VALUES ('Ещё одно')");
    open();
    for (const char* f : kFields) edit(f)->clear();
    ok();
    const auto stored = rows();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].str("COMPANY_NAME"), "");
    EXPECT_EQ(stored[0].str("SALESPOINT_INFO"), "");
}

TEST_F(CompanyWindow, CloseLeavesTheRowAsItWas) {
    exec("INSERT INTO COMPANY_INFO (COMPANY_NAME) VALUES ('Старое')");
    open();
    edit("edCompanyName")->setText("Новое");
    QTest::mouseClick(window->findChild<QPushButton*>("btnClose"), Qt::LeftButton);
    EXPECT_EQ(rows().at(0).str("COMPANY_NAME"), "Старое");
}

TEST_F(CompanyWindow, FailedSaveRollsBackAndKeepsTheWindowWithWhatWasTyped) {
    struct Case {
        const char* what;
        QStringList ddl;
        QString expectedInMessage;
    };
    const Case cases[] = {
        {"procedure dropped", {"DROP PROCEDURE COMPANY_EDIT_PROC"}, "COMPANY_EDIT_PROC"},
        {"insert refused after the delete",
         {"CREATE EXCEPTION E_COMPANY 'Company details are frozen'",
          "CREATE TRIGGER COMPANY_NO_INSERT FOR COMPANY_INFO BEFORE INSERT AS BEGIN EXCEPTION E_COMPANY; END"},
         "Company details are frozen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        exec("INSERT INTO COMPANY_INFO (COMPANY_NAME, COMPANY_INN) VALUES ('Старое', '1234567890')");
        for (const QString& ddl : c.ddl) exec(ddl);
        open();
        messages.clear();
        edit("edCompanyName")->setText("  Новое имя ");
        ok();
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_TRUE(messages.last().contains(c.expectedInMessage)) << messages.last().toStdString();
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_NE(window->result(), QDialog::Accepted);
        EXPECT_EQ(edit("edCompanyName")->text(), "  Новое имя ");
        const auto stored = rows();
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0].str("COMPANY_NAME"), "Старое");
        EXPECT_EQ(stored[0].str("COMPANY_INN"), "1234567890");
    }
}

TEST_F(CompanyWindow, RowThatCouldNotBeReadIsNotOverwrittenByOk) {
    exec("INSERT INTO COMPANY_INFO (COMPANY_NAME, COMPANY_INN) VALUES ('Старое', '1234567890')");
    // The window's connection finds no database when it opens; the database
    // is back by the time ОК is pressed.
    fb::ConnectionParams missing = params();
    missing.database += QStringLiteral(".missing");
    fb::Connection windowDb(missing);
    auto* w = new core::TfmCompany(windowDb);
    window = w;
    w->show();
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_FALSE(w->loaded());
    EXPECT_EQ(edit("edCompanyName")->text(), "");
    windowDb.setDatabase(databasePath());

    w->Button1Click();
    ok();
    EXPECT_NE(w->result(), QDialog::Accepted);
    delete window.data();
    const auto stored = rows();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].str("COMPANY_NAME"), "Старое");
    EXPECT_EQ(stored[0].str("COMPANY_INN"), "1234567890");
}

TEST(AppInfo, DescribesTheProgramReadOnly) {
    core::TfmAppInfo box;
    EXPECT_EQ(box.windowTitle(), "О программе");
    auto* memo = box.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    for (const char* part : {"2.12.0.1", "ФФД 1.2", "АТОЛ", "CSV", "маркированный", "ценники"})
        EXPECT_TRUE(memo->toPlainText().contains(QString::fromUtf8(part))) << part;
    auto* ok = box.findChild<QPushButton*>("Button1");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
}

}  // namespace
