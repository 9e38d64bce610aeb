#pragma once
// The main cashier screen's keyboard: the barcode scanner types into it like
// a keyboard, and the cashier types prices, quantities and codes.
//
// Every character goes into two hidden copies (lblVvodBegin as typed,
// lblVvodBeginEng as the same keys would type in the Latin layout, so a code
// scanned while the Russian layout is active is still read in Latin) and
// edits the visible input line lblVvod (digits, one point, the quantity
// mark " x"). Timer2 (100 ms) is restarted by every character; while it runs
// its Tag is 1 and the key router takes an Enter as the end of a scan. When
// it fires, the characters were typed by hand and the copies are dropped.
#include <QChar>
#include <QObject>
#include <QString>

#include <functional>

class QKeyEvent;
class QPushButton;
class TfmReg;

namespace sales {

// Language identifiers of keyboard layouts.
enum KeyboardLayoutId : int {
    LayoutOther = 0,
    LayoutEnglish = 1033,
    LayoutRussian = 1049,
};

// ---- The visible input line ------------------------------------------------

// The quantity mark the line shows between a price and its quantity.
inline const QString kQuantityMark = QStringLiteral("x");
// GS (0x1D): the group separator of GS1 marking codes, typed by scanners as
// Ctrl+]. It is kept in both copies as it is.
inline constexpr QChar kGroupSeparator{char16_t(0x1D)};
// The xkb key code of the US "]" key.
inline constexpr quint32 kBracketRightScanCode = 35;

struct InputKeyEffect {
    QString line;               // the line after the key
    bool keepsPending = true;   // false: the key ends pending scan input (Timer2 stops, Tag 0)
    bool openQuantity = false;  // "*" on an empty line with an active row: change its quantity
};

// One typed character applied to the visible line:
//  "," and "." put the decimal point (once; "" and "0" become "0.");
//  "0" is added to a line other than "" and "0" ("" becomes "0");
//  "1".."9" replace a line of "0" and are appended otherwise;
//  digits stop at two decimals;
//  "*" ends pending input; on an empty line with an active row it asks for
//  the quantity dialog, a line holding a number other than 0 gets " x";
//  after the mark the same rules edit the quantity part with up to three
//  decimals, and every key ends pending input;
//  any other character leaves the line as it is.
// `scanning`: the key arrived inside a scanner burst (characters are
// pending). There "*" still marks the quantity on the line, so a price and
// quantity typed at that speed are read as such, but it opens no quantity
// window and ends nothing: marking codes carry "*" among their characters
// and must still reach the barcode handler whole.
InputKeyEffect applyInputKey(const QString& line, QChar key, bool currentRowActive, bool scanning = false);
// Backspace: the last character goes; a blank left before the mark goes too.
QString inputLineBackspace(const QString& line);
// Delete: the line cut back to the price before the quantity mark; empty
// when there is no mark.
QString inputLineDelete(const QString& line);

// ---- Layouts --------------------------------------------------------------

// The character the same key types in the US layout: GS unchanged in any
// layout; any other character unchanged in the English layout, by the
// Russian-to-Latin key table in the Russian layout, nothing (a null QChar)
// in any other layout or for a key not on the table.
QChar latinCharFor(QChar typed, int layout);
// The character a physical key types in the US layout, by its X11/xkb key
// code (the evdev code + 8, as QKeyEvent::nativeScanCode gives it on Linux
// desktops). Letters take their case from `typed` (Caps Lock), other keys
// from `shift`. A null QChar for 0 or a key not on the table.
QChar latinCharForScanCode(quint32 scanCode, bool shift, QChar typed);
// What a typed character tells of the active layout: a Cyrillic letter can
// only come from the Russian layout, a Latin letter from a Latin one; digits
// and punctuation tell nothing and keep `previous`.
int layoutFromCharacter(QChar typed, int previous);
// The layout the desktop reports for the keyboard (its input locale).
int systemKeyboardLayout();

// Ctrl shortcuts compare keys, not characters, so they work in both layouts:
// a Cyrillic letter key is taken as the Latin letter on the same key.
int latinShortcutKey(int key);

// ---- The screen's key handling -------------------------------------------

class ScanInput : public QObject {
    Q_OBJECT
public:
    // `onScan` runs the barcode handler for a scan the key router ended
    // (it reads the Latin copy of the input).
    ScanInput(TfmReg& screen, std::function<void()> onScan, QObject* parent = nullptr);
    ~ScanInput() override;

    TfmReg& screen() { return *screen_; }

    // A key that reached the main screen (the key router hands them over
    // after its own table). True when the key was used up here.
    bool keyPress(QKeyEvent* event);

    // The handlers by their screen names.
    // `latin`: the character of the same key in the US layout when the key
    // event told the physical key; otherwise it follows from the layout.
    void FormKeyPress(QChar key, QChar latin = QChar());
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Timer2Timer();

    // Characters are pending: Timer2 runs and its Tag is 1.
    bool scanPending() const;
    // The key router's Enter during pending input: Timer2 stops, its Tag
    // becomes 0 and the barcode handler takes the Latin copy.
    void takeScan();

    // The current layout identifier, refreshed on every key.
    int layout() const { return layout_; }
    // Replaces how the layout is found (tests, or a desktop that reports it).
    void setLayoutProvider(std::function<int()> provider) { layoutProvider_ = std::move(provider); }

private:
    void refreshLayout(QChar typed);
    void endPending(bool clearCopies);
    void click(QPushButton* button, bool focusFirst);
    bool currentRowActive() const;
    bool closeKeypad();

    TfmReg* screen_;  // the screen owns this input
    std::function<void()> onScan_;
    std::function<int()> layoutProvider_;
    int layout_ = LayoutEnglish;
};

}  // namespace sales
