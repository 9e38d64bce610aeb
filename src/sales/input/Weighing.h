#pragma once
// The weight from the connected scale into the current position ("ВЕС",
// Ctrl+В). Only an active, unmarked row that is weighed (or has no unit
// kind, a free-price row) takes a weight; a weight of 0 g changes nothing.
// A discount by sum no longer fits the new amount, so the receipt's and the
// row's sum discounts are dropped.
#include "core/ScaleConnection.h"
#include "sales/receipt/ReceiptModel.h"

#include <functional>

namespace sales {

class EntryScreen;

bool rowCanBeWeighed(const ReceiptModel& model, int row);

struct WeightApplied {
    bool written = false;
    bool receiptDiscountDropped = false;  // the position discount button is enabled again
};

// Writes `grams` as kilograms with three decimals into the row's quantity.
WeightApplied applyWeight(ReceiptModel& model, int row, int grams);

enum class WeighOutcome {
    NotWeighable,  // the current row takes no weight: nothing asked
    Locked,        // the workplace is locked: nothing asked
    NotConnected,  // no scale connected: nothing asked
    ScaleOff,      // the scale failed or answered wrongly: shown as off
    NoWeight,      // a valid answer of 0 g (or less): the row is unchanged
    TooLarge,      // the sum would be beyond what can be stored: refused, said so
    Weighed,       // the weight is in the row
};

// The "ВЕС" command on a screen; `read` weighs once.
WeighOutcome btnScaleClick(EntryScreen& screen, const std::function<ScaleReading()>& read);

}  // namespace sales
