#pragma once
// Goods lots (PORTIONS) chosen for the receipt's positions of foreign
// origin, and customs declaration numbers typed for a position.
//
// Quantities are compared in thousandths as integers, so a split such as
// 0.1 + 0.2 of 0.300 kg is exact.
#include "sales/receipt/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TfmReg;

namespace fb {
class Connection;
}

namespace sales {

class ReceiptModel;

namespace portionsText {
inline const QString kNoData = QStringLiteral("нет данных");
inline const QString kTotalCaption = QStringLiteral(" Доступное количество, всего:");
inline const QString kNoLots = QStringLiteral("Нет доступных партий с указанным номером тамож. декларации!");
inline const QString kBadNumber = QStringLiteral("Некорректный формат данных.     ");
inline const QString kAboveRemainder = QStringLiteral("Введенное количество больше доступного!    ");
inline const QString kWholeOnly =
    QStringLiteral("Для штучного товара вводимое количество     \n\rдолжно быть ЦЕЛЫМ числом. ");
inline const QString kSumMismatch = QStringLiteral(
    "Количество, указанное для товара в чеке, не совпадает     \n\r"
    " с общим количеством, указанном Вами для списания партий.    ");
inline const QString kDeclarationTooLong =
    QStringLiteral("Номер тамож.декларации не может быть длиннее 32 символов.    ");
}  // namespace portionsText

inline constexpr int kDeclarationMaxLength = 32;

// The goods a lot window is opened for.
struct PortionGoods {
    QString name;
    QString country;
    bool weighed = false;  // GOOD_W upper-cased is "ДА"
};

// One confirmed lot with something left in it.
struct PortionLot {
    std::int64_t recordId = 0;
    QString documentText;  // " № " + DOC_NUMBER + " от " + P_DATE
    QString declaration;
    Qty remainder;
};

// P_GOOD_COUNT less P_GOOD_COUNT_OFFS; an empty or unreadable text counts 0.
Qty lotRemainder(const QString& countText, const QString& offsText);
// A typed quantity: trimmed, "," read as ".", empty as 0; nullopt when it is
// no number or below zero.
std::optional<Qty> parsePortionQty(const QString& text);

// A row of the lot window as OK reads it.
struct PortionRow {
    bool chosen = false;
    QString quantityText;
    Qty remainder;
    std::int64_t recordId = 0;
};
// Empty when the chosen rows may be stored for a position of `positionQty`,
// otherwise the message to show.
QString portionChoiceProblem(const QList<PortionRow>& rows, Qty positionQty, bool weighed);
// The text a chosen quantity is kept as: "2" for piece goods, "0.300" weighed.
QString portionQtyText(Qty q, bool weighed);

// The goods' earlier entries replaced by `entries` (goods ID, record ID,
// quantity each); other goods keep theirs in order.
void replacePortionChoices(QList<QStringList>& choices, const QString& goodsId, const QList<QStringList>& entries);
// The quantity chosen earlier from one lot of the goods; nullopt when none.
std::optional<QString> chosenPortionQty(const QList<QStringList>& choices, const QString& goodsId,
                                        std::int64_t recordId);
// The choices held to what the receipt's active positions sell of each
// goods: a position removed or made smaller since takes its lots' surplus
// with it. Quantities come back as stored texts ("2.000").
QList<QStringList> portionChoicesWithinReceipt(const QList<QStringList>& choices, const ReceiptModel& receipt);

// Whether "Доступные партии" is offered for a receipt row.
struct PortionsOfferState {
    int kind = 0;  // receipt kind; batches only for a sale (1)
    bool buyerChecked = false;
    bool rowActive = false;
    std::int64_t goodsId = 0;
    bool isGood = false;  // GOOD_ISGOOD = 1
    QString countryText;  // empty read as 0
    int paymentFlag = 4;
    bool contextMenu = false;  // the grid's popup also wants full payment
};
bool portionsOffered(const PortionsOfferState& s);

// Empty when the trimmed number fits column 11.
QString declarationProblem(const QString& text);

// The database side of the lot window; identifiers are bound.
class PortionsRepository {
public:
    explicit PortionsRepository(fb::Connection& db) : db_(db) {}

    // What the lot window shows, read in one transaction: the goods (nullopt
    // when unknown, and then no lots) and its lots.
    struct Offer {
        std::optional<PortionGoods> goods;
        std::vector<PortionLot> lots;
    };
    Offer load(std::int64_t goodsId);

    std::optional<PortionGoods> goods(std::int64_t goodsId);
    // Confirmed lots with a remainder, oldest first.
    std::vector<PortionLot> lots(std::int64_t goodsId);
    // GOOD_ISGOOD is 1; false for unknown goods.
    bool isGood(std::int64_t goodsId);

private:
    fb::Connection& db_;
};

// ---- The main screen's side ------------------------------------------------

using DatabaseSource = std::function<fb::Connection*()>;

// Shows or hides the batches item of the "Документ" menu (with its
// separator), or PM15 and PMAvailablePortions of the grid popup, for the
// current row; the item's Tag carries the goods ID when offered.
void offerPortionsItem(TfmReg& reg, fb::Connection* db, bool contextMenu);
// The lot window for the current row and the goods ID the item carries.
void openAvailablePortions(TfmReg& reg, fb::Connection& db, const QString& itemName);
// The declaration window for the current row.
void openDeclareNumber(TfmReg& reg);

// Attaches the batches items, their offering as the menus open, and the
// declaration column's double click.
void installPortionCommands(TfmReg& reg, DatabaseSource database);

}  // namespace sales
