#include "uGoods.h"

#include "Catalogue.h"
#include "CatalogueRepository.h"
#include "uGoodEdit.h"

#include "core/GroupTree.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/QueryTableModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace catalogue {

QPointer<TfmGoods> fmGoods;

namespace {

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

constexpr int kNameColumn = 1;
constexpr int kNameMinimum = 320;

// Each column is as wide as its title and the values on screen; the name
// takes the room that is left, never less than it needs to be read, and the
// horizontal scroll bar reaches what the window cannot show.
void fitColumns(QTableView* grid) {
    int others = 0;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        if (c == kNameColumn || grid->isColumnHidden(c)) continue;
        grid->resizeColumnToContents(c);
        others += grid->columnWidth(c);
    }
    grid->setColumnWidth(kNameColumn, std::max(kNameMinimum, grid->viewport()->width() - others));
}

}  // namespace

TfmGoods::TfmGoods(fb::Connection& db, QWidget* parent)
    : QDialog(parent), db_(db), model_(new ui::QueryTableModel(this)) {
    setObjectName(QStringLiteral("fmGoods"));
    setWindowTitle(QStringLiteral("Номенклатура"));
    model_->setBatchSize(kGoodsListBatchRows);
    fmGoods = this;

    TreeView1 = named(new QTreeWidget(this), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(10);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);

    DBGridGoods = named(new QTableView(this), "DBGridGoods");
    DBGridGoods->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridGoods->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridGoods->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Whatever the window's width, every column stays reachable.
    DBGridGoods->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    DBGridGoods->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    DBGridGoods->horizontalHeader()->setSectionsMovable(false);
    DBGridGoods->verticalHeader()->hide();
    model_->setColumns({{QStringLiteral("GOOD_ID"), QStringLiteral("Код")},
                        {QStringLiteral("GOOD_NAME"), QStringLiteral("Наименование")},
                        {QStringLiteral("GOOD_PRICE"), QStringLiteral("Цена"), Qt::AlignRight | Qt::AlignVCenter},
                        {QStringLiteral("GOOD_EDIZM1"), QStringLiteral("Ед.изм.")},
                        {QStringLiteral("COUNTRY_NAME"), QStringLiteral("Страна пр-ва")},
                        {QStringLiteral("GOOD_W"), QStringLiteral("Вес.")},
                        {QStringLiteral("GOOD_NALOG"), QStringLiteral("Налог")}});
    DBGridGoods->setModel(model_);
    DBGridGoods->setColumnHidden(6, true);
    DBGridGoods->setColumnWidth(kNameColumn, kNameMinimum);

    edFilterText = named(new QLineEdit(this), "edFilterText");
    edFilterText->setContextMenuPolicy(Qt::NoContextMenu);
    RadioButton1 = named(new QRadioButton(QStringLiteral("начинается с ..."), this), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("входит в наименование"), this), "RadioButton2");
    RadioButton2->setChecked(true);
    CheckBox1 = named(new QCheckBox(QStringLiteral("по всей базе"), this), "CheckBox1");
    CheckBox1->setChecked(true);
    btnClear = named(new QPushButton(QStringLiteral("X"), this), "btnClear");
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1500);
    Timer1->setSingleShot(true);

    auto button = [this](const char* name, const QString& text) {
        auto* b = named(new QPushButton(text, this), name);
        b->setAutoDefault(false);
        return b;
    };
    btnClear->setAutoDefault(false);
    btnGoodAdd = button("btnGoodAdd", QStringLiteral("ДОБАВИТЬ"));
    btnAddCopy = button("btnAddCopy", QStringLiteral("ДОБ. КОПИР."));
    btnGoodEdit = button("btnGoodEdit", QStringLiteral("ИЗМЕНИТЬ"));
    btnGoodDelete = button("btnGoodDelete", QStringLiteral("УДАЛИТЬ"));
    Button1 = button("Button1", QStringLiteral("ЗАКРЫТЬ"));
    Button2 = button("Button2", QStringLiteral("Доп. установки"));
    auto tool = [this](const char* name, const QString& text) {
        auto* b = named(new QToolButton(this), name);
        b->setText(text);
        b->setToolTip(text);
        return b;
    };
    ToolButton1 = tool("ToolButton1", QStringLiteral("Создать группу"));
    ToolButton3 = tool("ToolButton3", QStringLiteral("Редактировать группу"));
    ToolButton5 = tool("ToolButton5", QStringLiteral("Удалить группу"));
    MGroupSettings = named(new QMenu(this), "MGroupSettings");
    QAction* N1 = MGroupSettings->addAction(QStringLiteral("Групповые операции"));
    N1->setObjectName(QStringLiteral("N1"));

    auto* tools = new QHBoxLayout;
    for (QToolButton* b : {ToolButton1, ToolButton3, ToolButton5}) tools->addWidget(b);
    tools->addStretch();
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addLayout(tools);
    leftLayout->addWidget(TreeView1);

    auto* filter = new QHBoxLayout;
    filter->addWidget(edFilterText, 1);
    filter->addWidget(btnClear);
    filter->addWidget(RadioButton1);
    filter->addWidget(RadioButton2);
    filter->addWidget(CheckBox1);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnGoodAdd, btnAddCopy, btnGoodEdit, btnGoodDelete}) commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(Button2);
    commands->addWidget(Button1);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addLayout(filter);
    rightLayout->addWidget(DBGridGoods);
    rightLayout->addLayout(commands);

    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    resize(1100, 700);

    auto guardedSlot = [this](void (TfmGoods::*handler)()) {
        return [this, handler] { ui::guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] {
        if (!treeChangeDetached_) ui::guarded(this, [this] { TreeView1Change(); });
    });
    connect(edFilterText, &QLineEdit::textEdited, this, [this] { Timer1->start(); });
    connect(Timer1, &QTimer::timeout, this, guardedSlot(&TfmGoods::Timer1Timer));
    connect(RadioButton1, &QRadioButton::clicked, this, guardedSlot(&TfmGoods::Timer1Timer));
    connect(RadioButton2, &QRadioButton::clicked, this, guardedSlot(&TfmGoods::Timer1Timer));
    connect(CheckBox1, &QCheckBox::clicked, this, guardedSlot(&TfmGoods::CheckBox1Click));
    connect(btnClear, &QPushButton::clicked, this, guardedSlot(&TfmGoods::btnClearClick));
    connect(btnGoodAdd, &QPushButton::clicked, this, guardedSlot(&TfmGoods::btnGoodAddClick));
    connect(btnAddCopy, &QPushButton::clicked, this, guardedSlot(&TfmGoods::btnAddCopyClick));
    connect(btnGoodEdit, &QPushButton::clicked, this, guardedSlot(&TfmGoods::btnGoodEditClick));
    connect(btnGoodDelete, &QPushButton::clicked, this, guardedSlot(&TfmGoods::btnGoodDeleteClick));
    connect(ToolButton1, &QToolButton::clicked, this, guardedSlot(&TfmGoods::ToolButton1Click));
    connect(ToolButton3, &QToolButton::clicked, this, guardedSlot(&TfmGoods::ToolButton3Click));
    connect(ToolButton5, &QToolButton::clicked, this, guardedSlot(&TfmGoods::ToolButton5Click));
    connect(N1, &QAction::triggered, this, guardedSlot(&TfmGoods::N1Click));
    connect(Button2, &QPushButton::clicked, this, guardedSlot(&TfmGoods::Button2Click));
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGridGoods, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) ui::guarded(this, [this] { btnGoodEditClick(); });
    });
    connect(TreeView1, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = TreeView1->itemAt(pos);
        if (!item || !item->parent()) return;  // the root has no menu
        TreeView1->setCurrentItem(item);
        MGroupSettings->popup(TreeView1->viewport()->mapToGlobal(pos));
    });
    // The tree follows the list: the node of the current row's group is
    // scrolled into view.
    connect(DBGridGoods->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (following_) followCurrentRow();
    });
    DBGridGoods->viewport()->installEventFilter(this);
    TreeView1->viewport()->installEventFilter(this);
    TreeView1->setAcceptDrops(true);
    TreeView1->viewport()->setAcceptDrops(true);
    updateActions();
}

