#pragma once
// What a scanned or typed code is, decided from its text alone: a weight
// barcode (12 or 13 digits under a registered weight prefix), an ordinary
// goods barcode, a tobacco pack code, a DataMatrix marking code, or nothing
// the program can sell by. A cashier card is not told by its shape: it is
// what a code is while the workplace is locked, or what an unknown short
// code turns out to be in USERS.
#include "sales/receipt/Money.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace sales {

enum class CodeKind {
    TooShort,      // fewer than 5 characters: ignored
    Weight,        // weight barcode: goods number and weight inside
    Goods,         // under 18 characters: an ordinary goods barcode
    TobaccoPack,   // exactly 29 characters: a tobacco pack code
    DataMatrix,    // 18 or more, "01" at 1-2 and "21" at 17-18
    Unknown,       // any other code of 18 or more characters: finds nothing
};

// The shortest code item entry looks at.
inline constexpr int kMinCodeLength = 5;

// Weight barcodes are EAN-13 (or 12-digit) codes: anything shorter is never
// read as one, even when it starts with a weight prefix.
bool hasWeightBarcodeShape(const QString& code);
// The first two characters as a number; 0 when they are not digits.
int weightPrefixOf(const QString& code);

// The kind of a trimmed code; `weightPrefixes` are the registered prefixes
// (BARCODE_WEIGHT_PREFIX as numbers).
CodeKind classifyCode(const QString& code, const QSet<int>& weightPrefixes);

// The contents of a weight barcode (positions counted from 1): characters
// 3-7 the goods number, characters 8-12 the weight in grams.
struct WeightBarcode {
    enum class Status { Ok, NotWeightBarcode, ZeroWeight };
    Status status = Status::NotWeightBarcode;
    int goodsNumber = 0;
    Qty weight;  // kilograms with three decimals
};
WeightBarcode decodeWeightBarcode(const QString& code);


// The goods number of a weight barcode as the stored short barcodes may
// spell it: "123", "0123", "00123" (at most five characters).
QStringList weighedGoodsBarcodes(int goodsNumber);

// The GTIN a marking code is looked up by, leading zeros removed: characters
// 1-14 of a tobacco pack code, 3-16 of a DataMatrix code.
QString markingLookupCode(const QString& code, CodeKind kind);

// A code as the not-found message shows it: 25 characters or more are cut to
// the first 22 and "...".
QString codeForMessage(const QString& code);

}  // namespace sales
