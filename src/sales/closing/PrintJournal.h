#pragma once
// The print journal: the register's paper is the truth, and this file is
// what lets the database catch up with it whatever happens in between.
//
// A record (the whole print job and the register's last document number
// before it) is written before the register is asked to open the receipt;
// once the register has closed it the record gets the document's number,
// fiscal sign and time; it is removed only after the database has committed
// that receipt. Every change rewrites the one file atomically (a temporary
// file, flushed and synced, renamed over the old one), so a kill or a power
// cut leaves either the old journal or the new one, never half of either.
#include "sales/closing/PrintJob.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace sales {

struct JournalRecord {
    QString id;  // unique; records sort by it in the order they were made
    PrintJob job;
    // The register's last document number read before printing; -1 when
    // nobody knows it any more (a record an older version left behind).
    int documentBefore = -1;
    bool closed = false;          // the register closed (fiscalised) the receipt
    FiscalDocumentInfo document;  // its number, fiscal sign and time once read
    // A correction receipt printed through the register service rather than
    // a sale through the driver: what it printed, kept by the correction
    // road itself. The driver knows nothing of it, so it is never asked.
    QJsonObject correction;
    bool isCorrection() const { return !correction.isEmpty(); }

    // The register must be asked before anything else is printed: whether
    // the receipt was printed at all, or the number and sign of a receipt it
    // closed. Only the register's last document can tell, so nothing fiscal
    // may run until it has.
    bool needsRegister() const;
};

class PrintJournal {
public:
    static inline const QString kFileName = QStringLiteral("PrintJournal.json");

    // A journal kept in memory only (the register dialogue on its own).
    PrintJournal();
    // "<folder>/PrintJournal.json".
    explicit PrintJournal(const QString& folder);

    QString folder() const { return folder_; }
    QString path() const;
    bool inMemory() const { return folder_.isEmpty(); }

    // Records in the order they were made. An unreadable file reads as no
    // records and is left untouched (see readable()).
    QList<JournalRecord> records() const;
    std::optional<JournalRecord> record(const QString& id) const;
    // The receipts of the records, in the same order.
    QList<PrintJob> jobs() const;
    bool isEmpty() const { return records().isEmpty(); }
    // A record the register must be asked about before anything prints, or
    // a journal that cannot be read.
    bool blocked() const;
    // False when the file exists but cannot be read (see lastError()).
    bool readable() const;

    // Adds the record or replaces the one with its id. False when the journal
    // could not be written (the old one is then untouched).
    bool put(const JournalRecord& record);
    // False when the journal could not be written.
    bool remove(const QString& id);
    // An id later than every record's.
    QString newId() const;
    QString lastError() const { return error_; }

    // Receipts an older version of the program kept in "UnsavedReceipts/"
    // (printed, the database refused them) and "UnresolvedPrint.json" (the
    // register could not say whether it printed) become records; each old
    // file is removed once its record is written. Returns how many.
    int adoptOldFiles();

private:
    bool save(const QList<JournalRecord>& records);

    QString folder_;
    std::shared_ptr<QList<JournalRecord>> memory_;
    mutable QString error_;
};

}  // namespace sales
