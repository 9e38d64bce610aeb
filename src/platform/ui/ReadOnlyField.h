#pragma once
// A read-only field that holds a name longer than itself shows where the
// name begins: the cashier cannot move the cursor there to read it, and
// "олочные продукты" names nothing.
#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

namespace ui {

inline void showStartOfText(QLineEdit* field) {
    field->setCursorPosition(0);
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        if (field->isReadOnly()) field->setCursorPosition(0);
    });
}

// A field asks for the width its whole text needs, up to maxWidth pixels,
// each time the text changes, so that its window opens wide enough to show
// a long name whole.
inline void widenToText(QLineEdit* field, int maxWidth = 560) {
    auto fit = [field, maxWidth] {
        // A line edit's own size hint holds 17 letters x plus its frame and
        // margins: the same frame and margins around this text, and a blank
        // for the cursor after its last letter.
        const QFontMetrics fm = field->fontMetrics();
        const int chrome = field->sizeHint().width() - 17 * fm.horizontalAdvance(QLatin1Char('x'));
        const int needed = fm.horizontalAdvance(field->text() + QLatin1Char(' ')) + chrome;
        field->setMinimumWidth(std::min(maxWidth, std::max(needed, field->sizeHint().width())));
    };
    fit();
    QObject::connect(field, &QLineEdit::textChanged, field, fit);
}

}  // namespace ui
