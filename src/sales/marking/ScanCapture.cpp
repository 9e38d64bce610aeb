#include "sales/marking/ScanCapture.h"

#include "core/TextUtils.h"
#include "platform/ui/KeyboardLayout.h"

#include <QKeyEvent>

namespace sales::marking {

namespace {

QChar russianToLatin(QChar c) {
    return core::RusToLatKey(c);
}

}  // namespace

CapturedKey captureKey(const QKeyEvent& event, int layoutId) {
    CapturedKey out;
    if (event.key() == Qt::Key_Backspace) {
        out.used = true;
        return out;
    }
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab: return out;  // the window's own keys, not characters of a code
    default: break;
    }
    if (ui::KeyboardLayout::isGroupSeparatorKey(event)) {
        const QChar gs(29);
        return CapturedKey{true, QString(gs), QString(gs)};
    }
    const QString text = event.text();
    if (text.isEmpty()) return out;
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return out;
    for (const QChar c : text) {
        out.typed += c;
        const QChar latin = ui::KeyboardLayout::latinFor(event, c, layoutId, russianToLatin);
        if (!latin.isNull()) out.latin += latin;
    }
    out.used = true;
    return out;
}

}  // namespace sales::marking
