#include "archive/Refund.h"

#include "archive/uQueryEdizm.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/FractionalCount.h"
#include "sales/receipt/ReceiptCalc.h"

#include <QHash>
#include <QSet>

#include <array>
#include <cmath>

namespace archive {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString cut45(const QString& name) {
    return name.size() >= 46 ? name.left(45) + QStringLiteral("...") : name;
}

std::optional<double> number(QString text) {
    text = text.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<qint64> wholeNumber(const QString& text) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (ok) return v;
    return std::nullopt;
}

bool goodDataSaysWeighed(const QString& oW) {
    // Unreadable counts as weighed, as the catalogue's flag is read elsewhere.
    const std::optional<qint64> v = wholeNumber(oW);
    return !v || *v != 0;
}

bool isMarked(const StoredLine& line) {
    return !line.serial.trimmed().isEmpty();
}

// "n/d" of a fractional sale; none when the line was sold whole.
std::optional<std::pair<QString, QString>> fractionOf(const StoredLine& line) {
    const QStringList parts = line.fraction.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 2) return std::nullopt;
    const std::optional<qint64> n = wholeNumber(parts[0]);
    const std::optional<qint64> d = wholeNumber(parts[1]);
    if (!n || !d || *n <= 0 || *d <= 0) return std::nullopt;
    return std::make_pair(QString::number(*n), QString::number(*d));
}

// A line of goods with a mark type that carries no marking data at all.
bool soldWithoutCode(const StoredLine& line) {
    const std::optional<qint64> type = wholeNumber(line.markType);
    return type && *type != 0 && line.gtin.trimmed().isEmpty() && line.markingCode.trimmed().isEmpty();
}

