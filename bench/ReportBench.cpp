// Printing through the report layer against drawing the same texts straight
// onto a PDF: a goods check of 40 lines and an inventory sheet of 1,000
// rows. The report side does everything a caller does (open the project,
// select, fill, lay out, write the PDF); the direct side only paints the
// texts, frames and lines at positions worked out beforehand. Both run
// interleaved in one loop so the machine's noise hits them alike. Budget:
// the report within 3x the direct drawing.
#include "BenchStats.h"
#include "platform/report/Layout.h"
#include "platform/report/PageRenderer.h"
#include "platform/report/ReportProject.h"

#include <QApplication>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace {

// The build keeps the project beside the program's executable.
QString projectFile() {
    return report::projectPath(QStringLiteral(TARVI_PROGRAM_DIR));
}

report::DataSet goodsCheckLines(int count) {
    report::DataSet rows({"NUMPOS", "G_CODE", "G_ART", "G_NAME", "G_PRICE", "G_SUMM", "G_COUNT", "G_EDIZM"});
    for (int i = 1; i <= count; ++i)
        rows.addRow({QString::number(i), QString::number(1000 + i), QString(),
                     i % 5 == 0 ? QStringLiteral("Сок яблочный осветлённый восстановленный 1 л, тетрапак с крышкой")
                                : QStringLiteral("Хлеб бородинский нарезка %1").arg(i),
                     "45.00", "90.00", "2.000", "шт"});
    return rows;
}

report::DataSet inventoryLines(int count) {
    report::DataSet rows({"G_ID", "G_NAME", "G_COUNTRY", "G_EDIZM", "G_PRICE", "G_DECLAR_NUMBER"});
    for (int i = 1; i <= count; ++i)
        rows.addRow({QString::number(i), QStringLiteral("Товар на складе номер %1").arg(i), "Россия", "шт",
                     QStringLiteral("%1.000").arg(i % 50), QStringLiteral("%1.000").arg(i % 47)});
    return rows;
}

struct Case {
    const char* report;
    const char* connection;
    report::DataSet rows;
    std::function<void(report::Report&)> fill;
};

bool printThroughReport(const Case& c, const QString& pdf) {
    report::ReportProject project;
    if (!project.open(projectFile()) || !project.selectReport(c.report)) return false;
    report::Report& r = project.report();
    c.fill(r);
    r.bindData(c.connection, c.rows);
    return report::exportPdf(r, pdf);
}

// The same page content, painted with no layout work at all.
bool drawDirectly(const report::Layout& layout, const QString& pdf) {
    QPdfWriter writer(pdf);
    writer.setPageLayout(QPageLayout(
        QPageSize(QSizeF(layout.page.width, layout.page.height), QPageSize::Inch, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF()));
    QPainter p;
    if (!p.begin(&writer)) return false;
    const double dpi = writer.resolution();
    p.setPen(QPen(Qt::black, 0.75 / 72 * dpi));  // the frames' and lines' width
    for (int page = 0; page < layout.pageCount(); ++page) {
        if (page > 0) writer.newPage();
        for (const report::PageItem& item : layout.pages[size_t(page)].items) {
            const QRectF r(item.rect.left() * dpi, item.rect.top() * dpi, item.rect.width() * dpi,
                           item.rect.height() * dpi);
            if (item.kind == report::Kind::Line) {
                p.drawLine(r.topLeft(), r.bottomRight());
                continue;
            }
            if (item.frame) p.drawRect(r);
            if (item.text.isEmpty()) continue;
            p.setFont(report::toQFont(item.font));
            p.drawText(r, item.wrap ? Qt::TextWordWrap : (Qt::TextSingleLine | Qt::TextDontClip), item.text);
        }
    }
    return p.end();
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    const size_t k = std::min(v.size() - 1, size_t(q * double(v.size())));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

void runCase(benchmark::State& state, const Case& c) {
    QTemporaryDir dir;
    const QString reportPdf = QDir(dir.path()).filePath("report.pdf");
    const QString directPdf = QDir(dir.path()).filePath("direct.pdf");
    report::ReportProject project;
    if (!project.open(projectFile()) || !project.selectReport(c.report)) {
        state.SkipWithError("the report project is not beside the benchmark");
        return;
    }
    c.fill(project.report());
    project.report().bindData(c.connection, c.rows);
    const report::Layout layout = report::layOut(project.report());

    std::vector<double> viaReport, direct;
    bool reportFirst = true;  // alternate, so neither side always finds the caches warm
    for (auto _ : state) {
        double reportMs = 0, directMs = 0;
        bool ok = true;
        for (int side = 0; side < 2; ++side) {
            const bool report = (side == 0) == reportFirst;
            const auto t0 = std::chrono::steady_clock::now();
            ok = (report ? printThroughReport(c, reportPdf) : drawDirectly(layout, directPdf)) && ok;
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            (report ? reportMs : directMs) = ms;
        }
        reportFirst = !reportFirst;
        if (!ok) {
            state.SkipWithError("a PDF could not be written");
            return;
        }
        viaReport.push_back(reportMs);
        direct.push_back(directMs);
    }
    const double reportMedian = percentile(viaReport, 0.5);
    const double directMedian = percentile(direct, 0.5);
    state.counters["pages"] = layout.pageCount();
    state.counters["report_median_ms"] = reportMedian;
    state.counters["report_p99_ms"] = percentile(viaReport, 0.99);
    state.counters["direct_median_ms"] = directMedian;
    state.counters["direct_p99_ms"] = percentile(direct, 0.99);
    bench::budget(state, "ratio_median", std::string("report.") + c.report + "/direct_drawing",
                  directMedian > 0 ? reportMedian / directMedian : 0, 3.0);
}

void BM_GoodsCheck40Lines(benchmark::State& state) {
    const Case c{"GoodsCheck", "RvDataSetConnDM", goodsCheckLines(40), [](report::Report& r) {
                     r.setText("txtHead", "Товарный чек № А - 15 от 07 декабря 2026 г.");
                     r.setText("txtSupplier1S", "ИП Иванов Иван Иванович");
                     r.setText("txtSupplier2S", "ИНН 770123456789");
                     r.remove("txtSupplier3S");
                     r.setText("txtAddress", "г. Тверь, ул. Советская, д. 1");
                     r.setText("txtItogo", "3600.00");
                     r.setText("txtSummaWord", "Три тысячи шестьсот рублей 00 копеек");
                     r.setText("txtFIO", "/ Петрова А.А. /");
                     for (const QString& t : r.textComponents()) r.setFont(t, "Times New Roman");
                 }};
    runCase(state, c);
}

void BM_InventorySheet1000Rows(benchmark::State& state) {
    const Case c{"InventoryList", "RvDataSetConn_Inventory", inventoryLines(1000),
                 [](report::Report& r) { r.setText("TextGroupName", "вся номенклатура"); }};
    runCase(state, c);
}

BENCHMARK(BM_GoodsCheck40Lines)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(200));
BENCHMARK(BM_InventorySheet1000Rows)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(30));

}  // namespace

int main(int argc, char** argv) {
    return bench::runAll<QApplication>(argc, argv);  // fonts need a GUI application
}
