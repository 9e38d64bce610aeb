#pragma once
// The size of the price tags to print: an A4 sheet of tags in one of three
// sizes, or labels in one of six with a number of copies. The modal result
// is the format code (3 to 5, 30 to 35) or 2 for cancel.
#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace catalogue {

class TfmPriceTagSizeSelect : public QDialog {
    Q_OBJECT
public:
    explicit TfmPriceTagSizeSelect(QWidget* parent = nullptr);
    ~TfmPriceTagSizeSelect() override;

    // The copies the labels start with.
    void setCopies(int copies);
    // Valid after the dialog closed with a format code.
    int copies() const { return copies_; }

    void btnOKClick();
    void btnCancelClick();

    QCheckBox* CheckBox1;  // "лист А4"
    QGroupBox* RadioGroup1;
    QCheckBox* CheckBox2;  // "этикетки"
    QGroupBox* RadioGroup2;
    QLineEdit* edCopyCount;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void chooseA4(bool a4);
    void updateActions();

    QButtonGroup* a4Sizes_;
    QButtonGroup* labelSizes_;
    QLabel* lblCopyCount_;
    int copies_ = 1;
};

extern QPointer<TfmPriceTagSizeSelect> fmPriceTagSizeSelect;

}  // namespace catalogue
