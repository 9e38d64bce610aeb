#pragma once
// The goods exchange file: plain text in code page 1251, a fixed header, a
// status line, command lines beginning "$$$" and records whose fields are
// separated by ";". Everything here works on values: the reader turns lines
// into checked records, the writer turns catalogue rows into lines.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <variant>

namespace exchange {

// --- bytes and lines ----------------------------------------------------------

// Code page 1251 as goods files carry it. Unlike the database codec, the one
// byte without a letter (0x98) decodes to U+0098 and back, so no byte of a
// file is lost on its way through.
QString decodeCp1251(const char* data, qsizetype size);
inline QString decodeCp1251(const QByteArray& bytes) {
    return decodeCp1251(bytes.constData(), bytes.size());
}
// Characters the code page cannot hold are written as "?".
QByteArray encodeCp1251(const QString& text);

// Trims blanks and control characters (everything up to U+0020) at both
// ends; a no-break space stays.
QString trimControls(const QString& text);

// --- the layout -----------------------------------------------------------------

inline const QString kHeaderLine = QStringLiteral("##@@&&");
inline const QString kStatusNew = QStringLiteral("#");
inline const QString kStatusLoaded = QStringLiteral("@");

enum class LineKind { Skipped, Command, Record };
// Takes a trimmed line: empty lines and "//" comments are skipped.
LineKind classifyLine(const QString& trimmed);

// What the records after a command line are.
enum class RecordKind { Goods, Barcodes, DeleteGoods, DeleteBarcodes, Skipped };
// The whole trimmed command line, compared without regard to letter case.
RecordKind commandKind(const QString& command);

// --- units of measure (field 66) ---------------------------------------------------

struct UnitRow {
    QString name;
    int code = 0;
};
// The 24 units by position, "шт" (code 0) first and "иные" (code 255) last.
const std::array<UnitRow, 24>& unitTable();
// Position of a unit code in the table; -1 for a code that is no unit.
int unitPosition(int code);

// --- records --------------------------------------------------------------------------

// One goods or group row as it goes into GOODS. For groups every optional
// value is absent (NULL); goods carry all of them except perhaps the unit
// code and the country.
struct GoodsRecord {
    std::int32_t id = 0;
    QString name;
    bool isGood = true;
    std::int32_t parent = 0;
    std::optional<QString> price;     // "12.50"
    std::optional<QString> weighed;   // GOOD_W: "да" fractional sale, "нет" piece goods
    std::optional<QString> type;      // "Т", "АТ", "Р", "У"
    std::optional<QString> unitName;  // "" when the unit is unknown
    std::optional<int> unitCode;
    std::optional<QString> vat;      // "1".."6"
    std::optional<QString> country;  // three digits
    std::optional<int> markType;
    QStringList barcodes;  // without duplicates, in file order
    bool operator==(const GoodsRecord&) const = default;
};

struct Refusal {
    QString message;
};

// Checks one goods record line (already trimmed). `line` is the physical
// line number for the messages, `written` the goods records accepted before
// it (the ID message names the position, not the line).
std::variant<GoodsRecord, Refusal> parseGoodsRecord(const QString& text, int line, int written);

struct BarcodeRecord {
    std::int32_t goodsId = 0;
    QString barcode;  // at most 40 characters
};
// A barcode record line; nothing when it is to be skipped (bad ID, empty code).
std::optional<BarcodeRecord> parseBarcodeRecord(const QString& text);

// "12,5" -> "12.50": a plain decimal, "." or "," before the kopecks, rounded
// half up on the digits; nothing for negative numbers, exponents, INF, NaN,
// hex or prices above 9,999,999.99.
std::optional<QString> formatPrice2(const QString& text);

// --- the messages of a load -------------------------------------------------------------

namespace msg {
inline const QString kNotFormat = QStringLiteral("Выбранный Вами файл не соответствует формату ''АТОЛ''.     ");
inline const QString kEmpty = QStringLiteral("Выбранный Вами файл не соответствует формату ''АТОЛ'' (пустой).     ");
inline const QString kLoaded = QStringLiteral("Выбранный Вами файл имеет статус ''ЗАГРУЖЕН''.     ");
QString badId(int position);
QString badField17(int line);
QString badField16(int line);
QString badField5(int line);
QString badField8(int line);
QString badField13(int line);
QString badField23(int line);
QString badField55(int line);
// A byte Windows-1251 has no letter for (0x98): the database could not take
// the text, and it is the file that must be mended, not the server.
QString unmappedByte(int line);
}  // namespace msg

// Whether a line read from a Windows-1251 file holds the one byte that code
// page has no letter for.
bool holdsUnmappedByte(const QString& text);

// --- the writer ----------------------------------------------------------------------------

// One GOODS row as the export reads it; absent values are NULL columns.
struct ExportRow {
    std::int32_t id = 0;
    QString name;
    QString price;
    QString weighed;
    QString type;
    std::optional<std::int32_t> parent;
    int isGood = 1;
    QString vat;
    std::optional<int> markType;
    QString country;
    std::optional<int> unitCode;
    QStringList barcodes;
    std::optional<int> packCount;  // the CSV file only
};

struct WrittenRecord {
    QString line;         // 66 fields, each followed by ";", without the line end
    int droppedBarcodes;  // barcodes holding ";" or "," the format cannot carry
};
WrittenRecord writeGoodsRecord(const ExportRow& row);

// The lines before the first record: "##@@&&", "#", "", "$$$ADDQUANTITY".
QStringList fileHeaderLines();

}  // namespace exchange
