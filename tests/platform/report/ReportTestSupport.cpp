#include "ReportTestSupport.h"

#include "platform/report/PageRenderer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <map>

namespace reporttest {

QString programFolder() {
    return QStringLiteral(TARVI_PROGRAM_DIR);
}

report::Report shippedReport(const QString& name) {
    report::ReportProject project;
    EXPECT_TRUE(project.open(report::projectPath(programFolder()))) << project.errorText().toStdString();
    EXPECT_TRUE(project.selectReport(name)) << name.toStdString();
    return project.report();
}

report::DataSet goodsCheckLines(int count, const QString& longName) {
    report::DataSet rows({"NUMPOS", "G_CODE", "G_ART", "G_NAME", "G_PRICE", "G_SUMM", "G_COUNT", "G_EDIZM"});
    for (int i = 1; i <= count; ++i) {
        const QString name = longName.isEmpty() ? QStringLiteral("Товар номер %1").arg(i) : longName;
        rows.addRow({QString::number(i), QString::number(1000 + i), QString(), name, "12.50",
                     QString::number(12.5 * i, 'f', 2), QString::number(i) + ".000", "шт"});
    }
    return rows;
}

QRect pixelRect(const report::PageItem& item, double dpi) {
    const QRectF r(item.rect.left() * dpi, item.rect.top() * dpi, item.rect.width() * dpi, item.rect.height() * dpi);
    return r.toAlignedRect();
}

static bool isDark(QRgb p) {
    return qGray(p) < 128;
}

int darkPixels(const QImage& image, const QRect& area) {
    const QRect a = area.intersected(image.rect());
    int n = 0;
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (isDark(image.pixel(x, y))) ++n;
    return n;
}

int longestDarkRun(const QImage& image, int y) {
    if (y < 0 || y >= image.height()) return 0;
    int best = 0, run = 0;
    for (int x = 0; x < image.width(); ++x) {
        run = isDark(image.pixel(x, y)) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

QImage renderAlone(const report::Layout& layout, const report::PageItem& item, double dpi) {
    report::Layout alone;
    alone.page = layout.page;
    alone.pages.emplace_back();
    alone.pages.front().items.push_back(item);
    return report::renderPage(alone, 0, dpi);
}

std::vector<InkClash> inkClashes(const report::Layout& layout, double dpi) {
    std::vector<InkClash> clashes;
    const int width = qMax(1, qRound(layout.page.width * dpi));
    const int height = qMax(1, qRound(layout.page.height * dpi));
    const int dpm = qRound(dpi / 0.0254);
    for (int page = 0; page < layout.pageCount(); ++page) {
        const auto& items = layout.pages[static_cast<size_t>(page)].items;
        std::vector<int> owner(static_cast<size_t>(width) * static_cast<size_t>(height), -1);
        std::map<std::pair<int, int>, int> shared;
        for (size_t k = 0; k < items.size(); ++k) {
            report::PageItem item = items[k];
            if (item.kind == report::Kind::Rect || item.kind == report::Kind::Section) continue;
            if (item.kind != report::Kind::Line && item.text.isEmpty()) continue;
            item.frame = false;
            // Only the band the item stands in, wide as the page: texts may
            // run past their own rectangle.
            const int top = qMax(0, qFloor((item.rect.top() - 0.3) * dpi));
            const int bottom = qMin(height, qCeil((item.rect.bottom() + 0.3) * dpi));
            if (bottom <= top) continue;
            QImage band(width, bottom - top, QImage::Format_RGB32);
            band.setDotsPerMeterX(dpm);
            band.setDotsPerMeterY(dpm);
            band.fill(Qt::white);
            {
                report::Layout alone;
                alone.page = layout.page;
                alone.pages.emplace_back();
                alone.pages.front().items.push_back(item);
                QPainter p(&band);
                p.setRenderHint(QPainter::TextAntialiasing);
                p.translate(0, -top);
                report::paintPage(p, alone, 0, dpi, dpi);
            }
            for (int y = 0; y < band.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(band.constScanLine(y));
                for (int x = 0; x < width; ++x) {
                    if (!isDark(line[x])) continue;
                    int& o = owner[static_cast<size_t>(y + top) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                    if (o >= 0 && o != static_cast<int>(k)) ++shared[{o, static_cast<int>(k)}];
                    o = static_cast<int>(k);
                }
            }
        }
        for (const auto& [pair, pixels] : shared)
            clashes.push_back({page, items[static_cast<size_t>(pair.first)].name,
                               items[static_cast<size_t>(pair.second)].name, pixels});
    }
    return clashes;
}

}  // namespace reporttest
