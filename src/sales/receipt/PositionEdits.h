#pragma once
// The main screen's commands that change the receipt in progress after
// positions were added: annul the current position, annul the whole
// receipt, change the current position's price or quantity, and open the
// line and receipt discount windows. Each works on the current row of the
// receipt and ends with the receipt recalculated; a refusal leaves the
// receipt as it was.
//
// In a sale return built from a stored receipt (the fiscal sign field holds
// the original's document id in its Tag) annulling a position only
// excludes it ("D": shown, left out of every sum); annulling an excluded
// position asks whether to take the exclusion back or to delete it.
//
// The rules live in the free functions; PositionEdits carries them out on
// the screen, and installPositionEdits() attaches it to the screen's
// command slots.
#include "sales/receipt/Money.h"
#include "sales/receipt/ReceiptModel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
class TfmReg;

namespace fb {
class Connection;
}

namespace sales {

namespace positionEditsText {
inline const QString kFreePriceName = QStringLiteral("позиция по свободной цене");
inline const QString kAnnulReceiptQuestion = QStringLiteral("Вы действительно желаете аннулировать весь чек?");
inline const QString kMarkTypeFailedOnDelete = QStringLiteral("Сбой БД при запросе типа маркировки товара.     ");
inline const QString kMarkTypeFailedOnQuantity =
    QStringLiteral("При запросе типа маркировки выбранного товара     \r\nпроизошел сбой сервера БД.   ");
inline const QString kPositionDiscountBlockedCaption = QStringLiteral("Операция не доступна");
inline const QString kPositionDiscountBlocked =
    QStringLiteral("Невозможно задать скидку на позицию,    \r\nт.к. задана скидка на весь чек.");
inline const QString kNoSerialNumbers = QStringLiteral(
    "При работе приложения произошла ошибка:     \r\n"
    " отсутствует информация о серийных номерах маркированного товара.     ");
}  // namespace positionEditsText

// "Вы действительно желаете удалить из чека позицию ... (строка N) ?"
QString annulPositionQuestion(const QString& name, int row);
// The payment-method flag is none of 1..4.
QString unknownPaymentMethodMessage();
// The marking records of a position do not add up to its quantity.
QString markedCountMismatchMessage();

// ---- Rules ------------------------------------------------------------------

// The name the annul question shows: the trimmed name, or the free-price
// wording when there is none.
QString annulPositionName(const ReceiptModel& model, int row);

enum class AnnulAction {
    None,         // not a position that can be annulled
    Delete,       // a sale: the position leaves the receipt (after the question)
    Exclude,      // a return from a stored receipt: the position becomes "D"
    AskExcluded,  // an excluded position: take it back, or delete it for good
};
AnnulAction annulActionFor(const ReceiptModel& model, int row, bool returnFromStoredReceipt);

struct PositionRemoval {
    bool receiptDiscountDropped = false;
    int markingRecordsRemoved = 0;
    int handOverLinesRemoved = 0;
};
// Deletes a position for good: a receipt discount by sum is dropped (a
// percent stays), the hand-over lines of its goods go, and for marked goods
// the marking records of the position (not those of another position of the
// same goods); the row leaves the receipt with its
// attributes (the only row is emptied instead).
PositionRemoval removePosition(ReceiptModel& model, QList<QStringList>& markedItems, QList<QStringList>& receiptLines,
                               int row, bool markedGoods);
// An active position becomes "D"; its marking records (when given) go with
// it under a row key of its own. False for any other row.
bool excludePosition(ReceiptModel& model, int row, QList<QStringList>* markedItems = nullptr);
// An excluded position becomes active again; other active rows of the same
// goods and unit kind are merged into it and removed, and its marking
// records are the active position's again. False for a row that is not "D".
bool restoreExcludedPosition(ReceiptModel& model, int row, QList<QStringList>* markedItems = nullptr);

// Price and quantity are changed only with an empty input line and on an
// active position; a tobacco price (mark type 4) follows its own rule and is
// never changed by hand.
bool priceChangeAllowed(const ReceiptModel& model, int row, const QString& inputLine);
bool quantityChangeAllowed(const ReceiptModel& model, int row, const QString& inputLine);
// The payment-method flags a receipt can carry: 1, 2, 3, 4.
bool knownPaymentMethod(int flag);

// What the marked-quantity window is given.
struct MarkedQuantityRequest {
    int row = 0;
    QString goodsId;
    QString name;
    int markType = 0;
    int quantity = 0;       // pieces in the receipt
    int withSerial = 0;     // marking records with a serial
    int withoutSerial = 0;  // and without
    int tag = 0;            // 1 only without serial, 2 only with, 3 both
};

struct MarkedQuantityCheck {
    enum class Outcome { Open, NoRecords, Mismatch };
    Outcome outcome = Outcome::NoRecords;
    QString message;  // for NoRecords and Mismatch
    MarkedQuantityRequest request;
};
// Counts the marking records of the row's goods and checks them against the
// row's quantity.
MarkedQuantityCheck checkMarkedQuantity(const ReceiptModel& model, const QList<QStringList>& markedItems, int row,
                                        int markType);

enum class PositionDiscountAccess {
    None,                // no active position: nothing happens
    ReceiptDiscountSet,  // refused with a message
    Tobacco,             // a tobacco unit with a serial: refused silently
    Open,
};
PositionDiscountAccess positionDiscountAccess(const ReceiptModel& model, const QList<QStringList>& markedItems,
                                              int row);
// A receipt discount needs something to discount and no tobacco in the receipt.
bool receiptDiscountAllowed(const ReceiptModel& model);

// ---- The commands on the main screen ----------------------------------------

struct PositionEditsOptions {
    // The database GOOD_DATA is asked; nullptr in a session without one. By
    // default the data module's connection, except in the built-in
    // administrator's session.
    std::function<fb::Connection*()> database;
    // The quantity and price window (runCountInput by default).
    std::function<int(TfmReg& reg, int mode, const QString& caption)> countInput;
    // The discount window (runDiscountInput by default).
    std::function<int(TfmReg& reg, int target, const QString& caption)> discountInput;
    // The choice for an excluded position (TfmDeleteConfirm by default):
    // 1 delete for good, 3 take the exclusion back, anything else nothing.
    std::function<int(QWidget* parent)> excludedPositionAction;
    // The window that lowers a marked position's quantity. Unset: nothing
    // opens once the checks have passed.
    std::function<void(TfmReg& reg, const MarkedQuantityRequest& request)> markedQuantity;
};

class PositionEdits : public QObject {
    Q_OBJECT
public:
    PositionEdits(TfmReg& reg, PositionEditsOptions options);
    ~PositionEdits() override;