QStringList uncodedEntry(const StoredLine& line) {
    return {line.goodId.trimmed(), QString(),           QString(),           QString(),           QString(),
            QStringLiteral("0"),   QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
}

// The stock unit the sale moved for this code, so that the return moves the
// same back: a tobacco code was checked at the sale as a 29-character pack
// code (one pack) or a longer group code (a block of ten); other types move
// stock by their quantity and carry no unit.
QString stockUnitOf(const StoredLine& line) {
    const std::optional<qint64> type = wholeNumber(line.markType);
    const QString code = line.markingCode.trimmed();
    if (!type || *type != 4 || code.isEmpty()) return QStringLiteral("0");
    return code.size() == 29 ? QStringLiteral("1") : QStringLiteral("10");
}

QStringList baseMarkingEntry(const StoredLine& line) {
    const auto fraction = fractionOf(line);
    return {line.goodId.trimmed(),
            line.gtin,
            line.serial,
            QString(),
            line.markingCode,
            fraction ? QStringLiteral("4") : QStringLiteral("3"),
            QStringLiteral("0"),
            fraction ? fraction->first : QStringLiteral("0"),
            fraction ? fraction->second : QStringLiteral("0"),
            stockUnitOf(line)};
}

QString sumText(const QString& price, const QString& count) {
    const double p = number(price).value_or(0);
    const double q = number(count).value_or(0);
    return QString::number(std::round(p * q * 100.0) / 100.0, 'f', 2);
}

struct LineKind {
    QString id;       // column 1
    QString kind;     // column 2
    QString country;  // column 10
};

LineKind kindOf(const StoredLine& line, const GoodDataLookup& goodData) {
    const std::optional<qint64> id = wholeNumber(line.goodId);
    const bool freePrice = !id || *id == 0;
    std::optional<GoodData> data;
    if (!freePrice && goodData) data = goodData(line.goodId.trimmed());
    if (data) return {line.goodId.trimmed(), goodDataSaysWeighed(data->weighed) ? "W" : "P", data->country};
    // Goods gone from the catalogue, or a free-price line: the sale's own kind
    // shows in how its quantity was written.
    const bool decimals = line.count.contains(QLatin1Char('.')) || line.count.contains(QLatin1Char(','));
    return {freePrice ? QString() : line.goodId.trimmed(), decimals ? "W" : "P", QString()};
}

void writeRow(sales::ReceiptModel& m, int row, const StoredLine& line, const LineKind& k, int unit,
              bool withCountryAndDeclaration) {
    using M = sales::ReceiptModel;
    m.setCell(row, M::ColStatus, M::StatusActive);
    m.setCell(row, M::ColId, k.id);
    m.setCell(row, M::ColKind, k.kind);
    m.setCell(row, M::ColName, line.name);
    m.setCell(row, M::ColPrice, line.price);
    m.setCell(row, M::ColQty, line.count);
    m.setCell(row, M::ColSum, sumText(line.price, line.count));
    m.setCell(row, M::ColSubject, goodTypeAbbrFromStored(line.goodType));
    m.setCell(row, M::ColCountry, withCountryAndDeclaration ? k.country : QString());
    m.setCell(row, M::ColCustoms, withCountryAndDeclaration ? line.declaration : QString());
    m.setAttr(row, M::AttrBasePrice, line.price);
    m.setAttr(row, M::AttrDiscountKind, QStringLiteral("N"));
    m.setAttr(row, M::AttrDiscountValue, QStringLiteral("0"));
    m.setAttr(row, M::AttrMeasure, QString::number(unit));
    if (line.vat && *line.vat >= 1 && *line.vat <= 6) m.setAttr(row, M::AttrVat, QString::number(*line.vat));
}

void setMarkType(sales::ReceiptModel& m, int row, const StoredLine& line) {
    const std::optional<qint64> t = wholeNumber(line.markType);
    m.setAttr(row, sales::ReceiptModel::AttrMarkType, QString::number(t.value_or(0)));
}

// A position whose units were sold at prices of their own: each unit's
// marking entry carries its price, which the register is given for it, and
// the position, priced at the highest of them, is brought down to their sum
// by a discount, so that the screen, the register and the store agree.
// False when the position holds whole units only: one price for them all is
// what the position's sum can be, so they cannot keep their own.
bool priceUnitsOwnWay(RefundPlan& plan, int row, const std::vector<StoredLine>& lines) {
    using sales::Money;
    using sales::Rational;
    using M = sales::ReceiptModel;
    M& m = plan.receipt;
    if (m.attr(row, M::AttrPackParts).trimmed().isEmpty()) return false;
    const QString id = m.cell(row, M::ColId).trimmed();
    QHash<QString, QString> priceOf;  // serial -> price
    for (const StoredLine& l : lines)
        if (l.goodId.trimmed() == id && isMarked(l)) priceOf.insert(l.serial.trimmed(), l.price);
    Money top;
    std::vector<std::pair<Rational, Rational>> units;  // price, part
    for (QStringList& record : plan.markedItems) {
        if (record.value(sales::MarkGoodId).trimmed() != id) continue;
        const QString price = priceOf.value(record.value(sales::MarkSerial).trimmed());
        while (record.size() <= sales::MarkUnitPrice) record.append(QString());
        record[sales::MarkUnitPrice] = price;
        const Money p = Money::parseOr(price);
        top = std::max(top, p);
        const qint64 n = record.value(sales::MarkNumerator).toLongLong();
        const qint64 d = record.value(sales::MarkDenominator).toLongLong();
        units.emplace_back(p.toRational(), n > 0 && d > n ? Rational(n, d) : Rational(1));
    }
    Money atTop, sold;
    for (const auto& [p, part] : units) {
        atTop += Money::round2(top.toRational() * part);
        sold += Money::round2(p * part);
    }
    m.setAttr(row, M::AttrBasePrice, top.toString());
    m.setCell(row, M::ColPrice, top.toString());
    if (atTop > sold) m.setLineDiscount(row, QStringLiteral("S"), (atTop - sold).toString());
    return true;
}

}  // namespace

