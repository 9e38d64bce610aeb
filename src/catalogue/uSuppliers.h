#pragma once
// The counterparty directory: suppliers and buyers with their filters; adds,
// edits, shows and deletes them. Lists over its own connection and writes
// through the program's.
#include "PartnersLogic.h"
#include "platform/db/Connection.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;

namespace catalogue {

class PartnerListModel;

class TfmSuppliers : public QDialog {
    Q_OBJECT
public:
    TfmSuppliers(const fb::ConnectionParams& params, fb::Connection& writeDb, QWidget* parent = nullptr);
    ~TfmSuppliers() override;

    // The filters as the boxes and fields hold them.
    SuppliersFilter filter() const;
    // Sets every box and field without reloading.
    void presetFilter(const SuppliersFilter& f);

    // Lists again and returns to `selectId` (or the first row).
    void LoadSuppliersList(int selectId = 0);
    int rowCount() const;
    int idAt(int row) const;
    int currentId() const;
    bool rowGrey(int row) const;

    void btnAddClick();
    void btnEditClick();
    void Button1Click();
    void DBGrid1DblClick();

    // The card tells the directory what it saved.
    void showSaved(const SupplierCard& saved);

private:
    void boxToggled();
    void openCard(int mode);
    SupplierCard cardOfCurrent() const;

    fb::Connection conn_;
    fb::Connection& writeDb_;
    QCheckBox* chSuppliers;
    QCheckBox* chBuyers;
    QCheckBox* chWorkOnly;
    QCheckBox* chNameFull;
    QLineEdit* edFilterName;
    QLineEdit* edFilterINN;
    QToolButton* btnClearFN;
    QToolButton* btnClearFINN;
    QTimer* Timer1;
    QTableView* DBGrid1;
    QPushButton* btnAdd;
    QPushButton* btnEdit;
    QPushButton* Button1;
    QPushButton* btnClose;
    PartnerListModel* model_;
};

extern TfmSuppliers* fmSuppliers;

}  // namespace catalogue
