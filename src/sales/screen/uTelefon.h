#pragma once
// "Отправить чек покупателю на:": the e-mail address or the phone number the
// register sends the electronic receipt to. OK puts the address into the
// main screen's edTelefon (Tag 1 e-mail, 2 phone), or removes it when the
// chosen field is empty; a malformed address keeps the window open.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class TfmReg;

class TfmTelefon : public QDialog {
    Q_OBJECT
public:
    // `ourEmail` is the shop's own address ("[Email]"); `kind` 2 starts in
    // the phone field, anything else in the e-mail field.
    TfmTelefon(TfmReg& reg, const QString& ourEmail, int kind, QWidget* parent = nullptr);
    ~TfmTelefon() override;

    QRadioButton* RadioButton1;  // "e-mail :"
    QRadioButton* RadioButton2;  // "телефон :"
    QLineEdit* edMail;
    QLabel* Label1;  // "+7"
    QLineEdit* edTlf;
    QPushButton* btnOK;
    QPushButton* btnClose;
    QStatusBar* StatusBar1;
    QLabel* lblOurEmail;  // the status bar's text

public slots:
    void btnOKClick();

private:
    void updateActions();

    TfmReg& reg_;
};

// The window while it exists.
extern TfmTelefon* fmTelefon;
