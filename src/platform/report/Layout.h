#pragma once
#include "Report.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

namespace report {

// One thing to draw on a page, placed in inches from the paper's top left.
struct PageItem {
    QString name;  // the component it comes from
    Kind kind = Kind::Text;
    QRectF rect;
    QString text;  // for a barcode: its digits
    FontSpec font;
    Align align = Align::Left;
    bool frame = false;
    bool wrap = false;        // memos wrap into their width
    bool clip = false;        // a fixed-size memo cuts what does not fit
    bool pageMacros = false;  // {page} / {pages} still to be filled in
    double lineWidth = 0.75;
};

struct LaidOutPage {
    std::vector<PageItem> items;
};

// A report with its data, cut into pages. Outputs draw from this, so the
// preview, the printer and PDF show the same pages.
struct Layout {
    PageSpec page;
    std::vector<LaidOutPage> pages;

    int pageCount() const { return static_cast<int>(pages.size()); }
    // Every placement of a component, page by page (a data band's components
    // appear once per row).
    std::vector<std::pair<int, const PageItem*>> placements(const QString& name) const;
};

Layout layOut(const Report& report);

QFont toQFont(const FontSpec& font);
// Height in inches that a text needs when wrapped into a width in inches.
double wrappedTextHeight(const FontSpec& font, double widthInches, const QString& text);
// {page} and {pages} of an every-page text.
QString pageText(const QString& text, int pageNumber, int pageCount);

}  // namespace report
