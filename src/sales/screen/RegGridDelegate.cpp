#include "sales/screen/RegGridDelegate.h"

#include "sales/receipt/ReceiptModel.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sales {

void RegGridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    switch (index.column()) {
    case ReceiptModel::ColStatus:
    case ReceiptModel::ColId:
    case ReceiptModel::ColKind:
    case ReceiptModel::ColPosNo:
    case ReceiptModel::ColQty:
        option->displayAlignment = Qt::AlignCenter;
        // A cut number reads as another number (position 250 as "2…"):
        // it is drawn smaller instead (paint).
        option->textElideMode = Qt::ElideNone;
        option->features &= ~QStyleOptionViewItem::WrapText;
        break;
    case ReceiptModel::ColName:
        option->text = QLatin1Char(' ') + option->text + QLatin1Char(' ');
        option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option->textElideMode = Qt::ElideRight;
        break;
    case ReceiptModel::ColPrice:
    case ReceiptModel::ColSum:
        // The columns keep their share of the grid; an amount too wide for
        // it is drawn smaller (paint), never cut: a cut amount reads as
        // another amount.
        option->text = option->text + QLatin1Char(' ');
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        option->textElideMode = Qt::ElideNone;
        break;
    case ReceiptModel::ColDiscount:
    case ReceiptModel::ColSubject: {
        QFont f = option->font;
        f.setItalic(true);
        if (f.pointSize() > 0) f.setPointSize(qMax(1, f.pointSize() - 2));
        else if (f.pixelSize() > 0) f.setPixelSize(qMax(1, f.pixelSize() - 2));
        option->font = f;
        option->palette.setColor(QPalette::Text, Qt::blue);
        option->palette.setColor(QPalette::HighlightedText, Qt::blue);
        option->displayAlignment = Qt::AlignCenter;
        // A discount is money too: smaller when need be, never cut.
        if (index.column() == ReceiptModel::ColDiscount) option->textElideMode = Qt::ElideNone;
        break;
    }
    default:
        break;
    }
}

void RegGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.state & QStyle::State_Selected) {
        // Light grey instead of the system highlight, text in its own colour.
        opt.state &= ~QStyle::State_Selected;
        opt.backgroundBrush = selectedBackground();
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    if (opt.textElideMode == Qt::ElideNone)
        fitAmount(opt, style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).width() -
                           2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1));
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

void RegGridDelegate::fitAmount(QStyleOptionViewItem& option, int room) {
    const qreal wide = QFontMetricsF(option.font).horizontalAdvance(option.text);
    if (wide <= room || room <= 0) return;
    QFont font = option.font;
    const bool points = font.pointSizeF() > 0;
    // Half a point at a time: the amount stays as large as its cell allows.
    const qreal step = points ? 0.5 : 1;
    const qreal full = points ? font.pointSizeF() : font.pixelSize();
    // Text width follows the size closely: start from the size that fits by
    // proportion, so a long receipt's cells cost a measure or two each.
    qreal size = std::max(step, std::floor(full * room / wide / step) * step);
    const auto setSize = [&](qreal s) {
        if (points) font.setPointSizeF(s);
        else font.setPixelSize(int(s));
    };
    setSize(size);
    while (size > step && QFontMetricsF(font).horizontalAdvance(option.text) > room) {
        size -= step;
        setSize(size);
    }
    option.font = font;
    option.fontMetrics = QFontMetrics(font);
}

}  // namespace sales
