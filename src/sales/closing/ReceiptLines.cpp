#include "sales/closing/ReceiptLines.h"

#include "sales/marking/FractionalCount.h"

#include "core/CodeTables.h"
#include "sales/receipt/ReceiptCalc.h"

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

using Outcome = ReceiptLinesResult::Outcome;

ReceiptLinesResult stopped(const QString& message) {
    ReceiptLinesResult r;
    r.outcome = Outcome::Stopped;
    r.message = message;
    return r;
}

ReceiptLinesResult cancelled() {
    ReceiptLinesResult r;
    r.outcome = Outcome::Cancelled;
    return r;
}

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// What a VAT rule gives for one row: a code, a stop with a message, or a
// silent end (the cashier cancelled the dialog).
struct VatAnswer {
    QString code;
    std::optional<ReceiptLinesResult> stop;
};

VatAnswer askVat(const VatQuery& vatQuery, const QString& prompt) {
    const int result = vatQuery ? vatQuery(prompt) : 0;
    if (result >= 21 && result <= 26) return {QString::number(result - 20), std::nullopt};
    return {QString(), cancelled()};
}

// The VAT rule: under the general system a stored code of 1 to 5 is taken
// and anything else asked (a "no VAT" code under the general system is
// rarely what the goods card meant, and a code the register does not know
// must never reach it); the other systems carry no VAT.
VatAnswer vatFor(int taxSystemCode, const QString& stored, bool useStored, const VatQuery& vatQuery,
                 const QString& prompt) {
    switch (taxSystemCode) {
    case kTaxOsn: {
        if (useStored) {
            const std::optional<int> code = wholeNumber(stored);
            if (code && *code >= 1 && *code <= 5) return {QString::number(*code), std::nullopt};
        }
        return askVat(vatQuery, prompt);
    }
    case 2:
    case 4:
    case 16:
    case 32:
        return {QStringLiteral("6"), std::nullopt};
    case kTaxEnvd:
        return {QString(), stopped(failureText(QStringLiteral("указана некорректная СНО - ЕНВД"), taxSystemAdvice()))};
    default:
        return {QString(),
                stopped(failureText(QStringLiteral("неизвестная система налогообложения (СНО)"), taxSystemAdvice()))};
    }
}

QString badPrepaySum(int row) {
    return QStringLiteral(" При работе программы возникла ошибка:     ") + kCrLf +
           QStringLiteral(" 'некорректная сумма в позиции ") + QString::number(row) + QStringLiteral("'. ") +
           failureTail();
}

QString badFullSum(int row) {
    return QStringLiteral(" При работе программы произошел сбой:     ") + kCrLf +
           QStringLiteral(" 'некорректная сумма в строке ") + QString::number(row) + QStringLiteral("'.     ") +
           failureTail();
}

// The rows to be printed do not add up to the receipt total. Restarting would
// only throw the receipt away: the cashier is told which position and why.
QString linesDoNotAddUp(const ReceiptModel* m, int row, std::optional<Money> screenSum, std::optional<Money> printed,
                        Money total, Money printedTotal) {
    QString text = QStringLiteral(" Сумма позиций к печати не совпадает с итогом чека.     ") + kCrLf;
    if (!m || row < 1) {
        return text + QStringLiteral(" Итог чека: ") + total.toString() + QStringLiteral(", к печати: ") +
               printedTotal.toString() + QStringLiteral(".     ") + kCrLf + kCrLf +
               QStringLiteral(" Проверьте цену и количество позиций чека.     ");
    }
    const QString markType = m->attr(row, ReceiptModel::AttrMarkType).trimmed();
    const bool marked = !markType.isEmpty() && markType != QLatin1String("0");
    text += QStringLiteral(" Строка ") + QString::number(row) + QStringLiteral(": < ") +
            shortName(m->cell(row, ReceiptModel::ColName)) + QStringLiteral(" >     ") + kCrLf;
    if (screenSum && printed)
        text += QStringLiteral(" Сумма в чеке: ") + screenSum->toString() + QStringLiteral(", к печати: ") +
                printed->toString() + QStringLiteral(".     ") + kCrLf;
    text += kCrLf;
    if (marked)
        return text + QStringLiteral(" Вероятно, отсканированы не все коды маркировки этого товара.     ") + kCrLf +
               QStringLiteral(" Удалите позицию и добавьте её снова, отсканировав код каждой единицы.     ");
    return text + QStringLiteral(" Проверьте цену и количество этой позиции.     ");
}

