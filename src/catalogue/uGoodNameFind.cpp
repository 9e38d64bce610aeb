#include "uGoodNameFind.h"

#include "core/DataModule.h"
#include "core/GroupTree.h"
#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "catalogue/CatalogueLogic.h"
#include "platform/ui/QueryTableModel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace catalogue {

QPointer<TfmGoodNameFind> fmGoodNameFind;

namespace {

// "показывать страну происхождения товара" is kept between openings.
bool countryShownState = false;

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

NameFoundGoods goodsFromRow(const fb::Row& row) {
    NameFoundGoods g;
    g.id = row.int64(QStringLiteral("GOOD_ID"));
    g.name = row.str(QStringLiteral("GOOD_NAME"));
    g.price = row.str(QStringLiteral("GOOD_PRICE")).trimmed();
    g.weighed = row.str(QStringLiteral("GOOD_W"));
    g.fractionalAllow = row.integer(QStringLiteral("FRACTIONAL_ALLOW")) == 1;
    g.type = row.str(QStringLiteral("GOOD_TYPE")).trimmed();
    g.vat = row.str(QStringLiteral("GOOD_NALOG")).trimmed();
    if (!row.isNull(QStringLiteral("GOOD_EDIZM_FFD"))) g.unitCode = row.integer(QStringLiteral("GOOD_EDIZM_FFD"));
    g.unit = row.str(QStringLiteral("GOOD_EDIZM"));
    g.unitShown = row.str(QStringLiteral("GOOD_EDIZM1"));
    g.stock = row.str(QStringLiteral("GOOD_COUNT"));
    g.markType = row.integer(QStringLiteral("GOOD_MARKTYPE"));
    g.packCount = row.integer(QStringLiteral("GOOD_PACKCOUNT"));
    g.countryCode = row.str(QStringLiteral("GOOD_COUNTRY_CODE")).trimmed();
    g.countryName = row.str(QStringLiteral("COUNTRY_NAME"));
    return g;
}

}  // namespace

// The list with the ID column shown as the ID and two blanks.
class GoodNameFindModel : public ui::QueryTableModel {
public:
    using ui::QueryTableModel::QueryTableModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const QVariant v = ui::QueryTableModel::data(index, role);
        if (role == Qt::DisplayRole && index.column() == ColId && v.isValid()) return goodsIdCell(v.toString());
        return v;
    }
};

void addGoodsToPriceTagList(fb::Connection& db, const NameFoundGoods& g) {
    db.ensureConnected();
    fb::Transaction tr(db);
    fb::callProcedure(tr, QStringLiteral("GOODS_TEMP_EDIT"),
                      {{QStringLiteral("I_MODE"), std::int64_t{1}},
                       {QStringLiteral("I_ID"), g.id},
                       {QStringLiteral("I_NAME"), g.name},
                       {QStringLiteral("I_PRICE"), g.price},
                       {QStringLiteral("I_EDIZM"), g.unit},
                       {QStringLiteral("I_COUNTRY"), g.countryName}});
    tr.commit();
}

