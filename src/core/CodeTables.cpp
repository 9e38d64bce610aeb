#include "CodeTables.h"

#include <QHash>

#include <initializer_list>
#include <utility>

namespace core {

namespace {

QString lookup(std::initializer_list<std::pair<const char*, const char*>> table, const QString& key,
               const QString& fallback) {
    for (const auto& [from, to] : table) {
        if (key == QString::fromUtf8(from)) return QString::fromUtf8(to);
    }
    return fallback;
}

}  // namespace

const QStringList& GoodTypeAbbrs() {
    static const QStringList abbrs{QStringLiteral("Т"), QStringLiteral("АТ"), QStringLiteral("Р"),
                                   QStringLiteral("У")};
    return abbrs;
}

int GoodTypeAbbrToCode(const QString& abbr) {
    static const QHash<QString, int> codes{
        {QStringLiteral("АТ"), 2}, {QStringLiteral("Р"), 3},   {QStringLiteral("У"), 4},
        {QStringLiteral("СА"), 5}, {QStringLiteral("ВА"), 6},  {QStringLiteral("СЛ"), 7},
        {QStringLiteral("ВЛ"), 8}, {QStringLiteral("РИД"), 9}, {QStringLiteral("П"), 10},
        {QStringLiteral("АВ"), 11}, {QStringLiteral("ИПР"), 13},
    };
    return codes.value(abbr, 1);
}

QString ConvertGoodTypeCode(const QString& value, int direction) {
    if (direction == 1) {
        return lookup({{"Т", "1"}, {"АТ", "2"}, {"Р", "3"}, {"У", "4"}, {"СПР", "5"}}, value,
                      QStringLiteral("1"));
    }
    if (direction == 2) {
        return lookup({{"1", "Т"}, {"2", "АТ"}, {"3", "Р"}, {"4", "У"}, {"5", "СПР"}}, value,
                      QStringLiteral("Т"));
    }
    return {};
}

QString GoodTypeAbbrToName(const QString& abbr) {
    return lookup({{"Т", "товар"}, {"АТ", "подакц.товар"}, {"Р", "работа"}, {"У", "услуга"}}, abbr,
                  QStringLiteral("товар"));
}

QString GoodTypeAbbrByRange(const QString& text) {
    // Entries as goods files spell the kind: Latin and Cyrillic look-alikes
    // ("at" in any mix of the two alphabets), words, digits.
    static const QStringList entries{
        QStringLiteral("t"),      QStringLiteral("т"),      QStringLiteral("товар"),  QStringLiteral("1"),
        QStringLiteral("at"),     QStringLiteral("ат"),     QStringLiteral("аt"),     QStringLiteral("aт"),
        QStringLiteral("2"),      QStringLiteral("подакц"), QStringLiteral("р"),      QStringLiteral("p"),
        QStringLiteral("работа"), QStringLiteral("work"),   QStringLiteral("3"),      QStringLiteral("y"),
        QStringLiteral("у"),      QStringLiteral("услуга"), QStringLiteral("servic"), QStringLiteral("4"),
        QString(),
    };
    const int n = static_cast<int>(entries.indexOf(text)) + 1;
    if (n <= 0) return {};
    if (n <= 4 || n == 21) return QStringLiteral("Т");
    if (n <= 10) return QStringLiteral("АТ");
    if (n <= 15) return QStringLiteral("Р");
    return QStringLiteral("У");
}

QString PieceWeightToYesNo(const QString& text) {
    const QChar first = text.isEmpty() ? QChar() : text.at(0).toLower();
    if (text == QLatin1String("1") || first == QChar(0x0448) /* ш */) return QStringLiteral("нет");
    if (text == QLatin1String("0") || first == QChar(0x0432) /* в */) return QStringLiteral("да");
    return {};
}

bool isWeighedGood(const QString& goodW) {
    const QString flag = goodW.trimmed().toUpper();
    return flag == QStringLiteral("ДА") || flag == QLatin1String("1");
}

QString weighedGoodSqlCondition(const QString& column) {
    return QStringLiteral("(UPPER(TRIM(%1)) IN ('ДА', '1'))").arg(column);
}

int MarkTypeNameToCode(const QString& text) {
    static const QHash<QString, int> codes{
        {QString(), 0},                {QStringLiteral("нет"), 0},  {QStringLiteral("0"), 0},
        {QStringLiteral("4"), 4},      {QStringLiteral("таба"), 4}, {QStringLiteral("5"), 5},
        {QStringLiteral("обув"), 5},   {QStringLiteral("10"), 10},  {QStringLiteral("шины"), 10},
        {QStringLiteral("9"), 9},      {QStringLiteral("духи"), 9}, {QStringLiteral("парф"), 9},
        {QStringLiteral("11"), 11},    {QStringLiteral("легп"), 11}, {QStringLiteral("одеж"), 11},
        {QStringLiteral("легк"), 11},  {QStringLiteral("бель"), 11}, {QStringLiteral("12"), 12},
        {QStringLiteral("альт"), 12},  {QStringLiteral("13"), 13},  {QStringLiteral("моло"), 13},
        {QStringLiteral("мол"), 13},
    };
    return codes.value(text, -1);
}

QString MarkTypeCodeToName(int code) {
    switch (code) {
    case 4: return QStringLiteral("табак");
    case 5: return QStringLiteral("обувь");
    case 7: return QStringLiteral("иной");
    case 8: return QStringLiteral("фототовары");
    case 9: return QStringLiteral("парфюм");
    case 10: return QStringLiteral("шины");
    case 11: return QStringLiteral("легпром");
    case 12: return QStringLiteral("альтерн.табак");
    case 13: return QStringLiteral("молочка");
    default: return {};
    }
}

QString VatTextToCode(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QLatin1String("6") || t.startsWith(QStringLiteral("не"))) return QStringLiteral("6");
    return lookup({{"20", "1"},
                   {"1", "1"},
                   {"10", "2"},
                   {"2", "2"},
                   {"20/120", "3"},
                   {"3", "3"},
                   {"10/110", "4"},
                   {"4", "4"},
                   {"0", "5"},
                   {"5", "5"}},
                  t, QStringLiteral("-1"));
}

