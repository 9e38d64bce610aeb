#pragma once
// What is left to give back of a stored sale, in money: what the sale took
// for each of its goods, less what every return naming that sale (stored, or
// printed and still in the print journal) gave back for them. A return is
// stored with the sale's DOC_ID (DOC_REFUND_DOC_ID) besides its fiscal sign,
// so the sale is known however its sign was typed.
//
// A return of all that is left of goods gives back exactly the money left; a
// return of part of it its share, rounded, and never more than is left. So a
// sale returned in any number of pieces gives back what it took, never more.
#include "sales/closing/PrintJob.h"
#include "sales/receipt/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace fb {
class Transaction;
}

namespace sales {

class ReceiptModel;

// One stored line as far as returning it matters.
struct RefundableLine {
    QString goodId;  // DD_GOOD_ID; empty or 0 for a free-price line
    QString name;
    QString price;  // DD_GOOD_PRICE_CURRENT
    Qty qty;
    QString serial;    // the marked unit's serial; empty when unmarked
    QString fraction;  // "n/d" for a part of a pack
    Money sum;         // the money the register took or gave for the line
    // A prepayment or advance line names no quantity of the goods: only its
    // money counts.
    bool qtyKnown = true;
};

// Lines of a sale and of its returns are the same goods when this key is:
// the goods id, or for a free-price line its name and price.
QString refundGoodsKey(const QString& goodId, const QString& name, const QString& price);
QString refundGoodsKey(const RefundableLine& line);

// The money a share of what is left comes to: all of it for all that is
// left, else money left * q / quantity left rounded, never above the money left.
Money refundShare(Money leftMoney, Qty leftQty, Qty q);

// A unit price (two decimals) at which `qty` comes to exactly `money` as the
// register adds it up; when no price does (several units), the highest price
// that stays below it.
Money priceForRefund(Money money, Qty qty);

// What one goods of a sale took and what went back of it. Marked units are
// kept one by one, by their serial.
struct LedgerEntry {
    QString goodsKey;
    QString serial;
    QString name;
    Qty takenQty;
    Money taken;
    Qty givenQty;
    Money given;

    Qty leftQty() const { return Qty{std::max<std::int64_t>(0, takenQty.thousandths - givenQty.thousandths)}; }
    Money leftMoney() const { return Money{std::max<std::int64_t>(0, taken.kopecks - given.kopecks)}; }
};

// What is left of goods (all of its units, or one marked unit).
struct LeftOf {
    Qty qty;
    Money money;
    // The share of `q` of it.
    Money share(Qty q) const { return refundShare(money, qty, q); }
};

class SaleLedger {
public:
    int docId = 0;  // 0: no stored sale receipt
    QString fiscalSign;
    std::vector<RefundableLine> sold;
    std::vector<LedgerEntry> entries;
    // Money given back by returns that named no goods (an advance return):
    // it counts only against the sale's total.
    Money unattributed;

