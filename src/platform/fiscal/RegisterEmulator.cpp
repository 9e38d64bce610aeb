// Connection, errors, status, cashier, shift, reports and cash-in.
// Receipts: RegisterEmulatorReceipt.cpp; marking codes and TLV: RegisterEmulatorMarking.cpp.
#include "platform/fiscal/RegisterEmulator.h"

#include "platform/fiscal/Amounts.h"
#include "platform/fiscal/AtomicFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

namespace fiscal {

void ParamList::set(int id, const QVariant& value) {
    for (auto& item : items) {
        if (item.first == id) {
            item.second = value;
            return;
        }
    }
    items.append({id, value});
}

bool ParamList::has(int id) const {
    for (const auto& item : items)
        if (item.first == id) return true;
    return false;
}

QVariant ParamList::value(int id) const {
    for (const auto& item : items)
        if (item.first == id) return item.second;
    return {};
}

namespace {

QString newSerialNumber() {
    QString serial;
    for (int i = 0; i < 14; ++i) serial += QChar(u'0' + QRandomGenerator::global()->bounded(10));
    return serial;
}

}  // namespace

RegisterEmulator::RegisterEmulator(const QString& folder)
    : statePath_(QDir(folder).filePath(kStateFileName)),
      log_(QDir(folder).filePath(kLogFileName)),
      tape_(QDir(folder).filePath(kTapeFileName), kModelName) {
    QDir().mkpath(folder);
    removeStaleTemporaries(statePath_);
    if (takeUpStateFile()) completeTape();
}

void RegisterEmulator::completeTape() {
    // A document is fiscalised when the state says so, and the tape is
    // written right after: a power cut in between, or a tape that would not
    // take it, leaves the tape short of documents the memory still holds.
    // The tape only ever grows in the documents' order, so whatever it ends
    // with says which of them it has.
    if (!QFile::exists(tape_.path())) return;
    // What a kill left of a document the disk took only part of goes first:
    // a fiscal one is then printed whole below, like any the tape lacks.
    tape_.cutTornTail();
    if (state_.lastDocument.number <= 0) return;
    const int onTape = tape_.lastDocumentNumber();
    bool lastKept = false;
    for (qsizetype i = state_.untaped.size() - 1; i >= 0; --i) {
        if (state_.untaped[i].number == state_.lastDocument.number) lastKept = true;
        if (state_.untaped[i].number <= onTape) state_.untaped.removeAt(i);
    }
    // A state an older program wrote keeps only the last document.
    if (!lastKept && onTape < state_.lastDocument.number) {
        if (!tape_.print(tape_.restored(state_)))
            qWarning("Register tape %s not written", qPrintable(tape_.path()));
        return;
    }
    flushTape(0);
}

bool RegisterEmulator::flushTape(int current) {
    while (!state_.untaped.isEmpty()) {
        const TapeDocument& d = state_.untaped.first();
        // One printed late says so, as the register marks a reprint.
        if (!tape_.print(d.number == current ? d.lines : tape_.late(d.lines))) {
            qWarning("Register tape %s not written", qPrintable(tape_.path()));
            return false;
        }
        // The file keeps it until the state next changes; whatever the tape
        // ends with tells a restart that it is there.
        state_.untaped.removeFirst();
    }
    return true;
}

bool RegisterEmulator::commitDocument(RegisterState& next, const QStringList& lines) {
    if (!tapeReady()) return false;
    next.untaped.append({next.lastDocument.number, lines});
    return commit(next);
}

int RegisterEmulator::paperResult() {
    if (flushTape(state_.lastDocument.number)) return 0;
    QStringList numbers;
    for (const TapeDocument& d : state_.untaped) numbers << QString::number(d.number);
    return refuse(LIBFPTR_ERROR_PRINTER_FAULT,
                  QStringLiteral("Документ оформлен, но не напечатан: чековая лента (файл ") +
                      QDir::toNativeSeparators(tape_.path()) +
                      QStringLiteral(") не записывается. Не напечатаны ФД № ") + numbers.join(QStringLiteral(", ")) +
                      QStringLiteral("; они будут допечатаны, когда лента снова примет печать."));
}

bool RegisterEmulator::tapeReady() {
    if (tape_.writable()) return true;
    refuse(LIBFPTR_ERROR_PRINTER_FAULT, QStringLiteral("Не удается печатать на чековую ленту (файл ") +
                                            QDir::toNativeSeparators(tape_.path()) +
                                            QStringLiteral(" не записывается). Документ не напечатан."));
    return false;
}

bool RegisterEmulator::takeUpStateFile() {
    const StateFile file = readStateFile(statePath_);
    switch (file.status) {
    case StateFile::Status::Loaded:
        state_ = file.state;
        fault_.clear();
        takeUpLog();
        return true;
    case StateFile::Status::Unreadable:
        // The fiscal drive's memory cannot be made up: a register with fresh
        // counters would number its documents from the start again. The file
        // stays exactly as it is for whoever repairs or removes it.
        fault_ = stateFaultText(QDir::toNativeSeparators(statePath_));
        qWarning("Register state %s unreadable (%s): the register stays disconnected", qPrintable(statePath_),
                 qPrintable(file.error));
        return false;
    case StateFile::Status::Missing: break;
    }
    // A register that has never worked here, or whose file a person removed.
    RegisterState fresh;
    fresh.serialNumber = newSerialNumber();
    QString error;
    if (!saveState(statePath_, fresh, &error))
        qWarning("Register state %s not written: %s", qPrintable(statePath_), qPrintable(error));
    state_ = fresh;
    fault_.clear();
    // Lines of a register that is gone belong to nobody.
    log_.discard();
    return true;
}

void RegisterEmulator::takeUpLog() {
    if (!log_.exists()) return;
    if (log_.replay(state_) == 0) {
        log_.discard();
        return;
    }
    // The state file takes the positions over; until it can, the log keeps
    // them, and only lines whole on the disk go before the next.
    QString error;
    RegisterState next = state_;
    next.generation += 1;
    if (saveState(statePath_, next, &error)) {
        state_ = next;
        log_.discard();
    } else {
        qWarning("Register state %s not written: %s", qPrintable(statePath_), qPrintable(error));
        log_.dropTornTail();
    }
}

QString RegisterEmulator::stateFaultText(const QString& path) {
    return QStringLiteral("Файл состояния ККТ поврежден и не читается: ") + path +
           QStringLiteral(". Файл оставлен без изменений. Восстановите его из резервной копии или "
                          "обратитесь в сервисную службу; до этого ККТ не подключается.");
}

// ---- plumbing ------------------------------------------------------------

RegisterEmulator::Call RegisterEmulator::enter(const char* method, bool needsConnection) {
    Call call{std::unique_lock<std::mutex>(mutex_), std::move(inputs_), false};
    inputs_ = ParamList{};
    outputs_.clear();
    errorCode_ = LIBFPTR_OK;
    errorText_.clear();
    const QString name = QString::fromLatin1(method);
    journalCall(name, call.in);
    std::optional<Failure> failure;
    if (failOnce_.contains(name))
        failure = failOnce_.take(name);
    else if (failAlways_.contains(name))
        failure = failAlways_.value(name);
    if (failure) {
        call.refused = true;
        refuse(failure->code, failure->text);
    } else if (needsConnection && !opened_) {
        call.refused = true;
        refuse(LIBFPTR_ERROR_CONNECTION_DISABLED, QStringLiteral("Соединение с ККТ не установлено"));
    }
    return call;
}

int RegisterEmulator::refuse(int code, const QString& text) {
    errorCode_ = code;
    errorText_ = text;
    if (!journal_.isEmpty()) journal_.last().errorCode = code;
    return -1;
}

void RegisterEmulator::journalCall(const QString& method, const ParamList& in) {
    // Dropped a half at a time, so that keeping it bounded costs nothing per call.
    if (journal_.size() >= 2 * kJournalKept) journal_.remove(0, journal_.size() - kJournalKept);
    journal_.append({method, in, LIBFPTR_OK});
}

bool RegisterEmulator::commit(const RegisterState& next) {
    // Lines of the log name the generation they extend: once the new state
    // is on the disk they are never applied again, even if a kill keeps
    // the log from going.
    RegisterState written = next;
    written.generation = state_.generation + 1;
    QString error;
    if (!saveState(statePath_, written, &error)) {
        qWarning("Register state %s not written: %s", qPrintable(statePath_), qPrintable(error));
        refuse(LIBFPTR_ERROR_STORAGE, QStringLiteral("Ошибка записи в память ККТ"));
        return false;
    }
    state_ = std::move(written);
    log_.discard();
    return true;
}

void RegisterEmulator::printTape(const QStringList& lines) {
    // The operation is already done; a tape that cannot be written is a
    // paper problem, not a reason to undo it. Fiscal documents waiting for
    // the paper go first, so that the tape keeps their order.
    if (!flushTape(0)) return;
    if (!tape_.print(lines)) qWarning("Register tape %s not written", qPrintable(tape_.path()));
}

QDateTime RegisterEmulator::now() const {
    return QDateTime::currentDateTime().addSecs(clockOffset_.load());
}

int RegisterEmulator::shiftState() const {
    if (!state_.shiftOpen) return LIBFPTR_SS_CLOSED;
    return state_.shiftOpenedAt.secsTo(now()) > 24 * 3600 ? LIBFPTR_SS_EXPIRED : LIBFPTR_SS_OPENED;
}

int RegisterEmulator::refuseUnlessShiftUsable() {
    switch (shiftState()) {
    case LIBFPTR_SS_CLOSED: return refuse(LIBFPTR_ERROR_SHIFT_CLOSED, QStringLiteral("Смена не открыта"));
    case LIBFPTR_SS_EXPIRED: return refuse(LIBFPTR_ERROR_SHIFT_EXPIRED, QStringLiteral("Смена превысила 24 часа"));
    default: return 0;
    }
}

FiscalDocument RegisterEmulator::nextDocument(qint64 sum) const {
    FiscalDocument doc;
    doc.number = state_.lastDocument.number + 1;
    doc.sum = sum;
    doc.dateTime = now();
    // Whole seconds, as the drive keeps them (and as they survive the state file).
    doc.dateTime.setTime(QTime(doc.dateTime.time().hour(), doc.dateTime.time().minute(), doc.dateTime.time().second()));
    // The fiscal sign authenticates the document's contents: same inputs,
    // same sign; any change of number, time or sum changes it.
    const QByteArray hash = QCryptographicHash::hash(
        QStringLiteral("%1|%2|%3|%4")
            .arg(state_.serialNumber)
            .arg(doc.number)
            .arg(doc.dateTime.toString(Qt::ISODate))
            .arg(sum)
            .toUtf8(),
        QCryptographicHash::Sha256);
    doc.fiscalSign = QString::number(qFromBigEndian<quint32>(hash.constData()));
    return doc;
}

void RegisterEmulator::takeCashier(RegisterState& next, const ParamList& in) const {
    if (in.has(tag::CashierName)) next.cashierName = in.value(tag::CashierName).toString().trimmed();
    if (in.has(tag::CashierInn)) next.cashierInn = in.value(tag::CashierInn).toString().trimmed();
}

void RegisterEmulator::storeParam(int id, const QVariant& value) {
    std::lock_guard lock(mutex_);
    inputs_.set(id, value);
}

QVariant RegisterEmulator::outputParam(int id) const {
    std::lock_guard lock(mutex_);
    return outputs_.value(id);
}

// ---- connection and errors --------------------------------------------------

int RegisterEmulator::open() {
    auto call = enter("open", false);
    if (call.refused) return -1;
    // A damaged state file is looked at again on every attempt, so that the
    // register connects as soon as someone has put the file right.
    if (!fault_.isEmpty() && !takeUpStateFile()) {
        opened_ = false;
        return refuse(LIBFPTR_ERROR_CONNECTION_DISABLED, fault_);
    }
    opened_ = true;
    return 0;
}

int RegisterEmulator::close() {
    auto call = enter("close", false);
    if (call.refused) return -1;
    opened_ = false;
    return 0;
}

bool RegisterEmulator::isOpened() const {
    std::lock_guard lock(mutex_);
    return opened_;
}

QString RegisterEmulator::version() const {
    return QStringLiteral("1.0.0");
}

int RegisterEmulator::errorCode() const {
    std::lock_guard lock(mutex_);
    return errorCode_;
}

QString RegisterEmulator::errorDescription() const {
    std::lock_guard lock(mutex_);
    return errorText_;
}

int RegisterEmulator::resetError() {
    // Touches neither the inputs being prepared nor the outputs being read.
    std::lock_guard lock(mutex_);
    journalCall(QStringLiteral("resetError"), {});
    errorCode_ = LIBFPTR_OK;
    errorText_.clear();
    return 0;
}

// ---- queries ----------------------------------------------------------------

int RegisterEmulator::queryData() {
    auto call = enter("queryData");
    if (call.refused) return -1;
    if (!call.in.has(LIBFPTR_PARAM_DATA_TYPE))
        return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указан тип запрашиваемых данных"));
    if (toWholeNumber(call.in.value(LIBFPTR_PARAM_DATA_TYPE)) != LIBFPTR_DT_STATUS)
        return refuse(LIBFPTR_ERROR_NOT_SUPPORTED, QStringLiteral("Запрос не поддерживается"));
    outputs_[LIBFPTR_PARAM_SHIFT_STATE] = shiftState();
    outputs_[LIBFPTR_PARAM_MODEL_NAME] = kModelName;
    outputs_[LIBFPTR_PARAM_SERIAL_NUMBER] = state_.serialNumber;
    outputs_[LIBFPTR_PARAM_DATE_TIME] = now();
    outputs_[LIBFPTR_PARAM_SHIFT_NUMBER] = state_.shiftNumber;
    outputs_[LIBFPTR_PARAM_RECEIPT_NUMBER] = state_.receiptsInShift;
    outputs_[LIBFPTR_PARAM_DOCUMENT_NUMBER] = state_.lastDocument.number;
    outputs_[LIBFPTR_PARAM_CASH_SUM] = double(state_.cash) / 100.0;
    outputs_[LIBFPTR_PARAM_RECEIPT_TYPE] = state_.receipt ? state_.receipt->type : LIBFPTR_RT_CLOSED;
    outputs_[LIBFPTR_PARAM_RECEIPT_SUM] = state_.receipt ? double(state_.receipt->total()) / 100.0 : 0.0;
    return 0;
}

int RegisterEmulator::fnQueryData() {
    auto call = enter("fnQueryData");
    if (call.refused) return -1;
    if (!call.in.has(LIBFPTR_PARAM_FN_DATA_TYPE))
        return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указан тип запрашиваемых данных ФН"));
    if (toWholeNumber(call.in.value(LIBFPTR_PARAM_FN_DATA_TYPE)) != LIBFPTR_FNDT_LAST_DOCUMENT)
        return refuse(LIBFPTR_ERROR_NOT_SUPPORTED, QStringLiteral("Запрос к ФН не поддерживается"));
    outputs_[LIBFPTR_PARAM_DOCUMENT_NUMBER] = state_.lastDocument.number;
    outputs_[LIBFPTR_PARAM_FISCAL_SIGN] = state_.lastDocument.fiscalSign;
    outputs_[LIBFPTR_PARAM_DATE_TIME] = state_.lastDocument.dateTime;
    outputs_[LIBFPTR_PARAM_RECEIPT_TYPE] = state_.lastDocument.receiptType;
    outputs_[LIBFPTR_PARAM_RECEIPT_SUM] = double(state_.lastDocument.sum) / 100.0;
    return 0;
}

// ---- cashier, shift, reports, cash -------------------------------------------

int RegisterEmulator::operatorLogin() {
    auto call = enter("operatorLogin");
    if (call.refused) return -1;
    if (call.in.value(tag::CashierName).toString().trimmed().isEmpty())
        return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указан кассир (1021)"));
    // A login names the whole cashier: a tax number not given is none, never
    // the one of whoever logged in before.
    RegisterState next = state_;
    next.cashierName = call.in.value(tag::CashierName).toString().trimmed();
    next.cashierInn = call.in.value(tag::CashierInn).toString().trimmed();
    return commit(next) ? 0 : -1;
}

int RegisterEmulator::openShift() {
    auto call = enter("openShift");
    if (call.refused) return -1;
    if (state_.receipt)
        return refuse(LIBFPTR_ERROR_RECEIPT_OPENED, QStringLiteral("Операция невозможна при открытом чеке"));
    if (state_.shiftOpen) return refuse(LIBFPTR_ERROR_SHIFT_OPENED, QStringLiteral("Смена уже открыта"));
    RegisterState next = state_;
    takeCashier(next, call.in);
    next.shiftOpen = true;
    next.shiftNumber += 1;
    next.shiftOpenedAt = now();
    next.receiptsInShift = 0;
    next.totals = {};
    next.lastDocument = nextDocument(0);
    if (!commitDocument(next, tape_.shiftOpened(next, next.lastDocument))) return -1;
    return paperResult();
}

int RegisterEmulator::report() {
    auto call = enter("report");
    if (call.refused) return -1;
    if (!call.in.has(LIBFPTR_PARAM_REPORT_TYPE))
        return refuse(LIBFPTR_ERROR_NO_REQUIRED_PARAM, QStringLiteral("Не указан тип отчета"));
    const auto type = toWholeNumber(call.in.value(LIBFPTR_PARAM_REPORT_TYPE));
    if (type != LIBFPTR_RT_X && type != LIBFPTR_RT_CLOSE_SHIFT)
        return refuse(LIBFPTR_ERROR_NOT_SUPPORTED, QStringLiteral("Неподдерживаемый тип отчета"));
    if (state_.receipt)
        return refuse(LIBFPTR_ERROR_RECEIPT_OPENED, QStringLiteral("Операция невозможна при открытом чеке"));
    RegisterState next = state_;
    takeCashier(next, call.in);
    if (type == LIBFPTR_RT_X) {
        if (!tapeReady() || !commit(next)) return -1;
        printTape(tape_.shiftReport(state_, now(), nullptr));
        return 0;
    }
    // An expired shift can and must be closed; only a closed one cannot.
    if (!state_.shiftOpen) return refuse(LIBFPTR_ERROR_SHIFT_CLOSED, QStringLiteral("Смена не открыта"));
    next.lastDocument = nextDocument(0);
    next.shiftOpen = false;
    if (!commitDocument(next, tape_.shiftReport(next, now(), &next.lastDocument))) return -1;
    return paperResult();
}

int RegisterEmulator::cashIncome() {
    auto call = enter("cashIncome");
    if (call.refused) return -1;
    if (refuseUnlessShiftUsable() != 0) return -1;
    if (state_.receipt)
        return refuse(LIBFPTR_ERROR_RECEIPT_OPENED, QStringLiteral("Операция невозможна при открытом чеке"));
    const auto sum = toScaled(call.in.value(LIBFPTR_PARAM_SUM), 2);
    if (!sum || *sum <= 0) return refuse(LIBFPTR_ERROR_INVALID_SUM, QStringLiteral("Неверная сумма внесения"));
    RegisterState next = state_;
    takeCashier(next, call.in);
    next.cash += *sum;
    next.totals.cashIncome += *sum;
    if (!tapeReady() || !commit(next)) return -1;
    printTape(tape_.cashIncome(state_, *sum, now()));
    return 0;
}

// ---- test hooks ---------------------------------------------------------------

void RegisterEmulator::setClockOffset(qint64 seconds) { clockOffset_ = seconds; }

void RegisterEmulator::failNext(const QString& method, int code, const QString& text) {
    std::lock_guard lock(mutex_);
    failOnce_.insert(method, {code, text});
}

void RegisterEmulator::failAlways(const QString& method, int code, const QString& text) {
    std::lock_guard lock(mutex_);
    failAlways_.insert(method, {code, text});
}

void RegisterEmulator::clearFailures() {
    std::lock_guard lock(mutex_);
    failOnce_.clear();
    failAlways_.clear();
}

QList<JournalEntry> RegisterEmulator::journal() const {
    std::lock_guard lock(mutex_);
    return journal_;
}

void RegisterEmulator::clearJournal() {
    std::lock_guard lock(mutex_);
    journal_.clear();
}

void RegisterEmulator::scriptMarkingCode(const QString& code, const MarkingScript& script) {
    std::lock_guard lock(mutex_);
    markingScripts_.insert(code, script);
}

void RegisterEmulator::setDefaultMarkingScript(const MarkingScript& script) {
    std::lock_guard lock(mutex_);
    defaultMarkingScript_ = script;
}

void RegisterEmulator::setValidationStartDelay(int milliseconds) { validationStartDelay_ = milliseconds; }

QString RegisterEmulator::fault() const {
    std::lock_guard lock(mutex_);
    return fault_;
}

RegisterState RegisterEmulator::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

}  // namespace fiscal
