#include "sales/receipt/Money.h"

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

Rational operator+(const Rational& a, const Rational& b) {
    if (a.den_ == b.den_) return Rational(a.num_ + b.num_, a.den_);
    return Rational(a.num_ * b.den_ + b.num_ * a.den_, a.den_ * b.den_);
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
    return Rational(n1 * n2, d1 * d2);
}

Rational operator/(const Rational& a, const Rational& b) {
    if (b.num_ == 0) return Rational();
    return a * Rational(b.den_, b.num_);
}

std::strong_ordering operator<=>(const Rational& a, const Rational& b) {
    const Int l = a.num_ * b.den_;
    const Int r = b.num_ * a.den_;
    if (l < r) return std::strong_ordering::less;
    if (l > r) return std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

std::int64_t Rational::roundHalfUp(int scale) const {
    // Trunc(n/d * 10^s + 1/2) = Trunc((2 n 10^s + d) / (2 d)); C++ division
    // truncates toward zero, as Trunc does.
    const Int p = pow10(scale);
    return static_cast<std::int64_t>((2 * num_ * p + den_) / (2 * den_));
}

std::int64_t Rational::roundHalfAwayFromZero(int scale) const {
    const Int p = pow10(scale);
    const Int twice = 2 * absInt(num_) * p;
    const Int magnitude = (twice + den_) / (2 * den_);
    return static_cast<std::int64_t>(num_ < 0 ? -magnitude : magnitude);
}

std::int64_t Rational::truncated(int scale) const {
    return static_cast<std::int64_t>(num_ * pow10(scale) / den_);
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
