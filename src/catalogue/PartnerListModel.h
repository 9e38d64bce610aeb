#pragma once
// The counterparty lists of the directory and the picker: rows fetched
// lazily, a row that does not work drawn in the system's grey text, the
// wheel stepping one row, and a reload that comes back to the same key.
#include "platform/ui/QueryTableModel.h"

#include <QObject>

class QTableView;

namespace catalogue {

class PartnerListModel : public ui::QueryTableModel {
public:
    using ui::QueryTableModel::QueryTableModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Makes `view` show `model` as the partner lists do (whole rows, no column
// dragging, vertical scroll bar only, the wheel moving one row).
void setUpPartnerGrid(QTableView* view, PartnerListModel* model);

// The SU_ID of the view's current row, 0 when there is none.
int currentPartnerId(const QTableView* view, const PartnerListModel* model);
// Makes the row of `id` current when it is listed, else the first row.
void selectPartner(QTableView* view, PartnerListModel* model, int id);

}  // namespace catalogue