// Prepayment: one payment row per position carrying the line sum.
ReceiptLinesResult buildPrepayment(const ReceiptLinesInput& in, const VatQuery& vatQuery, QList<int>* sourceRows) {
    const ReceiptModel& m = *in.receipt;
    ReceiptLinesResult result;
    for (int row = 1; row < m.rowCount(); ++row) {
        if (!m.isActive(row)) continue;
        const QString sumText = m.cell(row, ReceiptModel::ColSum).trimmed();
        const std::optional<Money> sum = Money::parse(sumText);
        if (!sum) return stopped(badPrepaySum(row));
        if (!isPositiveSum(*sum)) continue;
        const VatAnswer vat = vatFor(in.taxSystemCode, QString(), false, vatQuery, vatPromptForRow(row));
        if (vat.stop) return *vat.stop;
        QStringList line = emptyReceiptLine();
        line[LineGoodId] = m.cell(row, ReceiptModel::ColId);
        line[LineName] = m.cell(row, ReceiptModel::ColName);
        line[LineSubject] = QStringLiteral("10");
        line[LineBasePrice] = sumText;
        line[LinePrice] = sumText;
        line[LineQty] = QStringLiteral("1");
        line[LineMarkType] = QStringLiteral("0");
        line[LineMeasure] = QStringLiteral("0");
        line[LineVat] = vat.code;
        result.lines.append(line);
        sourceRows->append(row);
    }
    result.outcome = Outcome::Built;
    return result;
}

// Advance: one nameless row for the whole receipt.
ReceiptLinesResult buildAdvance(const ReceiptLinesInput& in, const VatQuery& vatQuery, const Confirm& confirm) {
    if (in.legalEntity) {
        if (in.buyerName.trimmed().isEmpty()) return stopped(QStringLiteral(" Не указано название покупателя.     "));
        const QString inn = in.buyerInn.trimmed();
        if (inn.isEmpty()) {
            const QString question = QStringLiteral(" Не указан ИНН покупателя.     ") + kCrLf + kCrLf +
                                     QStringLiteral(" Всё равно продолжить?     ");
            if (!confirm || !confirm(question)) return cancelled();
        } else if (inn.size() != 10 && inn.size() != 12) {
            return stopped(QStringLiteral(" Некорректный ИНН покупателя.     "));
        }
    }
    const VatAnswer vat = vatFor(in.taxSystemCode, QString(), false, vatQuery, vatPromptForReceipt());
    if (vat.stop) return *vat.stop;
    const QString total = in.totalCaption.trimmed();
    QStringList line = emptyReceiptLine();
    line[LineSubject] = QStringLiteral("10");
    line[LineBasePrice] = total;
    line[LinePrice] = total;
    line[LineQty] = QStringLiteral("1");
    line[LineMarkType] = QStringLiteral("0");
    line[LineMeasure] = QStringLiteral("0");
    line[LineVat] = vat.code;
    ReceiptLinesResult result;
    result.lines.append(line);
    result.outcome = Outcome::Built;
    return result;
}

QString noNameInRow(int row) {
    return QStringLiteral(" Отсутствует название товара в строке ") + QString::number(row) + QStringLiteral("     ");
}