QString VatCodeToText(int code) {
    switch (code) {
    case 1: return QStringLiteral("20%");
    case 2: return QStringLiteral("10%");
    case 3: return QStringLiteral("20/120");
    case 4: return QStringLiteral("10/110");
    case 5: return QStringLiteral("0%");
    default: return {};
    }
}

const QList<CodeItem>& FfdUnits() {
    static const QList<CodeItem> units{
        {QStringLiteral("шт"), 0},     {QStringLiteral("г"), 10},     {QStringLiteral("кг"), 11},
        {QStringLiteral("т"), 12},     {QStringLiteral("см"), 20},    {QStringLiteral("дм"), 21},
        {QStringLiteral("м"), 22},     {QStringLiteral("кв.см"), 30}, {QStringLiteral("кв.дм"), 31},
        {QStringLiteral("кв.м"), 32},  {QStringLiteral("мл"), 40},    {QStringLiteral("л"), 41},
        {QStringLiteral("куб.м"), 42}, {QStringLiteral("кВт*ч"), 50}, {QStringLiteral("Гкал"), 51},
        {QStringLiteral("сутки"), 70}, {QStringLiteral("час"), 71},   {QStringLiteral("мин"), 72},
        {QStringLiteral("с"), 73},     {QStringLiteral("Кбайт"), 80}, {QStringLiteral("Мбайт"), 81},
        {QStringLiteral("Гбайт"), 82}, {QStringLiteral("Тбайт"), 83}, {QStringLiteral("иное"), 255},
    };
    return units;
}

bool isForeignCountryCode(const QString& code) {
    bool ok = false;
    const qlonglong n = code.trimmed().toLongLong(&ok);
    return ok && n != 0 && n != 643;
}

bool isFfdUnitCode(int code) {
    for (const CodeItem& unit : FfdUnits()) {
        if (unit.code == code) return true;
    }
    return false;
}

QString FfdUnitCodeToText(int code) {
    if (code == 255) return QStringLiteral("иные");
    for (const CodeItem& unit : FfdUnits()) {
        if (unit.code == code) return unit.text;
    }
    return QStringLiteral("???");
}

int OperationTypeFromName(const QString& name) {
    static const QHash<QString, int> kinds{
        {QStringLiteral("ПРИХОД"), 1},
        {QStringLiteral("ВОЗВРАТ ПРИХОДА"), 2},
        {QStringLiteral("РАСХОД"), 3},
        {QStringLiteral("ВОЗВРАТ РАСХОДА"), 4},
    };
    return kinds.value(name.toUpper(), 0);
}

const QStringList& OperDefaultItems() {
    static const QStringList items{QStringLiteral("Приход"), QStringLiteral("Расход"),
                                   QStringLiteral("Возврат прихода"), QStringLiteral("Возврат расхода"),
                                   QString()};
    return items;
}

const QList<CodeItem>& TaxSystemItems() {
    static const QList<CodeItem> items{
        {QStringLiteral("УСН(доход)"), 2}, {QStringLiteral("УСН(доход-расход)"), 4},
        {QStringLiteral("Патент"), 32},    {QStringLiteral("ОСН(общая)"), 1},
        {QStringLiteral("ЕСХН"), 16},      {QString(), 0},
    };
    return items;
}

int taxSystemCodeFromName(const QString& name) {
    for (const CodeItem& item : TaxSystemItems()) {
        if (item.text == name) return item.code;
    }
    return 0;
}

bool isTaxSystemCode(int code) {
    return code == 1 || code == 2 || code == 4 || code == 8 || code == 16 || code == 32;
}

}  // namespace core
