#include "uPriceTagSizeSelect.h"

#include "PriceTagLogic.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace catalogue {

QPointer<TfmPriceTagSizeSelect> fmPriceTagSizeSelect;

namespace {

QButtonGroup* radioGroup(QGroupBox* box, const QStringList& items, int columns) {
    auto* group = new QButtonGroup(box);
    auto* grid = new QGridLayout(box);
    const int perColumn = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        b->setObjectName(box->objectName() + QStringLiteral("Item") + QString::number(i));
        group->addButton(b, i);
        grid->addWidget(b, i % perColumn, i / perColumn);
    }
    return group;
}

// Clearing a choice needs a group that is not exclusive for a moment.
void selectOnly(QButtonGroup* group, int index) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

}  // namespace

TfmPriceTagSizeSelect::TfmPriceTagSizeSelect(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmPriceTagSizeSelect"));
    setWindowTitle(QStringLiteral("Выберите формат печати"));
    fmPriceTagSizeSelect = this;

    CheckBox1 = new QCheckBox(QStringLiteral("лист А4"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    a4Sizes_ =
        radioGroup(RadioGroup1, {QStringLiteral("50 x 40 "), QStringLiteral("60 x 75"), QStringLiteral("80 x 60")}, 1);
    CheckBox2 = new QCheckBox(QStringLiteral("этикетки"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    RadioGroup2 = new QGroupBox(this);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    labelSizes_ = radioGroup(RadioGroup2,
                             {QStringLiteral("30 x 20"), QStringLiteral("40 x 30"), QStringLiteral("43 x 25"),
                              QStringLiteral("58 x 30"), QStringLiteral("58 x 40"), QStringLiteral("58 x 60")},
                             2);
    lblCopyCount_ = new QLabel(QStringLiteral("Число копий"), this);
    edCopyCount = new QLineEdit(QStringLiteral("1"), this);
    edCopyCount->setObjectName(QStringLiteral("edCopyCount"));
    edCopyCount->setValidator(new QIntValidator(0, 999, edCopyCount));
    edCopyCount->setContextMenuPolicy(Qt::NoContextMenu);
    lblCopyCount_->setBuddy(edCopyCount);
    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* copies = new QHBoxLayout;
    copies->addWidget(lblCopyCount_);
    copies->addWidget(edCopyCount);
    copies->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBox1);
    layout->addWidget(RadioGroup1);
    layout->addWidget(CheckBox2);
    layout->addWidget(RadioGroup2);
    layout->addLayout(copies);
    layout->addLayout(buttons);

    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool on) { chooseA4(on); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this](bool on) { chooseA4(!on); });
    connect(btnOK, &QPushButton::clicked, this, &TfmPriceTagSizeSelect::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmPriceTagSizeSelect::btnCancelClick);

    chooseA4(true);
}

TfmPriceTagSizeSelect::~TfmPriceTagSizeSelect() = default;

void TfmPriceTagSizeSelect::setCopies(int copies) {
    copies_ = copies < 1 ? 1 : copies;
    edCopyCount->setText(QString::number(copies_));
}

// The two kinds exclude each other; the chosen one starts at its usual size
// and the other loses its choice.
void TfmPriceTagSizeSelect::chooseA4(bool a4) {
    CheckBox1->setChecked(a4);
    CheckBox2->setChecked(!a4);
    selectOnly(a4Sizes_, a4 ? 1 : -1);
    selectOnly(labelSizes_, a4 ? -1 : 0);
    updateActions();
}

void TfmPriceTagSizeSelect::updateActions() {
    const bool a4 = CheckBox1->isChecked();
    RadioGroup1->setEnabled(a4);
    RadioGroup2->setEnabled(!a4);
    lblCopyCount_->setVisible(!a4);
    edCopyCount->setVisible(!a4);
}

void TfmPriceTagSizeSelect::btnOKClick() {
    const PriceTagSize size =
        priceTagSize(CheckBox1->isChecked(), a4Sizes_->checkedId(), labelSizes_->checkedId(), edCopyCount->text());
    copies_ = size.copies;
    done(size.code);
}

void TfmPriceTagSizeSelect::btnCancelClick() {
    done(kPriceTagCancel);
}

}  // namespace catalogue
