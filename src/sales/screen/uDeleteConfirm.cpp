#include "sales/screen/uDeleteConfirm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfmDeleteConfirm* fmDeleteConfirm = nullptr;

TfmDeleteConfirm::TfmDeleteConfirm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmDeleteConfirm"));
    setWindowTitle(QString());
    fmDeleteConfirm = this;

    RadioGroup1 = new QGroupBox(QStringLiteral(" Выберите действие "), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioUndo = new QRadioButton(QStringLiteral("отменить аннулирование позиции"), RadioGroup1);
    RadioUndo->setObjectName(QStringLiteral("RadioUndo"));
    RadioDelete = new QRadioButton(QStringLiteral("удалить позицию из чека окончательно"), RadioGroup1);
    RadioDelete->setObjectName(QStringLiteral("RadioDelete"));
    auto* items = new QVBoxLayout(RadioGroup1);
    items->addWidget(RadioUndo);
    items->addWidget(RadioDelete);

    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    // Enter chooses nothing by itself: the cashier presses a button.
    for (QPushButton* b : {btnOK, btnClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmDeleteConfirm::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &TfmDeleteConfirm::btnCloseClick);
    RadioUndo->setChecked(true);
}

TfmDeleteConfirm::~TfmDeleteConfirm() {
    if (fmDeleteConfirm == this) fmDeleteConfirm = nullptr;
}

int TfmDeleteConfirm::itemIndex() const {
    if (RadioUndo->isChecked()) return 0;
    if (RadioDelete->isChecked()) return 1;
    return -1;
}

void TfmDeleteConfirm::setItemIndex(int index) {
    if (index == 0)
        RadioUndo->setChecked(true);
    else if (index == 1)
        RadioDelete->setChecked(true);
}

void TfmDeleteConfirm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The harmless choice is offered first.
    RadioUndo->setChecked(true);
    RadioUndo->setFocus();
}

void TfmDeleteConfirm::btnOKClick() {
    switch (itemIndex()) {
        case 0:
            done(UndoExclusion);
            return;
        case 1:
            done(DeleteForGood);
            return;
        default:
            return;
    }
}

void TfmDeleteConfirm::btnCloseClick() {
    reject();
}

int askExcludedPositionAction(QWidget* parent) {
    QPointer<TfmDeleteConfirm> window = new TfmDeleteConfirm(parent);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    const int result = window->exec();
    if (window) delete window.data();
    return result == TfmDeleteConfirm::DeleteForGood || result == TfmDeleteConfirm::UndoExclusion ? result : 0;
}
