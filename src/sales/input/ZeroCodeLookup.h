#pragma once
// A code of zeros only ("00000"): with its leading zeros removed nothing is
// left, so it names the goods whose barcode is zeros only, and when there
// are none, every goods item with a barcode (each barcode, without its
// leading zeros, starts with the empty code) for the cashier to choose from.
// The look-ups by barcode never match an empty code, so this one reads it.
#include "sales/input/GoodsLookup.h"

#include <vector>

namespace fb {
class Connection;
}

namespace sales {

// True for a code made of "0" only.
bool isZeroCode(const QString& code);

// The goods a code of zeros names, ordered by name, one entry per goods item.
std::vector<FoundGoods> goodsForZeroCode(fb::Connection& db);

}  // namespace sales
