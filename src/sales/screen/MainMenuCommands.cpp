#include "sales/screen/MainMenuCommands.h"

#include "core/CodeTables.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uGoodName.h"
#include "sales/screen/uOperationSelect.h"

#include <QPointer>

int runCashIncomeAmount(TfmReg& reg) {
    return runCountInput(reg, sales::CountInputCashIn, sales::countInputText::kCashInCaption);
}

bool editPositionName(TfmReg& reg) {
    const int row = reg.currentReceiptRow();
    const sales::ReceiptModel& receipt = reg.receipt();
    // Goods from the catalogue keep their catalogue name.
    if (!receipt.isDataRow(row) || !receipt.isActive(row) ||
        !receipt.cell(row, sales::ReceiptModel::ColId).trimmed().isEmpty())
        return false;
    QPointer<TfmGoodName> window = new TfmGoodName(reg.receipt(), row, &reg);
    const int result = window->exec();
    if (window) delete window.data();
    if (result != QDialog::Accepted) return false;
    reg.updateGoodsGrid();
    return true;
}

int chooseReceiptKind(TfmReg& reg) {
    QPointer<TfmOperationSelect> window =
        new TfmOperationSelect(reg.receiptKind(), core::ReceiptHasMarkedGoods(reg.LineAttrs()), &reg);
    const int result = window->exec();
    if (window) delete window.data();
    return result;
}

bool pickPositionCountry(TfmReg& reg, const PositionCountryPicker& pick) {
    const int row = reg.currentReceiptRow();
    if (!pick || !reg.receipt().isDataRow(row) || !reg.receipt().isActive(row)) return false;
    const std::optional<QString> code = pick(&reg);
    if (!code) return false;
    reg.receipt().setCell(row, sales::ReceiptModel::ColCountry, *code);
    reg.updateGoodsGrid();
    return true;
}

void installMainMenuCommands(TfmReg& reg) {
    TfmReg* screen = &reg;
    reg.setCommand(QStringLiteral("MIncome"), [screen] { runCashIncomeAmount(*screen); });
    reg.setCommand(QStringLiteral("PMChangeName"), [screen] { editPositionName(*screen); });
    reg.setOperationChoice([screen] { return chooseReceiptKind(*screen); });
}
