#include "sales/receipt/ReceiptCalc.h"

#include <algorithm>
#include <cmath>

namespace sales {

namespace {

using Col = ReceiptModel::Column;
using Attr = ReceiptModel::Attr;

// What a row of `qty` at unit price `price` comes to. A row of whole units
// is round2(price * qty). A row holding parts of a pack is the sum of what
// each part comes to on its own, price * n / d rounded once, since that is
// the amount the register takes for the part, and the whole units make up
// the rest of the quantity.
Money rowAmount(const ReceiptModel& m, int r, const Rational& price, Qty qty) {
    const QString parts = m.attr(r, Attr::AttrPackParts).trimmed();
    if (parts.isEmpty()) return Money::round2(price * qty.toRational());
    Money sum;
    std::int64_t partsQty = 0;
    for (const QString& part : parts.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const std::optional<PackPart> p = parsePackPart(part);
        if (!p) return Money::round2(price * qty.toRational());
        sum += Money::round2(price * Rational(p->num, p->den));
        partsQty += packPartQuantity(*p).thousandths;
    }
    const std::int64_t whole = qty.thousandths - partsQty;
    if (whole > 0) sum += Money::round2(price * Qty::fromThousandths(whole).toRational());
    return sum;
}

// The pieces the register takes a row as: each part of a pack on its own
// and, beside them, each whole unit; a row without parts is one piece.
std::vector<Money> rowPieces(const ReceiptModel& m, int r, const Rational& price, Qty qty) {
    const QString parts = m.attr(r, Attr::AttrPackParts).trimmed();
    if (parts.isEmpty()) return {Money::round2(price * qty.toRational())};
    std::vector<Money> pieces;
    std::int64_t partsQty = 0;
    for (const QString& part : parts.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const std::optional<PackPart> p = parsePackPart(part);
        if (!p) return {Money::round2(price * qty.toRational())};
        pieces.push_back(Money::round2(price * Rational(p->num, p->den)));
        partsQty += packPartQuantity(*p).thousandths;
    }
    const std::int64_t whole = qty.thousandths - partsQty;
    if (whole > 0 && whole % 1000 != 0) {
        pieces.push_back(Money::round2(price * Qty::fromThousandths(whole).toRational()));
    } else {
        for (std::int64_t u = 0; u < whole / 1000; ++u) pieces.push_back(Money::round2(price));
    }
    return pieces;
}

// The row's quantity as its parts make it up (2/3 for two thirds of a pack,
// where the quantity column keeps 0.666).
Rational exactQuantity(const ReceiptModel& m, int r, Qty qty) {
    const QString parts = m.attr(r, Attr::AttrPackParts).trimmed();
    Rational sum;
    std::int64_t partsQty = 0;
    for (const QString& part : parts.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const std::optional<PackPart> p = parsePackPart(part);
        if (!p) return qty.toRational();
        sum = sum + Rational(p->num, p->den);
        partsQty += packPartQuantity(*p).thousandths;
    }
    return sum + Qty::fromThousandths(qty.thousandths - partsQty).toRational();
}

bool holdsPackParts(const ReceiptModel& m, int r) { return !m.attr(r, Attr::AttrPackParts).trimmed().isEmpty(); }

// The unit price shown with two decimals.
Money shownPrice(const Rational& price) { return Money::formatRounded(price); }

// The pass runs on a copy; the first refusal stops it and the copy is dropped.
class Pass {
public:
    explicit Pass(ReceiptModel& work) : m_(work) {}

    std::optional<ReceiptMessageId> failure;
    int failedRow = 0;

    bool failed() const { return failure.has_value(); }
    void fail(ReceiptMessageId id, int row = 0) {
        if (failure) return;
        failure = id;
        failedRow = row;
    }

    // A discount may lower a position, never to nothing: a piece at 0.00
    // could not be registered, and a position the cashier entered would
    // leave the receipt unseen.
    bool discountLeavesSomething(int r, const Rational& price, Qty qty, const std::vector<Money>& pieces) {
        if (!lineAmount(r, price, qty).kopecks) return true;  // nothing to lower: entry's business
        for (const Money& piece : pieces) {
            if (piece.kopecks <= 0) {
                fail(ReceiptMessageId::DiscountZeroesPosition, r);
                return false;
            }
        }
        return true;
    }

