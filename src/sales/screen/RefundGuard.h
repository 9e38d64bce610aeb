#pragma once
// The main screen's side of the limit on returns: which stored sale the
// return names (edFPD's Tag, or the sign typed in edFPD, compared as a
// number, with a choice when several sales carry it), the pricing of goods
// entered into such a return at their share of what is left, and the check
// that nothing gives back more than the sale has left. A database that
// cannot tell what is left refuses the return.
#include "sales/closing/RefundLimits.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;
class TfmReg;

namespace sales {

// The cashier's choice among several stored sales carrying the typed sign:
// the index chosen, none when cancelled.
using RefundSaleChooser = std::function<std::optional<int>(const std::vector<SaleBySign>& sales, QWidget* parent)>;
// The choice list window; tests put their own answer in its place.
std::optional<int> chooseRefundSaleInWindow(const std::vector<SaleBySign>& sales, QWidget* parent);
void setRefundSaleChooser(RefundSaleChooser chooser);

// Returns printed but not stored yet (the print journal's), so that they
// count against their sale; set by the sale commands of the screen.
void setPendingReturnsSource(std::function<QList<PrintJob>()> source);
QList<PrintJob> pendingReturns();

// The sale the return on `reg` names. With the sign typed and no sale taken
// yet, the sale carrying it becomes edFPD's Tag and its stored sign the
// field's text; among several the cashier chooses when `ask`. Empty when
// fine (a return of no stored sale included); else why the return cannot go on.
QString resolveRefundedSale(TfmReg& reg, bool ask);

// For a return of a stored sale: goods just entered into `row` (by scan,
// code, name search, weight or quantity) when `reprice` are priced at their
// share of what is left; then the whole receipt must fit in what the sale
// has left. Empty when fine or the receipt returns no stored sale.
QString refundEntryProblem(TfmReg& reg, int row, bool reprice);

// The same for the whole receipt just before it is closed.
QString refundReceiptProblem(TfmReg& reg);

// The field follows the receipt: typing another sign drops the sale taken
// by the earlier one, and the field is editable again once it is cleared.
void attachRefundSignField(TfmReg& reg);

}  // namespace sales
