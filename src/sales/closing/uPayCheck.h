#pragma once
// "Расчет с покупателем": takes the payment for a closed receipt. The total
// is split into cash, card and prepayment (the split rules are in
// PaymentSplit), the cash handed over by the buyer gives the change, and
// "ОК" checks the register's shift before the receipt window prints. The
// window's Tag is the receipt kind; its caption is set by the caller.
#include "sales/closing/PaymentSplit.h"

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TfmReg;

namespace sales {
struct SaleServices;
}

class TfmPayCheck : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("Расчет с покупателем");
    // What happens once the payment is accepted: by default the receipt
    // window opens modally with it.
    using HandOver = std::function<void(const sales::PaymentEntered&)>;

    TfmPayCheck(TfmReg& reg, sales::SaleServices& services, QWidget* parent = nullptr);
    ~TfmPayCheck() override;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    void setHandOver(HandOver handOver) { handOver_ = std::move(handOver); }
    const sales::PaymentSplit& split() const { return split_; }

    QGroupBox* GroupBox1;
    QLineEdit* Memo1;       // cash
    QLineEdit* Memo2;       // card
    QLineEdit* memoPrePay;  // prepayment
    QLineEdit* Memo3;       // cash handed over
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* chPrePay;
    QCheckBox* CheckBox3;   // "печатать чек"
    QLabel* ImgArrowNal;
    QLabel* imgArrowBeznal;
    QLabel* ImgArrowPrePay;
    QLabel* imgArrowFromBuyer;
    QLabel* lblCheckSumm;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label7;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button8;
    QPushButton* Button9;
    QPushButton* Button10;
    QPushButton* Button11;
    QPushButton* BitBtn2;  // backspace
    QPushButton* BitBtn3;  // clear the active field
    QPushButton* btnClearGet;
    QPushButton* pan10rub;
    QPushButton* pan50rub;
    QPushButton* pan100rub;
    QPushButton* pan200rub;
    QPushButton* pan500rub;
    QPushButton* pan1000rub;
    QPushButton* pan2000rub;
    QPushButton* pan5000rub;
    QPushButton* Button12;  // "ОК"
    QPushButton* Button13;  // "ОТМЕНА"
    QAction* MTelefon;

public slots:
    void FormShow();
    void Button12Click();
    void Button13Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* editOf(sales::PayField field) const;
    sales::PayField fieldOf(QObject* object) const;
    void typeIntoActive(const QString& keys);
    void boxClicked(sales::PayField field, bool on);
    void showContact();
    void openContactDialog(int tag);
    // Every control from the split: texts, checks, arrows, ОК.
    void updateActions();

    TfmReg& reg_;
    sales::SaleServices& services_;
    sales::PaymentSplit split_;
    HandOver handOver_;
    int tag_ = 0;
};

extern TfmPayCheck* fmPayCheck;