TfmGoods::~TfmGoods() {
    model_->clear();
}

void TfmGoods::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    ui::guarded(this, [this] { FormShow(); });
}

void TfmGoods::hideEvent(QHideEvent* event) {
    // A closed catalogue holds no cursor open on the goods.
    Timer1->stop();
    model_->clear();
    shown_ = false;
    QDialog::hideEvent(event);
}

void TfmGoods::FormShow() {
    treeChangeDetached_ = true;
    redItem_ = nullptr;
    QTreeWidgetItem* root = core::FillGroupTree(TreeView1, db_, 0);
    TreeView1->sortItems(0, Qt::AscendingOrder);
    if (root) root->setExpanded(true);
    TreeView1->setCurrentItem(root);
    treeChangeDetached_ = false;
    reloadList(0, true);
}

QString TfmGoods::filterText() const {
    return edFilterText->text();
}
bool TfmGoods::wholeBase() const {
    return CheckBox1->isChecked();
}

std::int64_t TfmGoods::selectedGroupId() const {
    return core::groupTreeItemId(TreeView1->currentItem());
}

int TfmGoods::currentRow() const {
    const QModelIndex i = DBGridGoods->currentIndex();
    return i.isValid() ? i.row() : -1;
}

QTreeWidgetItem* TfmGoods::treeItem(std::int64_t id) const {
    QTreeWidgetItemIterator it(TreeView1);
    for (; *it; ++it)
        if (core::groupTreeItemId(*it) == id) return *it;
    return nullptr;
}

