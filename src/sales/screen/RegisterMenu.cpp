#include "sales/screen/RegisterMenu.h"

#include "core/DataModule.h"
#include "platform/ui/MessageService.h"

using namespace fiscal;

namespace sales {

QString cashierTagName(const CashierLabels& cashier) {
    return cashier.post.trimmed() + QLatin1Char(' ') + cashier.name.trimmed();
}

bool cashierUsable(const CashierLabels& cashier) {
    const QString name = cashier.name.trimmed();
    return !name.isEmpty() && name != core::kBuiltinAdmin;
}

qint64 clockSkewMinutes(const QDateTime& computer, const QDateTime& reg) {
    if (!computer.isValid() || !reg.isValid()) return 0;
    const qint64 seconds = qAbs(reg.secsTo(computer));
    return seconds / 60;
}

bool clockSkewNeedsConfirmation(const QDateTime& computer, const QDateTime& reg) {
    return clockSkewMinutes(computer, reg) > 10;
}

namespace {
// Closes the wait window however the report ends.
class WaitScope {
public:
    WaitScope(ReportWaitIndicator* wait, int tag) : wait_(wait) {
        if (wait_) wait_->showWait(tag);
    }
    ~WaitScope() {
        if (wait_) wait_->closeWait();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    ReportWaitIndicator* wait_;
};
}  // namespace

RegisterMenu::RegisterMenu(DriverFactory factory) : factory_(std::move(factory)) {}

RegisterMenu::~RegisterMenu() = default;

void RegisterMenu::setStatus(const QString& text, bool connected) {
    status_ = text;
    connected_ = connected;
    if (listener_) listener_(status_, connected_);
}

bool RegisterMenu::succeeded(int rc) {
    if (rc == 0 && driver_->errorCode() == LIBFPTR_OK) return true;
    ui::showError(driver_->errorDescription() + registerText::kDriverErrorTail, parent_);
    return false;
}

bool RegisterMenu::readIdentity() {
    driver_->setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
    if (driver_->queryData() != 0) return false;
    setStatus(driver_->getParamString(LIBFPTR_PARAM_MODEL_NAME) + QStringLiteral(" № ") +
                  driver_->getParamString(LIBFPTR_PARAM_SERIAL_NUMBER),
              true);
    return true;
}

void RegisterMenu::startAtCreate() {
    try {
        if (!driver_ && factory_) driver_ = factory_();
        if (!driver_) {
            setStatus(registerText::kNoConnection, false);
            return;
        }
        if (driver_->open() != 0) {
            setStatus(registerText::kNotConnected, false);
            // A register switched off is the everyday case; one that answers
            // and refuses (its state file damaged) needs a person now, not
            // at the first sale.
            const QString why = driver_->errorDescription().trimmed();
            if (driver_->errorCode() != LIBFPTR_ERROR_NO_CONNECTION && !why.isEmpty())
                ui::showError(registerText::kCannotConnect + QStringLiteral("\r\n\r\n") + why, parent_);
            return;
        }
        if (!readIdentity()) setStatus(registerText::kNotConnected, false);
    } catch (...) {
        // The screen opens in every case; the register is simply not there.
        setStatus(registerText::kNoConnection, false);
    }
}

bool RegisterMenu::connectRegister() {
    if (!driver_) {
        try {
            if (factory_) driver_ = factory_();
        } catch (...) {
            driver_.reset();
        }
        if (!driver_) {
            ui::showError(registerText::kNoDriver, parent_);
            return false;
        }
    }
    if (driver_->open() != 0) {
        setStatus(registerText::kNotConnected, false);
        // The driver's own words say what to put right (a damaged state file
        // names the file).
        const QString why = driver_->errorDescription().trimmed();
        ui::showError(why.isEmpty() ? registerText::kCannotConnect
                                    : registerText::kCannotConnect + QStringLiteral("\r\n\r\n") + why,
                      parent_);
        return false;
    }
    if (!readIdentity()) {
        setStatus(registerText::kNotConnected, false);
        succeeded(-1);
        return false;
    }
    return true;
}

bool RegisterMenu::ensureOpen(const QString& noConnectionText) {
    if (driver_->open() == 0) return true;
    setStatus(registerText::kNotConnected, false);
    ui::showError(noConnectionText, parent_);
    return false;
}

bool RegisterMenu::printSettled() {
    QString refusal = registerText::kPrintUnresolved;
    if (!settler_ || settler_(refusal)) return true;
    ui::showError(refusal, parent_);
    return false;
}

bool RegisterMenu::userCheck(const CashierLabels& cashier) {
    if (cashierUsable(cashier)) return true;
    ui::showError(registerText::kBadUser, parent_);
    return false;
}

std::optional<int> RegisterMenu::queryShiftState(QDateTime* registerClock) {
    driver_->setParam(LIBFPTR_PARAM_DATA_TYPE, LIBFPTR_DT_STATUS);
    if (!succeeded(driver_->queryData())) return std::nullopt;
    if (registerClock) *registerClock = driver_->getParamDateTime(LIBFPTR_PARAM_DATE_TIME);
    return driver_->getParamInt(LIBFPTR_PARAM_SHIFT_STATE);
}

void RegisterMenu::setCashierTags(const CashierLabels& cashier) {
    driver_->setParam(tag::CashierName, cashierTagName(cashier));
    // Sent even when empty: the register then records no tax number.
    driver_->setParam(tag::CashierInn, cashier.inn.trimmed());
}

bool RegisterMenu::openShift(const CashierLabels& cashier) {
    if (!driver_) return false;
    if (!userCheck(cashier)) return false;
    if (!ensureOpen(registerText::kNoLinkShift)) return false;
    if (!printSettled()) return false;
    QDateTime registerClock;
    const std::optional<int> shift = queryShiftState(&registerClock);
    if (!shift) return false;
    if (*shift != LIBFPTR_SS_CLOSED) {
        ui::showWarning(registerText::kShiftOpen, parent_);
        return false;
    }
    const QDateTime computerClock = clock_ ? clock_() : QDateTime::currentDateTime();
    if (clockSkewNeedsConfirmation(computerClock, registerClock) && !ui::askYesNo(registerText::kClockSkew, parent_))
        return false;
    setCashierTags(cashier);
    if (!succeeded(driver_->operatorLogin())) return false;
    return succeeded(driver_->openShift());
}

bool RegisterMenu::runReport(int reportType, int waitTag) {
    driver_->setParam(LIBFPTR_PARAM_REPORT_TYPE, reportType);
    int rc = 0;
    {
        WaitScope wait(wait_, waitTag);
        rc = driver_->report();
    }
    return succeeded(rc);
}

bool RegisterMenu::closeShift(const CashierLabels& cashier) {
    if (!driver_) return false;
    if (!userCheck(cashier)) return false;
    if (!ensureOpen(registerText::kNoLinkShift)) return false;
    if (!printSettled()) return false;
    driver_->resetError();
    const std::optional<int> shift = queryShiftState();
    if (!shift) return false;
    if (*shift == LIBFPTR_SS_CLOSED) {
        ui::showWarning(registerText::kShiftClosed, parent_);
        return false;
    }
    setCashierTags(cashier);
    if (!succeeded(driver_->operatorLogin())) return false;
    return runReport(LIBFPTR_RT_CLOSE_SHIFT, 2);
}

bool RegisterMenu::xReport(const CashierLabels& cashier) {
    if (!driver_) return false;
    if (!ensureOpen(registerText::kNoLinkX)) return false;
    if (!printSettled()) return false;
    setCashierTags(cashier);
    return runReport(LIBFPTR_RT_X, 1);
}

bool RegisterMenu::prepareCashIncome(const CashierLabels& cashier) {
    if (!driver_) return false;
    if (!ensureOpen(registerText::kNoLinkCashIn)) return false;
    if (!userCheck(cashier)) return false;
    if (!printSettled()) return false;
    const std::optional<int> shift = queryShiftState();
    if (!shift) return false;
    if (*shift == LIBFPTR_SS_CLOSED) {
        ui::showWarning(registerText::kShiftClosedCashIn, parent_);
        return false;
    }
    return true;
}

bool RegisterMenu::cashIncome(Money amount, const CashierLabels& cashier) {
    if (!driver_ || amount.kopecks <= 0) return false;
    if (!printSettled()) return false;
    setCashierTags(cashier);
    driver_->setParam(LIBFPTR_PARAM_SUM, amount.toString());
    return succeeded(driver_->cashIncome());
}

bool RegisterMenu::showDriverVersion() {
    if (!driver_) return false;
    ui::showInfo(registerText::kDriverVersion + driver_->version(), parent_);
    return true;
}

void RegisterMenu::markDisconnected() { setStatus(registerText::kNotConnected, false); }

void RegisterMenu::releaseDriver() {
    if (!driver_) return;
    try {
        driver_->close();
    } catch (...) {
        // The program is ending; nothing more to do with the register.
    }
    driver_.reset();
    setStatus(registerText::kNotConnected, false);
}

}  // namespace sales
