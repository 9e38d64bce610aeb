#include "sales/screen/uOperationSelect.h"

#include "platform/ui/ChoiceDialog.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/SmallDialogsLogic.h"

#include <QListWidget>
#include <QPushButton>

TfmOperationSelect* fmOperationSelect = nullptr;

TfmOperationSelect::TfmOperationSelect(int currentKind, bool receiptHasMarkedGoods, QWidget* parent)
    : QDialog(parent), currentKind_(currentKind), hasMarkedGoods_(receiptHasMarkedGoods) {
    setObjectName(QStringLiteral("fmOperationSelect"));
    setWindowTitle(QStringLiteral("Выбор типа операции"));
    fmOperationSelect = this;

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    for (const core::CodeItem& kind : sales::operationChoices()) {
        auto* item = new QListWidgetItem(kind.text, ListBox1);
        item->setData(Qt::UserRole, kind.code);
        if (kind.code == currentKind) ListBox1->setCurrentItem(item);
    }

    const ui::ChoiceButtons buttons = ui::layOutChoiceDialog(this, ListBox1);
    btnOK = buttons.ok;
    btnCancel = buttons.cancel;

    connect(btnOK, &QPushButton::clicked, this, &TfmOperationSelect::btnOKClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TfmOperationSelect::ListBox1DblClick);
    ListBox1->setFocus();
}

TfmOperationSelect::~TfmOperationSelect() {
    if (fmOperationSelect == this) fmOperationSelect = nullptr;
}

int TfmOperationSelect::selectedKind() const {
    const QListWidgetItem* item = ListBox1->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : 0;
}

void TfmOperationSelect::moveSelection(int step) {
    const int count = ListBox1->count();
    if (count == 0) return;
    const int row = ListBox1->currentRow() < 0 ? 0 : qBound(0, ListBox1->currentRow() + step, count - 1);
    ListBox1->setCurrentRow(row);
}

void TfmOperationSelect::btnOKClick() {
    const sales::OperationChoice c = sales::chooseOperation(selectedKind(), currentKind_, hasMarkedGoods_);
    if (c.refusedForMarkedGoods) {
        ui::showError(TfmReg::kMarkedGoodsNoKindChange, this);
        return;
    }
    if (c.modalResult != 0) done(c.modalResult);
}

void TfmOperationSelect::ListBox1DblClick() { btnOKClick(); }
