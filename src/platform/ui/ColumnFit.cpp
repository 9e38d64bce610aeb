#include "ColumnFit.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QTimer>

namespace ui {

void fitColumnsToContents(QTableView* view) {
    QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model) return;
    view->resizeColumnsToContents();
    // Rows arrive in batches: fit once they are all in, not after each.
    auto* pending = new QTimer(view);
    pending->setSingleShot(true);
    pending->setInterval(0);
    QObject::connect(pending, &QTimer::timeout, view, [view] { view->resizeColumnsToContents(); });
    auto refit = [pending] { pending->start(); };
    QObject::connect(model, &QAbstractItemModel::modelReset, view, refit);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, refit);
    QObject::connect(model, &QAbstractItemModel::dataChanged, view, refit);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, view, refit);
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, view, refit);
}

}  // namespace ui
