#include "sales/screen/uBuyerData.h"

#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/screen/Registration_Mode.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TfmBuyerData* fmBuyerData = nullptr;

TfmBuyerData::TfmBuyerData(TfmReg& reg, sales::BuyerPicker picker, QWidget* parent)
    : QDialog(parent), reg_(reg), picker_(std::move(picker)) {
    setObjectName(QStringLiteral("fmBuyerData"));
    setWindowTitle(QStringLiteral("Покупатель"));
    fmBuyerData = this;

    edBuyerName = new QLineEdit(this);
    edBuyerName->setObjectName(QStringLiteral("edBuyerName"));
    edBuyerName->setContextMenuPolicy(Qt::NoContextMenu);
    edBuyerName->setMinimumWidth(380);
    edBuyerName->setText(reg_.lblBuyerName->text());
    btnSelect = new QPushButton(QStringLiteral("..."), this);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnSelect->setToolTip(QStringLiteral("Выбрать из списка покупателей"));
    btnSelect->setAutoDefault(false);
    btnSelect->setEnabled(bool(picker_));

    edBuyerINN = new QLineEdit(this);
    edBuyerINN->setObjectName(QStringLiteral("edBuyerINN"));
    edBuyerINN->setContextMenuPolicy(Qt::NoContextMenu);
    edBuyerINN->setMaxLength(12);
    // Typing takes digits only; what a program puts in is checked by OK.
    edBuyerINN->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edBuyerINN));
    edBuyerINN->setText(reg_.lblINNBuyer->text());

    btnClear = new QPushButton(QStringLiteral("ОЧИСТИТЬ"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setAutoDefault(false);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(edBuyerName, 1);
    nameRow->addWidget(btnSelect);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Наименование"), nameRow);
    form->addRow(QStringLiteral("ИНН"), edBuyerINN);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmBuyerData::btnOKClick);
    connect(btnClear, &QPushButton::clicked, this, &TfmBuyerData::btnClearClick);
    connect(btnSelect, &QPushButton::clicked, this, &TfmBuyerData::btnSelectClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    edBuyerName->setFocus();
}

TfmBuyerData::~TfmBuyerData() {
    if (fmBuyerData == this) fmBuyerData = nullptr;
}

void TfmBuyerData::btnOKClick() {
    ui::guarded(this, [this] {
        const sales::BuyerDecision d =
            sales::decideBuyer(edBuyerName->text(), edBuyerINN->text(),
                               sales::buyerRefusedForForeignGoods(reg_.PaymentMethodFlag(), reg_.receipt()));
        switch (d.kind) {
            case sales::BuyerDecision::Remove:
                sales::clearBuyer(reg_);
                accept();
                return;
            case sales::BuyerDecision::Refuse:
                if (d.message == sales::buyerText::kForeignGoodsOnOk)
                    ui::showWarning(d.message, this);
                else
                    ui::showError(d.message, this);
                return;
            case sales::BuyerDecision::Set:
                sales::setBuyer(reg_, d.name, d.inn);
                accept();
                return;
        }
    });
}

void TfmBuyerData::btnClearClick() {
    edBuyerName->clear();
    edBuyerINN->clear();
    edBuyerName->setFocus();
}

void TfmBuyerData::btnSelectClick() {
    if (!picker_) return;
    ui::guarded(this, [this] {
        const std::optional<sales::PickedBuyer> picked = picker_(this);
        if (!picked) return;
        edBuyerName->setText(picked->name.trimmed());
        edBuyerINN->setText(picked->inn.trimmed());
    });
}
