#pragma once
// What the register remembers: the shift, its counters, the last fiscal
// document, the cash in the drawer, the receipt being built and the marking
// codes the fiscal drive has accepted. It is kept in a JSON file written
// atomically after every change, except that the positions of the open
// receipt go to a log beside it (RegisterLog), so a restart finds it as it was.
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace fiscal {

struct ReceiptPosition {
    QString name;
    qint64 price = 0;     // kopecks
    qint64 quantity = 0;  // thousandths
    qint64 sum = 0;       // kopecks
    int taxType = 0;      // LIBFPTR_TAX_*
    int measurementUnit = 0;
    QString productCode;
    QString markingCode;
    QString fractionalQuantity;
};

struct ReceiptPayment {
    int type = 0;  // LIBFPTR_PT_*
    qint64 sum = 0;
};

struct OpenReceipt {
    int type = 0;  // LIBFPTR_RT_SELL...
    int taxSystem = 0;
    QString buyerContact;
    QString buyerName;
    QString buyerInn;
    QString refundedFiscalSign;
    QList<ReceiptPosition> positions;
    QList<ReceiptPayment> payments;

    qint64 total() const;
    qint64 paid(int paymentType) const;
    qint64 paidTotal() const;
};

struct FiscalDocument {
    int number = 0;
    QString fiscalSign;
    QDateTime dateTime;
    int receiptType = 0;  // LIBFPTR_RT_SELL...; 0 for a shift or report document
    qint64 sum = 0;       // kopecks: the receipt's total
};

// A fiscal document as it goes on paper, kept until the tape has it.
struct TapeDocument {
    int number = 0;
    QStringList lines;
};

// Sums of the shift by receipt type, for the X and Z reports.
struct ShiftTotals {
    qint64 sell = 0;
    qint64 sellReturn = 0;
    qint64 buy = 0;
    qint64 buyReturn = 0;
    qint64 cashIncome = 0;
    int receipts = 0;
};

struct RegisterState {
    QString serialNumber;
    // Counts the writes of the whole state file; the positions logged beside
    // it (RegisterLog) name the generation they extend.
    qint64 generation = 0;
    int shiftNumber = 0;  // the current shift, or the last one when closed
    bool shiftOpen = false;
    QDateTime shiftOpenedAt;
    int receiptsInShift = 0;
    FiscalDocument lastDocument;  // number 0: nothing has been printed yet
    qint64 cash = 0;              // kopecks in the drawer
    QString cashierName;
    QString cashierInn;
    std::optional<OpenReceipt> receipt;
    ShiftTotals totals;
    QStringList acceptedMarkingCodes;
    // Fiscal documents, oldest first, that may not be on the tape yet: each
    // goes in with the state change that fiscalises it, so that a tape that
    // failed, or a power cut before the paper, loses none of them.
    QList<TapeDocument> untaped;
};

QJsonObject toJson(const RegisterState& state);
QJsonObject positionToJson(const ReceiptPosition& position);
ReceiptPosition positionFromJson(const QJsonObject& json);
RegisterState stateFromJson(const QJsonObject& json);

// What the state file holds. A file that exists but is no state (cut short,
// garbled, without the register's serial number) is Unreadable: it is never
// taken for a new register, which would number documents from the start again.
struct StateFile {
    enum class Status { Missing, Loaded, Unreadable };
    Status status = Status::Missing;
    RegisterState state;  // for Loaded
    QString error;        // for Unreadable: why
};
StateFile readStateFile(const QString& path);

// nullopt when the file does not exist or cannot be read as a state.
std::optional<RegisterState> loadState(const QString& path, QString* error = nullptr);
// Writes the whole file or leaves the previous one untouched.
bool saveState(const QString& path, const RegisterState& state, QString* error = nullptr);

}  // namespace fiscal
