#pragma once
// What the quantity input window does with the keys it is given and with the
// number it holds when Enter is pressed, apart from the window: the "00" key,
// the reading of the typed number in each mode, and the change it makes to
// the receipt row.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/receipt/SumLimits.h"

#include <QString>

namespace sales {

// The window's Tag: what the typed number is.
enum CountInputMode : int {
    CountInputNone = 0,
    CountInputQuantity = 1,  // new quantity of the current receipt row
    CountInputPrice = 2,     // new unit price of the current receipt row
    CountInputCashIn = 3,    // cash put into the register's drawer
};

// Longest number the window takes: ten characters hold 9999999.99.
inline constexpr int kCountInputMaxLength = 10;

namespace countInputText {
inline const QString kQuantityCaption = QStringLiteral("Ввод количества");
inline const QString kPriceCaption = QStringLiteral("Ввод/изменение цены");
inline const QString kCashInCaption = QStringLiteral("Внесение денег в кассу");
inline const QString kBadFormat = QStringLiteral("Недопустимый формат набранных данных  ");
inline const QString kPieceFraction =
    QStringLiteral("Для штучного товара не допускается   \n\rуказывать дробное количество");
// Values the database could never hold: a receipt with them would print
// and then fail to be stored.
inline const QString kQuantityTooLarge =
    QStringLiteral(" Такое количество не может быть записано в Базу Данных.     \r\n Укажите меньшее количество.     ");
inline const QString kPriceTooLarge = sumLimitText::kPriceTooLarge;
inline const QString kLineSumTooLarge = sumLimitText::kLineSumTooLarge;
inline const QString kCashInTooLarge = QStringLiteral(" Сумма внесения не может быть больше 9999999.99.     ");
}  // namespace countInputText

// Decimals a mode takes: 3 for a quantity, 2 for money.
int countInputDecimals(int mode);

// The "00" key. Acts only while the text is shorter than maxLen: an empty
// text or "0" stays "0"; without a point "00" is appended, or "0" when only
// one more character fits. After a point, for a quantity or a price with d
// decimals, fewer than d - 1 digits take "00", exactly d - 1 take "0", more
// take nothing; a cash-in amount takes nothing after the point. Nothing is
// ever appended beyond maxLen.
QString countInputDoubleZero(const QString& text, int maxLen, int mode);

// The decision Enter takes over the typed text.
struct CountInputDecision {
    enum class Outcome {
        Close,          // nothing to do: the window closes, nothing changes
        BadFormat,      // not a number; the window stays
        TooLarge,       // more than the database can hold; the window stays
        PieceFraction,  // a fraction for a piece good; the window stays
        Quantity,       // write `quantity` into the row
        Price,          // write `amount` as the row's unit price
        CashIn,         // put `amount` into the drawer
    };
    Outcome outcome = Outcome::Close;
    Qty quantity;
    Money amount;
    QString message;  // for the outcomes that keep the window open

    bool keepsWindowOpen() const {
        return outcome == Outcome::BadFormat || outcome == Outcome::TooLarge || outcome == Outcome::PieceFraction;
    }
};

// `text` is the field's text; `rowKind` column 2 of the current row ("P"
// piece, "W" weighed, empty read as "F", a good sold in any fraction). An
// empty field, or a value of 0 (after rounding to the mode's decimals),
// closes the window without a change. A quantity for a row of any other
// kind closes it without a change as well. A quantity whose text would not
// fit the stored receipt line, a price or a cash-in above 9999999.99 is
// refused.
CountInputDecision decideCountInput(int mode, const QString& text, const QString& rowKind);

// Sum discounts no longer fit a changed quantity or price: a receipt
// discount of kind "S" becomes "N" with no value, and so does the row's.
// Percent discounts stay. True when the receipt discount was dropped.
bool dropSumDiscounts(ReceiptModel& model, int row);

// Why row `row`, as it stands after a new quantity or price, could never be
// stored with a receipt: its line sum above 9999999.99, its quantity or price
// text wider than the stored line takes. Empty when it could.
QString countInputRowProblem(const ReceiptModel& model, int row);

// The row's new quantity (column 6, by its kind's text rule) with the sum
// discounts dropped. False, and nothing changed, for a row that is not an
// active position or a quantity not above zero.
bool applyCountInputQuantity(ReceiptModel& model, int row, Qty quantity);
// The row's new unit price before discount (entry 0, two decimals) with the
// sum discounts dropped. False, and nothing changed, for a row that is not
// an active position or a price not above zero.
bool applyCountInputPrice(ReceiptModel& model, int row, Money price);

}  // namespace sales
