#pragma once
// A marking code checked by the register before its item enters the
// receipt: the fiscal drive looks at the code at once, the marking system
// answers a while later, and the cashier decides on anything not positive.
// Only an accepted code lets the caller add the item.
#include "platform/fiscal/FiscalDriver.h"

#include <QString>

class QWidget;

namespace sales {

struct MarkCheckRequest {
    QString code;                 // the normalised marking code
    int receiptKind = 0;          // 1 sale, 2 sale return, 3 purchase, 4 purchase return
    int fractionNumerator = 0;    // part of a pack: numerator, 0 for whole units
    int fractionDenominator = 0;  // and denominator
};

// What the check leaves for the position: kept with it when the code was
// accepted, and read by closing when the position is registered.
struct MarkCheckResult {
    bool accepted = false;
    int markCodeStatus = 0;    // planned status sent: 1 sold, 2 sold by fraction, 3 returned, 4 returned by fraction
    int validationResult = 0;  // the fiscal drive's result
    int onlineResult = 0;      // the marking system's result; 15 all positive
};

// ---- pieces of the check that need neither register nor window ----------

struct PlannedStatus {
    int status = 0;   // 1..4; 0 when refused
    QString refusal;  // why the receipt kind takes no marked goods
};
// The planned status of the item for the receipt kind; a fraction counts
// when its numerator is set (sale) or its text is not empty (return).
PlannedStatus PlannedMarkStatus(int receiptKind, int fractionNumerator, const QString& fractionText);
// "3/10"; empty for a whole unit (numerator 0).
QString FractionText(int numerator, int denominator);
// The cashier's reading of the marking system's result; empty for codes without one.
QString OnlineResultText(int onlineResult);

// The waiting window as the check drives it, so the check runs the same
// with the real window and with a test's stand-in.
class ValidationWaitView {
public:
    virtual ~ValidationWaitView() = default;
    // The start is on its way: nothing to stop yet, closing refused.
    virtual void showStarting() = 0;
    // Waiting for the marking system: Stop usable, closing refused.
    virtual void showWaiting() = 0;
    // Out of sight for a question or after a failed start; kept for the next check.
    virtual void hideView() = 0;
    // The check is over: closing allowed, the window closed and freed.
    virtual void finish() = 0;
    // The cashier pressed Stop since showWaiting().
    virtual bool stopRequested() const = 0;
};

// Runs the whole check on `kkt` (which must be connected) with the program's
// waiting window, window-modal to `owner`; the questions and messages belong
// to `owner` too. A check asked for while another runs is refused at once.
MarkCheckResult CheckMarkingCode(fiscal::IFiscalDriver& kkt, const MarkCheckRequest& request, QWidget* owner);
// The same with a waiting view of the caller's.
MarkCheckResult CheckMarkingCode(fiscal::IFiscalDriver& kkt, const MarkCheckRequest& request, QWidget* owner,
                                 ValidationWaitView& view);

// True while a check runs (the waiting window is up).
bool markingCheckRunning();

}  // namespace sales
