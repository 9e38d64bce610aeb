#include "sales/uOperationSelect.h"

#include "platform/ui/MessageService.h"
#include "sales/Registration_Mode.h"
#include "sales/SmallDialogsLogic.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfmOperationSelect* fmOperationSelect = nullptr;

TfmOperationSelect::TfmOperationSelect(int currentKind, bool receiptHasMarkedGoods, QWidget* parent)
    : QDialog(parent), currentKind_(currentKind), hasMarkedGoods_(receiptHasMarkedGoods) {
    setObjectName(QStringLiteral("fmOperationSelect"));
    setWindowTitle(QStringLiteral("Выбор типа операции"));
    fmOperationSelect = this;

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    {
        QFont f = ListBox1->font();
        f.setPointSize(14);
        ListBox1->setFont(f);
    }
    for (const core::CodeItem& kind : sales::operationChoices()) {
        auto* item = new QListWidgetItem(kind.text, ListBox1);
        item->setData(Qt::UserRole, kind.code);
        if (kind.code == currentKind) ListBox1->setCurrentItem(item);
    }

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(true);
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmOperationSelect::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
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
