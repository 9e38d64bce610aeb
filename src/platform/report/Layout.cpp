#include "Layout.h"

#include <QDate>
#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace report {

namespace {

constexpr double kReferenceDpi = 600;
constexpr double kEpsilon = 1e-3;      // inches; layouts are written to four decimals
constexpr double kMemoPadding = 0.06;  // above and below the lines of a growing memo

const QImage& referenceDevice() {
    static const QImage image = [] {
        QImage i(8, 8, QImage::Format_ARGB32);
        const int dpm = qRound(kReferenceDpi / 0.0254);
        i.setDotsPerMeterX(dpm);
        i.setDotsPerMeterY(dpm);
        return i;
    }();
    return image;
}

bool isTextLike(Kind k) {
    return k == Kind::Text || k == Kind::DataText || k == Kind::Memo || k == Kind::DataMemo || k == Kind::Barcode;
}
bool isMemo(Kind k) {
    return k == Kind::Memo || k == Kind::DataMemo;
}
bool isSingleLineText(Kind k) {
    return k == Kind::Text || k == Kind::DataText;
}
bool isData(Kind k) {
    return k == Kind::DataText || k == Kind::DataMemo || k == Kind::Barcode;
}

// The row a data band is printing, for data components and {line}.
struct Row {
    const DataSet* data = nullptr;
    int index = -1;
    int count = 0;
};

class Builder {
public:
    explicit Builder(const Report& report) : report_(report) { layout_.page = report.page(); }

    Layout run() {
        layout_.pages.emplace_back();
        for (const Component& c : report_.components()) placeOnPage(c, report_.components(), 0, 0);
        for (size_t p = 1; p < layout_.pages.size(); ++p) {
            auto& items = layout_.pages[p].items;
            items.insert(items.begin(), laterPages_.begin(), laterPages_.end());
            items.insert(items.begin(), everyPage_.begin(), everyPage_.end());
        }
        return std::move(layout_);
    }

private:
    // Page components: everything but regions goes on the first page (or on
    // every page when the layout asks); a region flows over as many pages as
    // its rows need.
    void placeOnPage(const Component& c, const std::vector<Component>& siblings, double ox, double oy) {
        if (!c.visible) return;
        if (c.kind == Kind::Region) {
            layRegion(c, ox, oy);
            return;
        }
        if (c.kind == Kind::Section) {
            if (c.frame) add(0, item(c, ox + c.left, oy + c.top, c.height, {}));
            for (const Component& child : c.children) placeOnPage(child, c.children, ox + c.left, oy + c.top);
            return;
        }
        auto& first = layout_.pages[0].items;
        const auto before = static_cast<long>(first.size());
        placeBesideLabels(c, siblings, ox, oy, 0, {}, 0);
        if (c.everyPage) everyPage_.insert(everyPage_.end(), first.begin() + before, first.end());
        if (c.laterPages) {
            laterPages_.insert(laterPages_.end(), first.begin() + before, first.end());
            first.erase(first.begin() + before, first.end());
        }
    }

    // Where a region goes on after a page break: at the top margin, below
    // what every later page prints above the region (a continuation's title).
    double continuationTop(double regionTop) const {
        double y = std::min(layout_.page.marginTop, regionTop);
        for (const auto* items : {&everyPage_, &laterPages_})
            for (const PageItem& i : *items)
                if (i.rect.top() < regionTop - kEpsilon) y = std::max(y, i.rect.bottom());
        return y;
    }

    // Height of the bands that follow a data band up to the next one: the
    // totals that must not stand on a page without a row.
    double trailingHeight(const Component& region, const Component& dataBand, int rows) const {
        double h = 0;
        bool after = false;
        for (const Component& band : region.children) {
            if (&band == &dataBand) {
                after = true;
                continue;
            }
            if (!after || !band.visible) continue;
            if (band.kind == Kind::DataBand) break;
            if (band.kind == Kind::SummaryBand) h += bandHeight(band, Row{nullptr, -1, rows});
        }
        return h;
    }

