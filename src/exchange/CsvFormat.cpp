#include "CsvFormat.h"

#include "core/CodeTables.h"

namespace exchange {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString unitKey(QString s) {
    s.remove(QLatin1Char(' '));
    s.remove(QLatin1Char('.'));
    return s.toUpper();
}

// Numbers from a spreadsheet: blanks and no-break spaces separate thousands.
QString withoutBlanks(QString s) {
    s.remove(QLatin1Char(' '));
    s.remove(QChar(0x00A0));
    return s;
}

std::optional<std::int64_t> plainInteger(const QString& s) {
    if (s.isEmpty() || s.size() > 10) return std::nullopt;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    return s.toLongLong();
}

QString quoted(QString s) {
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

}  // namespace

namespace csvmsg {
QString badId(int line) {
    return QStringLiteral("Некорректный формат данных в файле:        ") + kCrLf + QStringLiteral("Строка ") +
           QString::number(line) + QStringLiteral(", поле 1 - 'ID товара'.     ");
}
QString badPrice(int line) {
    return QStringLiteral("Некорректный формат данных в файле:        ") + kCrLf + QStringLiteral("Строка ") +
           QString::number(line) + QStringLiteral(",поле 4 - 'Цена товара'.     ");
}
QString badType(int line) {
    return QStringLiteral(" Некорректное значение данных в файле:     ") + kCrLf + QStringLiteral(" Строка ") +
           QString::number(line) + QStringLiteral(", поле 5 - 'Признак предмета расчета'.     ");
}
QString badWeighed(int line) {
    return QStringLiteral(" Некорректные данные в файле:     ") + kCrLf +
           QStringLiteral(" Не могу распознать признак 'весовой/штучный'.    ") + kCrLf + QStringLiteral(" Строка ") +
           QString::number(line) + QStringLiteral(", поле 6");
}
QString badUnit(int line) {
    return QStringLiteral(" Некорректные данные в файле:     ") + kCrLf + QStringLiteral(" Строка ") +
           QString::number(line) + QStringLiteral(", поле 7 - 'Мера количества'.     ");
}
QString badMark(int line) {
    return QStringLiteral(" Некорректные данные в файле:    ") + kCrLf +
           QStringLiteral(" Не могу определить тип маркировки в строке ") + QString::number(line) + kCrLf +
           QStringLiteral(" Поле 8 - 'Тип маркировки'     ");
}
QString badVat(int line) {
    return QStringLiteral(" Некорректные данные в файле:   ") + kCrLf + QStringLiteral(" Строка ") +
           QString::number(line) + QStringLiteral(", поле 9 - 'Ставка НДС'.     ") + kCrLf +
           QStringLiteral(" Не могу распознать значение.");
}
}  // namespace csvmsg

bool isBlankCsvLine(const QString& line) {
    for (QChar c : line)
        if (c != QLatin1Char(';') && c.unicode() > 0x20) return false;
    return true;
}

QStringList splitCsvLine(const QString& line) {
    QStringList fields;
    QString field;
    bool inQuotes = false;
    bool fieldStart = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(';')) {
            fields << field;
            field.clear();
            fieldStart = true;
            continue;
        }
        if (c == QLatin1Char('"') && fieldStart) {
            inQuotes = true;
            fieldStart = false;
            continue;
        }
        // Blanks before an opening quote do not make the field unquoted.
        if (c != QLatin1Char(' ')) fieldStart = false;
        if (!(fieldStart && c == QLatin1Char(' '))) field += c;
    }
    fields << field;
    for (QString& f : fields) f.replace(QChar(0x00A4), QLatin1Char(' '));
    while (fields.size() < 11) fields << QString();
    return fields;
}

bool isCsvHeader(const QStringList& fields) {
    return !fields.isEmpty() && fields.constFirst().toLower().contains(QStringLiteral("код"));
}

