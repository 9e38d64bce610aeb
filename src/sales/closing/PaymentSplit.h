#pragma once
// The arithmetic of the payment window: the receipt total split into cash,
// card and prepayment, the cash the buyer hands over and the change. Every
// rule of the window lives here, over the texts its fields show, so the
// window only passes keys and clicks in and shows the texts back.
#include "sales/receipt/Money.h"

#include <QChar>
#include <QString>

#include <array>

namespace sales {

// The fields, numbered as the window keeps its active field (GroupBox1.Tag).
enum class PayField : int {
    None = 0,
    Cash = 1,    // Memo1 "наличными"
    Card = 2,    // Memo2 "безналичными"
    Given = 3,   // Memo3 cash handed over by the buyer
    Prepay = 4,  // memoPrePay "предоплатой"
};

// The chosen payment kinds as bits.
enum PayKindBit : int { PayBitCash = 1, PayBitCard = 2, PayBitPrepay = 4 };

// What the window hands over to the receipt window once the payment is
// accepted.
struct PaymentEntered {
    Money total;
    Money cash;
    Money card;
    Money prepay;
    Money given;           // cash handed over; 0 when not entered
    bool printOnRegister = true;  // "печатать чек"
    QString contactCaption;       // Label2: " Отправить чек на e-mail : " ...
    QString contact;              // Label3

    // Change is given only when the buyer handed over at least the cash sum.
    bool changeKnown() const { return !given.isZero() && given >= cash; }
    Money change() const { return changeKnown() ? given - cash : Money{}; }
};

class PaymentSplit {
public:
    static constexpr int kMaxLength = 10;  // characters of a typed sum
    static constexpr std::int64_t kMaxGivenKopecks = 999999990;  // 9 999 999.90

    // As the window is shown: every field empty, the default kind chosen
    // ("[PayTypeDefault]": 1 card, 2 prepayment, anything else cash) and its
    // field given the total, unless the total is zero.
    void start(Money total, int payTypeDefault);

    Money total() const { return total_; }
    QString text(PayField field) const;
    // The field's sum; 0 for an empty text or one that is no number.
    Money amount(PayField field) const;
    bool checked(PayField field) const;
    int kinds() const { return kinds_; }
    PayField active() const { return active_; }
    void setActive(PayField field) { active_ = field; }

    // ОК is enabled exactly when cash + card + prepayment equals the total
    // within 0.01 (and there is a total to pay).
    bool okEnabled() const;

    // One typed character, through the numeric key filter (10 characters, 2
    // decimals). Kept only when the field stays within its cap: cash and card
    // at most total - prepayment, prepayment at most the total, handed-over
    // cash shorter than 10 characters. Returns whether the key was taken.
    bool typeKey(PayField field, QChar key);
    // Keys one after another (the keypad's "00").
    bool typeKeys(PayField field, const QString& keys);
    // Removes the last character.
    void backspace(PayField field);
    // Empties the field.
    void clear(PayField field);
    // The field's text as a change of the field would bring it (a paste, a
    // test); the split rule of the field follows.
    void setText(PayField field, const QString& text);
    // A banknote panel: the amount goes to the active field, or to the
    // handed-over cash when none is active. Cash, card and prepayment stop at
    // the total, the handed-over cash at 9 999 999.90; a whole result is
    // shown without decimals.
    void addBanknote(int roubles);
    // A payment box clicked. Checking an empty field gives it what is still
    // unpaid; unchecking moves the field's sum to the empty checked
    // prepayment field, else to card (for cash), cash (for card), or card
    // when chosen else cash (for prepayment), checking that box.
    void setChecked(PayField field, bool on);

    struct OkCheck {
        enum class Outcome {
            Proceed,
            Stop,  // show `message`; the window stays open
            Ask,   // ask `message` Yes/No; only Yes proceeds
        };
        Outcome outcome = Outcome::Proceed;
        QString message;
    };
    // Steps of "ОК" after the register check: a checked box with an empty
    // field, parts that do not add up to the total, handed-over cash short
    // of the cash sum.
    OkCheck checkOk() const;

    PaymentEntered entered() const;

    // "12.50" for a sum; empty for a sum of zero within 0.01.
    static QString sumText(Money m);

private:
    QString& field(PayField f);
    const QString& field(PayField f) const;
    void setBit(PayField f, bool on);
    Money capOf(PayField f) const;
    void onChanged(PayField f);
    void onCashOrCardChanged(PayField changed, PayField other);
    void onPrepayChanged();

    Money total_;
    QString cash_, card_, prepay_, given_;
    int kinds_ = 0;
    PayField active_ = PayField::None;
};

}  // namespace sales
