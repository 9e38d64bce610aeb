#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

using namespace sales;

namespace {

Rational dec(const char* text) { return *Rational::parse(QString::fromLatin1(text)); }

}  // namespace

TEST(MoneyRounding, Round2AddsHalfThenTruncates) {
    struct Case {
        const char* value;
        std::int64_t kopecks;
    } cases[] = {
        {"0.005", 1},     {"1.005", 101},   {"0.004999", 0}, {"2.675", 268}, {"9.6666666", 967},
        {"29.01", 2901},  {"0", 0},         {"-0.005", 0},   {"-0.006", 0},  {"-0.015", -1},
        {"1000000.995", 100000100},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Money::round2(dec(c.value)).kopecks, c.kopecks) << c.value;
    }
}

TEST(MoneyRounding, ProductsOfPriceAndWeightAreExact) {
    // Binary floating point gets these wrong: 2.01 * 0.5 is 1.00499... there.
    struct Case {
        std::int64_t priceKopecks;
        std::int64_t qtyThousandths;
        std::int64_t sumKopecks;
    } cases[] = {
        {250, 105, 26},   // 0.2625
        {201, 500, 101},  // 1.005
        {1, 500, 1},      // 0.005
        {1005, 1000, 1005},
        {333, 3000, 999},
        {12345, 1234, 15234},  // 152.33733
    };
    for (const auto& c : cases) {
        const Money sum = Money::round2(Money{c.priceKopecks}.toRational() * Qty{c.qtyThousandths}.toRational());
        EXPECT_EQ(sum.kopecks, c.sumKopecks) << c.priceKopecks << " x " << c.qtyThousandths;
    }
}

TEST(MoneyRounding, FormattingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(Money::formatRounded(dec("0.125")).kopecks, 13);
    EXPECT_EQ(Money::formatRounded(dec("-0.125")).kopecks, -13);
    EXPECT_EQ(Money::formatRounded(dec("2.8305")).kopecks, 283);
}

TEST(MoneyParsing, ReadsTheTextsTheGridHolds) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> kopecks;
    } cases[] = {
        {"12.50", 1250}, {"12,5", 1250},    {" 3 ", 300},       {"0", 0},           {"0.", 0},
        {".5", 50},      {"-1.20", -120},   {"+7", 700},        {"1.005", 101},     {"-1.005", -101},
        {"", std::nullopt}, {"  ", std::nullopt}, {"abc", std::nullopt}, {"1.2.3", std::nullopt},
        {"1,2.3", std::nullopt}, {"-", std::nullopt}, {".", std::nullopt}, {"1e3", std::nullopt},
        {"12 50", std::nullopt}, {"1234567890123456", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto m = Money::parse(QString::fromLatin1(c.text));
        ASSERT_EQ(m.has_value(), c.kopecks.has_value()) << c.text;
        if (m) {
            EXPECT_EQ(m->kopecks, *c.kopecks) << c.text;
        }
    }
}

TEST(MoneyParsing, QuantitiesAndPercents) {
    EXPECT_EQ(Qty::parse(QStringLiteral("0.500"))->thousandths, 500);
    EXPECT_EQ(Qty::parse(QStringLiteral("0,5"))->thousandths, 500);
    EXPECT_EQ(Qty::parse(QStringLiteral("2"))->thousandths, 2000);
    EXPECT_EQ(Qty::parse(QStringLiteral("1.2345"))->thousandths, 1235);
    EXPECT_FALSE(Qty::parse(QStringLiteral("1/10")).has_value());
    EXPECT_EQ(Qty::parseOr(QStringLiteral("x")).thousandths, 0);
    EXPECT_EQ(Percent::parse(QStringLiteral("12.5"))->millionths, 12500000);
    EXPECT_EQ(Percent::parse(QStringLiteral("12.5"))->toString(), QStringLiteral("12.5"));
    EXPECT_EQ(Percent::whole(15).toString(), QStringLiteral("15"));
}

