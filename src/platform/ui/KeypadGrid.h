#pragma once
// The buttons of an on-screen keypad, made from a table: each key has its
// component name (the key router and the tests find keys by it), its
// caption, its cell in the grid and what a click does. Keypad buttons never
// take the focus from where the typing goes.
#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class QGridLayout;
class QPushButton;
class QWidget;

namespace ui {

struct KeypadStyle {
    QSize minimumSize;
    int pointSize = 16;
};

struct KeypadKey {
    QString objectName;
    QString caption;
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    std::function<void()> onClick;
};

// One keypad button: named, bold, without the focus or auto-default.
QPushButton* makeKeypadButton(QWidget* parent, const QString& objectName, const QString& caption,
                              const KeypadStyle& style);

// Makes a button for each key, puts it in its cell of `grid` and connects
// its click (in the context of `parent`); the buttons in the table's order.
QList<QPushButton*> addKeypadKeys(QWidget* parent, QGridLayout* grid, const QList<KeypadKey>& keys,
                                  const KeypadStyle& style);

}  // namespace ui