void TfmGoods::selectTreeItem(QTreeWidgetItem* item) {
    treeChangeDetached_ = true;
    TreeView1->setCurrentItem(item);
    treeChangeDetached_ = false;
}

void TfmGoods::reloadList(int minRows, bool firstOpening) {
    const GoodsListQuery q =
        buildGoodsListQuery(selectedGroupId(), wholeBase(), edFilterText->text(),
                            RadioButton1->isChecked() ? NameFilter::StartsWith : NameFilter::Contains, firstOpening);
    model_->setQuery(db_, q.sql, q.params);
    while (model_->rowCount() < minRows && model_->canFetchMore({})) model_->fetchMore({});
    fitColumns(DBGridGoods);
    selectRow(model_->rowCount() > 0 ? 0 : -1);
    updateActions();
}

void TfmGoods::selectRow(int row) {
    following_ = false;
    if (row >= 0 && row < model_->rowCount()) {
        DBGridGoods->setCurrentIndex(model_->index(row, 1));
        DBGridGoods->scrollTo(model_->index(row, 1));
    }
    following_ = true;
    followCurrentRow();
}

void TfmGoods::followCurrentRow() {
    if (redItem_) redItem_->setData(0, Qt::ForegroundRole, QVariant());
    redItem_ = nullptr;
    const int row = currentRow();
    if (row < 0) {
        if (TreeView1->topLevelItemCount() > 0) TreeView1->scrollToItem(TreeView1->topLevelItem(0));
        return;
    }
    QTreeWidgetItem* item = treeItem(model_->rowAt(row).int64(QStringLiteral("GOOD_PARENTGROUP")));
    if (!item) return;
    TreeView1->scrollToItem(item);
    // In whole-base mode the group of the current goods item shows in red.
    if (wholeBase() && item != TreeView1->currentItem()) {
        item->setForeground(0, Qt::red);
        redItem_ = item;
    }
}

void TfmGoods::TreeView1Change() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (item && item->parent()) {
        const QSignalBlocker block(CheckBox1);
        CheckBox1->setChecked(false);
    }
    reloadList();
}

void TfmGoods::Timer1Timer() {
    Timer1->stop();
    reloadList();
}

void TfmGoods::CheckBox1Click() {
    if (CheckBox1->isChecked() && TreeView1->topLevelItemCount() > 0) selectTreeItem(TreeView1->topLevelItem(0));
    reloadList();
}

