#pragma once
// Writing a printed receipt into the database: its DOCUMENTS row through
// DOC_WRITE, one DOCUMENTS_DETAIL row per row of the hand-over table, for
// receipts paid in full the new stock of every good, and for a sale the
// lots the cashier chose written off. All of it is one transaction: the
// receipt is stored whole or not at all.
//
// A receipt the register has printed must not be lost when the database
// refuses it: its record stays in the print journal until it is stored.
#include "sales/closing/PrintJob.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

namespace fb {
class Connection;
}

namespace sales {

struct StoreResult {
    enum class Failure {
        None,
        Header,  // DOC_WRITE refused
        Line,    // a DOCUMENTS_DETAIL row refused
        Stock,   // the stock of a good or a chosen lot could not be read or written
    };
    Failure failure = Failure::None;
    int docId = 0;          // DOCUMENTS.DOC_ID of the stored receipt
    QString message;        // the text to show on failure
    QString databaseError;  // the engine's own words, for whoever investigates
    // The database already held this receipt (its number and fiscal sign):
    // nothing was written and docId is the stored one.
    bool alreadyStored = false;
    // Lots that no longer held what was chosen from them: written off as far
    // as they went, the rest named here ("" when all went off in full).
    QString lotShortfall;

    bool ok() const { return failure == Failure::None; }
};

// Every receipt kind the register prints (1 to 4) is stored.
bool receiptIsStored(int kind);

// "dd.mm.yyyy".
QString docDateText(const QDate& date);
// Hour and minute without leading zeros: nine hours five minutes give "9:5".
QString docTimeText(const QTime& time);

// The new GOODS.GOOD_COUNT after a receipt row, or nullopt when the row does
// not change the stock. A sale or a purchase return (kinds 1, 4) lowers it,
// a sale return or a purchase (2, 3) raises it. Unmarked goods move by the quantity (three decimals for
// goods sold by weight, whole numbers otherwise); a tobacco code moves by its
// stock unit (a pack 1, a block 10); other marked goods by the quantity
// unless they may be sold by part of a pack.
std::optional<QString> newStockCount(const QString& current, int kind, int markType, bool fractionalAllowed,
                                     const QString& quantity, const QString& stockUnit);

// Why the stock a receipt leaves would not fit GOODS.GOOD_COUNT (ten
// characters): the message names the position, the goods item and its stock.
// Empty when every new count fits. Asked before the register prints, so that
// what it printed can always be stored.
QString stockWidthProblem(fb::Connection& db, const PrintJob& job);

// Stores the receipt in one transaction. `document` is what the register
// reported of it (an unread document is stored without number and sign,
// dated by the computer's clock). Never throws: a dropped or unreachable
// database is a Header failure carrying the engine's words. A receipt the
// database already holds under the same number and fiscal sign is not
// written again.
StoreResult storeReceipt(fb::Connection& db, const PrintJob& job, const FiscalDocumentInfo& document,
                         int documentType = 3);

}  // namespace sales
