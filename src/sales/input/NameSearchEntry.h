#pragma once
// The goods search by name serving the receipt: a goods item chosen there
// is checked against the receipt's payment method and buyer, asked for its
// unit when the card has none, and then added as item entry adds goods.
#include "catalogue/uGoodNameFind.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QWidget;
class TfmReg;

namespace sales {

class ItemEntry;
class ItemEntryController;
struct FoundGoods;

// The unit chosen for goods whose card names none.
struct ChosenUnit {
    int code = 0;  // GOOD_EDIZM_FFD
    QString text;  // GOOD_EDIZM
};
// Asks the unit of a goods item (and writes it to the card when the cashier
// asks for that); none when the cashier cancelled.
using UnitQuestion =
    std::function<std::optional<ChosenUnit>(QWidget* parent, std::int64_t goodsId, const QString& goodsName)>;
// The question the main screen's search uses (set by the window that asks).
void setChosenGoodsUnitQuestion(UnitQuestion question);
const UnitQuestion& chosenGoodsUnitQuestion();

// The goods item as item entry takes it.
FoundGoods foundGoodsFromSearch(const catalogue::NameFoundGoods& goods);

// Adds a goods item chosen in the search to the receipt of `entry`;
// messages go over `window`. Returns the row that got the goods, 0 when
// none did (refused, cancelled, or handed to the marking scan).
int addGoodsFoundByName(ItemEntry& entry, const catalogue::NameFoundGoods& goods, QWidget* window,
                        const UnitQuestion& askUnit);

// The main screen's search (its button, menu item and Ctrl+F) adds to the
// receipt through `entry`; the stock editor's Add opens the search in
// document mode. Both search the program's database.
void installNameSearch(TfmReg& reg, ItemEntryController* entry);

}  // namespace sales