void TfmGoods::btnClearClick() {
    edFilterText->clear();
    Timer1Timer();
}

void TfmGoods::openCard(int tag, bool copy) {
    const int row = currentRow();
    if (tag == 2 || copy) {
        if (row < 0) return;
    }
    CatalogueRepository repo(db_);
    QPointer<TfmGoodEdit> card = new TfmGoodEdit(
        db_, CardContext{filterText(), [this](std::int64_t id, std::int64_t parent) { afterGoodSaved(id, parent); }},
        this);
    card->setTag(tag);
    card->setWindowTitle(tag == 1 ? QStringLiteral("Добавить номенклатуру")
                                  : QStringLiteral("Редактировать номенклатуру"));
    if (tag == 1 && !copy) {
        QTreeWidgetItem* node = TreeView1->currentItem();
        const bool top = !node || !node->parent();
        card->prepareNew(repo.nextGoodsId(), top ? 0 : core::groupTreeItemId(node), top ? QString() : node->text(0));
    } else {
        const fb::Row r = model_->rowAt(row);
        const auto parent = fb::toInt64(r[QStringLiteral("GOOD_PARENTGROUP")]);
        std::int64_t parentId = 0;
        QString parentName;
        if (copy) {
            if (const auto g = repo.group(parent)) std::tie(parentId, parentName) = *g;
        } else if (QTreeWidgetItem* node = parent ? treeItem(*parent) : nullptr; node && node->parent()) {
            parentId = *parent;
            parentName = node->text(0);
        }
        const std::int64_t id = copy ? repo.nextGoodsId() : r.int64(QStringLiteral("GOOD_ID"));
        card->fillFromRow(r, id, parentId, parentName,
                          copy ? QStringList() : repo.barcodes(r.int64(QStringLiteral("GOOD_ID"))));
    }
    card->exec();
    delete card.data();
}

void TfmGoods::btnGoodAddClick() {
    openCard(1, false);
}
void TfmGoods::btnAddCopyClick() {
    openCard(1, true);
}
void TfmGoods::btnGoodEditClick() {
    openCard(2, false);
}

void TfmGoods::btnGoodDeleteClick() {
    const int row = currentRow();
    if (row < 0) return;
    const fb::Row r = model_->rowAt(row);
    const QString name = r.str(QStringLiteral("GOOD_NAME"));
    const std::int64_t id = r.int64(QStringLiteral("GOOD_ID"));
    if (!ui::askYesNo(deleteGoodQuestion(name), this)) return;
    if (goodsInOpenReceipt(id)) {
        ui::showError(deleteInUseText(name, IdUse::OpenReceipt), this);
        return;
    }
    try {
        if (const auto use = CatalogueRepository(db_).deleteGood(id)) {
            ui::showError(deleteInUseText(name, *use), this);
            return;
        }
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(QStringLiteral("Ошибка сервера при удалении записи!!!   "), e.message()), this);
    }
    reloadList(row + 1);
    selectRow(rowAfterDelete(row, model_->rowCount()));
}

void TfmGoods::afterGoodSaved(std::int64_t id, std::int64_t parent) {
    if (!wholeBase()) {
        QTreeWidgetItem* node = parent > 0 ? treeItem(parent) : nullptr;
        if (!node && TreeView1->topLevelItemCount() > 0) node = TreeView1->topLevelItem(0);
        selectTreeItem(node);
    }
    reloadList();
    const int row = model_->findRow(QStringLiteral("GOOD_ID"), QString::number(id));
    if (row >= 0) selectRow(row);
}

void TfmGoods::rebuildTree(std::int64_t selectId, const QList<std::int64_t>& expandedIds, bool reload) {
    treeChangeDetached_ = true;
    redItem_ = nullptr;
    QTreeWidgetItem* item = core::FillGroupTree(TreeView1, db_, selectId);
    TreeView1->sortItems(0, Qt::AscendingOrder);
    if (TreeView1->topLevelItemCount() > 0) TreeView1->topLevelItem(0)->setExpanded(true);
    core::ExpandGroupTree(TreeView1, expandedIds);
    if (item) {
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
        item->setExpanded(true);
    }
    TreeView1->setCurrentItem(item);
    TreeView1->scrollToItem(item);
    treeChangeDetached_ = false;
    if (reload)
        TreeView1Change();
    else
        followCurrentRow();
    updateActions();
}

