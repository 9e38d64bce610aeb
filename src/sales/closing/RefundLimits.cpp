#include "sales/closing/RefundLimits.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/PrintJob.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/FractionalCount.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptModel.h"

#include <QHash>

namespace sales {

namespace {

const QString kSoldLines = QStringLiteral(
    "SELECT DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_SERIAL_GTIN, DD_FRACTIONAL_COUNT, "
    "DD_GOOD_PAYTYPE FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=?");

// Returns are sale returns (kind 2) of sale receipts (type 3).
const QString kReturnedLines = QStringLiteral(
    "SELECT DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_SERIAL_GTIN, DD_FRACTIONAL_COUNT, "
    "DD_GOOD_PAYTYPE FROM DOCUMENTS JOIN DOCUMENTS_DETAIL ON DD_DOC_ID = DOC_ID "
    "WHERE DOC_REFUND_DOC_ID = ? AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 2");

const QString kSaleById =
    QStringLiteral("SELECT DOC_ID, DOC_FPD FROM DOCUMENTS WHERE DOC_ID = ? AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 1");

const QString kSalesBySign = QStringLiteral(
    "SELECT DOC_ID, DOC_FPD, DOC_DATE_D, DOC_TIME_T, DOC_NUMBER, DOC_SUMM_FULL FROM DOCUMENTS "
    "WHERE (DOC_FPD = ? OR DOC_FPD = ?) AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 1 ORDER BY DOC_ID");

QString text(const fb::Row& row, const QString& column) {
    return row.indexOf(column) < 0 || row.isNull(column) ? QString() : row.str(column);
}

bool isPayFull(const QString& payType) {
    bool ok = false;
    const int flag = payType.trimmed().toInt(&ok);
    return !ok || flag == PayFull;
}

RefundableLine lineFromRow(const fb::Row& row) {
    RefundableLine l;
    l.goodId = text(row, QStringLiteral("DD_GOOD_ID")).trimmed();
    l.name = text(row, QStringLiteral("DD_GOOD_NAME"));
    l.price = text(row, QStringLiteral("DD_GOOD_PRICE_CURRENT"));
    l.qty = Qty::parseOr(text(row, QStringLiteral("DD_GOOD_COUNT")));
    l.serial = text(row, QStringLiteral("DD_SERIAL_GTIN")).trimmed();
    l.fraction = text(row, QStringLiteral("DD_FRACTIONAL_COUNT")).trimmed();
    l.sum = soldLineSum(l.price, l.qty, l.fraction);
    l.qtyKnown = isPayFull(text(row, QStringLiteral("DD_GOOD_PAYTYPE")));
    return l;
}

std::vector<RefundableLine> readLines(fb::Transaction& tr, const QString& sql, std::int64_t key) {
    std::vector<RefundableLine> out;
    for (const fb::Row& row : fb::query(tr, sql, {key})) out.push_back(lineFromRow(row));
    return out;
}

// A line that names no goods: an advance, registered without a name.
bool namesNoGoods(const QString& goodId, const QString& name) {
    return goodId.trimmed().toLongLong() == 0 && name.trimmed().isEmpty();
}

QString quantityShown(Qty q) {
    return q.isWhole() ? q.toWholeString() : q.toWeightString();
}

bool sameSerial(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

QString refundGoodsKey(const QString& goodId, const QString& name, const QString& price) {
    bool ok = false;
    const qint64 id = goodId.trimmed().toLongLong(&ok);
    if (ok && id != 0) return QString::number(id);
    // A free-price line is known only by what it was called and cost.
    const std::optional<Money> p = Money::parse(QString(price).replace(QLatin1Char(','), QLatin1Char('.')));
    return QStringLiteral("0|") + name.trimmed().toUpper() + QLatin1Char('|') + (p ? p->toString() : price.trimmed());
}

QString refundGoodsKey(const RefundableLine& line) {
    return refundGoodsKey(line.goodId, line.name, line.price);
}

namespace {

// Some price with two decimals makes `qty` come to exactly `money` at the
// register (always so for a quantity up to one).
bool reachable(Money money, Qty qty) {
    if (money.kopecks <= 0 || !qty.isPositive()) return money.kopecks == 0;
    if (qty.thousandths <= 1000) return true;
    const Money price = priceForRefund(money, qty);
    return Money::round2(price.toRational() * qty.toRational()) == money;
}

}  // namespace

Money refundShare(Money leftMoney, Qty leftQty, Qty q) {
    if (leftMoney.kopecks <= 0 || !q.isPositive()) return {};
    if (!leftQty.isPositive() || q >= leftQty) return leftMoney;
    Money share = Money::round2(leftMoney.toRational() * Rational(q.thousandths, leftQty.thousandths));
    if (share > leftMoney) share = leftMoney;
    // The share and the rest must each be money the register can give back
    // for their quantities, or the last return could not come to exactly
    // what is left: the nearest such share, a few kopecks off at most.
    const Qty rest{leftQty.thousandths - q.thousandths};
    auto fits = [&](Money x) {
        return x.kopecks > 0 && x <= leftMoney && reachable(x, q) && reachable(leftMoney - x, rest);
    };
    if (fits(share)) return share;
    for (std::int64_t d = 1; d <= 100; ++d) {
        if (fits(Money{share.kopecks - d})) return Money{share.kopecks - d};
        if (fits(Money{share.kopecks + d})) return Money{share.kopecks + d};
    }
    return share;
}

Money priceForRefund(Money money, Qty qty) {
    if (!qty.isPositive() || money.kopecks <= 0) return {};
    const Rational q = qty.toRational();
    auto sumAt = [&q](std::int64_t kopecks) { return Money::round2(Money{kopecks}.toRational() * q); };
    // The price nearest money / qty that the register sums to the money.
    const std::int64_t nearest = Money::round2(money.toRational() / q).kopecks;
    if (sumAt(nearest) == money) return Money{nearest};
    for (std::int64_t step = 1; step <= 1000; ++step) {
        if (sumAt(nearest - step) == money && nearest - step > 0) return Money{nearest - step};
        if (sumAt(nearest + step) == money) return Money{nearest + step};
        if (sumAt(nearest - step) < money && sumAt(nearest + step) > money) break;
    }
    // None does (several units): the highest price that stays below it.
    std::int64_t p = nearest;
    while (p > 0 && sumAt(p) > money) --p;
    while (sumAt(p + 1) <= money) ++p;
    return Money{p};
}

void SaleLedger::take(const RefundableLine& line) {
    sold.push_back(line);
    const QString key = refundGoodsKey(line);
    for (LedgerEntry& e : entries) {
        if (e.goodsKey != key || !sameSerial(e.serial, line.serial)) continue;
        e.takenQty = e.takenQty + line.qty;
        e.taken += line.sum;
        return;
    }
    entries.push_back(LedgerEntry{key, line.serial, line.name, line.qty, line.sum, Qty{}, Money{}});
}

void SaleLedger::giveBack(const RefundableLine& line) {
    if (namesNoGoods(line.goodId, line.name)) {
        unattributed += line.sum;
        return;
    }
    const QString key = refundGoodsKey(line);
    Qty qty = line.qtyKnown ? line.qty : Qty{};
    Money money = line.sum;
    // A unit by its own code first; what has no code of its own comes off
    // the goods' unmarked entry, then off its units in order.
    std::vector<LedgerEntry*> targets;
    if (!line.serial.isEmpty()) {
        for (LedgerEntry& e : entries)
            if (e.goodsKey == key && sameSerial(e.serial, line.serial)) targets.push_back(&e);
    }
    if (targets.empty()) {
        for (LedgerEntry& e : entries)
            if (e.goodsKey == key && e.serial.isEmpty()) targets.push_back(&e);
        for (LedgerEntry& e : entries)
            if (e.goodsKey == key && !e.serial.isEmpty()) targets.push_back(&e);
    }
    if (targets.empty()) {
        // Goods the sale did not sell: the money still went back against it.
        unattributed += line.sum;
        return;
    }
    for (std::size_t i = 0; i < targets.size(); ++i) {
        LedgerEntry& e = *targets[i];
        const bool last = i + 1 == targets.size();
        const Qty q = line.qtyKnown ? (last ? qty : Qty{std::min(qty.thousandths, e.leftQty().thousandths)}) : Qty{};
        Money m;
        if (last)
            m = money;
        else if (line.qtyKnown)
            m = std::min(money, refundShare(e.leftMoney(), e.leftQty(), q));
        else
            m = std::min(money, e.leftMoney());
        e.givenQty = e.givenQty + q;
        e.given += m;
        qty.thousandths -= q.thousandths;
        money -= m;
        if (qty.thousandths <= 0 && money.kopecks <= 0) break;
    }
}

LeftOf SaleLedger::leftOf(const QString& goodsKey, const QString& serial) const {
    LeftOf left;
    for (const LedgerEntry& e : entries) {
        if (e.goodsKey != goodsKey) continue;
        if (!serial.isEmpty() && !sameSerial(e.serial, serial)) continue;
        left.qty = left.qty + e.leftQty();
        left.money += e.leftMoney();
    }
    return left;
}

LeftOf SaleLedger::entryLeft(const QString& goodsKey, const QString& serial) const {
    for (const LedgerEntry& e : entries)
        if (e.goodsKey == goodsKey && sameSerial(e.serial, serial)) return LeftOf{e.leftQty(), e.leftMoney()};
    return {};
}

Money SaleLedger::totalLeft() const {
    Money sum;
    for (const LedgerEntry& e : entries) sum += e.leftMoney();
    sum -= unattributed;
    return sum.kopecks < 0 ? Money{} : sum;
}

bool SaleLedger::sells(const QString& goodsKey) const {
    for (const LedgerEntry& e : entries)
        if (e.goodsKey == goodsKey) return true;
    return false;
}

bool SaleLedger::nothingLeft() const {
    if (totalLeft().kopecks <= 0) return true;
    for (const LedgerEntry& e : entries)
        if (e.leftQty().isPositive() && e.leftMoney().kopecks > 0) return false;
    return true;
}

SaleLedger readSaleLedger(fb::Transaction& tr, int docId, const QList<PrintJob>& pending) {
    SaleLedger ledger;
    if (docId <= 0) return ledger;
    const std::optional<fb::Row> sale = fb::queryOne(tr, kSaleById, {std::int64_t(docId)});
    if (!sale) return ledger;
    ledger.docId = docId;
    ledger.fiscalSign = text(*sale, QStringLiteral("DOC_FPD")).trimmed();
    for (const RefundableLine& l : readLines(tr, kSoldLines, docId)) ledger.take(l);
    for (const RefundableLine& l : readLines(tr, kReturnedLines, docId)) ledger.giveBack(l);
    for (const PrintJob& job : pending) {
        if (job.kind != 2 || job.refundedDocId != docId) continue;
        for (const QStringList& line : job.lines) ledger.giveBack(refundableFromLine(line, job.paymentFlag));
    }
    return ledger;
}

std::optional<QString> normalizedFiscalSign(const QString& text) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 15) return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);
    return digits;
}

