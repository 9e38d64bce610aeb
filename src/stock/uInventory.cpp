#include "uInventory.h"

#include "StockLogic.h"
#include "StockRepository.h"

#include "core/GroupTree.h"
#include "core/MainScreenPort.h"
#include "platform/db/Error.h"
#include "platform/db/Transaction.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/ColumnFit.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ReadOnlyField.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace stock {

TfmInventory* fmInventory = nullptr;

namespace {

const QString kFailLines = QStringLiteral("При выполнении операции произошел сбой БД(0).    ");
const QString kFailSaveStatus = QStringLiteral("При выполнении операции произошел сбой БД (1).   ");
const QString kFailSave = QStringLiteral("При сохранении документа произошла ошибка БД.    ");
const QString kFailEmptyCheck =
    QStringLiteral("При выполнении операции произошла ошибка БД.    \r\n (проверка корректности документа)");
const QString kFailOperation = QStringLiteral("При выполнении операции произошла ошибка БД!        ");
const QString kFailPostStatus =
    QStringLiteral("При выполнении операции произошла ошибка БД.    \n\r(запрос статуса документа)");
const QString kFailPostWrite =
    QStringLiteral("При выполнении операции произошла ошибка БД.     \n\r(запись документа)");
const QString kFailOpen = QStringLiteral("При открытии документа произошла ошибка БД.    ");
const QString kFailFill = QStringLiteral(
    "При формировании списка произошла ошибка БД.    \r\nПерезапустите сервер FireBird, \r\nи попробуйте ещё раз.");
const QString kFailFillServer = QStringLiteral(
    "При формировании списка произошла ошибка БД.    \r\n Проверьте, запущен ли сервер FireBird, \r\nи попробуйте ещё "
    "раз.");
const QString kFailDelete = QStringLiteral("При удалении документа произошла ошибка БД.    ");
const QString kLotsDrawnOn = QStringLiteral(
    " Отменить проведение документа невозможно:     \r\n"
    " по партиям этого документа уже продан товар.     ");
const QString kEmptySheet = QStringLiteral("Список товаров пустой.   ");
const QString kNoSupplierWindow = QStringLiteral("Окно выбора поставщиков пока недоступно.    ");
const QString kNoGoodsSearch = QStringLiteral("Окно поиска товаров пока недоступно.    ");
const QString kNotFoundSupplier = QStringLiteral(" - не найден -");
constexpr int kDeclarationLength = 32;

// Runs one step of a command: a failure shows the step's own text and
// stops the command. Nothing escapes to the event loop.
template <class F>
bool step(QWidget* parent, const QString& failText, F&& body) {
    try {
        body();
        return true;
    } catch (const fb::Error&) {
    } catch (const std::exception&) {
    }
    ui::showError(failText, parent);
    return false;
}

}  // namespace

// The lines grid: its delegate keeps track of the cell being edited, so
// a command can commit that edit (through the quantity check) before it
// writes anything, and limits a customs declaration to what the column holds.
class LinesView : public QTableView {
public:
    explicit LinesView(QWidget* parent) : QTableView(parent) { setItemDelegate(new Delegate(this)); }

    void setDeclarationLimit(bool on) { static_cast<Delegate*>(itemDelegate())->limitDeclaration = on; }

    // False when the model refused the edited value.
    bool commitPending(InventoryLines& lines) {
        auto* d = static_cast<Delegate*>(itemDelegate());
        QWidget* editor = d->editor;
        if (!editor) return true;
        const int before = lines.property("refusals").toInt();
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        return lines.property("refusals").toInt() == before;
    }

    bool isEditing() const { return static_cast<Delegate*>(itemDelegate())->editor != nullptr; }

private:
    class Delegate : public QStyledItemDelegate {
    public:
        using QStyledItemDelegate::QStyledItemDelegate;
        QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
            QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto* line = qobject_cast<QLineEdit*>(w);
                line && limitDeclaration && index.column() == InventoryLines::ColDeclar)
                line->setMaxLength(kDeclarationLength);
            editor = w;
            return w;
        }
        void destroyEditor(QWidget* w, const QModelIndex& index) const override {
            if (editor == w) editor = nullptr;
            QStyledItemDelegate::destroyEditor(w, index);
        }
        mutable QPointer<QWidget> editor;
        bool limitDeclaration = false;
    };
};

