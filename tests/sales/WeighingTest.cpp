// Free-price positions and the weight from the scale.
#include "sales/input/FreePrice.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/Weighing.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/SumLimits.h"
#include "support/FakeMessages.h"

#include <gtest/gtest.h>

using sales::ReceiptModel;

namespace {

TEST(FreePrice, ParsesPriceAndQuantity) {
    struct Case {
        const char* line;
        bool ok;
        qint64 kopecks;
        qint64 thousandths;
    };
    const Case cases[] = {
        {"150", true, 15000, 1000},
        {"150 x2", true, 15000, 2000},
        {"150 x", true, 15000, 1000},
        {"150 x0.25", true, 15000, 250},
        {"0.5", true, 50, 1000},
        {"", false, 0, 0},
        {"0", false, 0, 0},
        {"0.", false, 0, 0},
        {"150 x0", false, 0, 0},
        {"150 x0.", false, 0, 0},
        {"abc", false, 0, 0},
        {"1,5", false, 0, 0},
    };
    for (const Case& c : cases) {
        const auto r = sales::parseFreePrice(QString::fromLatin1(c.line));
        ASSERT_EQ(r.has_value(), c.ok) << c.line;
        if (!r) continue;
        EXPECT_EQ(r->price.kopecks, c.kopecks) << c.line;
        EXPECT_EQ(r->quantity.thousandths, c.thousandths) << c.line;
    }
}

TEST(FreePrice, TheCommandAddsOnePositionAndAsksTheRateUnderTheGeneralSystem) {
    struct Case {
        int taxSystem;
        int answer;
        QString vat;
        bool asked;
    };
    const Case cases[] = {{1, 22, QStringLiteral("2"), true},
                          {1, 0, QString(), true},
                          {1, 27, QString(), true},
                          {2, 22, QString(), false}};
    for (const Case& c : cases) {
        sales::PlainEntryScreen screen;
        screen.taxSystem = c.taxSystem;
        screen.line = QStringLiteral("150 x2");
        bool asked = false;
        const int row = sales::btnFreePriceClick(screen, [&] {
            asked = true;
            return c.answer;
        });
        ASSERT_EQ(row, 1);
        EXPECT_EQ(asked, c.asked);
        const ReceiptModel& m = screen.model;
        EXPECT_EQ(m.cell(1, ReceiptModel::ColStatus), QStringLiteral("A"));
        EXPECT_EQ(m.cell(1, ReceiptModel::ColId), QString());
        EXPECT_EQ(m.cell(1, ReceiptModel::ColKind), QString());
        EXPECT_EQ(m.cell(1, ReceiptModel::ColPrice), QStringLiteral("150.00"));
        EXPECT_EQ(m.cell(1, ReceiptModel::ColQty), QStringLiteral("2"));
        EXPECT_EQ(m.cell(1, ReceiptModel::ColSum), QStringLiteral("300.00"));
        EXPECT_EQ(m.attr(1, ReceiptModel::AttrMarkType), QStringLiteral("0"));
        EXPECT_EQ(m.attr(1, ReceiptModel::AttrVat), c.vat);
        EXPECT_TRUE(screen.line.isEmpty());
        EXPECT_EQ(screen.current, 1);
    }
}

TEST(FreePrice, NothingHappensForZeroOrAnEmptyLine) {
    for (const char* line : {"", "0", "0.", "5 x0"}) {
        sales::PlainEntryScreen screen;
        screen.line = QString::fromLatin1(line);
        EXPECT_EQ(sales::btnFreePriceClick(screen, {}), 0) << line;
        EXPECT_TRUE(screen.model.isEmpty()) << line;
        EXPECT_EQ(screen.line, QString::fromLatin1(line));
    }
}

TEST(FreePrice, PricesAndSumsBeyondWhatCanBeStoredAreRefusedAndSaidToBeTooLarge) {
    namespace text = sales::sumLimitText;
    const struct {
        const char* line;
        QString message;  // empty: the position is added
    } cases[] = {
        // Once 103.84: the sum of about 1.8e17 wrapped in 64 bits.
        {"10000 x18446744073709.562", text::kLineSumTooLarge},
        // Once "0.00": the sum had too many digits to be read back.
        {"10 x999999999999999", text::kLineSumTooLarge},
        {"0.01 x99999999999999999999", text::kLineSumTooLarge},
        {"5000000 x2", text::kLineSumTooLarge},
        {"10000000", text::kPriceTooLarge},
        // Once entered with a total of 1000000000000044.00.
        {"100000000000004", text::kPriceTooLarge},
        // Once ignored without a word.
        {"1000000000000044", text::kPriceTooLarge},
        {"123456789012345678901", text::kPriceTooLarge},
        {"1234567890123456789012 x2", text::kPriceTooLarge},
        {"9999999.99", {}},
        {"4999999.99 x2", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        testsupport::FakeMessages messages;
        sales::PlainEntryScreen screen;
        screen.taxSystem = 1;
        screen.line = QString::fromLatin1(c.line);
        bool asked = false;
        const int row = sales::btnFreePriceClick(screen, [&] {
            asked = true;
            return 26;
        });
        if (c.message.isEmpty()) {
            EXPECT_EQ(row, 1);
            EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
            continue;
        }
        EXPECT_EQ(row, 0);
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        // Refused before the rate is asked; the cashier may correct the line.
        EXPECT_FALSE(asked);
        EXPECT_TRUE(screen.model.isEmpty());
        EXPECT_EQ(screen.line, QString::fromLatin1(c.line));
    }
}

TEST(FreePrice, APositionThatWouldTakeTheTotalBeyondWhatCanBeStoredIsRefused) {
    testsupport::FakeMessages messages;
    sales::PlainEntryScreen screen;
    screen.line = QStringLiteral("6000000");
    ASSERT_EQ(sales::btnFreePriceClick(screen, {}), 1);
    screen.line = QStringLiteral("3999999.99");
    ASSERT_EQ(sales::btnFreePriceClick(screen, {}), 2);
    screen.line = QStringLiteral("0.01");
    EXPECT_EQ(sales::btnFreePriceClick(screen, {}), 0);
    EXPECT_EQ(messages.texts(), QStringList{sales::sumLimitText::kReceiptTotalTooLarge});
    EXPECT_EQ(sales::CalcReceiptTotal(screen.model), QStringLiteral("9999999.99"));
    EXPECT_FALSE(screen.model.isActive(3));
    EXPECT_EQ(screen.line, QStringLiteral("0.01"));
}

TEST(FreePrice, FractionalQuantityShowsThreeDecimals) {
    sales::PlainEntryScreen screen;
    screen.line = QStringLiteral("150 x0.25");
    ASSERT_EQ(sales::btnFreePriceClick(screen, {}), 1);
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColQty), QStringLiteral("0.250"));
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColSum), QStringLiteral("37.50"));
}

