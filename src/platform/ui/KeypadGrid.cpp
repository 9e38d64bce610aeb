#include "platform/ui/KeypadGrid.h"

#include <QGridLayout>
#include <QPushButton>

namespace ui {

QPushButton* makeKeypadButton(QWidget* parent, const QString& objectName, const QString& caption,
                              const KeypadStyle& style) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    b->setMinimumSize(style.minimumSize);
    QFont f = b->font();
    f.setPointSize(style.pointSize);
    f.setBold(true);
    b->setFont(f);
    return b;
}

QList<QPushButton*> addKeypadKeys(QWidget* parent, QGridLayout* grid, const QList<KeypadKey>& keys,
                                  const KeypadStyle& style) {
    QList<QPushButton*> made;
    made.reserve(keys.size());
    for (const KeypadKey& k : keys) {
        QPushButton* b = makeKeypadButton(parent, k.objectName, k.caption, style);
        grid->addWidget(b, k.row, k.column, k.rowSpan, k.columnSpan);
        if (k.onClick) QObject::connect(b, &QPushButton::clicked, parent, k.onClick);
        made.append(b);
    }
    return made;
}

}  // namespace ui