std::vector<SaleBySign> salesBySign(fb::Transaction& tr, const QString& normalizedSign) {
    std::vector<SaleBySign> out;
    // The register writes the sign as a number; a sign written with its ten
    // digits is the same number.
    const QString padded = normalizedSign.rightJustified(10, QLatin1Char('0'));
    for (const fb::Row& row : fb::query(tr, kSalesBySign, {normalizedSign, padded})) {
        const QString stored = text(row, QStringLiteral("DOC_FPD"));
        if (normalizedFiscalSign(stored) != normalizedSign) continue;
        SaleBySign s;
        s.docId = int(row.integer(QStringLiteral("DOC_ID")));
        s.fiscalSign = stored.trimmed();
        s.date = (text(row, QStringLiteral("DOC_DATE_D")).left(10) + QLatin1Char(' ') +
                  text(row, QStringLiteral("DOC_TIME_T")).left(5))
                     .trimmed();
        s.number = text(row, QStringLiteral("DOC_NUMBER")).trimmed().toInt();
        s.total = text(row, QStringLiteral("DOC_SUMM_FULL")).trimmed();
        out.push_back(s);
    }
    return out;
}

QString refundExceedsText(const QString& name, Qty left, Qty wanted) {
    return QStringLiteral(" Позиция < ") + shortName(name.trimmed()) + QStringLiteral(" >:     \r\n") +
           QStringLiteral(" по чеку осталось к возврату ") + quantityShown(left) +
           QStringLiteral(", а в чеке возврата ") + quantityShown(wanted) + QStringLiteral(".     \r\n\r\n") +
           QStringLiteral(" Вернуть больше, чем осталось по чеку, нельзя.     ");
}

