#include "Value.h"

#include "Error.h"

#include <cmath>

namespace fb {

namespace {
std::int64_t pow10(int n) {
    std::int64_t r = 1;
    for (int i = 0; i < n; ++i) r *= 10;
    return r;
}

std::int64_t rescale(std::int64_t value, int from, int to) {
    if (from == to) return value;
    if (to > from) return value * pow10(to - from);
    const std::int64_t div = pow10(from - to);
    const std::int64_t q = value / div;
    const std::int64_t r = value % div;
    if (2 * std::abs(r) >= div) return value < 0 ? q - 1 : q + 1;
    return q;
}
}  // namespace

bool isNull(const Value& v) { return std::holds_alternative<Null>(v); }

QString formatScaled(std::int64_t value, int scale) {
    if (scale <= 0) return QString::number(value);
    const bool neg = value < 0;
    const std::uint64_t abs = neg ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
    const std::uint64_t div = static_cast<std::uint64_t>(pow10(scale));
    QString s = QString::number(abs / div) + QLatin1Char('.') +
                QString::number(abs % div).rightJustified(scale, QLatin1Char('0'));
    return neg ? QLatin1Char('-') + s : s;
}

std::optional<std::int64_t> parseScaled(const QString& text, int scale) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool neg = false;
    int i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) {
        neg = t[0] == QLatin1Char('-');
        i = 1;
    }
    std::int64_t whole = 0;
    std::int64_t frac = 0;
    int fracDigits = 0;
    bool anyDigit = false;
    bool seenPoint = false;
    int extra = -1;  // first digit beyond the scale, for rounding
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('.')) {
            if (seenPoint) return std::nullopt;
            seenPoint = true;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
        anyDigit = true;
        const int d = c.unicode() - '0';
        if (!seenPoint) {
            if (whole > (INT64_MAX - d) / 10) return std::nullopt;
            whole = whole * 10 + d;
        } else if (fracDigits < scale) {
            frac = frac * 10 + d;
            ++fracDigits;
        } else if (extra < 0) {
            extra = d;
        }
    }
    if (!anyDigit) return std::nullopt;
    for (; fracDigits < scale; ++fracDigits) frac *= 10;
    // A number that does not fit is refused, never wrapped into another one.
    const std::int64_t rest = frac + (extra >= 5 ? 1 : 0);
    if (whole > (INT64_MAX - rest) / pow10(scale)) return std::nullopt;
    const std::int64_t v = whole * pow10(scale) + rest;
    return neg ? -v : v;
}

QString toString(const Value& v) {
    struct V {
        QString operator()(const Null&) const { return {}; }
        QString operator()(std::int64_t x) const { return QString::number(x); }
        QString operator()(double x) const { return QString::number(x, 'g', 15); }
        QString operator()(const Decimal& d) const { return formatScaled(d.value, d.scale); }
        QString operator()(const QString& s) const { return s; }
        QString operator()(const QDate& d) const { return d.toString(QStringLiteral("dd.MM.yyyy")); }
        QString operator()(const QTime& t) const { return t.toString(QStringLiteral("HH:mm:ss")); }
        QString operator()(const QDateTime& t) const { return t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); }
        QString operator()(const QByteArray& b) const { return QString::fromLatin1(b); }
    };
    return std::visit(V{}, v);
}

std::optional<std::int64_t> toScaled(const Value& v, int scale) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return rescale(*i, 0, scale);
    if (const auto* d = std::get_if<Decimal>(&v)) return rescale(d->value, d->scale, scale);
    if (const auto* f = std::get_if<double>(&v)) return static_cast<std::int64_t>(std::llround(*f * pow10(scale)));
    if (const auto* s = std::get_if<QString>(&v)) return parseScaled(*s, scale);
    return std::nullopt;
}

std::optional<std::int64_t> toInt64(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* d = std::get_if<Decimal>(&v)) return d->value / pow10(d->scale);
    if (const auto* f = std::get_if<double>(&v)) return static_cast<std::int64_t>(*f);
    if (const auto* s = std::get_if<QString>(&v)) {
        const auto scaled = parseScaled(*s, 0);
        if (!scaled) return std::nullopt;
        // "12.7" as an integer is 12, like a cast that truncates.
        const QString t = s->trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const qlonglong whole = t.section(QLatin1Char('.'), 0, 0).toLongLong(&ok);
        return ok ? std::optional<std::int64_t>(whole) : scaled;
    }
    return std::nullopt;
}

std::optional<double> toDouble(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<Decimal>(&v)) return static_cast<double>(d->value) / pow10(d->scale);
    if (const auto* f = std::get_if<double>(&v)) return *f;
    if (const auto* s = std::get_if<QString>(&v)) {
        QString t = s->trimmed();
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double x = t.toDouble(&ok);
        return ok ? std::optional<double>(x) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QDate> toDate(const Value& v) {
    if (const auto* d = std::get_if<QDate>(&v)) return *d;
    if (const auto* t = std::get_if<QDateTime>(&v)) return t->date();
    return std::nullopt;
}

std::optional<QTime> toTime(const Value& v) {
    if (const auto* t = std::get_if<QTime>(&v)) return *t;
    if (const auto* t = std::get_if<QDateTime>(&v)) return t->time();
    return std::nullopt;
}

const Value& Row::at(int index) const {
    if (index < 0 || index >= size()) throwUsage(QStringLiteral("Нет столбца с номером %1").arg(index));
    return values_[static_cast<size_t>(index)];
}

int Row::indexOf(const QString& column) const {
    if (!names_) return -1;
    const QString up = column.toUpper();
    for (int i = 0; i < names_->size(); ++i)
        if (names_->at(i) == up) return i;
    return -1;
}

const Value& Row::operator[](const QString& column) const {
    const int i = indexOf(column);
    if (i < 0) throwUsage(QStringLiteral("Нет столбца %1").arg(column));
    return values_[static_cast<size_t>(i)];
}

const QStringList& Row::names() const {
    static const QStringList empty;
    return names_ ? *names_ : empty;
}

}  // namespace fb
