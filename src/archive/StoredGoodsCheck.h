#pragma once
// The goods check of a stored sale receipt, printed from the receipt search.
// Lines of the same name and price are merged; the first time the print
// setup opens for an unnumbered receipt, the receipt takes the next number
// and the counter moves past it.
#include "archive/GoodsCheck.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace fb {
class Connection;
}

namespace archive {

struct GoodsCheckSourceLine {
    QString name;
    QString price;
    QString quantity;
    // What the receipt sold the line for, when known; else the sum is
    // worked out from price and quantity.
    QString sum = {};
};

// Numbered from 1; the sum is the line's own, or else price × quantity
// rounded half away from zero to kopecks. A price or quantity that is no
// number gives an empty sum.
std::vector<GoodsCheckLine> goodsCheckLinesFromStored(const std::vector<GoodsCheckSourceLine>& lines);

// Lines of one receipt merged by name and price, with summed quantities and
// the sums the receipt sold them for: a part of a pack at price × n ÷ d
// rounded once, as the register took it, so the lines add up to the total.
std::vector<GoodsCheckSourceLine> storedReceiptLines(fb::Connection& db, int docId);

namespace goodsCheckText {
inline const QString kOnlyForSaleReceipts =
    QStringLiteral("Товарный чек формируется только для кассовых чеков     \r\nс признаком расчета \"ПРИХОД\".");
// The archive's own text differs from the receipt window's by one blank.
inline const QString kStoredFillFailed =
    QStringLiteral("При формировании товарного чека произошла ошибка ErrorFillGC.    ");
}  // namespace goodsCheckText

// Shows the goods check of receipt `docId`. `numbered` runs after the
// receipt took its number (the list shows it again). False when nothing was
// shown (the reason was told).
bool printStoredGoodsCheck(QWidget* parent, fb::Connection& db, const QString& programFolder, int docId,
                           std::function<void()> numbered);

}  // namespace archive
