#include "ExchangeFormat.h"

#include "core/CodeTables.h"
#include "platform/db/Codec.h"

#include <QHash>

namespace exchange {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr char16_t kPilcrow = 0x00B6;   // "¶", read as a blank in goods records
constexpr char16_t kCurrency = 0x00A4;  // "¤", a ";" inside a name

struct Cp1251Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;
};

const Cp1251Tables& cp1251() {
    static const Cp1251Tables t = [] {
        Cp1251Tables tables;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            char16_t u = fb::fromWin1251(&c, 1).at(0).unicode();
            if (b == 0x98) u = 0x0098;
            tables.toUnicode[size_t(b)] = u;
            if (b >= 0x80) tables.fromUnicode.insert(u, c);
        }
        return tables;
    }();
    return t;
}

QStringView trimmedView(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= 0x20) ++begin;
    while (end > begin && s[end - 1].unicode() <= 0x20) --end;
    return s.mid(begin, end - begin);
}

// Plain decimal integers only: an optional sign and digits.
std::optional<std::int64_t> parseInteger(QStringView s) {
    if (s.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (s[0] == QLatin1Char('-') || s[0] == QLatin1Char('+')) {
        negative = s[0] == QLatin1Char('-');
        ++i;
    }
    if (i == s.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 0xFFFFFFFFLL) return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> parseInt32(QStringView s) {
    const auto v = parseInteger(s);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

// Field n (from 1) of a goods record: "¶" reads as a blank, then trimmed.
QString goodsField(const std::array<QStringView, 67>& fields, int n) {
    const QStringView raw = fields[size_t(n)];
    if (!raw.contains(QChar(kPilcrow))) return trimmedView(raw).toString();
    QString s = raw.toString();
    s.replace(QChar(kPilcrow), QLatin1Char(' '));
    return trimControls(s);
}

QString fieldRefusalTail(int line) {
    return QStringLiteral(" в строке ") + QString::number(line) + QStringLiteral(".") + kCrLf + kCrLf;
}

}  // namespace

QString decodeCp1251(const char* data, qsizetype size) {
    const auto& table = cp1251().toUnicode;
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) dst[i] = QChar(table[static_cast<unsigned char>(data[i])]);
    return out;
}

QByteArray encodeCp1251(const QString& text) {
    const auto& table = cp1251().fromUnicode;
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80) {
            dst[i] = static_cast<char>(u);
        } else {
            const auto it = table.constFind(u);
            dst[i] = it == table.constEnd() ? '?' : *it;
        }
    }
    return out;
}

QString trimControls(const QString& text) {
    const QStringView v = trimmedView(text);
    return v.size() == text.size() ? text : v.toString();
}

LineKind classifyLine(const QString& trimmed) {
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("//"))) return LineKind::Skipped;
    if (trimmed.startsWith(QLatin1String("$$$"))) return LineKind::Command;
    return LineKind::Record;
}

RecordKind commandKind(const QString& command) {
    static const QHash<QString, RecordKind> commands = {
        {QStringLiteral("$$$ADDQUANTITY"), RecordKind::Goods},
        {QStringLiteral("$$$REPLACEQUANTITY"), RecordKind::Goods},
        {QStringLiteral("$$$REPLACEQUANTITYWITHOUTSALE"), RecordKind::Goods},
        {QStringLiteral("$$$ADDBARCODES"), RecordKind::Barcodes},
        {QStringLiteral("$$$DELETEALLWARES"), RecordKind::DeleteGoods},
        {QStringLiteral("$$$DELETEALLBARCODES"), RecordKind::DeleteBarcodes},
    };
    // Commands are ASCII: only Latin letters change case.
    QString upper = command;
    for (QChar& c : upper)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    return commands.value(upper, RecordKind::Skipped);
}

const std::array<UnitRow, 24>& unitTable() {
    // The units of the fiscal data format in their order, under the names
    // the receipt archive prints (the last one "иные").
    static const std::array<UnitRow, 24> table = [] {
        std::array<UnitRow, 24> t;
        const QList<core::CodeItem>& units = core::FfdUnits();
        for (size_t i = 0; i < t.size() && i < size_t(units.size()); ++i)
            t[i] = {core::FfdUnitCodeToText(units[qsizetype(i)].code), units[qsizetype(i)].code};
        return t;
    }();
    return table;
}

