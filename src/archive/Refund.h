#pragma once
// Copying a stored sale into the receipt in progress, so that the cashier can
// print its return: the whole receipt or one position. The copy is planned in
// full first; the receipt in progress changes only when the plan succeeded,
// so a refusal leaves it as it was.
#include "sales/closing/RefundLimits.h"
#include "sales/receipt/ReceiptModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QWidget;

namespace archive {

class UnitQuery;

// The stored receipt (a DOCUMENTS row).
struct StoredReceipt {
    QString fpd;
    int docId = 0;
    QString buyerName;
    QString buyerInn;
};

// One stored position (a DOCUMENTS_DETAIL row), as texts.
struct StoredLine {
    QString goodId;
    QString name;
    QString goodType;         // the subject of calculation written at close (tag 1212)
    QString price;            // DD_GOOD_PRICE_CURRENT
    QString count;            // DD_GOOD_COUNT; the numerator of a fraction
    std::optional<int> unit;  // DD_GOOD_EDIZM
    QString payType;          // DD_GOOD_PAYTYPE: the payment method 1..4
    QString declaration;
    QString gtin;
    QString serial;
    QString markingCode;  // DD_DM_FULL
    QString markType;
    QString fraction;        // DD_FRACTIONAL_COUNT, "n/d" or empty
    std::optional<int> vat;  // DD_TAXRATE
};

// What GOOD_DATA tells of goods still in the catalogue.
struct GoodData {
    QString weighed;  // O_W
    QString country;  // O_COUNTRY
};
// None when the goods are no longer in the catalogue (or the line has none).
using GoodDataLookup = std::function<std::optional<GoodData>(const QString& goodId)>;

enum class RefundMode { Whole, One };

// A marked line about to be carried: the marking entry as far as the stored
// line tells it (goods id, GTIN, serial, "", full code, planned status 3, or
// 4 for a fraction, result "0", numerator, denominator, and the stock unit
// the sale moved: "1" a tobacco pack, "10" a block, "0" otherwise). The
// check validates the code through the register and completes the entry; it
// returns none, having said why, when the line cannot be returned.
using MarkedRefundCheck = std::function<std::optional<QStringList>(const StoredLine& line, QStringList entry)>;

struct RefundPlan {
    sales::ReceiptModel receipt;  // the receipt in progress as it is to become
    QList<QStringList> markedItems;
    int paymentMethodFlag = 4;
    bool hasBuyer = false;
    QString buyerName;
    QString buyerInn;
    QString fpd;
    int docId = 0;
};

enum class RefundFailure {
    MarkingData = 2,     // GTIN without serial or the other way round
    PriceConflict = 3,   // one goods item at two prices
    WeighedMarked = 4,   // a marked line of weighed goods
    MarkingRefused = 5,  // the marking check refused (it said why)
};
struct RefundError {
    RefundFailure failure;
    QString name;
    // The register had accepted the codes of earlier lines before this refusal.
    bool codesAccepted = false;
};
// The message of a failure; empty for MarkingRefused.
QString refundErrorText(const RefundError& error);

// The unit code of each line (the lines' own when valid, else asked of an
// administrator); a cashier facing a bad unit is refused with the text in
// `refusal`, and a cancelled question gives none with `refusal` empty.
std::optional<std::vector<int>> resolveUnits(const std::vector<StoredLine>& lines, RefundMode mode, bool isAdmin,
                                             UnitQuery& query, QString* refusal);
QString unitRefusalOne(const QString& name);
QString unitRefusalWhole();

std::variant<RefundPlan, RefundError> buildRefundPlan(const StoredReceipt& receipt,
                                                      const std::vector<StoredLine>& lines,
                                                      const std::vector<int>& units, RefundMode mode,
                                                      const GoodDataLookup& goodData,
                                                      const MarkedRefundCheck& markedCheck);

// The lines of a stored sale as far as a return can still take them: a
// line's count is what is left of it and its price gives back exactly its
// share of the money left of its goods (all of it for the last of them); a
// line with nothing left is none. A marked unit goes back whole or not at all.
std::vector<std::optional<StoredLine>> linesLeftToReturn(const std::vector<StoredLine>& lines,
                                                         const sales::SaleLedger& sale);

// Column 9 from the stored subject of calculation: the abbreviation whose
// code it is; the marked codes 33 and 32 give "Т", 31 and 30 "АТ"; anything else "Т".
QString goodTypeAbbrFromStored(const QString& stored);
// The payment method; 4 (full settlement) when the text is no number.
int paymentMethodFromStored(const QString& stored);

// What a refund changes on the main screen.
class RefundTarget {
public:
    virtual ~RefundTarget() = default;
    virtual bool isAdministrator() const = 0;
    // Replaces the receipt in progress by the plan: rows, marking entries,
    // payment method, original receipt, buyer; renumbered and recalculated.
    virtual void applyRefund(const RefundPlan& plan) = 0;
    // The register accepted codes for a copy that was then refused: nothing
    // will sell them, so the register is to forget them.
    virtual void forgetAbandonedCodes() = 0;
};

// Both commands from the unit check to the receipt in progress. Messages go
// through the message service. True when the receipt was replaced.
bool runRefund(const StoredReceipt& receipt, const std::vector<StoredLine>& lines, RefundMode mode,
               RefundTarget& target, UnitQuery& units, const GoodDataLookup& goodData,
               const MarkedRefundCheck& markedCheck, QWidget* messageParent);

}  // namespace archive
