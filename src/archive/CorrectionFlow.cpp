#include "archive/CorrectionFlow.h"

#include "archive/CorrectionUnanswered.h"

#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/PrintSettle.h"

#include <algorithm>

namespace archive {

namespace {
constexpr int kCleanupReadTimeoutMs = 5000;
const QString kTail = QStringLiteral("     ");
// When the reply to CloseCheck was lost the register may have printed.
const QString kCheckLastDocument = QStringLiteral(
    "\r\n\r\nЧек коррекции мог быть напечатан.     \r\nПроверьте последний документ ККТ     \r\nперед повтором "
    "операции.     ");

const QString kCloseCheckSent = QStringLiteral("closeCheckSent");

const QString kFindStored = QStringLiteral(
    "SELECT DOC_ID FROM DOCUMENTS WHERE DOC_TYPE = 31 AND DOC_FPD = ? AND DOC_NUMBER IS NOT DISTINCT FROM ?");
}  // namespace

bool closeCheckMayHaveGone(const QJsonObject& correction) {
    // A record without the word (an older program's) may have.
    return correction.value(kCloseCheckSent).toBool(true);
}

QString operationFailedMessage(int code, const QString& description, bool tail) {
    return QStringLiteral("При выполнении операции произошла ошибка.     \r\nОтвет драйвера: \r\n Ошибка ") +
           QString::number(code) + QStringLiteral(". ") + description + (tail ? kTail : QString());
}

QString openSessionFailedMessage(int code, const QString& description) {
    return QStringLiteral("При открытии сеанса связи с ККТ произошла ошибка.     \r\nОтвет драйвера: \r\n Ошибка ") +
           QString::number(code) + QStringLiteral(". ") + description + kTail;
}

QJsonObject correctionToJson(const PrintedCorrection& p) {
    return QJsonObject{
        {QStringLiteral("tag"), p.tag},
        {QStringLiteral("kopecks"), QString::number(p.kopecks)},
        {QStringLiteral("cash"), p.cash},
        {QStringLiteral("fiscalSign"), p.fiscalSign},
        {QStringLiteral("fiscalDocNum"), p.fiscalDocNum},
        {QStringLiteral("registerTime"), p.registerTime.toString(Qt::ISODate)},
        {QStringLiteral("userName"), p.userName},
    };
}

std::optional<PrintedCorrection> correctionFromJson(const QJsonObject& o) {
    if (o.isEmpty()) return std::nullopt;
    PrintedCorrection p;
    p.tag = o.value(QStringLiteral("tag")).toInt(1);
    p.kopecks = o.value(QStringLiteral("kopecks")).toString().toLongLong();
    p.cash = o.value(QStringLiteral("cash")).toBool(true);
    p.fiscalSign = o.value(QStringLiteral("fiscalSign")).toString();
    p.fiscalDocNum = o.value(QStringLiteral("fiscalDocNum")).toString();
    p.registerTime = QDateTime::fromString(o.value(QStringLiteral("registerTime")).toString(), Qt::ISODate);
    p.userName = o.value(QStringLiteral("userName")).toString();
    return p;
}

QString storeCorrection(fb::Connection& db, const PrintedCorrection& p) {
    try {
        fb::Transaction tr(db);
        bool numberOk = false;
        const qint64 number = p.fiscalDocNum.trimmed().toLongLong(&numberOk);
        // Only the register's number and fiscal sign tell one printed
        // receipt from another: without both, a second correction of the
        // same sum is another receipt and is written.
        const bool identified = numberOk && !p.fiscalSign.trimmed().isEmpty();
        const bool stored =
            identified && fb::queryOne(tr, kFindStored, {p.fiscalSign.trimmed(), std::int64_t(number)}).has_value();
        if (!stored) fb::callProcedure(tr, QStringLiteral("DOC_WRITE_PROC"), docWriteParams(p));
        tr.commit();
    } catch (const std::exception& e) {
        const QString why = QString::fromLocal8Bit(e.what()).trimmed();
        return why.isEmpty() ? kCorrectionDbFailed.trimmed() : why;
    }
    return {};
}

CorrectionSettle settleCorrections(sales::PrintJournal& journal, fb::Connection& db) {
    CorrectionSettle s;
    for (const sales::JournalRecord& r : journal.records()) {
        if (!r.isCorrection()) continue;
        if (!r.closed) {
            // CloseCheck never went out: nothing was printed, and the open
            // receipt it left is cancelled before the next correction.
            if (!closeCheckMayHaveGone(r.correction)) {
                journal.remove(r.id);
                continue;
            }
            // An administrator's settling a kill cut short is finished
            // first: what it wrote is not asked about again.
            if (const std::optional<sales::JournalRecord> left = finishSettling(journal, db, r))
                s.unknown.append(*left);
            continue;
        }
        const std::optional<PrintedCorrection> p = correctionFromJson(r.correction);
        const QString why = storeCorrection(db, *p);
        if (!why.isEmpty()) {
            s.refused << why;
            continue;
        }
        // Were the removal lost, a receipt with a number and a fiscal sign
        // is found written next time; one without them is the rare case a
        // person meets in the journal.
        journal.remove(r.id);
        ++s.stored;
    }
    return s;
}

QStringList correctionSettleNotes(const CorrectionSettle& s) {
    QStringList notes;
    if (s.stored > 0)
        notes << QStringLiteral(" Записано в Базу Данных напечатанных ранее чеков коррекции: %1.     ").arg(s.stored);
    if (!s.refused.isEmpty())
        notes << QStringLiteral(" Не удалось записать в Базу Данных напечатанные чеки коррекции: %1.     ")
                         .arg(s.refused.size()) +
                     QStringLiteral("\r\n Они сохранены в журнале печати и будут записаны при следующем входе.     ") +
                     QStringLiteral("\r\n ") + s.refused.first();
    return notes;
}

void installCorrectionSettler(std::function<fb::Connection*()> db) {
    sales::setCorrectionSettler([db = std::move(db)](sales::PrintJournal& journal, sales::SettleResult& result) {
        fb::Connection* c = db ? db() : nullptr;
        if (!c) return;
        const CorrectionSettle s = settleCorrections(journal, *c);
        result.correctionNotes << correctionSettleNotes(s);
        if (!s.refused.isEmpty()) result.correctionsNeedAttention = true;
        // Only an administrator can settle these: the cashier hears of them
        // at login, not before every print.
        if (!s.unknown.isEmpty()) result.correctionLoginNotes << unansweredCorrectionsNote(int(s.unknown.size()));
    });
}

CorrectionFlow::CorrectionFlow(KktJsonChannel& channel, fb::Connection& db, CorrectionWaitView& wait,
                               std::function<void()> registerLost, QWidget* messageParent,
                               sales::PrintJournal journal)
    : channel_(channel),
      db_(db),
      wait_(wait),
      registerLost_(std::move(registerLost)),
      parent_(messageParent),
      journal_(std::move(journal)) {}

CorrectionFlow::Outcome CorrectionFlow::print(const CorrectionOrder& order) {
    if (printed_) return store();
    // What an earlier print left in the journal is written before anything
    // new prints; a journal that cannot be read stops everything.
    if (!journal_.readable()) {
        ui::showError(sales::journalUnreadableMessage(journal_), parent_);
        return Outcome::PrintFailed;
    }
    const CorrectionSettle earlier = settleCorrections(journal_, db_);
    if (!earlier.refused.isEmpty()) {
        ui::showError(correctionSettleNotes(earlier).join(QStringLiteral("\r\n\r\n")), parent_);
        return Outcome::StoreFailed;
    }
    // The main screen's watch must not talk to the register in between.
    KktJsonChannel::Hold hold(channel_);
    const KktJsonSessionVars& vars = channel_.vars();
    const bool mayHoldReceipt = channel_.registerMayHoldReceipt();

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
    // Until this correction has printed, a failure leaves the register in
    // doubt.
    channel_.setRegisterMayHoldReceipt(true);

    wait_.setText(kCorrectionWaitInfo);
    if (mayHoldReceipt) {
        // A correction a crash or a failure interrupted may have left its
        // receipt open on the register, which would refuse every new one.
        r = channel_.KktJsonResetCheck(key);
        if (!r.exchanged()) return failAfterOpen(key, r, Step::Info);
    }
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

    PrintedCorrection p;
    p.tag = order.tag;
    p.kopecks = order.kopecks;
    p.cash = order.cash;
    p.registerTime = *registerTime;
    p.userName = order.userName;
    // CloseCheck prints: the journal knows of the receipt before it goes
    // out. Until then the record says it has not gone: a crash before
    // leaves nothing to wonder about.
    sales::JournalRecord record;
    record.id = journal_.newId();
    record.correction = correctionToJson(p);
    record.correction.insert(kCloseCheckSent, false);
    if (!journal_.put(record)) return journalRefused(key, record.id);
    step(QStringLiteral("journaled"));

    channel_.closeConnection();
    const net::Exchange connected = channel_.client().connectToService();
    if (!connected.ok()) {
        journal_.remove(record.id);
        KktJsonResult lost;
        lost.failure = connected.failure;
        lost.failureDetail = connected.detail;
        lost.result = exchangeFailureCode(lost);
        lost.description = exchangeFailureText(lost);
        return failAfterOpen(key, lost, Step::AddGoods);
    }
    // The service is there: only the request itself is left to send.
    record.correction.insert(kCloseCheckSent, true);
    if (!journal_.put(record)) return journalRefused(key, record.id);
    step(QStringLiteral("sent"));
    r = channel_.KktJsonSendOnConnection(closeCheckRequest(key, order.cash, order.kopecks));
    if (r.ok()) {
        // The answer goes into the journal before anything else is done
        // with it: past this point a printed receipt cannot be lost.
        p.fiscalSign = replyMember(QStringLiteral("fiscalSign"), r.reply).value_or(QString());
        p.fiscalDocNum = replyMember(QStringLiteral("fiscalDocNum"), r.reply).value_or(QString());
        step(QStringLiteral("replied"));
        record.closed = true;
        record.correction = correctionToJson(p);
        recordId_ = journal_.put(record) ? record.id : QString();
        if (recordId_.isEmpty()) journal_.remove(record.id);
        printed_ = p;
    } else {
        // A refusal means nothing printed; a lost answer may hide a print,
        // and its record stays for a person to compare with the tape.
        if (r.exchanged()) {
            journal_.remove(record.id);
            return failAfterOpen(key, r, Step::CloseCheck);
        }
        return failAfterOpen(key, r, Step::CloseCheck,
                             QStringLiteral("\r\nЗапись о нем сохранена в журнале печати.     "));
    }

    // The row is written before the session is closed: the register has
    // printed, and the closing commands may not answer at all.
    const QString refused = write();
    closeBriefly(key, false);
    wait_.close();
    channel_.setRegisterMayHoldReceipt(false);
    if (!refused.isEmpty()) {
        storeFailedMessage(refused);
        return Outcome::StoreFailed;
    }
    return Outcome::Done;
}

CorrectionFlow::Outcome CorrectionFlow::journalRefused(const QString& key, const QString& recordId) {
    journal_.remove(recordId);
    closeBriefly(key, true);
    wait_.close();
    ui::showError(QStringLiteral("Журнал печати чеков не записывается:     \r\n") + journal_.path() +
                      QStringLiteral("     \r\n\r\nЧек коррекции не напечатан.     "),
                  parent_);
    return Outcome::PrintFailed;
}

void CorrectionFlow::step(const QString& name) {
    if (stepHook_) stepHook_(name);
}

void CorrectionFlow::closeBriefly(const QString& key, bool resetCheck) {
    const net::ClientOptions usual = channel_.client().options();
    net::ClientOptions brief = usual;
    brief.readTimeoutMs = std::min(usual.readTimeoutMs, kCleanupReadTimeoutMs);
    channel_.client().setOptions(brief);
    if (resetCheck) channel_.KktJsonResetCheck(key);
    channel_.KktJsonCloseSession(key);
    channel_.KktJsonClosePorts();
    channel_.closeConnection();
    channel_.client().setOptions(usual);
}

CorrectionFlow::Outcome CorrectionFlow::failAfterOpen(const QString& key, const KktJsonResult& failed, Step step,
                                                      const QString& extra) {
    // The failed command's word is kept: the clean-up below answers too.
    const int code = failed.result;
    const QString description = failed.description;
    const bool lost = !failed.exchanged();
    // A receipt the register may hold open is cancelled first.
    closeBriefly(key, step == Step::AddGoods || step == Step::CloseCheck || (step == Step::OpenCheck && lost));
    wait_.close();
    QString text = operationFailedMessage(code, description, step == Step::OpenCheck || lost);
    if (step == Step::CloseCheck && lost) text += kCheckLastDocument + extra;
    ui::showError(text, parent_);
    return Outcome::PrintFailed;
}

QString CorrectionFlow::write() {
    if (!printed_) return {};
    const QString why = storeCorrection(db_, *printed_);
    if (!why.isEmpty()) return why;
    if (!recordId_.isEmpty()) journal_.remove(recordId_);
    recordId_.clear();
    printed_.reset();
    return {};
}

void CorrectionFlow::storeFailedMessage(const QString& reason) {
    const PrintedCorrection& p = *printed_;
    QString text = kCorrectionDbFailed + QStringLiteral("\r\n\r\nЧек коррекции напечатан: ФД № ") + p.fiscalDocNum +
                   QStringLiteral(", ФП ") + p.fiscalSign + QStringLiteral(".     \r\n");
    if (!recordId_.isEmpty())
        text += QStringLiteral("Он сохранен в журнале печати и будет записан в базу данных     \r\nпри следующем входе "
                               "в программу.     \r\n");
    else
        text += QStringLiteral("Журнал печати не записывается: перепишите эти данные     \r\nи сообщите "
                               "администратору.     \r\n");
    text += QStringLiteral("Нажмите OK, чтобы записать его сейчас.     \r\n\r\n") + reason;
    ui::showPlain(text, parent_);
}

CorrectionFlow::Outcome CorrectionFlow::store() {
    if (!printed_) return Outcome::Done;
    const QString refused = write();
    if (refused.isEmpty()) return Outcome::Done;
    storeFailedMessage(refused);
    return Outcome::StoreFailed;
}

}  // namespace archive
