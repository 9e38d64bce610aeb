#include "sales/marking/MarkCodeFormat.h"

#include "core/TextUtils.h"

namespace sales::marking {

const std::array<QString, 14> MarkTypeCaptions = {
    QString(),
    QString(),
    QString(),
    QString(),
    QStringLiteral("[M] Табачная продукция"),
    QStringLiteral("[M] Обувные товары"),
    QString(),
    QStringLiteral("[M]"),
    QStringLiteral("[M] Фототовары"),
    QStringLiteral("[M] Парфюмерная продукция"),
    QStringLiteral("[M] Шины"),
    QStringLiteral("[M] Товары легкой промышленности"),
    QStringLiteral("[M] Альтернативная табачная продукция"),
    QStringLiteral("[M] Молочная продукция"),
};

QString markTypeCaption(int markType) {
    if (markType < 1 || markType >= static_cast<int>(MarkTypeCaptions.size())) return QString();
    return MarkTypeCaptions[static_cast<std::size_t>(markType)];
}

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// `ai` stands at position p.
bool at(const QString& s, qsizetype p, const QString& ai) {
    return p >= 1 && p - 1 + ai.size() <= s.size() && QStringView(s).mid(p - 1, ai.size()) == ai;
}

// The `length` characters at p become one GS. The layouts fix how long the
// text between two identifiers is, so the characters there are the
// separator whatever the scanner made of it.
void replaceAt(QString& s, qsizetype p, qsizetype length) {
    s = s.left(p - 1) + GS + s.mid(p - 1 + length);
}

// The same, only where `sep` itself stands and something follows from p on:
// a separator that closes an optional part.
bool replaceWhereStands(QString& s, qsizetype p, const QString& sep) {
    if (p - 1 >= s.size()) return false;
    if (!at(s, p, sep)) return false;
    replaceAt(s, p, sep.size());
    return true;
}

bool startsAsDataMatrix(const QString& scan) {
    return at(scan, 1, QStringLiteral("01")) && at(scan, 17, QStringLiteral("21"));
}

NormalizedMark success(const QString& code, int kind = NoKind) {
    return NormalizedMark{true, code, kind};
}

NormalizedMark normalizeShoes(const QString& scan) {
    const qsizetype len = scan.size();
    if (len < 127 || !startsAsDataMatrix(scan)) return {};
    if (len == 127) {
        if (!at(scan, 32, QStringLiteral("91")) || !at(scan, 38, QStringLiteral("92"))) return {};
        QString s = scan;
        s.insert(31, GS);
        s.insert(38, GS);
        return success(s + GS);
    }
    if (len == 128) return {};
    const auto sep = FindSep(scan, 32, QStringLiteral("91"));
    if (!sep) return {};
    const qsizetype l = sep->size();
    const qsizetype p91 = 32 + l;
    const qsizetype p92 = p91 + 6 + l;
    if (!at(scan, p92, QStringLiteral("92"))) return {};
    if (len - (p92 + 1) < 88) return {};
    QString s = scan;
    replaceAt(s, 32, l);
    replaceAt(s, 39, l);
    s = s.left(129) + GS;
    if (s.size() < 130) return {};
    return success(s);
}

// Types 7 and 9-11: 01 GTIN 21 serial(13) Sep 91 key(4) Sep 92 crypto(44).
NormalizedMark normalizeCrypto44(const QString& scan, int markType) {
    const qsizetype len = scan.size();
    if (len < 83 || !startsAsDataMatrix(scan)) return {};
    const auto sep = FindSep(scan, 32, QStringLiteral("91"));
    if (!sep) return {};
    const qsizetype l = sep->size();
    const qsizetype p92 = 32 + l + 6 + l;
    if (!at(scan, p92, QStringLiteral("92"))) return {};
    const qsizetype after = len - (p92 + 1);
    if (after < 44) return {};
    QString s = scan;
    if (after == 44) {
        replaceAt(s, 32, l);
        replaceAt(s, 39, l);
        if (markType == Tyres) s += GS;
        return success(s);
    }
    const QString tail = scan.mid(p92 + 1 + 44);
    if (markType == OtherMarked) {
        if (!tail.startsWith(*sep)) return {};
    } else if (markType == Tyres) {
        if (tail != *sep) return {};
    } else {
        return {};
    }
    replaceAt(s, 32, l);
    replaceAt(s, 39, l);
    return success(s.left(85) + GS);
}

NormalizedMark normalizeTobacco(const QString& scan) {
    const qsizetype len = scan.size();
    if (len < 29) return {};
    if (len == 29) return success(scan, PackCode);
    if (!startsAsDataMatrix(scan)) return {};
    const auto sep = FindSep(scan, 26, QStringLiteral("8005"));
    if (!sep) return {};
    const qsizetype l = sep->size();
    const qsizetype p8005 = 26 + l;
    if (!at(scan, p8005 + 10 + l, QStringLiteral("93"))) return {};
    QString s = scan;
    replaceAt(s, 26, l);
    replaceAt(s, 37, l);
    if (len > 3 * l + 41) replaceWhereStands(s, 44, *sep);
    return success(s, GroupCode);
}

NormalizedMark normalizeAltTobacco(const QString& scan) {
    const qsizetype len = scan.size();
    if (len < 29) return {};
    if (len == 29) {
        // A pack of alternative tobacco carries no price: the field must be 0.
        if (core::DecodeBase80(scan.mid(21, 4), 4) != 0) return {};
        return success(scan);
    }
    if (!startsAsDataMatrix(scan)) return {};
    const auto sep = FindSep(scan, 26, QStringLiteral("93"));
    if (!sep) return {};
    QString s = scan;
    replaceAt(s, 26, sep->size());
    replaceWhereStands(s, 33, *sep);
    return success(s);
}

NormalizedMark normalizeDairy(const QString& scan) {
    const qsizetype len = scan.size();
    if (len < 30 || !startsAsDataMatrix(scan)) return {};
    const auto sep = FindSep(scan, 25, QStringLiteral("93"));
    if (!sep) return {};
    if (len != 30 + sep->size()) return {};
    QString s = scan;
    replaceAt(s, 25, sep->size());
    return success(s);
}

}  // namespace