    // A row made of parts of a pack that a sum discount brings to `sum`:
    // exactly that, spread over its pieces to the kopeck, since each part
    // is registered on its own and its quantity in thousandths is not what
    // the part is.
    void writePartsSum(int r, const Rational& price, Qty qty, Money sum) {
        const Money line = lineAmount(r, price, qty);
        if (!discountLeavesSomething(r, price, qty, spreadOverPieces(rowPieces(m_, r, price, qty), sum))) return;
        m_.setCell(r, Col::ColPrice, Money::round2(sum.toRational() / exactQuantity(m_, r, qty)).toString());
        m_.setCell(r, Col::ColSum, sum.toString());
        m_.setCell(r, Col::ColDiscount, (line - sum).toString());
    }

    // Entry 0 of a row, exact; a price that is no number refuses the pass.
    std::optional<Rational> price(int r) {
        const auto p = m_.basePriceExact(r);
        if (!p) fail(ReceiptMessageId::InvalidDataFormat);
        return p;
    }

    // A percent the receipt can take: 0 <= p < 100.
    std::optional<Percent> percent(const QString& text) {
        const QString t = text.trimmed();
        const auto p = t.isEmpty() ? std::optional<Percent>(Percent{}) : Percent::parse(t);
        if (!p) {
            fail(ReceiptMessageId::InvalidDataFormat);
        } else if (*p >= Percent::whole(100)) {
            fail(ReceiptMessageId::PercentTooLarge);
        } else if (p->millionths < 0) {
            fail(ReceiptMessageId::DiscountNotAcceptable);
        } else {
            return p;
        }
        return std::nullopt;
    }

    // A sum discount in roubles, not negative.
    std::optional<Money> sumDiscount(const QString& text) {
        const QString t = text.trimmed();
        const auto d = t.isEmpty() ? std::optional<Money>(Money{}) : Money::parse(t);
        if (!d) {
            fail(ReceiptMessageId::InvalidDataFormat);
        } else if (d->kopecks < 0) {
            fail(ReceiptMessageId::DiscountNotAcceptable);
        } else {
            return d;
        }
        return std::nullopt;
    }

    // A row with nothing to sell: no money, no discount.
    void writeNothingSold(int r, const Rational& price) {
        m_.setCell(r, Col::ColPrice, shownPrice(price).toString());
        m_.setCell(r, Col::ColSum, Money{}.toString());
        m_.setCell(r, Col::ColDiscount, QString());
    }

    // round2(price * qty), or the sum of the row's parts of a pack.
    Money lineAmount(int r, const Rational& price, Qty qty) const { return rowAmount(m_, r, price, qty); }

    void writeDiscounted(int r, const Rational& price, Qty qty, Money unit) {
        if (!discountLeavesSomething(r, price, qty, rowPieces(m_, r, unit.toRational(), qty))) return;
        const Money sum = rowAmount(m_, r, unit.toRational(), qty);
        m_.setCell(r, Col::ColPrice, unit.toString());
        m_.setCell(r, Col::ColSum, sum.toString());
        m_.setCell(r, Col::ColDiscount, (lineAmount(r, price, qty) - sum).toString());
    }

    void percentRow(int r, const Percent& pct) {
        const auto price = this->price(r);
        if (!price) return;
        const Qty qty = m_.quantity(r);
        if (!qty.isPositive()) {
            writeNothingSold(r, *price);
            return;
        }
        QString priceText = m_.attr(r, Attr::AttrBasePrice);
        if (priceText.trimmed().isEmpty()) priceText = QStringLiteral("0");
        std::optional<ReceiptMessageId> message;
        const QString unitText = ApplyDiscountPercent(priceText, pct, &message);
        const auto unit = Money::parse(unitText);
        if (message || !unit) {
            fail(message.value_or(ReceiptMessageId::InvalidDataFormat));
            return;
        }
        if (!m_.attr(r, Attr::AttrBasePrice).trimmed().isEmpty()) m_.setAttr(r, Attr::AttrBasePrice, priceText);
        m_.setCell(r, Col::ColQty, quantityText(qty, m_.cell(r, Col::ColKind).trimmed()));
        writeDiscounted(r, *price, qty, *unit);
    }

