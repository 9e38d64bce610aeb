#pragma once
#include "Layout.h"
#include "Report.h"

#include <QImage>
#include <QString>

class QPainter;
class QPrinter;

namespace report {

// Draws one laid-out page; the painter's origin is the paper's top left and
// dpiX / dpiY turn inches into its device units.
void paintPage(QPainter& painter, const Layout& layout, int pageIndex, double dpiX, double dpiY);

// The page as a picture, for the preview and for the goods-check header
// shown in the print settings. A null image for a page that does not exist.
QImage renderPage(const Layout& layout, int pageIndex, double dpi);
QImage renderPage(const Report& report, int pageIndex, double dpi);

// All pages into a PDF file; false when the file cannot be written.
bool exportPdf(const Layout& layout, const QString& filePath);
bool exportPdf(const Report& report, const QString& filePath);

// Pages fromPage..toPage (1-based, 0 for all) to a printer set up by the
// caller; the paper is set to the report's page size. False when the printer
// cannot start.
bool printLayout(const Layout& layout, QPrinter& printer, int fromPage = 0, int toPage = 0);

}  // namespace report
