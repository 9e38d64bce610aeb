#include "ReportTestSupport.h"
#include "platform/report/Layout.h"
#include "platform/report/PageRenderer.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using reporttest::goodsCheckLines;
using reporttest::shippedReport;

namespace {

constexpr double kEps = 1e-6;

int pdfPageCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray data = f.readAll();
    if (!data.startsWith("%PDF")) return -1;
    return static_cast<int>(QString::fromLatin1(data).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

// The data rows' tops on each page, in order.
std::vector<std::vector<const report::PageItem*>> rowsByPage(const report::Layout& layout, const QString& cell) {
    std::vector<std::vector<const report::PageItem*>> pages(static_cast<size_t>(layout.pageCount()));
    for (const auto& [page, item] : layout.placements(cell)) pages[static_cast<size_t>(page)].push_back(item);
    return pages;
}

}  // namespace

TEST(ReportLayout, RemovingAndMovingComponentsMovesWhatIsDrawn) {
    constexpr double dpi = 100;
    report::Report r = shippedReport("GoodsCheck");
    r.bindData("RvDataSetConnDM", goodsCheckLines(3));
    for (const char* s : {"txtSupplier1S", "txtSupplier2S", "txtSupplier3S"})
        r.setText(s, "ООО Ромашка, ИНН 7701234567");
    const report::Layout before = report::layOut(r);
    const QImage beforeImage = report::renderPage(before, 0, dpi);

    // One header line: what the goods check does with a single supplier line.
    r.remove("txtSupplier2S");
    r.remove("txtSupplier3S");
    r.setTop("Text3", 1.14);
    r.setTop("txtAddress", 1.14);
    r.setTop("Section1", 1.4567);
    r.setTop("Region1", 1.6929);
    const report::Layout after = report::layOut(r);
    const QImage afterImage = report::renderPage(after, 0, dpi);

    ASSERT_EQ(before.placements("txtSupplier3S").size(), 1u);
    const QRect removedArea = reporttest::pixelRect(*before.placements("txtSupplier3S").front().second, dpi);
    EXPECT_GT(reporttest::darkPixels(beforeImage, removedArea), 20);
    EXPECT_TRUE(after.placements("txtSupplier3S").empty());
    EXPECT_TRUE(after.placements("txtSupplier2S").empty());

    // The title moves with its section, the table with its region.
    EXPECT_NEAR(after.placements("txtHead").front().second->rect.top(), 1.4567, kEps);
    const report::PageItem* headerCell = after.placements("thNum").front().second;
    EXPECT_NEAR(headerCell->rect.top(), 1.6929, kEps);
    EXPECT_NEAR(after.placements("dtNumPos").front().second->rect.top(), 1.6929 + headerCell->rect.height(), kEps);

    // On paper: the table's top frame line is drawn where the region now
    // starts and no longer where it started before.
    const int oldLine = qRound(before.placements("thNum").front().second->rect.top() * dpi);
    const int newLine = qRound(headerCell->rect.top() * dpi);
    const int tableWidth = qRound(7.27 * dpi * 0.9);
    auto lineNear = [&](const QImage& img, int y) {
        int best = 0;
        for (int dy = -1; dy <= 1; ++dy) best = std::max(best, reporttest::longestDarkRun(img, y + dy));
        return best;
    };
    EXPECT_GT(lineNear(beforeImage, oldLine), tableWidth);
    EXPECT_LT(lineNear(beforeImage, newLine), tableWidth);
    EXPECT_GT(lineNear(afterImage, newLine), tableWidth);
    EXPECT_LT(lineNear(afterImage, oldLine), tableWidth);
}

TEST(ReportLayout, DataBandPaginatesAndTotalsFollowTheLastRow) {
    struct Case {
        const char* report;
        const char* connection;
        const char* rowCell;
        const char* headerCell;
        const char* totals;  // first component of the summary band
        int rows;
    };
    const std::vector<Case> cases{
        {"GoodsCheck", "RvDataSetConnDM", "dtNumPos", "thNum", "Text4", 1},
        {"GoodsCheck", "RvDataSetConnDM", "dtNumPos", "thNum", "Text4", 40},
        {"GoodsCheck", "RvDataSetConnDM", "dtNumPos", "thNum", "Text4", 130},
        {"InventoryList", "RvDataSetConn_Inventory", "dtLine", "thLine", "Text4", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.report) + " " + std::to_string(c.rows));
        report::Report r = shippedReport(c.report);
        report::DataSet rows({"NUMPOS", "G_ID", "G_NAME"});
        for (int i = 0; i < c.rows; ++i) rows.addRow({QString::number(i + 1), QString::number(i), "Товар"});
        r.bindData(c.connection, rows);
        const report::Layout layout = report::layOut(r);
        const double bottom = layout.page.height - layout.page.marginBottom;

        const auto pages = rowsByPage(layout, c.rowCell);
        int placed = 0;
        const report::PageItem* last = nullptr;
        // Rows fill the pages from the first on, and every page holds rows.
        for (size_t p = 0; p < pages.size(); ++p) {
            ASSERT_FALSE(pages[p].empty()) << "page " << p << " holds no row";
            // Every page starts with the column titles.
            const auto headers = layout.placements(c.headerCell);
            EXPECT_EQ(std::count_if(headers.begin(), headers.end(), [&](auto& h) { return h.first == int(p); }), 1);
            double y = 0;
            for (const report::PageItem* row : pages[p]) {
                EXPECT_GE(row->rect.top(), y - kEps);
                EXPECT_LE(row->rect.bottom(), bottom + kEps);
                y = row->rect.bottom();
                // Rows are numbered through the pages.
                EXPECT_EQ(row->text, QString::number(placed + 1));
                ++placed;
                last = row;
            }
        }
        EXPECT_EQ(placed, c.rows);
        EXPECT_EQ(layout.pageCount() > 1, c.rows >= 40);
        ASSERT_NE(last, nullptr);

        // The totals come right after the last row, on its page.
        const auto totals = layout.placements(c.totals);
        ASSERT_EQ(totals.size(), 1u);
        EXPECT_EQ(totals.front().first, layout.pageCount() - 1);
        const double summaryTop = totals.front().second->rect.top() - r.find(c.totals)->top;
        EXPECT_NEAR(summaryTop, last->rect.bottom(), kEps);
        EXPECT_LE(summaryTop + r.find("BandSummary")->height, bottom + kEps);
        // A page is only broken when the next row would not fit, or the
        // last row with the totals.
        for (size_t p = 0; p + 1 < pages.size(); ++p) {
            const double next = pages[p + 1].front()->rect.height();
            const double withTotals = p + 2 == pages.size() && pages[p + 1].size() == 1 ? r.find("BandSummary")->height : 0;
            EXPECT_GT(pages[p].back()->rect.bottom() + next + withTotals, bottom - kEps) << "page " << p;
        }
    }
}

