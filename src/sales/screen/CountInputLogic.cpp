#include "sales/screen/CountInputLogic.h"

#include "sales/closing/ColumnLimits.h"
#include "sales/receipt/ReceiptRules.h"

namespace sales {

int countInputDecimals(int mode) { return mode == CountInputQuantity ? 3 : 2; }

QString countInputDoubleZero(const QString& text, int maxLen, int mode) {
    if (text.size() >= maxLen) return text;
    if (text.isEmpty() || text == QLatin1String("0")) return QStringLiteral("0");
    const int point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return text + (maxLen - text.size() >= 2 ? QStringLiteral("00") : QStringLiteral("0"));
    // An amount of cash is typed to the kopeck as it is counted; "00" after
    // its point would only guess.
    if (mode == CountInputCashIn) return text;
    const int decimals = countInputDecimals(mode);
    const int typed = int(text.size()) - point - 1;
    QString tail;
    if (typed < decimals - 1) tail = QStringLiteral("00");
    else if (typed == decimals - 1) tail = QStringLiteral("0");
    else return text;
    return (text + tail).left(maxLen);
}

namespace {

CountInputDecision refuse(CountInputDecision::Outcome outcome, const QString& message) {
    CountInputDecision d;
    d.outcome = outcome;
    d.message = message;
    return d;
}

}  // namespace

CountInputDecision decideCountInput(int mode, const QString& text, const QString& rowKind) {
    using Outcome = CountInputDecision::Outcome;
    if (mode != CountInputQuantity && mode != CountInputPrice && mode != CountInputCashIn) return {};
    const QString typed = text.trimmed();
    // Enter on an empty field is no request for anything.
    if (typed.isEmpty()) return {};
    const std::optional<Rational> value = Rational::parse(typed);
    if (!value) return refuse(Outcome::BadFormat, countInputText::kBadFormat);

    CountInputDecision d;
    if (mode == CountInputQuantity) {
        const Qty q{value->roundHalfAwayFromZero(3)};
        // Zero is no quantity: the row keeps the one it has.
        if (!q.isPositive()) return {};
        QString kind = rowKind.trimmed().toUpper();
        if (kind.isEmpty()) kind = QStringLiteral("F");
        if (kind == QLatin1String("P")) {
            if (!q.isWhole()) return refuse(Outcome::PieceFraction, countInputText::kPieceFraction);
        } else if (kind != QLatin1String("W") && kind != QLatin1String("F")) {
            return {};
        }
        if (!fitsColumn(quantityText(q, kind), columnWidth::kCount))
            return refuse(Outcome::TooLarge, countInputText::kQuantityTooLarge);
        d.outcome = Outcome::Quantity;
        d.quantity = q;
        return d;
    }

    const Money amount{value->roundHalfAwayFromZero(2)};
    if (amount.kopecks <= 0) return {};
    if (!sumFits(amount))
        return refuse(Outcome::TooLarge,
                      mode == CountInputPrice ? countInputText::kPriceTooLarge : countInputText::kCashInTooLarge);
    d.outcome = mode == CountInputPrice ? Outcome::Price : Outcome::CashIn;
    d.amount = amount;
    return d;
}

QString countInputRowProblem(const ReceiptModel& model, int row) {
    if (!model.isDataRow(row)) return {};
    if (const QString tooLarge = receiptSumProblem(model, row); !tooLarge.isEmpty()) return tooLarge;
    if (lineSumIsZero(model, row)) return zeroSumEditText();
    if (!fitsColumn(model.cell(row, ReceiptModel::ColQty), columnWidth::kCount))
        return countInputText::kQuantityTooLarge;
    if (!fitsColumn(model.attr(row, ReceiptModel::AttrBasePrice), columnWidth::kPrice) ||
        !fitsColumn(model.cell(row, ReceiptModel::ColPrice), columnWidth::kPrice))
        return countInputText::kPriceTooLarge;
    return {};
}

bool dropSumDiscounts(ReceiptModel& model, int row) {
    bool receiptDropped = false;
    if (model.receiptDiscountKind() == QLatin1Char('S')) {
        model.setReceiptDiscount(QStringLiteral("N"), QString());
        receiptDropped = true;
    }
    if (model.isDataRow(row) && model.lineDiscountKind(row) == QLatin1Char('S'))
        model.setLineDiscount(row, QStringLiteral("N"), QString());
    return receiptDropped;
}

bool applyCountInputQuantity(ReceiptModel& model, int row, Qty quantity) {
    if (!model.isDataRow(row) || !model.isActive(row) || !quantity.isPositive()) return false;
    model.setQuantity(row, quantity);
    dropSumDiscounts(model, row);
    return true;
}

bool applyCountInputPrice(ReceiptModel& model, int row, Money price) {
    if (!model.isDataRow(row) || !model.isActive(row) || price.kopecks <= 0) return false;
    model.setAttr(row, ReceiptModel::AttrBasePrice, price.toString());
    dropSumDiscounts(model, row);
    return true;
}

}  // namespace sales
