#include "Layout.h"

#include <QDate>
#include <QFontMetricsF>
#include <QImage>

#include <algorithm>
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
        for (const Component& c : report_.components()) placeOnPage(c, 0, 0);
        for (size_t p = 1; p < layout_.pages.size(); ++p)
            layout_.pages[p].items.insert(layout_.pages[p].items.begin(), everyPage_.begin(), everyPage_.end());
        return std::move(layout_);
    }

private:
    // Page components: everything but regions goes on the first page (or on
    // every page when the layout asks); a region flows over as many pages as
    // its rows need.
    void placeOnPage(const Component& c, double ox, double oy) {
        if (!c.visible) return;
        if (c.kind == Kind::Region) {
            layRegion(c, ox, oy);
            return;
        }
        if (c.kind == Kind::Section) {
            if (c.frame) add(0, item(c, ox + c.left, oy + c.top, c.height, {}));
            for (const Component& child : c.children) placeOnPage(child, ox + c.left, oy + c.top);
            return;
        }
        const size_t before = layout_.pages[0].items.size();
        place(c, ox, oy, 0, {}, 0);
        if (c.everyPage)
            everyPage_.insert(everyPage_.end(), layout_.pages[0].items.begin() + static_cast<long>(before),
                              layout_.pages[0].items.end());
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
            y = std::min(pg.marginTop, regionTop);
            if (withHeaders)
                for (const Component* h : repeated) y += placeBand(*h, x, y, page, {}, bandHeight(*h, {}));
            pageStart = y;
        };
        auto fits = [&](double h) { return y + h <= bottom + kEpsilon || y <= pageStart + kEpsilon; };

        for (const Component& band : region.children) {
            if (!band.visible) continue;
            if (band.kind == Kind::DataBand) {
                const DataSet* data = report_.data(band.connection);
                const int rows = data ? data->rowCount() : 0;
                lastCount = rows;
                const int columns = std::max(1, band.columns);
                const double columnWidth =
                    band.columnWidth > 0 ? band.columnWidth : (band.width > 0 ? band.width : width);
                for (int r = 0; r < rows; r += columns) {
                    double h = 0;
                    for (int k = 0; k < columns && r + k < rows; ++k)
                        h = std::max(h, bandHeight(band, Row{data, r + k, rows}));
                    if (!fits(h)) newPage(true);
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
            h = std::max(h, c.top + wrappedTextHeight(c.font, c.width, textOf(c, row)) + kMemoPadding);
        }
        return h;
    }

    double placeBand(const Component& band, double x, double y, int page, const Row& row, double height) {
        if (band.frame) add(page, item(band, x + band.left, y, height, {}));
        for (const Component& c : band.children) place(c, x + band.left, y, page, row, height);
        return height;
    }

    void place(const Component& c, double ox, double oy, int page, const Row& row, double bandHeight) {
        if (!c.visible) return;
        const double x = ox + c.left;
        const double y = oy + c.top;
        if (c.kind == Kind::Section) {
            if (c.frame) add(page, item(c, x, y, c.height, {}));
            for (const Component& child : c.children) place(child, x, y, page, row, bandHeight - c.top);
            return;
        }
        double h = c.height;
        if (c.stretch && bandHeight > 0) h = bandHeight - c.top;
        QString text;
        if (isTextLike(c.kind)) {
            text = textOf(c, row);
            if (h <= 0) h = c.font.size * 1.25 / 72.0;
            if (c.autoHeight && isMemo(c.kind))
                h = std::max(h, wrappedTextHeight(c.font, c.width, text) + kMemoPadding);
        }
        add(page, item(c, x, y, h, text));
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
    return f;
}

double wrappedTextHeight(const FontSpec& font, double widthInches, const QString& text) {
    // A sheet measures the same one or two fonts row after row: keep the
    // metrics of the last font instead of resolving it again each time.
    static FontSpec lastFont;
    static std::optional<QFontMetricsF> metrics;
    if (!metrics || lastFont.family != font.family || lastFont.size != font.size || lastFont.bold != font.bold ||
        lastFont.italic != font.italic) {
        metrics.emplace(toQFont(font), &referenceDevice());
        lastFont = font;
    }
    const QFontMetricsF& fm = *metrics;
    if (text.isEmpty()) return fm.height() / kReferenceDpi;
    const double width = widthInches > 0 ? widthInches * kReferenceDpi : 1e7;
    const QRectF r = fm.boundingRect(QRectF(0, 0, width, 1e7), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return r.height() / kReferenceDpi;
}

QString pageText(const QString& text, int pageNumber, int pageCount) {
    QString t = text;
    t.replace(QLatin1String("{pages}"), QString::number(pageCount));
    t.replace(QLatin1String("{page}"), QString::number(pageNumber));
    return t;
}

}  // namespace report