QString badMeasureForRow(const QString& name, int row) {
    return QStringLiteral(" Не указано или указано некорректное значение      ") + kCrLf +
           QStringLiteral(" реквизита 'мера количества' для позиции:     ") + kCrLf + QStringLiteral(" < ") +
           shortName(name) + QStringLiteral(" > (строка ") + QString::number(row) + QStringLiteral(")    ");
}

QString badGoodsId(int row) {
    return QStringLiteral(" В работе программы произошел сбой:     ") + kCrLf +
           QStringLiteral(" 'некорректный ID товара в строке ") + QString::number(row) + QStringLiteral("'.     ") +
           failureTail();
}

QString badMarkedSubject(const QString& name, int row, const QString& markType) {
    return QStringLiteral(" Некорректный признак предмета расчета   ") + kCrLf +
           QStringLiteral(" для маркированного товара в строке ") + QString::number(row) + QStringLiteral(":     ") +
           QStringLiteral(" < ") + shortName(name) + QStringLiteral(" >     ") + QStringLiteral(" Тип маркировки: '") +
           markType + QStringLiteral("'     ") + QStringLiteral(" Допустимые значения: 'Товар', 'Подакцизный товар'.     ") +
           QStringLiteral(" Укажите в карточке товара корректное значение     ") +
           QStringLiteral(" реквизита 'признак предмета расчета'.     ");
}

QString entryOf(const QStringList& record, int index) { return index < record.size() ? record[index] : QString(); }

// A whole unit has no numerator (empty or 0).
bool isWholeUnit(const QStringList& record) {
    const QString n = entryOf(record, MarkNumerator).trimmed();
    return n.isEmpty() || wholeNumber(n) == 0;
}

// A marked position holding parts of a pack under a sum discount sells for
// exactly its sum, which one price for all its items cannot always give (two
// thirds at 33.33 and 33.32): each item gets the price of its own share.
// Items that do not add up to the position are left for the check that
// follows to report.
void spreadSumDiscount(const ReceiptModel& m, int row, QList<QStringList>& lines, qsizetype first) {
    if (m.attr(row, ReceiptModel::AttrPackParts).trimmed().isEmpty() || !sumDiscountApplies(m, row)) return;
    const std::optional<Rational> base = m.basePriceExact(row);
    if (!base || first >= lines.size()) return;
    std::vector<Money> amounts;
    std::vector<std::optional<PackPart>> parts;
    std::int64_t quantity = 0;
    for (qsizetype i = first; i < lines.size(); ++i) {
        const QStringList& line = lines[i];
        std::optional<PackPart> part;
        if (!line[LineFraction].trimmed().isEmpty()) {
            part = parsePackPart(line[LineFraction]);
            if (!part) return;
        }
        amounts.push_back(Money::round2(part ? *base * Rational(part->num, part->den) : *base));
        quantity += part ? packPartQuantity(*part).thousandths : 1000;
        parts.push_back(part);
    }
    if (quantity != m.quantity(row).thousandths) return;
    const std::vector<Money> shares = spreadOverPieces(amounts, m.lineSum(row));
    for (size_t k = 0; k < shares.size(); ++k)
        lines[first + qsizetype(k)][LinePrice] = (parts[k] ? priceForPart(shares[k], *parts[k]) : shares[k]).toString();
}

