#pragma once
// The goods check of the receipt window: the receipt in progress (or just
// printed) as the main screen holds it. Its number is taken when the goods
// check is shown and kept with the stored receipt when the window closes,
// only if the print setup was opened.
#include "archive/GoodsCheck.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace fb {
class Connection;
}

namespace sales {
class ReceiptModel;
}

namespace archive {

// The active rows of the receipt: position number, goods code (0 for a
// free-price position) and the texts as the grid shows them.
std::vector<GoodsCheckLine> goodsCheckLinesFromReceipt(const sales::ReceiptModel& receipt);

struct ReceiptGoodsCheckRequest {
    QString kindCaption;  // the main screen's lblOperationType
    std::vector<GoodsCheckLine> lines;
    int printState = 0;  // the receipt window's btnPrintCheck Tag: DOC_ID once stored
    QString total;       // lblChekItogo
    QString cashier;     // lblUser
    QDate today;
};

struct ReceiptGoodsCheckResult {
    bool shown = false;
    // Set when this goods check took a new number; the receipt window keeps
    // it (btnGoodsCheck's Tag, txtPrefNumber) for its close.
    std::optional<StoredGoodsCheckNumber> assigned;
};

ReceiptGoodsCheckResult printReceiptGoodsCheck(QWidget* parent, fb::Connection& db, const QString& programFolder,
                                               const ReceiptGoodsCheckRequest& request,
                                               std::function<void()> onPrintSetupOpened);

}  // namespace archive
