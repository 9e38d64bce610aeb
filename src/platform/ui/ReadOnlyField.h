#pragma once
// A read-only field that holds a name longer than itself shows where the
// name begins: the cashier cannot move the cursor there to read it, and
// "олочные продукты" names nothing.
#include <QLineEdit>

namespace ui {

inline void showStartOfText(QLineEdit* field) {
    field->setCursorPosition(0);
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        if (field->isReadOnly()) field->setCursorPosition(0);
    });
}

}  // namespace ui
