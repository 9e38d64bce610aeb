#include "archive/CorrectionFlow.h"

#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"

#include <algorithm>

namespace archive {

namespace {
constexpr int kCleanupReadTimeoutMs = 5000;
const QString kTail = QStringLiteral("     ");
// When the reply to CloseCheck was lost the register may have printed.
const QString kCheckLastDocument = QStringLiteral(
    "\r\n\r\nЧек коррекции мог быть напечатан.     \r\nПроверьте последний документ ККТ     \r\nперед повтором "
    "операции.     ");

const QString kFindStored = QStringLiteral(
    "SELECT DOC_ID FROM DOCUMENTS WHERE DOC_TYPE = 31 AND DOC_FPD = ? AND DOC_NUMBER IS NOT DISTINCT FROM ?");
}  // namespace

QString operationFailedMessage(int code, const QString& description, bool tail) {
    return QStringLiteral("При выполнении операции произошла ошибка.     \r\nОтвет драйвера: \r\n Ошибка ") +
           QString::number(code) + QStringLiteral(". ") + description + (tail ? kTail : QString());
}

QString openSessionFailedMessage(int code, const QString& description) {
    return QStringLiteral("При открытии сеанса связи с ККТ произошла ошибка.     \r\nОтвет драйвера: \r\n Ошибка ") +
           QString::number(code) + QStringLiteral(". ") + description + kTail;
}

CorrectionFlow::CorrectionFlow(KktJsonChannel& channel, fb::Connection& db, CorrectionWaitView& wait,
                               std::function<void()> registerLost, QWidget* messageParent)
    : channel_(channel), db_(db), wait_(wait), registerLost_(std::move(registerLost)), parent_(messageParent) {}

CorrectionFlow::Outcome CorrectionFlow::print(const CorrectionOrder& order) {
    if (printed_) return store();
    // The main screen's watch must not talk to the register in between.
    KktJsonChannel::Hold hold(channel_);
    const KktJsonSessionVars& vars = channel_.vars();

    wait_.open(kCorrectionWaitCaption, kCorrectionWaitOpen);
    channel_.closeConnection();
    channel_.client().connectToService();
    KktJsonResult r = channel_.KktJsonOpenSession(vars.portName->toLower(), vars.baudRate->toLower());
    if (!r.ok()) {
        channel_.closeConnection();
        vars.portName->clear();
        vars.baudRate->clear();
        vars.sessionKey->clear();
        if (registerLost_) registerLost_();
        wait_.close();
        ui::showError(openSessionFailedMessage(r.result, r.description), parent_);
        return Outcome::SessionRefused;
    }
    const QString key = *vars.sessionKey;

    wait_.setText(kCorrectionWaitInfo);
    r = channel_.KktJsonGetCommonInfo(key);
    if (!r.ok()) return failAfterOpen(key, r, Step::Info);
    const QString dateTimeText = replyMember(QStringLiteral("dateTime"), r.reply).value_or(QString());
    const std::optional<QDateTime> registerTime = parseRegisterDateTime(dateTimeText);
    if (!registerTime) {
        KktJsonResult bad = r;
        bad.noResult = true;
        bad.result = kJsonExchangeFailed;
        bad.description = QStringLiteral("дата и время ККТ не распознаны: \"%1\"").arg(dateTimeText);
        return failAfterOpen(key, bad, Step::Info);
    }

    OpenCheckRequest open;
    open.sessionKey = key;
    open.checkType = order.tag == 2 ? 5 : 4;
    open.taxSystem = order.taxSystem;
    open.cashierName = order.userName.trimmed();
    open.cashierInn = order.userInn.trimmed();
    open.correctionType = order.correctionType;
    open.causeName = order.causeName.trimmed();
    open.causeDocDate = order.causeDate;
    open.causeDocNum = order.causeDocNum.trimmed();
    wait_.setText(kCorrectionWaitSend);
    r = channel_.KktJsonSendRequest(openCheckRequest(open));
    if (!r.ok()) return failAfterOpen(key, r, Step::OpenCheck);

    r = channel_.KktJsonSendRequestReply(addGoodsRequest(key, order.productTypeCode, order.kopecks));
    if (!r.ok()) return failAfterOpen(key, r, Step::AddGoods);

    r = channel_.KktJsonSendRequestReply(closeCheckRequest(key, order.cash, order.kopecks));
    if (!r.ok()) return failAfterOpen(key, r, Step::CloseCheck);

    PrintedCorrection p;
    p.tag = order.tag;
    p.kopecks = order.kopecks;
    p.cash = order.cash;
    p.fiscalSign = replyMember(QStringLiteral("fiscalSign"), r.reply).value_or(QString());
    p.fiscalDocNum = replyMember(QStringLiteral("fiscalDocNum"), r.reply).value_or(QString());
    p.registerTime = *registerTime;
    p.userName = order.userName;
    printed_ = p;

    channel_.KktJsonCloseSession(key);
    channel_.KktJsonClosePorts();
    channel_.closeConnection();
    wait_.close();
    return store();
}

CorrectionFlow::Outcome CorrectionFlow::failAfterOpen(const QString& key, const KktJsonResult& failed, Step step) {
    // The failed command's word is kept: the clean-up below answers too.
    const int code = failed.result;
    const QString description = failed.description;
    const bool lost = !failed.exchanged();
    // The clean-up waits less for a service that has just failed to answer:
    // four full read time-outs in a row would freeze the till for minutes.
    const net::ClientOptions usual = channel_.client().options();
    net::ClientOptions brief = usual;
    brief.readTimeoutMs = std::min(usual.readTimeoutMs, kCleanupReadTimeoutMs);
    channel_.client().setOptions(brief);
    // A receipt the register may hold open is cancelled first.
    if (step == Step::AddGoods || step == Step::CloseCheck || (step == Step::OpenCheck && lost))
        channel_.KktJsonResetCheck(key);
    channel_.KktJsonCloseSession(key);
    channel_.KktJsonClosePorts();
    channel_.closeConnection();
    channel_.client().setOptions(usual);
    wait_.close();
    QString text = operationFailedMessage(code, description, step == Step::OpenCheck || lost);
    if (step == Step::CloseCheck && lost) text += kCheckLastDocument;
    ui::showError(text, parent_);
    return Outcome::PrintFailed;
}

CorrectionFlow::Outcome CorrectionFlow::store() {
    if (!printed_) return Outcome::Done;
    const PrintedCorrection& p = *printed_;
    try {
        fb::Transaction tr(db_);
        bool numberOk = false;
        const qint64 number = p.fiscalDocNum.trimmed().toLongLong(&numberOk);
        // Written already (the commit went through but its answer was lost).
        const std::optional<fb::Row> stored = fb::queryOne(
            tr, kFindStored, {p.fiscalSign.trimmed(), numberOk ? fb::Value(std::int64_t(number)) : fb::null()});
        if (!stored) fb::callProcedure(tr, QStringLiteral("DOC_WRITE_PROC"), docWriteParams(p));
        tr.commit();
    } catch (const std::exception&) {
        ui::showPlain(kCorrectionDbFailed + QStringLiteral("\r\n\r\nЧек коррекции напечатан: ФД № ") + p.fiscalDocNum +
                          QStringLiteral(", ФП ") + p.fiscalSign +
                          QStringLiteral(".     \r\nНажмите OK, чтобы записать его в базу данных.     "),
                      parent_);
        return Outcome::StoreFailed;
    }
    printed_.reset();
    return Outcome::Done;
}

}  // namespace archive
