#pragma once
// The marked road of item entry. A marking code scanned on the main screen is
// checked for the goods' mark type, refused when its unit is already in the
// receipt or the register does not answer, priced by the tobacco rules, and
// validated through the register; goods found by an ordinary barcode, by
// code or by name open the scan window for their code. Every accepted unit
// is added by one routine, addMarkedPosition, which also writes its marking
// record and drops a receipt discount that tobacco does not allow.
#include "sales/input/ItemEntry.h"
#include "sales/marking/uQuerySerialNumber.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

namespace fiscal {
class IFiscalDriver;
}

namespace sales::marking {

// What the marked road needs of the main screen and the program beyond the
// entry screen. Empty functions fall back to safe defaults (no register:
// every unit is refused as "no connection").
struct MarkedEntryServices {
    std::function<QList<QStringList>&()> markedItems;
    std::function<fiscal::IFiscalDriver*()> driver;
    std::function<void()> registerLost;
    std::function<int()> receiptKind;
    // Every barcode of a goods item.
    std::function<QStringList(const QString& goodsId)> barcodes;
    std::function<TobaccoPriceSetting()> tobaccoSetting;
    FractionQuestion askFraction;
    // Validation through the register: receipt kind, code and fraction.
    std::function<MarkValidation(const QString& code, const MarkFraction& fraction, int receiptKind, QWidget* owner)>
        validate;
    // The scan window; by default TfmQuerySerialNumber, modal.
    std::function<std::optional<MarkedScan>(QuerySerialSetup setup, QWidget* parent)> queryCode;
};

// Refusal texts of the main-screen road.
QString badTobaccoPriceText();
QString mainScreenTobaccoDiscountText();
QString unknownMarkTypeText();
// The measure codes and mark types the program sells.
bool isKnownMarkType(int markType);

// Adds one accepted unit of `goods`: a new position or one more unit (or
// fraction) of the row holding it at the same price, the unit's marking
// record, and for tobacco the receipt discount dropped. Returns the row, or
// 0 when nothing was added (a refusal was shown).
int addMarkedPosition(EntryScreen& screen, QList<QStringList>& markedItems, const FoundGoods& goods,
                      const MarkedScan& unit);

// Why `unit` of `goods` could not join `receipt` as it stands (another price
// of the goods, a receipt that would not add up, a position worth 0.00), as
// the message to show; empty when it can. Works on a copy, so it is asked
// before the register checks the code: a code the register accepted is
// never refused afterwards.
QString markedPositionProblem(const ReceiptModel& receipt, const QList<QStringList>& markedItems,
                              const FoundGoods& goods, const MarkedScan& unit);

// The quantity of one unit: 1, or the fraction of a pack.
Qty markedUnitQty(const MarkFraction& fraction);

class MarkedEntry {
public:
    explicit MarkedEntry(MarkedEntryServices services);

    // The MarkingEntry of item entry.
    MarkingOutcome operator()(EntryScreen& screen, const MarkingRequest& request);

    // A code scanned on the main screen for goods found by it.
    MarkingOutcome enterScannedCode(EntryScreen& screen, const FoundGoods& goods, const QString& code);
    // Goods found without their code: the scan window asks for it.
    MarkingOutcome enterByWindow(EntryScreen& screen, const FoundGoods& goods);

    // The validation of a code on the main screen's road and in the window.
    MarkValidation validate(const QString& code, const MarkFraction& fraction, QWidget* owner);

private:
    bool registerAnswers();
    QList<QStringList>& markedItems();

    MarkedEntryServices services_;
    QList<QStringList> ownItems_;  // when no screen list was given
};

// A MarkingEntry over the services (copied into the function).
MarkingEntry makeMarkedEntry(MarkedEntryServices services);

}  // namespace sales::marking