TEST(ReportLayout, LongNamesWrapAndPushLaterRowsDown) {
    const QString longName = QString("Сок яблочный осветлённый восстановленный пастеризованный ").repeated(4).trimmed();
    report::Report r = shippedReport("GoodsCheck");
    report::DataSet rows({"NUMPOS", "G_NAME", "G_SUMM"});
    for (const QString& name : {QString("Хлеб"), longName, QString("Соль")}) rows.addRow({"1", name, "10.00"});
    r.bindData("RvDataSetConnDM", rows);
    const report::Layout layout = report::layOut(r);
    const auto names = layout.placements("dmName");
    ASSERT_EQ(names.size(), 3u);
    const double plain = names[0].second->rect.height();
    const double wrapped = names[1].second->rect.height();
    EXPECT_GT(wrapped, plain * 2.5) << "a long name takes several lines";
    EXPECT_NEAR(names[2].second->rect.top(), names[1].second->rect.bottom(), kEps);
    // The other cells of the tall row stretch with it, so the grid stays closed.
    const auto sums = layout.placements("dtSumm");
    EXPECT_NEAR(sums[1].second->rect.height(), wrapped, kEps);
}

TEST(ReportLayout, PriceTagsFillTheSheetAndLabelsTakeAPageEach) {
    struct Case {
        const char* report;
        int tagsPerPage;
    };
    const std::vector<Case> cases{{"PriceTagSmall", 28}, {"PriceTagMiddle", 9}, {"PriceTagBig", 8},
                                  {"Sticker30x20", 1},   {"Sticker58x40", 1},   {"Sticker58x60", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        report::Report r = shippedReport(c.report);
        report::DataSet rows({"G_ID", "G_NAME", "G_PRICE", "G_EDIZM", "G_COUNTRY", "G_DECLAR_NUMBER"});
        const int count = c.tagsPerPage * 2 + 1;
        for (int i = 0; i < count; ++i) rows.addRow({QString::number(i), "Хлеб", "45.00", "шт", "", "4006381333931"});
        r.bindData("RvDataSetConnection1", rows);
        const report::Layout layout = report::layOut(r);
        EXPECT_EQ(layout.pageCount(), 3);
        const auto names = layout.placements("MemoGoodName");
        ASSERT_EQ(names.size(), static_cast<size_t>(count));
        // No two tags of a page overlap.
        for (size_t i = 0; i < names.size(); ++i)
            for (size_t j = i + 1; j < names.size(); ++j)
                if (names[i].first == names[j].first) {
                    EXPECT_FALSE(names[i].second->rect.intersects(names[j].second->rect)) << i << " " << j;
                }
    }
}

TEST(ReportOutput, PdfAndPrinterCarryEveryPage) {
    QTemporaryDir dir;
    report::Report r = shippedReport("GoodsCheck");
    r.bindData("RvDataSetConnDM", goodsCheckLines(130));
    const report::Layout layout = report::layOut(r);
    ASSERT_GT(layout.pageCount(), 2);

    const QString pdf = dir.filePath("check.pdf");
    ASSERT_TRUE(report::exportPdf(layout, pdf));
    EXPECT_EQ(pdfPageCount(pdf), layout.pageCount());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("printed.pdf"));
    ASSERT_TRUE(report::printLayout(layout, printer, 2, 3));
    EXPECT_EQ(pdfPageCount(dir.filePath("printed.pdf")), 2);

    // Copies asked of a PDF "printer" are in the file, one set after another.
    QPrinter copies(QPrinter::HighResolution);
    copies.setOutputFormat(QPrinter::PdfFormat);
    copies.setOutputFileName(dir.filePath("copies.pdf"));
    copies.setCopyCount(3);
    ASSERT_TRUE(report::printLayout(layout, copies));
    EXPECT_EQ(pdfPageCount(dir.filePath("copies.pdf")), 3 * layout.pageCount());

    EXPECT_FALSE(report::exportPdf(layout, dir.filePath("no/such/folder/check.pdf")));
}

