#include "InventoryPrint.h"

#include "platform/report/PreviewService.h"
#include "platform/report/ReportProject.h"
#include "platform/ui/MessageService.h"

namespace stock {

namespace {
const QString kFileMissing = QStringLiteral("Не найден файл с шаблоном 'Инвентаризационная ведомость'.    ");
const QString kReportMissing = QStringLiteral("Не найден шаблон 'Инвентаризационная ведомость'.    ");
}  // namespace

bool printInventorySheet(QWidget* parent, const QString& programFolder, const QString& groupName,
                         const QList<InventorySheetLine>& lines) {
    report::ReportProject project;
    if (!project.open(report::projectPath(programFolder))) {
        ui::showError(kFileMissing, parent);
        return false;
    }
    if (!project.selectReport(QStringLiteral("InventoryList"))) {
        ui::showError(kReportMissing, parent);
        return false;
    }
    report::Report& sheet = project.report();
    sheet.setText(QStringLiteral("TextGroupName"), groupName);

    report::DataSet rows({QStringLiteral("G_ID"), QStringLiteral("G_NAME"), QStringLiteral("G_COUNTRY"),
                          QStringLiteral("G_EDIZM"), QStringLiteral("G_PRICE"), QStringLiteral("G_DECLAR_NUMBER")});
    rows.reserve(static_cast<int>(lines.size()));
    for (const InventorySheetLine& l : lines)
        rows.addRow({l.goodsId, l.name, l.country, l.unit, l.bookQuantity, l.countedQuantity});
    sheet.bindData(QStringLiteral("RvDataSetConn_Inventory"), std::move(rows));

    report::PreviewOptions options;
    options.title = QStringLiteral("Инвентаризационная ведомость");
    options.zoomPercent = 90;
    options.width = 820;
    report::showPreview(parent, sheet, options);
    return true;
}

}  // namespace stock