int unitPosition(int code) {
    const auto& t = unitTable();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].code == code) return static_cast<int>(i);
    return -1;
}

std::optional<QString> formatPrice2(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? s : s.left(dot);
    const QString fraction = dot < 0 ? QString() : s.mid(dot + 1);
    if (whole.isEmpty() && fraction.isEmpty()) return std::nullopt;
    for (const QString& part : {whole, fraction})
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    // Kopecks from the first two decimals, the third rounds half up; the
    // digits themselves decide, never a binary fraction.
    std::int64_t rub = 0;
    qsizetype firstDigit = 0;
    while (firstDigit < whole.size() && whole.at(firstDigit) == QLatin1Char('0')) ++firstDigit;
    if (whole.size() - firstDigit > 7) return std::nullopt;
    for (qsizetype i = firstDigit; i < whole.size(); ++i) rub = rub * 10 + (whole.at(i).unicode() - u'0');
    auto digit = [&](int i) { return i < fraction.size() ? fraction.at(i).unicode() - u'0' : 0; };
    std::int64_t kopecks = rub * 100 + digit(0) * 10 + digit(1);
    if (digit(2) >= 5) ++kopecks;
    if (kopecks > 999999999) return std::nullopt;
    return QString::number(kopecks / 100) + QLatin1Char('.') +
           QString::number(kopecks % 100).rightJustified(2, QLatin1Char('0'));
}

bool holdsUnmappedByte(const QString& text) { return text.contains(QChar(0x0098)); }

namespace msg {
QString unmappedByte(int line) {
    return QStringLiteral(" Недопустимый байт 0x98 в строке ") + QString::number(line) + QStringLiteral(":     ") +
           kCrLf + QStringLiteral(" в кодировке Windows-1251 ему не соответствует ни одна буква.     ") + kCrLf + kCrLf +
           QStringLiteral(" Загрузка данных невозможна. Исправьте файл и повторите загрузку.     ");
}
QString badId(int position) {
    return QStringLiteral("Ошибка загрузки базы товаров:       ") + kCrLf +
           QStringLiteral("недопустимый формат поля 'ID товара'. Позиция ") + QString::number(position) +
           QStringLiteral("     ");
}
QString badField17(int line) {
    return QStringLiteral(" Некорректное значение поля 17 (признак 'Товар/Группа')     ") + kCrLf +
           fieldRefusalTail(line) + QStringLiteral(" Загрузка данных невозможна.") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения: ") + kCrLf + QStringLiteral("    '1' или пустое поле - Товар") +
           kCrLf + QStringLiteral("    '0' - Группа");
}
QString badField16(int line) {
    return QStringLiteral(" Некорректное значение поля 16 ('Код родительской группы')     ") + kCrLf +
           fieldRefusalTail(line) + QStringLiteral(" Загрузка данных невозможна.") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения: пустое поле или целое число.");
}
QString badField5(int line) {
    return QStringLiteral(" Некорректное значение поля 5 ('Цена')     ") + kCrLf + fieldRefusalTail(line) +
           QStringLiteral(" Загрузка данных невозможна.  ") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения: число. Разделитель руб/коп - точка или запятая.     ");
}
QString badField8(int line) {
    return QStringLiteral(" Некорректное значение поля 8 ('Флаги...') в строке ") + QString::number(line) + kCrLf +
           kCrLf + QStringLiteral(" Загрузка данных невозможна.");
}
QString badField13(int line) {
    return QStringLiteral(" Некорректное значение в поле 13 ('Признак предмета расчета')     ") + kCrLf +
           fieldRefusalTail(line) + QStringLiteral(" Загрузка данных невозможна. ") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения для ПО ТАРВИ: ") + kCrLf +
           QStringLiteral("     '1' - Товар, кроме подакцизного ") + kCrLf +
           QStringLiteral("     '2' - Подакцизный товар ") + kCrLf + QStringLiteral("     '3' - Работа ") + kCrLf +
           QStringLiteral("     '4' - Услуга ");
}
QString badField23(int line) {
    return QStringLiteral(" Некорректное значение поля 23 ('Ставка НДС') в строке ") + QString::number(line) +
           QStringLiteral(".     ") + kCrLf + kCrLf + QStringLiteral(" Загрузка данных невозможна. ") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения: пустое поле ('НДС не облагается')  ") + kCrLf +
           QStringLiteral("   или целое число в диапазоне 1..6 (в соответствии с ФФД). ");
}
QString badField55(int line) {
    return QStringLiteral(" Некорректное значение поля 55 ('Тип маркировки') в строке ") + QString::number(line) +
           QStringLiteral(".     ") + kCrLf + kCrLf + QStringLiteral(" Загрузка данных невозможна. ") + kCrLf + kCrLf +
           QStringLiteral(" Допустимые значения: ") + kCrLf +
           QStringLiteral("  - пустое поле или '0' - товар без маркировки ") + kCrLf +
           QStringLiteral("  - соответствующее число для поддерживаемого программой ТАРВИ ") +
           QStringLiteral("типа маркировки (по описанию формата АТОЛ)");
}
}  // namespace msg