namespace {
std::optional<std::int64_t> mimeId(const QMimeData* data, const QString& type) {
    if (!data || !data->hasFormat(type)) return std::nullopt;
    bool ok = false;
    const qlonglong id = QString::fromLatin1(data->data(type)).toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(id) : std::nullopt;
}
}  // namespace

bool TfmGoods::dropAllowed(QTreeWidgetItem* target, const QMimeData* data) const {
    if (!target) return false;
    if (mimeId(data, goodsMimeType())) return true;  // a goods item goes anywhere
    const auto group = mimeId(data, groupMimeType());
    if (!group) return false;
    return groupDropAllowed(core::groupTreeItemId(target), *group,
                            [this](std::int64_t id) -> std::optional<std::int64_t> {
                                QTreeWidgetItem* item = treeItem(id);
                                if (!item) return std::nullopt;
                                return item->parent() ? std::optional(core::groupTreeItemId(item->parent()))
                                                      : std::optional<std::int64_t>(0);
                            });
}

bool TfmGoods::dropOn(QTreeWidgetItem* target, const QMimeData* data) {
    if (!dropAllowed(target, data)) return false;
    const std::int64_t targetId = core::groupTreeItemId(target);
    CatalogueRepository repo(db_);
    if (const auto goodsId = mimeId(data, goodsMimeType())) {
        const int row = std::max(currentRow(), 0);
        try {
            repo.moveToGroup(*goodsId, targetId);
        } catch (const fb::Error& e) {
            ui::showError(ui::withDetail(QStringLiteral("Ошибка базы данных при выполнении действия    "), e.message()),
                          this);
            return false;
        }
        reloadList(row + 1);
        selectRow(std::min(row, model_->rowCount() - 1));
        return true;
    }
    const std::int64_t groupId = *mimeId(data, groupMimeType());
    const QList<std::int64_t> expanded = core::expandedGroupIds(TreeView1);
    try {
        repo.moveToGroup(groupId, targetId);
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(QStringLiteral("Ошибка БД при перемещении группы     "), e.message()), this);
        return false;
    }
    rebuildTree(groupId, expanded, false);
    return true;
}

