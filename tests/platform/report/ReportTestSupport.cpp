#include "ReportTestSupport.h"

#include <gtest/gtest.h>

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

}  // namespace reporttest
