#pragma once
// The partner picker: working buyers for the buyer details of a receipt,
// or working suppliers for a stock document. Keeps its own connection.
#include "PartnersLogic.h"
#include "platform/db/Connection.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;

namespace catalogue {

class PartnerListModel;

struct PickedPartner {
    int id = 0;
    QString nameFull;
    QString inn;
};

class TfmPartners : public QDialog {
    Q_OBJECT
public:
    TfmPartners(const fb::ConnectionParams& params, PartnerMode mode, QWidget* parent = nullptr);
    ~TfmPartners() override;

    void reload(int selectId = 0);
    int rowCount() const;
    int currentId() const;
    // The row handed over by OK or a double-click.
    const std::optional<PickedPartner>& chosen() const { return chosen_; }

    void Button2Click();

private:
    PartnerMode mode_;
    fb::Connection conn_;
    std::optional<PickedPartner> chosen_;
    QCheckBox* chNameFull;
    QLineEdit* edFilterName;
    QLineEdit* edFilterINN;
    QToolButton* BitBtn1;
    QToolButton* BitBtn2;
    QTimer* Timer1;
    QTableView* DBGrid1;
    QPushButton* Button2;
    QPushButton* Button1;
    PartnerListModel* model_;
};

extern TfmPartners* fmPartners;

}  // namespace catalogue
