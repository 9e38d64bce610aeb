#pragma once
// The goods catalogue "Номенклатура": the group tree on the left, the goods
// of the chosen group (or of the whole base) on the right, a delayed name
// filter, and the commands on goods and groups.
#include "CatalogueLogic.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace fb {
class Connection;
}
namespace ui {
class QueryTableModel;
}

namespace catalogue {

class TfmGoods : public QDialog {
    Q_OBJECT
public:
    explicit TfmGoods(fb::Connection& db, QWidget* parent = nullptr);
    ~TfmGoods() override;

    // Handlers, named after their controls.
    void FormShow();
    void TreeView1Change();
    void Timer1Timer();
    void CheckBox1Click();
    void btnClearClick();
    void btnGoodAddClick();
    void btnAddCopyClick();
    void btnGoodEditClick();
    void btnGoodDeleteClick();
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButton5Click();
    void N1Click();
    void Button2Click();

    // What the goods card and the group windows call back.
    void afterGoodSaved(std::int64_t id, std::int64_t parent);
    QString filterText() const;
    bool wholeBase() const;
    // Rebuilds the tree, expands the groups and selects one (its list loaded).
    void rebuildTree(std::int64_t selectId, const QList<std::int64_t>& expandedIds, bool reloadList = true);

    // Drag and drop: goods from the list and groups from the tree onto
    // tree nodes, carried under these types.
    static QString goodsMimeType() { return QStringLiteral("application/x-tarvi-goods-id"); }
    static QString groupMimeType() { return QStringLiteral("application/x-tarvi-group-id"); }
    bool dropAllowed(QTreeWidgetItem* target, const QMimeData* data) const;
    // Moves what was dragged under the node; false when refused or failed.
    bool dropOn(QTreeWidgetItem* target, const QMimeData* data);

    std::int64_t selectedGroupId() const;
    int currentRow() const;
    ui::QueryTableModel* listModel() const { return model_; }

    QTreeWidget* TreeView1;
    QTableView* DBGridGoods;
    QLineEdit* edFilterText;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QCheckBox* CheckBox1;
    QPushButton* btnClear;
    QTimer* Timer1;
    QPushButton* btnGoodAdd;
    QPushButton* btnAddCopy;
    QPushButton* btnGoodEdit;
    QPushButton* btnGoodDelete;
    QPushButton* Button1;
    QPushButton* Button2;
    QToolButton* ToolButton1;
    QToolButton* ToolButton3;
    QToolButton* ToolButton5;
    QMenu* MGroupSettings;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reloadList(int minRows = 0, bool firstOpening = false);
    void selectRow(int row);
    void selectTreeItem(QTreeWidgetItem* item);  // change handler detached
    QTreeWidgetItem* treeItem(std::int64_t id) const;
    void followCurrentRow();
    void openCard(int tag, bool copy);
    void updateActions();

    fb::Connection& db_;
    ui::QueryTableModel* model_;
    bool shown_ = false;
    bool treeChangeDetached_ = false;
    QTreeWidgetItem* redItem_ = nullptr;
    bool following_ = true;
    QPoint dragStart_;
    bool dragArmed_ = false;
};

extern QPointer<TfmGoods> fmGoods;

}  // namespace catalogue
