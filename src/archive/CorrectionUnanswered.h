#pragma once
// Corrections whose CloseCheck may have reached the service and whose answer
// never reached the journal (the till was killed on the way). The service
// cannot tell afterwards what it printed, so an administrator compares each
// with the register's report and settles it once: as printed, when it is
// written as a correction document with what the till knew of it (all but
// the register's number and fiscal sign), or as not printed, when its record
// goes.
//
// Writing one is exactly once although the journal and the database are two
// stores: the record is marked with the document being written before that
// transaction commits, and a mark found later is settled by the database (the
// document is there: the record goes; it is not: the mark goes).
#include "archive/CorrectionLogic.h"
#include "sales/closing/PrintJournal.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace fb {
class Connection;
}

namespace archive {

struct UnansweredCorrection {
    QString recordId;
    PrintedCorrection known;
};

// Finishes what a settling cut short left on the record: nullopt when its
// document was committed (the record is removed), else the record as it now
// stands. While the database cannot say, the mark stays and `why` (when
// given) gets the reason.
std::optional<sales::JournalRecord> finishSettling(sales::PrintJournal& journal, fb::Connection& db,
                                                   const sales::JournalRecord& record, QString* why = nullptr);

// The journal's unanswered corrections, oldest first.
QList<UnansweredCorrection> unansweredCorrections(sales::PrintJournal& journal, fb::Connection& db);

using SettleStep = std::function<void(const QString&)>;
// Settles one unanswered correction as printed or not. Empty on success (or
// when it is no longer there to settle), else why nothing changed. `step`,
// for the crash tests, runs at "marked" (the record names the document, not
// yet committed) and "committed" (the record not yet removed).
QString settleUnanswered(sales::PrintJournal& journal, fb::Connection& db, const QString& recordId, bool printed,
                         const SettleStep& step = {});

// What the cashier is told at login while `count` of them wait, and where
// the administrator settles them.
QString unansweredCorrectionsNote(int count);

// The command, its menu item's caption and the window's objectName.
inline const QString kUnansweredCommand = QStringLiteral("MCorrectionUnanswered");
inline const QString kUnansweredCaption = QStringLiteral("Чеки коррекции без ответа ККТ");

}  // namespace archive
