#pragma once
// Rules around the receipt that windows share: the numeric key filter of entry
// fields, tobacco prices and their limits, and the decision taken when a
// tobacco block whose marking code was accepted is added to the receipt.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptMessages.h"
#include "sales/receipt/ReceiptModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sales {

// ---- Numeric entry -------------------------------------------------------

struct NumericKeyResult {
    QString text;      // the field's new text
    QChar key;         // the key as read ("," becomes ".")
    bool changed = false;
};

// The key filter of numeric entry fields; characters are only ever appended.
// A "," key is read as "."; other keys than digits and "." change nothing;
// nothing is added once the text has maxLen characters, nor when it holds a
// point followed by `decimals` digits. "." is added only when there is no
// point yet and decimals is not 0 (an empty text or "0" becomes "0."); "0" is
// added to a text other than "" and "0" (an empty text becomes "0"); "1".."9"
// replace a text of "0" and are appended otherwise.
NumericKeyResult FilterNumericKey(const QString& text, int maxLen, int decimals, QChar key);

// S without any CR, LF or blank (card codes read from a reader).
QString StripCrLfSpaces(const QString& s);

// True when any marking record (ten strings each) has a non-blank serial.
bool HasFilledLineText(const QList<QStringList>& markedItems);

// ---- Tobacco prices ------------------------------------------------------

// The setting "[TobaccoPriceRule]": the rule, and for rules 2 and 3 an amount
// after "¤" (a percent, or roubles per pack).
struct TobaccoPriceSetting {
    int rule = 1;
    QString amount;

    // "2¤10" -> rule 2, amount "10"; a rule that is no number reads as 1.
    static TobaccoPriceSetting parse(const QString& value);
};

// Pack kinds: 'u' a single pack, 'g' a group pack (a block of ten packs).
constexpr char16_t TobaccoUnitPack = u'u';
constexpr char16_t TobaccoGroupPack = u'g';

// The price of a tobacco pack or block by the rule:
//   0: the database price (times 10 for a block)
//   1: MRP
//   2: (1 - p/100) * MRP
//   3: MRP - a (MRP - 10a for a block)
//   other: MRP
// nullopt when rule 0 meets a database price that is no number. An amount that
// is no number reads as 0.
std::optional<Money> tobaccoPrice(const QString& dbPrice, QChar packKind, Money mrp,
                                  const TobaccoPriceSetting& setting);

// The price text of a marked unit: for mark type 4 the tobacco price with two
// decimals (rule 0 with a database price that is no number gives that text as
// stored, which the limits then refuse); any other mark type keeps `price`.
QString ApplyTobaccoPriceRule(int markType, const QString& dbPrice, QChar packKind, const QString& price,
                              Money mrp, const TobaccoPriceSetting& setting);

struct TobaccoPriceLimits {
    Money minimum;  // round2(0.75 * MRP + 0.005)
    Money maximum;  // MRP
};
TobaccoPriceLimits tobaccoPriceLimits(Money mrp);
// Inside [minimum, MRP] with a tolerance of 0.001; a price that is no number
// is outside.
bool tobaccoPriceAllowed(const QString& price, Money mrp);

// ---- Adding a tobacco block ---------------------------------------------

struct MarkedUnitKey {
    QString gtin;
    QString serial;
};
// Same GTIN (both padded with "0" on the left to 14) and same serial.
bool sameMarkedUnit(const MarkedUnitKey& a, const MarkedUnitKey& b);

struct SameGoodPriceInput {
    GoodRecord good;                  // the goods record of the block
    QString gtin;                     // cut from the accepted marking code
    QString serial;
    Money mrp;                        // maximum retail price of the block
    TobaccoPriceSetting setting;
    QList<MarkedUnitKey> markedUnits; // units already in the receipt
};

struct SameGoodPriceDecision {
    enum class Outcome {
        Refused,          // price outside the tobacco limits; nothing changes
        PriceConflict,    // the goods is in the receipt at another price
        DuplicateSerial,  // this unit is already in the receipt
        NewRow,           // a new position of one block
        IncrementRow,     // one more block in `row`
    };
    Outcome outcome = Outcome::Refused;
    QString price;                       // price of the block, two decimals
    // A receipt discount is set and is dropped (message ReceiptDiscountCancelled
    // first) whatever follows, except after Refused.
    bool cancelReceiptDiscount = false;
    int row = 0;                         // the conflicting row, or the row to increase
    QString rowPrice;                    // column 5 of the conflicting row
    std::optional<ReceiptMessage> message;  // for Refused, PriceConflict, DuplicateSerial

    // A marking record of kind "g" is to be appended.
    bool addsUnit() const { return outcome == Outcome::NewRow || outcome == Outcome::IncrementRow; }
};

// What adding the block means for the receipt, decided without changing it.
SameGoodPriceDecision CheckSameGoodPrice(const ReceiptModel& model, const ReceiptContext& context,
                                         const SameGoodPriceInput& input);

struct SameGoodPriceResult {
    int row = 0;  // the row that got the block; 0 when nothing was added
    bool positionDiscountEnabled = false;  // the receipt discount was dropped
    RecalcResult recalc;
};

// Carries a decision out: drops the receipt discount when the decision says so
// (row 0 "N" with an empty value), writes the new row (status, id, "P", name,
// price, quantity 1, type, country; attributes price, "N", mark type 4, GTIN,
// measure code, VAT code) or adds one to the row's quantity, and recalculates.
SameGoodPriceResult applySameGoodPrice(ReceiptModel& model, const ReceiptContext& context,
                                       const SameGoodPriceInput& input, const SameGoodPriceDecision& decision);

// An active row whose sum rounds to 0.00 (0.001 kg at a few roubles): the
// register cannot sell it and closing leaves it out, so it is refused the
// moment it is entered rather than vanish from the receipt unseen.
bool lineSumIsZero(const ReceiptModel& model, int row);
// The refusals: a position being added, and a quantity or price typed for one.
QString zeroSumPositionText(const QString& name);
QString zeroSumEditText();

}  // namespace sales
