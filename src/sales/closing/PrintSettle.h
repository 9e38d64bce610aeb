#pragma once
// Settling the print journal: every record is asked of the register (a
// newer document of the same kind and total means it was printed; none
// means it was not), stored exactly once when it was printed, dropped when
// it was not, and kept while nobody can tell. Runs at login and before every
// print, shift, report and cash operation.
#include "sales/closing/PrintJournal.h"
#include "sales/closing/ReceiptPrinter.h"
#include "sales/closing/ReceiptStore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace fb {
class Connection;
}
namespace fiscal {
class IFiscalDriver;
}

namespace sales {

// What the register said about the records that needed it.
struct RegisterAnswer {
    // A record whose outcome the register could not tell is still there:
    // nothing fiscal may run.
    bool blocked = false;
    bool connectionLost = false;      // the main screen shows "не подключена"
    QList<PrintMessage> messages;     // why it could not tell
    QList<JournalRecord> printedNow;  // found printed in this call (number and sign read)
    QList<JournalRecord> unresolved;  // still unknown
    int dropped = 0;                  // surely not printed: removed
};

// Asks the register about every record that needs it. Stores nothing.
RegisterAnswer askRegisterAboutJournal(PrintJournal& journal, fiscal::IFiscalDriver* driver);

// Whether the register's document is this receipt: its receipt type and total.
bool documentIsReceipt(const FiscalDocumentInfo& document, const PrintJob& job);

using ReceiptStorer = std::function<StoreResult(const PrintJob&, const FiscalDocumentInfo&)>;
// storeReceipt into `db` (nullptr: the database is not there), never throwing.
StoreResult storeReceiptSafely(fb::Connection* db, const PrintJob& job, const FiscalDocumentInfo& document,
                               int documentType = 3);
ReceiptStorer databaseStorer(fb::Connection* db, int documentType = 3);

// Stores a printed receipt of the journal; its record is removed only once
// the database has committed it.
StoreResult storePrinted(PrintJournal& journal, const QString& recordId, const PrintJob& job,
                         const FiscalDocumentInfo& document, const ReceiptStorer& store);

struct SettledReceipt {
    JournalRecord record;
    StoreResult result;
};

struct SettleResult {
    RegisterAnswer answer;
    QList<SettledReceipt> stored;        // stored now, or found already stored: removed from the journal
    QList<SettledReceipt> refused;       // printed, but the database refused it: kept
    QList<JournalRecord> withoutNumber;  // printed, number and sign unknown for good: kept for a person
    // What the correction road said of its records (see setCorrectionSettler).
    QStringList correctionNotes;
    bool correctionsNeedAttention = false;
    // Records only an administrator can settle: said once per login (see
    // settleAtLogin), not before every print.
    QStringList correctionLoginNotes;
    bool blocked() const { return answer.blocked; }
    // The result for one record, when it was stored or refused in this call.
    const SettledReceipt* find(const QString& id) const;
};

// A journal that cannot be read: which file, and that a person must look
// at it (nothing the cashier presses can mend it).
QString journalUnreadableMessage(const PrintJournal& journal);

// Correction receipts are printed and stored by the receipt archive, which
// the sale road does not know: it settles its own records of the journal
// here, and says what it did in the result's correction notes.
using CorrectionSettler = std::function<void(PrintJournal&, SettleResult&)>;
void setCorrectionSettler(CorrectionSettler settler);

// Asks the register, then stores every printed record whose number and
// fiscal sign are known. A record is removed only after its receipt is
// committed.
SettleResult settlePrintJournal(PrintJournal& journal, fiscal::IFiscalDriver* driver, const ReceiptStorer& store);

// At login: what an older version left behind is taken into the journal,
// then the journal is settled, and what waits for an administrator is said.
SettleResult settleAtLogin(const QString& programFolder, fiscal::IFiscalDriver* driver, fb::Connection* db);

// The cashier's message about a settling; empty when there is nothing to
// say. `withUnresolved`: also say that a print is still unresolved.
QString settleMessage(const SettleResult& result, bool withUnresolved = true);
// Whether the message is a warning (something is left to do).
bool settleNeedsAttention(const SettleResult& result);

}  // namespace sales
