#pragma once
// The goods group tree: the root "Номенклатура" (ID 0) and the groups of
// GOODS (GOOD_ISGOOD = 0) under their parents.
#include <QList>
#include <QString>

#include <cstdint>

class QTreeWidget;
class QTreeWidgetItem;

namespace fb {
class Connection;
class Transaction;
}  // namespace fb

namespace core {

struct GroupRow {
    std::int64_t id = 0;
    QString name;
    std::int64_t parent = 0;
};

struct GroupNode {
    std::int64_t id = 0;
    QString name;
    int parent = -1;       // index of the parent node, -1 for the root
    QList<int> children;   // indexes, in the order the rows came
};

// Builds the tree breadth first: node 0 is the root "Номенклатура" with ID
// 0; nodes are visited in index order while the list grows, and each visit
// attaches, in row order, every group whose parent is that node's ID. Each
// row is attached at most once, so a group that names itself or a loop as
// its parent cannot make the tree endless. Groups whose parent chain does
// not reach the root are left out.
QList<GroupNode> buildGroupTree(const QList<GroupRow>& rows);

// The groups in the order the tree is built from (parent, then name).
QList<GroupRow> readGroupRows(fb::Transaction& tr);

// The group ID an item of a group tree carries (Qt::UserRole of column 0).
std::int64_t groupTreeItemId(const QTreeWidgetItem* item);

// Clears the tree and fills it from the rows (display updates suspended
// meanwhile). Returns the item whose ID equals `selectId`, or the root.
// The item is not made current: callers do that with their own change
// handler detached.
QTreeWidgetItem* FillGroupTree(QTreeWidget* tree, const QList<GroupRow>& rows, std::int64_t selectId);
// The same, reading the groups from the database in a transaction of its own.
QTreeWidgetItem* FillGroupTree(QTreeWidget* tree, fb::Connection& db, std::int64_t selectId);

// Expands, for each ID, the first item after the root (in display order)
// that carries it.
void ExpandGroupTree(QTreeWidget* tree, const QList<std::int64_t>& ids);
// The IDs of the expanded items after the root, to expand again after a
// rebuild.
QList<std::int64_t> expandedGroupIds(QTreeWidget* tree);

}  // namespace core
