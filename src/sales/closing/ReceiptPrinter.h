#pragma once
// The whole register dialogue of one fiscal receipt: status and shift,
// cashier, buyer, receipt type and tax system, one registration per row of
// the hand-over table, the payments, closing, and making sure of what the
// register did. Windows only show what it reports.
//
// Two promises: no receipt is ever left open in the register (everything
// that can be checked is checked before the receipt is opened, and any
// refusal after that cancels it), and no receipt is ever lost or printed
// twice: the whole job goes into the print journal before the register
// opens the receipt, the document's number and fiscal sign after it closed,
// and while the register cannot say what became of a record nothing new is
// printed.
#include "sales/closing/PrintJob.h"
#include "sales/closing/PrintJournal.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace fiscal {
class IFiscalDriver;
}

namespace sales {

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
    FiscalDocumentInfo document;   // for Printed; see documentKnown()
    // The journal record of `job` (Printed, Unknown): removed by whoever
    // commits the receipt to the database.
    QString recordId;
    // Unknown: the unresolved print is the very sale handed in, so asking
    // again is the way on; otherwise another receipt waits to be settled.
    bool unresolvedIsThisSale = false;
    // NotPrinted after the register took the receipt: whatever went wrong
    // happened with a document open, so the window offers no second try.
    bool afterOpen = false;
    // A different receipt, whose print was left unresolved earlier, turned
    // out printed: it is stored on its own; the one handed in was not printed.
    struct Earlier {
        PrintJob job;
        FiscalDocumentInfo document;
        QString recordId;
    };
    std::optional<Earlier> earlier;
};

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

// The register could not say whether it printed; nothing prints until it can.
QString unresolvedPrintText(const QString& driverDescription);
// An unresolved print of this sale turned out printed: it is this receipt.
QString earlierPrintedText(int number);
// An unresolved print of another sale turned out printed and is stored;
// the receipt on the screen is not printed.
QString earlierOtherPrintedText(int number);

// The register's last fiscal document (number, fiscal sign, time, receipt
// type and total); nullopt when it could not be read.
std::optional<FiscalDocumentInfo> readLastDocument(fiscal::IFiscalDriver& kkt);
// True when the register holds an open receipt (false also when it cannot say).
bool receiptOpenInRegister(fiscal::IFiscalDriver& kkt);

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
    // The journal is kept in memory only.
    ReceiptPrinter() = default;
    // The journal is "<folder>/PrintJournal.json"; what an older version
    // left in the folder is taken into it.
    explicit ReceiptPrinter(const QString& stateFolder);

    // Prints `job`. Records of the journal the register must be asked about
    // are asked first (nothing is stored here): while one stays unknown the
    // outcome is Unknown and nothing prints. One of this same sale found
    // printed: the outcome is Printed with that record (its job, with the
    // split it was paid with) and nothing prints again. One of another sale
    // found printed: NotPrinted with `earlier` set (to be stored), and `job`
    // is not printed, so the cashier sees what happened first.
    PrintOutcome print(fiscal::IFiscalDriver* driver, const PrintJob& job);

    // Asks the register about the journal without printing anything:
    // Unknown while it cannot tell; otherwise NotPrinted, with `earlier` set
    // when a record turned out printed.
    PrintOutcome resolveUnresolved(fiscal::IFiscalDriver* driver);

    // Told between the steps of a print: `done` of `total` positions are
    // registered. A window shows it and keeps painting; it must not reach
    // the register or the journal.
    using Progress = std::function<void(int done, int total)>;
    void setProgress(Progress progress) { progress_ = std::move(progress); }

    // A print the register refused at some step: the next one starts clean.
    bool startsClean() const { return startClean_; }

    // A print whose result the register has not told yet.
    bool hasUnresolved() const { return journal_.blocked(); }
    QString stateFolder() const { return journal_.folder(); }
    PrintJournal& journal() { return journal_; }

private:
    PrintOutcome printNew(fiscal::IFiscalDriver& kkt, const PrintJob& job);
    PrintOutcome printOnRegister(fiscal::IFiscalDriver& kkt, const PrintJob& job);
    // Sends the marking codes of `job` to the register's check again and
    // takes them; the refusal to show, or empty.
    QString resendMarkingCodes(fiscal::IFiscalDriver& kkt, const PrintJob& job);
    void tell(int done, int total) const {
        if (progress_) progress_(done, total);
    }
    // After a failed close: what the register's last document says.
    PrintOutcome afterFailedClose(fiscal::IFiscalDriver& kkt, JournalRecord record, const QString& description,
                                  std::optional<bool> documentClosed);

    PrintJournal journal_;
    Progress progress_;
    // After a refusal the register may have dropped what it held for the
    // receipt (the codes it had accepted for it go with a cancelled one):
    // the next attempt cancels and sends everything again.
    bool startClean_ = false;
};

}  // namespace sales
