#pragma once
// "Укажите ставку НДС": asks the VAT rate of a position. OK answers 20 + the
// VAT code (21..26) as the modal result; "ОТМЕНА" answers Rejected, nothing
// chosen. No rate is offered in advance: the cashier picks one. The question
// itself (which row it is about) is a label inside the window, so it is read
// also where a window has no title bar.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class TfmQueryTaxRate : public QDialog {
    Q_OBJECT
public:
    explicit TfmQueryTaxRate(QWidget* parent = nullptr);
    ~TfmQueryTaxRate() override;

    // "Укажите ставку НДС" until setPrompt() names the row.
    void setPrompt(const QString& prompt);

    QLabel* Label1;
    QComboBox* cmbTaxRate;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    void btnOKClick();

private:
    void updateActions();
};

// The window while it exists.
extern TfmQueryTaxRate* fmQueryTaxRate;

// Asks the VAT rate modally (the window is made for the question and freed
// after it): 21..26 for VAT codes 1..6, 0 when the cashier chose none.
// `prompt` replaces the label's question when given.
int queryTaxRate(QWidget* parent = nullptr, const QString& prompt = {});
