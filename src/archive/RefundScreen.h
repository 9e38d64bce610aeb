#pragma once
// The refund commands of the receipt search on the main screen: the stored
// rows read into the plan's terms, the main screen as the refund's target,
// and the handler the search window calls.
#include "archive/Refund.h"
#include "platform/db/Value.h"

class TfmFindCheck;
class TfmReg;

namespace fb {
class Connection;
}

namespace archive {

StoredReceipt storedReceiptFromRow(const fb::Row& row);  // a DOCUMENTS row
StoredLine storedLineFromRow(const fb::Row& row);        // a DOCUMENTS_DETAIL row

// GOOD_DATA through one read-only transaction that lives as long as the
// returned function.
GoodDataLookup goodDataFrom(fb::Connection& db);

// The marked-goods entry point of the sale decides on a marked line; until
// the marking dialogs exist it refuses with its message, and so the copy.
std::optional<QStringList> markedRefundThroughMarkingEntry(const StoredLine& line, QStringList entry);

class MainScreenRefund : public RefundTarget {
public:
    explicit MainScreenRefund(TfmReg& reg) : reg_(reg) {}
    bool isAdministrator() const override;
    void applyRefund(const RefundPlan& plan) override;

private:
    TfmReg& reg_;
};

// Attaches the copy commands of `window` to the main screen: GOOD_DATA and
// the units read through `db`; the window closes after a copy.
void attachRefunds(TfmFindCheck& window, TfmReg& reg, fb::Connection& db,
                   MarkedRefundCheck markedCheck = markedRefundThroughMarkingEntry);

}  // namespace archive
