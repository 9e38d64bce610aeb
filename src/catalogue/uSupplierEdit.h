#pragma once
// The card of one counterparty: new (mode 1), edit (2) or view (3).
#include "PartnersLogic.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace fb {
class Connection;
}

namespace catalogue {

class TfmSuppliers;

class TfmSupplierEdit : public QDialog {
    Q_OBJECT
public:
    // `directory` is the window that opened the card, or nullptr.
    TfmSupplierEdit(fb::Connection& db, TfmSuppliers* directory, QWidget* parent = nullptr);
    ~TfmSupplierEdit() override;

    void setMode(int mode, const SupplierCard& card);
    int mode() const { return mode_; }
    int supplierId() const { return id_; }
    SupplierCard card() const;

    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    fb::Connection& db_;
    TfmSuppliers* directory_;
    int mode_ = 1;
    int id_ = 0;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QCheckBox* CheckBox1;
    QCheckBox* chSupplier;
    QCheckBox* chBuyer;
    QPushButton* Button2;
    QPushButton* Button1;
};

extern TfmSupplierEdit* fmSupplierEdit;

}  // namespace catalogue
