#include "uSuppliers.h"

#include "PartnerListModel.h"
#include "SuppliersRepository.h"
#include "uSupplierEdit.h"

#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace catalogue {

TfmSuppliers* fmSuppliers = nullptr;

namespace {
QCheckBox* box(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
QToolButton* clearButton(QWidget* parent, const char* name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(QStringLiteral("X"));
    return b;
}
}  // namespace

TfmSuppliers::TfmSuppliers(const fb::ConnectionParams& params, fb::Connection& writeDb, QWidget* parent)
    : QDialog(parent), conn_(params), writeDb_(writeDb), model_(new PartnerListModel(this)) {
    setObjectName(QStringLiteral("fmSuppliers"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmSuppliers = this;
    setWindowTitle(QStringLiteral("Контрагенты"));
    resize(700, 500);

    chSuppliers = box(this, "chSuppliers", QStringLiteral("поставщики"));
    chBuyers = box(this, "chBuyers", QStringLiteral("покупатели"));
    chWorkOnly = box(this, "chWorkOnly", QStringLiteral("только действующие"));
    chNameFull = box(this, "chNameFull", QStringLiteral("показывать полное название"));
    chNameFull->setChecked(true);
    edFilterName = new QLineEdit(this);
    edFilterName->setObjectName(QStringLiteral("edFilterName"));
    edFilterName->setPlaceholderText(QStringLiteral("фильтр на названию контрагента"));
    edFilterName->setContextMenuPolicy(Qt::NoContextMenu);
    edFilterINN = new QLineEdit(this);
    edFilterINN->setObjectName(QStringLiteral("edFilterINN"));
    edFilterINN->setPlaceholderText(QStringLiteral("фильтр по ИНН"));
    edFilterINN->setContextMenuPolicy(Qt::NoContextMenu);
    // Digits only, typed or pasted.
    edFilterINN->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), edFilterINN));
    btnClearFN = clearButton(this, "btnClearFN");
    btnClearFINN = clearButton(this, "btnClearFINN");
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1500);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    model_->setColumns(
        {{QStringLiteral("SU_NAME"), QStringLiteral("КОНТРАГЕНТ")}, {QStringLiteral("SU_INN"), QStringLiteral("ИНН")}});
    setUpPartnerGrid(DBGrid1, model_);
    btnAdd = new QPushButton(QStringLiteral("ДОБАВИТЬ"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnEdit = new QPushButton(QStringLiteral("ИЗМЕНИТЬ"), this);
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    Button1 = new QPushButton(QStringLiteral("УДАЛИТЬ"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* filters = new QGridLayout;
    filters->addWidget(chSuppliers, 0, 0);
    filters->addWidget(chBuyers, 0, 1);
    filters->addWidget(chWorkOnly, 0, 2);
    filters->addWidget(chNameFull, 0, 3);
    auto* name = new QHBoxLayout;
    name->addWidget(edFilterName, 1);
    name->addWidget(btnClearFN);
    name->addWidget(edFilterINN);
    name->addWidget(btnClearFINN);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnEdit);
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(name);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);

    for (QCheckBox* b : {chSuppliers, chBuyers, chWorkOnly, chNameFull})
        connect(b, &QCheckBox::toggled, this, &TfmSuppliers::boxToggled);
    for (QLineEdit* e : {edFilterName, edFilterINN})
        connect(e, &QLineEdit::textEdited, Timer1, qOverload<>(&QTimer::start));
    connect(Timer1, &QTimer::timeout, this, [this] { ui::guarded(this, [this] { LoadSuppliersList(currentId()); }); });
    connect(btnClearFN, &QToolButton::clicked, this, [this] {
        edFilterName->clear();
        ui::guarded(this, [this] { LoadSuppliersList(currentId()); });
    });
    connect(btnClearFINN, &QToolButton::clicked, this, [this] {
        edFilterINN->clear();
        ui::guarded(this, [this] { LoadSuppliersList(currentId()); });
    });
    connect(btnAdd, &QPushButton::clicked, this, &TfmSuppliers::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfmSuppliers::btnEditClick);
    connect(Button1, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button1Click(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) DBGrid1DblClick();
    });
}

TfmSuppliers::~TfmSuppliers() {
    if (fmSuppliers == this) fmSuppliers = nullptr;
}

SuppliersFilter TfmSuppliers::filter() const {
    SuppliersFilter f;
    f.suppliers = chSuppliers->isChecked();
    f.buyers = chBuyers->isChecked();
    f.workOnly = chWorkOnly->isChecked();
    f.nameFull = chNameFull->isChecked();
    f.name = edFilterName->text();
    f.inn = edFilterINN->text();
    return f;
}

