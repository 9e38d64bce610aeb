#include "sales/screen/uAvailablePortions.h"

#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/Registration_Mode.h"

#include <QAbstractItemDelegate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

TfmAvailablePortions* fmAvailablePortions = nullptr;

using namespace sales;

namespace {

// The choice column keeps "1" or "0" as its text but shows only the check
// box: the text is left out of the drawing, not coloured away, because the
// style draws the check mark in the text colour.
class ChoiceMarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text.clear();
        option->features &= ~QStyleOptionViewItem::HasDisplay;
    }
};

}  // namespace

TfmAvailablePortions::TfmAvailablePortions(TfmReg& reg, PortionsRepository& repository, std::int64_t goodsId, int row,
                                           QWidget* parent)
    : QDialog(parent), reg_(reg), goodsId_(goodsId), row_(row) {
    setObjectName(QStringLiteral("fmAvailablePortions"));
    setWindowTitle(QStringLiteral("Доступные партии"));
    fmAvailablePortions = this;

    lblGoodName = new QLabel(this);
    lblGoodName->setObjectName(QStringLiteral("lblGoodName"));
    QFont bold = lblGoodName->font();
    bold.setBold(true);
    lblGoodName->setFont(bold);
    lblCountry = new QLabel(this);
    lblCountry->setObjectName(QStringLiteral("lblCountry"));

    PortionsGrid = new QTableWidget(0, ColumnCount, this);
    PortionsGrid->setObjectName(QStringLiteral("PortionsGrid"));
    PortionsGrid->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Документ\nпоступления"), QStringLiteral("№ тамож.\nдекларации"),
         QStringLiteral("Доступное\nколичество"), QStringLiteral("Количество\nк списанию"), QString()});
    PortionsGrid->verticalHeader()->hide();
    PortionsGrid->horizontalHeader()->setSectionsMovable(false);
    PortionsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    PortionsGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    const int rowHeight = PortionsGrid->verticalHeader()->defaultSectionSize();
    PortionsGrid->horizontalHeader()->setFixedHeight(2 * rowHeight);
    PortionsGrid->setColumnWidth(ColChoice, rowHeight + 3);
    PortionsGrid->setColumnWidth(ColDocument, 180);
    PortionsGrid->setColumnWidth(ColDeclaration, 200);
    PortionsGrid->setColumnWidth(ColAvailable, 100);
    PortionsGrid->setColumnWidth(ColQty, 100);
    PortionsGrid->setColumnHidden(ColRecordId, true);
    PortionsGrid->setItemDelegateForColumn(ColChoice, new ChoiceMarkDelegate(PortionsGrid));
    PortionsGrid->setMinimumWidth(rowHeight + 3 + 180 + 200 + 100 + 100 + 24);

    lblTotalCaption = new QLabel(this);
    lblTotalCaption->setObjectName(QStringLiteral("lblTotalCaption"));
    lblTotal = new QLabel(this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    lblTotal->setFont(bold);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    btnClose = new QPushButton(QStringLiteral("ЗАКРЫТЬ"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("Товар:"), lblGoodName);
    head->addRow(QStringLiteral("Страна происхождения:"), lblCountry);
    auto* total = new QHBoxLayout;
    total->addWidget(lblTotalCaption);
    total->addWidget(lblTotal);
    total->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(PortionsGrid, 1);
    layout->addLayout(total);
    layout->addLayout(buttons);

    connect(PortionsGrid, &QTableWidget::cellClicked, this, [this](int r, int column) {
        if (column == ColChoice) toggleRow(r);
    });
    connect(btnOK, &QPushButton::clicked, this, &TfmAvailablePortions::btnOKClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    fill(repository);
}

TfmAvailablePortions::~TfmAvailablePortions() {
    if (fmAvailablePortions == this) fmAvailablePortions = nullptr;
}

void TfmAvailablePortions::fill(PortionsRepository& repository) {
    PortionsRepository::Offer offer = repository.load(goodsId_);
    if (!offer.goods) {
        lblGoodName->setText(portionsText::kNoData);
        lblCountry->setText(portionsText::kNoData);
        PortionsGrid->setEnabled(false);
    } else {
        lblGoodName->setText(offer.goods->name);
        lblCountry->setText(offer.goods->country);
        weighed_ = offer.goods->weighed;
        lots_ = std::move(offer.lots);
    }

    const QString goodsId = QString::number(goodsId_);
    const QList<QStringList>& earlier = reg_.PortionChoices();
    PortionsGrid->setRowCount(int(lots_.size()));
    std::int64_t available = 0;
    auto readOnly = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return item;
    };
    for (int r = 0; r < int(lots_.size()); ++r) {
        const PortionLot& lot = lots_[size_t(r)];
        PortionsGrid->setItem(r, ColChoice, readOnly(QStringLiteral("0")));
        PortionsGrid->item(r, ColChoice)->setTextAlignment(Qt::AlignCenter);
        PortionsGrid->setItem(r, ColDocument, readOnly(lot.documentText));
        PortionsGrid->setItem(r, ColDeclaration, readOnly(lot.declaration));
        PortionsGrid->setItem(r, ColAvailable, readOnly(lot.remainder.toWeightString()));
        PortionsGrid->item(r, ColAvailable)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PortionsGrid->setItem(r, ColQty, readOnly(QString()));
        PortionsGrid->item(r, ColQty)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PortionsGrid->setItem(r, ColRecordId, readOnly(QString::number(lot.recordId)));
        setChosen(r, false);
        if (const std::optional<QString> q = chosenPortionQty(earlier, goodsId, lot.recordId)) {
            setChosen(r, true);
            PortionsGrid->item(r, ColQty)->setText(*q);
        }
        available += lot.remainder.thousandths;
    }
    if (lots_.empty()) {
        lblTotalCaption->setText(portionsText::kNoLots);
        lblTotal->setText(QStringLiteral("0.000"));
        lblTotal->setStyleSheet(QString());
        return;
    }
    lblTotalCaption->setText(portionsText::kTotalCaption);
    if (available > 0) {
        lblTotal->setText(Qty::fromThousandths(available).toWeightString());
        lblTotal->setStyleSheet(QStringLiteral("color: green"));
    } else {
        lblTotal->setText(QStringLiteral("0.000"));
        lblTotal->setStyleSheet(QString());
    }
}

bool TfmAvailablePortions::chosen(int gridRow) const {
    const QTableWidgetItem* item = PortionsGrid->item(gridRow, ColChoice);
    return item && item->text() == QLatin1String("1");
}

void TfmAvailablePortions::setChosen(int gridRow, bool on) {
    QTableWidgetItem* mark = PortionsGrid->item(gridRow, ColChoice);
    QTableWidgetItem* qty = PortionsGrid->item(gridRow, ColQty);
    if (!mark || !qty) return;
    mark->setText(on ? QStringLiteral("1") : QStringLiteral("0"));
    // The mark is drawn as a check box; the text keeps "1" or "0".
    mark->setData(Qt::CheckStateRole, on ? Qt::Checked : Qt::Unchecked);
    if (on) {
        qty->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    } else {
        qty->setText(QString());
        qty->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
}

void TfmAvailablePortions::toggleRow(int gridRow) {
    if (gridRow < 0 || gridRow >= PortionsGrid->rowCount() || !PortionsGrid->isEnabled()) return;
    setChosen(gridRow, !chosen(gridRow));
    if (chosen(gridRow)) PortionsGrid->setCurrentCell(gridRow, ColQty);
}

void TfmAvailablePortions::btnOKClick() {
    ui::guarded(this, [this] {
        // A quantity still being typed counts as typed.
        const QModelIndex current = PortionsGrid->currentIndex();
        if (QWidget* editor = current.isValid() ? PortionsGrid->indexWidget(current) : nullptr)
            PortionsGrid->itemDelegate()->setModelData(editor, PortionsGrid->model(), current);
        QList<PortionRow> rows;
        for (int r = 0; r < PortionsGrid->rowCount(); ++r) {
            PortionRow row;
            row.chosen = chosen(r);
            row.quantityText = PortionsGrid->item(r, ColQty)->text();
            row.remainder = lots_[size_t(r)].remainder;
            row.recordId = lots_[size_t(r)].recordId;
            rows << row;
        }
        const QString problem = portionChoiceProblem(rows, reg_.receipt().quantity(row_), weighed_);
        if (!problem.isEmpty()) {
            ui::showWarning(problem, this);
            return;
        }
        const QString goodsId = QString::number(goodsId_);
        QList<QStringList> entries;
        for (const PortionRow& r : rows)
            if (r.chosen)
                entries << QStringList{goodsId, QString::number(r.recordId),
                                       portionQtyText(*parsePortionQty(r.quantityText), weighed_)};
        replacePortionChoices(reg_.PortionChoices(), goodsId, entries);
        accept();
    });
}
