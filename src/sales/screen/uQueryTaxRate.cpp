#include "sales/screen/uQueryTaxRate.h"

#include "platform/ui/ChoiceDialog.h"
#include "sales/screen/SmallDialogsLogic.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

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

    const ui::ChoiceButtons buttons = ui::layOutChoiceDialog(this, cmbTaxRate);
    btnOK = buttons.ok;
    btnCancel = buttons.cancel;

    connect(btnOK, &QPushButton::clicked, this, &TfmQueryTaxRate::btnOKClick);
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
