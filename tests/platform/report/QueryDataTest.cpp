#include "ReportTestSupport.h"
#include "platform/db/Transaction.h"
#include "platform/report/Layout.h"
#include "platform/report/QueryData.h"
#include "support/UpgradedDbFixture.h"

#include <gtest/gtest.h>

class QueryDataTest : public testsupport::UpgradedDbTest {};

// The goods check reads its lines with "SELECT * FROM GOODSCHECK": every
// column must reach the data band under its own name, numbers and NULLs as
// the check prints them.
TEST_F(QueryDataTest, GoodsCheckLinesReachTheDataBandByColumnName) {
    exec(
        "INSERT INTO GOODSCHECK (NUMPOS, G_CODE, G_ART, G_NAME, G_PRICE, G_SUMM, G_COUNT, G_EDIZM) "
        "VALUES (1, 1001, NULL, 'Хлеб бородинский', '45.00', '90.00', '2', 'шт')");
    exec(
        "INSERT INTO GOODSCHECK (NUMPOS, G_CODE, G_ART, G_NAME, G_PRICE, G_SUMM, G_COUNT, G_EDIZM) "
        "VALUES (2, 0, 'А-15', 'Соль', '12.50', '12.50', '1', NULL)");
    fb::Transaction tr(db());
    const report::DataSet rows = report::queryData(tr, "SELECT * FROM GOODSCHECK ORDER BY NUMPOS");
    ASSERT_EQ(rows.rowCount(), 2);

    report::Report check = reporttest::shippedReport("GoodsCheck");
    check.bindData("RvDataSetConnDM", rows);
    const report::Layout layout = report::layOut(check);
    struct Cell {
        const char* component;
        QString first;
        QString second;
    };
    const std::vector<Cell> cells{{"dtNumPos", "1", "2"},        {"dtCode", "1001", "0"},
                                  {"dtArt", "", "А-15"},         {"dmName", "Хлеб бородинский", "Соль"},
                                  {"dtPrice", "45.00", "12.50"}, {"dtSumm", "90.00", "12.50"},
                                  {"dtCount", "2", "1"},         {"dtEdIzm", "шт", ""}};
    for (const Cell& c : cells) {
        const auto placed = layout.placements(c.component);
        ASSERT_EQ(placed.size(), 2u) << c.component;
        EXPECT_EQ(placed[0].second->text, c.first) << c.component;
        EXPECT_EQ(placed[1].second->text, c.second) << c.component;
    }
}

TEST_F(QueryDataTest, ParametersAreBoundNotSpliced) {
    exec("INSERT INTO GOODSCHECK (NUMPOS, G_NAME) VALUES (1, 'O''Brien')");
    exec("INSERT INTO GOODSCHECK (NUMPOS, G_NAME) VALUES (2, 'Другое')");
    fb::Transaction tr(db());
    const report::DataSet rows =
        report::queryData(tr, "SELECT G_NAME FROM GOODSCHECK WHERE G_NAME = ?", {QString("O'Brien")});
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.value(0, "g_name"), "O'Brien");
}
