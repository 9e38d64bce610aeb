#include "sales/receipt/ReceiptRules.h"

namespace sales {

NumericKeyResult FilterNumericKey(const QString& text, int maxLen, int decimals, QChar key) {
    NumericKeyResult result{text, key == QLatin1Char(',') ? QChar(QLatin1Char('.')) : key, false};
    const QChar k = result.key;
    const bool digit = k >= QLatin1Char('0') && k <= QLatin1Char('9');
    if (!digit && k != QLatin1Char('.')) return result;
    if (text.size() >= maxLen && !(digit && k != QLatin1Char('0') && text == QLatin1String("0"))) return result;
    const int point = text.indexOf(QLatin1Char('.'));
    if (point >= 0 && text.size() - point - 1 >= decimals) return result;

    QString next = text;
    if (k == QLatin1Char('.')) {
        if (point >= 0 || decimals == 0) return result;
        next = (text.isEmpty() || text == QLatin1String("0")) ? QStringLiteral("0.") : text + k;
    } else if (k == QLatin1Char('0')) {
        if (text == QLatin1String("0")) return result;
        next = text + k;  // an empty text becomes "0"
    } else {
        next = text == QLatin1String("0") ? QString(k) : text + k;
    }
    result.text = next;
    result.changed = next != text;
    return result;
}

QString StripCrLfSpaces(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n') && c != QLatin1Char(' ')) out.append(c);
    }
    return out;
}

bool HasFilledLineText(const QList<QStringList>& markedItems) {
    for (const QStringList& record : markedItems) {
        if (record.size() > 2 && !record[2].trimmed().isEmpty()) return true;
    }
    return false;
}

TobaccoPriceSetting TobaccoPriceSetting::parse(const QString& value) {
    TobaccoPriceSetting s;
    const QString separator = QStringLiteral("¤");
    const int cut = value.indexOf(separator);
    const QString rule = (cut >= 0 ? value.left(cut) : value).trimmed();
    bool ok = false;
    const int n = rule.toInt(&ok);
    s.rule = ok ? n : 1;
    s.amount = cut >= 0 ? value.mid(cut + separator.size()).trimmed() : QString();
    return s;
}

std::optional<Money> tobaccoPrice(const QString& dbPrice, QChar packKind, Money mrp,
                                  const TobaccoPriceSetting& setting) {
    const bool block = packKind == QChar(TobaccoGroupPack);
    const Rational amount = Rational::parse(setting.amount).value_or(Rational());
    const Rational m = mrp.toRational();
    switch (setting.rule) {
    case 0: {
        const auto stored = Rational::parse(dbPrice);
        if (!stored) return std::nullopt;
        return Money::formatRounded(block ? *stored * Rational(10) : *stored);
    }
    case 2:
        return Money::formatRounded((Rational(1) - amount / Rational(100)) * m);
    case 3:
        return Money::formatRounded(m - (block ? amount * Rational(10) : amount));
    default:  // rule 1 and anything unknown: the maximum retail price
        return mrp;
    }
}

QString ApplyTobaccoPriceRule(int markType, const QString& dbPrice, QChar packKind, const QString& price,
                              Money mrp, const TobaccoPriceSetting& setting) {
    if (markType != 4) return price;
    const auto p = tobaccoPrice(dbPrice, packKind, mrp, setting);
    return p ? p->toString() : dbPrice;
}

TobaccoPriceLimits tobaccoPriceLimits(Money mrp) {
    const Rational minimum = Rational(3, 4) * mrp.toRational() + Rational(5, 1000);
    return {Money::round2(minimum), mrp};
}

bool tobaccoPriceAllowed(const QString& price, Money mrp) {
    const auto p = Rational::parse(price);
    if (!p) return false;
    const TobaccoPriceLimits limits = tobaccoPriceLimits(mrp);
    const Rational tolerance(1, 1000);
    return *p >= limits.minimum.toRational() - tolerance && *p <= limits.maximum.toRational() + tolerance;
}

bool sameMarkedUnit(const MarkedUnitKey& a, const MarkedUnitKey& b) {
    const auto gtin14 = [](const QString& g) { return g.trimmed().rightJustified(14, QLatin1Char('0')); };
    return gtin14(a.gtin) == gtin14(b.gtin) && a.serial == b.serial;
}