// A receipt with a weighed row 1, a piece row 2, a free-price row 3 and a
// marked weighed row 4.
sales::PlainEntryScreen receiptToWeigh() {
    sales::PlainEntryScreen s;
    ReceiptModel& m = s.model;
    auto row = [&m](int r, const char* kind, const char* qty, const char* markType) {
        while (m.rowCount() <= r) m.appendRow();
        m.setCell(r, ReceiptModel::ColStatus, QStringLiteral("A"));
        m.setCell(r, ReceiptModel::ColId, kind[0] ? QString::number(r) : QString());
        m.setCell(r, ReceiptModel::ColKind, QString::fromLatin1(kind));
        m.setCell(r, ReceiptModel::ColQty, QString::fromLatin1(qty));
        m.setAttr(r, ReceiptModel::AttrBasePrice, QStringLiteral("100.00"));
        m.setAttr(r, ReceiptModel::AttrMarkType, QString::fromLatin1(markType));
    };
    row(1, "W", "1.000", "0");
    row(2, "P", "1", "0");
    row(3, "", "1", "0");
    row(4, "W", "1.000", "13");
    s.receiptChanged(0);
    return s;
}

TEST(Weighing, OnlyActiveUnmarkedWeighedOrFreePriceRowsTakeAWeight) {
    sales::PlainEntryScreen s = receiptToWeigh();
    EXPECT_TRUE(sales::rowCanBeWeighed(s.model, 1));
    EXPECT_FALSE(sales::rowCanBeWeighed(s.model, 2));
    EXPECT_TRUE(sales::rowCanBeWeighed(s.model, 3));
    EXPECT_FALSE(sales::rowCanBeWeighed(s.model, 4));
    EXPECT_FALSE(sales::rowCanBeWeighed(s.model, 5));
    s.model.setCell(1, ReceiptModel::ColStatus, QStringLiteral("E"));
    EXPECT_FALSE(sales::rowCanBeWeighed(s.model, 1));
}

