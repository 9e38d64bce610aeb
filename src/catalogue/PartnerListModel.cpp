#include "PartnerListModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableView>
#include <QWheelEvent>

#include <algorithm>

namespace catalogue {

namespace {

class WheelStep : public QObject {
public:
    WheelStep(QTableView* view) : QObject(view), view_(view) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Wheel) return false;
        const int rows = view_->model() ? view_->model()->rowCount() : 0;
        if (rows > 0) {
            const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
            const int row = std::clamp(view_->currentIndex().row() + step, 0, rows - 1);
            view_->setCurrentIndex(view_->model()->index(row, 0));
        }
        return true;
    }

private:
    QTableView* view_;
};

}  // namespace

QVariant PartnerListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::ForegroundRole && index.isValid() && index.row() < rowCount()) {
        const fb::Row& row = rowAt(index.row());
        // Only the directory reads the working mark; the picker lists working rows only.
        if (row.indexOf(QStringLiteral("SU_WORK")) >= 0 && row.integer(QStringLiteral("SU_WORK")) != 1)
            return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    }
    return ui::QueryTableModel::data(index, role);
}

void setUpPartnerGrid(QTableView* view, PartnerListModel* model) {
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->horizontalHeader()->setSectionsMovable(false);
    view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    view->verticalHeader()->hide();
    view->viewport()->installEventFilter(new WheelStep(view));
}

int currentPartnerId(const QTableView* view, const PartnerListModel* model) {
    const int row = view->currentIndex().row();
    if (row < 0 || row >= model->rowCount()) return 0;
    return model->rowAt(row).integer(QStringLiteral("SU_ID"));
}

void selectPartner(QTableView* view, PartnerListModel* model, int id) {
    int row = id > 0 ? model->findRow(QStringLiteral("SU_ID"), QString::number(id)) : -1;
    if (row < 0 && model->rowCount() > 0) row = 0;
    if (row >= 0) view->setCurrentIndex(model->index(row, 0));
}

}  // namespace catalogue
