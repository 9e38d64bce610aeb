#include "ReportTestSupport.h"
#include "platform/report/Layout.h"
#include "platform/report/ReportProject.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using report::ReportProject;

namespace {

struct ShippedReport {
    const char* name;
    QStringList components;  // what the callers set by name
    const char* connection;  // "" for none
};

const QStringList kPriceTagComponents{"dtBarcode", "mCompanyName",   "MemoGoodName", "textCode",  "dtextCode",
                                      "textPrice", "dtextGoodPrice", "dtextEdIzm",   "textPrice1"};

}  // namespace

TEST(ReportProject, ShipsEveryReportWithTheComponentsAndConnectionsItsCallersUse) {
    const std::vector<ShippedReport> reports{
        {"GoodsCheck",
         {"txtHead", "txtAddress", "txtItogo", "txtSummaWord", "txtFIO", "txtSupplier1S", "txtSupplier2S",
          "txtSupplier3S", "Text3", "Section1", "Region1"},
         "RvDataSetConnDM"},
        {"GoodsCheckPreview1",
         {"txtHead", "txtAddress", "txtSupplier1S", "txtSupplier2S", "txtSupplier3S", "Section1"},
         ""},
        {"PriceTagSmall", kPriceTagComponents, "RvDataSetConnection1"},
        {"PriceTagMiddle", kPriceTagComponents, "RvDataSetConnection1"},
        {"PriceTagBig", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker30x20", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker40x30", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker43x25", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker58x30", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker58x40", kPriceTagComponents, "RvDataSetConnection1"},
        {"Sticker58x60", kPriceTagComponents, "RvDataSetConnection1"},
        {"InventoryList", {"TextGroupName"}, "RvDataSetConn_Inventory"},
    };
    ReportProject project;
    ASSERT_TRUE(project.open(report::projectPath(reporttest::programFolder()))) << project.errorText().toStdString();
    EXPECT_EQ(project.reportNames().size(), static_cast<qsizetype>(reports.size()));
    for (const ShippedReport& r : reports) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(project.selectReport(r.name));
        for (const QString& c : r.components) EXPECT_TRUE(project.report().contains(c)) << c.toStdString();
        const QStringList connections = project.report().dataConnections();
        if (*r.connection)
            EXPECT_EQ(connections, QStringList{r.connection});
        else
            EXPECT_TRUE(connections.isEmpty());
        // Each layout must fit its paper: nothing drawn beyond the page.
        const report::Layout layout = report::layOut(project.report());
        ASSERT_GE(layout.pageCount(), 1);
        const QRectF paper(0, 0, layout.page.width + 1e-3, layout.page.height + 1e-3);
        for (const report::PageItem& item : layout.pages[0].items)
            EXPECT_TRUE(paper.contains(item.rect.topLeft()) && paper.contains(item.rect.bottomRight()))
                << item.name.toStdString();
    }
}

TEST(ReportProject, MissingFileOrReportIsRefused) {
    QTemporaryDir dir;
    ReportProject project;
    EXPECT_FALSE(project.open(report::projectPath(dir.path())));
    EXPECT_FALSE(project.isOpen());

    ASSERT_TRUE(project.open(report::projectPath(reporttest::programFolder())));
    EXPECT_FALSE(project.selectReport("PriceTagHuge"));
    EXPECT_FALSE(project.hasSelection());
    EXPECT_TRUE(project.selectReport("pricetagbig"));  // names as the callers spell them, any case
}

