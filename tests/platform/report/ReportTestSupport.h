#pragma once
#include "platform/report/Layout.h"
#include "platform/report/ReportProject.h"

#include <QImage>
#include <QString>

#include <vector>

namespace reporttest {

// The folder the program runs from in the build, with reports/ beside it.
QString programFolder();

// Opens the shipped project and selects a report; fails the test otherwise.
report::Report shippedReport(const QString& name);

// Lines of a goods check: NUMPOS, G_CODE, G_ART, G_NAME, G_PRICE, G_SUMM,
// G_COUNT, G_EDIZM.
report::DataSet goodsCheckLines(int count, const QString& longName = {});

// The rectangle of a placed item in pixels of a page drawn at dpi.
QRect pixelRect(const report::PageItem& item, double dpi);

// How many pixels of a rectangle are dark.
int darkPixels(const QImage& image, const QRect& area);

// The longest horizontal run of dark pixels in one pixel row.
int longestDarkRun(const QImage& image, int y);

// One item of a page drawn alone, on a page of its own at dpi.
QImage renderAlone(const report::Layout& layout, const report::PageItem& item, double dpi);

// Two components that put ink on the same pixels of a page.
struct InkClash {
    int page = 0;
    QString first;
    QString second;
    int pixels = 0;
};
// Draws every text, memo, barcode and line of every page alone at dpi (the
// frames of table cells and tags left out) and reports where two of them
// darken the same pixel.
std::vector<InkClash> inkClashes(const report::Layout& layout, double dpi);

}  // namespace reporttest
