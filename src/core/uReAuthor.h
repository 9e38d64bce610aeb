#pragma once
// "Смена пользователя": another user takes over the open main screen by
// choosing a name and typing the password. Success writes the user into
// the main screen, releases the workplace lock, applies the user's rights
// and closes with Accepted; a refusal shows its message and keeps
// everything as it was. "ОТМЕНА" closes without change.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace fb {
class Connection;
}

namespace core {

class MainScreenPort;

class TfmReAuthor : public QDialog {
    Q_OBJECT
public:
    explicit TfmReAuthor(fb::Connection& db, MainScreenPort& screen, QWidget* parent = nullptr);
    ~TfmReAuthor() override;

public slots:
    // Fills the user list and clears the password (run on every show).
    void FormShow();
    // The change of cashier; the main screen's Enter key runs it too.
    void btnOKClick();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    fb::Connection& db_;
    MainScreenPort& screen_;

    QComboBox* cmbLogin;
    QLineEdit* edPassword;
    QPushButton* btnOK;
    QPushButton* Button2;
};

extern TfmReAuthor* fmReAuthor;

}  // namespace core
