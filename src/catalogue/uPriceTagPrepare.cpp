#include "uPriceTagPrepare.h"

#include "PriceTagLogic.h"
#include "uPriceTagSizeSelect.h"

#include "core/CompanyRepository.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/ColumnFit.h"
#include "platform/ui/Guard.h"
#include "platform/ui/QueryTableModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace catalogue {

QPointer<TfmPriceTagPrepare> fmPriceTagPrepare;

namespace {

PriceTagGoodsSearch& searchHook() {
    static PriceTagGoodsSearch hook;
    return hook;
}

// The list's G_NAME and G_COUNTRY columns.
constexpr int kNameColumn = 2;
constexpr int kCountryColumn = 5;

const QString kFillFailed = QStringLiteral("При заполнении списка произошла ошибка БД.    ");
const QString kFillServerAdvice =
    QStringLiteral("\r\nПроверьте, запущен ли сервер FireBird, \r\nи попробуйте ещё раз.");
const QString kClearFailed = QStringLiteral("При очистке списка произошла ошибка БД.    ");

QLineEdit* lineEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setContextMenuPolicy(Qt::NoContextMenu);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

void setPriceTagGoodsSearch(PriceTagGoodsSearch search) {
    searchHook() = std::move(search);
}
const PriceTagGoodsSearch& priceTagGoodsSearch() {
    return searchHook();
}

// The list with a running row number in its first column.
class PriceTagListModel : public ui::QueryTableModel {
public:
    using ui::QueryTableModel::QueryTableModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.isValid() && index.column() == 0) {
            if (role == Qt::DisplayRole) return index.row() + 1;
            if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        }
        return ui::QueryTableModel::data(index, role);
    }
};