    void layRegion(const Component& region, double ox, double oy) {
        const PageSpec& pg = layout_.page;
        const double x = ox + region.left;
        const double regionTop = oy + region.top;
        const double bottom = region.height > 0 ? regionTop + region.height : pg.height - pg.marginBottom;
        const double width = region.width > 0 ? region.width : pg.width - x;
        int page = static_cast<int>(layout_.pages.size()) - 1;
        double y = regionTop;
        double pageStart = y;  // where this page's share of the region begins, below repeated headers
        std::vector<const Component*> repeated;
        int lastCount = 0;

        // Column titles head a page of rows, not a page that only carries
        // the totals.
        auto newPage = [&](bool withHeaders) {
            ++page;
            if (static_cast<int>(layout_.pages.size()) <= page) layout_.pages.emplace_back();
            y = continuationTop(regionTop);
            if (withHeaders)
                for (const Component* h : repeated) y += placeBand(*h, x, y, page, {}, bandHeight(*h, {}));
            pageStart = y;
        };
        auto fits = [&](double h) { return y + h <= bottom + kEpsilon || y <= pageStart + kEpsilon; };
        // Room for rows on a fresh page, below the repeated column titles.
        auto freshPageRoom = [&] {
            double top = continuationTop(regionTop);
            for (const Component* h : repeated) top += bandHeight(*h, {});
            return bottom - top;
        };

        for (const Component& band : region.children) {
            if (!band.visible) continue;
            if (band.kind == Kind::DataBand) {
                const DataSet* data = report_.data(band.connection);
                const int rows = data ? data->rowCount() : 0;
                lastCount = rows;
                const int columns = std::max(1, band.columns);
                const double columnWidth =
                    band.columnWidth > 0 ? band.columnWidth : (band.width > 0 ? band.width : width);
                const double totals = trailingHeight(region, band, rows);
                for (int r = 0; r < rows; r += columns) {
                    double h = 0;
                    for (int k = 0; k < columns && r + k < rows; ++k)
                        h = std::max(h, bandHeight(band, Row{data, r + k, rows}));
                    // The last row goes over with the totals when they would
                    // not fit under it: totals alone on a sheet belong to no
                    // goods.
                    const bool last = r + columns >= rows;
                    const bool keepWithTotals = last && totals > 0 && fits(h) && !fits(h + totals) &&
                                                h + totals <= freshPageRoom() + kEpsilon;
                    if (!fits(h) || keepWithTotals) newPage(true);
                    for (int k = 0; k < columns && r + k < rows; ++k)
                        placeBand(band, x + k * columnWidth, y, page, Row{data, r + k, rows}, h);
                    y += h;
                }
                continue;
            }
            const Row summaryRow{nullptr, -1, lastCount};
            const double h = bandHeight(band, summaryRow);
            if (!fits(h)) newPage(band.kind == Kind::HeaderBand);
            y += placeBand(band, x, y, page, summaryRow, h);
            if (band.kind == Kind::HeaderBand && band.repeat) repeated.push_back(&band);
            if (band.kind == Kind::HeaderBand) pageStart = y;
        }
    }

    double bandHeight(const Component& band, const Row& row) const {
        double h = band.height;
        for (const Component& c : band.children) {
            if (!c.visible || !c.autoHeight || !isMemo(c.kind)) continue;
            h = std::max(h, c.top + wrappedTextHeight(c.font, lineWidthOf(c), textOf(c, row)) + kMemoPadding);
        }
        return h;
    }

    double placeBand(const Component& band, double x, double y, int page, const Row& row, double height) {
        if (band.frame) add(page, item(band, x + band.left, y, height, {}));
        for (const Component& c : band.children) placeBesideLabels(c, band.children, x + band.left, y, page, row, height);
        return height;
    }

    // A label is a one-line text without a width of its own: it takes the
    // room its font needs. What shares its line to its right starts after
    // it (keeping its right edge), so that no font standing in for the one
    // the layout was drawn with makes a label cover its value.
    void placeBesideLabels(const Component& c, const std::vector<Component>& siblings, double ox, double oy, int page,
                           const Row& row, double bandHeight) {
        double left = c.left;
        if (c.kind != Kind::Section && c.kind != Kind::Region && c.kind != Kind::Rect) {
            for (const Component& label : siblings) {
                if (&label == &c || !label.visible || label.kind != Kind::Text || label.width > 0 ||
                    label.align != Align::Left || label.left >= c.left || !onOneLine(label, c))
                    continue;
                const QString text = textOf(label, row);
                if (text.isEmpty()) continue;
                left = std::max(left, label.left + textWidth(label.font, text + u' '));
            }
        }
        if (left <= c.left + kEpsilon) {
            place(c, ox, oy, page, row, bandHeight);
            return;
        }
        Component moved = c;
        moved.left = left;
        if (c.width > 0) moved.width = std::max(kEpsilon, c.left + c.width - left);
        place(moved, ox, oy, page, row, bandHeight);
    }

