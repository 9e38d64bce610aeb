#include "sales/screen/uGoodName.h"

#include "core/CodeTables.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/SmallDialogsLogic.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmGoodName* fmGoodName = nullptr;

TfmGoodName::TfmGoodName(sales::ReceiptModel& receipt, int row, QWidget* parent)
    : QDialog(parent), receipt_(receipt), row_(row) {
    setObjectName(QStringLiteral("fmGoodName"));
    setWindowTitle(QStringLiteral("Наименование товара"));
    fmGoodName = this;

    const sales::GoodNameEdit current = sales::goodNameEditOf(receipt_, row_);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kNameMaxLength);
    Edit1->setContextMenuPolicy(Qt::NoContextMenu);
    Edit1->setMinimumWidth(420);
    Edit1->setText(current.name);

    BitBtn1 = new QPushButton(QStringLiteral("X"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("Очистить наименование"));
    BitBtn1->setAutoDefault(false);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(sales::goodKindChoices());
    ComboBox1->setCurrentIndex(current.kindIndex);

    cmbEdizm = new QComboBox(this);
    cmbEdizm->setObjectName(QStringLiteral("cmbEdizm"));
    for (const core::CodeItem& unit : core::FfdUnits()) cmbEdizm->addItem(unit.text, unit.code);
    cmbEdizm->setCurrentIndex(current.unitIndex);

    Button2 = new QPushButton(QStringLiteral("OK"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(true);
    Button1 = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(true);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Edit1, 1);
    nameRow->addWidget(BitBtn1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Наименование"), nameRow);
    form->addRow(QStringLiteral("Признак предмета расчета"), ComboBox1);
    form->addRow(QStringLiteral("Мера количества"), cmbEdizm);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(Button2, &QPushButton::clicked, this, &TfmGoodName::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmGoodName::BitBtn1Click);
    Edit1->setFocus();
}

TfmGoodName::~TfmGoodName() {
    if (fmGoodName == this) fmGoodName = nullptr;
}

void TfmGoodName::BitBtn1Click() {
    Edit1->clear();
    Edit1->setFocus();
}

void TfmGoodName::Button2Click() {
    sales::GoodNameEdit edit;
    edit.name = Edit1->text();
    edit.kindIndex = ComboBox1->currentIndex();
    edit.unitIndex = cmbEdizm->currentIndex();
    if (!sales::applyGoodNameEdit(receipt_, row_, edit)) {
        reject();
        return;
    }
    accept();
}
