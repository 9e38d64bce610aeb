#pragma once
// QTest::keyClicks aborts on Cyrillic in Qt 6.4: this sends each character
// as its own key event carrying the text, with the key and modifiers a US
// keyboard (or the Russian layout on the same keys) would report: Shift for
// capitals and the upper signs of the main row ("_", "*", ":" ...), Ctrl
// for control characters (GS, 0x1D, is Ctrl+] as scanners send it).
#include <QString>

#include <Qt>

class QWidget;

namespace testsupport {

struct KeyStroke {
    int key = 0;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    QString text;
};

// How one character is typed.
KeyStroke keyStrokeFor(QChar c);

// Press and release of each character of `text`.
void typeText(QWidget* widget, const QString& text);
// Press and release of one key.
void typeKey(QWidget* widget, const KeyStroke& stroke);

}  // namespace testsupport
