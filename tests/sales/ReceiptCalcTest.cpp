#include "sales/receipt/ReceiptCalc.h"

#include "ReceiptTestRows.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace sales;
using sales::testing::addRow;
using sales::testing::RowSpec;

namespace {

const ReceiptContext kSale{QStringLiteral("ПРИХОД"), false};

struct Expected {
    const char* price;
    const char* qty;
    const char* sum;
    const char* discount;
};

struct ArithmeticCase {
    const char* name;
    std::vector<RowSpec> rows;
    const char* receiptKind;
    const char* receiptValue;
    std::vector<Expected> expected;
    const char* total;
    const char* discountTotal;
    int layout;
};

RowSpec row(const char* price, const char* qty, const char* kind = "P", const char* discKind = "N",
            const char* discValue = "") {
    static int id = 100;
    return RowSpec{QString::number(++id), QString::fromLatin1(kind), QString::fromLatin1(price),
                   QString::fromLatin1(qty), QString::fromLatin1(discKind), QString::fromLatin1(discValue)};
}

ReceiptModel build(const std::vector<RowSpec>& rows, const char* kind, const char* value) {
    ReceiptModel m;
    for (const auto& r : rows) addRow(m, r);
    m.setReceiptDiscount(QString::fromLatin1(kind), QString::fromLatin1(value));
    return m;
}

}  // namespace

