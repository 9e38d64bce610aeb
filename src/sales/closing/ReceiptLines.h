#pragma once
// The hand-over table of a closed receipt: one row of nineteen strings per
// position the register is to take, built from the receipt in progress when
// the cashier presses "РАСЧЕТ". Printing and storing read only this table,
// never the grid, so what is printed is exactly what is stored.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace sales {

enum ReceiptLineEntry : int {
    LineGoodId = 0,         // goods ID
    LineName = 1,
    LineSubject = 2,        // subject of calculation, tag 1212
    LineBasePrice = 3,      // unit price before discount
    LinePrice = 4,          // unit price to register
    LineQty = 5,
    LineCountry = 6,        // tag 1230
    LineCustoms = 7,        // customs declaration number, tag 1231
    LineUnused = 8,
    LineMarkType = 9,       // "0" unmarked
    LineGtin = 10,          // GTIN / product code
    LineSerial = 11,        // serial of the marking code
    LineStockUnit = 12,     // "1" pack, "10" block of a marked code; "0" otherwise
    LineMarkCode = 13,      // full marking code
    LineVat = 14,           // VAT code 1..6
    LineMeasure = 15,       // measure of quantity, tag 2108
    LineOnlineResult = 16,  // online validation result of the marking code
    LineMarkStatus = 17,    // planned status of the marked item
    LineFraction = 18,      // "3/10" for part of a pack, empty for whole units
};
inline constexpr int kReceiptLineSize = 19;

// Entries of a marking record of the receipt (MarkedItems).
enum MarkedItemEntry : int {
    MarkGoodId = 0,
    MarkGtin = 1,
    MarkSerial = 2,
    // Empty for a unit of the active position of its goods; a position
    // excluded from a return keeps its units under its own key
    // (ReceiptModel::AttrRowKey), so that they are neither registered nor
    // taken by another position of the same goods.
    MarkRowKey = 3,
    MarkFullCode = 4,
    MarkStatus = 5,
    MarkOnlineResult = 6,
    MarkNumerator = 7,
    MarkDenominator = 8,
    MarkStockUnit = 9,
    // A unit copied from a stored sale among units of other prices: the unit
    // price it was sold for, registered instead of the position's; empty
    // otherwise.
    MarkUnitPrice = 10,
};

// Payment-method flag (tag 1214).
enum PaymentMethod : int {
    PayPrepayFull = 1,
    PayPrepayPartial = 2,
    PayAdvance = 3,
    PayFull = 4,
};

// Tax-system codes of the main screen.
inline constexpr int kTaxOsn = 1;
inline constexpr int kTaxEnvd = 8;

QStringList emptyReceiptLine();

// "ПРИХОД", "ВОЗВРАТ ПРИХОДА", "РАСХОД", "ВОЗВРАТ РАСХОДА"; empty otherwise.
QString receiptKindName(int kind);
// "ПРЕДОПЛАТА 100%", "ПРЕДОПЛАТА", "АВАНС", "ПОЛНЫЙ РАСЧЕТ"; empty otherwise.
QString paymentMethodName(int flag);

// Measure-of-quantity codes the register takes (tag 2108).
bool isMeasureCode(int code);
// The measure code of a cell: empty reads as 0, text that is no whole
// number as -1 (which no code is).
int measureCodeOf(const QString& text);
// Mark types registered with a marking code: 4, 5, 7, 9 to 13.
bool isRegisteredMarkType(int markType);
// A name shown in a message: longer than 50 characters is cut to 47 + "...".
QString shortName(const QString& name);

// The two failure patterns of the program's messages.
QString failureText(const QString& reason, const QString& advice);
QString restartAdvice();  // " Перезапустите программу и продолжите работу."
QString taxSystemAdvice();  // " Укажите требуемую СНО."
// The tail most unexpected failures end with: restart, then tell the developer.
QString failureTail();

// The VAT dialog: shown with its prompt, it answers with its modal result,
// 20 + the VAT code (21..26); any other answer is a cancel.
using VatQuery = std::function<int(const QString& prompt)>;
// A Yes/No question; true only for Yes.
using Confirm = std::function<bool(const QString& question)>;

QString vatPromptForRow(int row);  // "Укажите ставку НДС для товара в строке N"
QString vatPromptForReceipt();     // "Укажите ставку НДС"

struct ReceiptLinesInput {
    const ReceiptModel* receipt = nullptr;
    const QList<QStringList>* markedItems = nullptr;
    int paymentFlag = PayFull;
    int taxSystemCode = -1;
    QString totalCaption;  // lblChekItogo
    bool legalEntity = false;
    QString buyerName;
    QString buyerInn;
};

struct ReceiptLinesResult {
    enum class Outcome {
        Built,      // `lines` is the table
        Stopped,    // `message` says why (error icon)
        Cancelled,  // the cashier cancelled a question or the VAT dialog: nothing is shown
    };
    Outcome outcome = Outcome::Stopped;
    QList<QStringList> lines;
    QString message;

    bool built() const { return outcome == Outcome::Built; }
};

// Translates the active positions into rows by the payment-method flag:
// prepayment (1, 2) one payment row per position, advance (3) one nameless
// row for the whole receipt, full payment (4) one row per unmarked position
// and one per marking code of a marked one. Positions whose sum is 0.00 are
// left out. Under the general tax system a row's VAT code is taken only when
// it is 1 to 5; anything else is asked. Before the table is handed over the
// sum of its rows, as the register will add them up, must equal the receipt
// total: a mismatch (a marked position without its codes, say) stops here
// instead of taking a payment the register would disagree with.
ReceiptLinesResult buildReceiptLines(const ReceiptLinesInput& input, const VatQuery& vatQuery,
                                     const Confirm& confirm);

// The amount the register computes for one row: unit price times quantity
// (marked rows are registered as one item at that price), kopecks rounded
// half away from zero. nullopt when the price or quantity is no number.
std::optional<Money> registeredLineSum(const QStringList& line);

}  // namespace sales
