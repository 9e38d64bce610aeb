#include "sales/closing/PaymentSplit.h"

#include "sales/receipt/ReceiptRules.h"

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr Money kTolerance = Money::fromKopecks(1);  // two sums are equal within 0.01

bool sameSum(Money a, Money b) {
    const std::int64_t d = a.kopecks - b.kopecks;
    return d <= kTolerance.kopecks && d >= -kTolerance.kopecks;
}

// "12.": a point just typed reads as the number before it.
Money readSum(const QString& text) {
    QString t = text.trimmed();
    if (t.endsWith(QLatin1Char('.'))) t += QLatin1Char('0');
    return Money::parseOr(t);
}

int bitOf(PayField f) {
    switch (f) {
    case PayField::Cash: return PayBitCash;
    case PayField::Card: return PayBitCard;
    case PayField::Prepay: return PayBitPrepay;
    default: return 0;
    }
}

// Banknote results: no decimals when whole.
QString banknoteText(Money m) {
    return m.kopecks % 100 == 0 ? QString::number(m.kopecks / 100) : m.toString();
}

QString emptyFieldMessage(const QString& kindName) {
    return QStringLiteral("Выбран тип оплаты ''") + kindName + QStringLiteral("'' (стоит флажок),     ") + kCrLf +
           QStringLiteral("но сумма в поле ''") + kindName + QStringLiteral("'' не указана.     ") + kCrLf + kCrLf +
           QStringLiteral("Введите сумму или снимите флажок.     ");
}

}  // namespace

QString PaymentSplit::sumText(Money m) { return sameSum(m, Money{}) ? QString() : m.toString(); }

QString& PaymentSplit::field(PayField f) {
    switch (f) {
    case PayField::Cash: return cash_;
    case PayField::Card: return card_;
    case PayField::Prepay: return prepay_;
    default: return given_;
    }
}

const QString& PaymentSplit::field(PayField f) const { return const_cast<PaymentSplit*>(this)->field(f); }

void PaymentSplit::setBit(PayField f, bool on) {
    const int bit = bitOf(f);
    kinds_ = on ? (kinds_ | bit) : (kinds_ & ~bit);
}

void PaymentSplit::start(Money total, int payTypeDefault) {
    total_ = total;
    cash_.clear();
    card_.clear();
    prepay_.clear();
    given_.clear();
    kinds_ = 0;
    active_ = PayField::None;
    const PayField chosen = payTypeDefault == 1 ? PayField::Card
                            : payTypeDefault == 2 ? PayField::Prepay
                                                  : PayField::Cash;
    setBit(chosen, true);
    field(chosen) = total.isZero() ? QString() : total.toString();
}

QString PaymentSplit::text(PayField f) const { return f == PayField::None ? QString() : field(f); }

Money PaymentSplit::amount(PayField f) const { return f == PayField::None ? Money{} : readSum(field(f)); }

bool PaymentSplit::checked(PayField f) const {
    const int bit = bitOf(f);
    return bit != 0 && (kinds_ & bit) != 0;
}

bool PaymentSplit::okEnabled() const {
    // A receipt of nothing takes no payment.
    return isPositiveSum(total_) && sameSum(amount(PayField::Cash) + amount(PayField::Card) + amount(PayField::Prepay), total_);
}

Money PaymentSplit::capOf(PayField f) const {
    if (f == PayField::Prepay) return total_;
    return total_ - amount(PayField::Prepay);
}

bool PaymentSplit::typeKey(PayField f, QChar key) {
    if (f == PayField::None) return false;
    const NumericKeyResult r = FilterNumericKey(field(f), kMaxLength, 2, key);
    if (!r.changed) return false;
    if (f != PayField::Given && readSum(r.text) > capOf(f) + kTolerance) return false;
    field(f) = r.text;
    onChanged(f);
    return true;
}

bool PaymentSplit::typeKeys(PayField f, const QString& keys) {
    bool any = false;
    for (const QChar k : keys) any = typeKey(f, k) || any;
    return any;
}

void PaymentSplit::backspace(PayField f) {
    if (f == PayField::None || field(f).isEmpty()) return;
    field(f).chop(1);
    onChanged(f);
}

void PaymentSplit::clear(PayField f) {
    if (f == PayField::None) return;
    field(f).clear();
    onChanged(f);
}

void PaymentSplit::setText(PayField f, const QString& text) {
    if (f == PayField::None) return;
    field(f) = text.trimmed();
    onChanged(f);
}

void PaymentSplit::addBanknote(int roubles) {
    const PayField f = active_ == PayField::None ? PayField::Given : active_;
    Money next = amount(f) + Money::fromKopecks(std::int64_t(roubles) * 100);
    const Money cap = f == PayField::Given ? Money::fromKopecks(kMaxGivenKopecks) : total_;
    if (next > cap) next = cap;
    field(f) = banknoteText(next);
    onChanged(f);
}

