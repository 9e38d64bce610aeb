#pragma once
// Whether a list shows its titles and cells whole at the window's size.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>

#include <gtest/gtest.h>

namespace testsupport {

// Every visible column is as wide as its title and the text of each of its
// cells (with the few pixels of the cell's margins), so nothing is cut.
inline void expectColumnsShowTheirText(QTableView* view) {
    QCoreApplication::processEvents();  // a fit waiting for the last rows
    const QAbstractItemModel* model = view->model();
    const QFontMetrics fm(view->font());
    for (int c = 0; c < model->columnCount(); ++c) {
        if (view->isColumnHidden(c)) continue;
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        SCOPED_TRACE(title.toStdString());
        EXPECT_GE(view->columnWidth(c), view->horizontalHeader()->sectionSizeHint(c));
        for (int r = 0; r < model->rowCount(); ++r) {
            if (view->rowSpan(r, c) > 1 || view->columnSpan(r, c) > 1) continue;
            const QString text = model->index(r, c).data().toString();
            EXPECT_GT(view->columnWidth(c), fm.horizontalAdvance(text) + 4) << text.toStdString();
        }
    }
}

}  // namespace testsupport
