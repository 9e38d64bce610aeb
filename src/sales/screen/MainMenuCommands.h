#pragma once
// The main screen's commands served by the windows of this folder's small
// dialogs, attached to the screen through its command slots:
//  - "MIncome": the cash-in amount, after the register menu's checks;
//  - "PMChangeName" (also a double click on a free-price position's name):
//    the name, kind and unit of the current position;
//  - the receipt-kind choice (double click on the kind label).
// The payment-method and tax-system items, DiscountReset and the driver
// version are the screen's own.
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class TfmReg;

void installMainMenuCommands(TfmReg& reg);

// The commands themselves.
// The amount window in cash-in mode with its caption; it puts the amount
// into the drawer.
int runCashIncomeAmount(TfmReg& reg);
// Only an active free-price position (no goods id) is renamed; true when it
// was changed.
bool editPositionName(TfmReg& reg);
// The receipt-kind window's modal result: 21..24, or Rejected.
int chooseReceiptKind(TfmReg& reg);

// The countries list as a picker for a receipt position: the chosen code as
// stored, nullopt when none was chosen.
using PositionCountryPicker = std::function<std::optional<QString>(QWidget* parent)>;
// "GoodsGridCountry" (double click on the country column): the country
// chosen goes on the current active position; true when it was put there.
bool pickPositionCountry(TfmReg& reg, const PositionCountryPicker& pick);