std::optional<QString> FindSep(const QString& scan, int from, const QString& nextAi) {
    if (from < 1 || from - 1 > scan.size()) return std::nullopt;
    const qsizetype found = scan.indexOf(nextAi, from - 1);
    if (found < 0) return std::nullopt;
    return scan.mid(from - 1, found - (from - 1));
}

NormalizedMark NormalizeMarkCode(const QString& scan, int markType) {
    switch (markType) {
    case 1:
    case Shoes:
        return normalizeShoes(scan);
    case Tobacco:
        return normalizeTobacco(scan);
    case OtherMarked:
    case Perfume:
    case Tyres:
    case LightIndustry:
        return normalizeCrypto44(scan, markType);
    case AltTobacco:
        return normalizeAltTobacco(scan);
    case Dairy:
        return normalizeDairy(scan);
    default:
        return {};
    }
}

void CheckMarkCodeFormat(const QString& scan, int markType, QString& normalized, int& lastOpFailed,
                         int& codeKind) {
    const NormalizedMark result = NormalizeMarkCode(scan, markType);
    normalized = result.code;
    lastOpFailed = result.ok ? 0 : 1;
    codeKind = result.codeKind;
}

ScanDisposition scanDisposition(int markType, qsizetype length) {
    const auto atLeast = [length](qsizetype minimum) {
        return length >= minimum ? ScanDisposition::Evaluate : ScanDisposition::Wait;
    };
    switch (markType) {
    case Tobacco:
        return (length == 29 || length >= 40) ? ScanDisposition::Evaluate : ScanDisposition::Wait;
    case Shoes:
        return atLeast(127);
    case Perfume:
    case Tyres:
    case LightIndustry:
        return atLeast(83);
    case AltTobacco:
        return atLeast(29);
    case Dairy:
        return atLeast(30);
    default:
        return ScanDisposition::Ignore;
    }
}

