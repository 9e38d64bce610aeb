#pragma once
// "Скидка": the on-screen keypad window in which the cashier sets a discount
// on the whole receipt (Tag 1) or on the current position (Tag 2), as a
// percent or as a sum in roubles, within the setting "[MaxDiscount]". It is
// made at start-up and kept for the whole run; the main screen's discount
// commands set its Tag and show it modally. It writes the result into the
// receipt's line attributes and recalculates the receipt.
//
// The kind in use is the Tag of GroupBox1: 1 percent, 2 sum, 3 round-to
// (whose controls are hidden, so nobody chooses it). Typed characters go to
// the field of the kind in use whichever control has the focus.
#include "sales/screen/DecimalKeypad.h"
#include "sales/screen/DiscountInputLogic.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TfmReg;

class TfmDiscountInput : public QDialog, public sales::DecimalKeypad {
    Q_OBJECT
public:
    explicit TfmDiscountInput(TfmReg& reg, QWidget* parent = nullptr);
    ~TfmDiscountInput() override;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // The kind in use (GroupBox1's Tag).
    int kind() const;
    // Makes `kind` the one in use: its field enabled, the other two greyed.
    void chooseKind(int kind);

    // A typed character, "00", Backspace and clear, on the field in use.
    void typeKey(QChar key) override;
    void typeDoubleZero() override;
    void backspace() override;
    void clearText() override;
    // The field of the kind in use (nullptr for none).
    QLineEdit* currentField() const;

    QGroupBox* GroupBox1;
    QRadioButton* RadioPercent;
    QRadioButton* RadioSumma;
    QRadioButton* RadioRoundTo;
    QLineEdit* MemoPercent;
    QLineEdit* MemoSumma;
    QLineEdit* MemoRoundTo;
    QLabel* lblPercentUnit;
    QLabel* lblSummaUnit;

public slots:
    // Applies the typed discount by the Tag; a refusal keeps the window open.
    void BitBtn14Click() override;
    void BitBtn15Click() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void clearFields();

    TfmReg& reg_;
    int tag_ = 0;
};

// The window made at start-up (nullptr before and after).
extern TfmDiscountInput* fmDiscountInput;

// Shows the window modally for `target` (1 receipt, 2 position) with
// `caption`, making it first when it does not exist. Returns the modal
// result (Accepted when the receipt was changed).
int runDiscountInput(TfmReg& reg, int target, const QString& caption);
