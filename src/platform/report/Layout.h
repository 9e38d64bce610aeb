#pragma once
#include "Report.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// Inches between a framed cell's border and its text.
constexpr double kCellPadding = 0.03;
// The share of a box's width a line of text is fitted into: on a coarse
// device (a screen, a label printer) glyphs come out a shade wider than
// measured, and a line that filled its box exactly would spill a dot.
constexpr double kLineRoom = 0.97;

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
    // A memo's lines as broken once for every output, so the preview, the
    // printer and a PDF wrap alike; lineHeight in inches.
    QStringList lines;
    double lineHeight = 0;
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
// The lines a text wraps into within a width in inches (explicit line
// breaks kept), measured on one reference device whatever prints them.
QStringList wrapLines(const FontSpec& font, double widthInches, const QString& text);
// Height in inches of one line of a font.
double lineHeight(const FontSpec& font);
// Width in inches of a single line of text.
double textWidth(const FontSpec& font, const QString& text);
// {page} and {pages} of an every-page text.
QString pageText(const QString& text, int pageNumber, int pageCount);

}  // namespace report