// Full payment: unmarked positions one row each, marked ones one row per code.
ReceiptLinesResult buildFullPayment(const ReceiptLinesInput& in, const VatQuery& vatQuery, QList<int>* sourceRows) {
    const ReceiptModel& m = *in.receipt;
    const QList<QStringList> noMarks;
    const QList<QStringList>& marks = in.markedItems ? *in.markedItems : noMarks;
    ReceiptLinesResult result;
    for (int row = 1; row < m.rowCount(); ++row) {
        if (!m.isActive(row)) continue;
        const std::optional<Money> sum = Money::parse(m.cell(row, ReceiptModel::ColSum));
        if (!sum) return stopped(badFullSum(row));
        if (!isPositiveSum(*sum)) continue;
        // Every number the register will be sent must read as one.
        const QString price = m.cell(row, ReceiptModel::ColPrice).trimmed();
        const QString qty = m.cell(row, ReceiptModel::ColQty).trimmed();
        if (!Money::parse(price) || !Qty::parse(qty)) return stopped(badFullSum(row));

        const QString name = m.cell(row, ReceiptModel::ColName);
        const QString goodId = m.cell(row, ReceiptModel::ColId).trimmed();
        const QString markTypeText = m.attr(row, ReceiptModel::AttrMarkType).trimmed();
        const int markType = markTypeText.isEmpty() ? 0 : wholeNumber(markTypeText).value_or(-1);
        const QString country = m.cell(row, ReceiptModel::ColCountry);
        const QString customs = m.cell(row, ReceiptModel::ColCustoms).trimmed();
        const QString measure = m.attr(row, ReceiptModel::AttrMeasure);
        const QString basePrice = m.attr(row, ReceiptModel::AttrBasePrice);

        if (markType == 0) {
            if (name.trimmed().isEmpty()) return stopped(noNameInRow(row));
            if (!isMeasureCode(measureCodeOf(measure))) return stopped(badMeasureForRow(name, row));
            const bool freePrice = wholeNumber(goodId).value_or(0) == 0;
            const QString base = freePrice ? price : basePrice;
            if (!Money::parse(base)) return stopped(badFullSum(row));
            const VatAnswer vat = vatFor(in.taxSystemCode, m.attr(row, ReceiptModel::AttrVat), true, vatQuery,
                                         vatPromptForRow(row));
            if (vat.stop) return *vat.stop;
            QStringList line = emptyReceiptLine();
            line[LineGoodId] = goodId;
            line[LineName] = name;
            line[LineSubject] = QString::number(core::GoodTypeAbbrToCode(m.cell(row, ReceiptModel::ColSubject)));
            line[LineBasePrice] = base;
            line[LinePrice] = price;
            line[LineQty] = qty;
            line[LineCountry] = country;
            line[LineCustoms] = customs;
            line[LineMarkType] = QStringLiteral("0");
            line[LineGtin] = m.attr(row, ReceiptModel::AttrGtin);
            line[LineStockUnit] = QStringLiteral("0");
            line[LineMeasure] = measure;
            line[LineVat] = vat.code;
            result.lines.append(line);
            sourceRows->append(row);
            continue;
        }

        if (!isRegisteredMarkType(markType)) return cancelled();
        if (!wholeNumber(goodId)) return stopped(badGoodsId(row));
        const int subject = core::GoodTypeAbbrToCode(m.cell(row, ReceiptModel::ColSubject));
        QString subjectCode;
        if (subject == 1 || subject == 33) subjectCode = QStringLiteral("33");
        else if (subject == 2 || subject == 31) subjectCode = QStringLiteral("31");
        else return stopped(badMarkedSubject(name, row, markTypeText));
        if (!Money::parse(basePrice)) return stopped(badFullSum(row));
        const VatAnswer vat =
            vatFor(in.taxSystemCode, m.attr(row, ReceiptModel::AttrVat), true, vatQuery, vatPromptForRow(row));
        if (vat.stop) return *vat.stop;
        const qsizetype firstLine = result.lines.size();
        bool ownPrices = false;
        for (const QStringList& record : marks) {
            // Only the position's own units: those of a position excluded
            // from a return are neither registered nor refunded.
            if (entryOf(record, MarkGoodId).trimmed() != goodId ||
                entryOf(record, MarkRowKey).trimmed() != m.attr(row, ReceiptModel::AttrRowKey).trimmed())
                continue;
            QStringList line = emptyReceiptLine();
            line[LineGoodId] = goodId;
            line[LineName] = name;
            line[LineSubject] = subjectCode;
            // A unit sold without its code (a tobacco pack "без маркировки")
            // is goods subject to marking that has no code: 30 for excise
            // goods, 32 for the others; 31 and 33 claim a code it lacks.
            if (entryOf(record, MarkFullCode).trimmed().isEmpty() && entryOf(record, MarkSerial).trimmed().isEmpty())
                line[LineSubject] = subjectCode == QLatin1String("31") ? QStringLiteral("30") : QStringLiteral("32");
            line[LineBasePrice] = basePrice;
            line[LinePrice] = price;
            if (const QString own = entryOf(record, MarkUnitPrice).trimmed(); !own.isEmpty()) {
                line[LinePrice] = own;
                ownPrices = true;
            }
            line[LineCountry] = country;
            line[LineCustoms] = customs;
            line[LineMarkType] = markTypeText;
            line[LineGtin] = entryOf(record, MarkGtin);
            line[LineSerial] = entryOf(record, MarkSerial);
            line[LineStockUnit] = entryOf(record, MarkStockUnit);
            line[LineMarkCode] = entryOf(record, MarkFullCode);
            line[LineVat] = vat.code;
            line[LineOnlineResult] = entryOf(record, MarkOnlineResult);
            line[LineMarkStatus] = entryOf(record, MarkStatus);
            if (isWholeUnit(record)) {
                line[LineQty] = QStringLiteral("1");
                line[LineMeasure] = measure;
            } else {
                // A part of a pack: its quantity is that part of the pack, the
                // same the screen counts and the register is told by the text
                // "n/d" (the register takes the item as one at the part's price).
                const std::optional<Qty> part = markedRecordQuantity(record);
                if (!part) return stopped(badFullSum(row));
                line[LineQty] = part->toWeightString();
                line[LineMeasure] = QStringLiteral("0");
                line[LineFraction] = entryOf(record, MarkNumerator).trimmed() + QLatin1Char('/') +
                                     entryOf(record, MarkDenominator).trimmed();
            }
            result.lines.append(line);
            sourceRows->append(row);
        }
        // Units copied from a sale at their own prices give back what each took.
        if (!ownPrices) spreadSumDiscount(m, row, result.lines, firstLine);
    }
    result.outcome = Outcome::Built;
    return result;
}

}  // namespace