TfmGoodNameFind::TfmGoodNameFind(fb::Connection& db, int mode, GoodNameFindSink sink, QWidget* parent)
    : QDialog(parent), db_(db), mode_(mode), sink_(std::move(sink)), model_(new GoodNameFindModel(this)) {
    setObjectName(QStringLiteral("fmGoodNameFind"));
    setWindowTitle(QStringLiteral("Поиск по названию"));
    model_->setBatchSize(kGoodsListBatchRows);
    fmGoodNameFind = this;

    TreeView1 = named(new QTreeWidget(this), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    GroupBox1 = named(new QGroupBox(QStringLiteral("  Фильтр по наименованию  "), this), "GroupBox1");
    RadioButton1 = named(new QRadioButton(QStringLiteral("начинается с ... "), GroupBox1), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("входит в наименование "), GroupBox1), "RadioButton2");
    RadioButton2->setChecked(true);
    edFilterText = named(new QLineEdit(GroupBox1), "edFilterText");
    btnClear = named(new QPushButton(QStringLiteral("X"), GroupBox1), "btnClear");
    btnClear->setAutoDefault(false);
    CheckBox1 = named(new QCheckBox(QStringLiteral("по всей базе"), this), "CheckBox1");
    CheckBox1->setChecked(true);
    chCountryShow =
        named(new QCheckBox(QStringLiteral("показывать страну происхождения товара"), this), "chCountryShow");
    chCountryShow->setChecked(countryShownState);

    DBGridGoods = named(new QTableView(this), "DBGridGoods");
    DBGridGoods->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridGoods->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridGoods->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridGoods->verticalHeader()->hide();
    DBGridGoods->horizontalHeader()->setSectionsMovable(false);
    const QString modeTitle = GoodsSearchLayout(mode_, false).stockTitle;
    const QString stockTitle = modeTitle.isEmpty() ? QStringLiteral("Кол. уч.") : modeTitle;
    model_->setColumns({{QStringLiteral("GOOD_ID"), QStringLiteral("Код (ID)"), Qt::AlignRight | Qt::AlignVCenter},
                        {QStringLiteral("GOOD_NAME"), QStringLiteral("Наименование")},
                        {QStringLiteral("GOOD_PRICE"), QStringLiteral("Цена"), Qt::AlignRight | Qt::AlignVCenter},
                        {QStringLiteral("GOOD_W"), QStringLiteral("Вес.")},
                        {QStringLiteral("GOOD_EDIZM1"), QStringLiteral("Ед.изм.")},
                        {QStringLiteral("COUNTRY_NAME"), QStringLiteral("Страна пр-ва")},
                        {QStringLiteral("GOOD_COUNT"), stockTitle, Qt::AlignRight | Qt::AlignVCenter}});
    DBGridGoods->setModel(model_);
    DBGridGoods->viewport()->installEventFilter(this);

    // The price-tag list takes each pick into its list.
    btnOK = named(new QPushButton(mode_ == FindForPriceTags ? QStringLiteral("ДОБАВИТЬ") : QStringLiteral("OK"), this),
                  "btnOK");
    btnOK->setAutoDefault(false);
    btnCANCEL = named(new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this), "btnCANCEL");
    btnCANCEL->setAutoDefault(false);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1500);
    Timer1->setSingleShot(true);

    auto* filter = new QGridLayout(GroupBox1);
    filter->addWidget(RadioButton1, 0, 0);
    filter->addWidget(RadioButton2, 0, 1);
    filter->addWidget(edFilterText, 1, 0, 1, 2);
    filter->addWidget(btnClear, 1, 2);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(CheckBox1);
    boxes->addWidget(chCountryShow);
    boxes->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCANCEL);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox1);
    right->addLayout(boxes);
    right->addWidget(DBGridGoods, 1);
    right->addLayout(buttons);
    auto* main = new QHBoxLayout(this);
    main->addWidget(TreeView1, 1);
    main->addLayout(right);

    const auto guardedSlot = [this](void (TfmGoodNameFind::*slot)()) {
        return [this, slot] { ui::guarded(this, [&] { (this->*slot)(); }); };
    };
    connect(edFilterText, &QLineEdit::textChanged, this, [this] { Timer1->start(); });
    connect(Timer1, &QTimer::timeout, this, guardedSlot(&TfmGoodNameFind::Timer1Timer));
    // The two buttons are exclusive, so the first one toggles on every change
    // of mode, whether by mouse, arrow keys or code.
    connect(RadioButton1, &QRadioButton::toggled, this, guardedSlot(&TfmGoodNameFind::Timer1Timer));
    connect(CheckBox1, &QCheckBox::clicked, this, guardedSlot(&TfmGoodNameFind::CheckBox1Click));
    connect(chCountryShow, &QCheckBox::clicked, this, &TfmGoodNameFind::chCountryShowClick);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this, guardedSlot] {
        if (!treeDetached_) guardedSlot (&TfmGoodNameFind::TreeView1Change)();
    });
    connect(btnClear, &QPushButton::clicked, this, guardedSlot(&TfmGoodNameFind::btnClearClick));
    connect(btnOK, &QPushButton::clicked, this, guardedSlot(&TfmGoodNameFind::btnOKClick));
    connect(btnCANCEL, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGridGoods, &QTableView::doubleClicked, this, [this, guardedSlot](const QModelIndex& index) {
        if (index.isValid()) guardedSlot (&TfmGoodNameFind::btnOKClick)();
    });

    applyLayout();
}

TfmGoodNameFind::~TfmGoodNameFind() {
    model_->clear();
}

void TfmGoodNameFind::setFilterDelay(int ms) {
    Timer1->setInterval(ms);
}

void TfmGoodNameFind::applyLayout() {
    const GoodsSearchLayoutSpec s = GoodsSearchLayout(mode_, chCountryShow->isChecked());
    for (int c = 0; c < ColCount; ++c) {
        DBGridGoods->setColumnHidden(c, s.hidden[c]);
        if (s.width[c] > 0) DBGridGoods->setColumnWidth(c, s.width[c]);
    }
    chCountryShow->setVisible(s.countryBoxVisible);
    if (s.bigFont) {
        QFont f = DBGridGoods->font();
        f.setPointSize(12);
        DBGridGoods->setFont(f);
    }
    DBGridGoods->setFixedWidth(s.gridWidth);
    resize(s.windowWidth, height() > 200 ? height() : 560);
}

