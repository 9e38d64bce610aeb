#include "sales/screen/MainScreenState.h"

#include "core/CodeTables.h"
#include "core/DataModule.h"

#include <QJsonValue>

#include <algorithm>

namespace sales {

// ---- Receipt kind -----------------------------------------------------------

QString receiptKindCaption(int kind) {
    switch (kind) {
    case KindSale: return QStringLiteral("ПРИХОД");
    case KindSaleReturn: return QStringLiteral("ВОЗВРАТ ПРИХОДА");
    case KindPurchase: return QStringLiteral("РАСХОД");
    case KindPurchaseReturn: return QStringLiteral("ВОЗВРАТ РАСХОДА");
    default: return QString();
    }
}

int receiptKindFromCaption(const QString& caption) { return core::OperationTypeFromName(caption); }

bool fiscalSignFieldVisible(int kind) { return kind == KindSaleReturn; }

int receiptKindFromChoice(int modalResult) {
    const int kind = modalResult - 20;
    return kind >= KindSale && kind <= KindPurchaseReturn ? kind : KindUnknown;
}

// ---- Discount buttons -------------------------------------------------------

DiscountButtons discountButtons(int kind, bool receiptDiscountSet, bool locked) {
    if (locked || kind != KindSale) return {false, false};
    return {!receiptDiscountSet, true};
}

// ---- Tax system -------------------------------------------------------------

TaxSystemLabel taxSystemLabel(int code) {
    switch (code) {
    case 1: return {QStringLiteral("ОСН (общая)"), 1, true};
    case 2: return {QStringLiteral("УСН (доход)"), 2, true};
    case 4: return {QStringLiteral("УСН (доход-расход)"), 4, true};
    case 8: return {QStringLiteral("ЕНВД"), 8, true};
    case 16: return {QStringLiteral("ЕСХН"), 16, true};
    case 32: return {QStringLiteral("Патент"), 32, true};
    default: return {QStringLiteral("не указана"), 0, false};
    }
}

// ---- Payment-method flag ----------------------------------------------------

std::optional<PaymentFlagView> paymentFlagView(int flag) {
    const QString hintHead = QStringLiteral("Признак способа расчета\r\n");
    switch (flag) {
    case 1:
        return PaymentFlagView{QStringLiteral("ПРЕДОПЛАТА 100%"), true,
                               hintHead + QStringLiteral("''ПРЕДОПЛАТА 100%''"), {false, true, false, false}};
    case 2:
        return PaymentFlagView{QStringLiteral("ПРЕДОПЛАТА"), true,
                               hintHead + QStringLiteral("''ПРЕДОПЛАТА (частичная)''"), {false, false, true, false}};
    case 3:
        return PaymentFlagView{QStringLiteral("АВАНС"), true, hintHead + QStringLiteral("''АВАНС''"),
                               {false, false, false, true}};
    case 4:
        return PaymentFlagView{QStringLiteral("Полный расчет"), false, QString(), {true, false, false, false}};
    default:
        return std::nullopt;
    }
}

// ---- Menus as they open -----------------------------------------------------

std::optional<ServiceMenuState> serviceMenuState(int adminFlag, bool databaseConnected) {
    if (adminFlag == 0) return ServiceMenuState{false, false};
    if (adminFlag == 1) return ServiceMenuState{true, databaseConnected};
    return std::nullopt;
}

DataBaseMenuState dataBaseMenuState(const QString& userLabel, bool databaseConnected) {
    // The login writes the built-in administrator's name with a leading
    // blank, so the label is compared trimmed.
    if (userLabel.trimmed() == core::kBuiltinAdmin) return {false, databaseConnected, std::nullopt};
    return {databaseConnected, databaseConnected, databaseConnected};
}

GridPopupState gridPopupState(int kind, bool receiptDiscountSet, int rowMarkType, bool rowHasGoodsId) {
    GridPopupState s;
    const bool tobacco = rowMarkType == 4;
    if (kind == KindSale) {
        s.discountCheckVisible = true;
        s.discountPosVisible = !receiptDiscountSet && !tobacco;
    }
    s.changePriceVisible = !tobacco;
    s.changeNameEnabled = !rowHasGoodsId;
    return s;
}

// ---- JSON register channel --------------------------------------------------

int jsonReplyResult(const QJsonObject& reply) {
    const QJsonValue v = reply.value(QStringLiteral("result"));
    if (v.isDouble()) {
        const double d = v.toDouble();
        return d == double(qint64(d)) ? int(d) : -1;
    }
    if (v.isString()) {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        return ok ? n : -1;
    }
    return -1;
}

JsonIdleOutcome jsonIdleOutcome(const QJsonObject& reply) {
    const int result = jsonReplyResult(reply);
    if (result == -1) return {JsonIdleOutcome::NoAnswer, QString()};
    if (result == 0) return {JsonIdleOutcome::SessionFine, QString()};
    const QString description = reply.value(QStringLiteral("description")).toString();
    return {JsonIdleOutcome::SessionLost, description.isEmpty() ? QStringLiteral("не подключена") : description};
}

// ---- Clock ------------------------------------------------------------------

QString clockText(const QDateTime& at) { return at.toString(QStringLiteral("dd.MM.yyyy   hh:mm:ss")); }

// ---- Layout -----------------------------------------------------------------

namespace {
// size / design rounded half up to thousandths, in integers so that 1.7075
// becomes 1.708 as the rounding rule says.
int factorThousandths(int size, int design) {
    if (size <= 0) return 0;
    return int((qint64(size) * 1000 * 2 + design) / (qint64(design) * 2));
}

int scaled(int value, int thousandths) {
    const qint64 v = qint64(value) * thousandths;
    return int(v >= 0 ? (v + 500) / 1000 : -((-v + 500) / 1000));
}
}  // namespace

LayoutFactors layoutFactors(QSize clientSize) {
    return {factorThousandths(clientSize.width(), kDesignWidth), factorThousandths(clientSize.height(), kDesignHeight)};
}

QRect scaleDesignRect(const QRect& design, const LayoutFactors& f) {
    return QRect(scaled(design.x(), f.kxThousandths), scaled(design.y(), f.kyThousandths),
                 scaled(design.width(), f.kxThousandths), scaled(design.height(), f.kyThousandths));
}

int scaleFontPoints(int designPoints, const LayoutFactors& f) {
    return std::max(kMinFontPoints, scaled(designPoints, std::min(f.kxThousandths, f.kyThousandths)));
}

int fittingFontPoints(int wantedPoints, int availableWidth, const std::function<int(int points)>& textWidthAt) {
    int points = std::max(kMinFontPoints, wantedPoints);
    while (points > kMinFontPoints && textWidthAt(points) > availableWidth) --points;
    return points;
}

}  // namespace sales
