#include "sales/receipt/Money.h"

#include <cmath>
#include <limits>

namespace sales {

namespace {

using Int = Rational::Int;

Int absInt(Int v) { return v < 0 ? -v : v; }

Int gcdInt(Int a, Int b) {
    a = absInt(a);
    b = absInt(b);
    while (b != 0) {
        const Int t = a % b;
        a = b;
        b = t;
    }
    return a;
}

Int pow10(int n) {
    Int p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// Beyond these a cell is not a sane receipt value; refusing it keeps every
// intermediate product well inside 128 bits.
constexpr int kMaxIntegerDigits = 15;
constexpr int kMaxFractionDigits = 12;

}  // namespace

Rational::Rational(Int numerator, Int denominator) {
    if (denominator == 0) {
        num_ = 0;
        den_ = 1;
        return;
    }
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    const Int g = gcdInt(numerator, denominator);
    num_ = g > 1 ? numerator / g : numerator;
    den_ = g > 1 ? denominator / g : denominator;
}

Rational Rational::fromScaled(std::int64_t value, int scale) {
    return scale >= 0 ? Rational(value, pow10(scale)) : Rational(Int(value) * pow10(-scale), 1);
}

std::optional<Rational> Rational::parse(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        negative = t[0] == QLatin1Char('-');
        i = 1;
    }
    Int digits = 0;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c == u'.' || c == u',') {
            if (point) return std::nullopt;
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9') return std::nullopt;
        if (point) {
            if (++fractionDigits > kMaxFractionDigits) return std::nullopt;
        } else if (digits != 0 || c != u'0') {
            if (++integerDigits > kMaxIntegerDigits) return std::nullopt;
        }
        digits = digits * 10 + (c - u'0');
    }
    // At least one digit: "." or "-" alone is no number.
    if (integerDigits == 0 && fractionDigits == 0) {
        bool anyZero = false;
        for (const QChar ch : t) anyZero = anyZero || ch == QLatin1Char('0');
        if (!anyZero) return std::nullopt;
    }
    return Rational(negative ? -digits : digits, pow10(fractionDigits));
}

namespace {

// Beyond every 64-bit amount and far inside 128 bits: where an exact result
// would not fit in 128 bits, a value at least this large stands for it.
const Int kHugeMagnitude = pow10(36);

long double approx(Int num, Int den) { return static_cast<long double>(num) / static_cast<long double>(den); }

// A result 128-bit terms cannot hold exactly: huge values are held at
// kHugeMagnitude (they are refused wherever an amount is checked), large
// ones to the unit, others to eighteen decimals, far below the kopeck and
// the gram.
Rational nearest(long double v) {
    const long double magnitude = std::fabs(v);
    if (magnitude >= static_cast<long double>(kHugeMagnitude))
        return Rational(v < 0 ? -kHugeMagnitude : kHugeMagnitude);
    if (magnitude >= 1e18L) return Rational(static_cast<Int>(std::nearbyint(v)));
    const Int scale = pow10(18);
    return Rational(static_cast<Int>(std::nearbyint(v * static_cast<long double>(scale))), scale);
}

}  // namespace

Rational operator+(const Rational& a, const Rational& b) {
    if (a.den_ == b.den_) {
        Int sum = 0;
        if (!__builtin_add_overflow(a.num_, b.num_, &sum)) return Rational(sum, a.den_);
    } else {
        Int l = 0, r = 0, sum = 0, den = 0;
        if (!__builtin_mul_overflow(a.num_, b.den_, &l) && !__builtin_mul_overflow(b.num_, a.den_, &r) &&
            !__builtin_add_overflow(l, r, &sum) && !__builtin_mul_overflow(a.den_, b.den_, &den))
            return Rational(sum, den);
    }
    return nearest(approx(a.num_, a.den_) + approx(b.num_, b.den_));
}

Rational operator-(const Rational& a, const Rational& b) { return a + (-b); }

Rational operator*(const Rational& a, const Rational& b) {
    // Cross-reduce first so the products stay small.
    const Int g1 = gcdInt(a.num_, b.den_);
    const Int g2 = gcdInt(b.num_, a.den_);
    const Int n1 = g1 > 1 ? a.num_ / g1 : a.num_;
    const Int d2 = g1 > 1 ? b.den_ / g1 : b.den_;
    const Int n2 = g2 > 1 ? b.num_ / g2 : b.num_;
    const Int d1 = g2 > 1 ? a.den_ / g2 : a.den_;
    Int num = 0, den = 0;
    if (!__builtin_mul_overflow(n1, n2, &num) && !__builtin_mul_overflow(d1, d2, &den)) return Rational(num, den);
    return nearest(approx(a.num_, a.den_) * approx(b.num_, b.den_));
}

Rational operator/(const Rational& a, const Rational& b) {
    if (b.num_ == 0) return Rational();
    return a * Rational(b.den_, b.num_);
}

