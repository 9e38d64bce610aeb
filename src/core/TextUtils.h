#pragma once
// Small text and number routines shared by every part of the program:
// defaults for empty texts, padding, tax numbers, the key map for scanners
// typing in the Russian layout, the price field of tobacco marking codes,
// barcode-font text, and the stored form of numbers kept as text.
#include <QChar>
#include <QString>

#include <cstdint>

class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

namespace core {

// Removes characters up to and including the blank from both ends (control
// characters too, but not the no-break space), as the program has always
// trimmed what it reads from files and the database.
QString trimBlanks(const QString& text);

// `text` unchanged when it is not blank after trimming, else `fallback`.
QString IfEmptyStr(const QString& text, const QString& fallback);
// `text` unchanged when it is not blank after trimming, else "0.00".
QString EmptyToZeroSum(const QString& text);

// Text without any carriage return, line feed or blank.
QString removeCrLfAndBlanks(const QString& text);
// Cleans the control's text of carriage returns, line feeds and blanks and
// writes it back; a text holding none of the three is left untouched, so
// the cursor does not move while the cashier types.
void RemoveCrLfFromMemo(QPlainTextEdit* memo);
void RemoveCrLfFromMemo(QTextEdit* memo);
void RemoveCrLfFromMemo(QLineEdit* edit);

// Removes leading "0" characters but never the last character ("000" -> "0").
QString StripLeadingZeros(const QString& text);

// Mode 0 prepends `ch`, mode 1 appends it, until the text is at least
// `width` long; other modes leave the text. With `normalize` the result is
// then replaced by the decimal form of its integer value ("0" when it is not
// a whole number).
QString PadStr(const QString& text, int mode, QChar ch, int width, bool normalize);

// The cashier's personal tax number (fiscal tag 1203): the trimmed text when
// it is exactly 12 digits, else an empty text.
QString ValidateInn(const QString& text);

// The price field of a tobacco marking code: with `length` 4, the four
// characters read as a number in base 80 (most significant first) over the
// marking code alphabet; callers divide by 100 to get roubles. Other lengths
// give 0. A text that is not four characters of that alphabet gives -1, so
// a damaged code never passes for a price of zero.
std::int64_t DecodeBase80(const QString& text, int length);

// The character on the same key of the US layout for a Windows-1251
// character typed in the Russian layout; QChar() (code 0) for characters
// that are not on the map. The QChar form encodes the character first.
QChar RusToLatKey(std::uint8_t win1251Code);
QChar RusToLatKey(QChar ch);

// Text to print an EAN-8 or EAN-13 with the "Code EAN13" barcode font; empty
// when the text holds a non-digit or is neither 8 nor 13 characters long.
// The check digit is printed as given, not computed.
QString EncodeEanForBarcodeFont(const QString& digits);

// --- numbers stored as text (prices, sums, quantities, stock) ----------------
// Writers store a point and fixed decimals ("12.50", "1.500"); readers take
// an empty text, NULL or a malformed text as zero and accept "," as well.

QString moneyToStoredText(std::int64_t kopecks);           // "12.50"
QString quantityToStoredText(std::int64_t thousandths);    // "1.500"
std::int64_t storedTextToScaled(const QString& text, int scale);
inline std::int64_t storedMoneyToKopecks(const QString& text) { return storedTextToScaled(text, 2); }
inline std::int64_t storedQuantityToThousandths(const QString& text) { return storedTextToScaled(text, 3); }
// SQL that reads such a column as DECIMAL(precision, 3) by the same rules:
// CAST(REPLACE(COALESCE(NULLIF(TRIM(col), ''), '0'), ',', '.') AS DECIMAL(p,3)).
QString storedNumberSql(const QString& column, int precision = 15);

}  // namespace core
