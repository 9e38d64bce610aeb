#pragma once
// The whole register dialogue of one fiscal receipt: status and shift,
// cashier, buyer, receipt type and tax system, one registration per row of
// the hand-over table, the payments, closing, and making sure of what the
// register did. Windows only show what it reports.
//
// Two promises: no receipt is ever left open in the register (everything
// that can be checked is checked before the receipt is opened, and any
// refusal after that cancels it), and no receipt is ever printed twice (when
// closing fails the register is asked whether it fiscalised the document,
// and while that cannot be learned no new receipt is printed).
#include "sales/receipt/Money.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace fiscal {
class IFiscalDriver;
}

namespace sales {

// Everything printing and storing need of one paid receipt, taken from the
// main screen and the payment window when printing starts.
struct PrintJob {
    QString cashierName;  // trimmed lblUser
    int kind = 0;         // 1 sale .. 4 purchase return
    int paymentFlag = 4;  // tag 1214
    int taxSystemCode = -1;
    bool legalEntity = false;  // chLE
    QString buyerName;
    QString buyerInn;
    QString buyerContact;  // trimmed edTelefon: e-mail or "+7..." phone
    QString ourEmail;      // trimmed edOurEmail
    QString refundedFiscalSign;  // trimmed edFPD
    QList<QStringList> lines;    // the hand-over table
    QString totalText;           // trimmed lblSumCheck
    Money total;
    Money cash;
    Money card;
    Money prepay;
};

// The last fiscal document as the register reports it.
struct FiscalDocumentInfo {
    int number = 0;
    QString fiscalSign;
    QDateTime dateTime;
    bool read = false;  // false: the register could not be asked (values are empty)
};

struct PrintMessage {
    enum class Kind { Error, Plain, Warning, Information };
    QString text;
    Kind kind = Kind::Error;
};

struct PrintOutcome {
    enum class State {
        NotPrinted,  // nothing was fiscalised; the receipt may be printed again
        Printed,     // the register fiscalised `job`: store it
        Unknown,     // the register could not say; nothing new prints until it can
    };
    State state = State::NotPrinted;
    QList<PrintMessage> messages;  // to show, in order
    bool connectionLost = false;   // the main screen shows "не подключена"
    PrintJob job;                  // the receipt the state is about
    FiscalDocumentInfo document;   // for Printed
    // NotPrinted after the register took the receipt: whatever went wrong
    // happened with a document open, so the window offers no second try.
    bool afterOpen = false;
    // A different receipt, whose print was left unresolved earlier, turned
    // out printed: it is stored on its own; the one handed in was not printed.
    struct Earlier {
        PrintJob job;
        FiscalDocumentInfo document;
    };
    std::optional<Earlier> earlier;
};

// The job as kept in files (unstored receipts, an unresolved print).
QJsonObject printJobToJson(const PrintJob& job);
PrintJob printJobFromJson(const QJsonObject& o);
// Whether two jobs are the same receipt: what the register is sent and paid.
bool sameReceipt(const PrintJob& a, const PrintJob& b);
// "<folder>/UnresolvedPrint.json": a print whose result the register has not
// told yet, kept so that a restart neither loses nor repeats it.
QString unresolvedPrintPath(const QString& folder);

// ---- Texts ---------------------------------------------------------------
namespace printText {
inline const QString kBadUser = QStringLiteral("Некорректные данные пользователя:     \r\n\r\nотсутствуют ФИО.");
inline const QString kNoLink = QStringLiteral("Нет связи с ККТ.     ");
inline const QString kShiftClosed = QStringLiteral(" Смена в ККТ закрыта. Откройте смену.     ");
inline const QString kShiftExpired = QStringLiteral(" Смена в ККТ превысила 24 часа.     ");
inline const QString kNotClosed =
    QStringLiteral(" При печати чека произошла ошибка:     \r\n  Чек в ККТ не закрылся и будет отменен.     ");
inline const QString kNoDriver = QStringLiteral(
    " Сбой в работе программы: отсутствует объект драйвера ККК.     \r\n\r\nПерезапустите программу и продолжите "
    "работу.     \r\n\r\n При повторении ошибки сообщите о проблеме разработчику программы.     ");
// The payment window's shift texts (its "closed" text has no leading blank).
inline const QString kPayShiftClosed = QStringLiteral("Смена в ККТ закрыта. Откройте смену.     ");
inline const QString kPayShiftExpired = QStringLiteral(" Смена в ККТ превысила 24 часа.     ");
}  // namespace printText

// " При печати чека произошла ошибка. ... Ответ драйвера: '...' ... Чек не
// будет записан в Базу Данных."
QString printErrorText(const QString& driverDescription);

// The payment window's register check before a receipt goes to print: a
// driver object, a connection, an open shift of less than 24 hours.
struct RegisterCheck {
    bool ok = false;
    QString message;
    bool connectionLost = false;
};
RegisterCheck checkRegisterBeforePayment(fiscal::IFiscalDriver* driver);

// Driver constants of the program's codes; nullopt for a code the register
// has no constant for.
std::optional<int> receiptTypeOf(int kind);
std::optional<int> taxSystemOf(int taxSystemCode);
std::optional<int> vatTypeOf(int vatCode);

// Why row `row` (1-based) of the hand-over table cannot be registered:
// a name (unless an advance), a mark type, a VAT code under the general
// system, a measure code, a price and quantity, a subject code and, for a
// marked row, its code data, and every value fitting its database column.
// Empty when it can.
QString rowProblem(const QStringList& line, int row, int paymentFlag, int taxSystemCode);

// Whether a product code is sent with an unmarked row: not for in-store and
// weight codes (13 digits beginning with 20..29 once leading zeros are gone).
bool sendsProductCode(const QString& code);

class ReceiptPrinter {
public:
    // An unresolved print is remembered in memory only.
    ReceiptPrinter() = default;
    // An unresolved print is also kept in unresolvedPrintPath(folder); one an
    // earlier run left there is taken up.
    explicit ReceiptPrinter(const QString& stateFolder);

