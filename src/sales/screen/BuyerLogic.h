#pragma once
// The buyer of a receipt (an organisation or an individual entrepreneur,
// name and tax number) and the address the electronic receipt goes to.
//
// The rules take texts and return decisions; the screen side keeps every
// control of the buyer state in step through setBuyer / clearBuyer and
// setReceiptAddress, so a refused change leaves the state as it was.
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class TfmReg;

namespace sales {

class ReceiptModel;

namespace buyerText {
inline const QString kForeignGoodsOnButton = QStringLiteral(
    " Чек содержит товары, страной происхождения которых    \r\n"
    " НЕ является Российская Федерация.     \r\n\r\n"
    " Текущая версия программы не поддерживает продажу таких     \r\n"
    " товаров юрлицам/ИП (с указанием реквизита 'Покупатель')");
inline const QString kForeignGoodsOnOk = QStringLiteral(
    " Чек содержит товары, страной происхождения которых     \r\n"
    " НЕ является Российская Федерация.     \r\n\r\n"
    " Текущая версия программы не поддерживает продажу таких     \r\n"
    " товаров юрлицам/ИП (т.е. с указанием реквизита 'Покупатель').     ");
inline const QString kInnLength = QStringLiteral("Некорректный ИНН (длина).    ");
inline const QString kInnDigits = QStringLiteral("Некорректный ИНН.    ");
// The receipt record keeps at most 50 characters of the buyer's name.
inline const QString kNameTooLong = QStringLiteral(" Наименование покупателя не может быть длиннее 50 символов.    ");
inline const QString kBadEmail = QStringLiteral("Недопустимый формат e-mail     ");
inline const QString kBadPhone = QStringLiteral("Неверный формат номера телефона     ");
inline const QString kPhoneLengthQuestion = QStringLiteral(
    "Вы уверены, что правильно ввели номер телефона?   \r\n\r\n"
    "Если всё правильно, нажмите 'OK'\r\n"
    "Если требуется исправить, нажмите 'ОТМЕНА'");
inline const QString kOurEmailCaption = QStringLiteral(" Наш e-mail");
inline const QString kOurEmailMissing = QStringLiteral(" отсутствует");
}  // namespace buyerText

inline constexpr int kBuyerNameMaxLength = 50;

// Empty when the trimmed tax number is acceptable: empty, or 10 or 12 digits.
QString buyerInnProblem(const QString& inn);

// What the buyer window's OK does with the two fields.
struct BuyerDecision {
    enum Kind {
        Remove,  // empty name: the receipt has no buyer
        Refuse,  // `message` is shown, the window stays, nothing changes
        Set,     // `name` and `inn` (trimmed) become the receipt's buyer
    };
    Kind kind = Remove;
    QString message;
    QString name;
    QString inn;
};
// `foreignGoodsRefused`: a buyer may not be named for this receipt (full
// payment with goods of foreign origin).
BuyerDecision decideBuyer(const QString& nameText, const QString& innText, bool foreignGoodsRefused);

// Full payment and a position of foreign origin: no buyer may be named.
bool buyerRefusedForForeignGoods(int paymentFlag, const ReceiptModel& receipt);

// The electronic receipt's address; the kinds are edTelefon's Tag.
enum ReceiptAddressKind : int { AddressNone = 0, AddressEmail = 1, AddressPhone = 2 };

struct AddressDecision {
    enum Kind {
        Remove,   // empty: the receipt is not sent
        Invalid,  // `message` is shown, the window stays
        Confirm,  // a phone of unusual length: `address` once the cashier confirms
        Set,      // `address` is taken
    };
    Kind kind = Remove;
    QString address;
    QString message;
};
// Every blank removed; at least one character before the at sign.
AddressDecision decideEmail(const QString& text);
// Blanks and "-" removed; digits only; "+7" before them; ten digits expected.
AddressDecision decidePhone(const QString& text);

// The payment window's caption before the address; empty for none.
QString receiptAddressCaption(int kind);

// ---- The main screen's buyer state -----------------------------------------

// Name and number into the labels, laid out in one line and shown; chLE checked.
void setBuyer(TfmReg& reg, const QString& name, const QString& inn);
// No buyer: labels hidden and emptied, chLE unchecked, the chosen batches
// forgotten, the receipt recalculated.
void clearBuyer(TfmReg& reg);
// edTelefon and its Tag; kind AddressNone clears both.
void setReceiptAddress(TfmReg& reg, int kind, const QString& address);

// The partner picker in buyer mode: the chosen buyer's name and tax number.
struct PickedBuyer {
    QString name;
    QString inn;
};
using BuyerPicker = std::function<std::optional<PickedBuyer>(QWidget* parent)>;

// The buyer button: refused for foreign goods under full payment, otherwise
// the buyer window. True when the window was shown.
bool openBuyerData(TfmReg& reg, const BuyerPicker& picker);
// The address window over `parent`; `kind` chooses the field it starts in.
void openReceiptAddress(TfmReg& reg, QWidget* parent, int kind = AddressEmail);

// Attaches "btnLE", "chLE" and "btnTelefon" (and with it "MeMail").
void installBuyerCommands(TfmReg& reg, BuyerPicker picker);

}  // namespace sales
