#pragma once
// Marking codes as the scanner delivers them. A scanner working as a
// keyboard turns the group separators of a GS1 DataMatrix code into zero or
// more arbitrary characters; the routines here find that separator text,
// check the layout each mark type prescribes and write the code back with
// one GS character (29) in each separator's place. They also cut the GTIN,
// the serial number and the tobacco price field, decide when a scan is long
// enough to look at, and build the cashier's messages about codes.
//
// Positions in the comments count from 1, as the layouts are written.
#include "sales/receipt/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace sales::marking {

// Mark type codes (GOOD_MARKTYPE).
enum MarkType : int {
    NotMarked = 0,
    Tobacco = 4,
    Shoes = 5,
    OtherMarked = 7,
    Photo = 8,
    Perfume = 9,
    Tyres = 10,
    LightIndustry = 11,
    AltTobacco = 12,
    Dairy = 13,
};

// MarkCodeKind of a tobacco code.
enum MarkCodeKind : int {
    NoKind = 0,
    PackCode = 1,    // a 29-character pack code
    GroupCode = 10,  // a group (block) code
};

inline constexpr QChar GS = QChar(29);

// Captions by mark type, indexed 1..13 (entry 0 unused); types 1, 2, 3 and 6
// have none.
extern const std::array<QString, 14> MarkTypeCaptions;
// The caption of `markType`, empty outside 1..13.
QString markTypeCaption(int markType);

struct NormalizedMark {
    bool ok = false;
    QString code;   // with GS separators; empty on failure
    int codeKind = NoKind;
};

// The format check of a scanned code for a mark type.
NormalizedMark NormalizeMarkCode(const QString& scan, int markType);

// The same with the program's calling convention: the normalised code goes
// to `normalized`, the flag `lastOpFailed` gets 1 on failure, 0 on success,
// and `codeKind` the tobacco code kind.
void CheckMarkCodeFormat(const QString& scan, int markType, QString& normalized, int& lastOpFailed,
                         int& codeKind);

// The separator text: the characters from `from` up to the first `nextAi`
// found at or after `from`; nullopt when the text ends before one is found.
std::optional<QString> FindSep(const QString& scan, int from, const QString& nextAi);

enum class ScanDisposition {
    Evaluate,  // long enough: check it
    Wait,      // not yet a whole code
    Ignore,    // this mark type is not scanned in the dialog
};
ScanDisposition scanDisposition(int markType, qsizetype length);

struct MarkParts {
    QString gtin;
    QString serial;
    QString priceField;  // tobacco only: 4 base-80 characters or 6 digits
};
// GTIN, serial and (for tobacco) the price field. `raw` is the scan as
// read, `normalized` the code after the format check; each mark type cuts
// from the one its layout is fixed in.
MarkParts ExtractMarkParts(int markType, const QString& raw, const QString& normalized);

// The maximum retail price of a tobacco code in kopecks: a pack code's
// four characters read in base 80 (-1 when they are not of that alphabet),
// a group code's six digits (0 when not a number).
std::int64_t TobaccoMrp(const QString& priceField, bool isPack);

// S with "0" put in front until it has `width` characters.
QString PadLeftZeros(const QString& s, int width);

enum class GtinMatch { NoStoredGtin, Match, Mismatch };
// The GTIN of a code against the goods' barcodes. Barcodes that are empty
// or "xxxxxxxxxxxxxx" (or, for alternative tobacco, nothing but "x") say
// nothing; leading zeros are ignored on both sides, letters compare
// without case. Any one barcode matching is enough.
GtinMatch GtinCheck(int markType, const QString& codeGtin, const QStringList& storedBarcodes);

// The goods name as the GTIN question shows it.
QString ShortNameForMessage(const QString& name, int markType);

// A marking record (ten strings: [1] GTIN, [2] serial) with the same GTIN
// (compared at 14 characters) and serial, case-insensitive.
bool IsDuplicateMark(const QList<QStringList>& markedItems, const QString& gtin, const QString& serial);

// The unit price of a tobacco position: the price text with two decimals,
// nullopt when it is not a number. A part of a pack keeps the pack's price:
// the position counts the part as its share of the pack (0.100), and the
// register is given price x share.
std::optional<QString> TobaccoUnitPrice(const QString& markPriceText);

// A price typed for a tobacco unit sold without a code: trimmed, "," read as
// "."; the text when it is a number above 0, else nullopt.
std::optional<QString> ValidateManualTobaccoPrice(const QString& text);

// Seven characters, all of them ASCII.
bool IsValidSerial7(const QString& text);

// ---- Messages ------------------------------------------------------------

// The format message of a mark type; empty for types the dialog does not scan.
QString formatMessage(int markType);
// The GTIN question of a mark type with the name shortened for it.
QString gtinMismatchQuestion(int markType, const QString& goodsName);
QString duplicateMarkText();
QString noRegisterText();
// The same goods is in the receipt at another price (the scan dialog's text).
QString markedPriceConflictText(const QString& price, int row, const QString& rowPrice);
QString tobaccoDiscountWarningText();
QString badManualPriceText();
QString badSerial7Text();

}  // namespace sales::marking
