#include "PageRenderer.h"

#include "Barcode.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace report {

namespace {

Qt::Alignment horizontal(Align a) {
    switch (a) {
        case Align::Center:
            return Qt::AlignHCenter;
        case Align::Right:
            return Qt::AlignRight;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

QPageSize pageSizeOf(const PageSpec& page) {
    return QPageSize(QSizeF(page.width, page.height), QPageSize::Inch, QString(), QPageSize::ExactMatch);
}

// A landscape layout is simply a page wider than high.
constexpr QPageLayout::Orientation kOrientation = QPageLayout::Portrait;

void paintItem(QPainter& p, const PageItem& item, double dpiX, double dpiY, int pageNumber, int pageCount) {
    const QRectF r(item.rect.left() * dpiX, item.rect.top() * dpiY, item.rect.width() * dpiX,
                   item.rect.height() * dpiY);
    if (item.kind == Kind::Line) {
        p.setPen(QPen(Qt::black, item.lineWidth / 72.0 * dpiY));
        p.drawLine(QPointF(r.left(), r.top()), QPointF(r.right(), r.bottom()));
        return;
    }
    if (item.frame) {
        p.setPen(QPen(Qt::black, item.lineWidth / 72.0 * dpiY));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    if (item.kind == Kind::Barcode) {
        paintEan(p, r, item.text, toQFont(item.font));
        return;
    }
    if (item.text.isEmpty()) return;
    const QString text = item.pageMacros ? pageText(item.text, pageNumber, pageCount) : item.text;
    p.setPen(Qt::black);
    p.setFont(toQFont(item.font));
    const double pad = item.frame ? kCellPadding * dpiX : 0;
    if (item.wrap) {
        // The lines were broken when the page was laid out; each stands at
        // its own place so that every device shows the same lines. A framed
        // memo shares its row with one-line cells: its first line starts where
        // theirs stands, not against the frame.
        const QRectF textRect = r.adjusted(pad, pad, -pad, 0);
        const double step = item.lineHeight * dpiY;
        for (qsizetype n = 0; n < item.lines.size(); ++n) {
            const QString line = item.pageMacros ? pageText(item.lines[n], pageNumber, pageCount) : item.lines[n];
            const QRectF lineRect(textRect.left(), textRect.top() + n * step, textRect.width(), step);
            p.drawText(lineRect, horizontal(item.align) | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, line);
        }
    } else {
        const QRectF textRect = r.adjusted(pad, 0, -pad, 0);
        p.drawText(textRect, horizontal(item.align) | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    }
}

}  // namespace

void paintPage(QPainter& painter, const Layout& layout, int pageIndex, double dpiX, double dpiY) {
    if (pageIndex < 0 || pageIndex >= layout.pageCount()) return;
    painter.save();
    for (const PageItem& item : layout.pages[static_cast<size_t>(pageIndex)].items)
        paintItem(painter, item, dpiX, dpiY, pageIndex + 1, layout.pageCount());
    painter.restore();
}

QImage renderPage(const Layout& layout, int pageIndex, double dpi) {
    if (pageIndex < 0 || pageIndex >= layout.pageCount() || dpi <= 0) return {};
    QImage image(qMax(1, qRound(layout.page.width * dpi)), qMax(1, qRound(layout.page.height * dpi)),
                 QImage::Format_RGB32);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintPage(p, layout, pageIndex, dpi, dpi);
    return image;
}

QImage renderPage(const Report& report, int pageIndex, double dpi) {
    return renderPage(layOut(report), pageIndex, dpi);
}

bool exportPdf(const Layout& layout, const QString& filePath) {
    QPdfWriter writer(filePath);
    writer.setCreator(QStringLiteral("ТАРВИ-А"));
    writer.setPageLayout(QPageLayout(pageSizeOf(layout.page), kOrientation, QMarginsF()));
    QPainter p;
    if (!p.begin(&writer)) return false;
    const double dpi = writer.resolution();
    for (int i = 0; i < layout.pageCount(); ++i) {
        if (i > 0) writer.newPage();
        paintPage(p, layout, i, dpi, dpi);
    }
    return p.end();
}

bool exportPdf(const Report& report, const QString& filePath) {
    return exportPdf(layOut(report), filePath);
}

bool printLayout(const Layout& layout, QPrinter& printer, int fromPage, int toPage) {
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(pageSizeOf(layout.page), kOrientation, QMarginsF()));
    const int first = fromPage > 0 ? fromPage : 1;
    const int last = toPage > 0 ? qMin(toPage, layout.pageCount()) : layout.pageCount();
    if (first > last) return false;
    // A printer makes its own copies; a PDF file has to carry them, or
    // labels asked for three times would come out once.
    const int copies = printer.outputFormat() == QPrinter::PdfFormat ? qMax(1, printer.copyCount()) : 1;
    QPainter p;
    if (!p.begin(&printer)) return false;
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    bool firstPage = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = first; page <= last; ++page) {
            if (!firstPage) printer.newPage();
            firstPage = false;
            paintPage(p, layout, page - 1, dpiX, dpiY);
        }
    }
    return p.end();
}

}  // namespace report