TEST(MoneyFormatting, DotSeparatorFixedDecimals) {
    EXPECT_EQ(Money{1250}.toString(), QStringLiteral("12.50"));
    EXPECT_EQ(Money{5}.toString(), QStringLiteral("0.05"));
    EXPECT_EQ(Money{-5}.toString(), QStringLiteral("-0.05"));
    EXPECT_EQ(Money{0}.toString(), QStringLiteral("0.00"));
    EXPECT_EQ(Money{INT64_MIN}.toString(), QStringLiteral("-92233720368547758.08"));
    EXPECT_EQ(Qty{500}.toWeightString(), QStringLiteral("0.500"));
    EXPECT_EQ(Qty{2468}.toWeightString(), QStringLiteral("2.468"));
}

TEST(MoneyFormatting, QuantityTextFollowsTheUnitKind) {
    struct Case {
        std::int64_t thousandths;
        const char* kind;
        const char* text;
    } cases[] = {
        {500, "W", "0.500"}, {2000, "W", "2.000"}, {2000, "P", "2"},     {1000, "P", "1"},
        {2500, "", "2.500"}, {3000, "", "3"},      {2500, "P", "2.500"}, {333, "X", "0.333"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quantityText(Qty{c.thousandths}, QString::fromLatin1(c.kind)), QString::fromLatin1(c.text))
            << c.thousandths << " " << c.kind;
    }
}

TEST(MoneyComparison, ToleranceIsInclusive) {
    const Rational cent(1, 100);
    EXPECT_TRUE(sameAmount(dec("10.00"), dec("10.01"), cent));
    EXPECT_TRUE(sameAmount(dec("10.01"), dec("10.00"), cent));
    EXPECT_FALSE(sameAmount(dec("10.00"), dec("10.011"), cent));
    EXPECT_TRUE(sameAmount(dec("12.5"), dec("12.501"), Rational(1, 1000)));
    EXPECT_FALSE(sameAmount(dec("12.5"), dec("12.502"), Rational(1, 1000)));
    EXPECT_FALSE(isPositiveSum(Money{0}));
    EXPECT_TRUE(isPositiveSum(Money{1}));
}

TEST(MoneyRational, DivisionByZeroIsZeroNotACrash) {
    EXPECT_TRUE((dec("5") / dec("0")).isZero());
    EXPECT_EQ(dec("1") / dec("3") * dec("3"), dec("1"));
}

TEST(MoneyRational, ResultsBeyondSixtyFourBitsStayAtTheEndOfTheRangeInsteadOfWrapping) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const Rational price = dec("18446744073709.562");
    const Rational huge = Rational(Rational::Int(1) << 100);
    const struct {
        const char* what;
        Rational value;
        std::int64_t halfUp;
        std::int64_t awayFromZero;
        std::int64_t truncated;
    } cases[] = {
        // 10000 x 18446744073709.562 in kopecks is about 1.8e19: it once
        // came out as 10384 (103.84).
        {"sum of 1.8e17 roubles", price * Rational(10000), kMax, kMax, kMax},
        {"its negative", -(price * Rational(10000)), kMin, kMin, kMin},
        {"2^100", huge, kMax, kMax, kMax},
        // A product whose exact terms no longer fit in 128 bits.
        {"2^100 squared", huge * huge, kMax, kMax, kMax},
        {"minus 2^100 squared", -(huge * huge), kMin, kMin, kMin},
        // Values that fit are exact as ever.
        {"1234567890123456.78", Rational(123456789012345678, 100), 123456789012345678, 123456789012345678,
         123456789012345678},
        {"1.005", dec("1.005"), 101, 101, 100},
        {"-1.005", dec("-1.005"), -100, -101, -100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.roundHalfUp(2), c.halfUp);
        EXPECT_EQ(c.value.roundHalfAwayFromZero(2), c.awayFromZero);
        EXPECT_EQ(c.value.truncated(2), c.truncated);
    }
    EXPECT_GT(Money::round2(price * Rational(10000)), Money::fromKopecks(999'999'999));
    EXPECT_GT(huge * huge, huge);
    EXPECT_LT(-(huge * huge), -huge);
}
