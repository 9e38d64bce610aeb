#include "GroupTree.h"

#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <vector>

namespace core {

QList<GroupNode> buildGroupTree(const QList<GroupRow>& rows) {
    QList<GroupNode> nodes;
    nodes.append({0, QStringLiteral("Номенклатура"), -1, {}});
    std::vector<bool> attached(static_cast<size_t>(rows.size()), false);
    for (int i = 0; i < nodes.size(); ++i) {
        const std::int64_t id = nodes.at(i).id;
        for (int r = 0; r < rows.size(); ++r) {
            if (attached[static_cast<size_t>(r)] || rows.at(r).parent != id) continue;
            attached[static_cast<size_t>(r)] = true;
            nodes[i].children.append(static_cast<int>(nodes.size()));
            nodes.append({rows.at(r).id, rows.at(r).name, i, {}});
        }
    }
    return nodes;
}

QList<GroupRow> readGroupRows(fb::Transaction& tr) {
    QList<GroupRow> rows;
    const auto result = fb::query(tr, QStringLiteral("SELECT GOOD_ID, GOOD_NAME, GOOD_PARENTGROUP FROM GOODS "
                                                     "WHERE GOOD_ISGOOD=0 ORDER BY GOOD_PARENTGROUP, GOOD_NAME"));
    for (const fb::Row& row : result) {
        rows.append({row.int64(QStringLiteral("GOOD_ID")), row.str(QStringLiteral("GOOD_NAME")),
                     row.int64(QStringLiteral("GOOD_PARENTGROUP"))});
    }
    return rows;
}

std::int64_t groupTreeItemId(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

QTreeWidgetItem* FillGroupTree(QTreeWidget* tree, const QList<GroupRow>& rows, std::int64_t selectId) {
    if (!tree) return nullptr;
    const QList<GroupNode> nodes = buildGroupTree(rows);
    const bool updates = tree->updatesEnabled();
    tree->setUpdatesEnabled(false);
    tree->clear();

    std::vector<QTreeWidgetItem*> items(static_cast<size_t>(nodes.size()), nullptr);
    QTreeWidgetItem* selected = nullptr;
    for (int i = 0; i < nodes.size(); ++i) {
        const GroupNode& node = nodes.at(i);
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(tree)
                                                : new QTreeWidgetItem(items[static_cast<size_t>(node.parent)]);
        item->setText(0, node.name);
        item->setData(0, Qt::UserRole, QVariant::fromValue<qlonglong>(node.id));
        items[static_cast<size_t>(i)] = item;
        if (!selected && node.id == selectId) selected = item;
    }

    tree->setUpdatesEnabled(updates);
    return selected ? selected : items.front();
}

QTreeWidgetItem* FillGroupTree(QTreeWidget* tree, fb::Connection& db, std::int64_t selectId) {
    db.ensureConnected();
    fb::Transaction tr(db);
    const QList<GroupRow> rows = readGroupRows(tr);
    tr.commit();
    return FillGroupTree(tree, rows, selectId);
}

void ExpandGroupTree(QTreeWidget* tree, const QList<std::int64_t>& ids) {
    if (!tree) return;
    for (const std::int64_t id : ids) {
        QTreeWidgetItemIterator it(tree);
        if (*it) ++it;  // the root is never looked at
        for (; *it; ++it) {
            if (groupTreeItemId(*it) == id) {
                (*it)->setExpanded(true);
                break;
            }
        }
    }
}

QList<std::int64_t> expandedGroupIds(QTreeWidget* tree) {
    QList<std::int64_t> ids;
    if (!tree) return ids;
    QTreeWidgetItemIterator it(tree);
    if (*it) ++it;
    for (; *it; ++it) {
        if ((*it)->isExpanded()) ids.append(groupTreeItemId(*it));
    }
    return ids;
}

}  // namespace core
