// The part of a pack sold of a marked item: the rules and the window.
#include "sales/marking/FractionalCount.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/uQueryFractionalCount.h"

#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using sales::Fraction;
using sales::ValidateFraction;

namespace {

const QString kSoldTooLong = QStringLiteral(
    " Некорректное значение в поле 'Продать'.    \r\n\r\n Допустимое значение - целое число в диапазоне 1...999999.     ");
const QString kSoldNotDigits = QStringLiteral(
    " Некорректное значение в поле 'Продать'.     \r\n\r\n Допустимое значение - целое число в диапазоне 1...999999 .     ");
const QString kSoldZero = QStringLiteral(
    " Некорректное значение в поле 'Продать'.     \r\n\r\n Допустимое значение - целое число в диапазоне 1...999999.     ");
const QString kPackTooLong = QStringLiteral(
    " Некорректное значение в поле 'Всего в упаковке'.    \r\n\r\n Допустимое значение - целое число в диапазоне "
    "1...999999.     ");
const QString kPackNotDigits = QStringLiteral(
    " Некорректное значение в поле 'Всего в упаковке'.     \r\n\r\n Допустимое значение - целое число в диапазоне "
    "1...999999 .     ");
const QString kPackZero = QStringLiteral(
    " Некорректное значение в поле 'Всего в упаковке'.     \r\n\r\n Допустимое значение - целое число в диапазоне "
    "1...999999.     ");
const QString kSoldMissing = QStringLiteral(" Не указано продаваемое количество.  ");
const QString kPackMissing = QStringLiteral(" Не указано значение 'Всего в упаковке'.     ");
const QString kAbovePack = QStringLiteral(
    " Значение в поле 'Продать' не может быть больше     \r\n значения в поле 'Всего в упаковке'.     ");

struct FractionCase {
    const char* sold;
    const char* pack;
    bool wholly;
    int num, den;      // expected when accepted
    QString refusal;   // expected when refused
};

}  // namespace

TEST(FractionRules, AcceptsAPartOfThePackAndRefusesEverythingElseWithItsOwnText) {
    const QList<FractionCase> cases{
        {"3", "10", false, 3, 10, {}},
        {" 3 ", " 10 ", false, 3, 10, {}},
        {"1", "999999", false, 1, 999999, {}},
        {"10", "10", false, 0, 0, {}},     // the whole pack is a whole unit
        {"", "", true, 0, 0, {}},          // ticked: the fields are not read
        {"abc", "0", true, 0, 0, {}},
        {"11", "10", false, 0, 0, kAbovePack},
        {"", "10", false, 0, 0, kSoldMissing},
        {"   ", "10", false, 0, 0, kSoldMissing},
        {"1234567", "10", false, 0, 0, kSoldTooLong},
        {"1a", "10", false, 0, 0, kSoldNotDigits},
        {"-1", "10", false, 0, 0, kSoldNotDigits},
        {"0", "10", false, 0, 0, kSoldZero},
        {"000", "10", false, 0, 0, kSoldZero},
        {"3", "", false, 0, 0, kPackMissing},
        {"3", "1234567", false, 0, 0, kPackTooLong},
        {"3", "1,5", false, 0, 0, kPackNotDigits},
        {"3", "0", false, 0, 0, kPackZero},
        {"0", "", false, 0, 0, kSoldZero},  // the sold field is checked first
    };
    for (const FractionCase& c : cases) {
        SCOPED_TRACE(std::string(c.sold) + " / " + c.pack);
        const sales::FractionCheck got = ValidateFraction(QString::fromUtf8(c.sold), QString::fromUtf8(c.pack), c.wholly);
        if (!c.refusal.isEmpty()) {
            EXPECT_FALSE(got.fraction.has_value());
            EXPECT_EQ(got.message, c.refusal);
            continue;
        }
        ASSERT_TRUE(got.fraction.has_value()) << got.message.toStdString();
        EXPECT_EQ(got.fraction->num, c.num);
        EXPECT_EQ(got.fraction->den, c.den);
        const QString text = c.num == 0 ? QString() : QStringLiteral("%1/%2").arg(c.num).arg(c.den);
        EXPECT_EQ(got.fraction->text, text);
        EXPECT_EQ(got.fraction->whole(), c.num == 0);
    }
}

TEST(FractionRules, ARecordPutsItsPartOfThePackIntoThePosition) {
    struct Case {
        QString num, den;
        std::optional<std::int64_t> thousandths;
    };
    const QList<Case> cases{
        {"0", "0", 1000}, {"", "", 1000},  {"3", "10", 300}, {"1", "4", 250},
        {"1", "3", 333},  {"2", "3", 667}, {"5", "x", std::nullopt}, {"4", "3", std::nullopt},
        {"1", "0", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.num + "/" + c.den).toStdString());
        QStringList record(10);
        record[sales::MarkNumerator] = c.num;
        record[sales::MarkDenominator] = c.den;
        const std::optional<sales::Qty> q = sales::markedRecordQuantity(record);
        ASSERT_EQ(q.has_value(), c.thousandths.has_value());
        if (!q) continue;
        EXPECT_EQ(q->thousandths, *c.thousandths);
        // The fraction as the window gives it grows the position by the same part.
        const Fraction chosen{c.num.toInt(), c.den.toInt(), c.num.toInt() ? c.num + "/" + c.den : QString()};
        EXPECT_EQ(sales::fractionQuantity(chosen), *q);
    }
}

TEST(FractionRules, PackCountIsOfferedOnlyWhenItFitsTheField) {
    EXPECT_EQ(packCountText(20), QStringLiteral("20"));
    EXPECT_EQ(packCountText(999999), QStringLiteral("999999"));
    EXPECT_EQ(packCountText(1000000), QString());
    EXPECT_EQ(packCountText(0), QString());
    EXPECT_EQ(packCountText(-5), QString());
}

