#include "Barcode.h"

#include <QPainter>

#include <zint.h>

#include <cmath>
#include <memory>

namespace report {

namespace {

struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

// Where the digits stand under an EAN symbol: the first digit of an EAN-13
// left of the bars, then the two halves between the guards.
struct DigitGroup {
    int first;       // index of the first digit
    int count;       // how many
    int fromModule;  // the span of modules they are centred under
    int toModule;
};

}  // namespace

bool isEanDigits(const QString& text) {
    if (text.size() != 8 && text.size() != 13) return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

std::vector<bool> eanModules(const QString& digits) {
    if (!isEanDigits(digits)) return {};
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol) return {};
    symbol->symbology = BARCODE_EANX_CHK;  // the data carries its check digit, which zint verifies
    const QByteArray data = digits.toLatin1();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                   static_cast<int>(data.size()));
    if (rc >= ZINT_ERROR || symbol->rows < 1 || symbol->width <= 0) return {};
    std::vector<bool> modules(static_cast<size_t>(symbol->width));
    for (int i = 0; i < symbol->width; ++i)
        modules[static_cast<size_t>(i)] = (symbol->encoded_data[0][i >> 3] >> (i & 7)) & 1;
    return modules;
}

void paintEan(QPainter& painter, const QRectF& rect, const QString& digits, const QFont& font) {
    const std::vector<bool> modules = eanModules(digits);
    if (modules.empty() || rect.width() <= 0 || rect.height() <= 0) return;
    const bool ean13 = digits.size() == 13;
    const int count = static_cast<int>(modules.size());
    const int lead = ean13 ? 9 : 4;  // room for the first digit of an EAN-13
    const int trail = 4;
    // A module is a whole number of device dots: at 203 dpi a fraction of a
    // dot would print some bars a dot wider than others and the symbol would
    // not scan. The symbol is centred in the room the layout gives it.
    const int span = lead + count + trail;
    // Below one dot a module (a preview on a screen, never a label printer)
    // keeps its fraction, so the symbol stays inside its room.
    const double exact = rect.width() / span;
    const double module = exact >= 1 ? std::floor(exact) : exact;
    const double symbolLeft = std::round(rect.left() + std::max(0.0, (rect.width() - module * span) / 2));

    QFont digitFont = font;
    // Digits follow the bars' height on a flat symbol and the module width on
    // a tall one, so that six of them always fit between the guards.
    digitFont.setPixelSize(std::max(4, static_cast<int>(std::min(rect.height() * 0.16, module * 11))));
    const double textHeight = digitFont.pixelSize() * 1.15;
    const double barsBottom = rect.bottom() - textHeight;
    const double guardBottom = rect.bottom() - textHeight * 0.5;

    std::vector<bool> guard(modules.size(), false);
    const std::vector<int> guards = ean13 ? std::vector<int>{0, 1, 2, 45, 46, 47, 48, 49, 92, 93, 94}
                                          : std::vector<int>{0, 1, 2, 31, 32, 33, 34, 35, 64, 65, 66};
    for (int g : guards)
        if (g < count) guard[static_cast<size_t>(g)] = true;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double x0 = symbolLeft + lead * module;
    int i = 0;
    while (i < count) {
        if (!modules[static_cast<size_t>(i)]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < count && modules[static_cast<size_t>(j)]) ++j;
        const double left = x0 + i * module;
        const double right = x0 + j * module;
        const double bottom = guard[static_cast<size_t>(i)] ? guardBottom : barsBottom;
        painter.drawRect(QRectF(left, rect.top(), right - left, bottom - rect.top()));
        i = j;
    }

    painter.setPen(Qt::black);
    painter.setFont(digitFont);
    const std::vector<DigitGroup> groups =
        ean13 ? std::vector<DigitGroup>{{0, 1, -lead, -1}, {1, 6, 3, 45}, {7, 6, 50, 92}}
              : std::vector<DigitGroup>{{0, 4, 3, 31}, {4, 4, 36, 64}};
    for (const DigitGroup& g : groups) {
        const QRectF box(x0 + g.fromModule * module, rect.bottom() - textHeight, (g.toModule - g.fromModule) * module,
                         textHeight);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, digits.mid(g.first, g.count));
    }
    painter.restore();
}

}  // namespace report
