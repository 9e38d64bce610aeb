#include "uNumKeyboard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace core {

TfmNumKeyboard* fmNumKeyboard = nullptr;

namespace {
QPushButton* key(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // The keypad never takes the focus from where the typing goes.
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumSize(56, 48);
    QFont f = b->font();
    f.setPointSize(16);
    f.setBold(true);
    b->setFont(f);
    return b;
}
}  // namespace

TfmNumKeyboard::TfmNumKeyboard(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fmNumKeyboard"));
    setWindowTitle(QStringLiteral("Клавиатура"));
    setFocusPolicy(Qt::StrongFocus);
    fmNumKeyboard = this;

    auto* grid = new QGridLayout(this);
    grid->setSpacing(4);
    // Digits in the layout of a numeric pad: 7 8 9 / 4 5 6 / 1 2 3 / 0.
    for (int d = 1; d <= 9; ++d) {
        auto* b = key(this, QStringLiteral("Button%1").arg(d), QString::number(d));
        grid->addWidget(b, 2 - (d - 1) / 3, (d - 1) % 3);
        connect(b, &QPushButton::clicked, this, [this, d] { typeCharacter(QString::number(d)); });
    }
    auto* zero = key(this, QStringLiteral("Button10"), QStringLiteral("0"));
    grid->addWidget(zero, 3, 0);
    connect(zero, &QPushButton::clicked, this, [this] { typeCharacter(QStringLiteral("0")); });

    auto* point = key(this, QStringLiteral("BitBtn1"), QStringLiteral("."));
    grid->addWidget(point, 3, 1);
    connect(point, &QPushButton::clicked, this, [this] { typeCharacter(QStringLiteral(".")); });
    auto* times = key(this, QStringLiteral("BitBtn4"), QStringLiteral("×"));
    grid->addWidget(times, 3, 2);
    connect(times, &QPushButton::clicked, this, [this] { typeCharacter(QStringLiteral("*")); });

    auto* clear = key(this, QStringLiteral("BitBtn2"), QStringLiteral("C"));
    grid->addWidget(clear, 0, 3);
    connect(clear, &QPushButton::clicked, this, [this] {
        if (tag_ == 1) pressKey(Qt::Key_Delete);
    });
    auto* back = key(this, QStringLiteral("BitBtn3"), QStringLiteral("←"));
    grid->addWidget(back, 1, 3);
    connect(back, &QPushButton::clicked, this, [this] {
        if (tag_ == 1) pressKey(Qt::Key_Backspace);
    });
    auto* esc = key(this, QStringLiteral("Button12"), QStringLiteral("Esc"));
    grid->addWidget(esc, 2, 3, 2, 1);
    esc->setMinimumHeight(100);
    connect(esc, &QPushButton::clicked, this, &TfmNumKeyboard::Button12Click);
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
