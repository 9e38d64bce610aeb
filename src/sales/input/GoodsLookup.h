#pragma once
// The goods look-ups of item entry: by barcode (leading zeros ignored on
// both sides, then barcodes that start with the code), by the GTIN of a
// marking code, by the goods number inside a weight barcode, by goods code,
// the registered weight prefixes and the cashier card. Every statement is
// prepared once per connection and every scanned or typed value is a bound
// parameter. Each call reads in a read-only transaction of its own, which
// the engine starts and ends without writing to the database.
//
// The weight prefixes change only in the goods settings, so they are read
// once per session (prepare()) and again after weightPrefixesChanged(), not
// once per scanned EAN-13.
//
// Barcodes are matched through the index on the barcode without its leading
// zeros (IX_GOODS_BARCODE_STRIPPED): one probe finds every form a stored
// barcode can have ("123", "0123", ...), and "starts with" is a range of the
// same index.
#include "core/LoginLogic.h"
#include "sales/receipt/ReceiptModel.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace fb {
class Connection;
class Transaction;
}

namespace sales {

// The goods settings saved another list of weight prefixes: every look-up
// reads the list again before it classifies its next code.
void weightPrefixesChanged();

// One goods record as a look-up returns it.
struct FoundGoods {
    GoodRecord good;         // id, name, price, GOOD_W, type, country, mark type, measure, VAT
    QString barcode;         // GOOD_BARCODE that matched (empty for the look-up by code)
    QString unitName;        // GOOD_EDIZM
    bool fractionalAllow = false;  // weighed goods: sold by fractions
    int markType = 0;        // COALESCE(GOOD_MARKTYPE, 0)
    int packCount = 0;       // GOOD_PACKCOUNT, 0 when null
    std::optional<int> measure;  // GOOD_EDIZM_FFD; nullopt when null
};

class GoodsLookup {
public:
    // Longest stored barcode (GOODS_BARCODE.GOOD_BARCODE is VARCHAR(32)).
    static constexpr int kMaxBarcodeLength = 32;

    explicit GoodsLookup(fb::Connection& db);
    ~GoodsLookup();
    GoodsLookup(const GoodsLookup&) = delete;
    GoodsLookup& operator=(const GoodsLookup&) = delete;

    fb::Connection& connection() { return db_; }

    // Prepares every statement, reads the weight prefixes and walks the
    // indexes of a scan once, so that the first scan of a session pays for
    // none of it. Run when the main screen
    // opens for a session; later calls read the prefixes again.
    void prepare();

    // Goods whose barcode equals `code` once leading zeros are removed from
    // both; when there are none, goods whose barcode (without leading zeros)
    // starts with it. Ordered by name; one entry per goods item.
    std::vector<FoundGoods> byBarcode(const QString& code);
    std::vector<FoundGoods> byBarcodeExact(const QString& code);
    std::vector<FoundGoods> byBarcodePrefix(const QString& code);
    // Goods by the GTIN of a marking code (leading zeros ignored); with
    // `markedOnly` only goods with a mark type other than 0.
    std::vector<FoundGoods> byMarkingGtin(const QString& gtin, bool markedOnly);
    // Unmarked weighed goods whose short numeric barcode is `goodsNumber`.
    std::vector<FoundGoods> weighedByNumber(int goodsNumber);
    // Goods (not groups) with GOOD_ID `id`.
    std::vector<FoundGoods> byCode(std::int64_t id);
    // The barcodes of one goods item.
    QStringList barcodesOf(std::int64_t id);
    // BARCODE_WEIGHT_PREFIX read as numbers; rows that are no number are left
    // out. Read once and kept until prepare() or weightPrefixesChanged().
    QSet<int> weightPrefixes();
    // USERS row of a cashier card.
    std::optional<core::UserRow> cashierByCard(const QString& code);

private:
    struct Statements;
    Statements& st();
    std::vector<FoundGoods> byStripped(int which, const QString& stripped);
    std::vector<FoundGoods> byStripped(fb::Transaction& tr, int which, const QString& stripped);
    QSet<int> readWeightPrefixes();

    fb::Connection& db_;
    std::unique_ptr<Statements> st_;
    std::optional<QSet<int>> prefixes_;
    std::uint64_t prefixesGeneration_ = 0;
};

}  // namespace sales
