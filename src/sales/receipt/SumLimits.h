#pragma once
// The largest amounts the receipt may take. Prices and sums are stored as
// texts of ten characters, so nothing beyond 9999999.99 could be stored
// after the register printed it; such a value is refused the moment it is
// entered, with a message that says it is too large.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptModel.h"

#include <QString>

#include <functional>
#include <optional>

namespace sales {

// The largest sum a ten-character sum column holds: 9999999.99.
inline constexpr Money kLargestStoredSum = Money::fromKopecks(999'999'999);

namespace sumLimitText {
inline const QString kPriceTooLarge = QStringLiteral(" Цена не может быть больше 9999999.99.     ");
inline const QString kLineSumTooLarge = QStringLiteral(" Сумма позиции не может быть больше 9999999.99.     ");
inline const QString kReceiptTotalTooLarge = QStringLiteral(
    " Сумма чека не может быть больше 9999999.99.     \r\n Разделите покупку на несколько чеков.     ");
}  // namespace sumLimitText

// The significant digits before the point of a plain decimal ("000123.4"
// has 3); nullopt for text that is no plain decimal (sign, letters, two
// points, no digit at all).
std::optional<int> integerDigits(const QString& text);

// Whether the text of an amount (a grid cell, a typed number) stands for
// more than kLargestStoredSum. A plain decimal too long to be read as money
// is more; text that is no number is not.
bool amountTextTooLarge(const QString& text);

// Why row `row` (its unit price, its price after discount, its sum) or the
// receipt's total would be beyond what the database stores; empty when all
// fit. Reads the row's cells and the kept total: no walk over the receipt
// once it has been recalculated.
QString receiptSumProblem(const ReceiptModel& model, int row);
// The same for a change that reaches every row (a discount set, changed or
// removed): the first row beyond, else the total.
QString receiptSumsProblem(const ReceiptModel& model);
// receiptSumsProblem of a copy of the receipt made by `change` and
// recalculated, for a command that drops discounts on its way; empty also
// when the recalculation itself refuses (the command then says why).
QString receiptSumsProblemAfter(const ReceiptModel& model, const ReceiptContext& context,
                                const std::function<void(ReceiptModel&)>& change);

}  // namespace sales
