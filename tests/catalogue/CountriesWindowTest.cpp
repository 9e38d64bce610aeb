#include "CatalogueTestSupport.h"

#include "catalogue/CatalogueLogic.h"
#include "catalogue/uCountries.h"

#include "sales/WhenReady.h"
#include "support/FakeMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;
using salestest::when;

namespace {

class CountriesWindowTest : public CatalogueDbTest {
protected:
    std::unique_ptr<TfmCountries> open(int tag) {
        auto w = std::make_unique<TfmCountries>(params());
        w->setTag(tag);
        w->show();
        return w;
    }
    QPushButton* button(QWidget* w, const char* name) { return w->findChild<QPushButton*>(QLatin1String(name)); }
    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(CountriesWindowTest, PickerModesHideEditingAndHandOverAPaddedCode) {
    country(1, QStringLiteral("000"), QStringLiteral("Нигде"));
    country(2, QStringLiteral("036"), QStringLiteral("Австралия"));
    auto w = open(2);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Страны по ОКСМ"));
    EXPECT_FALSE(button(w.get(), "btnEdit")->isVisible());
    EXPECT_FALSE(button(w.get(), "btnDelete")->isVisible());
    EXPECT_EQ(button(w.get(), "btnAdd")->text(), QStringLiteral("OK"));

    auto* grid = w->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    grid->selectRow(1);  // "Нигде", code 000
    w->btnAddClick();
    EXPECT_EQ(messages.last(), QStringLiteral("Некорректный код страны.    "));
    EXPECT_FALSE(w->picked());

    grid->selectRow(0);
    w->btnAddClick();
    ASSERT_TRUE(w->picked());
    EXPECT_EQ(w->picked()->display, QStringLiteral("(036) Австралия"));
    EXPECT_EQ(w->picked()->number, 36);
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(CountriesWindowTest, PickerOnAnEmptyListHandsNothingOver) {
    auto w = open(3);
    w->btnAddClick();
    EXPECT_FALSE(w->picked());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(CountriesWindowTest, DialogRefusesBadCodesAndAddsStandingOnTheNewRecord) {
    // As an older database: no unique index to fall back on.
    exec(QStringLiteral("DROP INDEX IX_COUNTRIES_CODE"));
    country(1, QStringLiteral("156"), QStringLiteral("Китай"));
    auto w = open(1);
    QStringList refused;
    int step = 0;
    std::function<void()> drive = [&] {
        when([] { return fmCountryEdit && fmCountryEdit->isVisible(); },
             [&] {
                 TfmCountryEdit* d = fmCountryEdit;
                 EXPECT_EQ(d->windowTitle(), QStringLiteral("Страны мира: НОВАЯ"));
                 for (const char* bad : {"12", "1234", "12a"}) {
                     d->Edit2->setText(QLatin1String(bad));
                     messages.clear();
                     d->btnOKClick();
                     refused << messages.last();
                 }
                 // A code already in use is refused by the dialog itself.
                 d->Edit1->setText(QStringLiteral("Дубль"));
                 d->Edit2->setText(QStringLiteral("156"));
                 d->btnOKClick();
                 EXPECT_EQ(messages.last(), countryCodeTakenText(QStringLiteral("156"), QStringLiteral("Китай")));
                 EXPECT_TRUE(d->isVisible());
                 d->Edit1->setText(QStringLiteral("Австралия"));
                 d->Edit2->setText(QStringLiteral("036"));
                 d->btnOKClick();
                 ++step;
                 if (fmCountryEdit && fmCountryEdit->isVisible()) fmCountryEdit->reject();
             });
    };
    drive();
    w->btnAddClick();
    EXPECT_EQ(step, 1);
    EXPECT_EQ(refused, QStringList(3, QStringLiteral("Некорректный код страны.     ")));
    auto* grid = w->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    ASSERT_TRUE(grid->currentIndex().isValid());
    EXPECT_EQ(grid->currentIndex().row(), 0);  // "Австралия" sorts first
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 1)).toString(), QStringLiteral("Австралия"));
    EXPECT_EQ(grid->model()->rowCount(), 2);
}

TEST_F(CountriesWindowTest, RussiaIsNeverDeletedAndOthersAfterTheQuestion) {
    country(1, QStringLiteral("643"), QStringLiteral("Россия"));
    country(2, QStringLiteral("840"), QStringLiteral("США"));
    auto w = open(1);
    auto* grid = w->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    grid->selectRow(0);  // Россия
    w->btnDeleteClick();
    EXPECT_EQ(messages.last(), QStringLiteral("Удаление записи невозможно!!!    "));

    grid->selectRow(1);   // США
    w->btnDeleteClick();  // answered No
    EXPECT_EQ(messages.last(), QStringLiteral("Вы хотите удалить страну  '' США '' ?     "));
    EXPECT_EQ(messages.boxes.back().caption, QStringLiteral("Удалить?"));
    EXPECT_EQ(grid->model()->rowCount(), 2);
    messages.answer(ui::Answer::Yes);
    w->btnDeleteClick();
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}
