#include "archive/CorrectionUnanswered.h"

#include "archive/CorrectionFlow.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/closing/PrintSettle.h"

namespace archive {

namespace {

// The document a "printed" settling is writing for the record.
const QString kSettlingDoc = QStringLiteral("settlingDocId");

bool isUnanswered(const sales::JournalRecord& r) {
    return r.isCorrection() && !r.closed && closeCheckMayHaveGone(r.correction);
}

QString databaseReason(const std::exception& e) {
    const QString why = QString::fromLocal8Bit(e.what()).trimmed();
    return kCorrectionDbFailed + (why.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + why);
}

QString journalNotWritten(const sales::PrintJournal& journal) {
    return QStringLiteral("Журнал печати чеков не записывается:     \r\n") + journal.path() + QStringLiteral("     ");
}

}  // namespace

std::optional<sales::JournalRecord> finishSettling(sales::PrintJournal& journal, fb::Connection& db,
                                                   const sales::JournalRecord& record, QString* why) {
    if (!record.correction.contains(kSettlingDoc)) return record;
    const std::int64_t docId = record.correction.value(kSettlingDoc).toInteger();
    bool written = false;
    try {
        fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
        written = fb::queryOne(tr, QStringLiteral("SELECT DOC_ID FROM DOCUMENTS WHERE DOC_ID = ? AND DOC_TYPE = ?"),
                               {docId, std::int64_t(kCorrectionDocType)})
                      .has_value();
        tr.commit();
    } catch (const std::exception& e) {
        if (why) *why = databaseReason(e);
        return record;
    }
    // Document numbers are never given twice, so the one named is this
    // record's or none at all. A journal that cannot be written keeps the
    // mark, and the same question is asked next time.
    if (written) {
        journal.remove(record.id);
        return std::nullopt;
    }
    sales::JournalRecord unmarked = record;
    unmarked.correction.remove(kSettlingDoc);
    journal.put(unmarked);
    return unmarked;
}

QList<UnansweredCorrection> unansweredCorrections(sales::PrintJournal& journal, fb::Connection& db) {
    QList<UnansweredCorrection> list;
    for (const sales::JournalRecord& r : journal.records()) {
        if (!isUnanswered(r)) continue;
        const std::optional<sales::JournalRecord> left = finishSettling(journal, db, r);
        if (!left) continue;
        if (const std::optional<PrintedCorrection> p = correctionFromJson(left->correction))
            list.append({left->id, *p});
    }
    return list;
}

QString settleUnanswered(sales::PrintJournal& journal, fb::Connection& db, const QString& recordId, bool printed,
                         const SettleStep& step) {
    if (!journal.readable()) return sales::journalUnreadableMessage(journal);
    std::optional<sales::JournalRecord> record = journal.record(recordId);
    if (record) {
        QString why;
        record = finishSettling(journal, db, *record, &why);
        if (!why.isEmpty()) return why;
    }
    if (!record || !isUnanswered(*record)) return {};
    if (!printed) return journal.remove(recordId) ? QString() : journalNotWritten(journal);

    const std::optional<PrintedCorrection> p = correctionFromJson(record->correction);
    sales::JournalRecord marked = *record;
    try {
        fb::Transaction tr(db);
        fb::callProcedure(tr, QStringLiteral("DOC_WRITE_PROC"), docWriteParams(*p));
        // Nothing else writes while this runs: the newest correction in
        // sight is the one just written.
        const std::optional<fb::Row> row = fb::queryOne(
            tr, QStringLiteral("SELECT MAX(DOC_ID) AS DOC_ID FROM DOCUMENTS WHERE DOC_TYPE = ?"),
            {std::int64_t(kCorrectionDocType)});
        marked.correction.insert(kSettlingDoc, qint64(row ? row->int64(QStringLiteral("DOC_ID")) : 0));
        if (!journal.put(marked)) return journalNotWritten(journal);  // rolled back
        if (step) step(QStringLiteral("marked"));
        tr.commit();
    } catch (const std::exception& e) {
        // Rolled back, unless the commit went through unheard: the database
        // settles the mark, now or at the next look.
        if (marked.correction.contains(kSettlingDoc)) finishSettling(journal, db, marked);
        return databaseReason(e);
    }
    if (step) step(QStringLiteral("committed"));
    // Should this fail, the mark finds the document next time.
    journal.remove(recordId);
    return {};
}

QString unansweredCorrectionsNote(int count) {
    return QStringLiteral(" Чеков коррекции, на которые ККТ не ответила после печати: %1.     ").arg(count) +
           QStringLiteral("\r\n Они могли быть напечатаны. Администратор сверяет их     ") +
           QStringLiteral("\r\n с отчетом ККТ и отмечает каждый в меню ''Документ'',     ") +
           QStringLiteral("\r\n пункт ''") + kUnansweredCaption + QStringLiteral("''.     ");
}

}  // namespace archive
