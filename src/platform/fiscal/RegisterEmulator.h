#pragma once
// A register that lives on this computer: it keeps a shift, counters, cash,
// fiscal documents and marking-code checks like the device does, refuses
// every misuse with a code and a text, remembers its state in the program
// folder and prints its documents to a tape file there.
//
// Every call is serialised by one mutex, so marking-code validation may be
// started from a worker thread while the window thread waits.
#include "platform/fiscal/FiscalDriver.h"
#include "platform/fiscal/MarkingValidation.h"
#include "platform/fiscal/RegisterLog.h"
#include "platform/fiscal/RegisterState.h"
#include "platform/fiscal/RegisterTape.h"

#include <QHash>
#include <QList>
#include <QPair>

#include <atomic>
#include <mutex>
#include <optional>

namespace fiscal {

// Parameters in the order they were set; setting an id again replaces its value.
struct ParamList {
    QList<QPair<int, QVariant>> items;

    void set(int id, const QVariant& value);
    bool has(int id) const;
    QVariant value(int id) const;
    bool isEmpty() const { return items.isEmpty(); }
};

// One method call: its name, the parameters it received, the error it set.
struct JournalEntry {
    QString method;
    ParamList params;
    int errorCode = 0;
};

class RegisterEmulator final : public IFiscalDriver {
public:
    static inline const QString kModelName = QStringLiteral("Эмулятор ККТ");
    static inline const QString kStateFileName = QStringLiteral("fiscal_register.json");
    static inline const QString kTapeFileName = QStringLiteral("tape.txt");
    // The positions of the open receipt since the state file was last written.
    static inline const QString kLogFileName = QStringLiteral("fiscal_register.log");
    // The calls journal() keeps at least: the newest ones, so that a till
    // running for days does not grow with every receipt.
    static constexpr qsizetype kJournalKept = 1024;

    explicit RegisterEmulator(const QString& folder);
    ~RegisterEmulator() override = default;

    RegisterEmulator(const RegisterEmulator&) = delete;
    RegisterEmulator& operator=(const RegisterEmulator&) = delete;

    int open() override;
    int close() override;
    bool isOpened() const override;
    QString version() const override;

    int errorCode() const override;
    QString errorDescription() const override;
    int resetError() override;

    int queryData() override;
    int fnQueryData() override;

    int operatorLogin() override;
    int openShift() override;
    int report() override;
    int cashIncome() override;

    int openReceipt() override;
    int cancelReceipt() override;
    int registration() override;
    int payment() override;
    int closeReceipt() override;
    int checkDocumentClosed() override;

    int beginMarkingCodeValidation() override;
    int getMarkingCodeValidationStatus() override;
    int acceptMarkingCode() override;
    int declineMarkingCode() override;
    int cancelMarkingCodeValidation() override;
    int clearMarkingCodeValidationResult() override;

    int utilFormTlv() override;

    // ---- for tests and for trying the program ----
    // The register's clock runs this many seconds ahead of the computer's.
    void setClockOffset(qint64 seconds);
    QDateTime now() const;
    // The next call (or every call) of the named method is refused with this code and text.
    void failNext(const QString& method, int code, const QString& text);
    void failAlways(const QString& method, int code, const QString& text);
    void clearFailures();
    // The calls made since clearJournal(), at most the newest kJournalKept
    // and a little more.
    QList<JournalEntry> journal() const;
    void clearJournal();
    // What validating this code yields; other codes get the default script.
    void scriptMarkingCode(const QString& code, const MarkingScript& script);
    void setDefaultMarkingScript(const MarkingScript& script);
    // beginMarkingCodeValidation takes this long, as the device does.
    void setValidationStartDelay(int milliseconds);
    RegisterState state() const;
    // Why the register cannot be connected (its state file is damaged); empty when it can.
    QString fault() const;
    QString statePath() const { return statePath_; }
    QString logPath() const { return log_.path(); }
    QString tapePath() const { return tape_.path(); }

protected:
    void storeParam(int id, const QVariant& value) override;
    QVariant outputParam(int id) const override;

private:
    // One method call in progress: holds the lock and the inputs it consumed.
    struct Call {
        std::unique_lock<std::mutex> lock;
        ParamList in;
        bool refused = false;
    };
    struct Failure {
        int code = 0;
        QString text;
    };

    Call enter(const char* method, bool needsConnection = true);
    int refuse(int code, const QString& text);
    // Writes `next` whole as the register's state (the log is emptied);
    // false: refused, nothing changed.
    bool commit(const RegisterState& next);
    void journalCall(const QString& method, const ParamList& in);
    void printTape(const QStringList& lines);
    // Refuses (a printer fault) when the tape cannot be written: a document
    // is fiscalised only when it can also go on paper.
    bool tapeReady();
    // Puts every fiscal document the state holds and the tape lacks on the
    // tape, in order.
    void completeTape();
    // Prints the documents waiting for the paper, oldest first, stopping at
    // the first the tape refuses; false then. `current` is printed as it
    // is, the others as late prints.
    bool flushTape(int current);
    // Commits `next`, whose last document is new, with that document's
    // paper waiting in it (false: refused, nothing changed).
    bool commitDocument(RegisterState& next, const QStringList& lines);
    // 0 once every waiting document is on the tape, else a printer fault
    // naming those that are not (they stay fiscalised).
    int paperResult();
    int shiftState() const;
    int refuseUnlessShiftUsable();
    // Reads the state file into state_, or sets fault_ when it is damaged;
    // a missing file makes a new register. False on a fault.
    bool takeUpStateFile();
    // Adds what the log holds to the state just read and writes it whole.
    void takeUpLog();
    static QString stateFaultText(const QString& path);
    FiscalDocument nextDocument(qint64 sum) const;
    void takeCashier(RegisterState& next, const ParamList& in) const;

    mutable std::mutex mutex_;
    QString statePath_;
    RegisterLog log_;
    RegisterTape tape_;
    RegisterState state_;
    QString fault_;  // non-empty: the state file is damaged and nothing is written
    bool opened_ = false;
    ParamList inputs_;
    QHash<int, QVariant> outputs_;
    int errorCode_ = 0;
    QString errorText_;
    QList<JournalEntry> journal_;
    QHash<QString, Failure> failOnce_;
    QHash<QString, Failure> failAlways_;
    std::optional<MarkingValidation> validation_;
    QHash<QString, MarkingScript> markingScripts_;
    MarkingScript defaultMarkingScript_;
    std::atomic<qint64> clockOffset_{0};
    std::atomic<int> validationStartDelay_{0};
};

}  // namespace fiscal