    void lineSumRow(int r) {
        const auto price = this->price(r);
        const auto d = sumDiscount(m_.attr(r, Attr::AttrDiscountValue));
        if (!price || !d) return;
        const Qty qty = m_.quantity(r);
        if (!qty.isPositive()) {
            writeNothingSold(r, *price);
            return;
        }
        const Money line = lineAmount(r, *price, qty);
        if (d->kopecks >= line.kopecks - 1) {  // not below line - 0.01
            fail(ReceiptMessageId::DiscountNotAcceptable);
            return;
        }
        if (holdsPackParts(m_, r)) {
            writePartsSum(r, *price, qty, line - *d);
            return;
        }
        const Money unit = Money::round2((line - *d).toRational() / qty.toRational());
        writeDiscounted(r, *price, qty, unit);
    }

    void plainRow(int r) {
        const auto price = this->price(r);
        if (!price) return;
        const Qty qty = m_.quantity(r);
        if (!qty.isPositive()) {
            writeNothingSold(r, *price);
            return;
        }
        m_.setCell(r, Col::ColPrice, shownPrice(*price).toString());
        m_.setCell(r, Col::ColQty, quantityText(qty, m_.cell(r, Col::ColKind).trimmed()));
        m_.setCell(r, Col::ColSum, lineAmount(r, *price, qty).toString());
        m_.setCell(r, Col::ColDiscount, QString());
    }

    void receiptPercent() {
        const auto pct = percent(m_.receiptDiscountValue());
        if (!pct) return;
        for (int r = 1; r < m_.rowCount() && !failed(); ++r) {
            if (m_.isActive(r)) percentRow(r, *pct);
        }
    }

    void receiptSum() {
        const auto d = sumDiscount(m_.receiptDiscountValue());
        if (!d) return;
        Money total;
        for (int r = 1; r < m_.rowCount(); ++r) {
            if (!m_.isActive(r)) continue;
            const auto price = this->price(r);
            if (!price) return;
            const Qty qty = m_.quantity(r);
            if (qty.isPositive()) total += lineAmount(r, *price, qty);
        }
        if (d->kopecks >= total.kopecks - 1) {
            fail(ReceiptMessageId::DiscountNotAcceptable);
            return;
        }
        // Each line gives up its share D * line / T; the remainder of the
        // spread is not corrected, so the line discounts need not add up to D.
        for (int r = 1; r < m_.rowCount() && !failed(); ++r) {
            if (!m_.isActive(r)) continue;
            const Rational price = *m_.basePriceExact(r);
            const Qty qty = m_.quantity(r);
            if (!qty.isPositive()) {
                writeNothingSold(r, price);
                continue;
            }
            const Rational line = lineAmount(r, price, qty).toRational();
            const Rational rest = line - d->toRational() * (line / total.toRational());
            if (holdsPackParts(m_, r)) {
                writePartsSum(r, price, qty, Money::round2(rest));
                continue;
            }
            const Money unit = Money::round2(rest / qty.toRational());
            writeDiscounted(r, price, qty, unit);
        }
    }

