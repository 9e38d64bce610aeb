#pragma once
// The rules behind the main cashier screen's mode labels and switches, kept
// apart from the window so they can be checked without one: the receipt
// kind, the tax system label, the payment-method flag, which discount
// buttons may be used, what the menus offer when they open, the clock and
// the proportional layout.
#include <QDateTime>
#include <QJsonObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace sales {

// ---- Receipt kind -----------------------------------------------------------

enum ReceiptKind : int {
    KindUnknown = 0,
    KindSale = 1,            // "ПРИХОД"
    KindSaleReturn = 2,      // "ВОЗВРАТ ПРИХОДА"
    KindPurchase = 3,        // "РАСХОД"
    KindPurchaseReturn = 4,  // "ВОЗВРАТ РАСХОДА"
};

// "ПРИХОД", "ВОЗВРАТ ПРИХОДА", "РАСХОД", "ВОЗВРАТ РАСХОДА"; empty for others.
QString receiptKindCaption(int kind);
// The kind of a caption compared in upper case; 0 when it names none.
int receiptKindFromCaption(const QString& caption);
// The fiscal sign of the refunded receipt is asked only for a sale return.
bool fiscalSignFieldVisible(int kind);
// A choice dialog answers 20 + kind; the kind it chose, or 0.
int receiptKindFromChoice(int modalResult);

// ---- Discount buttons -------------------------------------------------------

struct DiscountButtons {
    bool position = false;  // btnPosDiscount
    bool receipt = false;   // btnCheckDiscount
    bool operator==(const DiscountButtons&) const = default;
};

// The one rule for both discount buttons, used whenever the workplace is
// locked or unlocked and whenever the receipt kind changes: only a sale may
// be discounted, nothing while the workplace is locked, and a position
// discount not while a discount on the whole receipt is set.
DiscountButtons discountButtons(int kind, bool receiptDiscountSet, bool locked);

// ---- Tax system -------------------------------------------------------------

struct TaxSystemLabel {
    QString text;
    int tag = 0;       // the code, 0 when none is set
    bool valid = false;  // green when valid, red otherwise
};

// 1 "ОСН (общая)", 2 "УСН (доход)", 4 "УСН (доход-расход)", 8 "ЕНВД",
// 16 "ЕСХН", 32 "Патент"; any other code "не указана" with tag 0.
TaxSystemLabel taxSystemLabel(int code);

// ---- Payment-method flag (fiscal tag 1214) ----------------------------------

struct PaymentFlagView {
    QString text;     // lblPSR
    bool visible = false;
    QString hint;
    // Checks of M_FullPay, M_PrePayFull, M_PrePayPart, M_Advance.
    std::array<bool, 4> checks{};
};

// 1 prepayment 100 %, 2 partial prepayment, 3 advance, 4 full payment;
// nullopt for any other flag (nothing changes).
std::optional<PaymentFlagView> paymentFlagView(int flag);

// ---- Menus as they open -----------------------------------------------------

// "Сервис": by the administrator flag of the cashier label (lblINN Tag).
struct ServiceMenuState {
    bool options = false;    // MOptions
    bool priceTags = false;  // MPriceTagPrint
};
// 0: both off; 1: settings on, price tags only with the database connected;
// any other flag leaves them as they are.
std::optional<ServiceMenuState> serviceMenuState(int adminFlag, bool databaseConnected);

// "База данных": the built-in administrator may only maintain users.
struct DataBaseMenuState {
    bool allItems = false;   // every item of MDataBase
    bool usersItem = false;  // MUsersDB
    std::optional<bool> priceTags;  // MPriceTagPrint; unset: left alone
};
DataBaseMenuState dataBaseMenuState(const QString& userLabel, bool databaseConnected);

// Grid popup: which receipt commands a row offers.
struct GridPopupState {
    bool discountPosVisible = false;    // PMDiscountPos
    bool discountCheckVisible = false;  // PMDiscountCheck
    bool changePriceVisible = true;     // PMChangePrice
    bool changeNameEnabled = false;     // PMChangeName
};
GridPopupState gridPopupState(int kind, bool receiptDiscountSet, int rowMarkType, bool rowHasGoodsId);

// ---- JSON register channel, polled while the screen is idle ----------------

// "result" of a reply as an integer: a number or numeric text; -1 when it is
// missing or not a number.
int jsonReplyResult(const QJsonObject& reply);

struct JsonIdleOutcome {
    enum Kind {
        NoAnswer,     // -1: "Ошибка -1" is shown, the session is kept
        SessionFine,  // 0: nothing more
        SessionLost,  // any other code: the session ends
    };
    Kind kind = NoAnswer;
    QString registerStatus;  // for lblKKT when the session is lost
};
JsonIdleOutcome jsonIdleOutcome(const QJsonObject& reply);

// ---- Clock ------------------------------------------------------------------

// "dd.mm.yyyy   hh:nn:ss" with the full year.
QString clockText(const QDateTime& at);

// ---- Layout -----------------------------------------------------------------

// The screen is designed for 800 by 600; every size and offset is scaled by
// these factors, each rounded half up to 0.001.
inline constexpr int kDesignWidth = 800;
inline constexpr int kDesignHeight = 600;

struct LayoutFactors {
    int kxThousandths = 1000;
    int kyThousandths = 1000;
    double kx() const { return kxThousandths / 1000.0; }
    double ky() const { return kyThousandths / 1000.0; }
};
LayoutFactors layoutFactors(QSize clientSize);
// Horizontal values by kx, vertical by ky, rounded to whole pixels.
QRect scaleDesignRect(const QRect& design, const LayoutFactors& f);
// Font sizes follow the smaller factor, so that a text that fits its
// control at the design size fits it at any size; never below 6 points.
inline constexpr int kMinFontPoints = 6;
int scaleFontPoints(int designPoints, const LayoutFactors& f);
// The largest size from `wantedPoints` down to kMinFontPoints at which a
// text `textWidthAt(points)` wide fits `availableWidth`: a total or a kind
// caption shrinks to fit and never loses a digit or a letter. Below the
// minimum the minimum is returned.
int fittingFontPoints(int wantedPoints, int availableWidth, const std::function<int(int points)>& textWidthAt);

}  // namespace sales
