#include "ColumnFit.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace ui {

namespace {

void fit(QTableView* view, const QList<int>& giving) {
    view->resizeColumnsToContents();
    const int columns = view->model()->columnCount();
    int total = 0;
    for (int c = 0; c < columns; ++c)
        if (!view->isColumnHidden(c)) total += view->columnWidth(c);
    // The vertical scroll bar may come and go with the rows: leave it room.
    int room = view->viewport()->width();
    if (!view->verticalScrollBar()->isVisible() && view->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff &&
        view->verticalHeader()->length() > view->viewport()->height())
        room -= view->verticalScrollBar()->sizeHint().width();
    for (int c : giving) {
        if (total <= room) return;
        if (c < 0 || c >= columns || view->isColumnHidden(c)) continue;
        const int width = view->columnWidth(c);
        const int narrower = std::max(view->horizontalHeader()->sectionSizeHint(c), width - (total - room));
        if (narrower >= width) continue;
        view->setColumnWidth(c, narrower);
        total -= width - narrower;
    }
}

// Shows a cell of a giving column whole when the column cuts it, and
// refits when the view's width changes.
class GivingColumns : public QObject {
public:
    GivingColumns(QTableView* view, QList<int> columns, QTimer* refit)
        : QObject(view), view_(view), viewport_(view->viewport()), columns_(std::move(columns)), refit_(refit) {
        viewport_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Compared with the viewport kept at the start: while the view is being
        // destroyed its events still pass here, and the view is no longer a view.
        if (watched != viewport_) return false;
        if (event->type() == QEvent::Resize) {
            refit_->start();
        } else if (event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QModelIndex index = view_->indexAt(help->pos());
            if (!index.isValid() || !columns_.contains(index.column()) ||
                view_->columnSpan(index.row(), index.column()) > 1)
                return false;
            if (index.data(Qt::ToolTipRole).isValid()) return false;
            const QString text = index.data().toString();
            const QRect cell = view_->visualRect(index);
            // The cell's own margins: a text that needs them is cut.
            const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1);
            if (view_->fontMetrics().horizontalAdvance(text) + margin > cell.width()) {
                QToolTip::showText(help->globalPos(), text, view_->viewport(), cell);
                return true;
            }
            QToolTip::hideText();
        }
        return false;
    }

private:
    QTableView* view_;
    QWidget* viewport_;
    QList<int> columns_;
    QTimer* refit_;
};

}  // namespace

void fitColumnsToContents(QTableView* view, const QList<int>& givingColumns) {
    QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model) return;
    fit(view, givingColumns);
    // Rows arrive in batches: fit once they are all in, not after each.
    auto* pending = new QTimer(view);
    pending->setSingleShot(true);
    pending->setInterval(0);
    QObject::connect(pending, &QTimer::timeout, view, [view, givingColumns] { fit(view, givingColumns); });
    auto refit = [pending] { pending->start(); };
    QObject::connect(model, &QAbstractItemModel::modelReset, view, refit);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view, refit);
    QObject::connect(model, &QAbstractItemModel::dataChanged, view, refit);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, view, refit);
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, view, refit);
    if (!givingColumns.isEmpty()) new GivingColumns(view, givingColumns, pending);
}

}  // namespace ui