MarkParts ExtractMarkParts(int markType, const QString& raw, const QString& normalized) {
    switch (markType) {
    case Tobacco:
        if (normalized.size() == 29)
            return {normalized.mid(0, 14), normalized.mid(14, 7), normalized.mid(21, 4)};
        return {normalized.mid(2, 14), normalized.mid(18, 7), normalized.mid(30, 6)};
    case 1:
    case Shoes:
    case OtherMarked:
    case Perfume:
    case Tyres:
    case LightIndustry:
        return {raw.mid(2, 14), raw.mid(18, 13), QString()};
    case AltTobacco:
        if (normalized.size() == 29) return {normalized.mid(0, 14), normalized.mid(14, 7), QString()};
        return {normalized.mid(2, 14), normalized.mid(18, 7), QString()};
    case Dairy:
        return {raw.mid(2, 14), normalized.mid(18, 6), QString()};
    default:
        return {};
    }
}

std::int64_t TobaccoMrp(const QString& priceField, bool isPack) {
    if (isPack) return core::DecodeBase80(priceField, 4);
    bool ok = false;
    const qlonglong value = priceField.toLongLong(&ok);
    return ok ? value : 0;
}

QString PadLeftZeros(const QString& s, int width) {
    if (s.size() >= width) return s;
    return QString(width - s.size(), QLatin1Char('0')) + s;
}

GtinMatch GtinCheck(int markType, const QString& codeGtin, const QStringList& storedBarcodes) {
    const QString wanted = core::StripLeadingZeros(codeGtin.trimmed());
    bool anyStored = false;
    for (const QString& raw : storedBarcodes) {
        const QString stored = raw.trimmed();
        QString meaning = stored;
        if (markType == AltTobacco) meaning.remove(QLatin1Char('x'));
        if (meaning.isEmpty() || stored == QStringLiteral("xxxxxxxxxxxxxx")) continue;
        anyStored = true;
        if (core::StripLeadingZeros(stored).compare(wanted, Qt::CaseInsensitive) == 0) return GtinMatch::Match;
    }
    return anyStored ? GtinMatch::Mismatch : GtinMatch::NoStoredGtin;
}

QString ShortNameForMessage(const QString& name, int markType) {
    if (markType == Shoes) return name;
    if (markType == Tobacco) return name.size() >= 51 ? name.left(47) + QStringLiteral("...") : name;
    return name.size() >= 46 ? name.left(42) + QStringLiteral("...") : name;
}

