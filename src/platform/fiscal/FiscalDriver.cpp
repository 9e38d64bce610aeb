#include "platform/fiscal/FiscalDriver.h"

namespace fiscal {

// Outputs are read with the caller's type whatever type the driver stored,
// as a late-bound automation object would convert them.

int IFiscalDriver::getParamInt(int id) const {
    const QVariant v = outputParam(id);
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().toInt();
    if (v.typeId() == QMetaType::Double) return static_cast<int>(v.toDouble());
    return v.toInt();
}

double IFiscalDriver::getParamDouble(int id) const {
    const QVariant v = outputParam(id);
    if (v.typeId() == QMetaType::QString) return v.toString().trimmed().replace(u',', u'.').toDouble();
    return v.toDouble();
}

QString IFiscalDriver::getParamString(int id) const {
    const QVariant v = outputParam(id);
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'f', 2);
    return v.toString();
}

bool IFiscalDriver::getParamBool(int id) const {
    return outputParam(id).toBool();
}

QDateTime IFiscalDriver::getParamDateTime(int id) const {
    return outputParam(id).toDateTime();
}

QByteArray IFiscalDriver::getParamByteArray(int id) const {
    return outputParam(id).toByteArray();
}

}  // namespace fiscal