QStringList emptyReceiptLine() {
    QStringList line;
    line.reserve(kReceiptLineSize);
    for (int i = 0; i < kReceiptLineSize; ++i) line.append(QString());
    return line;
}

QString receiptKindName(int kind) {
    switch (kind) {
    case 1: return QStringLiteral("ПРИХОД");
    case 2: return QStringLiteral("ВОЗВРАТ ПРИХОДА");
    case 3: return QStringLiteral("РАСХОД");
    case 4: return QStringLiteral("ВОЗВРАТ РАСХОДА");
    default: return {};
    }
}

QString paymentMethodName(int flag) {
    switch (flag) {
    case PayPrepayFull: return QStringLiteral("ПРЕДОПЛАТА 100%");
    case PayPrepayPartial: return QStringLiteral("ПРЕДОПЛАТА");
    case PayAdvance: return QStringLiteral("АВАНС");
    case PayFull: return QStringLiteral("ПОЛНЫЙ РАСЧЕТ");
    default: return {};
    }
}

bool isMeasureCode(int code) {
    static const QList<int> codes{0,  10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41,
                                  42, 50, 51, 70, 71, 72, 73, 80, 81, 82, 83, 255};
    return codes.contains(code);
}

int measureCodeOf(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return 0;
    return wholeNumber(t).value_or(-1);
}

bool isRegisteredMarkType(int markType) {
    return markType == 4 || markType == 5 || markType == 7 || (markType >= 9 && markType <= 13);
}

QString shortName(const QString& name) { return name.size() > 50 ? name.left(47) + QStringLiteral("...") : name; }

QString restartAdvice() { return QStringLiteral(" Перезапустите программу и продолжите работу."); }

QString taxSystemAdvice() { return QStringLiteral(" Укажите требуемую СНО."); }

