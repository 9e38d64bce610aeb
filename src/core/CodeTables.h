#pragma once
// Code tables between the texts shown to people (or found in goods files)
// and the codes kept in the database and sent to the register. They hold
// no state; every comparison is exact (case matters) unless said otherwise.
#include <QList>
#include <QString>
#include <QStringList>

namespace core {

// One entry of a list whose items carry a code (units, VAT rates, mark
// types, tax systems). Widgets keep the code in the item's Qt::UserRole.
struct CodeItem {
    QString text;
    int code = 0;
    bool operator==(const CodeItem&) const = default;
};

// --- goods kind (GOODS.GOOD_TYPE) -------------------------------------------

// The four kinds offered in the goods card, by list position (codes 1 to 4):
// "Т", "АТ", "Р", "У".
const QStringList& GoodTypeAbbrs();

// Abbreviation -> subject of calculation (fiscal tag 1212). "Т" and
// anything unknown give 1; 12 is never produced.
int GoodTypeAbbrToCode(const QString& abbr);

// Direction 1: abbreviation -> digit of the goods exchange file ("Т" "1" ...
// "СПР" "5", anything else "1"). Direction 2 is the reverse (digit ->
// abbreviation, anything else "Т"); other directions give an empty text.
QString ConvertGoodTypeCode(const QString& value, int direction = 1);

// Abbreviation -> kind name ("товар", "подакц.товар", "работа", "услуга");
// anything else "товар".
QString GoodTypeAbbrToName(const QString& abbr);

// Import text (callers pass its first six characters, lower-cased) ->
// abbreviation "Т", "АТ", "Р" or "У"; empty when the text is not known.
QString GoodTypeAbbrByRange(const QString& text);

// --- piece / weighed goods (GOODS.GOOD_W) ------------------------------------

// Piece/weight column of the CSV goods file -> GOOD_W text: "1" or a word
// beginning with "ш" gives "нет", "0" or a word beginning with "в" gives
// "да"; anything else (also empty) an empty text.
QString PieceWeightToYesNo(const QString& text);

// The one rule for GOOD_W everywhere: fractional (weighed) sale is allowed
// exactly when the trimmed, upper-cased flag is "ДА" or "1".
bool isWeighedGood(const QString& goodW);
// The same rule as an SQL condition over a GOOD_W column, for queries that
// filter or compute on it.
QString weighedGoodSqlCondition(const QString& column = QStringLiteral("GOOD_W"));

// --- mark types (GOODS.GOOD_MARKTYPE) ----------------------------------------

// Import text (callers pass its first four letters, lower-cased) -> code:
// 0 unmarked, 4, 5, 9, 10, 11, 12, 13; -1 for an unknown text.
int MarkTypeNameToCode(const QString& text);
// Code -> short name ("табак", "обувь", ...); empty for other codes.
QString MarkTypeCodeToName(int code);

// --- VAT (GOODS.GOOD_NALOG, DD_TAXRATE) --------------------------------------

// VAT text -> code "1".."6"; "-1" for text that is no VAT rate. Blanks
// around the text are ignored.
QString VatTextToCode(const QString& text);
// VAT code -> "20%", "10%", "20/120", "10/110", "0%"; 6 (no VAT) and
// anything else give an empty text.
QString VatCodeToText(int code);

// --- countries ----------------------------------------------------------------

// A goods country code that names a country other than Russia (643); an
// empty, zero or unreadable code names none.
bool isForeignCountryCode(const QString& code);

// --- units of measure (fiscal data format 1.2) -------------------------------

// Unit code -> short name; "???" for a code that is not a unit. The last
// unit reads "иные" here (the name the goods files use).
QString FfdUnitCodeToText(int code);
bool isFfdUnitCode(int code);
// The 24 units in the order they are offered, the last being "иное" 255.
const QList<CodeItem>& FfdUnits();

// --- receipt kinds and tax systems -------------------------------------------

// Receipt kind name, compared upper-cased: "ПРИХОД" 1, "ВОЗВРАТ ПРИХОДА" 2,
// "РАСХОД" 3, "ВОЗВРАТ РАСХОДА" 4, anything else 0.
int OperationTypeFromName(const QString& name);
// The kinds as the settings list offers them: "Приход", "Расход",
// "Возврат прихода", "Возврат расхода" and an empty item.
const QStringList& OperDefaultItems();

// Tax system list of the settings window, in list order, codes of fiscal
// tag 1055: "УСН(доход)" 2, "УСН(доход-расход)" 4, "Патент" 32,
// "ОСН(общая)" 1, "ЕСХН" 16, empty 0.
const QList<CodeItem>& TaxSystemItems();
// The code of the item with exactly that text; 0 when none has it.
int taxSystemCodeFromName(const QString& name);
// Codes a reader accepts as a tax system: 1, 2, 4, 8, 16, 32.
bool isTaxSystemCode(int code);

// --- receipt ------------------------------------------------------------------

// True when some row of LineAttrs after row 0 (which holds the receipt-wide
// discount) has a mark-type entry (index 5) whose integer value is above 0.
// Works on any list of rows whose entries convert to QString.
template <class Rows>
bool ReceiptHasMarkedGoods(const Rows& lineAttrs) {
    bool first = true;
    for (const auto& row : lineAttrs) {
        if (first) {
            first = false;
            continue;
        }
        if (row.size() > 5) {
            bool ok = false;
            const int markType = QString(row[5]).trimmed().toInt(&ok);
            if (ok && markType > 0) return true;
        }
    }
    return false;
}

}  // namespace core
