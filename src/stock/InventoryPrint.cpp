// PLACEHOLDER: replaced by the report-layer implementation
#include "InventoryPrint.h"

#include "platform/ui/MessageService.h"

namespace stock {

bool printInventorySheet(QWidget* parent, const QString& programFolder, const QString& groupName,
                         const QList<InventorySheetLine>& lines) {
    Q_UNUSED(programFolder);
    Q_UNUSED(groupName);
    Q_UNUSED(lines);
    ui::showError(QStringLiteral("Не найден файл с шаблоном 'Инвентаризационная ведомость'.    "), parent);
    return false;
}

}  // namespace stock
