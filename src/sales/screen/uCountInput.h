#pragma once
// "Ввод количества": a small numeric entry window with an on-screen keypad.
// Its Tag, set before it is shown modally, says what the typed number is:
// 1 the quantity of the main screen's current receipt row, 2 that row's unit
// price, 3 cash put into the register's drawer. The window is made at
// start-up and kept for the whole run; hiding it clears the field and the Tag.
//
// Enter in the field, or the confirm button BitBtn14, applies the number; the
// key router may give BitBtn14 the focus so that the next Enter presses it.
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/DecimalKeypad.h"

#include <QDialog>

class QLineEdit;
class TfmReg;

class TfmCountInput : public QDialog, public sales::DecimalKeypad {
    Q_OBJECT
public:
    explicit TfmCountInput(TfmReg& reg, QWidget* parent = nullptr);
    ~TfmCountInput() override;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // A typed character as the keyboard gives it: "," is read as "."; only
    // digits and "." are taken, as the mode's decimals allow.
    void typeKey(QChar key) override;
    void typeDoubleZero() override;
    void backspace() override;
    void clearText() override;
    QString text() const;

    QLineEdit* Memo1;

public slots:
    // Applies the typed number by the Tag; a refusal keeps the window open.
    void BitBtn14Click() override;
    void BitBtn15Click() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Backspace, Delete, Enter and typed characters; true when taken.
    bool handleKey(QKeyEvent* event);
    void setText(const QString& text);
    void closeKeypad();
    void applyToRow(const sales::CountInputDecision& d);

    TfmReg& reg_;
    int tag_ = 0;
};

// The window made at start-up (nullptr before and after).
extern TfmCountInput* fmCountInput;

// Shows the window modally in `mode` with `caption`, making it first when it
// does not exist and hiding it first when it is visible. Returns the modal
// result (Accepted when the number was applied).
int runCountInput(TfmReg& reg, int mode, const QString& caption);
