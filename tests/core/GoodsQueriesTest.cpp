#include "core/CodeTables.h"
#include "core/GoodsQueries.h"
#include "core/GroupTree.h"
#include "core/TextUtils.h"

#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/DbFixture.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

class GoodsQueriesTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (HasFatalFailure()) return;
        fb::Transaction tr(db());
        const bool hasFfd = fb::meta::columnExists(tr, QStringLiteral("GOODS"), QStringLiteral("GOOD_EDIZM_FFD"));
        tr.commit();
        if (!hasFfd) exec(QStringLiteral("ALTER TABLE GOODS ADD GOOD_EDIZM_FFD SMALLINT"));
    }

    void addGood(int id, const QString& name, const QString& vat, int isGood = 1, int parent = 0,
                 const QString& goodW = QString()) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                                   "GOOD_W, GOOD_PRICE, GOOD_EDIZM, GOOD_EDIZM_FFD) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {std::int64_t{id}, name, vat.isNull() ? fb::null() : fb::Value(vat), std::int64_t{isGood},
                     std::int64_t{parent}, goodW.isNull() ? fb::null() : fb::Value(goodW), QStringLiteral("10.00"),
                     QStringLiteral("кг"), std::int64_t{id % 2 ? 11 : 7}});
        tr.commit();
    }

    QStringList search(const QString& text, int mode) {
        fb::Transaction tr(db());
        QStringList names;
        for (const fb::Row& row : runGoodsSearch(tr, text, mode)) names << row.str(QStringLiteral("GOOD_NAME"));
        return names;
    }
};

}  // namespace

TEST_F(GoodsQueriesTest, VatAndParentLookups) {
    addGood(1, u("Молоко"), u("2"), 1, 10);
    addGood(2, u("Хлеб"), u(" 1 "));
    addGood(3, u("Соль"), u("abc"));
    addGood(4, u("Сахар"), QString());
    addGood(10, u("Молочное"), u("6"), 0, 0);

    struct Case {
        int id;
        int vat;
        std::int64_t parent;
    };
    const std::vector<Case> cases{{1, 2, 10}, {2, 1, 0}, {3, 6, 0}, {4, 6, 0}, {10, 6, -1}, {404, 6, -2}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetGoodVat(db(), c.id), c.vat) << c.id;
        EXPECT_EQ(GetGoodParent(db(), c.id), c.parent) << c.id;
    }
}

