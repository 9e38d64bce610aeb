#pragma once
// "Информация по чеку": the sums of the receipt just paid, and the fiscal
// printing of it. With "печатать чек" checked in the payment window the
// receipt prints by itself 100 ms after the window shows; otherwise the
// cashier presses "ПЕЧАТЬ". A receipt the register printed is stored; when
// the window closes after that, the main screen is made ready for the next
// sale. A receipt that was not printed stays on the main screen.
//
// btnPrintCheck's Tag is the print state: 0 not printed, -1 printed, then
// the stored document's DOC_ID.
#include "sales/closing/PaymentSplit.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/ReceiptPrinter.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TfmReg;

namespace fb {
class Connection;
}

namespace sales {

// What the sale windows share from one receipt to the next.
struct SaleServices {
    // The VAT dialog (20 + code, 21..26; anything else cancels).
    VatQuery vatQuery;
    // The database receipts are stored in; nullptr when there is none.
    std::function<fb::Connection*()> database;
    // The buyer's phone or e-mail dialog (TfmTelefon), opened with its Tag.
    std::function<void(QWidget* parent, int tag)> buyerContact;
    // Records the goods-check number of a stored receipt (DOC_ID, the number
    // btnGoodsCheck's Tag holds, prefix) when a goods check was printed from
    // the receipt window.
    std::function<void(int docId, int number, const QString& prefix)> goodsCheckClosed;
    // Opens the goods check of the receipt window (btnGoodsCheck); it sets
    // GoodsCheckPrinted when the print setup opens from its preview.
    std::function<void(QWidget* parent)> goodsCheck;
    // The register dialogue; it remembers a print whose result is unknown.
    ReceiptPrinter printer;
};

// The receipt as the main screen and the payment window hold it now.
PrintJob printJobFromScreen(TfmReg& reg, const PaymentEntered& payment);
// The main screen after a printed receipt: an empty receipt, the default
// kind and tax system, full payment, no buyer, no address.
void resetScreenAfterReceipt(TfmReg& reg, fb::Connection* db);
// The register did not answer: the main screen shows "не подключена" and
// the register menu follows (KKTConnected false).
void showRegisterDisconnected(TfmReg& reg);
// Before a fiscal operation of the register menu: settles the print journal
// (asks the register, stores what it printed) and tells the cashier what was
// stored. True when no print is left unresolved.
// `refusal`, when given, gets the refusal to show when the journal cannot
// be read.
bool settleBeforeRegisterOperation(TfmReg& reg, SaleServices& services, QWidget* parent,
                                   QString* refusal = nullptr);

}  // namespace sales

class TfmCheckInfo : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Информация по чеку");

    TfmCheckInfo(TfmReg& reg, sales::SaleServices& services, const sales::PaymentEntered& payment,
                 QWidget* parent = nullptr);
    ~TfmCheckInfo() override;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // btnPrintCheck's Tag.
    int printState() const;
    // The print-journal record of a printed receipt the database has not
    // taken yet; empty otherwise.
    QString journalRecordId() const { return recordId_; }

    QLabel* lblSumCheck;
    QLabel* lblEl;
    QLabel* lblNal;
    QLabel* lblPrepay;
    QLabel* lblGive;
    QLabel* lblChange;
    QLabel* Label6;
    QLabel* Label7;
    QLineEdit* txtPrefNumber;
    QPushButton* btnPrintCheck;
    QPushButton* btnGoodsCheck;
    QPushButton* btnStoreAgain;
    QPushButton* btnCancel;
    // How far the register got with a long receipt; shown while it prints.
    QProgressBar* pbPrint;
    QTimer* Timer1;
    bool GoodsCheckPrinted = false;

public slots:
    void FormShow();
    void Timer1Timer();
    void btnPrintCheckClick();
    // Stores again a printed receipt the database refused.
    void btnStoreAgainClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setPrintState(int state);
    // Stores the printed receipt of journal record `recordId`; the record
    // goes once the database has committed it.
    void store(const QString& recordId, const sales::PrintJob& job, const sales::FiscalDocumentInfo& document);
    // The journal first: what the register printed earlier is stored before
    // anything new prints. False when this receipt must not print now.
    bool settleJournal(const sales::PrintJob& job);
    void printed(const sales::PrintJob& job, const sales::FiscalDocumentInfo& document, const QString& recordId,
                 const QList<sales::PrintMessage>& messages);
    void showMessage(const sales::PrintMessage& m);
    void FormClose();

    TfmReg& reg_;
    sales::SaleServices& services_;
    sales::PaymentEntered payment_;
    int tag_ = 0;
    bool printing_ = false;
    bool closed_ = false;
    QString recordId_;
    sales::PrintJob unstoredJob_;
    sales::FiscalDocumentInfo unstoredDocument_;
};

extern TfmCheckInfo* fmCheckInfo;
