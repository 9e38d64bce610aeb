#include "uSupplierEdit.h"

#include "SuppliersRepository.h"
#include "uSuppliers.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace catalogue {

TfmSupplierEdit* fmSupplierEdit = nullptr;

namespace {
const QString kDbError = QStringLiteral("При выполнении операции произошла ошибка БД.    ");

QLineEdit* field(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}
}  // namespace

TfmSupplierEdit::TfmSupplierEdit(fb::Connection& db, TfmSuppliers* directory, QWidget* parent)
    : QDialog(parent), db_(db), directory_(directory) {
    setObjectName(QStringLiteral("fmSupplierEdit"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmSupplierEdit = this;
    setWindowTitle(QStringLiteral("Контрагент"));

    Edit1 = field(this, "Edit1");
    Edit2 = field(this, "Edit2");
    Edit3 = field(this, "Edit3");
    // Digits only, typed or pasted.
    Edit3->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), Edit3));
    Edit3->setMaxLength(kInnWidth);
    Edit4 = field(this, "Edit4");
    Edit5 = field(this, "Edit5");
    CheckBox1 = new QCheckBox(QStringLiteral("действующий"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    chSupplier = new QCheckBox(QStringLiteral("поставщик"), this);
    chSupplier->setObjectName(QStringLiteral("chSupplier"));
    chBuyer = new QCheckBox(QStringLiteral("покупатель"), this);
    chBuyer->setObjectName(QStringLiteral("chBuyer"));
    Button2 = new QPushButton(QStringLiteral("ОК"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1 = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Полное название"), Edit1);
    form->addRow(QStringLiteral("Сокращенное название"), Edit2);
    form->addRow(QStringLiteral("ИНН"), Edit3);
    form->addRow(QStringLiteral("Контакты"), Edit4);
    form->addRow(QStringLiteral("Контактное лицо"), Edit5);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(CheckBox1);
    boxes->addWidget(chSupplier);
    boxes->addWidget(chBuyer);
    boxes->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    connect(Button2, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button2Click(); }); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    setMode(1, SupplierCard{});
}

TfmSupplierEdit::~TfmSupplierEdit() {
    if (fmSupplierEdit == this) fmSupplierEdit = nullptr;
}

void TfmSupplierEdit::setMode(int mode, const SupplierCard& card) {
    mode_ = mode;
    id_ = mode == 1 ? 0 : card.id;
    setWindowTitle(mode == 1   ? QStringLiteral("Контрагент. Новый")
                   : mode == 2 ? QStringLiteral("Контрагент. Изменить")
                               : QStringLiteral("Контрагент. Просмотр"));
    Edit1->setText(card.nameFull);
    Edit2->setText(card.nameShort);
    Edit3->setText(card.inn);
    Edit4->setText(card.contacts);
    Edit5->setText(card.person);
    CheckBox1->setChecked(card.working);
    chSupplier->setChecked(card.supplier);
    chBuyer->setChecked(card.buyer);
    const bool view = mode == 3;
    for (QLineEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5}) e->setReadOnly(view);
    for (QCheckBox* b : {CheckBox1, chSupplier, chBuyer}) b->setEnabled(!view);
    Button2->setVisible(!view);
    Button2->setDefault(!view);
    if (view) Button1->setFocus();
}

SupplierCard TfmSupplierEdit::card() const {
    SupplierCard c;
    c.id = id_;
    c.nameFull = Edit1->text();
    c.nameShort = Edit2->text();
    c.inn = Edit3->text();
    c.contacts = Edit4->text();
    c.person = Edit5->text();
    c.working = CheckBox1->isChecked();
    c.supplier = chSupplier->isChecked();
    c.buyer = chBuyer->isChecked();
    return trimmedCard(c);
}

bool TfmSupplierEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && mode_ != 3 && (watched == Edit1 || watched == Edit2)) {
        QString full = Edit1->text();
        QString shortName = Edit2->text();
        copyNameOnLeave(full, shortName, watched == Edit1);
        if (full != Edit1->text()) Edit1->setText(full);
        if (shortName != Edit2->text()) Edit2->setText(shortName);
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSupplierEdit::Button2Click() {
    if (mode_ == 3) return;
    SupplierCard c = card();
    if (const auto error = validateSupplierCard(c)) {
        ui::messages().show(this, *error, ui::Icon::Error);
        return;
    }
    SuppliersRepository repo(db_);
    try {
        if (mode_ == 1) {
            c.id = repo.insert(c);
            id_ = c.id;
        } else if (!repo.update(c)) {
            // The row was deleted meanwhile, or the card had none.
            ui::messages().show(this, kDbError, ui::Icon::Error);
            return;
        }
    } catch (const fb::Error& e) {
        ui::messages().show(this, ui::withDetail(kDbError, e.message()), ui::Icon::Error);
        return;
    }
    if (directory_) directory_->showSaved(c);
    accept();
}

}  // namespace catalogue
