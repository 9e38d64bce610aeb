#include "platform/fiscal/Amounts.h"

#include <QRegularExpression>

#include <cmath>

namespace fiscal {

namespace {

qint64 power10(int n) {
    qint64 p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

}  // namespace

std::optional<qint64> toScaled(const QVariant& value, int decimals) {
    const qint64 unit = power10(decimals);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong() * unit;
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 1e12) return std::nullopt;
        return std::llround(d * double(unit));
    }
    case QMetaType::QString: {
        static const QRegularExpression number(QStringLiteral("^(-?)(\\d+)(?:[.,](\\d*))?$"));
        const auto m = number.match(value.toString().trimmed());
        if (!m.hasMatch() || m.capturedLength(2) > 12) return std::nullopt;
        const QString fraction = m.captured(3);
        qint64 units = m.captured(2).toLongLong() * unit;
        if (decimals > 0) units += fraction.left(decimals).leftJustified(decimals, u'0').toLongLong();
        // More decimals than the register keeps round half away from zero,
        // as a number given as double would.
        if (fraction.size() > decimals && fraction.at(decimals) >= u'5') ++units;
        return m.captured(1).isEmpty() ? units : -units;
    }
    default:
        return std::nullopt;
    }
}

std::optional<int> toWholeNumber(const QVariant& value) {
    bool ok = false;
    int result = 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (d != std::floor(d) || std::fabs(d) > 2e9) return std::nullopt;
        return static_cast<int>(d);
    }
    case QMetaType::QString:
        result = value.toString().trimmed().toInt(&ok);
        break;
    default:
        result = value.toInt(&ok);
        break;
    }
    return ok ? std::optional<int>(result) : std::nullopt;
}

QString formatScaled(qint64 value, int decimals) {
    const qint64 unit = power10(decimals);
    const qint64 magnitude = value < 0 ? -value : value;
    QString text = QString::number(magnitude / unit);
    if (decimals > 0) text += u'.' + QString::number(magnitude % unit).rightJustified(decimals, u'0');
    return value < 0 ? u'-' + text : text;
}

qint64 lineSum(qint64 price, qint64 quantity) {
    const qint64 product = price * quantity;
    return product >= 0 ? (product + 500) / 1000 : -((-product + 500) / 1000);
}

}  // namespace fiscal
