#include "uGroupSelect.h"

#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace catalogue {

TfmGroupSelect* fmGroupSelect = nullptr;

TfmGroupSelect::TfmGroupSelect(fb::Connection& db, int tag, std::int64_t renamedId, const QString& renamedName,
                               QWidget* parent)
    : QDialog(parent), db_(db), tag_(tag), renamedId_(renamedId), renamedName_(renamedName) {
    setObjectName(QStringLiteral("fmGroupSelect"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmGroupSelect = this;
    setWindowTitle(QStringLiteral("Выбор группы"));
    resize(400, 500);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnOK = new QPushButton(QStringLiteral("ОК"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    Button1 = new QPushButton(QStringLiteral("ОТМЕНА"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1, 1);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &TfmGroupSelect::btnOKClick);
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { choose(item, true); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

TfmGroupSelect::~TfmGroupSelect() {
    if (fmGroupSelect == this) fmGroupSelect = nullptr;
}

void TfmGroupSelect::fill() {
    db_.ensureConnected();
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const QList<core::GroupRow> rows = core::readGroupRows(tr);
    tr.commit();
    parentOf_ = parentMap(rows);
    QTreeWidgetItem* root = core::FillGroupTree(TreeView1, rows, 0);
    TreeView1->sortItems(0, Qt::AscendingOrder);
    if (root) {
        root->setExpanded(true);
        TreeView1->setCurrentItem(root);
    }
}

void TfmGroupSelect::btnOKClick() {
    choose(TreeView1->currentItem(), false);
}

void TfmGroupSelect::choose(QTreeWidgetItem* item, bool viaDoubleClick) {
    if (!item) return;
    const std::int64_t id = core::groupTreeItemId(item);
    if (tag_ == 1) {
        const auto error = parentChoiceError(renamedId_ ? GroupEditMode::Rename : GroupEditMode::Create, renamedId_,
                                             renamedName_, id, item->text(0), viaDoubleClick, parentOf_);
        if (error) {
            ui::messages().show(this, *error, ui::Icon::Error);
            return;
        }
    }
    chosen_ = PickedGroup{id, id == 0 ? QString() : item->text(0)};
    accept();
}

}  // namespace catalogue