std::vector<std::optional<StoredLine>> linesLeftToReturn(const std::vector<StoredLine>& lines,
                                                         const sales::SaleLedger& sale) {
    using sales::Money;
    using sales::Qty;
    std::vector<std::optional<StoredLine>> out(lines.size());
    // The lines of one goods (or one marked unit) share what is left of it:
    // the quantity left is the latest lines', earlier returns having taken
    // the earliest first.
    QList<QString> order;
    QHash<QString, std::vector<std::size_t>> groups;
    auto keyOf = [](const StoredLine& l) {
        return sales::refundGoodsKey(l.goodId, l.name, l.price) + QLatin1Char('#') + l.serial.trimmed().toUpper();
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString key = keyOf(lines[i]);
        if (!groups.contains(key)) order.append(key);
        groups[key].push_back(i);
    }
    for (const QString& key : order) {
        const std::vector<std::size_t>& idx = groups[key];
        const StoredLine& first = lines[idx.front()];
        const sales::LeftOf left =
            sale.entryLeft(sales::refundGoodsKey(first.goodId, first.name, first.price), first.serial.trimmed());
        if (!left.qty.isPositive() || left.money.kopecks <= 0) continue;
        std::vector<Qty> qty(idx.size());
        std::int64_t rest = left.qty.thousandths;
        for (std::size_t k = idx.size(); k-- > 0 && rest > 0;) {
            const std::int64_t sold = std::max<std::int64_t>(0, Qty::parseOr(lines[idx[k]].count).thousandths);
            qty[k] = Qty{std::min(sold, rest)};
            rest -= qty[k].thousandths;
        }
        Qty cumulative;
        Money given;
        for (std::size_t k = 0; k < idx.size(); ++k) {
            if (!qty[k].isPositive()) continue;
            StoredLine l = lines[idx[k]];
            const Qty sold = Qty::parseOr(l.count);
            // A marked unit goes back whole with its code or not at all.
            if (isMarked(l) && qty[k] != sold) continue;
            cumulative = cumulative + qty[k];
            const Money money = left.share(cumulative) - given;
            given += money;
            if (money.kopecks <= 0) continue;
            if (qty[k] != sold) {
                // Written the way the sale wrote it: three decimals for a
                // weighed quantity, a whole number for pieces.
                const bool decimals = l.count.contains(QLatin1Char('.')) || l.count.contains(QLatin1Char(','));
                l.count = decimals || !qty[k].isWhole() ? qty[k].toWeightString() : qty[k].toWholeString();
            }
            const auto fraction = fractionOf(l);
            const Money price = fraction ? sales::priceForPart(money, sales::PackPart{fraction->first.toLongLong(),
                                                                                      fraction->second.toLongLong()})
                                         : sales::priceForRefund(money, qty[k]);
            l.price = price.toString();
            out[idx[k]] = l;
        }
    }
    return out;
}

QString goodTypeAbbrFromStored(const QString& stored) {
    static const std::array<const char*, 14> kByCode{"",   "Т",  "АТ",  "Р", "У",  "СА", "ВА",
                                                     "СЛ", "ВЛ", "РИД", "П", "АВ", "",   "ИПР"};
    const std::optional<qint64> code = wholeNumber(stored);
    if (code && *code >= 1 && *code <= 13 && *kByCode[*code]) return QString::fromUtf8(kByCode[*code]);
    // Marked excise goods, sold with their code (31) or without it (30).
    if (code && (*code == 31 || *code == 30)) return QStringLiteral("АТ");
    return QStringLiteral("Т");
}

int paymentMethodFromStored(const QString& stored) {
    return int(wholeNumber(stored).value_or(4));
}

QString unitRefusalOne(const QString& name) {
    return QStringLiteral(" У выбранной Вами позиции:     ") + kCrLf + QStringLiteral("   < ") + cut45(name) +
           QStringLiteral(" >     ") + kCrLf +
           QStringLiteral(" некорректное значение реквизита 'мера количества'     ") + kCrLf +
           QStringLiteral(" (единицы измерения)") + kCrLf + kCrLf +
           QStringLiteral(" Позиция не может быть добавлена в чек.     ") + kCrLf +
           QStringLiteral(" (недостаточно прав у пользователя). ");
}

QString unitRefusalWhole() {
    return QStringLiteral(" Чек содержит позиции с некорректным значением реквизита    ") + kCrLf +
           QStringLiteral(" 'мера количества' (единицы измерения).     ") + kCrLf + kCrLf +
           QStringLiteral(" У Вас недостаточно прав для открытия этого чека.     ") + kCrLf;
}

QString refundErrorText(const RefundError& error) {
    switch (error.failure) {
        case RefundFailure::MarkingData:
            return QStringLiteral(" Позиция * ") + error.name + QStringLiteral(" *") + kCrLf +
                   QStringLiteral("содержит некорректные данные маркировки (GTIN - SerialGTIN).      ") + kCrLf +
                   kCrLf + QStringLiteral("Чек не может быть открыт. ") + kCrLf +
                   QStringLiteral(" Сообщите о проблеме разработчику программы. ");
        case RefundFailure::PriceConflict:
            return QStringLiteral("Чек содержит некорректные данные :    ") + kCrLf +
                   QStringLiteral("   несколько единиц одного товара по разным ценам.     ") + kCrLf + kCrLf +
                   QStringLiteral(" Чек не может быть открыт. ") + kCrLf +
                   QStringLiteral("Сообщите о проблеме разработчику программы.       ");
        case RefundFailure::WeighedMarked:
            return QStringLiteral("Позиция * ") + error.name + QStringLiteral(" *     ") + kCrLf +
                   QStringLiteral("содержит некорректные данные :     ") + kCrLf +
                   QStringLiteral(" маркированный товар не может иметь признак \"весовой\".     ") + kCrLf + kCrLf +
                   QStringLiteral("Чек не может быть открыт.");
        case RefundFailure::MarkingRefused:
            return {};
    }
    return {};
}

