#pragma once
// Printing one correction receipt through the register service and
// recording it: open a session, read the register's clock, open the
// correction receipt, add its one position, close it with the payment, close
// the session, then write the document. Every failure on the way closes what
// was opened (an open receipt is cancelled on the register, the session and
// the connection are closed, the wait window goes) and says why.
//
// A receipt the register printed is never printed again because the database
// refused it: the printed result is kept, and the next attempt only writes it.
#include "archive/CorrectionLogic.h"
#include "archive/KktJsonChannel.h"

#include <QDate>
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
    CorrectionFlow(KktJsonChannel& channel, fb::Connection& db, CorrectionWaitView& wait,
                   std::function<void()> registerLost, QWidget* messageParent = nullptr);

    Outcome print(const CorrectionOrder& order);
    // Writes the kept printed receipt (after a refusal of the database).
    Outcome store();
    // A printed receipt is waiting for the database.
    bool hasUnstored() const { return printed_.has_value(); }
    const std::optional<PrintedCorrection>& unstored() const { return printed_; }

private:
    enum class Step { Info, OpenCheck, AddGoods, CloseCheck };
    Outcome failAfterOpen(const QString& key, const KktJsonResult& failed, Step step);

    KktJsonChannel& channel_;
    fb::Connection& db_;
    CorrectionWaitView& wait_;
    std::function<void()> registerLost_;
    QWidget* parent_;
    std::optional<PrintedCorrection> printed_;
};

}  // namespace archive
