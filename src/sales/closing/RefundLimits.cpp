#include "sales/closing/RefundLimits.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/receipt/ReceiptModel.h"

#include <QHash>

namespace sales {

namespace {

const QString kSoldLines = QStringLiteral(
    "SELECT DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_SERIAL_GTIN, DD_FRACTIONAL_COUNT "
    "FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=?");

// Returns are sale returns (kind 2) of sale receipts (type 3).
const QString kReturnedLines = QStringLiteral(
    "SELECT DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_SERIAL_GTIN "
    "FROM DOCUMENTS JOIN DOCUMENTS_DETAIL ON DD_DOC_ID = DOC_ID "
    "WHERE DOC_REFUND_FPD = ? AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 2");

const QString kSaleById =
    QStringLiteral("SELECT DOC_ID, DOC_FPD FROM DOCUMENTS WHERE DOC_ID = ? AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 1");
const QString kSaleByFiscalSign = QStringLiteral(
    "SELECT FIRST 1 DOC_ID, DOC_FPD FROM DOCUMENTS WHERE DOC_FPD = ? AND DOC_TYPE = 3 AND DOC_CHECK_TYPE = 1 "
    "ORDER BY DOC_ID");

QString text(const fb::Row& row, const QString& column) {
    return row.isNull(column) ? QString() : row.str(column);
}

// With `sums`, the money of each line as well (the query reads its part
// of a pack).
std::vector<RefundableLine> readLines(fb::Transaction& tr, const QString& sql, const fb::Value& key,
                                      std::vector<Money>* sums = nullptr) {
    std::vector<RefundableLine> out;
    for (const fb::Row& row : fb::query(tr, sql, {key})) {
        RefundableLine l;
        l.goodId = text(row, QStringLiteral("DD_GOOD_ID")).trimmed();
        l.name = text(row, QStringLiteral("DD_GOOD_NAME"));
        l.price = text(row, QStringLiteral("DD_GOOD_PRICE_CURRENT"));
        l.qty = Qty::parseOr(text(row, QStringLiteral("DD_GOOD_COUNT")));
        l.serial = text(row, QStringLiteral("DD_SERIAL_GTIN")).trimmed();
        if (sums) sums->push_back(soldLineSum(l.price, l.qty, text(row, QStringLiteral("DD_FRACTIONAL_COUNT"))));
        out.push_back(l);
    }
    return out;
}

SaleRemainder remainderOf(fb::Transaction& tr, const std::optional<fb::Row>& sale) {
    SaleRemainder r;
    if (!sale) return r;
    r.docId = int(sale->integer(QStringLiteral("DOC_ID")));
    r.fiscalSign = text(*sale, QStringLiteral("DOC_FPD")).trimmed();
    r.sold = readLines(tr, kSoldLines, std::int64_t(r.docId), &r.taken);
    // A sale without a fiscal sign can have no return printed against it.
    const std::vector<RefundableLine> returned =
        r.fiscalSign.isEmpty() ? std::vector<RefundableLine>() : readReturnedLines(tr, r.fiscalSign);
    r.left = leftToReturn(r.sold, returned);
    return r;
}

QString quantityShown(Qty q) {
    return q.isWhole() ? q.toWholeString() : q.toWeightString();
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

std::vector<Qty> leftToReturn(const std::vector<RefundableLine>& sold, const std::vector<RefundableLine>& returned) {
    std::vector<Qty> left;
    left.reserve(sold.size());
    for (const RefundableLine& l : sold) left.push_back(l.qty.isPositive() ? l.qty : Qty{});

    // What went back without a unit of its own to match, by goods.
    QHash<QString, std::int64_t> pool;
    for (const RefundableLine& r : returned) {
        const QString key = refundGoodsKey(r);
        std::int64_t amount = std::max<std::int64_t>(0, r.qty.thousandths);
        if (!r.serial.isEmpty()) {
            for (std::size_t i = 0; i < sold.size() && amount > 0; ++i) {
                if (sold[i].serial.compare(r.serial, Qt::CaseInsensitive) != 0 || refundGoodsKey(sold[i]) != key)
                    continue;
                if (!left[i].isPositive()) continue;
                // The unit went back whole, whatever thousandths its part
                // of a pack was rounded to.
                left[i] = Qty{};
                amount = 0;
            }
        }
        if (amount > 0) pool[key] += amount;
    }
    // Lines without a serial first: a unit with its own code stays
    // returnable while quantities of the goods can be taken elsewhere.
    for (const bool serialLines : {false, true}) {
        for (std::size_t i = 0; i < sold.size(); ++i) {
            if (sold[i].serial.isEmpty() == serialLines) continue;
            auto p = pool.find(refundGoodsKey(sold[i]));
            if (p == pool.end() || *p <= 0) continue;
            const std::int64_t take = std::min(*p, left[i].thousandths);
            left[i].thousandths -= take;
            *p -= take;
        }
    }
    return left;
}

Qty SaleRemainder::leftOf(const QString& key) const {
    Qty sum;
    for (std::size_t i = 0; i < sold.size() && i < left.size(); ++i)
        if (refundGoodsKey(sold[i]) == key) sum = sum + left[i];
    return sum;
}

Money SaleRemainder::moneyLeftOf(const QString& key) const {
    Money sum;
    for (std::size_t i = 0; i < sold.size() && i < left.size() && i < taken.size(); ++i) {
        if (refundGoodsKey(sold[i]) != key || !left[i].isPositive() || !sold[i].qty.isPositive()) continue;
        if (left[i] >= sold[i].qty) {
            sum += taken[i];
            continue;
        }
        sum += Money::round2(taken[i].toRational() * Rational(left[i].thousandths, sold[i].qty.thousandths));
    }
    return sum;
}

bool SaleRemainder::moneyLeftIsWholeLine(const QString& key) const {
    int lines = 0;
    bool whole = true;
    for (std::size_t i = 0; i < sold.size() && i < left.size(); ++i) {
        if (refundGoodsKey(sold[i]) != key || !left[i].isPositive()) continue;
        ++lines;
        whole = whole && left[i] >= sold[i].qty;
    }
    return lines == 1 && whole;
}

bool SaleRemainder::sells(const QString& key) const {
    for (const RefundableLine& l : sold)
        if (refundGoodsKey(l) == key) return true;
    return false;
}

bool SaleRemainder::nothingLeft() const {
    for (const Qty& q : left)
        if (q.isPositive()) return false;
    return true;
}

std::vector<RefundableLine> readReturnedLines(fb::Transaction& tr, const QString& fiscalSign) {
    const QString sign = fiscalSign.trimmed();
    if (sign.isEmpty() || sign.size() > 15) return {};
    return readLines(tr, kReturnedLines, sign);
}

SaleRemainder readSaleRemainder(fb::Transaction& tr, int docId) {
    if (docId <= 0) return {};
    return remainderOf(tr, fb::queryOne(tr, kSaleById, {std::int64_t(docId)}));
}

SaleRemainder readSaleRemainderByFiscalSign(fb::Transaction& tr, const QString& fiscalSign) {
    const QString sign = fiscalSign.trimmed();
    if (sign.isEmpty() || sign.size() > 15) return {};
    return remainderOf(tr, fb::queryOne(tr, kSaleByFiscalSign, {sign}));
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
           QStringLiteral(" руб., а в чеке возврата ") + wanted.toString() + QStringLiteral(" руб.     \r\n\r\n") +
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

struct Wanted {
    QString name;
    Qty qty;
    Money sum;
};

QString problemOf(const SaleRemainder& sale, const std::vector<std::pair<QString, Wanted>>& wanted) {
    if (!sale.found()) return {};
    QList<QString> order;
    QHash<QString, Wanted> byKey;
    for (const auto& [key, w] : wanted) {
        if (!byKey.contains(key)) {
            order.append(key);
            byKey.insert(key, Wanted{w.name, Qty{}, Money{}});
        }
        byKey[key].qty = byKey[key].qty + w.qty;
        byKey[key].sum += w.sum;
    }
    for (const QString& key : order) {
        const Wanted& w = byKey[key];
        const Qty left = sale.leftOf(key);
        if (w.qty > left) return refundExceedsText(w.name, left, w.qty);
        // A sold line left whole is its own sum to the kopeck. A share of a
        // line, or several lines, is the same money within a kopeck: what is
        // left is rounded from the sale's sums, the return's rows from their
        // own prices.
        const Money money = sale.moneyLeftOf(key);
        const std::int64_t tolerance = sale.moneyLeftIsWholeLine(key) ? 0 : 1;
        if ((w.sum - money).kopecks > tolerance) return refundMoneyExceedsText(w.name, money, w.sum);
    }
    return {};
}

}  // namespace

QString receiptRefundProblem(const SaleRemainder& sale, const ReceiptModel& receipt, int onlyRow) {
    auto keyOf = [&receipt](int r) {
        const QString base = receipt.attr(r, ReceiptModel::AttrBasePrice);
        return refundGoodsKey(receipt.cell(r, ReceiptModel::ColId), receipt.cell(r, ReceiptModel::ColName),
                              base.trimmed().isEmpty() ? receipt.cell(r, ReceiptModel::ColPrice) : base);
    };
    const QString only = onlyRow > 0 ? keyOf(onlyRow) : QString();
    std::vector<std::pair<QString, Wanted>> wanted;
    for (int r = 1; r < receipt.rowCount(); ++r) {
        if (!receipt.isActive(r)) continue;
        const QString key = keyOf(r);
        if (onlyRow > 0 && key != only) continue;
        wanted.push_back(
            {key, Wanted{receipt.cell(r, ReceiptModel::ColName), receipt.quantity(r), receipt.lineSum(r)}});
    }
    return problemOf(sale, wanted);
}

QString refundLinesProblem(const SaleRemainder& sale, const QList<QStringList>& lines) {
    std::vector<std::pair<QString, Wanted>> wanted;
    for (const QStringList& line : lines) {
        if (line.size() < kReceiptLineSize) continue;
        wanted.push_back({refundGoodsKey(line[LineGoodId], line[LineName], line[LineBasePrice]),
                          Wanted{line[LineName], Qty::parseOr(line[LineQty]),
                                 registeredLineSum(line).value_or(Money{})}});
    }
    return problemOf(sale, wanted);
}

}  // namespace sales
