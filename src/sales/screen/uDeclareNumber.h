#pragma once
// "Номер таможенной декларации": the customs declaration number of one
// receipt position, typed by the cashier. OK writes the trimmed number into
// the position (an empty one clears it); a number over 32 characters is
// refused. "ЗАКРЫТЬ" changes nothing.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace sales {
class ReceiptModel;
}

class TfmDeclareNumber : public QDialog {
    Q_OBJECT
public:
    TfmDeclareNumber(sales::ReceiptModel& receipt, int row, QWidget* parent = nullptr);
    ~TfmDeclareNumber() override;

    QLineEdit* edDeclareNumber;
    QPushButton* btnOK;
    QPushButton* btnClose;

public slots:
    void btnOKClick();

private:
    sales::ReceiptModel& receipt_;
    int row_;
};

// The window while it exists.
extern TfmDeclareNumber* fmDeclareNumber;
