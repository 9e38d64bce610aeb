#include "archive/uReportSales.h"

#include "core/GroupTree.h"
#include "platform/db/Value.h"
#include "platform/ui/ColumnFit.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

TfmReportSales* fmReportSales = nullptr;

using namespace archive;

namespace {
enum Column {
    ColId,
    ColName,
    ColCount,
    ColPrice,
    ColSum,
    ColSumMain,
    ColDiscount,
    ColPercent,
    ColSection,
    ColumnCount
};

QString money(const std::optional<std::int64_t>& v, int scale) {
    return v ? fb::formatScaled(*v, scale) : QString();
}
}  // namespace

TfmReportSales::TfmReportSales(const fb::ConnectionParams& params, QWidget* parent) : QDialog(parent), db_(params) {
    setObjectName(QStringLiteral("fmReportSales"));
    setWindowTitle(QStringLiteral("Отчет: продажи"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmReportSales = this;

    auto picker = [this](const char* name) {
        auto* d = new QDateEdit(QDate::currentDate(), this);
        d->setObjectName(QLatin1String(name));
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        d->setCalendarPopup(true);
        return d;
    };
    DateTimePicker1 = picker("DateTimePicker1");
    DateTimePicker2 = picker("DateTimePicker2");
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    chSubGroupOn = new QCheckBox(QStringLiteral("включая подгруппы"), this);
    chSubGroupOn->setObjectName(QStringLiteral("chSubGroupOn"));
    chSubGroupOn->setChecked(true);
    Button2 = new QPushButton(QStringLiteral("сформировать"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    model_ = new QStandardItemModel(0, ColumnCount, this);
    model_->setHorizontalHeaderLabels(
        {QStringLiteral("Код (ID)"), QStringLiteral("Наименование"), QStringLiteral("Кол-во"),
         QStringLiteral("Цена за ед.,\nруб."), QStringLiteral("Сумма продажи,\nруб."),
         QStringLiteral("Сумма продажи\nбез скидки, руб."), QStringLiteral("Размер скидки,\nруб."),
         QStringLiteral("% скидки"), QStringLiteral("REP_SECTION")});
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    DBGrid1->setColumnHidden(ColSection, true);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(22);
    // A long goods name gives way: the amounts are what the report is read for.
    ui::fitColumnsToContents(DBGrid1, {ColName});

    auto* left = new QVBoxLayout;
    auto* period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("За период с"), this));
    period->addWidget(DateTimePicker1);
    period->addWidget(new QLabel(QStringLiteral("по"), this));
    period->addWidget(DateTimePicker2);
    left->addLayout(period);
    left->addWidget(TreeView1, 1);
    left->addWidget(chSubGroupOn);
    left->addWidget(Button2);
    left->addWidget(btnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(DBGrid1, 3);
    resize(1100, 640);

    DBGrid1->viewport()->installEventFilter(this);
    connect(Button2, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { Button2Click(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    QTreeWidgetItem* root = core::FillGroupTree(TreeView1, db_, 0);
    if (root) {
        root->setExpanded(true);
        TreeView1->setCurrentItem(root);
    }
}

TfmReportSales::~TfmReportSales() {
    if (fmReportSales == this) fmReportSales = nullptr;
}

void TfmReportSales::Button2Click() {
    // Pickers may carry a time: only the days count.
    const QDate from = DateTimePicker1->date(), to = DateTimePicker2->date();
    if (from > to) {
        ui::showError(QStringLiteral("Неверно задан период   "), this);
        return;
    }
    QTreeWidgetItem* node = TreeView1->currentItem();
    const bool isRoot = node && !node->parent();
    const auto variant = chooseSalesVariant(node != nullptr, isRoot, chSubGroupOn->isChecked());
    if (!variant) return;
    std::vector<std::int64_t> groups;
    const std::int64_t id = node ? core::groupTreeItemId(node) : 0;
    if (*variant == SalesVariant::OneLevel) groups = {id};
    if (*variant == SalesVariant::WithSubGroups) groups = groupWithSubGroups(db_, id);
    showRows(buildSalesReport(readSalesLines(db_, from, to, *variant, groups), *variant));
}

void TfmReportSales::showRows(std::vector<SalesRow> rows) {
    rows_ = std::move(rows);
    model_->removeRows(0, model_->rowCount());
    DBGrid1->clearSpans();
    for (const SalesRow& r : rows_) {
        const SalesRowStyle style = salesRowStyle(r);
        QList<QStandardItem*> cells;
        QString texts[ColumnCount] = {
            r.goodsId,           style.text,           money(r.count, 3),   money(r.price, 2),         money(r.sum, 2),
            money(r.sumMain, 2), money(r.discount, 2), money(r.percent, 2), QString::number(r.section)};
        if (style.acrossRow) {
            texts[ColId] = style.text;
            for (int c : {ColCount, ColPrice, ColSumMain, ColDiscount, ColPercent}) texts[c].clear();
        }
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QStandardItem(texts[c]);
            if (c >= ColCount && c <= ColPercent) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            const bool styled = c == ColName || c == ColSum || (style.acrossRow && c == ColId);
            if (style.colour.isValid() && styled) item->setForeground(style.colour);
            if (style.bold && styled) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            cells << item;
        }
        model_->appendRow(cells);
        if (style.acrossRow) DBGrid1->setSpan(model_->rowCount() - 1, ColId, 1, ColSum - ColId);
    }
}

bool TfmReportSales::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched == DBGrid1->viewport()) {
        // The wheel moves the current row by one, as the lists of this
        // program do.
        const int rows = model_->rowCount();
        if (rows > 0) {
            const int step = static_cast<QWheelEvent*>(event)->angleDelta().y() < 0 ? 1 : -1;
            const int row = std::clamp(DBGrid1->currentIndex().row() + step, 0, rows - 1);
            DBGrid1->setCurrentIndex(model_->index(row, ColName));
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
