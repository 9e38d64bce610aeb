#pragma once
// The money of the receipt: unit prices, quantities and discounts turned into
// the price, sum and discount columns, the receipt total and the discount total,
// and the grid layout that follows from them.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/ReceiptModel.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sales {

// What the receipt's arithmetic needs to know of the screen around it.
struct ReceiptContext {
    QString kindCaption;       // caption of the receipt kind: "ПРИХОД", "ВОЗВРАТ ПРИХОДА", ...
    bool legalEntity = false;  // the "sale to a legal entity" box is checked
};

struct RecalcResult {
    char code = 0;  // 0 done, 'D' refused: the receipt is exactly as it was
    std::optional<ReceiptMessageId> message;  // to show when refused
    int failedRow = 0;                        // the row that refused, when one did
    QString totalText;                        // for the total label: total + " "
    QString discountText;                     // for the discount label, two decimals
    int layout = 5;
    // Set for an empty receipt: whether the line and receipt discount buttons
    // are enabled. Unset: leave them as they are.
    std::optional<bool> discountButtonsEnabled;

    bool ok() const { return code == 0; }
};

// Recomputes columns 5-8 of every active row, renumbers the positions, and
// chooses the layout. A discount that cannot be applied (a sum discount not
// smaller than what it applies to, a percent of 100 or more, a negative
// discount, a unit price that is no number) refuses the whole pass with 'D'
// and leaves the model untouched. A row whose quantity is zero or less counts
// as sum 0 with no discount.
RecalcResult RecalcReceipt(ReceiptModel& model, const ReceiptContext& context);

// What to show for a refused recalculation: the message, naming the
// position when one position refused.
ReceiptMessage recalcMessage(const RecalcResult& result, const ReceiptModel& model);

// A sum discount (the receipt's, or else the row's own) sets the row's sum.
bool sumDiscountApplies(const ReceiptModel& model, int row);
// `target` spread over pieces of the given amounts in proportion to them,
// to the kopeck: the results add up to `target` exactly.
std::vector<Money> spreadOverPieces(const std::vector<Money>& amounts, Money target);
// A unit price at which part n/d of a pack comes to `sum` (price * n / d
// rounded once).
Money priceForPart(Money sum, const PackPart& part);
// What each piece of a row (each part of a pack, then each whole unit) is
// sold for once the row's sum is spread over them.
std::vector<Money> discountedPieces(const ReceiptModel& model, int row);

// The unit price less a percent, with two decimals. The price text is trimmed
// and "," turned into "." in place. A percent of 100 or more, or a price that
// is no number, returns the price unchanged and names the message to show.
QString ApplyDiscountPercent(QString& price, const Percent& percent,
                             std::optional<ReceiptMessageId>* message = nullptr);

// Sum of column 7 over active rows, two decimals after each addition.
Money calcReceiptTotal(const ReceiptModel& model);
QString CalcReceiptTotal(const ReceiptModel& model);
// Sum of column 8 over active rows (empty texts count as 0).
Money calcReceiptDiscountSum(const ReceiptModel& model);
QString CalcReceiptDiscountSum(const ReceiptModel& model);
// Sum over active rows of undiscounted unit price times quantity, unrounded per
// line, rounded to kopecks at the end.
Money calcReceiptSumNoDiscount(const ReceiptModel& model);
QString CalcReceiptSumNoDiscount(const ReceiptModel& model);

// The discount buttons of an empty receipt: enabled only for a sale ("ПРИХОД",
// any case).
bool discountButtonsEnabledForKind(const QString& kindCaption);

// 6 when an active row has a non-zero discount in column 8, else 5; 7 for a
// sale return to a legal entity with positions in the receipt.
int ChooseLayout(const ReceiptModel& model, const ReceiptContext& context);

// Column widths of a layout as fractions of the grid's client width; columns
// not shown are 0.
std::array<double, ReceiptModel::ColumnCount> layoutFractions(int layout);

struct GridLayout {
    int layout = 5;
    std::array<int, ReceiptModel::ColumnCount> widths{};  // pixels; 0 hides the column
    bool rangeSelection = true;
    bool horizontalScrollBar = false;
};
// Pixel widths for a client width. For layouts 5 and 6 the name column takes up
// the slack so the visible columns fill the client width exactly; layout 7 is
// wider than the grid and scrolls.
GridLayout SetGoodsGridLayout(int layout, int clientWidth);

}  // namespace sales