    // Height a component takes on its line: a one-line text without a height
    // the line of its font.
    static double lineBoxHeight(const Component& c) {
        if (c.height > 0) return c.height;
        return isTextLike(c.kind) ? c.font.size * 1.25 / 72.0 : 0;
    }
    static bool onOneLine(const Component& a, const Component& b) {
        return a.top < b.top + std::max(lineBoxHeight(b), kEpsilon) - kEpsilon &&
               b.top < a.top + lineBoxHeight(a) - kEpsilon;
    }

    void place(const Component& c, double ox, double oy, int page, const Row& row, double bandHeight) {
        if (!c.visible) return;
        const double x = ox + c.left;
        const double y = oy + c.top;
        if (c.kind == Kind::Section) {
            if (c.frame) add(page, item(c, x, y, c.height, {}));
            for (const Component& child : c.children)
                placeBesideLabels(child, c.children, x, y, page, row, bandHeight - c.top);
            return;
        }
        double h = c.height;
        if (c.stretch && bandHeight > 0) h = bandHeight - c.top;
        QString text;
        if (isTextLike(c.kind)) {
            text = textOf(c, row);
            if (h <= 0) h = c.font.size * 1.25 / 72.0;
            if (c.autoHeight && isMemo(c.kind))
                h = std::max(h, wrappedTextHeight(c.font, lineWidthOf(c), text) + kMemoPadding);
        }
        PageItem i = item(c, x, y, h, text);
        if (i.wrap)
            breakIntoLines(i, c);
        else if (isSingleLineText(c.kind))
            shrinkToWidth(i, c);
        add(page, std::move(i));
    }

    // The width a memo's or a cell's text has: a frame keeps it off the border.
    static double textWidthOf(const Component& c) {
        return c.frame && c.width > 0 ? std::max(0.0, c.width - 2 * kCellPadding) : c.width;
    }
    // The width a line of text is fitted into.
    static double lineWidthOf(const Component& c) { return textWidthOf(c) * kLineRoom; }

    // A fixed-size memo keeps the whole lines that fit and marks the cut with
    // an ellipsis on its last line, so a name is never sliced through a line.
    static void breakIntoLines(PageItem& i, const Component& c) {
        const double width = lineWidthOf(c);
        i.lineHeight = lineHeight(c.font);
        i.lines = wrapLines(c.font, width, i.text);
        if (!i.clip || i.lines.isEmpty() || i.lineHeight <= 0) return;
        const double room = i.rect.height() - (c.frame ? kCellPadding : 0);
        const auto fit = static_cast<qsizetype>(std::max(1.0, std::floor((room + kEpsilon) / i.lineHeight)));
        if (i.lines.size() <= fit) return;
        const QString rest = i.lines.mid(fit - 1).join(u' ');
        i.lines.resize(fit);
        const QString ellipsis(QChar(0x2026));
        QString last = rest;
        while (!last.isEmpty() && textWidth(c.font, last + ellipsis) > width) {
            // Whole words go first; a single overlong word is cut where it must be.
            const qsizetype blank = last.lastIndexOf(u' ');
            if (blank > 0)
                last.truncate(blank);
            else
                last.chop(1);
            while (!last.isEmpty() && last.back().isSpace()) last.chop(1);
        }
        i.lines.back() = last + ellipsis;
    }

    // A one-line cell with a width never spills over its neighbours: its font
    // shrinks until the text fits (a long price next to the barcode).
    static void shrinkToWidth(PageItem& i, const Component& c) {
        const double room = lineWidthOf(c);
        if (room <= 0 || i.text.isEmpty() || i.pageMacros) return;
        for (int step = 0; step < 8; ++step) {
            const double needed = textWidth(i.font, i.text);
            if (needed <= room || i.font.size <= 1) return;
            i.font.size = std::max(1.0, std::floor(i.font.size * room / needed * 10) / 10);
        }
    }

