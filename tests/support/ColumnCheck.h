#pragma once
// Whether a list shows its titles and cells whole at the window's size.
#include <QAbstractItemModel>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QList>
#include <QTableView>
#include <QToolTip>

#include <gtest/gtest.h>

namespace testsupport {

// Every visible column is as wide as its title and the text of each of its
// cells (with the few pixels of the cell's margins), so nothing is cut;
// only the `giving` columns (a name) may cut their cells.
inline void expectColumnsShowTheirText(QTableView* view, const QList<int>& giving = {}) {
    QCoreApplication::processEvents();  // a fit waiting for the last rows
    const QAbstractItemModel* model = view->model();
    const QFontMetrics fm(view->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        if (view->isColumnHidden(c)) continue;
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        SCOPED_TRACE(title.toStdString());
        EXPECT_GE(view->columnWidth(c), view->horizontalHeader()->sectionSizeHint(c));
        if (giving.contains(c)) continue;
        for (int r = 0; r < model->rowCount(); ++r) {
            if (view->rowSpan(r, c) > 1 || view->columnSpan(r, c) > 1) continue;
            const QString text = model->index(r, c).data().toString();
            EXPECT_GT(view->columnWidth(c), fm.horizontalAdvance(text) + 4) << text.toStdString();
        }
    }
}

// The columns lie wholly inside the list's visible area, scrolled to its start.
inline void expectColumnsInSight(QTableView* view, const QList<int>& columns) {
    QCoreApplication::processEvents();
    for (int c : columns) {
        SCOPED_TRACE(view->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        EXPECT_FALSE(view->isColumnHidden(c));
        EXPECT_GE(view->columnViewportPosition(c), 0);
        EXPECT_LE(view->columnViewportPosition(c) + view->columnWidth(c), view->viewport()->width());
    }
}

// The tooltip a hover over the cell shows; empty when none.
inline QString toolTipAt(QTableView* view, const QModelIndex& index) {
    const QPoint at = view->visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view->viewport(), &help);
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    // The tip fades out over a while: close it at once, so that the next
    // hover starts from none.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("qtooltip_label")) w->hide();
    return text;
}

}  // namespace testsupport
