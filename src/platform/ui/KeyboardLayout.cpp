#include "platform/ui/KeyboardLayout.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLocale>
#include <QTimer>

namespace ui {

namespace {

constexpr quint32 kBracketRightScanCode = 35;

std::function<int()>& layoutProvider() {
    static std::function<int()> provider;
    return provider;
}

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

QChar KeyboardLayout::usCharForScanCode(quint32 scanCode, bool shift, QChar typed) {
    struct KeyChars {
        char plain;
        char shifted;
    };
    // xkb key codes 10 .. 61: the main block of a US keyboard.
    static constexpr KeyChars kMainBlock[] = {
        {'1', '!'}, {'2', '@'}, {'3', '#'}, {'4', '$'}, {'5', '%'}, {'6', '^'}, {'7', '&'}, {'8', '*'},  // 10-17
        {'9', '('}, {'0', ')'}, {'-', '_'}, {'=', '+'}, {0, 0},     {0, 0},                              // 18-23
        {'q', 'Q'}, {'w', 'W'}, {'e', 'E'}, {'r', 'R'}, {'t', 'T'}, {'y', 'Y'}, {'u', 'U'}, {'i', 'I'},  // 24-31
        {'o', 'O'}, {'p', 'P'}, {'[', '{'}, {']', '}'}, {0, 0},     {0, 0},                              // 32-37
        {'a', 'A'}, {'s', 'S'}, {'d', 'D'}, {'f', 'F'}, {'g', 'G'}, {'h', 'H'}, {'j', 'J'}, {'k', 'K'},  // 38-45
        {'l', 'L'}, {';', ':'}, {'\'', '"'}, {'`', '~'}, {0, 0},    {'\\', '|'},                       // 46-51
        {'z', 'Z'}, {'x', 'X'}, {'c', 'C'}, {'v', 'V'}, {'b', 'B'}, {'n', 'N'}, {'m', 'M'},              // 52-58
        {',', '<'}, {'.', '>'}, {'/', '?'},                                                              // 59-61
    };
    constexpr quint32 kFirst = 10;
    constexpr quint32 kCount = sizeof(kMainBlock) / sizeof(kMainBlock[0]);
    switch (scanCode) {
    case 63: return QLatin1Char('*');  // numeric pad
    case 82: return QLatin1Char('-');
    case 86: return QLatin1Char('+');
    case 106: return QLatin1Char('/');
    case 65: return QLatin1Char(' ');
    default: break;
    }
    if (scanCode < kFirst || scanCode >= kFirst + kCount) return QChar();
    const KeyChars k = kMainBlock[scanCode - kFirst];
    if (k.plain == 0) return QChar();
    if (k.plain >= 'a' && k.plain <= 'z') {
        const bool upper = typed.isLetter() ? typed.isUpper() : shift;
        return QLatin1Char(upper ? k.shifted : k.plain);
    }
    return QLatin1Char(shift ? k.shifted : k.plain);
}

int KeyboardLayout::currentLayoutId() {
    if (layoutProvider()) return layoutProvider()();
    const QInputMethod* im = QGuiApplication::inputMethod();
    const QLocale locale = im ? im->locale() : QLocale();
    switch (locale.language()) {
    case QLocale::Russian: return LayoutRussian;
    case QLocale::English:
    case QLocale::C: return LayoutEnglish;
    default: return LayoutOther;
    }
}

bool KeyboardLayout::hasLayoutProvider() {
    return static_cast<bool>(layoutProvider());
}

void KeyboardLayout::setLayoutProvider(std::function<int()> provider) {
    layoutProvider() = std::move(provider);
}

bool KeyboardLayout::isGroupSeparatorKey(const QKeyEvent& event) {
    if (event.text() == QString(QChar(29))) return true;
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods != Qt::ControlModifier) return false;
    if (event.key() == Qt::Key_BracketRight || event.nativeScanCode() == kBracketRightScanCode) return true;
    // The Russian layout puts "ъ" on that key.
    return event.key() == 0x42A || event.key() == 0x44A;
}

QChar KeyboardLayout::latinFor(const QKeyEvent& event, QChar typed, int layoutId,
                               const RussianToLatin& russianToLatin) {
    if (isControl(typed)) return typed;
    if (event.nativeScanCode() != 0 && event.text().size() == 1 && !(event.modifiers() & Qt::KeypadModifier)) {
        const QChar us = usCharForScanCode(event.nativeScanCode(), event.modifiers() & Qt::ShiftModifier, typed);
        if (!us.isNull()) return us;
    }
    return latinFor(typed, layoutId, russianToLatin);
}

QChar KeyboardLayout::latinFor(QChar typed, int layoutId, const RussianToLatin& russianToLatin) {
    if (isControl(typed)) return typed;
    switch (layoutId) {
    case LayoutEnglish: return typed;
    case LayoutRussian: return russianToLatin ? russianToLatin(typed) : QChar();
    default: return QChar();
    }
}

void KeyDrain::drain(int ms) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    KeyDrain filter;
    app->installEventFilter(&filter);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::processEvents();
    app->removeEventFilter(&filter);
}

bool KeyDrain::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: return true;
    default: return false;
    }
}

}  // namespace ui