TEST_F(GoodsQueriesTest, SearchByNamePrefixAndSubstring) {
    addGood(1, u("молоко 3,2%"), u("6"));
    addGood(2, u("Молоко топлёное"), u("6"));
    addGood(3, u("Хлеб молочный"), u("6"));
    addGood(4, u("Скидка 50%"), u("6"));
    addGood(5, u("Вода_газ"), u("6"));
    addGood(6, u("Вода негаз"), u("6"));
    addGood(7, u("Сок o'neil"), u("6"));
    addGood(8, u("МОЛОЧНОЕ"), u("6"), 0);  // a group is never found

    struct Case {
        const char* text;
        int mode;
        QStringList names;
    };
    const std::vector<Case> cases{
        {"мол", 0, {u("молоко 3,2%"), u("Молоко топлёное")}},
        {"МОЛОКО Т", 0, {u("Молоко топлёное")}},
        {"мол", 1, {u("молоко 3,2%"), u("Молоко топлёное"), u("Хлеб молочный")}},
        {"ТОПЛЁН", 1, {u("Молоко топлёное")}},
        {"0%", 1, {u("Скидка 50%")}},         // "%" typed is a percent sign, not a wildcard
        {"а_г", 1, {u("Вода_газ")}},           // and "_" is an underscore
        {"%", 0, {}},
        {"'", 1, {u("Сок o'neil")}},
        {"#", 1, {}},
        {"нет такого", 1, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(search(u(c.text), c.mode), c.names) << c.text << " mode " << c.mode;

    // A text longer than any name finds nothing instead of failing.
    EXPECT_TRUE(search(QString(300, QChar(0x0416)), 0).isEmpty());
    EXPECT_TRUE(search(QString(300, QLatin1Char('%')), 1).isEmpty());
}

TEST_F(GoodsQueriesTest, EmptyTextListsEveryGoodWithUnitName) {
    addGood(1, u("Яблоки"), u("6"));  // unit code 11: a unit of the format
    addGood(2, u("Арбуз"), u("6"));   // unit code 7: none
    addGood(3, u("Фрукты"), u("6"), 0);
    const GoodsSearchSql sql = BuildGoodsSearchSql(QString(), 0);
    EXPECT_TRUE(sql.params.empty());
    fb::Transaction tr(db());
    const auto rows = runGoodsSearch(tr, QString(), 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].str(QStringLiteral("GOOD_NAME")), u("Арбуз"));
    EXPECT_EQ(rows[0].str(QStringLiteral("GOOD_EDIZM1")), QString());
    EXPECT_EQ(rows[1].str(QStringLiteral("GOOD_EDIZM1")), u("кг"));
}

TEST_F(GoodsQueriesTest, WeighedFlagRuleMatchesInSql) {
    const std::vector<const char*> flags{"да", "ДА", "Да", "дА", " да", "1", "нет", "НЕТ", "0", "", "2"};
    for (size_t i = 0; i < flags.size(); ++i) addGood(static_cast<int>(i + 1), u(flags[i]), u("6"), 1, 0, u(flags[i]));
    addGood(100, u("null"), u("6"));
    fb::Transaction tr(db());
    const auto rows = fb::query(tr, QStringLiteral("SELECT GOOD_W, CASE WHEN %1 THEN 1 ELSE 0 END AS W FROM GOODS")
                                        .arg(weighedGoodSqlCondition()));
    ASSERT_EQ(rows.size(), flags.size() + 1);
    for (const fb::Row& row : rows)
        EXPECT_EQ(row.integer(QStringLiteral("W")) == 1, isWeighedGood(row.str(QStringLiteral("GOOD_W"))))
            << row.str(QStringLiteral("GOOD_W")).toStdString();
}

TEST_F(GoodsQueriesTest, StoredNumbersReadByTheSameRulesInSql) {
    const std::vector<const char*> stored{"12.50", "12,5", "", " ", "0.001"};
    fb::Transaction tr(db());
    for (size_t i = 0; i < stored.size(); ++i) {
        fb::execute(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_COUNT) VALUES (?, 'x', ?)"),
                    {static_cast<std::int64_t>(i + 1), u(stored[i])});
    }
    fb::execute(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME) VALUES (99, 'null')"));
    const auto rows = fb::query(
        tr, QStringLiteral("SELECT GOOD_COUNT, %1 AS N FROM GOODS").arg(storedNumberSql(QStringLiteral("GOOD_COUNT"))));
    ASSERT_EQ(rows.size(), stored.size() + 1);
    for (const fb::Row& row : rows) {
        EXPECT_EQ(fb::toScaled(row[QStringLiteral("N")], 3).value_or(-1),
                  storedQuantityToThousandths(row.str(QStringLiteral("GOOD_COUNT"))))
            << row.str(QStringLiteral("GOOD_COUNT")).toStdString();
    }
}

TEST_F(GoodsQueriesTest, GroupTreeFromTheDatabase) {
    addGood(10, u("Молочное"), u("6"), 0, 0);
    addGood(20, u("Бакалея"), u("6"), 0, 0);
    addGood(11, u("Сыры"), u("6"), 0, 10);
    addGood(12, u("Кефир"), u("6"), 0, 10);
    addGood(1, u("Сыр"), u("6"), 1, 11);  // goods are not groups
    QTreeWidget tree;
    QTreeWidgetItem* selected = FillGroupTree(&tree, db(), 11);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->text(0), u("Сыры"));
    QTreeWidgetItem* root = tree.topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), u("Бакалея"));  // by name within a parent
    EXPECT_EQ(root->child(1)->text(0), u("Молочное"));
    ASSERT_EQ(root->child(1)->childCount(), 2);
    EXPECT_EQ(root->child(1)->child(0)->text(0), u("Кефир"));
}