    QString textOf(const Component& c, const Row& row) const {
        QString text;
        if (isData(c.kind) && !c.fixedText)
            text = row.data ? row.data->value(row.index, row.data->fieldIndex(c.field)) : QString();
        else
            text = c.text;
        if (text.contains(u'{')) {
            if (row.index >= 0) text.replace(QLatin1String("{line}"), QString::number(row.index + 1));
            text.replace(QLatin1String("{count}"), QString::number(row.count));
            text.replace(QLatin1String("{date}"), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        }
        return text;
    }

    static PageItem item(const Component& c, double x, double y, double h, QString text) {
        PageItem i;
        i.name = c.name;
        i.kind = c.kind;
        i.rect = QRectF(x, y, c.width, h);
        i.pageMacros = text.contains(QLatin1String("{page"));
        i.text = std::move(text);
        i.font = c.font;
        i.align = c.align;
        i.frame = c.frame || c.kind == Kind::Rect;
        i.wrap = isMemo(c.kind);
        i.clip = i.wrap && !c.autoHeight;
        i.lineWidth = c.lineWidth;
        return i;
    }

    void add(int page, PageItem i) { layout_.pages[static_cast<size_t>(page)].items.push_back(std::move(i)); }

    const Report& report_;
    Layout layout_;
    std::vector<PageItem> everyPage_;
    std::vector<PageItem> laterPages_;
};

}  // namespace

std::vector<std::pair<int, const PageItem*>> Layout::placements(const QString& name) const {
    std::vector<std::pair<int, const PageItem*>> out;
    for (size_t p = 0; p < pages.size(); ++p)
        for (const PageItem& i : pages[p].items)
            if (i.name.compare(name, Qt::CaseInsensitive) == 0) out.emplace_back(static_cast<int>(p), &i);
    return out;
}

Layout layOut(const Report& report) {
    return Builder(report).run();
}

QFont toQFont(const FontSpec& font) {
    QFont f(font.family.isEmpty() ? QStringLiteral("Times New Roman") : font.family);
    f.setPointSizeF(font.size > 0 ? font.size : 10);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    // Unhinted glyphs scale with the resolution, so a line measured once fits
    // the same on screen, on paper and in a PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

namespace {

// A sheet measures the same one or two fonts row after row: keep the metrics
// of the last font instead of resolving it again each time.
const QFontMetricsF& metricsOf(const FontSpec& font) {
    static FontSpec lastFont;
    static std::optional<QFontMetricsF> metrics;
    if (!metrics || lastFont.family != font.family || lastFont.size != font.size || lastFont.bold != font.bold ||
        lastFont.italic != font.italic) {
        metrics.emplace(toQFont(font), &referenceDevice());
        lastFont = font;
    }
    return *metrics;
}

}  // namespace

double lineHeight(const FontSpec& font) {
    return metricsOf(font).lineSpacing() / kReferenceDpi;
}

double textWidth(const FontSpec& font, const QString& text) {
    return metricsOf(font).horizontalAdvance(text) / kReferenceDpi;
}

QStringList wrapLines(const FontSpec& font, double widthInches, const QString& text) {
    QStringList lines;
    const double width = widthInches > 0 ? widthInches * kReferenceDpi : 1e7;
    QString plain = text;
    plain.remove(u'\r');
    const QFont qfont = toQFont(font);
    for (const QString& paragraph : plain.split(u'\n')) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, qfont, &referenceDevice());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && part.back().isSpace()) part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    return lines;
}

double wrappedTextHeight(const FontSpec& font, double widthInches, const QString& text) {
    if (text.isEmpty()) return metricsOf(font).height() / kReferenceDpi;
    return wrapLines(font, widthInches, text).size() * lineHeight(font);
}

QString pageText(const QString& text, int pageNumber, int pageCount) {
    QString t = text;
    t.replace(QLatin1String("{pages}"), QString::number(pageCount));
    t.replace(QLatin1String("{page}"), QString::number(pageNumber));
    return t;
}

}  // namespace report
