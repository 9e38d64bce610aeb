#include "platform/ui/ElidedLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace ui {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, qMax(0, contentsRect().width() - 2 * margin()));
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    if (!isElided()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    QStyleOption option;
    option.initFrom(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, int(alignment()), option.palette, isEnabled(), shownText(), foregroundRole());
}

}  // namespace ui