    bool found() const { return docId != 0; }
    void take(const RefundableLine& line);
    void giveBack(const RefundableLine& line);
    // `serial` empty: every unit of the goods together.
    LeftOf leftOf(const QString& goodsKey, const QString& serial = QString()) const;
    // Exactly one entry: the goods' unmarked one (`serial` empty) or a unit.
    LeftOf entryLeft(const QString& goodsKey, const QString& serial) const;
    Money totalLeft() const;
    bool sells(const QString& goodsKey) const;
    bool nothingLeft() const;
};

// A line a return is about to give back.
struct RefundWanted {
    QString goodsKey;  // empty: a line naming no goods (an advance)
    QString serial;
    QString name;
    Qty qty;
    Money money;
    bool qtyKnown = true;
};

// The stored sale `docId` (a sale, "ПРИХОД") with what its stored returns
// and `pending` (printed returns not stored yet) gave back of it; none found
// gives an empty ledger. Database errors are thrown.
SaleLedger readSaleLedger(fb::Transaction& tr, int docId, const QList<PrintJob>& pending = {});

// A stored sale a typed fiscal sign names.
struct SaleBySign {
    int docId = 0;
    QString fiscalSign;  // as the sale stored it
    QString date;        // "dd.MM.yyyy hh:mm"
    int number = 0;
    QString total;
};
// The sign as a number: blanks and leading zeros dropped; none for a text
// that is no whole number of up to 15 digits.
std::optional<QString> normalizedFiscalSign(const QString& text);
// Every stored sale whose fiscal sign is that number, oldest first.
std::vector<SaleBySign> salesBySign(fb::Transaction& tr, const QString& normalizedSign);

namespace refundLimitText {
inline const QString kSaleFullyReturned = QStringLiteral(
    " Все позиции этого чека уже возвращены.     \r\n\r\n"
    " Возвращать по нему больше нечего.     ");
inline const QString kPositionFullyReturned = QStringLiteral(" Эта позиция чека уже возвращена полностью.     ");
inline const QString kCannotTell = QStringLiteral(
    " Не удалось узнать, сколько осталось к возврату по чеку продажи:     \r\n"
    " база данных не ответила.     \r\n\r\n"
    " Возврат невозможен, пока это не выяснится.     ");
inline const QString kSignNotNumber = QStringLiteral(
    " Фискальный признак документа должен быть числом.     \r\n\r\n"
    " Исправьте его в поле 'ФПД'.     ");
inline const QString kSeveralSales = QStringLiteral(
    " Этот фискальный признак есть у нескольких чеков продажи.     \r\n"
    " Выберите чек, по которому осуществляется возврат.     ");
inline const QString kTotalExceeds = QStringLiteral(
    " По чеку продажи осталось к возврату меньше, чем сумма чека возврата.     \r\n\r\n"
    " Вернуть больше, чем осталось по чеку, нельзя.     ");
}  // namespace refundLimitText

// " Позиция < name >: по чеку осталось к возврату N, а в чеке возврата M."
QString refundExceedsText(const QString& name, Qty left, Qty wanted);
// " Позиция < name >: по чеку осталось к возврату на N руб., а в чеке
// возврата M руб.", the second part on a line of its own
QString refundMoneyExceedsText(const QString& name, Money left, Money wanted);
// The same when part of what is left is returned: that part may take only
// its share of the money left. " Позиция < name >: за Q по чеку можно вернуть
// не больше S руб., а в чеке возврата M руб. (всего осталось к возврату
// L руб. за R)."
QString refundShareExceedsText(const QString& name, Qty qty, Money share, Qty leftQty, Money left, Money wanted);

// The money of the sold line whose price is `price` (DD_GOOD_PRICE_CURRENT),
// quantity `qty`, and part of a pack `fraction` ("n/d" or empty), as the
// register added it up; 0 for a price that is no number.
Money soldLineSum(const QString& price, Qty qty, const QString& fraction);

// Why `wanted` would give back more than the sale has left (by goods, by
// marked unit, and in all); empty when it fits.
QString refundProblemOf(const SaleLedger& sale, const std::vector<RefundWanted>& wanted);

// The lines the receipt in progress would give back: a line per unmarked
// position, one per marking record of a marked one.
std::vector<RefundWanted> wantedFromReceipt(const ReceiptModel& receipt, const QList<QStringList>& markedItems);
// The same for the hand-over lines a return is printed from.
std::vector<RefundWanted> wantedFromLines(const QList<QStringList>& lines, int paymentFlag);
RefundableLine refundableFromLine(const QStringList& line, int paymentFlag);

// The money the goods of `row` are to give back in a return of `sale`: their
// share of what is left for the quantity the receipt now holds of them, less
// what the receipt's other positions of the goods give back. None when the
// row's goods are not priced by the sale (a free-price or marked row, goods
// the sale did not sell).
std::optional<Money> refundRowMoney(const SaleLedger& sale, const ReceiptModel& receipt, int row);
// Prices `row` at that money (its price before discount, no discount); a
// marked position holding one unit at the money left of that unit (tobacco
// keeps its price). True when the row changed and the receipt is to be
// recalculated.
bool priceRefundRow(const SaleLedger& sale, ReceiptModel& receipt, int row, const QList<QStringList>& markedItems = {});

}  // namespace sales