TEST(ReportProject, RefusesProjectsThatBreakTheLayoutRules) {
    struct Case {
        const char* what;
        const char* json;
    };
    const std::vector<Case> cases{
        {"not JSON", "{ reports: "},
        {"no reports", R"({"reports": []})"},
        {"unnamed report", R"({"reports": [{"components": []}]})"},
        {"two components of one name",
         R"({"reports": [{"name": "A", "components": [{"name": "t", "type": "text"}, {"name": "T", "type": "memo"}]}]})"},
        {"unknown type", R"({"reports": [{"name": "A", "components": [{"name": "t", "type": "chart"}]}]})"},
        {"band outside a region", R"({"reports": [{"name": "A", "components": [{"name": "b", "type": "header"}]}]})"},
        {"data band without connection",
         R"({"reports": [{"name": "A", "components": [{"name": "r", "type": "region", "components": [{"name": "b", "type": "data"}]}]}]})"},
        {"plain component inside a region",
         R"({"reports": [{"name": "A", "components": [{"name": "r", "type": "region", "components": [{"name": "t", "type": "text"}]}]}]})"},
        {"data text without field",
         R"({"reports": [{"name": "A", "components": [{"name": "t", "type": "datatext"}]}]})"},
        {"children of a text",
         R"({"reports": [{"name": "A", "components": [{"name": "t", "type": "text", "components": []}]}]})"},
        {"one report twice", R"({"reports": [{"name": "A"}, {"name": "a"}]})"},
    };
    for (const Case& c : cases) {
        ReportProject project;
        EXPECT_FALSE(project.parse(c.json)) << c.what;
        EXPECT_FALSE(project.errorText().isEmpty()) << c.what;
    }
    ReportProject good;
    EXPECT_TRUE(good.parse(R"({"reports": [{"name": "A", "components": [{"name": "t", "type": "text"}]}]})"));
}

TEST(Report, EditsReachOnlyTheWorkingCopyAndNameTheirComponent) {
    ReportProject project;
    ASSERT_TRUE(project.open(report::projectPath(reporttest::programFolder())));
    ASSERT_TRUE(project.selectReport("GoodsCheck"));
    report::Report& r = project.report();
    const double headTop = r.find("Section1")->top;

    EXPECT_TRUE(r.setText("txtHead", "Товарный чек № 15"));
    EXPECT_TRUE(r.setTop("Section1", headTop + 1));
    EXPECT_TRUE(r.remove("txtSupplier3S"));
    EXPECT_FALSE(r.remove("txtSupplier3S"));
    for (const char* missing : {"txtNothing", ""}) {
        EXPECT_FALSE(r.setText(missing, "x"));
        EXPECT_FALSE(r.setTop(missing, 1));
        EXPECT_FALSE(r.setFont(missing, "Arial"));
        EXPECT_FALSE(r.setVisible(missing, false));
    }
    EXPECT_EQ(r.find("txtHead")->text, "Товарный чек № 15");
    EXPECT_FALSE(r.contains("txtSupplier3S"));

    // Selecting again starts from the layout as shipped.
    ASSERT_TRUE(project.selectReport("GoodsCheck"));
    EXPECT_TRUE(project.report().contains("txtSupplier3S"));
    EXPECT_DOUBLE_EQ(project.report().find("Section1")->top, headTop);
    EXPECT_NE(project.report().find("txtHead")->text, "Товарный чек № 15");
}

TEST(Report, FontsSetThroughTheComponentListsReachWhatIsDrawn) {
    report::Report r = reporttest::shippedReport("GoodsCheck");
    r.bindData("RvDataSetConnDM", reporttest::goodsCheckLines(2));
    const QStringList texts = r.textComponents();
    // Nested texts (the title in its section, the cells of the data band)
    // count as page components; memos are listed apart.
    for (const char* name : {"txtHead", "txtSupplier1S", "dtPrice", "txtItogo"})
        EXPECT_TRUE(texts.contains(name)) << name;
    EXPECT_FALSE(texts.contains("txtSummaWord"));
    EXPECT_TRUE(r.memoComponents().contains("txtSummaWord"));
    EXPECT_TRUE(r.memoComponents().contains("dmName"));

    for (const QString& name : texts) r.setFont(name, "DejaVu Sans");
    r.setFontSize("txtHead", 20);
    const report::Layout layout = report::layOut(r);
    for (const QString& name : texts)
        for (const auto& [page, item] : layout.placements(name)) EXPECT_EQ(item->font.family, "DejaVu Sans");
    EXPECT_EQ(layout.placements("dtPrice").size(), 2u);
    EXPECT_DOUBLE_EQ(layout.placements("txtHead").front().second->font.size, 20);
    EXPECT_NE(layout.placements("dmName").front().second->font.family, "DejaVu Sans");
}
