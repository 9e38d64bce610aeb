#include "ReportTestSupport.h"
#include "platform/report/PageRenderer.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* const kTagReports[] = {"PriceTagSmall", "PriceTagMiddle", "PriceTagBig",  "Sticker30x20", "Sticker40x30",
                                   "Sticker43x25",  "Sticker58x30",   "Sticker58x40", "Sticker58x60"};

report::Layout tagLayout(const QString& reportName, const QString& name, const QString& price, const QString& digits) {
    report::Report r = reporttest::shippedReport(reportName);
    report::DataSet rows({"G_ID", "G_NAME", "G_PRICE", "G_EDIZM", "G_DECLAR_NUMBER"});
    rows.addRow({"123456", name, price, "шт", digits});
    r.bindData("RvDataSetConnection1", rows);
    return report::layOut(r);
}

const report::PageItem& firstPlaced(const report::Layout& layout, const QString& name) {
    const auto placed = layout.placements(name);
    if (placed.empty()) throw std::runtime_error(name.toStdString() + " is not on the page");
    return *placed.front().second;
}

QString zbarDecode(const QImage& image, const QString& folder) {
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbarimg.isEmpty()) {
        ADD_FAILURE() << "zbarimg is not installed (package zbar-tools)";
        return {};
    }
    const QString file = QDir(folder).filePath(QStringLiteral("label.png"));
    if (!image.save(file)) return {};
    QProcess zbar;
    zbar.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    zbar.waitForFinished(30000);
    return QString::fromLatin1(zbar.readAllStandardOutput()).trimmed();
}

}  // namespace

TEST(PriceTagLayout, TheLongestPriceAndTheBarcodeStayInTheirOwnRoom) {
    // Each is drawn alone, and nothing of it may land in the other's room:
    // on the preview at 90 % of a screen and on label and office printers.
    // The price column holds ten characters.
    for (const char* name : kTagReports) {
        for (double dpi : {86.4, 203.0, 300.0}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2 dpi").arg(name).arg(dpi).toStdString());
            const report::Layout both = tagLayout(name, "Хлеб", "9999999.99", "4006381333931");
            const report::PageItem& priceItem = firstPlaced(both, "dtextGoodPrice");
            const report::PageItem& barcodeItem = firstPlaced(both, "dtBarcode");
            const QRect price = reporttest::pixelRect(priceItem, dpi);
            const QRect barcode = reporttest::pixelRect(barcodeItem, dpi);
            ASSERT_FALSE(price.intersects(barcode));
            const QImage priceInk = reporttest::renderAlone(both, priceItem, dpi);
            EXPECT_GT(reporttest::darkPixels(priceInk, price), 0) << "the price is printed";
            EXPECT_EQ(reporttest::darkPixels(priceInk, barcode), 0);
            const QImage barcodeInk = reporttest::renderAlone(both, barcodeItem, dpi);
            EXPECT_GT(reporttest::darkPixels(barcodeInk, barcode), 0) << "the bars are printed";
            EXPECT_EQ(reporttest::darkPixels(barcodeInk, price), 0);
        }
    }
}

TEST(PriceTagLayout, ALongNameEndsOnAWholeLineTheSameAtEveryResolution) {
    const QString longName =
        QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, плитка в подарочной упаковке");
    ASSERT_GE(longName.size(), 80);
    int cut = 0;
    for (const char* name : kTagReports) {
        SCOPED_TRACE(name);
        const report::Layout layout = tagLayout(name, longName, "89.90", QString());
        const report::PageItem& memo = firstPlaced(layout, "MemoGoodName");
        ASSERT_FALSE(memo.lines.isEmpty());
        EXPECT_LE(memo.lines.size() * memo.lineHeight, memo.rect.height() + 1e-3);
        // Either the whole name or, when its lines would not fit, its first
        // words and an ellipsis.
        const QString shown = memo.lines.join(u' ');
        const auto wholeLines = report::wrapLines(memo.font, memo.rect.width() * report::kLineRoom, longName).size();
        const bool wholeFits = wholeLines * memo.lineHeight <= memo.rect.height() + 1e-3;
        if (shown.endsWith(QChar(0x2026))) {
            ++cut;
            EXPECT_FALSE(wholeFits);
            EXPECT_TRUE(longName.startsWith(shown.chopped(1))) << shown.toStdString();
        } else {
            EXPECT_EQ(shown, longName);
        }
        // What the screen shows at preview size is what paper and PDF carry:
        // ink on each of those lines and none outside the name's box, also
        // when its lines fill the box to the last pixel.
        for (double dpi : {144.0, 203.0, 600.0}) {
            SCOPED_TRACE(dpi);
            const QImage ink = reporttest::renderAlone(layout, memo, dpi);
            const QRect area = reporttest::pixelRect(memo, dpi);
            const double step = memo.lineHeight * dpi;
            for (qsizetype n = 0; n < memo.lines.size(); ++n) {
                const QRect line(area.left(), area.top() + qRound(n * step), area.width(), qRound(step));
                EXPECT_GT(reporttest::darkPixels(ink, line.intersected(area)), 0) << n;
            }
            EXPECT_EQ(reporttest::darkPixels(ink, ink.rect()), reporttest::darkPixels(ink, area));
        }
    }
    EXPECT_GE(cut, 1) << "the smallest labels cannot hold the whole name";
}

TEST(PriceTagLayout, EveryBarcodeSizeScansAtThermalAndOfficeResolutions) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const QString& digits : {QStringLiteral("4006381333931"), QStringLiteral("96385074")}) {
        for (const char* name : kTagReports) {
            const report::Layout layout = tagLayout(name, "Молоко 3,2%", "89.90", digits);
            const report::PageItem& barcode = firstPlaced(layout, "dtBarcode");
            for (double dpi : {203.0, 300.0}) {
                SCOPED_TRACE(QStringLiteral("%1 %2 at %3 dpi").arg(name, digits).arg(dpi).toStdString());
                const QImage page = report::renderPage(layout, 0, dpi);
                const QRect area = reporttest::pixelRect(barcode, dpi).adjusted(-8, -8, 8, 8).intersected(page.rect());
                EXPECT_EQ(zbarDecode(page.copy(area), folder.path()), digits);
            }
        }
    }
}
