#pragma once
// What is left to return of a stored sale: what it sold, line by line, less
// what the returns printed against its fiscal sign took back. A return is
// stored with the fiscal sign of the receipt it refunds (DOC_REFUND_FPD), so
// that every later return of the same sale sees what went back before.
#include "sales/receipt/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

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
    QString serial;  // the marked unit's serial; empty when unmarked
};

// Lines of a sale and of its returns are the same goods when this key is:
// the goods id, or for a free-price line its name and price.
QString refundGoodsKey(const QString& goodId, const QString& name, const QString& price);
QString refundGoodsKey(const RefundableLine& line);

// What is left of each sold line once `returned` went back: a marked unit
// by its serial, everything else by goods, taken from the earliest sold
// lines first. Never below zero.
std::vector<Qty> leftToReturn(const std::vector<RefundableLine>& sold, const std::vector<RefundableLine>& returned);

// A stored sale and what is left of it.
struct SaleRemainder {
    int docId = 0;  // 0: no stored sale receipt
    QString fiscalSign;
    std::vector<RefundableLine> sold;
    std::vector<Qty> left;  // one per sold line
    // The money each sold line took; what is left of it goes with what is
    // left of its quantity.
    std::vector<Money> taken;

    bool found() const { return docId != 0; }
    // What is left of the goods of `key` over every line; 0 for goods the
    // sale did not sell.
    Qty leftOf(const QString& key) const;
    // The money left of the goods of `key`: each line's sum times its
    // quantity left over its quantity sold, to the kopeck.
    Money moneyLeftOf(const QString& key) const;
    // What is left of the goods of `key` is one sold line, whole: its money
    // left is the sum the sale took, with no rounding of a share in it.
    bool moneyLeftIsWholeLine(const QString& key) const;
    bool sells(const QString& key) const;
    bool nothingLeft() const;
};

// The lines of every return printed against `fiscalSign`.
std::vector<RefundableLine> readReturnedLines(fb::Transaction& tr, const QString& fiscalSign);
// The stored sale receipt `docId` (a sale, "ПРИХОД"), or the one with the
// fiscal sign `fiscalSign`; none found gives an empty remainder.
SaleRemainder readSaleRemainder(fb::Transaction& tr, int docId);
SaleRemainder readSaleRemainderByFiscalSign(fb::Transaction& tr, const QString& fiscalSign);

namespace refundLimitText {
inline const QString kSaleFullyReturned = QStringLiteral(
    " Все позиции этого чека уже возвращены.     \r\n\r\n"
    " Возвращать по нему больше нечего.     ");
inline const QString kPositionFullyReturned = QStringLiteral(" Эта позиция чека уже возвращена полностью.     ");
}  // namespace refundLimitText

// " Позиция < name >: по чеку осталось к возврату N, а в чеке возврата M."
QString refundExceedsText(const QString& name, Qty left, Qty wanted);
// " Позиция < name >: по чеку осталось к возврату на N руб., а в чеке
// возврата M руб."
QString refundMoneyExceedsText(const QString& name, Money left, Money wanted);

// The money of the sold line whose price is `price` (DD_GOOD_PRICE_CURRENT),
// quantity `qty`, and part of a pack `fraction` ("n/d" or empty), as the
// register added it up; 0 for a price that is no number.
Money soldLineSum(const QString& price, Qty qty, const QString& fraction);

// The first goods of the receipt in progress whose active rows hold more
// than is left of them in the sale, in quantity or in money (goods the sale
// did not sell have nothing left); empty when everything fits. With
// `onlyRow` set, only the goods of that row are looked at.
QString receiptRefundProblem(const SaleRemainder& sale, const ReceiptModel& receipt, int onlyRow = 0);
// The same for the hand-over lines a return is printed from.
QString refundLinesProblem(const SaleRemainder& sale, const QList<QStringList>& lines);

}  // namespace sales
