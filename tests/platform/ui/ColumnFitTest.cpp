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

TEST(ColumnFit, AGivingColumnNarrowsToKeepTheOthersInSightAndWidensAgain) {
    QStandardItemModel model(0, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("Код"), QStringLiteral("Наименование"), QStringLiteral("Сумма продажи,\nруб.")});
    const QString longName =
        QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, подарочная упаковка 1 кг");
    model.appendRow({new QStandardItem(QStringLiteral("1234567")), new QStandardItem(longName),
                     new QStandardItem(QStringLiteral("9999999.99"))});
    View view;
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    ui::fitColumnsToContents(&view, {1});
    const auto edgeOfLast = [&] { return view.columnViewportPosition(2) + view.columnWidth(2); };
    for (const int width : {420, 1000, 380}) {
        SCOPED_TRACE(width);
        view.resize(width, 200);
        QApplication::processEvents();
        EXPECT_GE(view.columnWidth(0), view.sizeHintForColumn(0));
        EXPECT_GE(view.columnWidth(2), view.sizeHintForColumn(2));
        EXPECT_GE(view.columnWidth(1), view.horizontalHeader()->sectionSizeHint(1));
        // The name takes what it needs when there is room, else what is left.
        if (view.sizeHintForColumn(0) + view.sizeHintForColumn(1) + view.sizeHintForColumn(2) <=
            view.viewport()->width()) {
            EXPECT_GE(view.columnWidth(1), view.sizeHintForColumn(1));
        } else {
            EXPECT_LE(edgeOfLast(), view.viewport()->width());
        }
    }
}
