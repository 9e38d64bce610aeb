#pragma once
// The register menu of the main screen: connecting the fiscal register,
// opening the shift, the X and Z reports and cash-in, over the driver
// interface. It owns the driver object and knows whether the register is
// connected; the window shows what it reports and asks through the message
// service only.
#include "platform/fiscal/FiscalDriver.h"
#include "sales/receipt/Money.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace sales {

// The cashier as the main screen shows it: the post label (Label4), the
// name label (lblUser) and the tax-number label (lblINN).
struct CashierLabels {
    QString post;
    QString name;
    QString inn;
};

// Tag 1021: the post label and the name, each trimmed, one blank between.
QString cashierTagName(const CashierLabels& cashier);
// A cashier the register may record: a name, and not the built-in
// administrator (whose session has no real person behind it).
bool cashierUsable(const CashierLabels& cashier);

// Whole minutes between the two clocks, rounded down, whichever is ahead.
qint64 clockSkewMinutes(const QDateTime& computer, const QDateTime& reg);
// More than ten whole minutes apart: 10 min 59 s still passes, 11 min asks.
bool clockSkewNeedsConfirmation(const QDateTime& computer, const QDateTime& reg);

// The texts of the register menu.
namespace registerText {
inline const QString kNotConnected = QStringLiteral("не подключена");
inline const QString kNoConnection = QStringLiteral("нет подключения");
inline const QString kCannotConnect = QStringLiteral("Не могу подключиться к ККТ.     ");
inline const QString kNoDriver =
    QStringLiteral("Не могу подключиться к драйверу ККТ.     \r\nПроверьте, установлен ли Драйвер ККТ АТОЛ версии 10.     ");
inline const QString kNoLinkShift = QStringLiteral("Нет связи с ККТ.     ");
inline const QString kNoLinkX = QStringLiteral("  Нет связи с ККТ.     ");
inline const QString kNoLinkCashIn = QStringLiteral(" Нет связи с ККТ.     ");
inline const QString kBadUser = QStringLiteral("Некорректные данные пользователя:     \r\n\r\nотсутствуют ФИО.");
inline const QString kShiftOpen = QStringLiteral("Смена в ККТ открыта.     ");
inline const QString kShiftClosed = QStringLiteral("Смена в ККТ закрыта.     ");
inline const QString kShiftClosedCashIn = QStringLiteral(" Смена в ККТ закрыта, операцию выполнить невозможно.     ");
inline const QString kClockSkew = QStringLiteral(
    "Дата/время в ПК и ККТ расходятся более чем на 10 минут!     \r\n\r\nВсё равно открыть смену?     ");
inline const QString kDriverVersion = QStringLiteral(" Версия драйвера ККТ ");
inline const QString kDriverErrorTail = QStringLiteral("     ");
inline const QString kPrintUnresolved = QStringLiteral(
    " Печать предыдущего чека не завершена: ККТ не сообщила, напечатан ли он.     \r\n\r\n"
    " Сначала завершите печать чека: проверьте связь с ККТ     \r\n"
    " и нажмите 'ПЕЧАТЬ' в окне чека (повторно чек напечатан не будет),     \r\n"
    " затем повторите операцию.     ");
}  // namespace registerText

// The wait window shown while a report prints (Tag 1 X report, 2 Z report).
class ReportWaitIndicator {
public:
    virtual ~ReportWaitIndicator() = default;
    virtual void showWait(int tag) = 0;
    virtual void closeWait() = 0;
};

class RegisterMenu {
public:
    using DriverFactory = std::function<std::unique_ptr<fiscal::IFiscalDriver>()>;
    using Clock = std::function<QDateTime()>;
    using StatusListener = std::function<void(const QString& text, bool connected)>;
    // Settles a receipt print whose result the register has not told yet;
    // true when none is left unresolved. Otherwise `refusal` may be set to
    // what the cashier is told instead of the unresolved print.
    using PrintSettler = std::function<bool(QString& refusal)>;

    // The factory makes the driver object; it may throw or return nothing
    // when the driver cannot be created.
    explicit RegisterMenu(DriverFactory factory);
    ~RegisterMenu();

    RegisterMenu(const RegisterMenu&) = delete;
    RegisterMenu& operator=(const RegisterMenu&) = delete;

    // The driver object (KKTDriver); nullptr while none was created.
    fiscal::IFiscalDriver* driver() const { return driver_.get(); }
    bool connected() const { return connected_; }  // KKTConnected
    QString statusText() const { return status_; }  // lblKKT

    void setStatusListener(StatusListener listener) { listener_ = std::move(listener); }
    void setWaitIndicator(ReportWaitIndicator* wait) { wait_ = wait; }
    // The computer's clock; the current time unless a test sets one.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setMessageParent(QWidget* parent) { parent_ = parent; }
    // Every fiscal operation (shift, reports, cash-in) first settles an
    // unresolved receipt print: a document printed meanwhile would make the
    // register's last document number say that receipt was printed.
    void setPrintSettler(PrintSettler settler) { settler_ = std::move(settler); }

    // At the main screen's creation: make the driver, open it and read the
    // register's model and serial number. Shows nothing; the status tells.
    void startAtCreate();
    // "Подключение ККТ": makes the driver when there is none, opens the
    // register and reads its model and serial number.
    bool connectRegister();
    // "Открыть смену".
    bool openShift(const CashierLabels& cashier);
    // "Закрыть смену": the Z report.
    bool closeShift(const CashierLabels& cashier);
    // "X-отчет суточный".
    bool xReport(const CashierLabels& cashier);
    // "Внесение в кассу", first half: the checks before the amount is asked.
    // True when the amount window may open.
    bool prepareCashIncome(const CashierLabels& cashier);
    // Second half: puts the amount into the drawer. An amount of zero sends
    // nothing. A refusal shows the driver's description.
    bool cashIncome(Money amount, const CashierLabels& cashier);
    // " Версия драйвера ККТ " + version; false without a driver object.
    bool showDriverVersion();

    // Printing found the register gone: the one status routine shows "не
    // подключена" and KKTConnected turns false, so the menu follows.
    void markDisconnected();

    // Closes and frees the driver (the program is ending).
    void releaseDriver();
    // The register stopped answering on another channel: shown as not
    // connected, with an empty status, until it is connected again.
    void markNotConnected() { setStatus(QString(), false); }

private:
    bool ensureOpen(const QString& noConnectionText);
    // False (with the reason shown) while a receipt print is unresolved.
    bool printSettled();
    bool userCheck(const CashierLabels& cashier);
    // Status query; the shift state, or nullopt after a refusal (shown).
    std::optional<int> queryShiftState(QDateTime* registerClock = nullptr);
    void setCashierTags(const CashierLabels& cashier);
    // True when the call returning `rc` went through; otherwise the driver's
    // description is shown.
    bool succeeded(int rc);
    bool runReport(int reportType, int waitTag);
    void setStatus(const QString& text, bool connected);
    bool readIdentity();

    DriverFactory factory_;
    std::unique_ptr<fiscal::IFiscalDriver> driver_;
    bool connected_ = false;
    QString status_;
    StatusListener listener_;
    ReportWaitIndicator* wait_ = nullptr;
    Clock clock_;
    QWidget* parent_ = nullptr;
    PrintSettler settler_;
};

}  // namespace sales
