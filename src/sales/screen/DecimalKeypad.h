#pragma once
// The decimal keypad shared by the quantity and discount windows: the digits,
// "00", ".", backspace, "С" (clear), "ВВОД" (BitBtn14) and "ОТМЕНА"
// (BitBtn15). A window inherits it to own the buttons under these names and
// says what each key does.
#include <QChar>
#include <QDialog>
#include <QPointer>
#include <QString>

class QKeyEvent;
class QPushButton;
class QWidget;

namespace sales {

class DecimalKeypad {
public:
    virtual ~DecimalKeypad() = default;

    // A digit or "."; "00"; Backspace; "С".
    virtual void typeKey(QChar key) = 0;
    virtual void typeDoubleZero() = 0;
    virtual void backspace() = 0;
    virtual void clearText() = 0;
    // "ВВОД" and "ОТМЕНА".
    virtual void BitBtn14Click() = 0;
    virtual void BitBtn15Click() = 0;

    QPushButton* BitBtn1 = nullptr;      // "1"
    QPushButton* BitBtn2 = nullptr;      // "2"
    QPushButton* BitBtn3 = nullptr;      // "3"
    QPushButton* BitBtn4 = nullptr;      // "4"
    QPushButton* BitBtn5 = nullptr;      // "5"
    QPushButton* BitBtn6 = nullptr;      // "6"
    QPushButton* BitBtn7 = nullptr;      // "7"
    QPushButton* BitBtn8 = nullptr;      // "8"
    QPushButton* BitBtn9 = nullptr;      // "9"
    QPushButton* BitBtn10 = nullptr;     // "0"
    QPushButton* BitBtn11 = nullptr;     // Backspace
    QPushButton* BitBtn12 = nullptr;     // "00"
    QPushButton* BitBtn13 = nullptr;     // "."
    QPushButton* BitBtn14 = nullptr;     // Enter: applies what was typed
    QPushButton* BitBtn15 = nullptr;     // "ОТМЕНА": closes without a change
    QPushButton* BitBtnReset = nullptr;  // "С": clears the field

protected:
    // Makes the buttons in `window` and lays the window out: `field` above
    // the keypad, "ОТМЕНА" below it.
    void buildDecimalKeypad(QWidget* window, QWidget* field);

    // A key typed on the keyboard: Backspace and Delete work as the keypad's
    // backspace and "С", a typed character goes to typeKey(), which refuses
    // what is not part of a number. With `printableOnly` a control character
    // is left to the window. True when the key was taken.
    bool takeKey(QKeyEvent* event, bool printableOnly);
    // Esc, Return and Enter: the keys that close the window or apply.
    static bool isWindowKey(const QKeyEvent* event);
};

// Shows the keypad window kept in `instance` modally with `caption` and
// `tag`, making it by `make` when there is none and hiding it first when it
// is visible. Returns the modal result (Rejected when the window went away).
template <class Window, class Make>
int runKeypadWindow(Window*& instance, Make make, int tag, const QString& caption) {
    if (!instance) make();
    QPointer<Window> window = instance;
    if (window->isVisible()) window->hide();
    window->setWindowTitle(caption);
    window->setTag(tag);
    const int result = window->exec();
    return window ? result : QDialog::Rejected;
}

}  // namespace sales
