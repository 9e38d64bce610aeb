// Goods groups: the choice of a parent, the groups below a group (loops in
// the stored parents included), group settings and the group editor.
#include "catalogue/Groups.h"
#include "catalogue/GroupsRepository.h"
#include "catalogue/uGroupEdit.h"
#include "catalogue/uGroupSelect.h"
#include "catalogue/uGroupSettings.h"
#include "platform/db/Error.h"
#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

using catalogue::ChosenEntry;
using catalogue::GroupEditMode;

// G(1) > H(2) > I(3); K(4) beside G; X(5) and Y(6) name each other as
// parent; Z(7) names itself.
QList<core::GroupRow> sampleGroups() {
    return {{1, QStringLiteral("G"), 0}, {2, QStringLiteral("H"), 1}, {3, QStringLiteral("I"), 2},
            {4, QStringLiteral("K"), 0}, {5, QStringLiteral("X"), 6}, {6, QStringLiteral("Y"), 5},
            {7, QStringLiteral("Z"), 7}};
}

TEST(GroupRules, ParentChoiceRefusesTheGroupItselfAndItsDescendantsOnlyWhenRenaming) {
    const auto parents = catalogue::parentMap(sampleGroups());
    const struct {
        GroupEditMode mode;
        std::int64_t renamed;
        std::int64_t node;
        bool doubleClick;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {GroupEditMode::Rename, 1, 1, false, "Группа не может быть родительской для самой себя.     "},
        {GroupEditMode::Rename, 1, 1, true, "Группа не может родительской для самой себя.     "},
        {GroupEditMode::Rename, 1, 3, false,
         "Недопустимое действие :     \r\n  Группа 'I' является дочерней в группе 'G'     "},
        {GroupEditMode::Rename, 1, 0, false, nullptr},
        {GroupEditMode::Rename, 1, 4, false, nullptr},
        {GroupEditMode::Rename, 2, 1, false, nullptr},
        {GroupEditMode::Rename, 1, 5, false, nullptr},  // a loop elsewhere ends the walk
        {GroupEditMode::Rename, 1, 7, false, nullptr},
        {GroupEditMode::Create, 0, 3, false, nullptr},
    };
    const QHash<std::int64_t, QString> names{{0, QStringLiteral("Номенклатура")},
                                             {1, QStringLiteral("G")},
                                             {3, QStringLiteral("I")},
                                             {4, QStringLiteral("K")},
                                             {5, QStringLiteral("X")},
                                             {7, QStringLiteral("Z")}};
    for (const auto& c : cases) {
        const auto error = catalogue::parentChoiceError(c.mode, c.renamed, names.value(c.renamed), c.node,
                                                        names.value(c.node), c.doubleClick, parents);
        EXPECT_EQ(error.value_or(QString()), c.message ? QString::fromUtf8(c.message) : QString())
            << c.renamed << " " << c.node;
    }
}

TEST(GroupRules, SubgroupsAreGatheredOnceEvenAroundALoop) {
    const auto rows = sampleGroups();
    using V = std::vector<std::int64_t>;
    EXPECT_EQ(catalogue::groupAndSubgroups(1, rows), (V{1, 2, 3}));
    EXPECT_EQ(catalogue::groupAndSubgroups(5, rows), (V{5, 6}));
    EXPECT_EQ(catalogue::groupAndSubgroups(7, rows), (V{7}));
    EXPECT_EQ(catalogue::groupAndSubgroups(99, rows), V{});
}

