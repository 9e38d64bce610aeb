#include "sales/screen/ScreenFocus.h"

#include <QEvent>
#include <QWidget>

namespace sales {

ScreenFocus::ScreenFocus(QWidget& screen, QWidget& restingPlace)
    : QObject(&screen), screen_(&screen), rest_(&restingPlace) {
    setObjectName(QStringLiteral("ScreenFocus"));
    // Click focus only: Tab never stops here, but a click anywhere that has
    // no focus of its own (the receipt grid, labels, panels) lands here.
    rest_->setFocusPolicy(Qt::ClickFocus);
    screen_->installEventFilter(this);
    rest();
}

void ScreenFocus::rest() { rest_->setFocus(Qt::OtherFocusReason); }

bool ScreenFocus::eventFilter(QObject* watched, QEvent* event) {
    if (watched == screen_ && event->type() == QEvent::WindowDeactivate) {
        // A field that takes text is worked in while the screen is in front;
        // leaving the screen ends that.
        QWidget* focus = screen_->focusWidget();
        if (focus && focus != rest_ && focus->testAttribute(Qt::WA_InputMethodEnabled)) rest();
    }
    return false;
}

}  // namespace sales