SameGoodPriceDecision CheckSameGoodPrice(const ReceiptModel& model, const ReceiptContext& context,
                                         const SameGoodPriceInput& input) {
    using Outcome = SameGoodPriceDecision::Outcome;
    SameGoodPriceDecision d;
    d.price = ApplyTobaccoPriceRule(4, input.good.price, QChar(TobaccoGroupPack), QString(), input.mrp, input.setting);
    if (!tobaccoPriceAllowed(d.price, input.mrp)) {
        d.outcome = Outcome::Refused;
        d.message = receiptMessage(ReceiptMessageId::TobaccoPriceOutOfLimits);
        return d;
    }

    // Dropping the receipt discount brings the undiscounted prices back into
    // column 5; a conflict message shows the price the cashier will then see.
    ReceiptModel after = model;
    d.cancelReceiptDiscount = model.receiptDiscountKind() != QLatin1Char('N');
    if (d.cancelReceiptDiscount) {
        after.setReceiptDiscount(QStringLiteral("N"), QString());
        RecalcReceipt(after, context);
    }

    const int found = FindGoodRowWithPrice(after, input.good.id, d.price);
    if (found < 0) {
        d.outcome = Outcome::PriceConflict;
        d.row = FindGoodRow(after, input.good.id);
        d.rowPrice = after.cell(d.row, ReceiptModel::ColPrice);
        d.message = priceConflictMessage(d.price, d.row, d.rowPrice);
        return d;
    }
    const MarkedUnitKey unit{input.gtin, input.serial};
    for (const MarkedUnitKey& held : input.markedUnits) {
        if (sameMarkedUnit(held, unit)) {
            d.outcome = Outcome::DuplicateSerial;
            d.message = receiptMessage(ReceiptMessageId::SerialAlreadyInReceipt);
            return d;
        }
    }
    d.outcome = found == 0 ? Outcome::NewRow : Outcome::IncrementRow;
    d.row = found;
    return d;
}

SameGoodPriceResult applySameGoodPrice(ReceiptModel& model, const ReceiptContext& context,
                                       const SameGoodPriceInput& input, const SameGoodPriceDecision& decision) {
    using Outcome = SameGoodPriceDecision::Outcome;
    SameGoodPriceResult result;
    if (decision.outcome == Outcome::Refused) {
        result.recalc.totalText = CalcReceiptTotal(model) + QLatin1Char(' ');
        result.recalc.discountText = CalcReceiptDiscountSum(model);
        result.recalc.layout = model.layout();
        return result;
    }
    if (decision.cancelReceiptDiscount) {
        model.setReceiptDiscount(QStringLiteral("N"), QString());
        result.positionDiscountEnabled = true;
    }
    if (decision.outcome == Outcome::NewRow) {
        const int row = GetFreeGridRow(model);
        model.setCell(row, ReceiptModel::ColStatus, ReceiptModel::StatusActive);
        model.setCell(row, ReceiptModel::ColId, input.good.id.trimmed());
        model.setCell(row, ReceiptModel::ColKind, QStringLiteral("P"));
        model.setCell(row, ReceiptModel::ColName, input.good.name);
        model.setCell(row, ReceiptModel::ColPrice, decision.price);
        model.setCell(row, ReceiptModel::ColQty, QStringLiteral("1"));
        model.setCell(row, ReceiptModel::ColSubject, input.good.type);
        model.setCell(row, ReceiptModel::ColCountry, input.good.country.trimmed());
        model.setAttr(row, ReceiptModel::AttrBasePrice, decision.price);
        model.setAttr(row, ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
        model.setAttr(row, ReceiptModel::AttrMarkType, QStringLiteral("4"));
        model.setAttr(row, ReceiptModel::AttrGtin, input.gtin);
        model.setAttr(row, ReceiptModel::AttrMeasure, input.good.measure.trimmed());
        model.setAttr(row, ReceiptModel::AttrVat, input.good.vat.trimmed());
        result.row = row;
    } else if (decision.outcome == Outcome::IncrementRow && model.isActive(decision.row)) {
        const int have = model.cell(decision.row, ReceiptModel::ColQty).trimmed().toInt();
        model.setCell(decision.row, ReceiptModel::ColQty, QString::number((have > 0 ? have : 0) + 1));
        result.row = decision.row;
    }
    result.recalc = RecalcReceipt(model, context);
    return result;
}

bool lineSumIsZero(const ReceiptModel& model, int row) {
    return model.isDataRow(row) && model.isActive(row) && !isPositiveSum(model.lineSum(row));
}

QString zeroSumPositionText(const QString& name) {
    const QString shown = name.trimmed().size() > 50 ? name.trimmed().left(47) + QStringLiteral("...") : name.trimmed();
    return QStringLiteral(" Сумма позиции     \r\n  < ") + shown +
           QStringLiteral(" >     \r\n составляет 0.00 руб.     \r\n\r\n Товар не может быть добавлен в чек.     ");
}

QString zeroSumEditText() {
    return QStringLiteral(" Сумма позиции составляет 0.00 руб.     \r\n Укажите большее количество или цену.     ");
}

}  // namespace sales
