#include "TypeText.h"

#include <QTest>
#include <QWidget>

namespace testsupport {

namespace {

// The signs a US keyboard types with Shift on the main row.
bool typedWithShift(QChar c) {
    static const QString shifted = QStringLiteral("~!@#$%^&*()_+{}|:\"<>?");
    return shifted.contains(c) || (c.isLetter() && c.isUpper());
}

}  // namespace

KeyStroke keyStrokeFor(QChar c) {
    KeyStroke k;
    k.text = QString(c);
    const ushort u = c.unicode();
    if (u >= 0x01 && u <= 0x1A) {
        // Ctrl+A .. Ctrl+Z
        k.key = Qt::Key_A + (u - 0x01);
        k.modifiers = Qt::ControlModifier;
        return k;
    }
    switch (u) {
        case 0x1B:
            k.key = Qt::Key_BracketLeft;
            k.modifiers = Qt::ControlModifier;
            return k;
        case 0x1C:
            k.key = Qt::Key_Backslash;
            k.modifiers = Qt::ControlModifier;
            return k;
        case 0x1D:
            k.key = Qt::Key_BracketRight;
            k.modifiers = Qt::ControlModifier;
            return k;
        case 0x1E:
            k.key = Qt::Key_AsciiCircum;
            k.modifiers = Qt::ControlModifier | Qt::ShiftModifier;
            return k;
        case 0x1F:
            k.key = Qt::Key_Underscore;
            k.modifiers = Qt::ControlModifier | Qt::ShiftModifier;
            return k;
        default:
            break;
    }
    // Qt reports a character key by its upper-case code.
    k.key = c.toUpper().unicode();
    if (typedWithShift(c)) k.modifiers = Qt::ShiftModifier;
    return k;
}

void typeKey(QWidget* widget, const KeyStroke& stroke) {
    QTest::sendKeyEvent(QTest::Press, widget, static_cast<Qt::Key>(stroke.key), stroke.text, stroke.modifiers);
    QTest::sendKeyEvent(QTest::Release, widget, static_cast<Qt::Key>(stroke.key), stroke.text, stroke.modifiers);
}

void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) typeKey(widget, keyStrokeFor(c));
}

}  // namespace testsupport