bool IsDuplicateMark(const QList<QStringList>& markedItems, const QString& gtin, const QString& serial) {
    const QString wanted = PadLeftZeros(gtin, 14);
    for (const QStringList& entry : markedItems) {
        if (entry.size() < 3) continue;
        if (PadLeftZeros(entry[1], 14).compare(wanted, Qt::CaseInsensitive) == 0 &&
            entry[2].compare(serial, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<QString> TobaccoUnitPrice(const QString& markPriceText) {
    const auto price = Money::parse(markPriceText.trimmed());
    if (!price) return std::nullopt;
    return price->toString();
}

std::optional<QString> ValidateManualTobaccoPrice(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const auto value = Rational::parse(t);
    if (!value || value->sign() <= 0) return std::nullopt;
    return t;
}

bool IsValidSerial7(const QString& text) {
    if (text.size() != 7) return false;
    for (const QChar c : text)
        if (c.unicode() >= 128) return false;
    return true;
}

// ---- Messages ------------------------------------------------------------

QString formatMessage(int markType) {
    const auto dataMatrix = [](const QString& what) {
        return QStringLiteral(" Считанный штриховой код не соответствует формату    ") + kCrLf +
               QStringLiteral(" для типа маркировки ") + what;
    };
    switch (markType) {
    case Tobacco:
        return QStringLiteral(" Считанный штрихкод не соответствует формату     ") + kCrLf +
               QStringLiteral(" для типа маркировки 'табачные изделия'.    ");
    case 1:
    case Shoes:
        return QStringLiteral("Считанный штрихкод не соответствует требованиям     ") + kCrLf +
               QStringLiteral("к маркировке обувных товаров.");
    case Perfume:
        return dataMatrix(QStringLiteral("'парфюмерная продукция'."));
    case Tyres:
        return dataMatrix(QStringLiteral("'шины'."));
    case LightIndustry:
        return dataMatrix(QStringLiteral("'товары легкой промышленности'."));
    case Dairy:
        return dataMatrix(QStringLiteral("'молочная продукция'."));
    case AltTobacco:
        return QStringLiteral(" Считанный штрихкод не соответствует     ") + kCrLf +
               QStringLiteral(" формату для типа маркировки    ") + kCrLf + QStringLiteral("'") +
               markTypeCaption(AltTobacco) + QStringLiteral("'.     ");
    default:
        return QString();
    }
}

QString gtinMismatchQuestion(int markType, const QString& goodsName) {
    const QString name = ShortNameForMessage(goodsName, markType);
    switch (markType) {
    case Tobacco:
        return QStringLiteral(" GTIN добавляемого в чек товара:     ") + kCrLf + QStringLiteral("  < ") + name +
               QStringLiteral(" >     ") + kCrLf + QStringLiteral(" и GTIN, выделенный из штрихкода маркировки,     ") +
               kCrLf + QStringLiteral("     НЕ СОВПАДАЮТ!!! ") + kCrLf + kCrLf + QStringLiteral("  Всё равно продолжить?");
    case 1:
    case Shoes:
        return QStringLiteral("Для добавляемого в чек товара GTIN из БД и GTIN из DataMatrix      ") + kCrLf +
               QStringLiteral("             НЕ СОВПАДАЮТ!!!     ") + kCrLf + kCrLf +
               QStringLiteral("В чек будет добавлен товар ") + kCrLf + QStringLiteral(" *  ") + name +
               QStringLiteral("  *     ") + kCrLf + kCrLf + QStringLiteral(" Продолжить? ");
    case AltTobacco:
        return QStringLiteral(" GTIN добавляемого в чек товара:     ") + kCrLf + QStringLiteral(" < ") + name +
               QStringLiteral(" >     ") + kCrLf + QStringLiteral(" и GTIN, выделенный из считанного ШК.     ") +
               kCrLf + QStringLiteral("    НЕ СОВПАДАЮТ!!!") + kCrLf + kCrLf + QStringLiteral(" Всё равно продолжить? ");
    default:
        return QStringLiteral(" GTIN добавляемого в чек товара:     ") + kCrLf + QStringLiteral(" < ") + name +
               QStringLiteral(" >     ") + kCrLf +
               QStringLiteral(" и GTIN, выделенный из ШК маркировки DataMatrix,     ") + kCrLf +
               QStringLiteral("    НЕ СОВПАДАЮТ!!!") + kCrLf + kCrLf + QStringLiteral("  Всё равно продолжить? ");
    }
}

QString duplicateMarkText() {
    return QStringLiteral(" Товар с таким серийным номером в чеке уже есть!     ");
}

QString noRegisterText() {
    return QStringLiteral(" Отсутствует связь с ККТ.     ") + kCrLf +
           QStringLiteral(" Проверка кода маркировки невозможна.     ");
}

QString markedPriceConflictText(const QString& price, int row, const QString& rowPrice) {
    return QStringLiteral(" Наличие в чеке нескольких единиц одного вида товара     ") + kCrLf +
           QStringLiteral(" по разным ценам НЕ допускается.     ") + kCrLf + kCrLf +
           QStringLiteral(" Добавляемая единица: цена ") + price + QStringLiteral(" руб.") + kCrLf +
           QStringLiteral(" Позиция в чеке (строка ") + QString::number(row) + QStringLiteral("): цена за ед. ") +
           rowPrice + QStringLiteral(" руб. ");
}

QString tobaccoDiscountWarningText() {
    return QStringLiteral(" При добавлении в чек товара с типом маркировки 'табачные изделия'     ") + kCrLf +
           QStringLiteral(" назначенная скидка НА ЧЕК будет отменена.      ");
}

QString badManualPriceText() {
    return QStringLiteral("Недопустимое значение розничной цены.   ");
}

QString badSerial7Text() {
    return QStringLiteral("Некорректный формат серийного номера товара.    ") + kCrLf + kCrLf +
           QStringLiteral(" Индивидуальный серийный номер должен быть длиной 7 символов     ") + kCrLf +
           QStringLiteral("(цифры, буквы латинского алфавита и спецсимволы). ");
}

}  // namespace sales::marking