TfmInventory::TfmInventory(const fb::ConnectionParams& params, int kind, int docId, QWidget* parent)
    : QDialog(parent), conn_(params), kind_(kind), docId_(docId), printer_(&printInventorySheet) {
    setObjectName(QStringLiteral("fmInventory"));
    setWindowTitle(editorCaption(kind_));
    fmInventory = this;

    lines_ = new InventoryLines(this);
    lines_->setProperty("refusals", 0);
    lines_->setKindColumns(columnsForKind(kind_));
    lines_->setChecker([this](const Line& l, int column, const QString& typed) { return checkCell(l, column, typed); });
    connect(lines_, &InventoryLines::edited, this, [this] { setModified(); });

    auto* menuBar = new QMenuBar(this);
    menuActions_ = menuBar->addMenu(QStringLiteral("Действия"));
    menuActions_->setObjectName(QStringLiteral("MActions"));
    MSave = menuActions_->addAction(QStringLiteral("Сохранить документ"));
    MSave->setObjectName(QStringLiteral("MSave"));
    MApply = menuActions_->addAction(QStringLiteral("Провести документ"));
    MApply->setObjectName(QStringLiteral("MApply"));
    MUnapply = menuActions_->addAction(QStringLiteral("Отменить проведение"));
    MUnapply->setObjectName(QStringLiteral("MUnapply"));
    MDelete = menuActions_->addAction(QStringLiteral("Удалить документ"));
    MDelete->setObjectName(QStringLiteral("MDelete"));

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    chSubGroupOn = new QCheckBox(QStringLiteral("включая подгруппы"), this);
    chSubGroupOn->setObjectName(QStringLiteral("chSubGroupOn"));
    chSubGroupOn->setChecked(true);

    edDocNumber = new QLineEdit(this);
    edDocNumber->setObjectName(QStringLiteral("edDocNumber"));
    edDocNumber->setReadOnly(true);
    edDocNumber->setToolTip(QStringLiteral("Номер документа назначается автоматически"));
    DateTimePicker1 = new QDateEdit(QDate::currentDate(), this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DateTimePicker1->setCalendarPopup(true);
    LabelDocStatus = new QLabel(this);
    LabelDocStatus->setObjectName(QStringLiteral("LabelDocStatus"));
    lblGroupName = new QLabel(this);
    lblGroupName->setObjectName(QStringLiteral("lblGroupName"));
    lblGroupName->hide();

    pnlSupplier = new QWidget(this);
    pnlSupplier->setObjectName(QStringLiteral("pnlSupplier"));
    edSupplier = new QLineEdit(pnlSupplier);
    edSupplier->setObjectName(QStringLiteral("edSupplier"));
    edSupplier->setReadOnly(true);
    ui::showStartOfText(edSupplier);
    Button2 = new QPushButton(QStringLiteral("..."), pnlSupplier);
    Button2->setObjectName(QStringLiteral("Button2"));
    // A picker opens on a click only: Enter while typing a quantity must not
    // pop up the suppliers.
    Button2->setAutoDefault(false);
    Button2->setToolTip(QStringLiteral("открыть список поставщиков"));
    BitBtn1 = new QPushButton(QStringLiteral("X"), pnlSupplier);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("очистить поле 'Поставщик'"));
    auto* supplierRow = new QHBoxLayout(pnlSupplier);
    supplierRow->setContentsMargins(0, 0, 0, 0);
    supplierRow->addWidget(new QLabel(QStringLiteral("Поставщик"), pnlSupplier));
    supplierRow->addWidget(edSupplier, 1);
    supplierRow->addWidget(Button2);
    supplierRow->addWidget(BitBtn1);

    DBGrid1 = new LinesView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(lines_);
    DBGrid1->setDeclarationLimit(kind_ == GoodsReceipt);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);

    auto button = [this](const char* name, const QString& text, const QString& hint = {}) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (!hint.isEmpty()) b->setToolTip(hint);
        return b;
    };
    btnSave = button("btnSave", QStringLiteral("СОХРАНИТЬ"));
    btnApply = button("btnApply", QStringLiteral("ПРОВЕСТИ"));
    btnFillList = button("btnFillList", QStringLiteral("ЗАПОЛНИТЬ СПИСОК"));
    btnListClear = button("btnListClear", QStringLiteral("ОЧИСТИТЬ СПИСОК"));
    btnAdd = button("btnAdd", QStringLiteral("+"), QStringLiteral("Добавить позицию"));
    btnDelete = button("btnDelete", QStringLiteral("-"), QStringLiteral("Удалить позицию"));
    Button3 = button("Button3", QStringLiteral("ПЕЧАТЬ СПИСКА"));
    Button1 = button("Button1", QStringLiteral("ЗАКРЫТЬ"));

    auto* head = new QGridLayout;
    head->addWidget(new QLabel(QStringLiteral("Номер"), this), 0, 0);
    head->addWidget(edDocNumber, 0, 1);
    head->addWidget(new QLabel(QStringLiteral("Дата документа"), this), 0, 2);
    head->addWidget(DateTimePicker1, 0, 3);
    head->addWidget(LabelDocStatus, 0, 4);
    head->addWidget(pnlSupplier, 1, 0, 1, 5);
    head->setColumnStretch(5, 1);
    auto* left = new QVBoxLayout;
    left->addWidget(TreeView1, 1);
    left->addWidget(chSubGroupOn);
    left->addWidget(btnFillList);
    left->addWidget(btnListClear);
    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(btnAdd);
    lineButtons->addWidget(btnDelete);
    lineButtons->addStretch();
    lineButtons->addWidget(Button3);
    auto* right = new QVBoxLayout;
    right->addLayout(head);
    right->addLayout(lineButtons);
    right->addWidget(DBGrid1, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(right, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(btnSave);
    bottom->addWidget(btnApply);
    bottom->addStretch();
    bottom->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);
    resize(1100, 680);

    // Enter belongs to the field being typed in: no button of this editor
    // is pressed by it (a dialog would otherwise make the first one it finds
    // the default, and the supplier's clear button was that one).
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(menuActions_, &QMenu::aboutToShow, this, [this] { updateActions(); });
    connect(MSave, &QAction::triggered, this, [this] { btnSaveClick(); });
    connect(MApply, &QAction::triggered, this, [this] { btnApplyClick(); });
    connect(MUnapply, &QAction::triggered, this, [this] { unpostClick(); });
    connect(MDelete, &QAction::triggered, this, [this] { deleteDocumentClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { btnApplyClick(); });
    connect(btnFillList, &QPushButton::clicked, this, &TfmInventory::btnFillListClick);
    connect(btnListClear, &QPushButton::clicked, this, &TfmInventory::btnListClearClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfmInventory::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfmInventory::btnDeleteClick);
    connect(Button3, &QPushButton::clicked, this, &TfmInventory::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TfmInventory::Button2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmInventory::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { setModified(); });
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section == InventoryLines::ColName) sortByName();
    });

    // The tree offers every group.
    ui::guarded(this, [this] {
        conn_.ensureConnected();
        QTreeWidgetItem* root = core::FillGroupTree(TreeView1, conn_, 0);
        if (root) {
            root->setExpanded(true);
            TreeView1->setCurrentItem(root);
        }
    });
    updateActions();
}

