#pragma once
// "Покупатель": the receipt's buyer, name and tax number. OK names the
// buyer (or removes it when the name is empty) and closes; a refusal keeps
// the window open and the screen's buyer as it was. "ЗАКРЫТЬ" changes nothing.
#include "sales/screen/BuyerLogic.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class TfmReg;

class TfmBuyerData : public QDialog {
    Q_OBJECT
public:
    // Starts with the screen's current buyer; `picker` serves the "..." button.
    TfmBuyerData(TfmReg& reg, sales::BuyerPicker picker, QWidget* parent = nullptr);
    ~TfmBuyerData() override;

    QLineEdit* edBuyerName;
    QLineEdit* edBuyerINN;   // digits only
    QPushButton* btnSelect;  // "...": the buyers' list
    QPushButton* btnClear;
    QPushButton* btnOK;
    QPushButton* btnClose;

public slots:
    void btnOKClick();
    void btnClearClick();
    void btnSelectClick();

private:
    TfmReg& reg_;
    sales::BuyerPicker picker_;
};

// The window while it exists.
extern TfmBuyerData* fmBuyerData;
