#include "sales/marking/FractionalCount.h"

#include "sales/closing/ReceiptLines.h"
#include "sales/receipt/ReceiptModel.h"

namespace sales {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool allDigits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

QString entryOf(const QStringList& record, int index) { return index < record.size() ? record[index] : QString(); }

QString padGtin(const QString& gtin) { return gtin.trimmed().rightJustified(14, QLatin1Char('0')); }

// One field of the window: the number, or the fault that refuses it.
std::variant<int, FractionFault> readField(const QString& text) {
    if (text.size() > kFractionFieldDigits) return FractionFault::TooLong;
    if (!allDigits(text)) return FractionFault::NotDigits;
    const int value = text.toInt();
    if (value == 0) return FractionFault::Zero;
    return value;
}

FractionCheck refused(const QString& message) { return FractionCheck{std::nullopt, message}; }

}  // namespace

QString badFractionFieldMessage(FractionField field, FractionFault fault) {
    const QString sentence = field == FractionField::Sold
                                 ? QStringLiteral(" Некорректное значение в поле 'Продать'.")
                                 : QStringLiteral(" Некорректное значение в поле 'Всего в упаковке'.");
    // The three faults differ only in blanks and in the range's last point,
    // so the cashier's support can tell them apart from a screenshot.
    const QString blanks = fault == FractionFault::TooLong ? QStringLiteral("    ") : QStringLiteral("     ");
    const QString range = fault == FractionFault::NotDigits ? QStringLiteral("1...999999 .") : QStringLiteral("1...999999.");
    return sentence + blanks + kCrLf + kCrLf + QStringLiteral(" Допустимое значение - целое число в диапазоне ") +
           range + QStringLiteral("     ");
}

FractionCheck ValidateFraction(const QString& soldText, const QString& packText, bool wholly) {
    if (wholly) return FractionCheck{Fraction{}, {}};
    const QString sold = soldText.trimmed();
    if (sold.isEmpty()) return refused(fractionText::kSoldMissing);
    const auto soldValue = readField(sold);
    if (const auto* fault = std::get_if<FractionFault>(&soldValue))
        return refused(badFractionFieldMessage(FractionField::Sold, *fault));
    const QString pack = packText.trimmed();
    if (pack.isEmpty()) return refused(fractionText::kPackMissing);
    const auto packValue = readField(pack);
    if (const auto* fault = std::get_if<FractionFault>(&packValue))
        return refused(badFractionFieldMessage(FractionField::Pack, *fault));
    const int num = std::get<int>(soldValue);
    const int den = std::get<int>(packValue);
    if (num > den) return refused(fractionText::kSoldAbovePack);
    if (num == den) return FractionCheck{Fraction{}, {}};
    return FractionCheck{Fraction{num, den, QString::number(num) + QLatin1Char('/') + QString::number(den)}, {}};
}


std::optional<Qty> markedRecordQuantity(const QStringList& record) {
    const QString numText = entryOf(record, MarkNumerator).trimmed();
    const QString denText = entryOf(record, MarkDenominator).trimmed();
    bool numOk = false;
    const qint64 num = numText.isEmpty() ? 0 : numText.toLongLong(&numOk);
    if (!numText.isEmpty() && !numOk) return std::nullopt;
    if (num == 0) return Qty::units(1);
    bool denOk = false;
    const qint64 den = denText.toLongLong(&denOk);
    if (!denOk || num < 0 || den <= 0 || num > den) return std::nullopt;
    return packPartQuantity(PackPart{num, den});
}

Qty fractionQuantity(const Fraction& fraction) {
    if (fraction.whole() || fraction.den <= 0) return Qty::units(1);
    return packPartQuantity(PackPart{fraction.num, fraction.den});
}

bool markedRecordOf(const QStringList& record, const QString& goodsId, const QString& rowKey) {
    const QString id = goodsId.trimmed();
    return !id.isEmpty() && entryOf(record, MarkGoodId).trimmed() == id &&
           entryOf(record, MarkRowKey).trimmed() == rowKey.trimmed();
}

std::optional<Qty> markedGoodsQuantity(const QList<QStringList>& items, const QString& goodsId,
                                       const QString& rowKey) {
    Qty total;
    for (const QStringList& record : items) {
        if (!markedRecordOf(record, goodsId, rowKey)) continue;
        const std::optional<Qty> q = markedRecordQuantity(record);
        if (!q) return std::nullopt;
        total = total + *q;
    }
    return total;
}

QString packPartsOf(const QList<QStringList>& items, const QString& goodsId, const QString& rowKey) {
    QStringList parts;
    for (const QStringList& record : items) {
        if (!markedRecordOf(record, goodsId, rowKey)) continue;
        const QString num = entryOf(record, MarkNumerator).trimmed();
        const QString den = entryOf(record, MarkDenominator).trimmed();
        const QString part = num + QLatin1Char('/') + den;
        if (parsePackPart(part)) parts << part;
    }
    return parts.join(QLatin1Char(';'));
}

std::optional<GtinSerial> ExtractGtinSerialForLowering(int markType, const QString& code) {
    const auto marked = [&code](int minLength) {
        return code.size() >= minLength && code.mid(0, 2) == QLatin1String("01") &&
               code.mid(16, 2) == QLatin1String("21");
    };
    switch (markType) {
    case 4:
    case 12:
        if (code.size() == 29) return GtinSerial{code.mid(0, 14), code.mid(14, 7)};
        if (code.size() > 29 && marked(30)) return GtinSerial{code.mid(2, 14), code.mid(18, 7)};
        return std::nullopt;
    case 5:
    case 7:
    case 9:
    case 10:
    case 11:
        if (!marked(31)) return std::nullopt;
        return GtinSerial{code.mid(2, 14), code.mid(18, 13)};
    case 13:
        if (!marked(24)) return std::nullopt;
        return GtinSerial{code.mid(2, 14), code.mid(18, 6)};
    default: return std::nullopt;
    }
}

int FindMarkedItem(const QList<QStringList>& items, const QString& goodsId, const GtinSerial& code) {
    const QString id = goodsId.trimmed();
    const QString gtin = padGtin(code.gtin);
    for (int i = 0; i < items.size(); ++i) {
        const QStringList& record = items[i];
        // An emptied record (an item already taken out) matches nothing.
        if (!markedRecordOf(record, id)) continue;
        if (entryOf(record, MarkGtin).trimmed().isEmpty()) continue;
        if (padGtin(entryOf(record, MarkGtin)) == gtin && entryOf(record, MarkSerial) == code.serial) return i;
    }
    return -1;
}

LowerDecision LowerMarkedCount(int count) {
    const int next = count - 1;
    if (next < 0) return LowerDecision{LowerDecision::Kind::Error, 0};
    if (next == 0) return LowerDecision{LowerDecision::Kind::Delete, 0};
    return LowerDecision{LowerDecision::Kind::Update, next};
}

QString markedCountFailureMessage() {
    return QStringLiteral(" В работе программы произошел сбой:     ") + kCrLf +
           QStringLiteral(" 'некорректное количество маркированного товара'.     ") + kCrLf + kCrLf +
           QStringLiteral(" Перезапустите программу и продолжите работу.     ") + kCrLf + kCrLf +
           QStringLiteral(" Сообщите о возникшей проблеме разработчику программы.     ");
}

QString markCodeFormatMessage(const QString& markTypeCaption) {
    return QStringLiteral(" Считанный штрихкод не соответствует     ") + kCrLf +
           QStringLiteral(" формату для типа маркировки     ") + kCrLf + QLatin1Char('\'') + markTypeCaption +
           QStringLiteral("'    ");
}

}  // namespace sales
