#include "core/GroupTree.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Each node as "name(id)<parent index" in index order.
QStringList describe(const QList<GroupNode>& nodes) {
    QStringList out;
    for (const GroupNode& n : nodes) out << QStringLiteral("%1(%2)<%3").arg(n.name).arg(n.id).arg(n.parent);
    return out;
}

// The groups as the query returns them: by parent, then name.
const QList<GroupRow> kRows{
    {10, u("Молочное"), 0}, {20, u("Хлеб"), 0},   {11, u("Йогурты"), 10}, {12, u("Сыры"), 10},
    {21, u("Батоны"), 20},  {13, u("Твёрдые"), 12}, {99, u("Сирота"), 77},
};

}  // namespace

TEST(GroupTreeBuild, AttachesBreadthFirstUnderTheRoot) {
    const QList<GroupNode> nodes = buildGroupTree(kRows);
    EXPECT_EQ(describe(nodes), (QStringList{u("Номенклатура(0)<-1"), u("Молочное(10)<0"), u("Хлеб(20)<0"),
                                            u("Йогурты(11)<1"), u("Сыры(12)<1"), u("Батоны(21)<2"),
                                            u("Твёрдые(13)<4")}));
    EXPECT_EQ(nodes.at(0).children, (QList<int>{1, 2}));
    EXPECT_EQ(nodes.at(1).children, (QList<int>{3, 4}));
    // A group whose parent does not exist is not shown.
    for (const GroupNode& n : nodes) EXPECT_NE(n.id, 99);
}

TEST(GroupTreeBuild, EmptyCatalogueAndLoopsEnd) {
    EXPECT_EQ(describe(buildGroupTree({})), QStringList{u("Номенклатура(0)<-1")});
    // A group with ID 0, one that is its own parent and a loop of two: each
    // row is attached at most once and the build ends.
    const QList<GroupRow> odd{{0, u("Ноль"), 0}, {5, u("Сам себе"), 5}, {6, u("А"), 7}, {7, u("Б"), 6}};
    const QList<GroupNode> nodes = buildGroupTree(odd);
    EXPECT_EQ(describe(nodes), (QStringList{u("Номенклатура(0)<-1"), u("Ноль(0)<0")}));
}

TEST(GroupTreeWidget, FillsSelectsAndExpands) {
    QTreeWidget tree;
    tree.addTopLevelItem(new QTreeWidgetItem(QStringList{u("старое")}));

    QTreeWidgetItem* selected = FillGroupTree(&tree, kRows, 12);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->text(0), u("Сыры"));
    EXPECT_EQ(groupTreeItemId(selected), 12);
    EXPECT_EQ(selected->parent()->text(0), u("Молочное"));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), u("Номенклатура"));
    EXPECT_EQ(groupTreeItemId(root), 0);
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_TRUE(tree.updatesEnabled());

    // The fill replaces every item: the root is read only after it.
    QTreeWidgetItem* chosen = FillGroupTree(&tree, kRows, 12345);
    EXPECT_EQ(chosen, tree.topLevelItem(0));  // unknown ID: the root
    chosen = FillGroupTree(&tree, kRows, 0);
    EXPECT_EQ(chosen, tree.topLevelItem(0));

    ExpandGroupTree(&tree, {12, 20, 0, 555});
    root = tree.topLevelItem(0);
    EXPECT_FALSE(root->isExpanded());  // the root is not looked at
    EXPECT_EQ(expandedGroupIds(&tree), (QList<std::int64_t>{12, 20}));  // display order

    // Expanded groups survive a rebuild the way callers do it.
    const QList<std::int64_t> remembered = expandedGroupIds(&tree);
    FillGroupTree(&tree, kRows, 0);
    EXPECT_TRUE(expandedGroupIds(&tree).isEmpty());
    ExpandGroupTree(&tree, remembered);
    EXPECT_EQ(expandedGroupIds(&tree), remembered);
}
