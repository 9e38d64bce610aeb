#pragma once
// Marking-code validation as the register runs it: the fiscal drive checks
// the code at once, the marking system answers after a while, and the
// cashier's program then accepts or declines the code. One validation runs
// at a time. What each code's check yields is scripted, so that tests can
// play every answer the drive and the marking system can give.
#include "platform/fiscal/FiscalConstants.h"

#include <QString>

namespace fiscal {

struct MarkingScript {
    // Polls after which the answer comes: never, as when the marking system
    // is out of reach and the register keeps waiting for it.
    static constexpr int kNeverReady = -1;

    // Fiscal drive's result bits: 0 not checked, 1 checked negative, 3 checked positive.
    int validationResult = 3;
    int offlineError = LIBFPTR_CER_CHECKED;
    // Status polls after which the marking system's answer is ready.
    int pollsUntilReady = 2;
    int onlineError = 0;
    QString onlineErrorDescription;
    // Marking system's result bits; 15 means everything positive.
    int onlineResult = 15;
};

struct MarkingValidation {
    QString code;
    int plannedStatus = 0;
    MarkingScript script;
    int polls = 0;

    bool ready() const { return script.pollsUntilReady != MarkingScript::kNeverReady && polls >= script.pollsUntilReady; }
};

// "1/4": numerator and denominator positive, numerator below denominator.
bool isValidFraction(const QString& text);

// Planned statuses allowed for a receipt type: sales sell, returns return;
// purchases take no marked goods.
bool statusFitsReceipt(int plannedStatus, int receiptType);

inline bool isFractionalStatus(int plannedStatus) {
    return plannedStatus == LIBFPTR_MES_DRY_FOR_SALE || plannedStatus == LIBFPTR_MES_DRY_RETURN;
}

}  // namespace fiscal