TEST(GroupRules, ConfirmationAndAssignmentsFollowTheBoxOrder) {
    catalogue::GroupSettingsChoice c;
    c.unit = ChosenEntry{11, QStringLiteral("кг")};
    c.kind = ChosenEntry{4, QStringLiteral("услуга")};
    EXPECT_EQ(
        catalogue::groupSettingsConfirmation(QStringLiteral("G"), c),
        QStringLiteral("Для всех товаров в группе 'G' (включая подгруппы)      \r\nбудут установлены следующие "
                       "параметры: \r\n\r\n Признак предмета расчета:   услуга     \r\n Мера количества:   кг     "
                       "\r\n\r\nПродолжить?"));
    const auto a = catalogue::groupSettingsAssignments(c);
    EXPECT_EQ(a.setClause, QStringLiteral("GOOD_TYPE=? ,GOOD_EDIZM=? , GOOD_EDIZM_FFD=?"));
    EXPECT_EQ(a.params, (std::vector<fb::Value>{QStringLiteral("У"), QStringLiteral("кг"), std::int64_t{11}}));
    EXPECT_FALSE(catalogue::anyChosen({}));
    for (const auto& [id, ok] : std::initializer_list<std::pair<const char*, bool>>{
             {"5", true}, {"0", false}, {"-3", false}, {"", false}, {"x", false}})
        EXPECT_EQ(!catalogue::groupIdError(QString::fromUtf8(id)).has_value(), ok) << id;
}

class Groups : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        for (const auto& g : sampleGroups())
            exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_TYPE) "
                                "VALUES (%1, '%2', 0, %3, 'Т')")
                     .arg(g.id)
                     .arg(g.name)
                     .arg(g.parent));
        // One goods item in each group and one at the top level.
        for (int g = 0; g <= 7; ++g)
            exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_TYPE, "
                                "GOOD_NALOG, GOOD_EDIZM, GOOD_EDIZM_FFD) VALUES (%1, 'item%2', 1, %2, 'Т', '6', "
                                "'шт', 0)")
                     .arg(100 + g)
                     .arg(g));
    }
    QString column(std::int64_t id, const char* name) {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const auto row =
            fb::queryOne(tr, QStringLiteral("SELECT %1 FROM GOODS WHERE GOOD_ID=?").arg(QLatin1String(name)), {id});
        return row ? row->str(QLatin1String(name)) : QStringLiteral("<none>");
    }
    QStringList kinds() {
        QStringList out;
        for (int id : {1, 2, 3, 4, 5, 6, 7, 100, 101, 102, 103, 104, 105, 106, 107}) out << column(id, "GOOD_TYPE");
        return out;
    }
};

TEST_F(Groups, SettingsChangeGoodsOfTheGroupAndItsSubgroupsOnly) {
    catalogue::GroupSettingsChoice c;
    c.kind = ChosenEntry{4, QStringLiteral("услуга")};
    c.unit = ChosenEntry{11, QStringLiteral("к'г")};
    EXPECT_EQ(catalogue::applyGroupSettings(db(), 1, c), 3);
    const QString t = QStringLiteral("Т"), u = QStringLiteral("У");
    // Group rows first (1..7), then items of the top level and of groups 1..7.
    EXPECT_EQ(kinds(), (QStringList{t, t, t, t, t, t, t, t, u, u, u, t, t, t, t}));
    EXPECT_EQ(column(103, "GOOD_EDIZM"), QStringLiteral("к'г"));
    EXPECT_EQ(column(103, "GOOD_EDIZM_FFD"), QStringLiteral("11"));
    EXPECT_EQ(column(101, "GOOD_NALOG"), QStringLiteral("6"));

    // Groups in a loop or parented to themselves neither hang nor fail.
    EXPECT_EQ(catalogue::applyGroupSettings(db(), 5, c), 2);
    EXPECT_EQ(catalogue::applyGroupSettings(db(), 7, c), 1);
}

TEST_F(Groups, SettingsFailingPartwayChangeNothing) {
    exec(QStringLiteral("CREATE EXCEPTION E_TEST_REFUSED 'refused'"));
    exec(
        QStringLiteral("CREATE TRIGGER T_TEST_REFUSE FOR GOODS BEFORE UPDATE AS BEGIN "
                       "IF (NEW.GOOD_PARENTGROUP = 3) THEN EXCEPTION E_TEST_REFUSED; END"));
    const QStringList before = kinds();
    catalogue::GroupSettingsChoice c;
    c.kind = ChosenEntry{3, QStringLiteral("работа")};
    EXPECT_THROW(catalogue::applyGroupSettings(db(), 1, c), fb::Error);
    EXPECT_EQ(kinds(), before);
}