// ---- The window --------------------------------------------------------------

// A check box takes a click on its box, not anywhere in its stretched width.
void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

class FractionWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = new TfmQueryFractionalCount;
        window->memTotalPack->setText(QStringLiteral("10"));
        window->show();
    }
    void TearDown() override { delete window.data(); }

    QLineEdit* field(const char* name) { return window->findChild<QLineEdit*>(QLatin1String(name)); }
    void click(const char* name) {
        auto* b = window->findChild<QPushButton*>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    testsupport::FakeMessages messages;
    QPointer<TfmQueryFractionalCount> window;
};

TEST_F(FractionWindow, FieldsTakeOnlyDigitsUpToSix) {
    struct Case {
        const char* field;
        QString typed;
        QString kept;
    };
    const QList<Case> cases{
        {"memCountSold", QStringLiteral("12a,.-3"), QStringLiteral("123")},
        {"memCountSold", QStringLiteral("123456789"), QStringLiteral("123456")},
        {"memCountSold", QStringLiteral("Продать7"), QStringLiteral("7")},
        {"memTotalPack", QStringLiteral(" 4 5"), QStringLiteral("45")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QLineEdit* e = field(c.field);
        ASSERT_NE(e, nullptr);
        e->clear();
        e->setFocus();
        testsupport::typeText(e, c.typed);
        EXPECT_EQ(e->text(), c.kept);
    }
    QLineEdit* sold = field("memCountSold");
    sold->setText(QStringLiteral("123456"));
    QTest::keyClick(sold, Qt::Key_Backspace);
    EXPECT_EQ(sold->text(), QStringLiteral("12345"));
}

TEST_F(FractionWindow, OpensEmptyAndTheWholePackBoxDisablesTheFields) {
    field("memCountSold")->setText(QStringLiteral("4"));
    window->chWholly->setChecked(true);
    window->hide();
    window->show();
    EXPECT_TRUE(field("memCountSold")->text().isEmpty());
    EXPECT_FALSE(window->chWholly->isChecked());
    EXPECT_EQ(field("memTotalPack")->text(), QStringLiteral("10"));

    auto* box = window->findChild<QCheckBox*>(QStringLiteral("chWholly"));
    ASSERT_NE(box, nullptr);
    clickBox(box);
    for (const char* name : {"memCountSold", "memTotalPack", "Label1", "Label2"})
        EXPECT_FALSE(window->findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;
    clickBox(box);
    for (const char* name : {"memCountSold", "memTotalPack", "Label1", "Label2"})
        EXPECT_TRUE(window->findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;
}

TEST_F(FractionWindow, OkGivesTheFractionOrKeepsTheWindowOpenWithTheReason) {
    struct Case {
        QString sold;
        bool wholly;
        bool accepted;
        Fraction expected;
        QString box;
    };
    const QList<Case> cases{
        {QStringLiteral("3"), false, true, Fraction{3, 10, QStringLiteral("3/10")}, {}},
        {QStringLiteral("10"), false, true, Fraction{}, {}},
        {QStringLiteral("7"), true, true, Fraction{}, {}},
        {QStringLiteral("11"), false, false, Fraction{}, kAbovePack},
        {QString(), false, false, Fraction{}, kSoldMissing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sold.toStdString());
        window->hide();
        window->setResult(0);
        window->show();
        messages.clear();
        testsupport::typeText(field("memCountSold"), c.sold);
        if (c.wholly) clickBox(window->chWholly);
        click("btnOK");
        EXPECT_EQ(window->result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(window->isVisible(), !c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(messages.boxes.empty());
            EXPECT_EQ(window->fraction(), c.expected);
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.last(), c.box);
            EXPECT_EQ(messages.boxes.front().icon, ui::Icon::Error);
        }
    }
}

namespace {

// Answers the window once it is open: types `sold` and presses `button`.
void answerWindow(const QString& sold, const char* button, QString* seenName, QString* seenMark, QString* seenPack) {
    QTimer::singleShot(0, [=] {
        auto* w = qobject_cast<TfmQueryFractionalCount*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        *seenName = w->lblGoodName->text();
        *seenMark = w->lblMarkingName->text();
        *seenPack = w->memTotalPack->text();
        testsupport::typeText(w->memCountSold, sold);
        QTest::mouseClick(w->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    });
}

}  // namespace

TEST(FractionQuery, AsksWithTheGoodsAndTheirPackAndFreesTheWindow) {
    testsupport::FakeMessages messages;
    QString name, mark, pack;
    answerWindow(QStringLiteral("2"), "btnOK", &name, &mark, &pack);
    const std::optional<Fraction> sold = queryFractionalCount(nullptr, QStringLiteral("Молоко 3,2%"),
                                                              QStringLiteral("молочная продукция"), 12);
    ASSERT_TRUE(sold.has_value());
    EXPECT_EQ(*sold, (Fraction{2, 12, QStringLiteral("2/12")}));
    EXPECT_EQ(name, QStringLiteral("Молоко 3,2%"));
    EXPECT_EQ(mark, QStringLiteral("молочная продукция"));
    EXPECT_EQ(pack, QStringLiteral("12"));
    EXPECT_EQ(fmQueryFractionalCount, nullptr);

    answerWindow(QStringLiteral("2"), "btnCancel", &name, &mark, &pack);
    EXPECT_FALSE(queryFractionalCount(nullptr, QStringLiteral("Сигареты"), QStringLiteral("табак"), 1234567).has_value());
    EXPECT_TRUE(pack.isEmpty());
    EXPECT_EQ(fmQueryFractionalCount, nullptr);
    EXPECT_TRUE(messages.boxes.empty());
}
