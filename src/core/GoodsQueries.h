#pragma once
// One-line look-ups in GOODS and the goods search by name.
#include "platform/db/Value.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace fb {
class Connection;
class Statement;
class Transaction;
}  // namespace fb

namespace core {

// The lists' order "by name, then by the price text padded with zeros" as
// one key, in the same order, so that one index (IX_GOODS_NAME_PRICE) serves
// it: the name padded with blanks as a comparison pads it, then the price
// at its fixed width. An absent price sorts before every price, as NULL
// does.
inline const QString kGoodsNamePriceKey =
    QStringLiteral("RPAD(COALESCE(GOOD_NAME, ''), 80) || COALESCE(LPAD(GOOD_PRICE, 12, '0'), '')");

// VAT code (GOOD_NALOG) of a goods item as an integer; 6 (no VAT) when the
// item does not exist or the code is not a whole number.
int GetGoodVat(fb::Transaction& tr, std::int64_t goodId);
int GetGoodVat(fb::Connection& db, std::int64_t goodId);

// Where an ID sits in the catalogue: -2 no such ID, -1 the ID is a group,
// otherwise the goods item's parent group (0 at the top level).
std::int64_t GetGoodParent(fb::Transaction& tr, std::int64_t goodId);
std::int64_t GetGoodParent(fb::Connection& db, std::int64_t goodId);

// A goods search by name: statement text and its bound parameters. The
// typed text never enters the SQL.
struct GoodsSearchSql {
    QString sql;
    std::vector<fb::Value> params;
    // Binds the parameters to a statement prepared from `sql`.
    void bindTo(fb::Statement& statement) const;
};

// Goods (not groups) ordered by name (PXW_CYRL):
//  empty text: every goods item, with GOOD_EDIZM_FFD and GOOD_EDIZM1 (the
//              unit name, empty when GOOD_EDIZM_FFD is no unit code);
//  mode 0:     names starting with the text, compared upper-cased;
//  mode 1 (and any other mode): names containing the text, upper-cased;
//              "%", "_" and "#" typed by the cashier are matched literally.
// Every form returns GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE,
// GOOD_EDIZM, GOOD_NALOG, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, COUNTRY_NAME.
GoodsSearchSql BuildGoodsSearchSql(const QString& text, int mode);

// Runs the search and returns every row.
std::vector<fb::Row> runGoodsSearch(fb::Transaction& tr, const QString& text, int mode);

}  // namespace core