TEST(ReportOutput, EveryPageTextsCarryTheirPageNumbers) {
    report::Report r = shippedReport("InventoryList");
    report::DataSet rows({"G_ID", "G_NAME"});
    for (int i = 0; i < 120; ++i) rows.addRow({QString::number(i), "Товар"});
    r.bindData("RvDataSetConn_Inventory", rows);
    const report::Layout layout = report::layOut(r);
    const auto numbers = layout.placements("TextPage");
    ASSERT_EQ(static_cast<int>(numbers.size()), layout.pageCount());
    for (const auto& [page, item] : numbers)
        EXPECT_EQ(report::pageText(item->text, page + 1, layout.pageCount()),
                  QString("Лист %1 из %2").arg(page + 1).arg(layout.pageCount()));
    // The group label is on the first page only.
    EXPECT_EQ(layout.placements("TextGroupName").size(), 1u);
}

TEST(ReportLayout, NoLabelOrValueInksAnotherOnAnyFormAtLabelAndOfficeResolutions) {
    // Every form filled with its longest texts; whatever font stands in for
    // the one the layouts were drawn with, no two components darken the same
    // dot on a label printer or an office printer.
    const QString longName = QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, плитка в упаковке");
    const QString country = QStringLiteral("Соединённое Королевство Великобритании и Северной Ирландии");
    std::vector<report::Report> forms;
    for (const char* name : {"GoodsCheck", "GoodsCheckPreview1"}) {
        report::Report r = shippedReport(name);
        r.setText("txtSupplier1S", "ИП Петров Пётр Петрович, ИНН 500100732259, ОГРНИП 304500116000157");
        r.setText("txtSupplier2S", "Московская обл., г. Подольск, ул. Кирова, д. 28, кв. 14");
        r.setText("txtSupplier3S", "р/с 40802810938050000000 в ПАО Сбербанк, БИК 044525225");
        r.setText("txtAddress", "Московская обл., г. Подольск, Большая Серпуховская ул., д. 43, павильон 12");
        r.setText("txtHead", "Товарный чек № ТЧ-А - 1234567 от 30 сентября 2024 г.");
        r.setText("txtItogo", "9999999.99");
        r.setText("txtSummaWord", "Девять миллионов девятьсот девяносто девять тысяч девятьсот девяносто девять "
                                  "рублей 99 копеек");
        r.setText("txtFIO", "/ Константинопольский К.К. /");
        r.bindData("RvDataSetConnDM", goodsCheckLines(3, longName));
        forms.push_back(std::move(r));
    }
    for (const char* name : {"PriceTagSmall", "PriceTagMiddle", "PriceTagBig", "Sticker30x20", "Sticker40x30",
                             "Sticker43x25", "Sticker58x30", "Sticker58x40", "Sticker58x60"}) {
        report::Report r = shippedReport(name);
        r.setText("mCompanyName", "ООО «Торговый дом Северное сияние»");
        report::DataSet rows({"G_ID", "G_NAME", "G_PRICE", "G_EDIZM", "G_DECLAR_NUMBER"});
        rows.addRow({"1234567", longName, "9999999.99", "упак", "4006381333931"});
        r.bindData("RvDataSetConnection1", rows);
        forms.push_back(std::move(r));
    }
    {
        report::Report r = shippedReport("InventoryList");
        r.setText("TextGroupName", "Кондитерские изделия, шоколад и конфеты весовые и в подарочной упаковке");
        report::DataSet rows({"G_ID", "G_NAME", "G_COUNTRY", "G_EDIZM", "G_PRICE", "G_DECLAR_NUMBER"});
        for (int i = 0; i < 3; ++i) rows.addRow({"1234567", longName, country, "упак", "99999.999", "99999.999"});
        r.bindData("RvDataSetConn_Inventory", rows);
        forms.push_back(std::move(r));
    }
    for (const report::Report& form : forms) {
        const report::Layout layout = report::layOut(form);
        for (double dpi : {203.0, 300.0}) {
            for (const reporttest::InkClash& clash : reporttest::inkClashes(layout, dpi))
                ADD_FAILURE() << form.name().toStdString() << " at " << dpi << " dpi, page " << clash.page + 1
                              << ": " << clash.first.toStdString() << " and " << clash.second.toStdString() << " share "
                              << clash.pixels << " dots";
        }
    }
}