TEST(ReceiptTotals, RecalcTable) {
    const ArithmeticCase cases[] = {
        {"line sum discount spreads over the unit price",
         {row("10.00", "3", "P", "S", "1.00")}, "N", "0",
         {{"9.67", "3", "29.01", "0.99"}}, "29.01", "0.99", 6},
        {"receipt sum discount in proportion to the lines",
         {row("10.00", "1"), row("20.00", "1")}, "S", "29.00",
         {{"0.33", "1", "0.33", "9.67"}, {"0.67", "1", "0.67", "19.33"}}, "1.00", "29.00", 6},
        {"receipt sum discount just inside the tolerance",
         {row("10.00", "3")}, "S", "29.98",
         {{"0.01", "3", "0.03", "29.97"}}, "0.03", "29.97", 6},
        {"receipt percent replaces line discounts",
         {row("10.00", "3", "P", "S", "1.00"), row("5.00", "2", "P", "P", "50")}, "P", "10",
         {{"9.00", "3", "27.00", "3.00"}, {"4.50", "2", "9.00", "1.00"}}, "36.00", "4.00", 6},
        {"no receipt discount brings line discounts back",
         {row("10.00", "3", "P", "S", "1.00"), row("5.00", "2", "P", "P", "50")}, "N", "",
         {{"9.67", "3", "29.01", "0.99"}, {"2.50", "2", "5.00", "5.00"}}, "34.01", "5.99", 6},
        {"half a kopeck rounds up", {row("0.01", "0.5", "W")}, "N", "0",
         {{"0.01", "0.500", "0.01", ""}}, "0.01", "0.00", 5},
        {"2.50 x 0.105 kg", {row("2.50", "0.105", "W")}, "N", "0",
         {{"2.50", "0.105", "0.26", ""}}, "0.26", "0.00", 5},
        {"1.005 rounds to 1.01", {row("2.01", "0.500", "W")}, "N", "0",
         {{"2.01", "0.500", "1.01", ""}}, "1.01", "0.00", 5},
        {"percent unit price is rounded before the sum", {row("3.33", "3", "P", "P", "15")}, "N", "0",
         {{"2.83", "3", "8.49", "1.50"}}, "8.49", "1.50", 6},
        {"zero discounts keep the five-column layout",
         {row("4.00", "1", "P", "P", "0"), row("6.00", "1", "P", "S", "0")}, "N", "0",
         {{"4.00", "1", "4.00", "0.00"}, {"6.00", "1", "6.00", "0.00"}}, "10.00", "0.00", 5},
        {"quantity texts follow the unit kind",
         {row("1", "0.5", "W"), row("1.5", "2.000", "P")}, "N", "0",
         {{"1.00", "0.500", "0.50", ""}, {"1.50", "2", "3.00", ""}}, "3.50", "0.00", 5},
        {"rows with nothing sold count as zero",
         {row("10.00", "0", "P", "S", "5.00"), row("7.00", "-1", "P", "P", "10"), row("3.00", "x", "P")}, "N", "0",
         {{"10.00", "0", "0.00", ""}, {"7.00", "-1", "0.00", ""}, {"3.00", "x", "0.00", ""}}, "0.00", "0.00", 5},
        {"receipt sum discount skips rows with nothing sold",
         {row("10.00", "0"), row("20.00", "1")}, "S", "10.00",
         {{"10.00", "0", "0.00", ""}, {"10.00", "1", "10.00", "10.00"}}, "10.00", "10.00", 6},
        {"catalogue price with three decimals is multiplied exactly", {row("12.345", "3")}, "N", "0",
         {{"12.35", "3", "37.04", ""}}, "37.04", "0.00", 5},
        {"line sum discount from an exact line of 37.035", {row("12.345", "3", "P", "S", "1.00")}, "N", "0",
         {{"12.01", "3", "36.03", "1.01"}}, "36.03", "1.01", 6},
        {"unknown receipt discount kind touches no row", {row("10.00", "1")}, "X", "5",
         {{"10.00", "1", "", ""}}, "0.00", "0.00", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptModel m = build(c.rows, c.receiptKind, c.receiptValue);
        const RecalcResult res = RecalcReceipt(m, kSale);
        ASSERT_TRUE(res.ok());
        ASSERT_EQ(m.dataRowCount(), int(c.expected.size()));
        for (int r = 1; r <= m.dataRowCount(); ++r) {
            const Expected& e = c.expected[r - 1];
            EXPECT_EQ(m.cell(r, ReceiptModel::ColPrice), QString::fromLatin1(e.price)) << "row " << r;
            EXPECT_EQ(m.cell(r, ReceiptModel::ColQty), QString::fromLatin1(e.qty)) << "row " << r;
            EXPECT_EQ(m.cell(r, ReceiptModel::ColSum), QString::fromLatin1(e.sum)) << "row " << r;
            EXPECT_EQ(m.cell(r, ReceiptModel::ColDiscount), QString::fromLatin1(e.discount)) << "row " << r;
        }
        EXPECT_EQ(res.totalText, QString::fromLatin1(c.total) + QLatin1Char(' '));
        EXPECT_EQ(res.discountText, QString::fromLatin1(c.discountTotal));
        EXPECT_EQ(res.layout, c.layout);
        EXPECT_EQ(m.layout(), c.layout);
        EXPECT_FALSE(res.discountButtonsEnabled.has_value());
    }
}

TEST(ReceiptTotals, RefusedDiscountLeavesTheReceiptExactlyAsItWas) {
    struct Case {
        const char* name;
        std::vector<RowSpec> rows;
        const char* startKind;   // receipt discount the receipt was last computed with
        const char* startValue;
        std::function<void(ReceiptModel&)> change;
        ReceiptMessageId message;
    };
    const auto receipt = [](const char* kind, const char* value) {
        return [=](ReceiptModel& m) { m.setReceiptDiscount(QString::fromLatin1(kind), QString::fromLatin1(value)); };
    };
    const Case cases[] = {
        {"receipt sum equal to the total", {row("10.00", "3")}, "N", "0", receipt("S", "30.00"),
         ReceiptMessageId::DiscountNotAcceptable},
        {"receipt sum within a kopeck of the total", {row("10.00", "1"), row("20.00", "1")}, "N", "0",
         receipt("S", "29.99"), ReceiptMessageId::DiscountNotAcceptable},
        {"receipt sum above the total", {row("10.00", "1")}, "P", "5", receipt("S", "50"),
         ReceiptMessageId::DiscountNotAcceptable},
        {"negative receipt sum", {row("10.00", "1")}, "N", "0", receipt("S", "-5"),
         ReceiptMessageId::DiscountNotAcceptable},
        {"receipt sum on nothing sold", {row("10.00", "0")}, "N", "0", receipt("S", "0"),
         ReceiptMessageId::DiscountNotAcceptable},
        {"receipt percent of 100", {row("10.00", "1"), row("4.00", "2")}, "N", "0", receipt("P", "100"),
         ReceiptMessageId::PercentTooLarge},
        {"receipt percent above 100", {row("10.00", "1")}, "S", "1", receipt("P", "150"),
         ReceiptMessageId::PercentTooLarge},
        {"negative receipt percent", {row("10.00", "1")}, "N", "0", receipt("P", "-5"),
         ReceiptMessageId::DiscountNotAcceptable},
        {"receipt percent that is no number", {row("10.00", "1")}, "N", "0", receipt("P", "abc"),
         ReceiptMessageId::InvalidDataFormat},
        // Line discounts come back when the receipt discount goes; the first
        // line is recomputed before the second one refuses the pass.
        {"line sum too large once the receipt discount is dropped",
         {row("10.00", "1", "P", "P", "10"), row("5.00", "1", "P", "S", "5.00")}, "P", "20", receipt("N", ""),
         ReceiptMessageId::DiscountNotAcceptable},
        {"line percent of 100 once the receipt discount is dropped",
         {row("10.00", "1", "P", "P", "10"), row("5.00", "1", "P", "P", "100")}, "S", "1.00", receipt("N", ""),
         ReceiptMessageId::PercentTooLarge},
        {"unit price that is no number",
         {row("10.00", "1", "P", "P", "10"), row("5.00", "1")}, "P", "20",
         [](ReceiptModel& m) {
             m.setReceiptDiscount(QStringLiteral("N"), QString());
             m.setAttr(2, ReceiptModel::AttrBasePrice, QStringLiteral("5.0O"));
         },
         ReceiptMessageId::InvalidDataFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptModel m = build(c.rows, c.startKind, c.startValue);
        ASSERT_TRUE(RecalcReceipt(m, kSale).ok());  // the receipt as the cashier last saw it
        c.change(m);
        const ReceiptModel before = m;
        const auto revision = m.revision();

        const RecalcResult res = RecalcReceipt(m, kSale);
        EXPECT_EQ(res.code, 'D');
        EXPECT_FALSE(res.ok());
        ASSERT_TRUE(res.message.has_value());
        EXPECT_EQ(*res.message, c.message);
        EXPECT_TRUE(m.sameContent(before));
        EXPECT_EQ(m.revision(), revision);
        EXPECT_EQ(res.totalText, CalcReceiptTotal(before) + QLatin1Char(' '));
    }
}

TEST(ReceiptTotals, UndoingTheRefusedDiscountRestoresTheLineDiscounts) {
    ReceiptModel m = build({row("10.00", "3", "P", "S", "1.00")}, "N", "0");
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    const QString sum = m.cell(1, ReceiptModel::ColSum);
    m.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("30.00"));
    ASSERT_EQ(RecalcReceipt(m, kSale).code, 'D');
    m.setReceiptDiscount(QStringLiteral("N"), QString());
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    EXPECT_EQ(m.cell(1, ReceiptModel::ColSum), sum);
    EXPECT_EQ(sum, QStringLiteral("29.01"));
}

TEST(ReceiptTotals, EmptyReceiptResetsDiscountAndButtonsFollowTheKind) {
    struct Case {
        QString kind;
        bool enabled;
    } cases[] = {
        {QStringLiteral("ПРИХОД"), true},           {QStringLiteral("приход"), true},
        {QStringLiteral("РАСХОД"), false},          {QStringLiteral("ВОЗВРАТ ПРИХОДА"), false},
        {QStringLiteral("ВОЗВРАТ РАСХОДА"), false}, {QString(), false},
    };
    for (const auto& c : cases) {
        ReceiptModel m;
        m.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("5"));
        const RecalcResult res = RecalcReceipt(m, {c.kind, true});
        ASSERT_TRUE(res.ok()) << c.kind.toStdString();
        ASSERT_TRUE(res.discountButtonsEnabled.has_value());
        EXPECT_EQ(*res.discountButtonsEnabled, c.enabled) << c.kind.toStdString();
        EXPECT_EQ(m.receiptDiscountKind(), QLatin1Char('N'));
        EXPECT_EQ(m.receiptDiscountValue(), QStringLiteral("0"));
        EXPECT_EQ(res.totalText, QStringLiteral("0.00 "));
        EXPECT_EQ(res.layout, 5);  // no positions: never the return layout
    }
}

