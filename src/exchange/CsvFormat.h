#pragma once
// The CSV goods file: code page 1251, one goods item per line, ten fields
// separated by ";", each written in double quotes, as a Russian-locale
// spreadsheet reads and writes it.
#include "ExchangeFormat.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace exchange {

inline const QString kCsvHeader = QStringLiteral(
    "\"Код\";\"Штрихкод\";\"Название\";\"Цена\";\"ППР\";\"шт/вес\";\"Ед.изм.\";\"Тип маркировки\";\"НДС\";\"Кол-во в "
    "упак.\"");

// A line whose text without its ";" is blank holds no goods.
bool isBlankCsvLine(const QString& line);
// Fields at ";", a double quote quoting (with "" for a quote inside);
// "¤" reads as a blank; padded to eleven fields.
QStringList splitCsvLine(const QString& line);
// The first line is a header when its first field holds "код" in any case.
bool isCsvHeader(const QStringList& fields);

struct CsvGoods {
    std::int32_t id = 0;
    QStringList barcodes;
    QString name;
    QString price;    // "1234.50"
    QString type;     // "Т", "АТ", "Р", "У"
    QString weighed;  // GOOD_W "да" / "нет"
    QString unitName;
    int unitCode = 0;
    int markType = 0;
    QString vat;  // "1".."6"
    std::optional<int> packCount;
    bool operator==(const CsvGoods&) const = default;
};

// Checks the columns in the order 1, 4, 3, 5, 6, 7, 8, 9, 10, 2; the first
// refusal carries its message naming line `line`.
std::variant<CsvGoods, Refusal> parseCsvGoods(const QStringList& fields, int line);

// One goods row for the file, in text mode (names: "весовой", "кг",
// "20%") or number mode (codes).
QString writeCsvGoods(const ExportRow& row, bool textMode);

// Title of the save dialog for the whole catalogue or one group.
QString csvSaveDialogTitle(const QString& groupName, bool root);

namespace csvmsg {
QString badId(int line);
QString badPrice(int line);
QString badType(int line);
QString badWeighed(int line);
QString badUnit(int line);
QString badMark(int line);
QString badVat(int line);
}  // namespace csvmsg

}  // namespace exchange