std::variant<GoodsRecord, Refusal> parseGoodsRecord(const QString& text, int line, int written) {
    // Fields 1..66 as views into the line; missing ones stay empty.
    std::array<QStringView, 67> fields{};
    {
        const QStringView all(text);
        qsizetype start = 0;
        for (int n = 1; n <= 66; ++n) {
            const qsizetype end = all.indexOf(QLatin1Char(';'), start);
            fields[size_t(n)] = all.mid(start, (end < 0 ? all.size() : end) - start);
            if (end < 0) break;
            start = end + 1;
        }
    }

    GoodsRecord r;
    const auto id = parseInt32(goodsField(fields, 1));
    if (!id || *id <= 0) return Refusal{msg::badId(written + 1)};
    if (holdsUnmappedByte(text)) return Refusal{msg::unmappedByte(line)};
    r.id = *id;

    r.name = goodsField(fields, 3);
    r.name.replace(QChar(kCurrency), QLatin1Char(';'));
    r.name.truncate(80);

    const QString f17 = goodsField(fields, 17);
    if (f17.isEmpty() || f17 == QLatin1String("1"))
        r.isGood = true;
    else if (f17 == QLatin1String("0"))
        r.isGood = false;
    else
        return Refusal{msg::badField17(line)};

    const QString f16 = goodsField(fields, 16);
    if (!f16.isEmpty()) {
        const auto parent = parseInt32(f16);
        // An item that is its own parent would vanish from every group tree.
        if (!parent || (*parent != 0 && *parent == r.id)) return Refusal{msg::badField16(line)};
        r.parent = *parent;
    }
    if (!r.isGood) return r;

    r.price = formatPrice2(goodsField(fields, 5));
    if (!r.price) return Refusal{msg::badField5(line)};

    const QString f8 = goodsField(fields, 8);
    const QString flag = trimControls(f8.section(QLatin1Char(','), 0, 0));
    if (flag.isEmpty() || flag == QLatin1String("1"))
        r.weighed = QStringLiteral("да");
    else if (flag == QLatin1String("0"))
        r.weighed = QStringLiteral("нет");
    else
        return Refusal{msg::badField8(line)};

    static const QStringList kinds = {QStringLiteral("Т"), QStringLiteral("АТ"), QStringLiteral("Р"),
                                      QStringLiteral("У")};
    const auto kind = parseInteger(goodsField(fields, 13));
    if (!kind || *kind < 1 || *kind > 4) return Refusal{msg::badField13(line)};
    r.type = kinds.at(int(*kind - 1));

    const QString f66 = goodsField(fields, 66);
    const auto position = f66.isEmpty() ? std::optional<std::int64_t>(0) : parseInteger(f66);
    if (position && *position >= 0 && *position < 24) {
        r.unitName = unitTable()[size_t(*position)].name;
        r.unitCode = unitTable()[size_t(*position)].code;
    } else {
        r.unitName = QString();
    }

    const QString f23 = goodsField(fields, 23);
    const auto vat = f23.isEmpty() ? std::optional<std::int64_t>(6) : parseInteger(f23);
    if (!vat || *vat < 1 || *vat > 6) return Refusal{msg::badField23(line)};
    r.vat = QString::number(*vat);

    const auto country = parseInteger(goodsField(fields, 61));
    if (country && *country >= 1 && *country <= 999)
        r.country = QString::number(*country).rightJustified(3, QLatin1Char('0'));

    const QString f55 = goodsField(fields, 55);
    const auto mark = f55.isEmpty() ? std::optional<std::int64_t>(0) : parseInteger(f55);
    static constexpr std::array<int, 8> marks = {0, 4, 5, 9, 10, 11, 12, 13};
    if (!mark || std::find(marks.begin(), marks.end(), *mark) == marks.end()) return Refusal{msg::badField55(line)};
    r.markType = int(*mark);

    QString codes = goodsField(fields, 2);
    codes.remove(QLatin1Char('\''));
    for (const QStringView code : QStringView(codes).split(QLatin1Char(','))) {
        const QString c = trimmedView(code).toString();
        if (!c.isEmpty() && !r.barcodes.contains(c)) r.barcodes << c;
    }
    return r;
}