    void lineDiscounts() {
        for (int r = 1; r < m_.rowCount() && !failed(); ++r) {
            if (!m_.isActive(r)) continue;
            const QChar kind = m_.lineDiscountKind(r);
            if (kind == QLatin1Char('P')) {
                const auto pct = percent(m_.attr(r, Attr::AttrDiscountValue));
                if (pct) percentRow(r, *pct);
            } else if (kind == QLatin1Char('S')) {
                lineSumRow(r);
            } else if (kind == QLatin1Char('N')) {
                plainRow(r);
            }
        }
    }

private:
    ReceiptModel& m_;
};

}  // namespace

QString ApplyDiscountPercent(QString& price, const Percent& percent, std::optional<ReceiptMessageId>* message) {
    price = price.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    if (message) message->reset();
    if (percent >= Percent::whole(100)) {
        if (message) *message = ReceiptMessageId::PercentTooLarge;
        return price;
    }
    const auto v = Rational::parse(price);
    if (!v) {
        if (message) *message = ReceiptMessageId::InvalidDataFormat;
        return price;
    }
    const Rational hundred(100);
    return Money::formatRounded(*v * (hundred - percent.toRational()) / hundred).toString();
}

namespace {

bool isReturnToLegalEntity(const ReceiptContext& context) {
    return context.legalEntity &&
           context.kindCaption.trimmed().compare(QStringLiteral("ВОЗВРАТ ПРИХОДА"), Qt::CaseInsensitive) == 0;
}

ReceiptModel::RowTally tallyOf(const ReceiptModel& model, int r) {
    ReceiptModel::RowTally t;
    t.occupied = !model.isFree(r);
    t.active = model.isActive(r);
    if (t.active) {
        t.sum = model.lineSum(r).kopecks;
        t.discount = model.lineDiscount(r).kopecks;
    }
    return t;
}

// Totals, discount total and layout from what the tally holds of each row.
void finishFromTally(ReceiptModel& model, const ReceiptContext& context, RecalcResult& result) {
    const ReceiptModel::Tally& tally = model.tally();
    Money total, discount;
    total.kopecks = tally.total;
    discount.kopecks = tally.discount;
    const bool occupied = tally.occupiedRows > 0;
    const bool discounted = tally.discountedRows > 0;
    model.setLayout(occupied && isReturnToLegalEntity(context) ? 7 : discounted ? 6 : 5);
    model.tally().valid = true;
    model.tally().revision = model.revision();
    result.totalText = total.toString() + QLatin1Char(' ');
    result.discountText = discount.toString();
    result.layout = model.layout();
}

void tallyAll(ReceiptModel& model) {
    auto& rows = model.tally().rows;
    rows.assign(size_t(model.rowCount()), {});
    for (int r = 1; r < model.rowCount(); ++r) rows[size_t(r)] = tallyOf(model, r);
    model.tally().recount();
}

// The number of the nearest position above `row`, 0 when there is none.
// Positions are numbered 1, 2, ... from the top, so the row right above
// usually answers; a number that cannot be read sends the count back to the
// top.
int numberAbove(const ReceiptModel& model, int row) {
    for (int r = row - 1; r >= 1; --r) {
        if (!model.isActive(r)) continue;
        const int n = model.cellView(r, ReceiptModel::ColPosNo).trimmed().toInt();
        if (n > 0) return n;
        int count = 0;
        for (int q = 1; q <= r; ++q) count += model.isActive(q) ? 1 : 0;
        return count;
    }
    return 0;
}

// Without a receipt discount every row's money depends on that row alone:
// only the rows changed since the last recalculation are worked out again
// (on a copy of just those rows, so a refusal leaves the receipt as it
// was), the position numbers are rewritten from the first row that became
// or stopped being a position, and the totals come from the tally. The
// result is the one the whole pass would give. False when this shortcut
// does not apply (nothing is changed then).
bool recalcChangedRows(ReceiptModel& model, const ReceiptContext& context, RecalcResult& result) {
    ReceiptModel::Tally& tally = model.tally();
    const int rowCount = model.rowCount();
    if (!tally.valid || tally.rows.size() != size_t(rowCount) || model.receiptDiscountKind() != QLatin1Char('N') ||
        model.rowRevision(0) > tally.revision)
        return false;

    std::vector<int> changed;
    model.rowsChangedSince(tally.revision, changed);
    changed.erase(std::remove(changed.begin(), changed.end(), 0), changed.end());
    int occupiedRows = tally.occupiedRows;
    for (const int r : changed) occupiedRows += (model.isFree(r) ? 0 : 1) - (tally.rows[size_t(r)].occupied ? 1 : 0);
    // An empty receipt drops its discount and sets the buttons: the whole pass does that.
    if (occupiedRows == 0) return false;

    ReceiptModel work;
    work.setReceiptDiscount(QStringLiteral("N"), QStringLiteral("0"));
    for (const int r : changed) {
        const int w = work.appendRow();
        for (int c = 0; c < ReceiptModel::ColumnCount; ++c) work.setCell(w, c, model.cell(r, c));
        for (int a = 0; a < ReceiptModel::AttrCount; ++a) work.setAttr(w, a, model.attr(r, a));
    }
    Pass pass(work);
    pass.lineDiscounts();
    if (pass.failed()) {
        result.code = 'D';
        result.message = pass.failure;
        // Work row 1 is its own empty row; the changed rows follow it.
        if (pass.failedRow >= 2 && pass.failedRow - 2 < int(changed.size())) result.failedRow = changed[size_t(pass.failedRow - 2)];
        result.totalText = CalcReceiptTotal(model) + QLatin1Char(' ');
        result.discountText = CalcReceiptDiscountSum(model);
        result.layout = model.layout();
        return true;
    }

    // The first row whose numbering changes: the rows before it keep theirs.
    int renumberFrom = rowCount;
    for (size_t i = 0; i < changed.size(); ++i) {
        const int r = changed[i];
        const int w = int(i) + 2;  // work row 1 is its own empty row
        for (int c = 0; c < ReceiptModel::ColumnCount; ++c) model.setCell(r, c, work.cell(w, c));
        for (int a = 0; a < ReceiptModel::AttrCount; ++a) model.setAttr(r, a, work.attr(w, a));
        if (model.isActive(r) != tally.rows[size_t(r)].active) renumberFrom = std::min(renumberFrom, r);
    }
    // Rows above the first that became or stopped being a position keep
    // their numbers; from there on every row is numbered again.
    for (const int r : changed) {
        if (r >= renumberFrom) break;
        model.setCell(r, ReceiptModel::ColPosNo,
                      model.isActive(r) ? QString::number(numberAbove(model, r) + 1) : QString());
    }
    if (renumberFrom < rowCount) {
        int number = numberAbove(model, renumberFrom);
        for (int r = renumberFrom; r < rowCount; ++r)
            model.setCell(r, ReceiptModel::ColPosNo, model.isActive(r) ? QString::number(++number) : QString());
    }
    for (const int r : changed) tally.set(size_t(r), tallyOf(model, r));
    finishFromTally(model, context, result);
    return true;
}

}  // namespace

RecalcResult RecalcReceipt(ReceiptModel& model, const ReceiptContext& context) {
    RecalcResult result;
    if (recalcChangedRows(model, context, result)) return result;

    ReceiptModel work = model;
    const bool empty = work.isEmpty();
    if (empty) work.setReceiptDiscount(QStringLiteral("N"), QStringLiteral("0"));

    Pass pass(work);
    const QChar kind = work.receiptDiscountKind();
    if (kind == QLatin1Char('P')) {
        pass.receiptPercent();
    } else if (kind == QLatin1Char('S')) {
        pass.receiptSum();
    } else if (kind == QLatin1Char('N')) {
        pass.lineDiscounts();
    }

    if (pass.failed()) {
        result.code = 'D';
        result.message = pass.failure;
        result.failedRow = pass.failedRow;
        result.totalText = CalcReceiptTotal(model) + QLatin1Char(' ');
        result.discountText = CalcReceiptDiscountSum(model);
        result.layout = model.layout();
        return result;
    }
    RenumberPositions(work);
    work.setLayout(ChooseLayout(work, context));
    model.adoptChangedRows(work);
    if (empty) result.discountButtonsEnabled = discountButtonsEnabledForKind(context.kindCaption);
    tallyAll(model);
    finishFromTally(model, context, result);
    return result;
}

ReceiptMessage recalcMessage(const RecalcResult& result, const ReceiptModel& model) {
    const ReceiptMessageId id = result.message.value_or(ReceiptMessageId::InvalidDataFormat);
    if (id == ReceiptMessageId::DiscountZeroesPosition && model.isDataRow(result.failedRow))
        return discountZeroesPositionMessage(model.cell(result.failedRow, ReceiptModel::ColName));
    return receiptMessage(id);
}

bool sumDiscountApplies(const ReceiptModel& model, int row) {
    const QChar receipt = model.receiptDiscountKind();
    return receipt == QLatin1Char('S') || (receipt == QLatin1Char('N') && model.lineDiscountKind(row) == QLatin1Char('S'));
}

std::vector<Money> spreadOverPieces(const std::vector<Money>& amounts, Money target) {
    std::int64_t whole = 0;
    for (const Money& a : amounts) whole += a.kopecks;
    std::vector<Money> out(amounts.size());
    if (amounts.empty()) return out;
    if (whole <= 0) {
        out.back() = target;
        return out;
    }
    // Each piece keeps target * its amount / whole, rounded down; the
    // kopecks left over go to the largest remainders (the larger piece,
    // then the earlier one, on a tie).
    std::vector<std::pair<__int128, size_t>> remainders;
    std::int64_t given = 0;
    for (size_t i = 0; i < amounts.size(); ++i) {
        const __int128 share = __int128(target.kopecks) * amounts[i].kopecks;
        out[i].kopecks = std::int64_t(share / whole);
        given += out[i].kopecks;
        remainders.emplace_back(share % whole, i);
    }
    std::stable_sort(remainders.begin(), remainders.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first > b.first;
        return amounts[a.second].kopecks > amounts[b.second].kopecks;
    });
    for (size_t k = 0; given < target.kopecks && k < remainders.size(); ++k, ++given) ++out[remainders[k].second].kopecks;
    return out;
}