void PaymentSplit::setChecked(PayField f, bool on) {
    if (bitOf(f) == 0 || checked(f) == on) return;
    setBit(f, on);
    if (on) {
        if (amount(f).isZero()) {
            const Money rest = total_ - amount(PayField::Cash) - amount(PayField::Card) - amount(PayField::Prepay);
            if (rest.kopecks > 0) {
                field(f) = rest.toString();
                onChanged(f);
            }
        }
        active_ = f;
        return;
    }
    const Money moved = amount(f);
    field(f).clear();
    if (moved.isZero()) return;
    PayField target = PayField::None;
    if (f != PayField::Prepay && checked(PayField::Prepay) && amount(PayField::Prepay).isZero())
        target = PayField::Prepay;
    else if (f == PayField::Cash)
        target = PayField::Card;
    else if (f == PayField::Card)
        target = PayField::Cash;
    else
        target = checked(PayField::Card) ? PayField::Card : PayField::Cash;
    setBit(target, true);
    field(target) = sumText(amount(target) + moved);
    if (active_ == f) active_ = target;
}

void PaymentSplit::onChanged(PayField f) {
    // A sum put into a payment field chooses that kind of payment.
    if (bitOf(f) != 0 && amount(f).kopecks > 0) setBit(f, true);
    switch (f) {
    case PayField::Cash: onCashOrCardChanged(PayField::Cash, PayField::Card); break;
    case PayField::Card: onCashOrCardChanged(PayField::Card, PayField::Cash); break;
    case PayField::Prepay: onPrepayChanged(); break;
    default: break;
    }
}

// What cash (card) leaves unpaid goes to card (cash); more than can be paid
// is cut back.
void PaymentSplit::onCashOrCardChanged(PayField changed, PayField other) {
    const Money rest = total_ - amount(changed) - amount(PayField::Prepay);
    if (rest.kopecks < 0) {
        field(other).clear();
        field(changed) = sumText(total_ - amount(PayField::Prepay));
    } else if (rest.isZero()) {
        field(other).clear();
    } else {
        setBit(other, true);
        field(other) = rest.toString();
    }
}

void PaymentSplit::onPrepayChanged() {
    if (amount(PayField::Prepay) > total_) prepay_ = sumText(total_);
    const Money rest = total_ - amount(PayField::Prepay);
    const bool cash = checked(PayField::Cash);
    const bool card = checked(PayField::Card);
    if (cash && card) {
        const Money cashPart = rest - amount(PayField::Card);
        if (cashPart.kopecks < 0) {
            card_ = sumText(rest);
            cash_.clear();
        } else {
            cash_ = sumText(cashPart);
        }
    } else if (card) {
        card_ = sumText(rest);
    } else {
        setBit(PayField::Cash, true);
        cash_ = sumText(rest);
    }
}

PaymentSplit::OkCheck PaymentSplit::checkOk() const {
    OkCheck check;
    const struct {
        PayField field;
        const char16_t* name;
    } boxes[] = {{PayField::Cash, u"наличными"}, {PayField::Card, u"безналичными"}, {PayField::Prepay, u"предоплатой"}};
    for (const auto& b : boxes) {
        if (checked(b.field) && field(b.field).trimmed().isEmpty()) {
            check.outcome = OkCheck::Outcome::Stop;
            check.message = emptyFieldMessage(QString::fromUtf16(b.name));
            return check;
        }
    }
    const Money cash = amount(PayField::Cash);
    if (!sameSum(cash + amount(PayField::Card) + amount(PayField::Prepay), total_)) {
        check.outcome = OkCheck::Outcome::Stop;
        check.message = QStringLiteral("Сумма оплаты (наличными + безналичными + предоплатой)     ") +
                        QStringLiteral("\n\r") + QStringLiteral("не совпадает с суммой чека!") + kCrLf + kCrLf +
                        QStringLiteral("Закройте окно 'Расчёт с покупателем' и повторите попытку расчета.     ") +
                        kCrLf + kCrLf +
                        QStringLiteral("При повторении ситуации сообщите о проблеме разработчику.     ");
        return check;
    }
    const Money given = amount(PayField::Given);
    if (!sameSum(given, Money{}) && (cash - given).kopecks > 0) {
        check.outcome = OkCheck::Outcome::Ask;
        check.message = QStringLiteral("Сумма наличных, переданная покупателем,     ") + kCrLf +
                        QStringLiteral("меньше суммы оплаты 'наличными'.    ") + kCrLf +
                        QStringLiteral("Сдача не будет рассчитана.     ") + kCrLf + kCrLf + QStringLiteral("Продолжить? ");
    }
    return check;
}

PaymentEntered PaymentSplit::entered() const {
    PaymentEntered p;
    p.total = total_;
    p.cash = amount(PayField::Cash);
    p.card = amount(PayField::Card);
    p.prepay = amount(PayField::Prepay);
    p.given = amount(PayField::Given);
    return p;
}

}  // namespace sales
