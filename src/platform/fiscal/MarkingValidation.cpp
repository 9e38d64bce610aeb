#include "platform/fiscal/MarkingValidation.h"

#include <QStringList>

namespace fiscal {

bool isValidFraction(const QString& text) {
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 2) return false;
    bool okN = false;
    bool okD = false;
    const int numerator = parts[0].toInt(&okN);
    const int denominator = parts[1].toInt(&okD);
    return okN && okD && numerator > 0 && denominator > 0 && numerator < denominator;
}

bool statusFitsReceipt(int plannedStatus, int receiptType) {
    switch (receiptType) {
    case LIBFPTR_RT_SELL:
        return plannedStatus == LIBFPTR_MES_PIECE_SOLD || plannedStatus == LIBFPTR_MES_DRY_FOR_SALE;
    case LIBFPTR_RT_SELL_RETURN:
        return plannedStatus == LIBFPTR_MES_PIECE_RETURN || plannedStatus == LIBFPTR_MES_DRY_RETURN;
    default:
        return false;
    }
}

}  // namespace fiscal