TfmInventory::~TfmInventory() {
    if (fmInventory == this) fmInventory = nullptr;
}

QString TfmInventory::groupName() const {
    return lblGroupName->text();
}

void TfmInventory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TfmInventory::FormShow() {
    pnlSupplier->setVisible(kind_ == GoodsReceipt);
    const KindColumns c = columnsForKind(kind_);
    DBGrid1->setColumnHidden(InventoryLines::ColDeclar, !c.declarVisible);
    // A long name, then a long country, gives way to the quantity being typed.
    ui::fitColumnsToContents(DBGrid1, {InventoryLines::ColName, InventoryLines::ColCountry});

    const QSignalBlocker block(DateTimePicker1);
    step(this, kFailOpen, [this] {
        conn_.ensureConnected();
        fb::Transaction tr(conn_);
        DocHeader h;
        if (docId_ > 0) {
            if (const auto read = readHeader(tr, docId_)) h = *read;
        } else {
            h.number = nextDocNumber(tr, kind_);
            h.date = QDate::currentDate();
        }
        number_ = h.number;
        edDocNumber->setText(formatDocNumber(number_));
        edDocNumber->setProperty("Tag", number_);
        DateTimePicker1->setDate(h.date.isValid() ? h.date : QDate::currentDate());

        const DocStatus s = docStatus(tr, kind_, number_);
        state_ = docId_ > 0 ? s.state : New;
        if (state_ == New) {
            supplierId_ = 0;
            showSupplier(0, {});
        } else {
            lines_->setLines(readDocumentLines(tr));
            if (kind_ == GoodsReceipt && h.supplierId > 0) {
                const std::optional<QString> name = supplierName(tr, h.supplierId);
                showSupplier(h.supplierId, name ? *name : kNotFoundSupplier);
            }
        }
        tr.commit();
    });
    setState(state_);
    modified_ = false;
}