std::variant<CsvGoods, Refusal> parseCsvGoods(const QStringList& in, int line) {
    QStringList f = in;
    while (f.size() < 11) f << QString();
    CsvGoods g;

    const auto id = plainInteger(f[0].trimmed());
    if (!id || *id <= 0 || *id > INT32_MAX) return Refusal{csvmsg::badId(line)};
    g.id = static_cast<std::int32_t>(*id);

    const QString rawPrice = withoutBlanks(f[3].trimmed());
    const auto price = rawPrice.isEmpty() ? std::nullopt : formatPrice2(rawPrice);
    if (!price) return Refusal{csvmsg::badPrice(line)};
    g.price = *price;

    g.name = f[2];
    g.name.remove(QLatin1Char('"'));
    g.name = g.name.trimmed().left(80);

    g.type = core::GoodTypeAbbrByRange(f[4].trimmed().left(6).toLower());
    if (g.type.isEmpty()) return Refusal{csvmsg::badType(line)};

    const QString w = f[5].trimmed().toLower();
    g.weighed = w.isEmpty() ? QStringLiteral("нет") : core::PieceWeightToYesNo(w);
    if (g.weighed.isEmpty()) return Refusal{csvmsg::badWeighed(line)};

    const QString unit = f[6].trimmed();
    int position = -1;
    if (unit.isEmpty()) {
        position = 0;
    } else if (const auto code = plainInteger(unit)) {
        position = unitPosition(int(*code));
    } else {
        const QString key = unitKey(unit);
        for (size_t i = 0; i < unitTable().size(); ++i)
            if (unitKey(unitTable()[i].name) == key) position = int(i);
    }
    if (position < 0) return Refusal{csvmsg::badUnit(line)};
    g.unitName = unitTable()[size_t(position)].name;
    g.unitCode = unitTable()[size_t(position)].code;

    g.markType = core::MarkTypeNameToCode(f[7].trimmed().toLower().left(4));
    if (g.markType < 0) return Refusal{csvmsg::badMark(line)};

    QString vat = f[8];
    vat.remove(QStringLiteral("НДС"), Qt::CaseInsensitive);
    vat.remove(QLatin1Char('%'));
    g.vat = core::VatTextToCode(withoutBlanks(vat));
    if (g.vat == QLatin1String("-1")) return Refusal{csvmsg::badVat(line)};

    if (g.markType != 0 && g.weighed == QStringLiteral("да"))
        if (const auto pack = plainInteger(withoutBlanks(f[9].trimmed())); pack && *pack >= 1 && *pack <= 999999)
            g.packCount = int(*pack);

    for (const QString& code : f[1].split(QLatin1Char(','))) {
        const QString c = code.trimmed();
        if (!c.isEmpty() && !g.barcodes.contains(c)) g.barcodes << c;
    }
    return g;
}

QString writeCsvGoods(const ExportRow& row, bool textMode) {
    QStringList codes;
    for (const QString& code : row.barcodes)
        if (!code.trimmed().isEmpty()) codes << code.trimmed();
    codes.sort();
    QString name = row.name;
    name.remove(QLatin1Char('"'));
    QString price = row.price;
    price.replace(QLatin1Char(','), QLatin1Char('.'));
    const bool weighed = core::isWeighedGood(row.weighed);
    const bool unitOk = row.unitCode && core::isFfdUnitCode(*row.unitCode);
    bool vatOk = false;
    int vat = row.vat.trimmed().toInt(&vatOk);
    if (!vatOk) vat = 6;
    QStringList f;
    f << QString::number(row.id) << codes.join(QLatin1Char(',')) << name << price;
    if (textMode) {
        f << core::GoodTypeAbbrToName(row.type) << (weighed ? QStringLiteral("весовой") : QStringLiteral("штучный"))
          << core::FfdUnitCodeToText(row.unitCode.value_or(-1)) << core::MarkTypeCodeToName(row.markType.value_or(0))
          << core::VatCodeToText(vat);
    } else {
        f << QString::number(core::GoodTypeAbbrToCode(row.type))
          << (weighed ? QStringLiteral("0") : QStringLiteral("1"))
          << (unitOk ? QString::number(*row.unitCode) : QStringLiteral("???"))
          << (row.markType ? QString::number(*row.markType) : QString()) << QString::number(vat);
    }
    f << (row.packCount && *row.packCount >= 1 && *row.packCount <= 999999 ? QString::number(*row.packCount)
                                                                           : QString());
    QStringList out;
    for (const QString& v : f) out << quoted(v);
    return out.join(QLatin1Char(';'));
}

QString csvSaveDialogTitle(const QString& groupName, bool root) {
    if (root) return QStringLiteral("Выгрузить все товары из БД в файл...");
    if (groupName.size() > 10)
        return QStringLiteral("Выгрузить товары из группы '") + groupName.left(10) + QStringLiteral("...' в файл...");
    return QStringLiteral("Выгрузить товары из группы '") + groupName + QStringLiteral("' в файл...");
}

}  // namespace exchange
