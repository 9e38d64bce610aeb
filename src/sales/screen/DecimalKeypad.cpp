#include "sales/screen/DecimalKeypad.h"

#include "platform/ui/KeypadGrid.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace sales {

void DecimalKeypad::buildDecimalKeypad(QWidget* window, QWidget* field) {
    const ui::KeypadStyle style{QSize(64, 52), 16};
    auto typing = [this](QChar c) { return std::function<void()>([this, c] { typeKey(c); }); };
    // In the layout of a numeric pad: 7 8 9 С / 4 5 6 ← / 1 2 3 00 / 0 . ВВОД.
    const QList<ui::KeypadKey> keys{
        {QStringLiteral("BitBtn1"), QStringLiteral("1"), 2, 0, 1, 1, typing(u'1')},
        {QStringLiteral("BitBtn2"), QStringLiteral("2"), 2, 1, 1, 1, typing(u'2')},
        {QStringLiteral("BitBtn3"), QStringLiteral("3"), 2, 2, 1, 1, typing(u'3')},
        {QStringLiteral("BitBtn4"), QStringLiteral("4"), 1, 0, 1, 1, typing(u'4')},
        {QStringLiteral("BitBtn5"), QStringLiteral("5"), 1, 1, 1, 1, typing(u'5')},
        {QStringLiteral("BitBtn6"), QStringLiteral("6"), 1, 2, 1, 1, typing(u'6')},
        {QStringLiteral("BitBtn7"), QStringLiteral("7"), 0, 0, 1, 1, typing(u'7')},
        {QStringLiteral("BitBtn8"), QStringLiteral("8"), 0, 1, 1, 1, typing(u'8')},
        {QStringLiteral("BitBtn9"), QStringLiteral("9"), 0, 2, 1, 1, typing(u'9')},
        {QStringLiteral("BitBtn10"), QStringLiteral("0"), 3, 0, 1, 1, typing(u'0')},
        {QStringLiteral("BitBtn11"), QStringLiteral("←"), 1, 3, 1, 1, [this] { backspace(); }},
        {QStringLiteral("BitBtn12"), QStringLiteral("00"), 2, 3, 1, 1, [this] { typeDoubleZero(); }},
        {QStringLiteral("BitBtn13"), QStringLiteral("."), 3, 1, 1, 1, typing(u'.')},
        {QStringLiteral("BitBtnReset"), QStringLiteral("С"), 0, 3, 1, 1, [this] { clearText(); }},
        {QStringLiteral("BitBtn14"), QStringLiteral("ВВОД"), 3, 2, 1, 2, [this] { BitBtn14Click(); }},
    };
    auto* grid = new QGridLayout;
    const QList<QPushButton*> made = ui::addKeypadKeys(window, grid, keys, style);
    QPushButton** const named[] = {&BitBtn1,  &BitBtn2,  &BitBtn3,  &BitBtn4,  &BitBtn5,
                                   &BitBtn6,  &BitBtn7,  &BitBtn8,  &BitBtn9,  &BitBtn10,
                                   &BitBtn11, &BitBtn12, &BitBtn13, &BitBtnReset, &BitBtn14};
    for (qsizetype i = 0; i < made.size(); ++i) *named[i] = made[i];

    BitBtn15 = ui::makeKeypadButton(window, QStringLiteral("BitBtn15"), QStringLiteral("ОТМЕНА"), style);
    QObject::connect(BitBtn15, &QPushButton::clicked, window, [this] { BitBtn15Click(); });
    // These two take the focus, so that Enter presses the one that has it.
    for (QPushButton* b : {BitBtn14, BitBtn15}) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setAutoDefault(true);
    }

    auto* layout = new QVBoxLayout(window);
    layout->addWidget(field);
    layout->addLayout(grid);
    layout->addWidget(BitBtn15);
}

bool DecimalKeypad::takeKey(QKeyEvent* event, bool printableOnly) {
    switch (event->key()) {
    case Qt::Key_Backspace: backspace(); return true;
    case Qt::Key_Delete: clearText(); return true;
    default: break;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || (printableOnly && !typed.at(0).isPrint())) return false;
    typeKey(typed.at(0));
    return true;
}

bool DecimalKeypad::isWindowKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace sales