void TfmSuppliers::presetFilter(const SuppliersFilter& f) {
    for (QCheckBox* b : {chSuppliers, chBuyers, chWorkOnly, chNameFull}) b->blockSignals(true);
    chSuppliers->setChecked(f.suppliers);
    chBuyers->setChecked(f.buyers);
    chWorkOnly->setChecked(f.workOnly);
    chNameFull->setChecked(f.nameFull);
    for (QCheckBox* b : {chSuppliers, chBuyers, chWorkOnly, chNameFull}) b->blockSignals(false);
    edFilterName->setText(f.name);
    edFilterINN->setText(f.inn);
}

void TfmSuppliers::LoadSuppliersList(int selectId) {
    Timer1->stop();
    const SqlWithParams q = buildSuppliersQuery(filter());
    conn_.ensureConnected();
    model_->setQuery(conn_, q.sql, q.params);
    selectPartner(DBGrid1, model_, selectId);
}

int TfmSuppliers::rowCount() const {
    return model_->rowCount();
}
int TfmSuppliers::idAt(int row) const {
    return model_->rowAt(row).integer(QStringLiteral("SU_ID"));
}
int TfmSuppliers::currentId() const {
    return currentPartnerId(DBGrid1, model_);
}
bool TfmSuppliers::rowGrey(int row) const {
    return model_->data(model_->index(row, 0), Qt::ForegroundRole).isValid();
}

void TfmSuppliers::boxToggled() {
    ui::guarded(this, [this] { LoadSuppliersList(currentId()); });
}

SupplierCard TfmSuppliers::cardOfCurrent() const {
    SupplierCard c;
    const int row = DBGrid1->currentIndex().row();
    if (row < 0 || row >= model_->rowCount()) return c;
    const fb::Row& r = model_->rowAt(row);
    c.id = r.integer(QStringLiteral("SU_ID"));
    c.nameFull = r.str(QStringLiteral("SU_NAMEFULL")).trimmed();
    c.nameShort = r.str(QStringLiteral("SU_NAMESHORT")).trimmed();
    c.inn = r.str(QStringLiteral("SU_INN")).trimmed();
    c.contacts = r.str(QStringLiteral("SU_CONTACTS")).trimmed();
    c.person = r.str(QStringLiteral("SU_PERSON")).trimmed();
    c.working = flagSet(r[QStringLiteral("SU_WORK")]);
    c.supplier = flagSet(r[QStringLiteral("SU_SUPPLIER")]);
    c.buyer = flagSet(r[QStringLiteral("SU_BUYER")]);
    return c;
}

void TfmSuppliers::openCard(int mode) {
    QPointer<TfmSupplierEdit> card = new TfmSupplierEdit(writeDb_, this, this);
    SupplierCard c;
    if (mode != 1) c = cardOfCurrent();
    card->setMode(mode, c);
    card->exec();
}

void TfmSuppliers::btnAddClick() {
    openCard(1);
}

void TfmSuppliers::btnEditClick() {
    // Editing needs a row to edit: a card of no row would save nothing.
    if (currentId() == 0) return;
    openCard(2);
}

void TfmSuppliers::DBGrid1DblClick() {
    if (currentId() == 0) return;
    openCard(3);
}

void TfmSuppliers::Button1Click() {
    const int row = DBGrid1->currentIndex().row();
    const int id = currentId();
    if (id == 0) return;
    const QString name = model_->rowAt(row).str(QStringLiteral("SU_NAME"));
    if (ui::messages().ask(this, QStringLiteral("Удалить контрагента     \r\n") + name + QStringLiteral(" ?     "),
                           ui::Icon::Question) != ui::Answer::Yes)
        return;
    try {
        SuppliersRepository(writeDb_).remove(id);
    } catch (const fb::Error& e) {
        ui::messages().show(
            this, ui::withDetail(QStringLiteral("При выполнении операции произошел сбой СУБД.     "), e.message()),
            ui::Icon::Error);
        return;
    }
    LoadSuppliersList(0);
    const int rows = model_->rowCount();
    // Back to the same record number, clamped to what is left.
    if (rows > 0) DBGrid1->setCurrentIndex(model_->index(std::clamp(row, 0, rows - 1), 0));
}

void TfmSuppliers::showSaved(const SupplierCard& saved) {
    presetFilter(visibilityAdjustment(filter(), saved));
    ui::guarded(this, [this, &saved] { LoadSuppliersList(saved.id); });
}

}  // namespace catalogue