void TfmInventory::setState(int state) {
    state_ = state;
    LabelDocStatus->setText(editorStateText(state));
    const char* colour = state == New ? "red" : state == Saved ? "blue" : state == Posted ? "green" : "black";
    LabelDocStatus->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(QLatin1String(colour)));
    updateActions();
}

void TfmInventory::updateActions() {
    const Enabling e = enablingForState(state_);
    for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker1, btnSave, btnFillList, btnListClear, btnApply,
                                                      pnlSupplier, btnAdd, btnDelete})
        w->setEnabled(e.editing);
    lines_->setEditable(e.gridEditable);
    MSave->setEnabled(e.menuSave);
    MApply->setEnabled(e.menuPost);
    MUnapply->setEnabled(e.menuUnpost);
    MDelete->setEnabled(e.menuDelete);
}

void TfmInventory::showSupplier(int id, const QString& name) {
    supplierId_ = id;
    edSupplier->setText(name);
    edSupplier->setProperty("Tag", id);
}

QString TfmInventory::userName() const {
    const core::MainScreenPort* screen = core::mainScreen();
    return screen ? screen->currentUser().name : QString();
}

std::optional<QString> TfmInventory::checkCell(const Line& line, int column, const QString& typed) {
    const KindColumns c = columnsForKind(kind_);
    const bool quantity = (column == InventoryLines::ColPrice && c.priceEditable) ||
                          (column == InventoryLines::ColDeclar && c.declarIsQuantity);
    auto refuse = [this](const QString& text) -> std::optional<QString> {
        lines_->setProperty("refusals", lines_->property("refusals").toInt() + 1);
        if (!text.isEmpty()) ui::showError(text, this);
        return std::nullopt;
    };
    if (!quantity) return typed.trimmed().left(kDeclarationLength);
    bool weighed = false;
    try {
        fb::Transaction tr(conn_);
        weighed = isWeighed(tr, line.goodsId);
        tr.commit();
    } catch (const std::exception&) {
        return refuse(kFailOperation);
    }
    const QuantityCheck check = checkQuantity(typed, weighed);
    switch (check.outcome) {
        case QuantityCheck::Cleared:
            return QString();
        case QuantityCheck::Accepted:
            return check.stored;
        case QuantityCheck::Refused:
            break;
    }
    return refuse(check.message);
}

bool TfmInventory::commitPendingEdit() {
    return DBGrid1->commitPending(*lines_);
}

std::vector<Line> TfmInventory::shownLines() const {
    std::vector<Line> out;
    out.reserve(static_cast<size_t>(lines_->size()));
    for (int i = 0; i < lines_->size(); ++i) out.push_back(lines_->line(i));
    return out;
}

std::vector<Line> TfmInventory::readDocumentLines(fb::Transaction& tr) {
    WorkingListLoan loan(tr);
    dragLines(tr, docId_);
    std::vector<Line> lines = readLines(tr, false);
    loan.giveBack();
    return lines;
}

void TfmInventory::reloadLines() {
    conn_.ensureConnected();
    fb::Transaction tr(conn_);
    std::vector<Line> lines = readDocumentLines(tr);
    tr.commit();
    const bool open = lines_->isOpen() || !lines.empty();
    lines_->setLines(std::move(lines), open);
}

bool TfmInventory::btnSaveClick() {
    if (state_ == Posted) return false;
    if (!commitPendingEdit()) return false;
    if (!lines_->isOpen()) {
        ui::showWarning(kNothingToSave, this);
        return false;
    }
    conn_.ensureConnected();
    std::optional<fb::Transaction> tr;
    std::optional<WorkingListLoan> loan;
    DocStatus s;
    int id = 0;
    // The document gets exactly the lines shown, written in its own
    // transaction, whatever another editor did to the working list.
    if (!step(this, kFailLines, [&] {
            tr.emplace(conn_);
            loan.emplace(*tr);
            loan->put(shownLines());
        }))
        return false;
    if (!step(this, kFailSaveStatus, [&] { s = docStatus(*tr, kind_, number_); })) return false;
    if (s.state == Posted) {
        // Posted meanwhile: nothing may be written over it.
        tr->rollback();
        setState(Posted);
        return false;
    }
    const SaveRequest r = saveRequest(s, false);
    if (!step(this, kFailSave, [&] {
            id = saveDocument(*tr, r);
            loan->giveBack();
            tr->commit();
        }))
        return false;
    docId_ = id;
    lines_->markWritten();
    ui::guarded(this, [this] { reloadLines(); });
    setState(Saved);
    modified_ = false;
    emit documentChanged(docId_);
    return true;
}

