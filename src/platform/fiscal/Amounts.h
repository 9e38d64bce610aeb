#pragma once
// Sums and quantities inside the register are integers: kopecks (2 decimals)
// and thousandths (3 decimals). Callers may give them as numbers or as text.
#include <QString>
#include <QVariant>

#include <optional>

namespace fiscal {

// "12.5", "12,50", 12.5 or 12 as a count of 10^-decimals units, halves away
// from zero; nullopt for absent, empty or malformed values.
std::optional<qint64> toScaled(const QVariant& value, int decimals);

// A whole number given as number or text ("33"); nullopt otherwise.
std::optional<int> toWholeNumber(const QVariant& value);

// 1250, 2 -> "12.50"
QString formatScaled(qint64 value, int decimals);

// Price (kopecks) times quantity (thousandths), in kopecks, halves away from zero.
qint64 lineSum(qint64 price, qint64 quantity);

}  // namespace fiscal
