#pragma once
// How the receipt grid draws its cells: selected cells on light grey, the
// position columns centred, the name padded and cut with an ellipsis, money
// right-aligned, numbers and money whole (smaller when the column is narrow),
// the discount and subject columns in small blue italics.
#include <QStyledItemDelegate>

namespace sales {

class RegGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QColor selectedBackground() { return QColor(235, 235, 235); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // The cell's font made smaller until its text fits `room` pixels.
    static void fitAmount(QStyleOptionViewItem& option, int room);
};

}  // namespace sales
