#pragma once
// The inventory sheet: the stock editor's lines printed through the report
// project's "InventoryList" report.
#include <QList>
#include <QString>

class QWidget;

namespace stock {

// One line of the sheet as the stock editor holds it.
struct InventorySheetLine {
    QString goodsId;          // G_ID
    QString name;             // G_NAME
    QString country;          // G_COUNTRY
    QString unit;             // G_EDIZM
    QString bookQuantity;     // G_PRICE
    QString countedQuantity;  // G_DECLAR_NUMBER
};

// Shows the sheet in the report preview, from which it is printed. A missing
// report file or report is told with the inventory sheet's own texts; false
// when nothing was shown.
bool printInventorySheet(QWidget* parent, const QString& programFolder, const QString& groupName,
                         const QList<InventorySheetLine>& lines);

}  // namespace stock
