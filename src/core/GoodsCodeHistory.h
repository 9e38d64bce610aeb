#pragma once
// What still names a goods code after the fact: a stored receipt's line, a
// stock document's line, a lot, a working-list row, a position of the
// receipt on the main screen. A goods item that such history names is
// neither deleted, nor renumbered, nor turned into a group, and its code
// passes to no other item or group: the history would belong to it. The
// catalogue and the goods files ask here, so they never disagree.
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace fb {
class Statement;
class Transaction;
}  // namespace fb

namespace core {

enum class GoodsCodeUse { DocumentLines, StockLines, Lots, WorkingList, OpenReceipt };

// Why the code is kept, for the messages: "на него ссылаются строки
// сохранённых чеков", ...
QString goodsCodeUseReason(GoodsCodeUse use);

// An SQL condition, true when a stored row names the goods code `code` (a
// column or an expression over the statement's own rows, not a parameter).
// Each test is one probe of the index on the code.
QString goodsCodeNamedCondition(const QString& code);

// Whether the receipt on the main screen holds a code; unset: it holds none.
using OpenReceiptCodes = std::function<bool(std::int64_t goodId)>;

// Asks for one code after another within a transaction; the look-up is
// prepared once.
class GoodsCodeHistory {
public:
    explicit GoodsCodeHistory(fb::Transaction& tr, OpenReceiptCodes openReceipt = {});
    ~GoodsCodeHistory();
    GoodsCodeHistory(const GoodsCodeHistory&) = delete;
    GoodsCodeHistory& operator=(const GoodsCodeHistory&) = delete;

    // What names the code, the receipt in progress first; nullopt: nothing.
    std::optional<GoodsCodeUse> of(std::int64_t goodId);
    // The first code from `from` on that nothing names.
    std::int64_t firstFree(std::int64_t from);

    // The look-up's text: one row, a column per kind of stored row, each
    // NULL when no such row names the code; binds the code once per column.
    static QString lookupSql();

private:
    fb::Transaction& tr_;
    OpenReceiptCodes openReceipt_;
    std::unique_ptr<fb::Statement> lookup_;
};

}  // namespace core