QString refundMoneyExceedsText(const QString& name, Money left, Money wanted) {
    return QStringLiteral(" Позиция < ") + shortName(name.trimmed()) + QStringLiteral(" >:     \r\n") +
           QStringLiteral(" по чеку осталось к возврату на ") + left.toString() +
           QStringLiteral(" руб.,     \r\n а в чеке возврата ") + wanted.toString() +
           QStringLiteral(" руб.     \r\n\r\n") + QStringLiteral(" Вернуть больше, чем осталось по чеку, нельзя.     ");
}

QString refundShareExceedsText(const QString& name, Qty qty, Money share, Qty leftQty, Money left, Money wanted) {
    return QStringLiteral(" Позиция < ") + shortName(name.trimmed()) + QStringLiteral(" >:     \r\n") +
           QStringLiteral(" за ") + quantityShown(qty) + QStringLiteral(" по чеку можно вернуть не больше ") +
           share.toString() + QStringLiteral(" руб.,     \r\n а в чеке возврата ") + wanted.toString() +
           QStringLiteral(" руб.     \r\n (всего осталось к возврату ") + left.toString() +
           QStringLiteral(" руб. за ") + quantityShown(leftQty) + QStringLiteral(").     \r\n\r\n") +
           QStringLiteral(" Вернуть больше, чем осталось по чеку, нельзя.     ");
}

