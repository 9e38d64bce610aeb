#pragma once
// The widths of the database columns a printed receipt is stored in, and the
// checks that every value of a receipt fits them. The register prints what it
// is given, and whatever it printed must then be stored: a value too wide for
// its column is refused before the receipt opens in the register, never
// found out by the database afterwards.
#include "sales/receipt/Money.h"
#include "sales/receipt/SumLimits.h"

#include <QString>
#include <QStringList>

namespace sales {

namespace columnWidth {
inline constexpr int kSum = 10;           // DOCUMENTS.DOC_SUMM_FULL, DOC_PAY_NAL, DOC_PAY_EL, DOC_PAY_ADVANCE
inline constexpr int kPrice = 10;         // DOCUMENTS_DETAIL.DD_GOOD_PRICE_MAIN, DD_GOOD_PRICE_CURRENT
inline constexpr int kCount = 10;         // DOCUMENTS_DETAIL.DD_GOOD_COUNT
inline constexpr int kGtin = 14;          // DOCUMENTS_DETAIL.DD_GTIN
inline constexpr int kSerial = 14;        // DOCUMENTS_DETAIL.DD_SERIAL_GTIN
inline constexpr int kMarkingCode = 150;  // DOCUMENTS_DETAIL.DD_DM_FULL
inline constexpr int kCustoms = 32;       // DOCUMENTS_DETAIL.DD_DECLARE_NUMBER
inline constexpr int kFraction = 15;      // DOCUMENTS_DETAIL.DD_FRACTIONAL_COUNT
}  // namespace columnWidth

// Whether `text` goes into a column of `width` characters as it is.
bool fitsColumn(const QString& text, int width);
// Whether a sum is stored as written ("0.00" .. "9999999.99").
bool sumFits(Money sum);

// Why a value of row `row` (1-based) of the hand-over table would not fit its
// column: the message names the position and the field. Empty when all fit.
QString lineWidthProblem(const QStringList& line, int row);

// Why the receipt's total (as it is stored, `totalText`) or one of its
// payments would not fit. Empty when they fit.
QString receiptSumsProblem(const QString& totalText, Money cash, Money card, Money prepay);

}  // namespace sales
