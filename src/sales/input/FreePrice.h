#pragma once
// A position at a free price: the cashier types the price (and, after "*",
// the quantity) on the input line and presses "Своб. цена" (Ctrl+Ц). The
// position has no goods behind it: no goods id, no unit kind, no name.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"

#include <QString>

#include <functional>
#include <optional>

namespace sales {

class EntryScreen;

struct FreePriceInput {
    Money price;
    Qty quantity;
};

// "150" -> 150.00 x 1; "150 x2" -> 150.00 x 2; "150 x" -> 150.00 x 1.
// nullopt for an empty line, a price or quantity that is no number, and a
// price or quantity of zero or less.
std::optional<FreePriceInput> parseFreePrice(const QString& line);

// Writes the position into a free row: status "A", price with two decimals,
// the quantity (three decimals when it has a fraction), and the attributes
// (price, discount "N", mark type "0", the GTIN, the VAT code). Returns the
// row.
// Why the line's price, or its price times quantity, is beyond what can be
// stored (9999999.99), however many digits were typed; empty otherwise.
QString freePriceSumProblem(const QString& line);

int addFreePricePosition(ReceiptModel& model, const FreePriceInput& input, const QString& vatCode,
                         const QString& gtin = QString());

// The "Своб. цена" command on a screen. The rate window is asked only under
// the general tax system (code 1). Returns the new row, 0 when nothing was
// added.
int btnFreePriceClick(EntryScreen& screen, const std::function<int()>& queryTaxRate);

}  // namespace sales
