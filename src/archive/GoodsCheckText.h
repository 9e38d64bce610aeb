#pragma once
// The texts of a goods check that do not depend on a window: the total in
// words, the title with its number and date, the header lines and where the
// header puts the rest of the page.
#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace report {
class Report;
}

namespace archive {

// Whole roubles in words, 0 to 999 999 999 ("Одна тысяча пять рублей").
// Anything outside is written in digits + " рублей".
QString SumToWordsRub(std::int64_t roubles);
// Kopecks 0 to 99 as two digits and a word ("22 копейки").
QString KopecksToWords(int kopecks);
// A sum in kopecks: roubles in words, a blank, the kopecks.
QString amountInWords(std::int64_t kopecks);
// The total as the goods check shows it ("150.30"), in words; nullopt when
// the text is not a sum.
std::optional<QString> amountInWords(const QString& totalText);

// "05 февраля 2024 г."
QString genitiveDate(const QDate& date);

// "Товарный чек № А - 15 от 05 февраля 2024 г.": the separator stands
// between a non-empty prefix and the number.
QString goodsCheckTitle(const QString& prefix, const QString& separator, qint64 number, const QDate& date);
// Separators the goods check uses: a new number and a reprint from the
// archive keep blanks round the hyphen, a receipt window reusing a stored
// number and the header preview do not.
inline const QString kSpacedHyphen = QStringLiteral(" - ");
inline const QString kBareHyphen = QStringLiteral("-");

// The header lines that are not empty (after trimming), in their order.
QStringList headerLines(const QString& row1, const QString& row2, const QString& row3);

// Places the header lines on the "GoodsCheck" report and moves what follows
// them up when there are fewer than three.
void layOutGoodsCheckHeader(report::Report& report, const QStringList& lines);
// The same for the header preview ("GoodsCheckPreview1"); no lines show
// "не указан".
void layOutPreviewHeader(report::Report& report, const QStringList& lines);

// The start number typed in the settings: 1 for empty, 0, negative or not a
// number.
int startNumberFromText(const QString& text);

}  // namespace archive
