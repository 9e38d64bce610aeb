#pragma once
// The texts the receipt routines ask the screen to show, word for word, so
// every window that acts on the receipt says the same thing.
#include <QString>

namespace sales {

enum class ReceiptMessageIcon { Warning, Error };

enum class ReceiptMessageId {
    PercentTooLarge,           // a percent discount of 100 or more
    InvalidDataFormat,         // a unit price that is no number
    DiscountNotAcceptable,     // a discount not smaller than what it applies to
    TobaccoPriceOutOfLimits,   // tobacco price outside [minimum, MRP]
    ReceiptDiscountCancelled,  // adding a tobacco block drops the receipt discount
    SerialAlreadyInReceipt,    // the same marked unit scanned twice
    PriceConflict,             // the same goods at another price (see priceConflictMessage)
    DiscountZeroesPosition,    // a discount would bring a position to 0.00
};

struct ReceiptMessage {
    QString caption;  // empty for most boxes
    QString text;
    ReceiptMessageIcon icon = ReceiptMessageIcon::Warning;
};

// The fixed texts. For PriceConflict the text is the template without the
// figures; use priceConflictMessage to fill them in.
ReceiptMessage receiptMessage(ReceiptMessageId id);

// "Наличие в чеке нескольких единиц одного товара..." with the added unit's
// price, the row already holding the goods and that row's unit price (column 5).
// A discount would bring position `name` to 0.00.
ReceiptMessage discountZeroesPositionMessage(const QString& name);

ReceiptMessage priceConflictMessage(const QString& price, int row, const QString& rowPrice);

}  // namespace sales