Money soldLineSum(const QString& price, Qty qty, const QString& fraction) {
    const std::optional<Rational> p = Rational::parse(QString(price).replace(QLatin1Char(','), QLatin1Char('.')));
    if (!p) return {};
    // A part of a pack was sold at price * n / d, rounded once.
    if (!fraction.trimmed().isEmpty()) {
        if (const std::optional<PackPart> part = parsePackPart(fraction))
            return Money::formatRounded(*p * Rational(part->num, part->den));
    }
    return Money::formatRounded(*p * qty.toRational());
}

namespace {

struct Group {
    QString key;
    QString serial;
    QString name;
    Qty qty;
    Money money;
    bool qtyKnown = true;
};

void addTo(QList<Group>& groups, const QString& key, const QString& serial, const RefundWanted& w) {
    for (Group& g : groups) {
        if (g.key != key || !sameSerial(g.serial, serial)) continue;
        g.qty = g.qty + (w.qtyKnown ? w.qty : Qty{});
        g.money += w.money;
        g.qtyKnown = g.qtyKnown && w.qtyKnown;
        return;
    }
    groups.append(Group{key, serial, w.name, w.qtyKnown ? w.qty : Qty{}, w.money, w.qtyKnown});
}

QString groupProblem(const LeftOf& left, const Group& g) {
    if (g.qtyKnown) {
        if (g.qty > left.qty) return refundExceedsText(g.name, left.qty, g.qty);
        const Money allowed = left.share(g.qty);
        if (g.money > allowed)
            return g.qty < left.qty ? refundShareExceedsText(g.name, g.qty, allowed, left.qty, left.money, g.money)
                                    : refundMoneyExceedsText(g.name, allowed, g.money);
        return {};
    }
    if (g.money > left.money) return refundMoneyExceedsText(g.name, left.money, g.money);
    return {};
}

}  // namespace