SaveRequest TfmInventory::saveRequest(const DocStatus& status, bool post) const {
    SaveRequest r;
    r.post = post;
    r.existing = status.state == Saved;
    r.docId = status.docId;
    r.user = userName();
    r.date = DateTimePicker1->date();
    r.number = number_;
    r.kind = kind_;
    r.supplierId = supplierId_;
    return r;
}

bool TfmInventory::btnApplyClick() {
    if (state_ == Posted) return false;
    const QString caption = windowTitle();
    setWindowTitle(caption + kPostingCaption);
    auto restore = qScopeGuard([this, caption] { setWindowTitle(caption); });
    // The typed values count: a cell still being edited is committed and
    // the cached lines written before the check for an empty document.
    if (!commitPendingEdit()) return false;
    conn_.ensureConnected();
    std::optional<fb::Transaction> tr;
    std::optional<WorkingListLoan> loan;
    bool empty = true;
    DocStatus s;
    int id = 0;
    if (!step(this, kFailLines, [&] {
            tr.emplace(conn_);
            loan.emplace(*tr);
            loan->put(shownLines());
        }))
        return false;
    if (!step(this, kFailEmptyCheck, [&] { empty = isEmptyForPosting(*tr, kind_); })) return false;
    if (empty) {
        tr->rollback();
        ui::showError(kEmptyRefused, this);
        return false;
    }
    std::optional<UnreadableStock> unreadable;
    if (!step(this, kFailEmptyCheck, [&] { unreadable = unreadableStock(*tr, kind_); })) return false;
    if (unreadable) {
        tr->rollback();
        ui::showError(unreadableStockText(unreadable->goodsId, unreadable->name, unreadable->stock), this);
        return false;
    }
    if (!step(this, kFailPostStatus, [&] { s = docStatus(*tr, kind_, number_); })) return false;
    if (s.state == Posted) return false;
    const SaveRequest r = saveRequest(s, true);
    if (!step(this, kFailPostWrite, [&] {
            id = saveDocument(*tr, r);
            loan->giveBack();
            tr->commit();
        }))
        return false;
    docId_ = id;
    lines_->markWritten();
    modified_ = false;
    refreshStatisticsAfterPosting(conn_);
    ui::guarded(this, [this] { reloadLines(); });
    setState(Posted);
    emit documentChanged(docId_);
    return true;
}

bool TfmInventory::unpostClick() {
    if (state_ != Posted) return false;
    bool unposted = false;
    if (!step(this, kFailOperation, [&] {
            conn_.ensureConnected();
            fb::Transaction tr(conn_);
            unposted = unpostDocument(tr, docId_);
            tr.commit();
        }))
        return false;
    if (!unposted) {
        ui::showError(kLotsDrawnOn, this);
        return false;
    }
    setState(Saved);
    ui::guarded(this, [this] { reloadLines(); });
    emit documentChanged(docId_);
    return true;
}

bool TfmInventory::deleteDocumentClick() {
    if (state_ != Saved) return false;
    if (ui::messages().ask(this, kDeleteQuestion, ui::Icon::Question) != ui::Answer::Yes) return false;
    bool done = false;
    if (!step(this, kFailDelete, [&] {
            conn_.ensureConnected();
            fb::Transaction tr(conn_);
            done = deleteDocument(tr, docId_);
            tr.commit();
        }))
        return false;
    if (!done) return false;
    // Gone for good: closing must not offer to save it again.
    modified_ = false;
    emit documentDeleted();
    deleted_ = true;
    accept();
    return true;
}

void TfmInventory::btnFillListClick() {
    if (state_ == Posted) return;
    if (lines_->size() > 0 && ui::messages().ask(this, kFillQuestion, ui::Icon::Question) != ui::Answer::Yes) return;
    QTreeWidgetItem* item = TreeView1->currentItem();
    const bool isRoot = !item || !item->parent();
    const std::int64_t groupId = core::groupTreeItemId(item);
    const bool withSub = chSubGroupOn->isChecked();
    std::vector<Line> lines;
    try {
        conn_.ensureConnected();
        fb::Transaction tr(conn_);
        WorkingListLoan loan(tr);
        lines = fillFromGroup(tr, kind_, groupId, isRoot, withSub);
        loan.giveBack();
        tr.commit();
    } catch (const fb::Error& e) {
        ui::showError(e.category() == fb::ErrorCategory::ConnectionLost ? kFailFillServer : kFailFill, this);
        return;
    } catch (const std::exception&) {
        ui::showError(kFailFill, this);
        return;
    }
    const bool open = !lines.empty();
    lines_->setLines(std::move(lines), open);
    nameSortDesc_ = true;
    lblGroupName->setText(groupLabel(item ? item->text(0) : QString(), isRoot, withSub));
    setModified();
}

