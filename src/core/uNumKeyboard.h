#pragma once
// The numeric on-screen keypad of the main cashier screen. It types into a
// target widget (the main screen, set by whoever creates the keypad) by
// sending it key events, exactly as a keyboard would:
//  - the digit keys, "." and "*" are sent as typed characters (a key event
//    carrying text) whatever the Tag;
//  - "C" sends the Delete key and the backspace key sends Backspace (key
//    events without text, no modifier), only while the Tag is 1;
//  - keys typed on the physical keyboard while the keypad has the focus are
//    passed on unchanged (with their modifiers), only while the Tag is 1.
// The main screen sets the Tag to 1 when it shows the keypad; closing it
// ("Esc" or the window's close) only hides it and resets the Tag to 0.
#include <QPointer>
#include <QWidget>

class QKeyEvent;
class QPushButton;

namespace core {

class TfmNumKeyboard : public QWidget {
    Q_OBJECT
public:
    explicit TfmNumKeyboard(QWidget* parent = nullptr);
    ~TfmNumKeyboard() override;

    void setTarget(QWidget* target) { target_ = target; }
    QWidget* target() const { return target_; }

    // 1 while the keypad serves the main screen.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

public slots:
    void Button12Click();  // "Esc"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void typeCharacter(const QString& text);
    void pressKey(int key);
    void forward(QKeyEvent* event);

    QPointer<QWidget> target_;
    int tag_ = 0;
};

// Created at start-up and kept for the whole run.
extern TfmNumKeyboard* fmNumKeyboard;

}  // namespace core