TEST(ReceiptTotals, InactiveRowsAreLeftOutOfEverySum) {
    ReceiptModel m = build({row("10.00", "1"), row("20.00", "1"), row("40.00", "1")}, "N", "0");
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    m.setCell(2, ReceiptModel::ColStatus, QStringLiteral("D"));
    m.setCell(3, ReceiptModel::ColStatus, QStringLiteral(" E "));
    m.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("5.00"));
    const RecalcResult res = RecalcReceipt(m, kSale);
    ASSERT_TRUE(res.ok());
    EXPECT_EQ(res.totalText, QStringLiteral("5.00 "));
    EXPECT_EQ(m.cell(1, ReceiptModel::ColPosNo), QStringLiteral("1"));
    EXPECT_EQ(m.cell(2, ReceiptModel::ColPosNo), QString());
    EXPECT_EQ(m.cell(2, ReceiptModel::ColSum), QStringLiteral("20.00"));  // untouched
    EXPECT_EQ(calcReceiptSumNoDiscount(m).toString(), QStringLiteral("10.00"));
}

TEST(ReceiptTotals, SumWithoutDiscountRoundsOnlyAtTheEnd) {
    // 1.005 + 1.005 = 2.01; rounding each line first would give 2.02.
    ReceiptModel m = build({row("2.01", "0.500", "W", "P", "10"), row("2.01", "0.500", "W")}, "N", "0");
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    EXPECT_EQ(CalcReceiptSumNoDiscount(m), QStringLiteral("2.01"));
    EXPECT_EQ(CalcReceiptTotal(m), QStringLiteral("1.92"));  // round2(1.81 * 0.5) + 1.01

    // The unit price is not rounded before it is multiplied: 12.345 x 3 = 37.035.
    ReceiptModel exact = build({row("12.345", "3")}, "N", "0");
    EXPECT_EQ(CalcReceiptSumNoDiscount(exact), QStringLiteral("37.04"));
    ASSERT_TRUE(exact.basePriceExact(1).has_value());
    EXPECT_EQ(*exact.basePriceExact(1), Rational(12345, 1000));
}

