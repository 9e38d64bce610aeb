#pragma once
// "Наименование товара": the name, the kind (subject of calculation) and the
// unit of measure of one receipt position, edited in place. OK writes them
// into the row and closes with Accepted; "ОТМЕНА" changes nothing.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace sales {
class ReceiptModel;
}

class TfmGoodName : public QDialog {
    Q_OBJECT
public:
    // Names are stored as DOCUMENTS_DETAIL.DD_GOOD_NAME: 80 characters.
    static constexpr int kNameMaxLength = 80;

    // `row` is a data row of `receipt`; its texts fill the window.
    TfmGoodName(sales::ReceiptModel& receipt, int row, QWidget* parent = nullptr);
    ~TfmGoodName() override;

    int row() const { return row_; }

    QLineEdit* Edit1;
    QComboBox* ComboBox1;  // the kind
    QComboBox* cmbEdizm;   // the unit of measure
    QPushButton* BitBtn1;  // empties the name
    QPushButton* Button2;  // OK
    QPushButton* Button1;  // "ОТМЕНА"

public slots:
    void Button2Click();
    void BitBtn1Click();

private:
    sales::ReceiptModel& receipt_;
    int row_;
};

// The window while it exists.
extern TfmGoodName* fmGoodName;