void TfmGoodNameFind::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    ui::guarded(this, [this] { FormShow(); });
}

void TfmGoodNameFind::hideEvent(QHideEvent* event) {
    // A closed search holds no cursor open on the goods.
    Timer1->stop();
    model_->clear();
    shown_ = false;
    QDialog::hideEvent(event);
}

void TfmGoodNameFind::FormShow() {
    treeDetached_ = true;
    QTreeWidgetItem* root = core::FillGroupTree(TreeView1, db_, 0);
    TreeView1->sortItems(0, Qt::AscendingOrder);
    if (root) root->setExpanded(true);
    TreeView1->setCurrentItem(root);
    treeDetached_ = false;
    {
        const QSignalBlocker b1(CheckBox1);
        const QSignalBlocker b2(RadioButton2);
        const QSignalBlocker b3(RadioButton1);
        CheckBox1->setChecked(true);
        RadioButton2->setChecked(true);
    }
    edFilterText->setFocus();
    Timer1Timer();
}

void TfmGoodNameFind::Timer1Timer() {
    Timer1->stop();
    const GoodNameFindQuery q =
        BuildGoodsListQuery(edFilterText->text(), RadioButton1->isChecked(), CheckBox1->isChecked(),
                            core::groupTreeItemId(TreeView1->currentItem()));
    model_->setQuery(db_, q.sql, q.params);
    if (model_->rowCount() > 0) DBGridGoods->setCurrentIndex(model_->index(0, ColName));
    emit listRequeried();
}

void TfmGoodNameFind::TreeView1Change() {
    {
        const QSignalBlocker block(CheckBox1);
        CheckBox1->setChecked(false);
    }
    Timer1Timer();
}

void TfmGoodNameFind::CheckBox1Click() {
    if (CheckBox1->isChecked() && TreeView1->topLevelItemCount() > 0) {
        treeDetached_ = true;
        TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
        treeDetached_ = false;
    }
    Timer1Timer();
}

void TfmGoodNameFind::btnClearClick() {
    {
        const QSignalBlocker block(edFilterText);
        edFilterText->clear();
    }
    Timer1Timer();
}

void TfmGoodNameFind::chCountryShowClick() {
    countryShownState = chCountryShow->isChecked();
    applyLayout();
}

int TfmGoodNameFind::rowCount() const {
    return model_->rowCount();
}

std::optional<NameFoundGoods> TfmGoodNameFind::goodsAt(int row) const {
    if (row < 0 || row >= model_->rowCount()) return std::nullopt;
    return goodsFromRow(model_->rowAt(row));
}

std::optional<NameFoundGoods> TfmGoodNameFind::currentGoods() const {
    const QModelIndex i = DBGridGoods->currentIndex();
    return i.isValid() ? goodsAt(i.row()) : std::nullopt;
}

void TfmGoodNameFind::selectRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    DBGridGoods->setCurrentIndex(model_->index(row, ColName));
    DBGridGoods->scrollTo(model_->index(row, ColName));
}

void TfmGoodNameFind::btnOKClick() {
    const std::optional<NameFoundGoods> goods = currentGoods();
    if (!goods) return;
    if (sink_) {
        sink_(*goods, this);
        return;
    }
    if (mode_ == FindForPriceTags) {
        try {
            addGoodsToPriceTagList(db_, *goods);
        } catch (const std::exception&) {
            ui::showError(priceTagAddFailedText(), this);
        }
    }
}

bool TfmGoodNameFind::eventFilter(QObject* watched, QEvent* event) {
    // The wheel moves the current row one record at a time.
    if (watched == DBGridGoods->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int step = wheel->angleDelta().y() > 0 ? -1 : (wheel->angleDelta().y() < 0 ? 1 : 0);
        const QModelIndex current = DBGridGoods->currentIndex();
        const int row = current.isValid() ? current.row() : -1;
        if (step != 0 && row + step >= 0) {
            if (row + step >= model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
            selectRow(row + step);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void openGoodNameFind(QWidget* parent, int mode, GoodNameFindSink sink) {
    // The built-in administrator's session has no goods to search.
    if (!core::DataModule1 || !core::DataModule1->isConnected()) return;
    QPointer<TfmGoodNameFind> window =
        new TfmGoodNameFind(core::DataModule1->IBDatabase1(), mode, std::move(sink), parent);
    window->exec();
    delete window;
}

}  // namespace catalogue
