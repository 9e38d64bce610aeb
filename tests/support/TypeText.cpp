#include "TypeText.h"

#include <QTest>
#include <QWidget>

namespace testsupport {

void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const int key = c.toUpper().unicode();
        QTest::sendKeyEvent(QTest::Press, widget, static_cast<Qt::Key>(key), QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, static_cast<Qt::Key>(key), QString(c), Qt::NoModifier);
    }
}

}  // namespace testsupport