std::optional<BarcodeRecord> parseBarcodeRecord(const QString& text) {
    const QStringView all(text);
    const qsizetype first = all.indexOf(QLatin1Char(';'));
    if (first < 0) return std::nullopt;
    qsizetype second = all.indexOf(QLatin1Char(';'), first + 1);
    if (second < 0) second = all.size();
    BarcodeRecord r;
    r.barcode = trimmedView(all.left(first)).left(40).toString();
    const auto id = parseInt32(trimmedView(all.mid(first + 1, second - first - 1)));
    if (!id || r.barcode.isEmpty()) return std::nullopt;
    r.goodsId = *id;
    return r;
}

QStringList fileHeaderLines() {
    return {kHeaderLine, kStatusNew, QString(), QStringLiteral("$$$ADDQUANTITY")};
}

WrittenRecord writeGoodsRecord(const ExportRow& row) {
    // A line break inside a value would end the record; a ";" would shift
    // every field after it.
    auto clean = [](QString s) {
        s.replace(QLatin1Char('\r'), QLatin1Char(' '));
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        s.replace(QLatin1Char(';'), QChar(kCurrency));
        return s;
    };
    std::array<QString, 67> f;
    WrittenRecord out{QString(), 0};
    f[1] = QString::number(row.id);
    QStringList codes;
    for (const QString& code : row.barcodes) {
        const QString c = code.trimmed();
        if (c.isEmpty()) continue;
        if (c.contains(QLatin1Char(';')) || c.contains(QLatin1Char(','))) {
            ++out.droppedBarcodes;
            continue;
        }
        codes << clean(c);
    }
    f[2] = codes.join(QLatin1Char(','));
    f[3] = clean(row.name);
    f[5] = row.price.trimmed().isEmpty() ? QStringLiteral("0") : clean(row.price);
    f[8] = core::isWeighedGood(row.weighed) ? QStringLiteral("1") : QStringLiteral("0");
    f[13] = core::ConvertGoodTypeCode(row.type, 1);
    f[14] = QStringLiteral("1");
    f[16] = row.parent ? QString::number(*row.parent) : QString();
    f[17] = QString::number(row.isGood);
    bool vatOk = false;
    const int vat = row.vat.trimmed().toInt(&vatOk);
    f[23] = vatOk && vat >= 1 && vat <= 6 ? QString::number(vat) : QStringLiteral("6");
    f[55] = QString::number(row.markType.value_or(0));
    f[61] = clean(row.country.trimmed());
    // The unit goes out as its position in the unit table, which is what
    // the reader takes, so a file we write reads back with the same units.
    const int position = row.unitCode ? unitPosition(*row.unitCode) : -1;
    f[66] = position >= 0 ? QString::number(position) : QString();
    QString line;
    line.reserve(160 + f[3].size() + f[2].size());
    for (int n = 1; n <= 66; ++n) {
        line += f[size_t(n)];
        line += QLatin1Char(';');
    }
    out.line = std::move(line);
    return out;
}

}  // namespace exchange
