// Weight-barcode prefixes: how the line is read and shown, and that a save
// replaces the whole list or nothing.
#include "catalogue/GoodsSettings.h"
#include "catalogue/uGoodsOtherSettings.h"
#include "platform/db/Error.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QLineEdit>

namespace {

class WeightPrefixes : public testsupport::UpgradedDbTest {
protected:
    void store(std::initializer_list<int> list) {
        for (int p : list) exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('%1')").arg(p));
    }
    struct Window {
        catalogue::TfmGoodsOtherSettings w;
        QLineEdit* edit;
        explicit Window(fb::Connection& db) : w(db), edit(w.findChild<QLineEdit*>(QStringLiteral("LabeledEdit1"))) {
            w.setAttribute(Qt::WA_DeleteOnClose, false);
            w.show();
        }
    };
};

TEST(WeightPrefixLine, SplitsAtBlanksCommasAndSemicolonsAndRefusesANonNumber) {
    const struct {
        const char* text;
        std::vector<int> prefixes;
        const char* bad;
    } cases[] = {
        {"21, 22 23", {21, 22, 23}, nullptr}, {"", {}, nullptr},      {" ; ;21;", {21}, nullptr},
        {"21;21", {21, 21}, nullptr},         {"21;2a;23", {}, "2a"}, {"21,,x", {}, "x"},
    };
    for (const auto& c : cases) {
        const auto parsed = catalogue::parsePrefixes(QString::fromUtf8(c.text));
        EXPECT_EQ(parsed.prefixes, c.prefixes) << c.text;
        EXPECT_EQ(parsed.badPiece.value_or(QString()), c.bad ? QString::fromUtf8(c.bad) : QString()) << c.text;
    }
    EXPECT_EQ(catalogue::joinPrefixes({QStringLiteral("21"), QStringLiteral("22"), QStringLiteral("23")}),
              QStringLiteral("21;22;23"));
}

TEST_F(WeightPrefixes, WindowShowsTheListAndSavesItWholeTellingTheSale) {
    testsupport::FakeMessages messages;
    int told = 0;
    catalogue::setWeightPrefixesSaved([&told] { ++told; });
    store({23, 21, 22});
    {
        Window win(db());
        EXPECT_EQ(win.edit->text(), QStringLiteral("21;22;23"));
        win.edit->setText(QStringLiteral("30, 31 "));
        win.w.btnSetClick();  // the question answered No
        EXPECT_EQ(catalogue::readPrefixes(db()).size(), 3);
        messages.answer(ui::Answer::Yes);
        win.w.btnSetClick();
        EXPECT_EQ(win.w.result(), QDialog::Accepted);
    }
    EXPECT_EQ(catalogue::readPrefixes(db()), (QStringList{QStringLiteral("30"), QStringLiteral("31")}));
    EXPECT_EQ(told, 1);
    {
        Window win(db());
        win.edit->clear();
        messages.answer(ui::Answer::Yes);
        win.w.btnSetClick();
    }
    EXPECT_TRUE(catalogue::readPrefixes(db()).isEmpty());
    catalogue::setWeightPrefixesSaved({});
}

TEST_F(WeightPrefixes, BadPieceOrFailedWriteLeavesTheOldList) {
    testsupport::FakeMessages messages;
    store({21, 22});
    const QStringList old{QStringLiteral("21"), QStringLiteral("22")};
    {
        Window win(db());
        win.edit->setText(QStringLiteral("23;2a"));
        messages.answer(ui::Answer::Yes);
        win.w.btnSetClick();
        EXPECT_EQ(messages.last(), QStringLiteral(" Префикс \"2a\" не является числом. Данные не сохранены.     "));
        EXPECT_TRUE(win.w.isVisible());  // the cashier can mend the line
    }
    EXPECT_EQ(catalogue::readPrefixes(db()), old);
    {
        // The second prefix does not fit the column: the database refuses it.
        Window win(db());
        win.edit->setText(QStringLiteral("23;123456"));
        messages.answer(ui::Answer::Yes);
        win.w.btnSetClick();
        EXPECT_TRUE(messages.last().startsWith(QStringLiteral("Ошибка сервера при записи данных     ")));
        EXPECT_EQ(win.w.result(), QDialog::Rejected);
    }
    EXPECT_EQ(catalogue::readPrefixes(db()), old);
}

}  // namespace
