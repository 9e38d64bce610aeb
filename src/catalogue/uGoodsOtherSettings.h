#pragma once
// Other goods settings: the list of weight-barcode prefixes in one line.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace fb {
class Connection;
}

namespace catalogue {

class TfmGoodsOtherSettings : public QDialog {
    Q_OBJECT
public:
    explicit TfmGoodsOtherSettings(fb::Connection& db, QWidget* parent = nullptr);
    ~TfmGoodsOtherSettings() override;

    void btnSetClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    fb::Connection& db_;
    QLineEdit* LabeledEdit1;
    QPushButton* btnSet;
    QPushButton* btnCancel;
};

extern TfmGoodsOtherSettings* fmGoodsOtherSettings;

}  // namespace catalogue