TEST(ReceiptTotals, ApplyDiscountPercentTable) {
    struct Case {
        const char* price;
        const char* percent;
        const char* normalised;
        const char* result;
        std::optional<ReceiptMessageId> message;
    } cases[] = {
        {"10,00", "15", "10.00", "8.50", std::nullopt},
        {" 3.33 ", "15", "3.33", "2.83", std::nullopt},
        {"0.10", "5", "0.10", "0.10", std::nullopt},  // 0.095 goes up
        {"99.99", "0", "99.99", "99.99", std::nullopt},
        {"12.5", "12.5", "12.5", "10.94", std::nullopt},
        {"10.00", "100", "10.00", "10.00", ReceiptMessageId::PercentTooLarge},
        {"10.00", "99.999", "10.00", "0.00", std::nullopt},
        {"abc", "5", "abc", "abc", ReceiptMessageId::InvalidDataFormat},
    };
    for (const auto& c : cases) {
        QString price = QString::fromLatin1(c.price);
        std::optional<ReceiptMessageId> message;
        const QString result = ApplyDiscountPercent(price, *Percent::parse(QString::fromLatin1(c.percent)), &message);
        EXPECT_EQ(result, QString::fromLatin1(c.result)) << c.price << " - " << c.percent;
        EXPECT_EQ(price, QString::fromLatin1(c.normalised)) << c.price;
        EXPECT_EQ(message, c.message) << c.price << " - " << c.percent;
    }
}

TEST(ReceiptLayout, ReturnToLegalEntityShowsCountryAndCustoms) {
    struct Case {
        const char* kind;
        bool legalEntity;
        bool withDiscount;
        int layout;
    } cases[] = {
        {"ВОЗВРАТ ПРИХОДА", true, false, 7}, {"возврат прихода", true, true, 7},
        {"ВОЗВРАТ ПРИХОДА", false, true, 6}, {"ПРИХОД", true, false, 5},
        {"ПРИХОД", true, true, 6},
    };
    for (const auto& c : cases) {
        ReceiptModel m = build({row("10.00", "1", "P", c.withDiscount ? "S" : "N", c.withDiscount ? "1" : "")},
                               "N", "0");
        const RecalcResult res = RecalcReceipt(m, {QString::fromUtf8(c.kind), c.legalEntity});
        EXPECT_EQ(res.layout, c.layout) << c.kind << " " << c.legalEntity;
    }
}

TEST(ReceiptLayout, NameColumnTakesUpTheSlack) {
    for (int layout : {5, 6}) {
        for (int width : {800, 1023, 1366, 7}) {
            const GridLayout g = SetGoodsGridLayout(layout, width);
            int total = 0;
            for (int w : g.widths) total += w;
            EXPECT_EQ(total, width) << layout << " @ " << width;
            EXPECT_TRUE(g.rangeSelection);
            EXPECT_FALSE(g.horizontalScrollBar);
            for (int hidden : {0, 1, 2, 9, 10, 11}) EXPECT_EQ(g.widths[hidden], 0);
            EXPECT_EQ(g.widths[ReceiptModel::ColDiscount] > 0, layout == 6);
        }
    }
    const GridLayout wide = SetGoodsGridLayout(7, 1000);
    EXPECT_FALSE(wide.rangeSelection);
    EXPECT_TRUE(wide.horizontalScrollBar);
    EXPECT_EQ(wide.widths[ReceiptModel::ColCustoms], 450);
    EXPECT_EQ(wide.widths[ReceiptModel::ColCountry], 120);
    EXPECT_EQ(wide.widths[ReceiptModel::ColDiscount], 0);
}