QString refundProblemOf(const SaleLedger& sale, const std::vector<RefundWanted>& wanted) {
    if (!sale.found()) return {};
    QList<Group> units;  // marked units, by their code
    QList<Group> plain;  // lines naming no unit, by goods
    QList<Group> goods;  // every line, by goods
    Money total;
    for (const RefundWanted& w : wanted) {
        total += w.money;
        if (w.goodsKey.isEmpty()) continue;
        addTo(w.serial.isEmpty() ? plain : units, w.goodsKey, w.serial, w);
        addTo(goods, w.goodsKey, QString(), w);
    }
    // A unit gives back its share of what is left of it.
    for (const Group& g : units)
        if (const QString p = groupProblem(sale.entryLeft(g.key, g.serial), g); !p.isEmpty()) return p;
    for (const Group& g : plain) {
        // Goods sold unit by unit, returned without the units' codes: each
        // unit had its own price, so only the money left of them all binds.
        bool byUnits = false;
        for (const LedgerEntry& e : sale.entries) byUnits = byUnits || (e.goodsKey == g.key && !e.serial.isEmpty());
        Group whole = g;
        whole.qtyKnown = g.qtyKnown && !byUnits;
        const LeftOf all = sale.leftOf(g.key);
        if (byUnits && g.qty > all.qty) return refundExceedsText(g.name, all.qty, g.qty);
        const LeftOf left = byUnits ? all : sale.entryLeft(g.key, QString());
        if (const QString p = groupProblem(left, whole); !p.isEmpty()) return p;
    }
    for (const Group& g : goods) {
        const LeftOf left = sale.leftOf(g.key);
        if (g.qtyKnown && g.qty > left.qty) return refundExceedsText(g.name, left.qty, g.qty);
        if (g.money > left.money) return refundMoneyExceedsText(g.name, left.money, g.money);
    }
    if (total > sale.totalLeft()) return refundLimitText::kTotalExceeds;
    return {};
}

RefundableLine refundableFromLine(const QStringList& line, int paymentFlag) {
    RefundableLine l;
    if (line.size() < kReceiptLineSize) return l;
    l.goodId = line[LineGoodId].trimmed();
    l.name = line[LineName];
    // A line is known by its price before discount, as the sale stored it
    // for a free-price line.
    l.price = line[LineBasePrice];
    l.qty = Qty::parseOr(line[LineQty]);
    l.serial = line[LineSerial].trimmed();
    l.fraction = line[LineFraction].trimmed();
    l.sum = registeredLineSum(line).value_or(Money{});
    l.qtyKnown = paymentFlag == PayFull;
    return l;
}

std::vector<RefundWanted> wantedFromLines(const QList<QStringList>& lines, int paymentFlag) {
    std::vector<RefundWanted> out;
    for (const QStringList& line : lines) {
        if (line.size() < kReceiptLineSize) continue;
        const RefundableLine l = refundableFromLine(line, paymentFlag);
        const bool none = namesNoGoods(l.goodId, l.name);
        out.push_back(RefundWanted{none ? QString() : refundGoodsKey(l), l.serial, l.name, l.qty, l.sum, l.qtyKnown});
    }
    return out;
}

namespace {

QString rowKey(const ReceiptModel& receipt, int r) {
    const QString base = receipt.attr(r, ReceiptModel::AttrBasePrice);
    return refundGoodsKey(receipt.cell(r, ReceiptModel::ColId), receipt.cell(r, ReceiptModel::ColName),
                          base.trimmed().isEmpty() ? receipt.cell(r, ReceiptModel::ColPrice) : base);
}

// The marking records registered for `row`: its goods, its key.
QList<QStringList> unitsOfRow(const ReceiptModel& receipt, int r, const QList<QStringList>& markedItems) {
    QList<QStringList> out;
    const QString id = receipt.cell(r, ReceiptModel::ColId).trimmed();
    const QString key = receipt.attr(r, ReceiptModel::AttrRowKey).trimmed();
    for (const QStringList& rec : markedItems)
        if (rec.value(MarkGoodId).trimmed() == id && rec.value(MarkRowKey).trimmed() == key) out.append(rec);
    return out;
}

}  // namespace

