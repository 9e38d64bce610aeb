#include "PrintSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace report {

namespace {
const QString kPdfEntry = QStringLiteral("Файл PDF");
}

PrintSetupDialog::PrintSetupDialog(int pageCount, int copies, bool rangeEnabled, QWidget* parent)
    : QDialog(parent), printer_(QPrinter::HighResolution) {
    setObjectName(QStringLiteral("PrintSetupDialog"));
    setWindowTitle(QStringLiteral("Параметры печати"));

    auto* gbPrinter = new QGroupBox(QStringLiteral(" Текущий принтер "), this);
    gbPrinter->setObjectName(QStringLiteral("gbPrinter"));
    cbPrinter_ = new QComboBox(gbPrinter);
    cbPrinter_->setObjectName(QStringLiteral("cbPrinter"));
    cbPrinter_->addItems(QPrinterInfo::availablePrinterNames());
    cbPrinter_->addItem(kPdfEntry);
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    cbPrinter_->setCurrentIndex(defaultPrinter.isEmpty() ? 0 : qMax(0, cbPrinter_->findText(defaultPrinter)));
    btnSetup_ = new QPushButton(QStringLiteral("НАСТР."), gbPrinter);
    btnSetup_->setObjectName(QStringLiteral("btnSetup"));
    auto* printerRow = new QHBoxLayout(gbPrinter);
    printerRow->addWidget(cbPrinter_, 1);
    printerRow->addWidget(btnSetup_);

    gbRange_ = new QGroupBox(QStringLiteral("Диапазон печати"), this);
    gbRange_->setObjectName(QStringLiteral("gbRange"));
    rbAll_ = new QRadioButton(QStringLiteral("Все страницы"), gbRange_);
    rbAll_->setObjectName(QStringLiteral("rbAll"));
    rbPages_ = new QRadioButton(QStringLiteral("Страницы с"), gbRange_);
    rbPages_->setObjectName(QStringLiteral("rbPages"));
    sbFrom_ = new QSpinBox(gbRange_);
    sbFrom_->setObjectName(QStringLiteral("sbFrom"));
    sbTo_ = new QSpinBox(gbRange_);
    sbTo_->setObjectName(QStringLiteral("sbTo"));
    for (QSpinBox* sb : {sbFrom_, sbTo_}) sb->setRange(1, qMax(1, pageCount));
    sbFrom_->setValue(1);
    sbTo_->setValue(qMax(1, pageCount));
    rbAll_->setChecked(true);
    auto* rangeLayout = new QVBoxLayout(gbRange_);
    rangeLayout->addWidget(rbAll_);
    auto* pagesRow = new QHBoxLayout;
    pagesRow->addWidget(rbPages_);
    pagesRow->addWidget(sbFrom_);
    pagesRow->addWidget(new QLabel(QStringLiteral("по"), gbRange_));
    pagesRow->addWidget(sbTo_);
    rangeLayout->addLayout(pagesRow);
    gbRange_->setEnabled(rangeEnabled);

    sbCopies_ = new QSpinBox(this);
    sbCopies_->setObjectName(QStringLiteral("sbCopies"));
    sbCopies_->setRange(1, 999);
    sbCopies_->setValue(qMax(1, copies));
    auto* copiesRow = new QFormLayout;
    copiesRow->addRow(QStringLiteral("Число копий"), sbCopies_);

    auto* btnOk = new QPushButton(QStringLiteral("ОК"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    QFont small = btnCancel->font();
    small.setPointSize(8);
    btnCancel->setFont(small);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gbPrinter);
    layout->addWidget(gbRange_);
    layout->addLayout(copiesRow);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSetup_, &QPushButton::clicked, this, &PrintSetupDialog::setupPrinter);
    connect(cbPrinter_, &QComboBox::currentIndexChanged, this, &PrintSetupDialog::updateActions);
    connect(rbPages_, &QRadioButton::toggled, this, &PrintSetupDialog::updateActions);
    updateActions();
}

PrintSetupDialog::~PrintSetupDialog() = default;

bool PrintSetupDialog::toPdfFile() const {
    return cbPrinter_->currentText() == kPdfEntry;
}

int PrintSetupDialog::copies() const {
    return sbCopies_->value();
}

int PrintSetupDialog::fromPage() const {
    return gbRange_->isEnabled() && rbPages_->isChecked() ? sbFrom_->value() : 0;
}

int PrintSetupDialog::toPage() const {
    return gbRange_->isEnabled() && rbPages_->isChecked() ? sbTo_->value() : 0;
}

void PrintSetupDialog::setupPrinter() {
    if (toPdfFile()) return;
    printer_.setPrinterName(cbPrinter_->currentText());
    QPointer<QPrintDialog> dialog = new QPrintDialog(&printer_, this);
    dialog->setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog->exec() == QDialog::Accepted && dialog) {
        const int i = cbPrinter_->findText(printer_.printerName());
        if (i >= 0) cbPrinter_->setCurrentIndex(i);
        sbCopies_->setValue(qMax(1, printer_.copyCount()));
    }
    delete dialog;
}

void PrintSetupDialog::updateActions() {
    if (!toPdfFile()) printer_.setPrinterName(cbPrinter_->currentText());
    btnSetup_->setEnabled(!toPdfFile());
    sbFrom_->setEnabled(rbPages_->isChecked());
    sbTo_->setEnabled(rbPages_->isChecked());
}

}  // namespace report
