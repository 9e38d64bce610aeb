#pragma once
// The rules of the goods search by name, apart from its window: the list
// query with its bound values, the per-mode layout, and the checks a goods
// item passes before it goes into a receipt.
#include "core/GroupTree.h"
#include "platform/db/Value.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace catalogue {

// Who opened the search and takes the chosen goods.
enum GoodNameFindMode { FindForReceipt = 1, FindForPriceTags = 2, FindForStockDocument = 3 };

// The escape character of the "contains" filter.
inline constexpr char16_t kLikeEscape = u'\u00A4';  // "¤"

struct GoodNameFindQuery {
    QString sql;
    std::vector<fb::Value> params;
};

// The goods list: goods items (not groups) of the whole base or of group
// `groupId`, narrowed by the filter text (trimmed and upper-cased; empty:
// no name condition) either as the start of the name or anywhere in it.
// The text is always a bound value, never part of the statement.
GoodNameFindQuery BuildGoodsListQuery(const QString& filterText, bool startsWith, bool wholeBase, std::int64_t groupId);

// The group tree of the search: each group is visited once, so a group that
// is its own parent or a loop of groups still gives a finite tree.
QList<core::GroupNode> BuildGroupTree(const QList<core::GroupRow>& rows);

// A measure-of-quantity code the register accepts (GOOD_EDIZM_FFD).
bool IsFfdUnitCode(int code);
bool IsFfdUnitCode(std::optional<int> code);

// The mark type a goods item is sold under for the receipt's payment
// method: prepayment, partial prepayment and advance (1..3) sell it as
// unmarked (no code asked), full payment (4) as it is; nullopt for a payment
// method the program does not know.
std::optional<int> EffectiveMarkType(int paymentFlag, int markType);

// Goods from abroad (a country code other than empty, 0 and 643) cannot be
// sold with full payment to a buyer named on the receipt.
bool ForeignGoodsToBuyerRefused(int paymentFlag, bool buyerGiven, const QString& countryCode);

// What the receipt does with a goods item chosen in the search.
struct ReceiptAddCheck {
    enum Outcome { Refuse, AskUnit, Add } outcome = Add;
    QString message;          // for Refuse
    bool clearInput = false;  // the main screen's input line is emptied first
    int markType = 0;         // for AskUnit and Add
};
// The checks in their order: foreign goods to a buyer, the unit (missing:
// asked; a code the register does not know: refused), the payment method.
ReceiptAddCheck CheckReceiptAdd(int paymentFlag, bool buyerGiven, const QString& countryCode,
                                std::optional<int> unitCode, int markType, const QString& name);

// Column indexes of the list.
enum GoodNameFindColumn { ColId, ColName, ColPrice, ColWeighed, ColUnit, ColCountry, ColStock, ColCount };

struct GoodsSearchLayoutSpec {
    bool hidden[ColCount] = {};
    int width[ColCount] = {};  // 0: left as it is
    QString stockTitle;        // the stock column's caption
    bool countryBoxVisible = true;
    bool bigFont = false;  // ID and name in 12-point type
    int gridWidth = 0;
    int windowWidth = 0;
};
// The columns, the window and grid widths by mode; `countryShown` is the
// state of "показывать страну происхождения товара" (receipt mode only).
GoodsSearchLayoutSpec GoodsSearchLayout(int mode, bool countryShown);

// The ID column shows the ID followed by two blanks.
QString goodsIdCell(const QString& id);

// Messages.
QString foreignGoodsChosenText();
QString badUnitChosenText(const QString& name);
QString unknownPaymentFlagText();
QString priceTagAddFailedText();

}  // namespace catalogue
