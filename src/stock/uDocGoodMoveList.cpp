#include "uDocGoodMoveList.h"

#include "StockLogic.h"
#include "StockRepository.h"
#include "uInventory.h"

#include "platform/ui/Guard.h"
#include "platform/ui/QueryTableModel.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace stock {

TfmDocGoodMoveList* fmDocGoodMoveList = nullptr;

namespace {

enum ListColumn { ColId, ColState, ColNumber, ColDate };

// The documents as the list shows them: the state as a coloured word, the
// number padded to six digits, the date as the pickers write it.
class DocListModel : public ui::QueryTableModel {
public:
    using ui::QueryTableModel::QueryTableModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const fb::Row& row = rowAt(index.row());
        const int state = row.integer(QStringLiteral("DL_ST"), -1);
        switch (role) {
            case Qt::DisplayRole:
                switch (index.column()) {
                    case ColId:
                        return row.str(QStringLiteral("DL_ID"));
                    case ColState: {
                        const QString text = listStateText(state);
                        return text.isEmpty() ? QString() : QLatin1Char(' ') + text;
                    }
                    case ColNumber:
                        return formatDocNumber(row.str(QStringLiteral("DL_NUM")));
                    case ColDate: {
                        const auto d = fb::toDate(row[QStringLiteral("DL_DAT")]);
                        return d ? d->toString(QStringLiteral("dd.MM.yyyy")) : QString();
                    }
                }
                return {};
            case Qt::ForegroundRole:
                if (index.column() == ColState && state == Saved) return QColor(Qt::blue);
                if (index.column() == ColState && state == Posted) return QColor(Qt::darkGreen);
                return {};
            case Qt::FontRole:
                if (index.column() == ColState && state == Posted) {
                    QFont f;
                    f.setBold(true);
                    return f;
                }
                return {};
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return {};
    }
};

}  // namespace

TfmDocGoodMoveList::TfmDocGoodMoveList(const fb::ConnectionParams& params, QWidget* parent)
    : QDialog(parent), conn_(params) {
    setObjectName(QStringLiteral("fmDocGoodMoveList"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(listCaption(-1));
    fmDocGoodMoveList = this;

    RadioGroup1 = new QGroupBox(QStringLiteral("Тип документа"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    kinds_ = new QButtonGroup(this);
    auto* radios = new QGridLayout(RadioGroup1);
    const char* names[] = {"инвентаризация", "поступление", "оприходование", "списание"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(names[i]), RadioGroup1);
        b->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
        kinds_->addButton(b, i);
        radios->addWidget(b, i % 2, i / 2);
    }

    const auto [from, to] = defaultListRange(QDate::currentDate());
    DateTimePicker1 = new QDateEdit(from, this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker2 = new QDateEdit(to, this);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    for (QDateEdit* d : {DateTimePicker1, DateTimePicker2}) {
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        d->setCalendarPopup(true);
    }

    model_ = new DocListModel(this);
    model_->setColumns({{QStringLiteral("DL_ID"), QStringLiteral("DL_ID")},
                        {QStringLiteral("DL_ST"), QStringLiteral("Статус")},
                        {QStringLiteral("DL_NUM"), QStringLiteral("Номер")},
                        {QStringLiteral("DL_DAT"), QStringLiteral("Дата")}});
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->setColumnHidden(ColId, true);
    DBGrid1->setColumnWidth(ColState, 110);
    DBGrid1->setColumnWidth(ColNumber, 90);
    DBGrid1->viewport()->installEventFilter(this);

    btnNewDoc = new QPushButton(QStringLiteral("НОВЫЙ"), this);
    btnNewDoc->setObjectName(QStringLiteral("btnNewDoc"));
    btnOpenDoc = new QPushButton(QStringLiteral("ОТКРЫТЬ"), this);
    btnOpenDoc->setObjectName(QStringLiteral("btnOpenDoc"));
    Button1 = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    for (QPushButton* b : {btnNewDoc, btnOpenDoc, Button1}) b->setAutoDefault(false);

    auto* dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("с"), this));
    dates->addWidget(DateTimePicker1);
    dates->addWidget(new QLabel(QStringLiteral("по"), this));
    dates->addWidget(DateTimePicker2);
    dates->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNewDoc);
    buttons->addWidget(btnOpenDoc);
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addLayout(dates);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    resize(520, 560);

    connect(kinds_, &QButtonGroup::idClicked, this, [this] { RadioGroup1Click(); });
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { dateChanged(); });
    connect(DateTimePicker2, &QDateEdit::dateChanged, this, [this] { dateChanged(); });
    connect(btnNewDoc, &QPushButton::clicked, this, &TfmDocGoodMoveList::btnNewDocClick);
    connect(btnOpenDoc, &QPushButton::clicked, this, &TfmDocGoodMoveList::btnOpenDocClick);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) btnOpenDocClick();
    });
    updateActions();
}

