#pragma once
// The keyboard as scanners use it. A barcode scanner types its code as key
// presses, so what arrives depends on the keyboard layout the desktop has
// active: the same physical key gives "/" in the US layout and "." in the
// Russian one. Marking codes carry exactly such characters, so the program
// reads the physical key where the platform tells it (the X11 key code) and
// falls back to the active layout where it does not.
#include <QChar>
#include <QObject>

#include <functional>

class QKeyEvent;

namespace ui {

// Language identifiers of keyboard layouts, as the program has always
// named them.
enum KeyboardLayoutId : int {
    LayoutOther = 0,
    LayoutEnglish = 1033,
    LayoutRussian = 1049,
};

class KeyboardLayout {
public:
    // Maps a character typed in the Russian layout to the US character of
    // the same key; a null QChar when the key is not on its table.
    using RussianToLatin = std::function<QChar(QChar)>;

    // The character a physical key types in the US layout, by its X11/xkb
    // key code (evdev code + 8, as QKeyEvent::nativeScanCode gives it).
    // Letters take their case from `typed` (Caps Lock), other keys from
    // `shift`. A null QChar for 0 or a key not on the table.
    static QChar usCharForScanCode(quint32 scanCode, bool shift, QChar typed);

    // The active layout: the provider set by setLayoutProvider, else the
    // desktop's input locale (Russian 1049, English 1033, other 0).
    static int currentLayoutId();
    // Whether a provider is set; without one the desktop's input locale is
    // all there is, and under X11 it does not follow the keyboard group.
    static bool hasLayoutProvider();
    // Replaces how the layout is found; an empty function restores the
    // desktop's. Tests use it: the offscreen platform has no layouts.
    static void setLayoutProvider(std::function<int()> provider);

    // GS (29), as scanners send it: Ctrl+] on the physical "]" key whatever
    // the layout puts there, or the character itself.
    static bool isGroupSeparatorKey(const QKeyEvent& event);

    // The US-layout character for one character `typed` of a key event.
    // Control characters pass unchanged in every layout (a GS must never be
    // lost or turned into NUL). Then the physical key decides when the event
    // names one; otherwise the layout: English keeps the character, Russian
    // maps it with `russianToLatin`, any other gives a null QChar.
    static QChar latinFor(const QKeyEvent& event, QChar typed, int layoutId, const RussianToLatin& russianToLatin);
    // The same without an event (no physical key known).
    static QChar latinFor(QChar typed, int layoutId, const RussianToLatin& russianToLatin);
};

// Waits `ms` milliseconds while every key press and release still queued is
// swallowed, so the tail of a scan does not reach the next window.
class KeyDrain : public QObject {
public:
    static void drain(int ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyDrain() = default;
};

}  // namespace ui
