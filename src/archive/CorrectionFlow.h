#pragma once
// Printing one correction receipt through the register service and
// recording it: open a session, read the register's clock, open the
// correction receipt, add its one position, close it with the payment, close
// the session, then write the document. Every failure on the way closes what
// was opened (an open receipt is cancelled on the register, the session and
// the connection are closed, the wait window goes) and says why.
//
// A correction goes through the print journal as a sale does: a record is
// written before CloseCheck is sent and marked as sent once the service is
// there to take it, it gets what the reply gives before anything else is done
// with it, and it is removed only once the database has committed the
// document. A record never marked as sent is dropped unread: nothing was
// printed. The first correction after a start, and any after a failed one,
// first cancels a receipt the register may still hold open. The row is
// written before the session is closed, so a service that goes silent after
// printing delays the till but cannot lose the receipt; what a kill or the
// database leaves in the journal is written at the next login or print, and
// a receipt the register printed is never printed again. One whose answer
// was lost on the way waits for an administrator (CorrectionUnanswered.h).
#include "archive/CorrectionLogic.h"
#include "archive/KktJsonChannel.h"
#include "sales/closing/PrintJournal.h"

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace fb {
class Connection;
}

namespace archive {

// The wait window the cashier watches while the register works.
class CorrectionWaitView {
public:
    virtual ~CorrectionWaitView() = default;
    virtual void open(const QString& caption, const QString& text) = 0;
    virtual void setText(const QString& text) = 0;
    virtual void close() = 0;
};

// What the correction window collected.
struct CorrectionOrder {
    int tag = 1;  // 1 correction of income, 2 of expense
    QString userName;
    QString userInn;
    int correctionType = 0;
    QString causeName;
    QDate causeDate;
    QString causeDocNum;
    int productTypeCode = 1;
    std::int64_t kopecks = 0;
    bool cash = true;
    int taxSystem = -1;
};

// "При выполнении операции произошла ошибка." with the failed command's
// code and description.
QString operationFailedMessage(int code, const QString& description, bool tail);
QString openSessionFailedMessage(int code, const QString& description);

// A printed correction as its journal record keeps it, and back; nullopt for
// a record that is no correction.
QJsonObject correctionToJson(const PrintedCorrection& p);
std::optional<PrintedCorrection> correctionFromJson(const QJsonObject& o);
// Whether the record's CloseCheck may have reached the service.
bool closeCheckMayHaveGone(const QJsonObject& correction);

// Writes the document of a printed correction, unless the database holds it
// already: two corrections are one only when both carry the register's
// number and fiscal sign and these are equal. Empty on success, else the
// database's reason.
QString storeCorrection(fb::Connection& db, const PrintedCorrection& p);

struct CorrectionSettle {
    int stored = 0;
    QStringList refused;                  // the database's reasons; the records stay
    QList<sales::JournalRecord> unknown;  // CloseCheck sent, no answer: kept for an administrator
};
// Writes every correction of the journal that the register printed and
// removes its record once committed.
CorrectionSettle settleCorrections(sales::PrintJournal& journal, fb::Connection& db);
// The cashier's words for what was written or refused; empty when there is
// nothing to say (the unknown ones: unansweredCorrectionsNote).
QStringList correctionSettleNotes(const CorrectionSettle& s);
// The journal settling of the sale road writes corrections into `db` too.
void installCorrectionSettler(std::function<fb::Connection*()> db);

class CorrectionFlow {
public:
    enum class Outcome {
        SessionRefused,  // OpenSession failed: the register counts as not connected
        PrintFailed,     // nothing was printed (or the register must be checked)
        StoreFailed,     // printed, the database refused it: OK only writes it again
        Done,            // printed and recorded
    };

    // `registerLost` runs when the session could not be opened: the main
    // screen shows the register as not connected.
    // `journal`: the program folder's print journal (in memory by default).
    CorrectionFlow(KktJsonChannel& channel, fb::Connection& db, CorrectionWaitView& wait,
                   std::function<void()> registerLost, QWidget* messageParent = nullptr,
                   sales::PrintJournal journal = sales::PrintJournal());

    Outcome print(const CorrectionOrder& order);
    // Writes the kept printed receipt (after a refusal of the database).
    Outcome store();
    // A printed receipt is waiting for the database.
    bool hasUnstored() const { return printed_.has_value(); }
    const std::optional<PrintedCorrection>& unstored() const { return printed_; }
    const sales::PrintJournal& journal() const { return journal_; }
    // For the crash tests: runs at the named steps ("journaled": the record
    // is written and CloseCheck not sent; "sent": the record says CloseCheck
    // is going out, and it has not; "replied": the register's answer is in
    // hand and not yet journaled).
    void setStepHook(std::function<void(const QString&)> hook) { stepHook_ = std::move(hook); }

private:
    enum class Step { Info, OpenCheck, AddGoods, CloseCheck };
    Outcome failAfterOpen(const QString& key, const KktJsonResult& failed, Step step, const QString& extra = {});
    // Closes the session and the ports waiting only briefly for answers: a
    // service that has failed, or gone silent, must not freeze the till.
    void closeBriefly(const QString& key, bool resetCheck);
    // Writes the printed receipt; empty on success, else the reason.
    QString write();
    void storeFailedMessage(const QString& reason);
    // The journal took no record: nothing is printed.
    Outcome journalRefused(const QString& key, const QString& recordId);
    void step(const QString& name);

    KktJsonChannel& channel_;
    fb::Connection& db_;
    CorrectionWaitView& wait_;
    std::function<void()> registerLost_;
    QWidget* parent_;
    sales::PrintJournal journal_;
    std::optional<PrintedCorrection> printed_;
    QString recordId_;  // the printed receipt's journal record, empty when it has none
    std::function<void(const QString&)> stepHook_;
};

}  // namespace archive
