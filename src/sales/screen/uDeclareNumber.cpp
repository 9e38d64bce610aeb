#include "sales/screen/uDeclareNumber.h"

#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/PortionsLogic.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmDeclareNumber* fmDeclareNumber = nullptr;

TfmDeclareNumber::TfmDeclareNumber(sales::ReceiptModel& receipt, int row, QWidget* parent)
    : QDialog(parent), receipt_(receipt), row_(row) {
    setObjectName(QStringLiteral("fmDeclareNumber"));
    setWindowTitle(QStringLiteral("Номер таможенной декларации"));
    fmDeclareNumber = this;

    auto* caption = new QLabel(QStringLiteral("Номер таможенной декларации:"), this);
    caption->setObjectName(QStringLiteral("Label1"));
    edDeclareNumber = new QLineEdit(this);
    edDeclareNumber->setObjectName(QStringLiteral("edDeclareNumber"));
    edDeclareNumber->setContextMenuPolicy(Qt::NoContextMenu);
    edDeclareNumber->setMinimumWidth(320);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(edDeclareNumber);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmDeclareNumber::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    edDeclareNumber->setFocus();
}

TfmDeclareNumber::~TfmDeclareNumber() {
    if (fmDeclareNumber == this) fmDeclareNumber = nullptr;
}

void TfmDeclareNumber::btnOKClick() {
    const QString problem = sales::declarationProblem(edDeclareNumber->text());
    if (!problem.isEmpty()) {
        ui::showError(problem, this);
        return;
    }
    receipt_.setCell(row_, sales::ReceiptModel::ColCustoms, edDeclareNumber->text().trimmed());
    accept();
}
