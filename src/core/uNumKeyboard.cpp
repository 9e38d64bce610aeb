#include "uNumKeyboard.h"

#include "platform/ui/KeypadGrid.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace core {

TfmNumKeyboard* fmNumKeyboard = nullptr;

TfmNumKeyboard::TfmNumKeyboard(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fmNumKeyboard"));
    setWindowTitle(QStringLiteral("Клавиатура"));
    setFocusPolicy(Qt::StrongFocus);
    fmNumKeyboard = this;

    auto* grid = new QGridLayout(this);
    grid->setSpacing(4);
    // Digits in the layout of a numeric pad: 7 8 9 / 4 5 6 / 1 2 3 / 0.
    QList<ui::KeypadKey> keys;
    for (int d = 1; d <= 9; ++d)
        keys.append({QStringLiteral("Button%1").arg(d), QString::number(d), 2 - (d - 1) / 3, (d - 1) % 3, 1, 1,
                     [this, d] { typeCharacter(QString::number(d)); }});
    keys.append({QStringLiteral("Button10"), QStringLiteral("0"), 3, 0, 1, 1,
                 [this] { typeCharacter(QStringLiteral("0")); }});
    keys.append({QStringLiteral("BitBtn1"), QStringLiteral("."), 3, 1, 1, 1,
                 [this] { typeCharacter(QStringLiteral(".")); }});
    keys.append({QStringLiteral("BitBtn4"), QStringLiteral("×"), 3, 2, 1, 1,
                 [this] { typeCharacter(QStringLiteral("*")); }});
    keys.append({QStringLiteral("BitBtn2"), QStringLiteral("C"), 0, 3, 1, 1, [this] {
                     if (tag_ == 1) pressKey(Qt::Key_Delete);
                 }});
    keys.append({QStringLiteral("BitBtn3"), QStringLiteral("←"), 1, 3, 1, 1, [this] {
                     if (tag_ == 1) pressKey(Qt::Key_Backspace);
                 }});
    keys.append({QStringLiteral("Button12"), QStringLiteral("Esc"), 2, 3, 2, 1, [this] { Button12Click(); }});
    // The keypad never takes the focus from where the typing goes.
    const QList<QPushButton*> made = ui::addKeypadKeys(this, grid, keys, {QSize(56, 48), 16});
    made.last()->setMinimumHeight(100);  // Esc spans two rows
}

TfmNumKeyboard::~TfmNumKeyboard() {
    if (fmNumKeyboard == this) fmNumKeyboard = nullptr;
}

void TfmNumKeyboard::typeCharacter(const QString& text) {
    if (!target_) return;
    const int code = text.at(0).unicode();
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target_, &press);
    if (!target_) return;
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target_, &release);
}

void TfmNumKeyboard::pressKey(int key) {
    if (!target_) return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target_, &press);
    if (!target_) return;
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target_, &release);
}

void TfmNumKeyboard::forward(QKeyEvent* event) {
    if (tag_ != 1 || !target_) {
        event->ignore();
        return;
    }
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                   event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                   static_cast<quint16>(event->count()));
    QCoreApplication::sendEvent(target_, &copy);
    event->accept();
}

void TfmNumKeyboard::keyPressEvent(QKeyEvent* event) { forward(event); }
void TfmNumKeyboard::keyReleaseEvent(QKeyEvent* event) { forward(event); }

void TfmNumKeyboard::Button12Click() { close(); }

void TfmNumKeyboard::closeEvent(QCloseEvent* event) {
    // Only hidden: the keypad lives for the whole run.
    tag_ = 0;
    QWidget::closeEvent(event);
}

}  // namespace core