QString failureText(const QString& reason, const QString& advice) {
    return QStringLiteral(" При работе программы произошел сбой:     ") + kCrLf + QStringLiteral(" '") + reason +
           QStringLiteral("'.     ") + kCrLf + kCrLf + advice + QStringLiteral("     ") + kCrLf + kCrLf +
           QStringLiteral(" Сообщите о возникшей проблеме разработчику.     ");
}

QString failureTail() {
    return kCrLf + kCrLf + restartAdvice() + QStringLiteral("     ") + kCrLf + kCrLf +
           QStringLiteral(" Сообщите о возникшей проблеме разработчику.     ");
}

QString vatPromptForRow(int row) { return QStringLiteral("Укажите ставку НДС для товара в строке ") + QString::number(row); }

QString vatPromptForReceipt() { return QStringLiteral("Укажите ставку НДС"); }

std::optional<Money> registeredLineSum(const QStringList& line) {
    if (line.size() < kReceiptLineSize) return std::nullopt;
    const std::optional<Rational> price = Rational::parse(line[LinePrice]);
    const std::optional<Rational> qty = Rational::parse(line[LineQty]);
    if (!price || !qty) return std::nullopt;
    // A part of a pack costs price * n / d, rounded once: its quantity in
    // thousandths (1/3 kept as 0.333) would lose kopecks.
    if (!line[LineFraction].trimmed().isEmpty()) {
        if (const std::optional<PackPart> part = parsePackPart(line[LineFraction]))
            return Money::formatRounded(*price * Rational(part->num, part->den));
    }
    return Money::formatRounded(*price * *qty);
}

ReceiptLinesResult buildReceiptLines(const ReceiptLinesInput& input, const VatQuery& vatQuery,
                                     const Confirm& confirm) {
    if (!input.receipt) return stopped(failureText(QStringLiteral("нет данных чека"), restartAdvice()));
    ReceiptLinesResult result;
    QList<int> sourceRows;  // the screen row of each built line (not for an advance)
    switch (input.paymentFlag) {
    case PayPrepayFull:
    case PayPrepayPartial: result = buildPrepayment(input, vatQuery, &sourceRows); break;
    case PayAdvance: result = buildAdvance(input, vatQuery, confirm); break;
    case PayFull: result = buildFullPayment(input, vatQuery, &sourceRows); break;
    default:
        return stopped(failureText(QStringLiteral("неизвестный признак способа расчета"), restartAdvice()));
    }
    if (!result.built()) return result;

    const ReceiptModel* screen = sourceRows.size() == result.lines.size() ? input.receipt : nullptr;
    const Money total = input.paymentFlag == PayAdvance ? Money::parseOr(input.totalCaption)
                                                         : calcReceiptTotal(*input.receipt);
    Money registered;
    for (int i = 0; i < result.lines.size(); ++i) {
        const std::optional<Money> sum = registeredLineSum(result.lines[i]);
        if (!sum)
            return stopped(
                linesDoNotAddUp(screen, screen ? sourceRows[i] : 0, std::nullopt, std::nullopt, total, registered));
        registered += *sum;
    }
    if (!result.lines.isEmpty() && registered == total) return result;
    // The first position whose printed rows differ from its own sum.
    if (screen) {
        const ReceiptModel& m = *screen;
        for (int row = 1; row < m.rowCount(); ++row) {
            if (!m.isActive(row)) continue;
            const std::optional<Money> own = Money::parse(m.cell(row, ReceiptModel::ColSum));
            if (!own || !isPositiveSum(*own)) continue;
            Money printed;
            for (int i = 0; i < result.lines.size(); ++i)
                if (sourceRows[i] == row) printed += registeredLineSum(result.lines[i]).value_or(Money{});
            if (printed != *own) return stopped(linesDoNotAddUp(screen, row, own, printed, total, registered));
        }
    }
    return stopped(linesDoNotAddUp(nullptr, 0, std::nullopt, std::nullopt, total, registered));
}

}  // namespace sales
