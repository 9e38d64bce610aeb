#include "sales/screen/DiscountInputLogic.h"

#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptRules.h"

#include <algorithm>

namespace sales {

namespace {

const QString kNone = QStringLiteral("N");
const QString kPercent = QStringLiteral("P");
const QString kSum = QStringLiteral("S");

// Anything below a tenth of a kopeck or of a percent is no discount at all.
const Rational kZeroTolerance(1, 1000);

bool isZeroValue(const Rational& v) {
    return (v.sign() < 0 ? -v : v) < kZeroTolerance;
}

std::int64_t hundredths(const Rational& v) {
    return v.roundHalfUp(2);
}

DiscountInputDecision refused(const QString& message) {
    DiscountInputDecision d;
    d.outcome = DiscountInputDecision::Outcome::TooLarge;
    d.message = message;
    return d;
}

DiscountInputDecision accepted(int kind, const Rational& value) {
    DiscountInputDecision d;
    if (kind == DiscountKindPercent) {
        d.outcome = DiscountInputDecision::Outcome::Percent;
        d.value = Percent{value.roundHalfAwayFromZero(Percent::kScale)}.toString();
    } else {
        d.outcome = DiscountInputDecision::Outcome::Sum;
        d.value = Money::formatRounded(value).toString();
    }
    return d;
}

DiscountInputDecision decideForReceipt(const ReceiptModel& model, int kind, const Rational& value,
                                       const Rational& maxPercent) {
    const bool limited = hundredths(maxPercent) > 0;
    if (kind == DiscountKindPercent) {
        if (limited && hundredths(value) > hundredths(maxPercent)) return refused(discountInputText::kTooLarge);
        return accepted(kind, value);
    }
    const Money base = calcReceiptSumNoDiscount(model);
    const Money limit = Money::round2(base.toRational() * maxPercent / Rational(100));
    if (limited && hundredths(value) > limit.kopecks) return refused(discountInputText::kTooLarge);
    return accepted(kind, value);
}

DiscountInputDecision decideForPosition(const ReceiptModel& model, int row, int kind, const Rational& value,
                                        const Rational& maxPercent) {
    const bool limited = maxPercent.sign() > 0;
    if (kind == DiscountKindPercent) {
        if (limited && value > maxPercent) return refused(discountInputText::kTooLarge);
        return accepted(kind, value);
    }
    const Money price = model.basePrice(row).value_or(Money{});
    const Money amount = Money::round2(price.toRational() * model.quantity(row).toRational());
    const Money limit = Money::round2(amount.toRational() * maxPercent / Rational(100));
    if (limited && hundredths(value) > limit.kopecks) return refused(discountInputText::kTooLargeLineSum);
    return accepted(kind, value);
}

}  // namespace

DiscountFieldLimits discountFieldLimits(int kind) {
    switch (kind) {
        case DiscountKindPercent:
            return {2, 0, 2};
        case DiscountKindSum:
            return {9, 2, 10};
        case DiscountKindRoundTo:
            return {10, 2, 13};
        default:
            return {};
    }
}

QString discountFieldKey(const QString& text, int kind, QChar key) {
    const DiscountFieldLimits limits = discountFieldLimits(kind);
    if (limits.maxLength == 0) return text;
    const QChar k = key == QLatin1Char(',') ? QChar(QLatin1Char('.')) : key;
    // Whole digits stop at their limit until a point is typed; the field's
    // length bounds everything.
    int maxLen = limits.maxLength;
    if (!text.contains(QLatin1Char('.')) && k != QLatin1Char('.')) maxLen = std::min(maxLen, limits.integerDigits);
    return FilterNumericKey(text, maxLen, limits.decimals, k).text;
}

Rational maxDiscountPercent(const QString& setting) {
    const std::optional<Rational> v = Rational::parse(setting);
    if (!v || v->sign() < 0) return Rational();
    return *v;
}

DiscountInputDecision decideDiscountInput(const ReceiptModel& model, const DiscountInputRequest& request) {
    DiscountInputDecision close;
    const bool forReceipt = request.target == DiscountOnReceipt;
    const bool forPosition = request.target == DiscountOnPosition;
    if (!forReceipt && !forPosition) return close;
    if (forPosition && !model.isActive(request.row)) return close;
    if (request.kind != DiscountKindPercent && request.kind != DiscountKindSum) return close;

    const QString text = request.text.trimmed().isEmpty() ? QStringLiteral("0") : request.text.trimmed();
    const std::optional<Rational> value = Rational::parse(text);
    if (!value || value->sign() < 0) {
        DiscountInputDecision d;
        d.outcome = DiscountInputDecision::Outcome::BadFormat;
        d.message = discountInputText::kBadFormat;
        return d;
    }
    if (isZeroValue(*value)) {
        DiscountInputDecision d;
        d.outcome = DiscountInputDecision::Outcome::Remove;
        return d;
    }
    const Rational maxPercent = maxDiscountPercent(request.maxDiscount);
    return forReceipt ? decideForReceipt(model, request.kind, *value, maxPercent)
                      : decideForPosition(model, request.row, request.kind, *value, maxPercent);
}

bool applyDiscountInput(ReceiptModel& model, const DiscountInputRequest& request,
                        const DiscountInputDecision& decision) {
    using Outcome = DiscountInputDecision::Outcome;
    if (!decision.changesReceipt()) return false;
    const QString kind = decision.outcome == Outcome::Percent ? kPercent
                         : decision.outcome == Outcome::Sum   ? kSum
                                                              : kNone;
    const QString value = decision.outcome == Outcome::Remove ? QString() : decision.value;

    if (request.target == DiscountOnReceipt) {
        // A receipt discount replaces every position's discount.
        for (int r = 1; r < model.rowCount(); ++r) model.setLineDiscount(r, kNone, QString());
        if (decision.outcome == Outcome::Sum) {
            model.setAttr(0, ReceiptModel::AttrSavedKind, model.attr(0, ReceiptModel::AttrReceiptDiscountKind));
            model.setAttr(0, ReceiptModel::AttrSavedValue, model.attr(0, ReceiptModel::AttrReceiptDiscountValue));
        }
        model.setReceiptDiscount(kind, value);
        return true;
    }
    if (request.target != DiscountOnPosition || !model.isActive(request.row)) return false;
    if (decision.outcome == Outcome::Sum) {
        model.setAttr(request.row, ReceiptModel::AttrSavedKind,
                      model.attr(request.row, ReceiptModel::AttrDiscountKind));
        model.setAttr(request.row, ReceiptModel::AttrSavedValue,
                      model.attr(request.row, ReceiptModel::AttrDiscountValue));
    }
    model.setLineDiscount(request.row, kind, value);
    return true;
}

}  // namespace sales
