#include "platform/ui/ColumnFit.h"

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

struct View : QTableView {
    using QTableView::sizeHintForColumn;
};

// Each column at least as wide as its title and its widest cell need.
void expectEveryColumnFits(const View& view) {
    for (int c = 0; c < view.model()->columnCount(); ++c) {
        SCOPED_TRACE(c);
        EXPECT_GE(view.columnWidth(c), view.horizontalHeader()->sectionSizeHint(c));
        EXPECT_GE(view.columnWidth(c), view.sizeHintForColumn(c));
    }
}

}  // namespace

TEST(ColumnFit, TitlesAndCellsFitAtFirstAndAfterEveryLoad) {
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels({QStringLiteral("Наим. покупателя"), QStringLiteral("№ тамож. декларации"),
                                     QStringLiteral("Сумма продажи\nбез скидки, руб.")});
    model.appendRow({new QStandardItem(QStringLiteral("ООО")), new QStandardItem(QStringLiteral("1")),
                     new QStandardItem(QStringLiteral("1.00"))});
    View view;
    view.setModel(&model);
    view.resize(400, 300);
    ui::fitColumnsToContents(&view);
    expectEveryColumnFits(view);

    // Longer rows arrive after the window is open, added and reloaded.
    model.appendRow({new QStandardItem(QStringLiteral("52 плитка шоколада молочного пористого")),
                     new QStandardItem(QStringLiteral("10702070/010124/0000001")),
                     new QStandardItem(QStringLiteral("9999999.99"))});
    QApplication::processEvents();
    expectEveryColumnFits(view);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("Соединённое Королевство Великобритании и Северной Ирландии")));
    QApplication::processEvents();
    expectEveryColumnFits(view);
}
