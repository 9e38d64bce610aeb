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

// A marked line is returned only once the register has checked its code
// for the return, as a scanned code is checked for a sale: planned status
// 3, or 4 for part of a pack. The entry then carries the status sent and
// the marking system's result. Questions and messages belong to `owner`.
MarkedRefundCheck markedRefundThroughRegister(TfmReg& reg, QWidget* owner);

inline const QString kNoRegisterForMarkingText = QStringLiteral(
    " Отсутствует связь с ККТ.     \r\n"
    " Проверка кода маркировки невозможна.     ");

class MainScreenRefund : public RefundTarget {
public:
    explicit MainScreenRefund(TfmReg& reg) : reg_(reg) {}
    bool isAdministrator() const override;
    void applyRefund(const RefundPlan& plan) override;
    // Left undone while a marked unit of the receipt in progress was
    // accepted by the register: closing registers it from the same table.
    void forgetAbandonedCodes() override;

private:
    TfmReg& reg_;
};

// Attaches the copy commands of `window` to the main screen: GOOD_DATA and
// the units read through `db`; the window closes after a copy. Marked lines
// go through `markedCheck`, by default the register's check owned by `window`.
void attachRefunds(TfmFindCheck& window, TfmReg& reg, fb::Connection& db, MarkedRefundCheck markedCheck = {});

}  // namespace archive
