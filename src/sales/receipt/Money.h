#pragma once
// Exact receipt arithmetic. Money is a count of kopecks, a quantity a count of
// thousandths, a percent a count of millionths of a percent. Products and
// quotients are kept as exact fractions and rounded only where the receipt
// rules say so, so a half kopeck always rounds the same way (1.005 -> 1.01),
// which binary floating point cannot promise.
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace sales {

// An exact fraction with 128-bit terms, always reduced, denominator > 0. A
// sum or product whose exact terms would not fit in 128 bits (far beyond any
// receipt) is kept as near as extended precision allows, never wrapped.
class Rational {
public:
    using Int = __int128;

    constexpr Rational() = default;
    Rational(Int numerator, Int denominator = 1);
    // value * 10^-scale
    static Rational fromScaled(std::int64_t value, int scale);
    // "12.50", "12,5", " -3 ": exact; nullopt for empty or malformed text.
    static std::optional<Rational> parse(const QString& text);

    Int numerator() const { return num_; }
    Int denominator() const { return den_; }
    int sign() const { return num_ > 0 ? 1 : (num_ < 0 ? -1 : 0); }
    bool isZero() const { return num_ == 0; }

    friend Rational operator+(const Rational& a, const Rational& b);
    friend Rational operator-(const Rational& a, const Rational& b);
    friend Rational operator*(const Rational& a, const Rational& b);
    // Division by zero yields zero: callers guard their divisors, and a till
    // must not abort on a bad cell.
    friend Rational operator/(const Rational& a, const Rational& b);
    Rational operator-() const { return Rational(-num_, den_); }
    friend bool operator==(const Rational& a, const Rational& b) { return a.num_ == b.num_ && a.den_ == b.den_; }
    friend std::strong_ordering operator<=>(const Rational& a, const Rational& b);

    // The three roundings below never wrap: a result beyond 64 bits is the
    // largest (or, negative, the smallest) 64-bit value, which every limit
    // on an amount refuses.
    // The receipt's rounding rule: Trunc(x * 10^scale + 0.5), in 10^-scale units.
    // Halves go up; for negative x the truncation goes toward zero.
    std::int64_t roundHalfUp(int scale) const;
    // The rounding of fixed-point formatting: halves away from zero.
    std::int64_t roundHalfAwayFromZero(int scale) const;
    // Trunc(x * 10^scale).
    std::int64_t truncated(int scale) const;

private:
    Int num_ = 0;
    Int den_ = 1;
};

// Formats value * 10^-decimals with "." and exactly `decimals` digits.
QString formatScaled(std::int64_t value, int decimals);

struct Money {
    std::int64_t kopecks = 0;

    static constexpr Money fromKopecks(std::int64_t k) { return Money{k}; }
    // Text of a grid cell or setting: "." or "," separator; more than two
    // decimals round half away from zero. Empty or malformed text gives nullopt.
    static std::optional<Money> parse(const QString& text);
    static Money parseOr(const QString& text);  // 0 for empty or malformed text
    static Money parseOr(const QString& text, Money fallback);
    // round2(x) = Trunc(x * 100 + 0.5) / 100, x in roubles.
    static Money round2(const Rational& roubles) { return Money{roubles.roundHalfUp(2)}; }
    // x in roubles with two decimals as fixed-point formatting gives them.
    static Money formatRounded(const Rational& roubles) { return Money{roubles.roundHalfAwayFromZero(2)}; }

    Rational toRational() const { return Rational::fromScaled(kopecks, 2); }
    QString toString() const { return formatScaled(kopecks, 2); }  // "12.50"
    bool isZero() const { return kopecks == 0; }

    friend Money operator+(Money a, Money b) { return Money{a.kopecks + b.kopecks}; }
    friend Money operator-(Money a, Money b) { return Money{a.kopecks - b.kopecks}; }
    Money& operator+=(Money b) { kopecks += b.kopecks; return *this; }
    Money& operator-=(Money b) { kopecks -= b.kopecks; return *this; }
    friend auto operator<=>(const Money&, const Money&) = default;
};

struct Qty {
    std::int64_t thousandths = 0;

    static constexpr Qty fromThousandths(std::int64_t t) { return Qty{t}; }
    static constexpr Qty units(std::int64_t n) { return Qty{n * 1000}; }
    // "2", "0.500", "0,5"; more than three decimals round half away from zero.
    static std::optional<Qty> parse(const QString& text);
    static Qty parseOr(const QString& text);  // 0 for empty or malformed text
    static Qty parseOr(const QString& text, Qty fallback);

    Rational toRational() const { return Rational::fromScaled(thousandths, 3); }
    bool isWhole() const { return thousandths % 1000 == 0; }
    bool isPositive() const { return thousandths > 0; }
    QString toWeightString() const { return formatScaled(thousandths, 3); }  // "0.500"
    QString toWholeString() const;  // "2"; the whole part only

    friend Qty operator+(Qty a, Qty b) { return Qty{a.thousandths + b.thousandths}; }
    friend auto operator<=>(const Qty&, const Qty&) = default;
};

struct Percent {
    static constexpr int kScale = 6;
    std::int64_t millionths = 0;  // of one percent

    static constexpr Percent whole(std::int64_t p) { return Percent{p * 1000000}; }
    static std::optional<Percent> parse(const QString& text);
    static Percent parseOr(const QString& text);  // 0 for empty or malformed text
    static Percent parseOr(const QString& text, Percent fallback);

    Rational toRational() const { return Rational::fromScaled(millionths, kScale); }  // 12.5 for 12.5 %
    QString toString() const;  // shortest plain decimal, "12.5"

    friend auto operator<=>(const Percent&, const Percent&) = default;
};

// Two amounts are equal for the receipt when they differ by at most `tolerance`
// (0.01 for sums, 0.001 for unit prices).
bool sameAmount(const Rational& a, const Rational& b, const Rational& tolerance);
// A sum counts as positive above 0.009.
bool isPositiveSum(Money m);

}  // namespace sales