TEST(Weighing, TheScaleAnswerDecidesWhatHappens) {
    struct Case {
        int row;
        ScaleReading reading;
        sales::WeighOutcome outcome;
        QString qty;        // column 6 of the row afterwards
        bool scaleShownOff;
    };
    using O = sales::WeighOutcome;
    const Case cases[] = {
        {1, {1234, ScaleReadError::None}, O::Weighed, QStringLiteral("1.234"), false},
        {3, {500, ScaleReadError::None}, O::Weighed, QStringLiteral("0.500"), false},
        {3, {2000, ScaleReadError::None}, O::Weighed, QStringLiteral("2"), false},
        {1, {0, ScaleReadError::None}, O::NoWeight, QStringLiteral("1.000"), false},
        {1, {-20, ScaleReadError::None}, O::NoWeight, QStringLiteral("1.000"), false},
        {2, {1234, ScaleReadError::None}, O::NotWeighable, QStringLiteral("1"), false},
        {4, {1234, ScaleReadError::None}, O::NotWeighable, QStringLiteral("1.000"), false},
        {1, {std::nullopt, ScaleReadError::Timeout}, O::ScaleOff, QStringLiteral("1.000"), true},
        {1, {std::nullopt, ScaleReadError::InvalidAnswer}, O::ScaleOff, QStringLiteral("1.000"), true},
        {1, {std::nullopt, ScaleReadError::UnsupportedProtocol}, O::ScaleOff, QStringLiteral("1.000"), true},
        {1, {std::nullopt, ScaleReadError::NotConnected}, O::NotConnected, QStringLiteral("1.000"), false},
    };
    for (const Case& c : cases) {
        sales::PlainEntryScreen s = receiptToWeigh();
        s.current = c.row;
        s.scaleOn = true;
        int reads = 0;
        const O outcome = sales::btnScaleClick(s, [&] {
            ++reads;
            return c.reading;
        });
        EXPECT_EQ(outcome, c.outcome) << c.row;
        EXPECT_EQ(reads, c.outcome == O::NotWeighable ? 0 : 1) << c.row;
        EXPECT_EQ(s.model.cell(c.row, ReceiptModel::ColQty), c.qty) << c.row;
        EXPECT_EQ(s.scaleOn, !c.scaleShownOff) << c.row;
    }
}

TEST(Weighing, AWeightWhoseSumIsBeyondWhatCanBeStoredIsRefused) {
    testsupport::FakeMessages messages;
    sales::PlainEntryScreen s = receiptToWeigh();
    s.model.setAttr(1, ReceiptModel::AttrBasePrice, QStringLiteral("5000000.00"));
    s.receiptChanged(0);
    s.current = 1;
    s.scaleOn = true;
    const std::pair<int, sales::WeighOutcome> weights[] = {{2500, sales::WeighOutcome::TooLarge},
                                                           {1500, sales::WeighOutcome::Weighed}};
    for (const auto& [grams, outcome] : weights) {
        messages.clear();
        EXPECT_EQ(sales::btnScaleClick(s, [g = grams] { return ScaleReading{g, ScaleReadError::None}; }), outcome);
        EXPECT_EQ(messages.texts(), outcome == sales::WeighOutcome::TooLarge
                                        ? QStringList{sales::sumLimitText::kLineSumTooLarge}
                                        : QStringList{});
    }
    EXPECT_EQ(s.model.cell(1, ReceiptModel::ColQty), QStringLiteral("1.500"));
    EXPECT_EQ(s.model.cell(1, ReceiptModel::ColSum), QStringLiteral("7500000.00"));
}

TEST(Weighing, AWeightDropsDiscountsBySum) {
    sales::PlainEntryScreen s = receiptToWeigh();
    s.model.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("10"));
    s.model.setLineDiscount(1, QStringLiteral("S"), QStringLiteral("5"));
    s.model.setLineDiscount(3, QStringLiteral("S"), QStringLiteral("5"));
    const sales::WeightApplied r = sales::applyWeight(s.model, 1, 2500);
    EXPECT_TRUE(r.written);
    EXPECT_TRUE(r.receiptDiscountDropped);
    EXPECT_EQ(s.model.receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(s.model.lineDiscountKind(1), QLatin1Char('N'));
    EXPECT_EQ(s.model.lineDiscountKind(3), QLatin1Char('S'));  // another row keeps its own

    // A percent discount still fits any amount and stays.
    s.model.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("10"));
    EXPECT_FALSE(sales::applyWeight(s.model, 1, 1000).receiptDiscountDropped);
    EXPECT_EQ(s.model.receiptDiscountKind(), QLatin1Char('P'));
}

}  // namespace
