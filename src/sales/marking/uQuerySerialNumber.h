#pragma once
// The scan window of a marked unit ("Отсканируйте DataMatrix"): it collects
// the scanner's keys, decides when the scan has ended, checks the code for
// the mark type, matches it to the goods, refuses a code already in the
// receipt, asks for the fraction of a pack where the goods allows it, and has
// the register validate the code. It closes with OK only when all of that
// succeeded; the caller then adds the position.
#include "sales/input/GoodsLookup.h"
#include "sales/marking/FractionalCount.h"
#include "sales/marking/MarkCodeFormat.h"
#include "sales/receipt/ReceiptRules.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace sales {
class ReceiptModel;
}

namespace sales::marking {

// The fraction of a pack chosen for the unit; 0/0 for a whole unit.
using MarkFraction = sales::Fraction;

// What the register said of an accepted code.
struct MarkValidation {
    bool accepted = false;
    int status = 0;        // planned status sent (MarkCodeStatus)
    int onlineResult = 0;  // MarkOnlineResult
};

// The unit that was accepted: the program's marking state of one code.
struct MarkedScan {
    QString code;       // MarkCode, with GS separators; empty without a code
    QString gtin;       // MarkGtin
    QString serial;     // MarkSerial; empty for tobacco sold without a code
    QString mrpText;    // MarkMrpText
    std::int64_t mrp = 0;  // MarkMrp in kopecks
    QString priceText;  // MarkPriceText: the unit price of a tobacco position
    int codeKind = NoKind;
    MarkFraction fraction;
    MarkValidation validation;
    bool withoutCode() const { return code.isEmpty(); }
};

// The fraction question: pack count, goods name, caption of the mark type;
// nullopt when the cashier did not confirm.
using FractionQuestion =
    std::function<std::optional<MarkFraction>(int packCount, const QString& name, const QString& caption,
                                              QWidget* parent)>;
// TfmQueryFractionalCount, modal.
std::optional<MarkFraction> askFractionInWindow(int packCount, const QString& name, const QString& caption,
                                                QWidget* parent);
// Validation of a normalised code through the register with the window as
// owner.
using MarkValidator =
    std::function<MarkValidation(const QString& code, const MarkFraction& fraction, QWidget* owner)>;
// The register's Open: 0 or above when it answers.
using RegisterOpen = std::function<int()>;
// The register did not answer: the main screen shows it as not connected.
using RegisterLost = std::function<void()>;

struct QuerySerialSetup {
    int markType = 0;                // the window's Tag
    FoundGoods goods;                // the goods record handed over
    QStringList barcodes;            // every barcode of the goods
    QString dbPrice;                 // memPrice
    bool withoutCodeAllowed = false; // CheckBox1 enabled
    const ReceiptModel* receipt = nullptr;
    const QList<QStringList>* markedItems = nullptr;
    TobaccoPriceSetting tobaccoSetting;
    FractionQuestion askFraction;
    MarkValidator validate;
    RegisterOpen openRegister;
    RegisterLost registerLost;
};

class TfmQuerySerialNumber : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Отсканируйте DataMatrix");
    static inline const QString kNoStoredGtin = QStringLiteral("xxxxxxxxxxxxxx");

    explicit TfmQuerySerialNumber(QuerySerialSetup setup, QWidget* parent = nullptr);
    ~TfmQuerySerialNumber() override;

    int Tag() const { return setup_.markType; }
    // The accepted unit (valid after OK).
    const MarkedScan& scanned() const { return result_; }

public slots:
    // The end of a scan. From the timer the scan is evaluated at once; from
    // anyone else (the key router's Enter) the rest of the scanner's keys
    // are drained first, so nothing of the scan reaches another window.
    void Timer1Timer();
    void btnOKClick();

public:
    // Enter while a scan is in progress, where no key router takes it.
    void scanEndKey();

    QLineEdit* Edit1;
    QLineEdit* EdEng;
    QLabel* lblGTIN;
    QLabel* lblGoodName;
    QLabel* lblSerialGTIN;
    QLabel* lblMaxRetailPrice;
    QLabel* lblMaxPriceGTIN;
    QLabel* Label3;
    QLineEdit* memPrice;
    QCheckBox* CheckBox1;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QTimer* Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void FormShow();
    void keyArrived(QKeyEvent* event);
    void evaluate(const QString& scan);
    void updateActions();

    QuerySerialSetup setup_;
    MarkedScan result_;
    int layoutId_ = 0;
    bool timerPending_ = false;  // Timer1's Tag
    bool evaluating_ = false;    // a scan is being checked or validated
    bool closeAllowed_ = true;
};

// Shows the window modally for `setup`; the accepted unit, or nullopt when
// the cashier cancelled.
std::optional<MarkedScan> querySerialNumber(QuerySerialSetup setup, QWidget* parent);

}  // namespace sales::marking
