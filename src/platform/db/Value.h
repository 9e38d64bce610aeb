#pragma once
// Values that cross the data layer. NULL is its own alternative; exact
// numbers (NUMERIC/DECIMAL) travel as scaled integers, never through double.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace fb {

struct Null {
    bool operator==(const Null&) const = default;
};

// value * 10^-scale, e.g. {1250, 2} is 12.50.
struct Decimal {
    std::int64_t value = 0;
    int scale = 0;
    bool operator==(const Decimal&) const = default;
};

using Value = std::variant<Null, std::int64_t, double, Decimal, QString, QDate, QTime, QDateTime, QByteArray>;

inline Value null() { return Null{}; }

// Readers of one value. Conversions follow what a cashier expects of the
// stored data: numbers in text read with "." or ",", empty text reads as
// absent (nullopt) for numbers.
bool isNull(const Value& v);
QString toString(const Value& v);                     // NULL -> "", decimals with "."
std::optional<std::int64_t> toInt64(const Value& v);  // decimals truncate toward zero
std::optional<double> toDouble(const Value& v);
// The value as an integer count of 10^-scale units, rounded half away from zero.
std::optional<std::int64_t> toScaled(const Value& v, int scale);
std::optional<QDate> toDate(const Value& v);
std::optional<QTime> toTime(const Value& v);

// Formats a scaled integer with "." and exactly `scale` decimals.
QString formatScaled(std::int64_t value, int scale);
// Parses "12.5", "12,50", " -3 " into 10^-scale units (half away from zero);
// nullopt for empty or malformed text.
std::optional<std::int64_t> parseScaled(const QString& text, int scale);

// One fetched row: column names (upper case, as the engine reports the alias)
// and values in select order.
class Row {
public:
    Row() = default;
    Row(std::shared_ptr<const QStringList> names, std::vector<Value> values)
        : names_(std::move(names)), values_(std::move(values)) {}

    int size() const { return static_cast<int>(values_.size()); }
    const Value& at(int index) const;
    const Value& operator[](const QString& column) const;  // throws Usage for an unknown column
    int indexOf(const QString& column) const;              // -1 when absent
    const QStringList& names() const;
    // For the statement that fills rows: reuses the storage of the last row.
    void reset(std::shared_ptr<const QStringList> names, std::vector<Value>&& values) {
        names_ = std::move(names);
        values_ = std::move(values);
    }
    std::vector<Value> takeValues() { return std::move(values_); }

    bool isNull(const QString& column) const { return fb::isNull((*this)[column]); }
    QString str(const QString& column) const { return toString((*this)[column]); }
    std::int64_t int64(const QString& column, std::int64_t fallback = 0) const {
        return toInt64((*this)[column]).value_or(fallback);
    }
    int integer(const QString& column, int fallback = 0) const {
        return static_cast<int>(toInt64((*this)[column]).value_or(fallback));
    }

private:
    std::shared_ptr<const QStringList> names_;
    std::vector<Value> values_;
};

}  // namespace fb