std::vector<RefundWanted> wantedFromReceipt(const ReceiptModel& receipt, const QList<QStringList>& markedItems) {
    std::vector<RefundWanted> out;
    for (int r = 1; r < receipt.rowCount(); ++r) {
        if (!receipt.isActive(r)) continue;
        const QString key = rowKey(receipt, r);
        const QString name = receipt.cell(r, ReceiptModel::ColName);
        // An advance at a free price names no goods: only the sale's total
        // binds it, as when its printed line is checked.
        if (namesNoGoods(receipt.cell(r, ReceiptModel::ColId), name)) {
            out.push_back(RefundWanted{QString(), QString(), name, receipt.quantity(r), receipt.lineSum(r), false});
            continue;
        }
        const QList<QStringList> units =
            receipt.markType(r) != 0 ? unitsOfRow(receipt, r, markedItems) : QList<QStringList>();
        if (units.isEmpty()) {
            out.push_back(RefundWanted{key, QString(), name, receipt.quantity(r), receipt.lineSum(r), true});
            continue;
        }
        // Each unit at the position's price, its part of a pack priced on its own.
        const Rational price = Rational::parse(receipt.cell(r, ReceiptModel::ColPrice)).value_or(Rational{});
        for (const QStringList& rec : units) {
            const std::optional<Qty> q = markedRecordQuantity(rec);
            const Qty qty = q.value_or(Qty::units(1));
            const int num = rec.value(MarkNumerator).trimmed().toInt();
            const int den = rec.value(MarkDenominator).trimmed().toInt();
            const std::optional<Rational> own = Rational::parse(rec.value(MarkUnitPrice).trimmed());
            const Rational unitPrice = own ? *own : price;
            const Money money = num > 0 && den > num ? Money::formatRounded(unitPrice * Rational(num, den))
                                                     : Money::formatRounded(unitPrice * qty.toRational());
            out.push_back(RefundWanted{key, rec.value(MarkSerial).trimmed(), name, qty, money, true});
        }
    }
    return out;
}

std::optional<Money> refundRowMoney(const SaleLedger& sale, const ReceiptModel& receipt, int row) {
    if (!sale.found() || !receipt.isActive(row) || receipt.markType(row) != 0) return std::nullopt;
    const QString id = receipt.cell(row, ReceiptModel::ColId).trimmed();
    if (id.toLongLong() == 0) return std::nullopt;
    const QString key = rowKey(receipt, row);
    if (!sale.sells(key)) return std::nullopt;
    Qty all;
    Money others;
    for (int r = 1; r < receipt.rowCount(); ++r) {
        if (!receipt.isActive(r) || rowKey(receipt, r) != key) continue;
        all = all + receipt.quantity(r);
        if (r != row) others += receipt.lineSum(r);
    }
    const Money money = sale.leftOf(key).share(all) - others;
    return money.kopecks < 0 ? Money{} : money;
}

namespace {

// The price of the one unit of a marked position at the money left of it.
std::optional<Money> markedUnitPrice(const SaleLedger& sale, const ReceiptModel& receipt, int row,
                                     const QList<QStringList>& markedItems) {
    if (!sale.found() || receipt.markType(row) == 4) return std::nullopt;
    const QList<QStringList> units = unitsOfRow(receipt, row, markedItems);
    if (units.size() != 1) return std::nullopt;
    const QStringList& unit = units.front();
    const LeftOf left = sale.entryLeft(rowKey(receipt, row), unit.value(MarkSerial).trimmed());
    const Qty qty = markedRecordQuantity(unit).value_or(Qty::units(1));
    if (!left.qty.isPositive() || qty != receipt.quantity(row)) return std::nullopt;
    const Money money = left.share(qty);
    const qint64 num = unit.value(MarkNumerator).trimmed().toLongLong();
    const qint64 den = unit.value(MarkDenominator).trimmed().toLongLong();
    if (money.kopecks <= 0) return std::nullopt;
    return num > 0 && den > num ? priceForPart(money, PackPart{num, den}) : priceForRefund(money, qty);
}

}  // namespace

bool priceRefundRow(const SaleLedger& sale, ReceiptModel& receipt, int row, const QList<QStringList>& markedItems) {
    std::optional<Money> unitPrice;
    if (receipt.markType(row) != 0) {
        unitPrice = markedUnitPrice(sale, receipt, row, markedItems);
        if (!unitPrice) return false;
    }
    const std::optional<Money> money = unitPrice ? unitPrice : refundRowMoney(sale, receipt, row);
    if (!money) return false;
    const Money price = unitPrice ? *unitPrice : priceForRefund(*money, receipt.quantity(row));
    if (price.kopecks <= 0 || price.toString() == receipt.attr(row, ReceiptModel::AttrBasePrice).trimmed())
        return false;
    receipt.setAttr(row, ReceiptModel::AttrBasePrice, price.toString());
    receipt.setLineDiscount(row, QStringLiteral("N"), QStringLiteral("0"));
    return true;
}

}  // namespace sales