    // Annul the current position; the button, its menu items and its key ask first.
    void btnPosDeleteClick();
    // Annul `row`, asking the question only when `ask` (the marked-quantity
    // window removes the last unit of a position without one).
    void annulPosition(int row, bool ask);
    // Annul the whole receipt after the question.
    void btnCheckDeleteClick();
    // Annul the whole receipt; without `ask` it is cleared at once (the
    // refund search replaces the receipt it copies into).
    void annulReceipt(bool ask);
    void BitBtn1Click();  // change the price
    void BitBtn2Click();  // change the quantity
    void btnPosDiscountClick();
    void btnCheckDiscountClick();

private:
    // The goods' mark type; nullopt when the database failed.
    std::optional<int> goodsMarkType(int row);
    bool returnFromStoredReceipt() const;
    bool discountsAllowed() const;
    // Recalculates and shows the receipt; the grid is redrawn even when the
    // recalculation refused.
    void refresh(int currentRow);
    void deleteForGood(int row, int markType);

    TfmReg& reg_;
    PositionEditsOptions options_;
};

// The commands attached to a screen (nullptr before installPositionEdits).
PositionEdits* findPositionEdits(TfmReg& reg);

}  // namespace sales

// Attaches the position commands to the main screen's slots: btnPosDelete,
// btnCheckDelete, BitBtn1, BitBtn2, btnPosDiscount, btnCheckDiscount (their
// menu and popup items and keys reach the same slots).
void installPositionEdits(TfmReg& reg, sales::PositionEditsOptions options = {});