bool TfmGoods::eventFilter(QObject* watched, QEvent* event) {
    const bool fromList = watched == DBGridGoods->viewport();
    const bool fromTree = watched == TreeView1->viewport();
    if (!fromList && !fromTree) return QDialog::eventFilter(watched, event);
    if (fromList && event->type() == QEvent::Resize) fitColumns(DBGridGoods);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            dragArmed_ = e->button() == Qt::LeftButton;
            dragStart_ = e->position().toPoint();
            break;
        }
        case QEvent::MouseMove: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (!dragArmed_ || !(e->buttons() & Qt::LeftButton) ||
                (e->position().toPoint() - dragStart_).manhattanLength() < 2)
                break;
            dragArmed_ = false;
            auto* mime = new QMimeData;
            if (fromList) {
                const QModelIndex index = DBGridGoods->indexAt(dragStart_);
                if (!index.isValid()) {
                    delete mime;
                    break;
                }
                mime->setData(goodsMimeType(), QByteArray::number(static_cast<qlonglong>(
                                                   model_->rowAt(index.row()).int64(QStringLiteral("GOOD_ID")))));
            } else {
                QTreeWidgetItem* item = TreeView1->itemAt(dragStart_);
                if (!item || !item->parent()) {
                    delete mime;
                    break;
                }
                mime->setData(groupMimeType(), QByteArray::number(static_cast<qlonglong>(core::groupTreeItemId(item))));
            }
            auto* drag = new QDrag(this);
            drag->setMimeData(mime);
            drag->exec(Qt::MoveAction);
            return true;
        }
        case QEvent::Wheel: {
            if (!fromList) break;
            // The wheel moves the list one record, as the grid always did.
            const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
            const int row = currentRow() + step;
            if (row >= model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
            if (row >= 0 && row < model_->rowCount()) selectRow(row);
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            if (!fromTree) break;
            auto* e = static_cast<QDragMoveEvent*>(event);
            QTreeWidgetItem* target = TreeView1->itemAt(e->position().toPoint());
            // Over the goods item's own group its red marking is switched off.
            if (redItem_) {
                const bool own = target == redItem_ && e->mimeData()->hasFormat(goodsMimeType());
                redItem_->setForeground(0, own ? TreeView1->palette().text() : QBrush(Qt::red));
            }
            if (event->type() == QEvent::DragEnter || dropAllowed(target, e->mimeData())) {
                e->setDropAction(Qt::MoveAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            if (!fromTree) break;
            auto* e = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* target = TreeView1->itemAt(e->position().toPoint());
            ui::guarded(this, [&] {
                if (dropOn(target, e->mimeData())) e->acceptProposedAction();
            });
            followCurrentRow();
            return true;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmGoods::ToolButton1Click() {
    if (!groupEditor()) return;
    GroupEditRequest request;
    request.mode = 1;
    try {
        request.id = CatalogueRepository(db_).maxGoodIdFromProcedure();
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(QStringLiteral("Ошибка сервера при выполнении процедуры"), e.message()), this);
        return;
    }
    if (QTreeWidgetItem* node = TreeView1->currentItem(); node && node->parent()) {
        request.parentId = core::groupTreeItemId(node);
        request.parentName = node->text(0);
    }
    const QList<std::int64_t> expanded = core::expandedGroupIds(TreeView1);
    if (const auto saved = groupEditor()(this, request)) rebuildTree(*saved, expanded);
}

void TfmGoods::ToolButton3Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || !node->parent() || !groupEditor()) return;
    GroupEditRequest request;
    request.mode = 2;
    request.id = core::groupTreeItemId(node);
    request.name = node->text(0);
    if (node->parent()->parent()) {
        request.parentId = core::groupTreeItemId(node->parent());
        request.parentName = node->parent()->text(0);
    }
    const QList<std::int64_t> expanded = core::expandedGroupIds(TreeView1);
    if (const auto saved = groupEditor()(this, request)) rebuildTree(*saved, expanded);
}

void TfmGoods::ToolButton5Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || !node->parent()) return;
    const QString name = node->text(0);
    const std::int64_t id = core::groupTreeItemId(node);
    if (!ui::askYesNo(deleteGroupQuestion(name), this)) return;
    CatalogueRepository repo(db_);
    if (repo.groupHasContents(id)) {
        ui::showError(groupNotEmptyMessage(name), this);
        return;
    }
    const std::int64_t parent = core::groupTreeItemId(node->parent());
    const QList<std::int64_t> expanded = core::expandedGroupIds(TreeView1);
    try {
        if (const auto use = repo.deleteGroup(id)) {
            ui::showError(deleteGroupInUseText(name, id, *use), this);
            return;
        }
    } catch (const fb::Error& e) {
        ui::showError(ui::withDetail(QStringLiteral("Сбой сервера при удалении позиции"), e.message()), this);
        return;
    }
    rebuildTree(parent, expanded);
}

void TfmGoods::N1Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || !node->parent() || !groupSettingsEditor()) return;
    if (groupSettingsEditor()(this, core::groupTreeItemId(node), node->text(0))) {
        ui::showInfo(QStringLiteral("Операция успешно выполнена!     "), this);
        // The settings changed values, not the list's rows: stay where the
        // cashier was.
        const int row = currentRow();
        reloadList(row + 1);
        if (row >= 0) selectRow(std::min(row, model_->rowCount() - 1));
    }
}

void TfmGoods::Button2Click() {
    if (otherSettingsEditor()) otherSettingsEditor()(this);
}

void TfmGoods::updateActions() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    const bool group = node && node->parent();
    ToolButton3->setEnabled(group);
    ToolButton5->setEnabled(group);
}

}  // namespace catalogue