std::optional<std::vector<int>> resolveUnits(const std::vector<StoredLine>& lines, RefundMode mode, bool isAdmin,
                                             UnitQuery& query, QString* refusal) {
    if (refusal) refusal->clear();
    std::vector<int> codes;
    codes.reserve(lines.size());
    for (const StoredLine& line : lines) {
        if (isValidUnitCode(line.unit)) {
            codes.push_back(*line.unit);
            continue;
        }
        if (!isAdmin) {
            if (refusal) *refusal = mode == RefundMode::One ? unitRefusalOne(line.name) : unitRefusalWhole();
            return std::nullopt;
        }
        const std::optional<int> chosen =
            query.ask(mode == RefundMode::One ? QStringLiteral(" У выбранной Вами позиции:")
                                              : QStringLiteral(" В выбранном чеке у позиции :"),
                      line.name);
        if (!isValidUnitCode(chosen)) return std::nullopt;
        codes.push_back(*chosen);
    }
    return codes;
}

std::variant<RefundPlan, RefundError> buildRefundPlan(const StoredReceipt& receipt,
                                                      const std::vector<StoredLine>& lines,
                                                      const std::vector<int>& units, RefundMode mode,
                                                      const GoodDataLookup& goodData,
                                                      const MarkedRefundCheck& markedCheck) {
    using M = sales::ReceiptModel;
    RefundPlan plan;
    plan.receipt.reset();
    plan.fpd = receipt.fpd;
    plan.docId = receipt.docId;
    plan.hasBuyer = !receipt.buyerName.trimmed().isEmpty();
    if (plan.hasBuyer) {
        plan.buyerName = receipt.buyerName;
        plan.buyerInn = receipt.buyerInn;
    }
    if (!lines.empty()) plan.paymentMethodFlag = paymentMethodFromStored(lines.front().payType);

    // Codes are checked by the register only once the whole receipt is known
    // to be returnable: a code the register accepted must not be left behind
    // by a refusal of a later line.
    std::vector<std::pair<const StoredLine*, qsizetype>> toCheck;
    auto carryMarking = [&](const StoredLine& line) -> std::optional<RefundError> {
        if (!isMarked(line)) {
            // A marked unit sold without its code (a tobacco pack "без
            // маркировки") goes back the way it was sold: a record without a
            // code, so closing registers the unit instead of missing it.
            if (mode == RefundMode::Whole && soldWithoutCode(line)) plan.markedItems.append(uncodedEntry(line));
            return std::nullopt;
        }
        toCheck.emplace_back(&line, plan.markedItems.size());
        plan.markedItems.append(baseMarkingEntry(line));
        return std::nullopt;
    };

    M& m = plan.receipt;
    QSet<int> mixedRows;  // positions whose units keep prices of their own
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StoredLine& line = lines[i];
        const int unit = i < units.size() ? units[i] : 0;
        const LineKind k = kindOf(line, goodData);

        if (mode == RefundMode::One || plan.hasBuyer) {
            // Each position a row of its own; with a buyer no marking is carried.
            const int row = (i == 0) ? 1 : m.appendRow();
            const auto f = fractionOf(line);
            if (plan.hasBuyer && mode == RefundMode::Whole && f) {
                // A part of a pack without its code is registered by its
                // quantity: priced so that it still gives back its money.
                StoredLine asPiece = line;
                const sales::Money money =
                    sales::Money::formatRounded(sales::Rational::parse(line.price).value_or(sales::Rational{}) *
                                                sales::Rational(f->first.toLongLong(), f->second.toLongLong()));
                asPiece.price = sales::priceForRefund(money, sales::Qty::parseOr(line.count)).toString();
                writeRow(m, row, asPiece, k, unit, true);
                continue;
            }
            writeRow(m, row, line, k, unit, true);
            if (mode == RefundMode::One) {
                if (auto failed = carryMarking(line)) return *failed;
                // A carried marking code is used by closing only through the mark type.
                if (isMarked(line)) setMarkType(m, row, line);
            }
            if (mode == RefundMode::One) break;
            continue;
        }

        if (line.gtin.trimmed().isEmpty() != line.serial.trimmed().isEmpty())
            return RefundError{RefundFailure::MarkingData, line.name};
        QString price = line.price;
        price.replace(QLatin1Char(','), QLatin1Char('.'));
        int found = sales::FindGoodRowWithPrice(m, k.id, price);
        if (found < 0 && isMarked(line)) {
            // A unit of the goods sold at a price of its own (a part of a
            // pack under a receipt discount): it joins the goods' position
            // and goes back at the money it was sold for.
            const int held = sales::FindGoodRow(m, k.id);
            if (held > 0 && m.markType(held) != 0) {
                found = held;
                mixedRows.insert(held);
            }
        }
        if (found < 0) return RefundError{RefundFailure::PriceConflict, line.name};
        if (found > 0) {
            const QString kind = m.cell(found, M::ColKind).trimmed();
            if (kind == QLatin1String("P")) {
                const std::optional<qint64> held = wholeNumber(m.cell(found, M::ColQty));
                const std::optional<qint64> more = wholeNumber(line.count);
                if (held && more) {
                    m.setCell(found, M::ColQty, QString::number(*held + *more));
                } else {
                    // A part of a pack is stored as its share of the pack
                    // ("0.300"), so the sum keeps the thousandths.
                    const double sum = number(m.cell(found, M::ColQty)).value_or(0) + number(line.count).value_or(0);
                    m.setCell(found, M::ColQty, QString::number(sum, 'f', 3));
                }
                if (auto failed = carryMarking(line)) return *failed;
            } else {
                const double sum = number(m.cell(found, M::ColQty)).value_or(0) + number(line.count).value_or(0);
                m.setCell(found, M::ColQty, QString::number(sum, 'f', 3));
                // Marked goods counted in pieces may be sold by parts of a
                // pack, which makes their row fractional; each unit keeps
                // its marking record.
                if (auto failed = carryMarking(line)) return *failed;
            }
            continue;
        }
        // Only goods measured by weight cannot be marked; marked goods counted
        // in pieces that may be sold by parts of a pack are fractional too.
        if (k.kind == QLatin1String("W") && isMarked(line) && unit != 0)
            return RefundError{RefundFailure::WeighedMarked, line.name};
        const int row = sales::GetFreeGridRow(m);
        writeRow(m, row, line, k, unit, false);
        setMarkType(m, row, line);
        if (auto failed = carryMarking(line)) return *failed;
    }
    bool accepted = false;
    for (const auto& [line, index] : toCheck) {
        std::optional<QStringList> entry =
            markedCheck ? markedCheck(*line, plan.markedItems[index]) : std::optional<QStringList>();
        if (!entry) return RefundError{RefundFailure::MarkingRefused, line->name, accepted};
        plan.markedItems[index] = *entry;
        accepted = true;
    }
    // Parts of a pack are priced one by one, as they were sold.
    for (int r = 1; r < m.rowCount(); ++r)
        if (m.isActive(r)) m.setAttr(r, M::AttrPackParts, sales::packPartsOf(plan.markedItems, m.cell(r, M::ColId)));
    for (const int r : mixedRows)
        if (!priceUnitsOwnWay(plan, r, lines))
            return RefundError{RefundFailure::PriceConflict, m.cell(r, M::ColName), accepted};
    sales::RenumberPositions(m);
    return plan;
}

bool runRefund(const StoredReceipt& receipt, const std::vector<StoredLine>& lines, RefundMode mode,
               RefundTarget& target, UnitQuery& units, const GoodDataLookup& goodData,
               const MarkedRefundCheck& markedCheck, QWidget* messageParent) {
    if (lines.empty()) return false;
    QString refusal;
    const std::optional<std::vector<int>> codes = resolveUnits(lines, mode, target.isAdministrator(), units, &refusal);
    if (!codes) {
        if (!refusal.isEmpty()) ui::showError(refusal, messageParent);
        return false;
    }
    std::variant<RefundPlan, RefundError> planned =
        buildRefundPlan(receipt, lines, *codes, mode, goodData, markedCheck);
    if (const RefundError* error = std::get_if<RefundError>(&planned)) {
        if (error->codesAccepted) target.forgetAbandonedCodes();
        const QString text = refundErrorText(*error);
        if (!text.isEmpty()) ui::showError(text, messageParent);
        return false;
    }
    target.applyRefund(std::get<RefundPlan>(planned));
    return true;
}

}  // namespace archive