TfmDocGoodMoveList::~TfmDocGoodMoveList() {
    // The model's read transaction goes before the connection it runs on.
    DBGrid1->setModel(nullptr);
    delete model_;
    if (fmDocGoodMoveList == this) fmDocGoodMoveList = nullptr;
}

int TfmDocGoodMoveList::kind() const {
    return kinds_->checkedId();
}

int TfmDocGoodMoveList::rowCount() const {
    return model_->rowCount();
}

int TfmDocGoodMoveList::docIdAt(int row) const {
    return row >= 0 && row < model_->rowCount() ? model_->rowAt(row).integer(QStringLiteral("DL_ID")) : 0;
}

void TfmDocGoodMoveList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    listedFrom_ = DateTimePicker1->date();
    listedTo_ = DateTimePicker2->date();
    const int k = kindForListTag(tag_);
    if (k >= 0) kinds_->button(k)->setChecked(true);
    setWindowTitle(listCaption(k));
    ui::guarded(this, [this] { list(); });
}

bool TfmDocGoodMoveList::eventFilter(QObject* watched, QEvent* event) {
    // The wheel steps through the documents one at a time.
    if (watched == DBGrid1->viewport() && event->type() == QEvent::Wheel) {
        const int rows = model_->rowCount();
        if (rows > 0) {
            const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? -1 : 1;
            const int row = std::clamp(DBGrid1->currentIndex().row() + step, 0, rows - 1);
            DBGrid1->setCurrentIndex(model_->index(row, ColState));
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmDocGoodMoveList::RadioGroup1Click() {
    setWindowTitle(listCaption(kind()));
    setUpdatesEnabled(false);
    ui::guarded(this, [this] { list(); });
    setUpdatesEnabled(true);
}

void TfmDocGoodMoveList::dateChanged() {
    if (!shown_) return;
    const QDate from = DateTimePicker1->date(), to = DateTimePicker2->date();
    if (from == listedFrom_ && to == listedTo_) return;
    ui::guarded(this, [this] { list(); });
    listedFrom_ = from;
    listedTo_ = to;
}

void TfmDocGoodMoveList::list() {
    // Without a kind there is nothing to list: a document of no kind must
    // not be created or opened from here.
    const int k = kind();
    if (k < 0) {
        model_->clear();
        updateActions();
        return;
    }
    conn_.ensureConnected();
    model_->setQuery(conn_, documentListSql(),
                     {std::int64_t{docTypeForKind(k)}, DateTimePicker1->date(), DateTimePicker2->date()});
    if (model_->rowCount() == 0)
        model_->clear();
    else
        DBGrid1->setCurrentIndex(model_->index(0, ColState));
    updateActions();
}

void TfmDocGoodMoveList::relistOn(int docId) {
    ui::guarded(this, [this, docId] {
        list();
        if (kind() < 0 || model_->rowCount() == 0) return;
        const int row = model_->findRow(QStringLiteral("DL_ID"), QString::number(docId));
        if (row >= 0) DBGrid1->setCurrentIndex(model_->index(row, ColState));
    });
}

void TfmDocGoodMoveList::updateActions() {
    const bool haveKind = kind() >= 0;
    btnNewDoc->setEnabled(haveKind);
    btnOpenDoc->setEnabled(haveKind && model_->rowCount() > 0);
}

void TfmDocGoodMoveList::btnNewDocClick() {
    if (kind() < 0) return;
    openEditor(0);
}

void TfmDocGoodMoveList::btnOpenDocClick() {
    if (kind() < 0 || model_->rowCount() == 0) return;
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid()) return;
    const int id = docIdAt(current.row());
    if (id > 0) openEditor(id);
}

void TfmDocGoodMoveList::openEditor(int docId) {
    docIdToEdit_ = docId;
    QPointer<TfmInventory> editor = new TfmInventory(conn_.params(), kind(), docId, this);
    connect(editor, &TfmInventory::documentChanged, this, &TfmDocGoodMoveList::relistOn);
    connect(editor, &TfmInventory::documentDeleted, this, [this] { relistOn(0); });
    editor->exec();
    delete editor;
}

}  // namespace stock