Money priceForPart(Money sum, const PackPart& part) {
    // price * n / d must round to the sum: the nearest price to sum * d / n
    // does, since one kopeck of price moves the part by less than a kopeck.
    return Money::round2(sum.toRational() * Rational(part.den, part.num));
}

std::vector<Money> discountedPieces(const ReceiptModel& model, int row) {
    const std::optional<Rational> price = model.basePriceExact(row);
    const Qty qty = model.quantity(row);
    if (!price || !qty.isPositive()) return {};
    return spreadOverPieces(rowPieces(model, row, *price, qty), model.lineSum(row));
}

namespace {
// The sum of one money column over the rows that belong to the receipt.
Money sumActiveRows(const ReceiptModel& model, Money (ReceiptModel::*column)(int) const) {
    Money total;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isActive(r)) total += (model.*column)(r);
    }
    return total;
}
}  // namespace

Money calcReceiptTotal(const ReceiptModel& model) { return sumActiveRows(model, &ReceiptModel::lineSum); }

QString CalcReceiptTotal(const ReceiptModel& model) { return calcReceiptTotal(model).toString(); }

Money calcReceiptDiscountSum(const ReceiptModel& model) { return sumActiveRows(model, &ReceiptModel::lineDiscount); }

QString CalcReceiptDiscountSum(const ReceiptModel& model) { return calcReceiptDiscountSum(model).toString(); }