TfmPriceTagPrepare::TfmPriceTagPrepare(fb::Connection& db, QString programFolder, QWidget* parent)
    : QDialog(parent), db_(db), programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("fmPriceTagPrepare"));
    setWindowTitle(QStringLiteral("Печать ценников"));
    fmPriceTagPrepare = this;

    // Organisation
    auto* organisation = new QGroupBox(QStringLiteral("  Организация  "), this);
    edCompanyName = lineEdit(organisation, "edCompanyName");
    edCompanyFullName = lineEdit(organisation, "edCompanyFullName");
    edInn = lineEdit(organisation, "edInn");
    edSalesPointInfo = lineEdit(organisation, "edSalesPointInfo");
    RadioButton1 = new QRadioButton(QStringLiteral("Наименование"), organisation);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Полное наименование"), organisation);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    CheckBox1 = new QCheckBox(QStringLiteral("печатать в ценнике"), organisation);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("печатать в ценнике"), organisation);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    auto* innLabel = new QLabel(QStringLiteral("ИНН"), organisation);
    // The tax number is kept for the layouts but not offered for printing.
    for (QWidget* w : {static_cast<QWidget*>(edInn), static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(innLabel)})
        w->setVisible(false);
    auto* orgGrid = new QGridLayout(organisation);
    orgGrid->addWidget(RadioButton1, 0, 0);
    orgGrid->addWidget(edCompanyName, 0, 1);
    orgGrid->addWidget(RadioButton2, 1, 0);
    orgGrid->addWidget(edCompanyFullName, 1, 1);
    orgGrid->addWidget(innLabel, 2, 0);
    orgGrid->addWidget(edInn, 2, 1);
    orgGrid->addWidget(CheckBox1, 2, 2);
    orgGrid->addWidget(new QLabel(QStringLiteral("Точка продаж"), organisation), 3, 0);
    orgGrid->addWidget(edSalesPointInfo, 3, 1);
    orgGrid->addWidget(CheckBox2, 3, 2);

    // Selection
    auto* selection = new QGroupBox(QStringLiteral(" Условия отбора "), this);
    ComboBox1 = new QComboBox(selection);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setMaxVisibleItems(20);
    ListBox1 = new QListWidget(selection);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setVisible(false);
    LabeledEdit1 = lineEdit(selection, "LabeledEdit1");
    btnFill = button(selection, "btnFill", QStringLiteral("Заполнить"), QStringLiteral("Заполнить по условиям отбора"));
    auto* selForm = new QFormLayout;
    selForm->addRow(QStringLiteral("Товар в группе: "), ComboBox1);
    selForm->addRow(QStringLiteral("В наименование товара входит:"), LabeledEdit1);
    auto* selLayout = new QHBoxLayout(selection);
    selLayout->addLayout(selForm, 1);
    selLayout->addWidget(btnFill, 0, Qt::AlignBottom);

    // Print options
    auto* options = new QGroupBox(QStringLiteral(" Печатать: "), this);
    CheckBox3 = new QCheckBox(QStringLiteral("код товара"), options);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setChecked(true);
    chPricePrint = new QCheckBox(QStringLiteral("цену"), options);
    chPricePrint->setObjectName(QStringLiteral("chPricePrint"));
    chPricePrint->setChecked(true);
    auto* optLayout = new QVBoxLayout(options);
    optLayout->addWidget(CheckBox3);
    optLayout->addWidget(chPricePrint);

    // The list
    model_ = new PriceTagListModel(this);
    model_->setColumns({{QStringLiteral("G_RECORD_ID"), QStringLiteral("№"), Qt::AlignCenter},
                        {QStringLiteral("G_ID"), QStringLiteral("Код")},
                        {QStringLiteral("G_NAME"), QStringLiteral("Наименование")},
                        {QStringLiteral("G_PRICE"), QStringLiteral("Цена"), Qt::AlignRight | Qt::AlignVCenter},
                        {QStringLiteral("G_EDIZM"), QStringLiteral("Ед. изм.")},
                        {QStringLiteral("G_COUNTRY"), QStringLiteral("Страна")},
                        {QStringLiteral("G_DECLAR_NUMBER"), QStringLiteral("Штрих-код")}});
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    // A long name, then a long country, gives way to the code, price and
    // barcode the tags are made of.
    ui::fitColumnsToContents(DBGrid1, {kNameColumn, kCountryColumn});
    DBGrid1->viewport()->installEventFilter(this);

    btnAdd = button(this, "btnAdd", QStringLiteral("Добавить"), QStringLiteral("Добавить позицию в список"));
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("Удалить"), QStringLiteral("Удалить позицию из списка"));
    btnClear = button(this, "btnClear", QStringLiteral("Очистить"), QStringLiteral("Очистить список"));
    Button2 = button(this, "Button2", QStringLiteral("ПЕЧАТЬ"), QString());

    auto* top = new QHBoxLayout;
    top->addWidget(organisation, 3);
    auto* right = new QVBoxLayout;
    right->addWidget(options);
    right->addStretch();
    top->addLayout(right, 1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(btnAdd);
    commands->addWidget(BitBtn2);
    commands->addWidget(btnClear);
    commands->addStretch();
    commands->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(selection);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(commands);
    resize(820, 600);

    connect(RadioButton1, &QRadioButton::toggled, this, [this] { updateActions(); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { updateActions(); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { updateActions(); });
    connect(btnFill, &QPushButton::clicked, this, &TfmPriceTagPrepare::btnFillClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfmPriceTagPrepare::btnAddClick);
    connect(BitBtn2, &QPushButton::clicked, this, &TfmPriceTagPrepare::BitBtn2Click);
    connect(btnClear, &QPushButton::clicked, this, &TfmPriceTagPrepare::btnClearClick);
    connect(Button2, &QPushButton::clicked, this, &TfmPriceTagPrepare::Button2Click);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { updateActions(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { updateActions(); });

    updateActions();
}

TfmPriceTagPrepare::~TfmPriceTagPrepare() {
    // The grid lets go of the list before the list is emptied; the size
    // dialog lives as long as this window.
    model_->clear();
    try {
        fb::Transaction tr(db_);
        fb::execute(tr, QStringLiteral("DELETE FROM GOODS_TEMP;"));
        tr.commit();
    } catch (...) {
        // The list is emptied again when it is next opened.
    }
    delete fmPriceTagSizeSelect.data();
}

// The wheel steps through the list one row at a time, as the other lists do.
bool TfmPriceTagPrepare::eventFilter(QObject* watched, QEvent* event) {
    if (watched != DBGrid1->viewport() || event->type() != QEvent::Wheel) return QDialog::eventFilter(watched, event);
    const int count = model_->rowCount();
    if (count > 0) {
        const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
        DBGrid1->selectRow(std::clamp(currentRow() + step, 0, count - 1));
    }
    return true;
}

void TfmPriceTagPrepare::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TfmPriceTagPrepare::FormShow() {
    ui::guarded(this, [this] {
        const core::CompanyInfo company = core::CompanyRepository(db_).load();
        edCompanyName->setText(company.name);
        edCompanyFullName->setText(company.fullName);
        edInn->setText(company.inn);
        edSalesPointInfo->setText(company.salesPoint);

        ComboBox1->clear();
        ListBox1->clear();
        // The empty first entry selects goods of every group.
        ComboBox1->addItem(QString());
        ListBox1->addItem(QString());
        fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
        for (const fb::Row& r :
             fb::query(tr, QStringLiteral("SELECT GOOD_ID, GOOD_NAME FROM GOODS WHERE GOOD_ISGOOD=0 ORDER BY GOOD_NAME "
                                          "COLLATE PXW_CYRL"))) {
            ComboBox1->addItem(r.str(QStringLiteral("GOOD_NAME")));
            ListBox1->addItem(r.str(QStringLiteral("GOOD_ID")));
        }
        tr.commit();
        ComboBox1->setCurrentIndex(0);
    });
    ui::guarded(this, [this] {
        fb::Transaction tr(db_);
        clearPriceTagList(tr);
        tr.commit();
    });
    reopen(0);
}

int TfmPriceTagPrepare::rowCount() const {
    return model_->rowCount();
}

int TfmPriceTagPrepare::currentRow() const {
    const QModelIndex i = DBGrid1->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TfmPriceTagPrepare::reopen(int row) {
    ui::guarded(this, [&] {
        model_->setQuery(db_, QString::fromLatin1(kPriceTagListSql));
        if (row > 0) model_->reload(row + 1);
    });
    const int count = model_->rowCount();
    if (count > 0) DBGrid1->selectRow(std::clamp(row, 0, count - 1));
    updateActions();
}

void TfmPriceTagPrepare::btnFillClick() {
    std::optional<std::int64_t> group;
    const int g = ComboBox1->currentIndex();
    if (g > 0 && g < ListBox1->count()) group = ListBox1->item(g)->text().toLongLong();
    try {
        fillPriceTagList(db_, group, LabeledEdit1->text());
    } catch (const fb::Error& e) {
        QString text = kFillFailed;
        if (e.category() == fb::ErrorCategory::ConnectionLost) text += kFillServerAdvice;
        ui::showError(ui::withDetail(text, e.message()), this);
    } catch (const std::exception& e) {
        ui::showError(ui::unexpectedFailureText(QString::fromUtf8(e.what())), this);
    }
    reopen(0);
}

void TfmPriceTagPrepare::btnAddClick() {
    const PriceTagGoodsSearch& search = priceTagGoodsSearch();
    if (!search) return;
    const int row = currentRow();
    ui::guarded(this, [&] { search(this); });
    reopen(std::max(row, 0));
}

void TfmPriceTagPrepare::BitBtn2Click() {
    const int row = currentRow();
    if (row < 0) return;
    const std::int64_t id = model_->rowAt(row).int64(QStringLiteral("G_RECORD_ID"));
    ui::guarded(this, [&] { removePriceTag(db_, id); });
    reopen(row);
}

void TfmPriceTagPrepare::btnClearClick() {
    try {
        fb::Transaction tr(db_);
        clearPriceTagList(tr);
        tr.commit();
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(kClearFailed, e.message()), this);
    }
    reopen(0);
}

void TfmPriceTagPrepare::Button2Click() {
    if (model_->rowCount() == 0) return;
    if (!fmPriceTagSizeSelect) new TfmPriceTagSizeSelect(this);
    QPointer<TfmPriceTagSizeSelect> sizes = fmPriceTagSizeSelect;
    sizes->setCopies(copies_);
    const int code = sizes->exec();
    if (!sizes || !priceTagReport(code)) return;
    copies_ = sizes->copies();

    PriceTagPrint print;
    print.code = code;
    print.copies = copies_;
    print.organisation = organisationText(edCompanyName->text(), edCompanyFullName->text(), RadioButton2->isChecked(),
                                          CheckBox2->isChecked(), edSalesPointInfo->text(), code);
    print.printCode = CheckBox3->isChecked();
    print.printPrice = chPricePrint->isChecked();
    ui::guarded(this, [&] { printPriceTags(this, programFolder_, print, priceTagRows(db_)); });
}

void TfmPriceTagPrepare::updateActions() {
    edCompanyName->setEnabled(RadioButton1->isChecked());
    edCompanyFullName->setEnabled(RadioButton2->isChecked());
    edSalesPointInfo->setEnabled(CheckBox2->isChecked());
    edInn->setEnabled(CheckBox1->isChecked());
    const bool any = model_->rowCount() > 0;
    btnAdd->setEnabled(static_cast<bool>(priceTagGoodsSearch()));
    BitBtn2->setEnabled(any);
    btnClear->setEnabled(any);
    Button2->setEnabled(any);
}

void openPriceTags(fb::Connection& db, const QString& programFolder, QWidget* parent) {
    if (!fmPriceTagPrepare) new TfmPriceTagPrepare(db, programFolder, parent);
    QPointer<TfmPriceTagPrepare> w = fmPriceTagPrepare;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->exec();
    // A window closed by other means than its close box is freed here.
    if (w) delete w.data();
}

}  // namespace catalogue
