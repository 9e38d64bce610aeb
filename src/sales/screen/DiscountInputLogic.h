#pragma once
// What the discount window does apart from the window: the key filter of its
// two entry fields, the limit of the setting "[MaxDiscount]", and the change
// Enter makes to the receipt's line attributes, decided before anything is
// written so that a refused discount leaves the receipt as it was.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"

#include <QString>

namespace sales {

// The window's Tag: what is discounted.
enum DiscountInputTarget : int {
    DiscountOnNothing = 0,
    DiscountOnReceipt = 1,   // the whole receipt (row 0 of the line attributes)
    DiscountOnPosition = 2,  // the current receipt row
};

// The kind in use (Tag of GroupBox1).
enum DiscountInputKind : int {
    DiscountKindNone = 0,
    DiscountKindPercent = 1,
    DiscountKindSum = 2,
    DiscountKindRoundTo = 3,  // offered by no control; Enter leaves the receipt alone
};

namespace discountInputText {
inline const QString kCaption = QStringLiteral("Скидка");
inline const QString kGroupCaption = QStringLiteral("  Задать скидку  ");
inline const QString kPositionCaption = QStringLiteral("Задать скидку на позицию");
inline const QString kReceiptCaption = QStringLiteral("Задать скидку на чек");
inline const QString kBadFormatCaption = QStringLiteral("Ошибка");
inline const QString kBadFormat = QStringLiteral(
    "Недопустимый формат вводимых данных.     \n\rВведите корректные данные\n\rСообщите о проблеме разработчику.");
inline const QString kTooLarge = QStringLiteral("Недопустимый размер скидки    ");
// A line's sum discount over the limit says it with one blank less.
inline const QString kTooLargeLineSum = QStringLiteral("Недопустимый размер скидки   ");
}  // namespace discountInputText

// How much a field of a kind holds: whole digits, decimals, characters.
struct DiscountFieldLimits {
    int integerDigits = 0;
    int decimals = 0;
    int maxLength = 0;
};
// Percent 2 digits and no decimals; sum 9 and 2 (ten characters); round-to
// 10 and 2.
DiscountFieldLimits discountFieldLimits(int kind);

// The field's text after one typed character: "," is read as "."; digits and
// "." are taken as the kind's limits allow, anything else is not.
QString discountFieldKey(const QString& text, int kind, QChar key);

// "[MaxDiscount]" as a percent; 0 (no limit) when empty or not a number.
Rational maxDiscountPercent(const QString& setting);

struct DiscountInputRequest {
    int target = DiscountOnNothing;
    int kind = DiscountKindNone;
    int row = 0;          // the receipt row of a position discount
    QString text;         // the field of the kind in use
    QString maxDiscount;  // the setting as stored
};

struct DiscountInputDecision {
    enum class Outcome {
        Close,      // nothing to do; the window closes
        BadFormat,  // not a number; the message is shown and the window closes
        TooLarge,   // over the limit; the window stays
        Remove,     // the discount (for the receipt: every discount) goes
        Percent,    // a percent discount of `value`
        Sum,        // a sum discount of `value`
    };
    Outcome outcome = Outcome::Close;
    QString value;    // the discount as written into the attributes
    QString message;  // for BadFormat and TooLarge

    bool changesReceipt() const {
        return outcome == Outcome::Remove || outcome == Outcome::Percent || outcome == Outcome::Sum;
    }
};

// Enter, decided over the receipt as it stands. An empty field reads as 0.
DiscountInputDecision decideDiscountInput(const ReceiptModel& model, const DiscountInputRequest& request);

// Writes an accepted decision into the line attributes; the caller then
// recalculates. For the receipt every position's discount is removed first,
// and before a sum discount the former kind and value are kept in entries 3
// and 4 (of row 0, or of the position's row). False when nothing was
// written.
bool applyDiscountInput(ReceiptModel& model, const DiscountInputRequest& request,
                        const DiscountInputDecision& decision);

}  // namespace sales