Money calcReceiptSumNoDiscount(const ReceiptModel& model) {
    Rational sum;
    for (int r = 1; r < model.rowCount(); ++r) {
        if (!model.isActive(r)) continue;
        const auto price = model.basePriceExact(r);
        const Qty qty = model.quantity(r);
        if (price && qty.isPositive()) sum = sum + *price * qty.toRational();
    }
    return Money::formatRounded(sum);
}

QString CalcReceiptSumNoDiscount(const ReceiptModel& model) { return calcReceiptSumNoDiscount(model).toString(); }

bool discountButtonsEnabledForKind(const QString& kindCaption) {
    return kindCaption.trimmed().compare(QStringLiteral("ПРИХОД"), Qt::CaseInsensitive) == 0;
}

int ChooseLayout(const ReceiptModel& model, const ReceiptContext& context) {
    if (context.legalEntity && !model.isEmpty() &&
        context.kindCaption.trimmed().compare(QStringLiteral("ВОЗВРАТ ПРИХОДА"), Qt::CaseInsensitive) == 0) {
        return 7;
    }
    for (int r = 1; r < model.rowCount(); ++r) {
        if (model.isActive(r) && !model.lineDiscount(r).isZero()) return 6;
    }
    return 5;
}

std::array<double, ReceiptModel::ColumnCount> layoutFractions(int layout) {
    std::array<double, ReceiptModel::ColumnCount> f{};
    switch (layout) {
    case 6:
        f[3] = 0.05, f[4] = 0.51, f[5] = 0.14, f[6] = 0.10, f[7] = 0.13, f[8] = 0.10;
        break;
    case 7:
        f[3] = 0.032, f[4] = 0.47, f[5] = 0.11, f[6] = 0.08, f[7] = 0.11, f[10] = 0.12, f[11] = 0.45;
        break;
    default:
        f[3] = 0.05, f[4] = 0.54, f[5] = 0.14, f[6] = 0.10, f[7] = 0.15;
        break;
    }
    return f;
}

GridLayout SetGoodsGridLayout(int layout, int clientWidth) {
    GridLayout g;
    g.layout = (layout == 6 || layout == 7) ? layout : 5;
    const int width = clientWidth > 0 ? clientWidth : 0;
    const auto f = layoutFractions(g.layout);
    int total = 0;
    for (int c = 0; c < ReceiptModel::ColumnCount; ++c) {
        g.widths[c] = static_cast<int>(std::lround(width * f[c]));
        total += g.widths[c];
    }
    if (g.layout == 7) {
        g.rangeSelection = false;
        g.horizontalScrollBar = true;
    } else {
        const int name = g.widths[ReceiptModel::ColName] + (width - total);
        g.widths[ReceiptModel::ColName] = name > 0 ? name : 0;
        g.rangeSelection = true;
        g.horizontalScrollBar = false;
    }
    return g;
}

}  // namespace sales