    // Prints `job`. When an earlier print was left unresolved, the register is
    // asked about that one first. Printed and the same receipt as `job`: the
    // outcome is Printed and nothing prints again. Printed but a different
    // receipt: NotPrinted with `earlier` set (to be stored) and `job` is not
    // printed, so the cashier sees what happened before anything prints. Surely
    // not printed: `job` is printed as usual.
    PrintOutcome print(fiscal::IFiscalDriver* driver, const PrintJob& job);

    // Asks the register about an unresolved print without printing anything:
    // Unknown while it cannot tell; otherwise NotPrinted, with `earlier` set
    // when that receipt was printed. Nothing to do without an unresolved print.
    PrintOutcome resolveUnresolved(fiscal::IFiscalDriver* driver);

    // A print whose result the register could not tell yet.
    bool hasUnresolved() const { return pending_.has_value(); }
    QString stateFolder() const { return stateFolder_; }

private:
    struct Pending {
        int documentBefore = 0;
        PrintJob job;
        QString driverDescription;
    };

    // Remembers (or forgets) the unresolved print, in the state file too.
    // False when the state file could not be written.
    bool setPending(std::optional<Pending> pending);
    void loadPending();

    PrintOutcome printNew(fiscal::IFiscalDriver& kkt, const PrintJob& job);
    // The register's word on the unresolved print; `document` is set when
    // it was printed. False while it cannot tell (`o` then says why).
    bool resolvePending(fiscal::IFiscalDriver& kkt, PrintOutcome& o, std::optional<FiscalDocumentInfo>* printed);
    // After a failed close: what the register's last document says.
    PrintOutcome afterFailedClose(fiscal::IFiscalDriver& kkt, const PrintJob& job, int documentBefore,
                                  const QString& description, std::optional<bool> documentClosed);

    QString stateFolder_;
    std::optional<Pending> pending_;
};

}  // namespace sales
