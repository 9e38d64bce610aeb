#pragma once
// QTest::keyClicks aborts on Cyrillic in Qt 6.4: this sends each character
// as its own key event carrying the text, as a keyboard would.
#include <QString>

class QWidget;

namespace testsupport {
void typeText(QWidget* widget, const QString& text);
}