void TfmInventory::btnListClearClick() {
    if (state_ == Posted) return;
    // Only this editor's own lines: the working list is not touched.
    lines_->setLines({}, true);
    lblGroupName->clear();
    setModified();
}

void TfmInventory::addLine(const PickedGoods& goods) {
    if (state_ == Posted) return;
    Line l;
    l.goodsId = goods.id;
    l.name = goods.name;
    l.country = goods.country.left(32);
    l.unit = goods.unit;
    // Only an inventory starts from the stock on hand.
    if (kind_ == Inventory) l.price = bookQuantityText(goods.stock);
    const int row = lines_->addLine(l);
    DBGrid1->setCurrentIndex(lines_->index(row, InventoryLines::ColName));
}

void TfmInventory::btnAddClick() {
    if (state_ == Posted) return;
    const GoodsSearch& search = goodsSearch();
    if (!search) {
        ui::showInfo(kNoGoodsSearch, this);
        return;
    }
    ui::guarded(this, [&] { search(this, [this](const PickedGoods& g) { addLine(g); }); });
}

void TfmInventory::btnDeleteClick() {
    if (state_ == Posted || lines_->size() == 0) return;
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid()) return;
    DBGrid1->commitPending(*lines_);
    lines_->removeLine(current.row());
}

void TfmInventory::sortByName() {
    // The engine sorts by the names' collation: the shown lines, with what
    // was just typed, are lent to the working list for the re-read.
    if (!commitPendingEdit()) return;
    ui::guarded(this, [this] {
        conn_.ensureConnected();
        fb::Transaction tr(conn_);
        WorkingListLoan loan(tr);
        loan.put(shownLines());
        std::vector<Line> lines = readLines(tr, nameSortDesc_);
        loan.giveBack();
        tr.commit();
        const bool open = lines_->isOpen() || !lines.empty();
        lines_->setLines(std::move(lines), open);
        nameSortDesc_ = !nameSortDesc_;
    });
}

void TfmInventory::Button3Click() {
    if (lines_->size() == 0) {
        ui::showInfo(kEmptySheet, this);
        return;
    }
    if (kind_ != Inventory || !printer_) return;
    commitPendingEdit();
    QList<InventorySheetLine> sheet;
    sheet.reserve(lines_->size());
    for (int i = 0; i < lines_->size(); ++i) {
        const Line& l = lines_->line(i);
        sheet.append({QString::number(l.goodsId), l.name, l.country, l.unit, l.price, l.declar});
    }
    ui::guarded(this, [&] { printer_(this, sys::programFolder(), lblGroupName->text(), sheet); });
}

void TfmInventory::Button2Click() {
    if (state_ == Posted) return;
    const SupplierPicker& picker = supplierPicker();
    if (!picker) {
        ui::showInfo(kNoSupplierWindow, this);
        return;
    }
    std::optional<PickedSupplier> chosen;
    if (!ui::guarded(this, [&] { chosen = picker(this); }) || !chosen) return;
    showSupplier(chosen->id, chosen->fullName);
    setModified();
}

void TfmInventory::BitBtn1Click() {
    if (state_ == Posted) return;
    const bool had = supplierId_ != 0 || !edSupplier->text().isEmpty();
    showSupplier(0, {});
    if (had) setModified();
}

void TfmInventory::reject() {
    commitPendingEdit();
    if (modified_ && !deleted_) {
        switch (ui::messages().askYesNoCancel(this, kSaveQuestion, ui::Icon::Question)) {
            case ui::Answer::Yes:
                // Closes only when the document was really saved.
                if (!btnSaveClick()) return;
                break;
            case ui::Answer::No:
                break;
            default:
                return;
        }
    }
    QDialog::reject();
}

void TfmInventory::done(int result) {
    // The lines were never left in the shared working list, so closing
    // takes nothing from another editor's.
    lines_->close();
    QDialog::done(result);
}

}  // namespace stock