TEST_F(Groups, SettingsWindowAsksOnlyWithAChosenEntryAndWritesOnlyOnYes) {
    testsupport::FakeMessages messages;
    catalogue::TfmGroupSettings w(db(), 1, QStringLiteral("G"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.fill();
    w.show();
    const QStringList before = kinds();
    auto* chGoodType = w.findChild<QCheckBox*>(QStringLiteral("chGoodType"));
    auto* cmbGoodType = w.findChild<QComboBox*>(QStringLiteral("cmbGoodType"));
    EXPECT_FALSE(cmbGoodType->isEnabled());

    w.Button2Click();  // nothing ticked
    chGoodType->setChecked(true);
    EXPECT_TRUE(cmbGoodType->isEnabled());
    w.Button2Click();  // ticked, nothing chosen
    EXPECT_TRUE(messages.boxes.empty());

    cmbGoodType->setCurrentIndex(1);
    w.Button2Click();  // Cancel
    messages.answer(ui::Answer::No);
    w.Button2Click();
    EXPECT_EQ(messages.boxes.size(), 2u);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(kinds(), before);

    messages.answer(ui::Answer::Yes);
    w.Button2Click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(column(103, "GOOD_TYPE"), QStringLiteral("АТ"));
}

TEST_F(Groups, PickerShowsEveryReachableGroupDespiteLoopsAndRefusesADescendant) {
    testsupport::FakeMessages messages;
    catalogue::TfmGroupSelect w(db(), 1, 1, QStringLiteral("G"));
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.fill();
    QStringList shown;
    QTreeWidgetItem* itemI = nullptr;
    for (QTreeWidgetItemIterator it(w.tree()); *it; ++it) {
        shown << (*it)->text(0);
        if ((*it)->text(0) == QStringLiteral("I")) itemI = *it;
    }
    EXPECT_TRUE(shown.contains(QStringLiteral("K")));
    EXPECT_TRUE(shown.contains(QStringLiteral("I")));
    ASSERT_NE(itemI, nullptr);
    w.choose(itemI, false);
    EXPECT_EQ(messages.last(),
              QStringLiteral("Недопустимое действие :     \r\n  Группа 'I' является дочерней в группе 'G'     "));
    EXPECT_FALSE(w.chosen().has_value());
    w.choose(w.tree()->topLevelItem(0), false);  // the root: top level
    ASSERT_TRUE(w.chosen().has_value());
    EXPECT_EQ(w.chosen()->id, 0);
    EXPECT_TRUE(w.chosen()->name.isEmpty());
}

TEST_F(Groups, EditorRefusesABlankNameAndAGroupIdOfZero) {
    testsupport::FakeMessages messages;
    const struct {
        GroupEditMode mode;
        const char* id;
        const char* name;
        const char* message;
    } cases[] = {
        {GroupEditMode::Create, "8", "  ", "Не задано название новой группы   "},
        {GroupEditMode::Rename, "1", "", "Не задано название группы   "},
        {GroupEditMode::Create, "0", "Новая", " Некорректный ID группы.     "},
        {GroupEditMode::Create, "", "Новая", " Некорректный ID группы.     "},
    };
    for (const auto& c : cases) {
        catalogue::GroupEditInput r;
        r.mode = c.mode;
        r.idText = QString::fromUtf8(c.id);
        r.name = QString::fromUtf8(c.name);
        catalogue::TfmGroupEdit w(db(), r);
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.btnCreateGroupClick();
        EXPECT_EQ(messages.last(), QString::fromUtf8(c.message)) << c.id << c.name;
        EXPECT_EQ(w.writtenId(), 0);
    }
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    EXPECT_EQ(fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM GOODS"))->integer(QStringLiteral("COUNT")), 15);
}

TEST_F(Groups, MovingAnItemOrAGroupChangesOnlyItsParent) {
    catalogue::moveToGroup(db(), 101, 4);
    catalogue::moveToGroup(db(), 2, 0);
    EXPECT_EQ(column(101, "GOOD_PARENTGROUP"), QStringLiteral("4"));
    EXPECT_EQ(column(2, "GOOD_PARENTGROUP"), QStringLiteral("0"));
    EXPECT_EQ(column(3, "GOOD_PARENTGROUP"), QStringLiteral("2"));
}

TEST_F(Groups, EditorCreatesUnderTheChosenParentAndRenamesInPlace) {
    // Where the goods procedure is not delivered yet, a stand-in of its
    // group modes serves the editor.
    bool present = false;
    {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        present = fb::meta::procedureExists(tr, QStringLiteral("GOODS_IO_PROC"));
    }
    if (!present)
        exec(QStringLiteral(
            "CREATE PROCEDURE GOODS_IO_PROC (IG_MODE INTEGER, IG_ID INTEGER, IG_NAME VARCHAR(80), IG_PRICE "
            "VARCHAR(10), IG_W VARCHAR(3), IG_TYPE VARCHAR(5), IG_EDIZM VARCHAR(10), IG_NALOG VARCHAR(8), IG_ISGOOD "
            "SMALLINT, IG_PARENTGROUP INTEGER, IG_COUNTRY_CODE CHAR(3), IG_MARKTYPE SMALLINT) AS BEGIN "
            "IF (IG_MODE = 1) THEN INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) "
            "VALUES (:IG_ID, :IG_NAME, :IG_ISGOOD, :IG_PARENTGROUP); "
            "ELSE IF (IG_MODE = 2) THEN UPDATE GOODS SET GOOD_NAME = :IG_NAME, GOOD_PARENTGROUP = :IG_PARENTGROUP "
            "WHERE GOOD_ID = :IG_ID; END"));
    testsupport::FakeMessages messages;
    catalogue::GroupEditInput create;
    create.idText = QStringLiteral("8");
    create.parentId = 4;
    create.parentName = QStringLiteral("K");
    {
        catalogue::TfmGroupEdit w(db(), create);
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.findChild<QLineEdit*>(QStringLiteral("edNewGroupName"))->setText(QStringLiteral("  Молоко "));
        w.btnCreateGroupClick();
        EXPECT_EQ(w.writtenId(), 8);
    }
    EXPECT_EQ(column(8, "GOOD_NAME"), QStringLiteral("Молоко"));
    EXPECT_EQ(column(8, "GOOD_PARENTGROUP"), QStringLiteral("4"));
    EXPECT_EQ(column(8, "GOOD_ISGOOD"), QStringLiteral("0"));

    catalogue::GroupEditInput rename;
    rename.mode = GroupEditMode::Rename;
    rename.idText = QStringLiteral("2");
    rename.parentId = 1;
    rename.parentName = QStringLiteral("Молочные продукты, сыры и яйца фермерских хозяйств области");
    rename.name = QStringLiteral("H");
    {
        catalogue::TfmGroupEdit w(db(), rename);
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Изменить группу"));
        // The parent's name is read from its first letter, however long it is.
        w.show();
        EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("edParentGroupName"))->cursorPosition(), 0);
        // And shown whole at the window's default size.
        const auto* parentField = w.findChild<QLineEdit*>(QStringLiteral("edParentGroupName"));
        EXPECT_GT(parentField->width(), parentField->fontMetrics().horizontalAdvance(rename.parentName));
        w.findChild<QLineEdit*>(QStringLiteral("edNewGroupName"))->setText(QStringLiteral("H2"));
        w.findChild<QToolButton*>(QStringLiteral("BitBtn1"))->click();  // to the top level
        EXPECT_EQ(w.parentId(), 0);
        w.btnCreateGroupClick();
        EXPECT_EQ(w.writtenId(), 2);
    }
    EXPECT_EQ(column(2, "GOOD_NAME"), QStringLiteral("H2"));
    EXPECT_EQ(column(2, "GOOD_PARENTGROUP"), QStringLiteral("0"));
    EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
