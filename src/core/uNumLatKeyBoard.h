#pragma once
// The on-screen keypad of digits and capital Latin letters for the login
// window's password. Keys append to the password field, "clear" empties
// it, backspace removes the last character, and OK presses the login
// button, so the normal password login runs. The login window gives the
// field and the button (and itself, for placing the keypad below its
// middle); the keypad is freed when it closes.
#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>

namespace core {

class TfmNumLatKeyBoard : public QDialog {
    Q_OBJECT
public:
    explicit TfmNumLatKeyBoard(QLineEdit* password, QAbstractButton* okButton, QWidget* loginWindow = nullptr);
    ~TfmNumLatKeyBoard() override;

    void setPasswordEdit(QLineEdit* password);
    void setOkButton(QAbstractButton* okButton);

    // The keys' characters in button order (Button1..Button36).
    static QString keyCharacters();

public slots:
    void BitBtn1Click();   // clear
    void BitBtn2Click();   // delete the last character
    void Button37Click();  // OK

private:
    void typeCharacter(QChar c);
    void placeBelowMiddleOf(QWidget* loginWindow);

    QPointer<QLineEdit> password_;
    QPointer<QAbstractButton> ok_;
};

extern TfmNumLatKeyBoard* fmNumLatKeyBoard;

}  // namespace core
