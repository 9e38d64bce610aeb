#include "sales/uQueryTaxRate.h"

#include "sales/SmallDialogsLogic.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TfmQueryTaxRate* fmQueryTaxRate = nullptr;

TfmQueryTaxRate::TfmQueryTaxRate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmQueryTaxRate"));
    setWindowTitle(QStringLiteral("Укажите ставку НДС"));
    fmQueryTaxRate = this;

    cmbTaxRate = new QComboBox(this);
    cmbTaxRate->setObjectName(QStringLiteral("cmbTaxRate"));
    for (const core::CodeItem& rate : sales::vatRateChoices()) cmbTaxRate->addItem(rate.text, rate.code);
    cmbTaxRate->setCurrentIndex(-1);
    cmbTaxRate->setPlaceholderText(QStringLiteral("ставка НДС"));
    {
        QFont f = cmbTaxRate->font();
        f.setPointSize(14);
        cmbTaxRate->setFont(f);
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
    layout->addWidget(cmbTaxRate);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmQueryTaxRate::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmbTaxRate, &QComboBox::currentIndexChanged, this, &TfmQueryTaxRate::updateActions);
    updateActions();
    cmbTaxRate->setFocus();
}

TfmQueryTaxRate::~TfmQueryTaxRate() {
    if (fmQueryTaxRate == this) fmQueryTaxRate = nullptr;
}

void TfmQueryTaxRate::updateActions() { btnOK->setEnabled(cmbTaxRate->currentIndex() >= 0); }

void TfmQueryTaxRate::btnOKClick() {
    const int result = sales::vatChoiceResult(cmbTaxRate->currentData().toInt());
    if (result != 0) done(result);
}

int queryTaxRate(QWidget* parent) {
    QPointer<TfmQueryTaxRate> window = new TfmQueryTaxRate(parent);
    const int result = window->exec();
    if (window) delete window.data();
    return sales::vatCodeFromChoice(result) != 0 ? result : 0;
}
