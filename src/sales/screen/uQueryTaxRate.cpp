#include "sales/screen/uQueryTaxRate.h"

#include "platform/ui/ChoiceDialog.h"
#include "sales/screen/SmallDialogsLogic.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

TfmQueryTaxRate* fmQueryTaxRate = nullptr;

namespace {
const QString kTitle = QStringLiteral("Укажите ставку НДС");
}

TfmQueryTaxRate::TfmQueryTaxRate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmQueryTaxRate"));
    setWindowTitle(kTitle);
    fmQueryTaxRate = this;

    cmbTaxRate = new QComboBox(this);
    cmbTaxRate->setObjectName(QStringLiteral("cmbTaxRate"));
    for (const core::CodeItem& rate : sales::vatRateChoices()) cmbTaxRate->addItem(rate.text, rate.code);
    cmbTaxRate->setCurrentIndex(-1);
    cmbTaxRate->setPlaceholderText(QStringLiteral("ставка НДС"));

    const ui::ChoiceButtons buttons = ui::layOutChoiceDialog(this, cmbTaxRate);
    Label1 = new QLabel(kTitle, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    {
        QFont f = Label1->font();
        f.setPointSize(12);
        f.setBold(true);
        Label1->setFont(f);
    }
    if (auto* box = qobject_cast<QBoxLayout*>(layout())) box->insertWidget(0, Label1);
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

void TfmQueryTaxRate::setPrompt(const QString& prompt) { Label1->setText(prompt.isEmpty() ? kTitle : prompt); }

void TfmQueryTaxRate::updateActions() { btnOK->setEnabled(cmbTaxRate->currentIndex() >= 0); }

void TfmQueryTaxRate::btnOKClick() {
    const int result = sales::vatChoiceResult(cmbTaxRate->currentData().toInt());
    if (result != 0) done(result);
}

int queryTaxRate(QWidget* parent, const QString& prompt) {
    QPointer<TfmQueryTaxRate> window = new TfmQueryTaxRate(parent);
    window->setPrompt(prompt);
    const int result = window->exec();
    if (window) delete window.data();
    return sales::vatCodeFromChoice(result) != 0 ? result : 0;
}
