#include "archive/uFindCheck.h"

#include "archive/ReceiptSearch.h"
#include "archive/StoredGoodsCheck.h"

#include "platform/ui/ColumnFit.h"
#include "platform/ui/Guard.h"
#include "platform/ui/QueryTableModel.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <map>

TfmFindCheck* fmFindCheck = nullptr;

using namespace archive;

namespace {

using Formatter = std::function<QString(const fb::Value&)>;

std::optional<int> code(const fb::Value& v) {
    const auto n = fb::toInt64(v);
    return n ? std::optional<int>(int(*n)) : std::nullopt;
}

// Shows stored codes as words: the formatters are set once per column.
class FieldFormatProxy : public QIdentityProxyModel {
public:
    FieldFormatProxy(ui::QueryTableModel* source, std::vector<QString> fields, std::map<QString, Formatter> formats,
                     QObject* parent)
        : QIdentityProxyModel(parent), source_(source), fields_(std::move(fields)), formats_(std::move(formats)) {
        setSourceModel(source);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.isValid() && index.column() < int(fields_.size())) {
            const auto f = formats_.find(fields_[std::size_t(index.column())]);
            if (f != formats_.end() && index.row() < source_->rowCount()) {
                const fb::Row& row = source_->rowAt(index.row());
                const int i = row.indexOf(f->first);
                return i < 0 ? QString() : f->second(row.at(i));
            }
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    ui::QueryTableModel* source_;
    std::vector<QString> fields_;
    std::map<QString, Formatter> formats_;
};

QTableView* grid(QWidget* parent, const char* name) {
    auto* v = new QTableView(parent);
    v->setObjectName(QLatin1String(name));
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->horizontalHeader()->setSectionsMovable(false);
    v->verticalHeader()->setDefaultSectionSize(22);
    return v;
}

}  // namespace

TfmFindCheck::TfmFindCheck(const fb::ConnectionParams& params, const QString& kindCaption, const QString& programFolder,
                           QWidget* parent)
    : QDialog(parent), db_(params), kindCaption_(kindCaption), programFolder_(programFolder) {
    setObjectName(QStringLiteral("fmFindCheck"));
    setWindowTitle(QStringLiteral("Найти чек"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmFindCheck = this;

    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setContextMenuPolicy(Qt::NoContextMenu);
        return e;
    };
    auto picker = [this](const char* name) {
        auto* d = new QDateEdit(QDate::currentDate(), this);
        d->setObjectName(QLatin1String(name));
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        d->setCalendarPopup(true);
        d->setEnabled(false);
        return d;
    };
    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    edFPDFind = edit("edFPDFind");
    edFPDFind->setToolTip(QStringLiteral("Фискальный признак документа"));
    CheckBox2 = new QCheckBox(QStringLiteral("Дата"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    DateTimePicker1 = picker("DateTimePicker1");
    DateTimePicker2 = picker("DateTimePicker2");
    CheckBox1 = new QCheckBox(QStringLiteral(" Покупатель"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    LabeledEdit1 = edit("LabeledEdit1");
    LabeledEdit2 = edit("LabeledEdit2");
    LabeledEdit2->setToolTip(QStringLiteral("ИНН полностью"));
    LabeledEdit1->setEnabled(false);
    LabeledEdit2->setEnabled(false);
    btnFind = button("btnFind", QStringLiteral("НАЙТИ"));
    btnClose = button("btnClose", QStringLiteral("ЗАКРЫТЬ"));
    Button1 = button("Button1", QStringLiteral("ТОВАРНЫЙ ЧЕК"));
    GroupBox3 = new QGroupBox(this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    btnCheckOpen = button("btnCheckOpen", QStringLiteral("ВЕСЬ ЧЕК"));
    btnCheckOpen->setToolTip(QStringLiteral("Перенести данные выбранного чека в сетку"));
    btnPositionOpen = button("btnPositionOpen", QStringLiteral("ПОЗИЦИЮ"));
    auto* openLabel = new QLabel(QStringLiteral("ОТКРЫТЬ"), GroupBox3);
    openLabel->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    auto* openLayout = new QVBoxLayout(GroupBox3);
    openLayout->addWidget(openLabel, 0, Qt::AlignHCenter);
    openLayout->addWidget(btnCheckOpen);
    openLayout->addWidget(btnPositionOpen);
    // Copying a stored receipt into the sale stays off until the main screen
    // attaches its copy commands (setRefundHandler).
    GroupBox3->setEnabled(false);
    btnCheckOpen->setEnabled(false);
    btnPositionOpen->setEnabled(false);

    DBGrid1 = grid(this, "DBGrid1");
    DBGrid2 = grid(this, "DBGrid2");
    DBGrid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DBGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    receipts_ = new ui::QueryTableModel(this);
    const std::vector<ui::QueryTableModel::Column> receiptColumns{
        {QStringLiteral("DOC_DATE_D"), QStringLiteral("Дата")},
        {QStringLiteral("DOC_TIME_T"), QStringLiteral("Время")},
        {QStringLiteral("DOC_CHECK_TYPE"), QStringLiteral("Пр.расчета")},
        {QStringLiteral("DOC_SUMM_FULL"), QStringLiteral("Сумма чека"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DOC_PAY_NAL"), QStringLiteral("Нал"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DOC_PAY_EL"), QStringLiteral("БНал"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DOC_PAY_ADVANCE"), QStringLiteral("Предопл"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DOC_FPD"), QStringLiteral("ФПД")},
        {QStringLiteral("DOC_BUYER_NAME"), QStringLiteral("Наим. покупателя")},
        {QStringLiteral("DOC_BUYER_INN"), QStringLiteral("ИНН покуп-ля")},
    };
    receipts_->setColumns(receiptColumns);
    const Formatter payment = [](const fb::Value& v) { return paymentCell(fb::toString(v)); };
    std::vector<QString> receiptFields;
    for (const auto& c : receiptColumns) receiptFields.push_back(c.field);
    DBGrid1->setModel(new FieldFormatProxy(
        receipts_, receiptFields,
        {{QStringLiteral("DOC_DATE_D"),
          [](const fb::Value& v) {
              const auto d = fb::toDate(v);
              return d ? d->toString(QStringLiteral("dd.MM.yyyy")) : QString();
          }},
         {QStringLiteral("DOC_TIME_T"),
          [](const fb::Value& v) {
              const auto t = fb::toTime(v);
              return t ? t->toString(QStringLiteral("hh:mm:ss")) : QString();
          }},
         {QStringLiteral("DOC_CHECK_TYPE"), [](const fb::Value& v) { return receiptKindShort(code(v)); }},
         {QStringLiteral("DOC_PAY_NAL"), payment},
         {QStringLiteral("DOC_PAY_EL"), payment},
         {QStringLiteral("DOC_PAY_ADVANCE"), payment}},
        this));

    positions_ = new ui::QueryTableModel(this);
    const std::vector<ui::QueryTableModel::Column> positionColumns{
        {QStringLiteral("DD_GOOD_NAME"), QStringLiteral("Наименование")},
        {QStringLiteral("DD_GOOD_PRICE_CURRENT"), QStringLiteral("Цена"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DD_GOOD_COUNT"), QStringLiteral("Кол-во"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("DD_GOOD_EDIZM"), QStringLiteral("Ед.изм")},
        {QStringLiteral("DD_TAXRATE"), QStringLiteral("Налог")},
        {QStringLiteral("DD_GOOD_PAYTYPE"), QStringLiteral("ПСР")},
        {QStringLiteral("DD_MARKTYPE"), QStringLiteral("Марк")},
        {QStringLiteral("DD_FRACTIONAL_COUNT"), QStringLiteral("Дроб.кол.")},
        {QStringLiteral("DD_COUNTRY_CODE"), QStringLiteral("Страна")},
        {QStringLiteral("DD_DECLARE_NUMBER"), QStringLiteral("№ тамож. декларации")},
        {QStringLiteral("DD_GTIN"), QStringLiteral("GTIN")},
        {QStringLiteral("DD_SERIAL_GTIN"), QStringLiteral("Сер. номер")},
    };
    positions_->setColumns(positionColumns);
    std::vector<QString> positionFields;
    for (const auto& c : positionColumns) positionFields.push_back(c.field);
    DBGrid2->setModel(new FieldFormatProxy(
        positions_, positionFields,
        {{QStringLiteral("DD_GOOD_EDIZM"), [](const fb::Value& v) { return unitShort(code(v)); }},
         {QStringLiteral("DD_TAXRATE"), [](const fb::Value& v) { return vatShortText(code(v)); }},
         {QStringLiteral("DD_GOOD_PAYTYPE"), [](const fb::Value& v) { return paymentMethodShort(code(v)); }},
         {QStringLiteral("DD_MARKTYPE"), [](const fb::Value& v) { return markTypeShort(code(v)); }},
         {QStringLiteral("DD_COUNTRY_CODE"), [](const fb::Value& v) { return countryImportMark(code(v)); }}},
        this));
    DBGrid2->setColumnHidden(8, true);  // the country is kept, not shown
    for (QTableView* v : {DBGrid1, DBGrid2}) ui::fitColumnsToContents(v);

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("ФПД"), this), 0, 0);
    filters->addWidget(edFPDFind, 0, 1);
    filters->addWidget(CheckBox2, 1, 0);
    auto* dates = new QHBoxLayout;
    dates->addWidget(DateTimePicker1);
    dates->addWidget(DateTimePicker2);
    filters->addLayout(dates, 1, 1);
    filters->addWidget(CheckBox1, 2, 0);
    auto* buyer = new QFormLayout;
    buyer->addRow(QStringLiteral("Название"), LabeledEdit1);
    buyer->addRow(QStringLiteral("ИНН"), LabeledEdit2);
    filters->addLayout(buyer, 2, 1);
    auto* commands = new QVBoxLayout;
    commands->addWidget(btnFind);
    commands->addWidget(Button1);
    commands->addWidget(GroupBox3);
    commands->addStretch(1);
    commands->addWidget(btnClose);
    auto* top = new QHBoxLayout;
    top->addLayout(filters, 1);
    top->addLayout(commands);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 2);
    layout->addWidget(DBGrid2, 1);
    resize(1000, 640);

    for (QTableView* v : {DBGrid1, DBGrid2}) v->viewport()->installEventFilter(this);

    connect(CheckBox1, &QCheckBox::toggled, this, &TfmFindCheck::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TfmFindCheck::CheckBox2Click);
    connect(btnFind, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { btnFindClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button1Click(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ui::guarded(this, [this] { showPositions(); }); });
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfmFindCheck::updateCopyCommands);
    auto copy = [this](bool whole) {
        const int docId = currentDocId();
        const int position = currentPositionRow();
        // A click that reached a disabled command (a key, a late event) is
        // judged again: only a stored sale is ever copied, only into a return.
        if (!copyAllowed() || docId == 0 || position < 0) return;
        ui::guarded(this, [&] { refund_(*this, docId, position, whole); });
    };
    connect(btnCheckOpen, &QPushButton::clicked, this, [copy] { copy(true); });
    connect(btnPositionOpen, &QPushButton::clicked, this, [copy] { copy(false); });
}

TfmFindCheck::~TfmFindCheck() {
    if (fmFindCheck == this) fmFindCheck = nullptr;
}

void TfmFindCheck::CheckBox1Click() {
    LabeledEdit1->setEnabled(CheckBox1->isChecked());
    LabeledEdit2->setEnabled(CheckBox1->isChecked());
}

void TfmFindCheck::CheckBox2Click() {
    DateTimePicker1->setEnabled(CheckBox2->isChecked());
    DateTimePicker2->setEnabled(CheckBox2->isChecked());
}

int TfmFindCheck::currentDocId() const {
    const int row = DBGrid1->currentIndex().row();
    if (row < 0 || row >= receipts_->rowCount()) return 0;
    return receipts_->rowAt(row).integer(QStringLiteral("DOC_ID"));
}

const fb::Row* TfmFindCheck::currentReceipt() const {
    const int row = DBGrid1->currentIndex().row();
    if (row < 0 || row >= receipts_->rowCount()) return nullptr;
    return &receipts_->rowAt(row);
}

std::vector<fb::Row> TfmFindCheck::positionRows() const {
    // The list holds every line of one receipt (fetched whole on opening).
    while (positions_->canFetchMore({})) positions_->fetchMore({});
    std::vector<fb::Row> rows;
    for (int r = 0; r < positions_->rowCount(); ++r) rows.push_back(positions_->rowAt(r));
    return rows;
}

int TfmFindCheck::currentPositionRow() const {
    const int row = DBGrid2->currentIndex().row();
    return row >= 0 && row < positions_->rowCount() ? row : -1;
}

void TfmFindCheck::setRefundHandler(RefundHandler handler) {
    refund_ = std::move(handler);
    updateCopyCommands();
}

bool TfmFindCheck::copyAllowed() const {
    const fb::Row* receipt = currentReceipt();
    return refund_ && receipt && storedReceiptCopyable(kindCaption_, *receipt);
}

void TfmFindCheck::updateCopyCommands() {
    const bool on = copyAllowed() && currentDocId() != 0 && currentPositionRow() >= 0;
    GroupBox3->setEnabled(on);
    btnCheckOpen->setEnabled(on);
    btnPositionOpen->setEnabled(on);
}

void TfmFindCheck::btnFindClick() {
    ReceiptSearchFilter f;
    f.returnMode = isSaleReturnKind(kindCaption_);
    f.fpd = edFPDFind->text();
    f.dateOn = CheckBox2->isChecked();
    f.from = DateTimePicker1->date();
    f.to = DateTimePicker2->date();
    f.buyerOn = CheckBox1->isChecked();
    f.buyerName = LabeledEdit1->text();
    f.buyerInn = LabeledEdit2->text();
    const ReceiptSearchQuery q = buildReceiptSearchQuery(f);
    positions_->clear();
    receipts_->setQuery(db_, q.sql, q.params);
    if (receipts_->rowCount() > 0) DBGrid1->setCurrentIndex(DBGrid1->model()->index(0, 0));
    updateCopyCommands();
}

void TfmFindCheck::showPositions() {
    const int docId = currentDocId();
    if (docId == 0) {
        positions_->clear();
        updateCopyCommands();
        return;
    }
    positions_->setQuery(db_, kReceiptLinesSql, {std::int64_t{docId}});
    if (positions_->rowCount() > 0) DBGrid2->setCurrentIndex(DBGrid2->model()->index(0, 0));
    updateCopyCommands();
}

void TfmFindCheck::Button1Click() {
    const int docId = currentDocId();
    if (docId == 0) return;
    printStoredGoodsCheck(this, db_, programFolder_, docId, [this, docId] { reopenAt(docId); });
}

void TfmFindCheck::reopenAt(int docId) {
    const int row = DBGrid1->currentIndex().row();
    receipts_->reload(row + 1);
    const int found = receipts_->findRow(QStringLiteral("DOC_ID"), QString::number(docId));
    if (found >= 0) DBGrid1->setCurrentIndex(DBGrid1->model()->index(found, 0));
}

bool TfmFindCheck::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        for (QTableView* v : {DBGrid1, DBGrid2}) {
            if (watched != v->viewport()) continue;
            // The wheel moves the current record by one, as the lists
            // of this program do.
            const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() < 0 ? 1 : -1;
            const int row = std::clamp(v->currentIndex().row() + step, 0, std::max(0, v->model()->rowCount() - 1));
            if (v->model()->rowCount() > 0)
                v->setCurrentIndex(v->model()->index(row, std::max(0, v->currentIndex().column())));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