std::strong_ordering operator<=>(const Rational& a, const Rational& b) {
    Int l = 0, r = 0;
    if (__builtin_mul_overflow(a.num_, b.den_, &l) || __builtin_mul_overflow(b.num_, a.den_, &r)) {
        const long double x = approx(a.num_, a.den_), y = approx(b.num_, b.den_);
        if (x < y) return std::strong_ordering::less;
        if (x > y) return std::strong_ordering::greater;
        return std::strong_ordering::equal;
    }
    if (l < r) return std::strong_ordering::less;
    if (l > r) return std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

// A 128-bit result in 64 bits: beyond the range it stays at the nearest
// end, so a sum too large for any column reads as too large, never as
// whatever its low bits happen to be.
std::int64_t saturate(Int v) {
    if (v > Int(kInt64Max)) return kInt64Max;
    if (v < Int(kInt64Min)) return kInt64Min;
    return static_cast<std::int64_t>(v);
}

// Whether |num / den| * 10^scale reaches 2^63 - 1: what no 64-bit result
// holds, decided without a product that could overflow.
bool beyondInt64(Int num, Int den, int scale) {
    return absInt(num) / den >= Int(kInt64Max) / pow10(scale);
}

// num * factor + addend when 128 bits hold every step.
std::optional<Int> exactScaled(Int num, Int factor, Int addend) {
    Int v = 0;
    if (__builtin_mul_overflow(num, factor, &v) || __builtin_add_overflow(v, addend, &v)) return std::nullopt;
    return v;
}

// num / den * 10^scale in extended precision, for the rare fraction whose
// terms are too long to scale exactly (a denominator beyond 10^19 after
// several products). Such a fraction is never exactly half a unit of the
// scale (that takes a denominator dividing 2 * 10^scale), so the rounding
// direction it needs is what the extended value shows.
long double approxScaled(Int num, Int den, int scale) {
    return static_cast<long double>(num) / static_cast<long double>(den) * static_cast<long double>(pow10(scale));
}

Int wholePart(long double v) { return static_cast<Int>(std::trunc(v)); }

}  // namespace

std::int64_t Rational::roundHalfUp(int scale) const {
    if (beyondInt64(num_, den_, scale)) return num_ < 0 ? kInt64Min : kInt64Max;
    // Trunc(n/d * 10^s + 1/2) = Trunc((2 n 10^s + d) / (2 d)); C++ division
    // truncates toward zero, as Trunc does.
    if (den_ <= std::numeric_limits<Int>::max() / 2)
        if (const auto twice = exactScaled(num_, 2 * pow10(scale), den_)) return saturate(*twice / (2 * den_));
    return saturate(wholePart(approxScaled(num_, den_, scale) + 0.5L));
}

std::int64_t Rational::roundHalfAwayFromZero(int scale) const {
    if (beyondInt64(num_, den_, scale)) return num_ < 0 ? kInt64Min : kInt64Max;
    Int magnitude = 0;
    if (const auto twice = den_ <= std::numeric_limits<Int>::max() / 2
                               ? exactScaled(absInt(num_), 2 * pow10(scale), den_)
                               : std::nullopt)
        magnitude = *twice / (2 * den_);
    else
        magnitude = wholePart(std::fabs(approxScaled(num_, den_, scale)) + 0.5L);
    return saturate(num_ < 0 ? -magnitude : magnitude);
}

std::int64_t Rational::truncated(int scale) const {
    if (beyondInt64(num_, den_, scale)) return num_ < 0 ? kInt64Min : kInt64Max;
    if (const auto scaled = exactScaled(num_, pow10(scale), 0)) return saturate(*scaled / den_);
    return saturate(wholePart(approxScaled(num_, den_, scale)));
}

QString formatScaled(std::int64_t value, int decimals) {
    const bool negative = value < 0;
    // Work in unsigned so the most negative value formats too.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::uint64_t p = 1;
    for (int i = 0; i < decimals; ++i) p *= 10;
    QString text = QString::number(magnitude / p);
    if (decimals > 0) {
        text += QLatin1Char('.');
        text += QStringLiteral("%1").arg(magnitude % p, decimals, 10, QLatin1Char('0'));
    }
    if (negative) text.prepend(QLatin1Char('-'));
    return text;
}

namespace {

std::optional<std::int64_t> parseToScale(const QString& text, int scale) {
    const auto r = Rational::parse(text);
    if (!r) return std::nullopt;
    return r->roundHalfAwayFromZero(scale);
}

}  // namespace

std::optional<Money> Money::parse(const QString& text) {
    const auto v = parseToScale(text, 2);
    if (!v) return std::nullopt;
    return Money{*v};
}

std::optional<Qty> Qty::parse(const QString& text) {
    const auto v = parseToScale(text, 3);
    if (!v) return std::nullopt;
    return Qty{*v};
}

Money Money::parseOr(const QString& text) { return parse(text).value_or(Money{}); }
Money Money::parseOr(const QString& text, Money fallback) { return parse(text).value_or(fallback); }
Qty Qty::parseOr(const QString& text) { return parse(text).value_or(Qty{}); }
Qty Qty::parseOr(const QString& text, Qty fallback) { return parse(text).value_or(fallback); }
Percent Percent::parseOr(const QString& text) { return parse(text).value_or(Percent{}); }
Percent Percent::parseOr(const QString& text, Percent fallback) { return parse(text).value_or(fallback); }

QString Qty::toWholeString() const { return QString::number(thousandths / 1000); }

std::optional<Percent> Percent::parse(const QString& text) {
    const auto v = parseToScale(text, kScale);
    if (!v) return std::nullopt;
    return Percent{*v};
}

QString Percent::toString() const {
    QString text = formatScaled(millionths, kScale);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

bool sameAmount(const Rational& a, const Rational& b, const Rational& tolerance) {
    const Rational diff = a - b;
    return (diff.sign() < 0 ? -diff : diff) <= tolerance;
}

bool isPositiveSum(Money m) { return m.kopecks > 0; }

}  // namespace sales
