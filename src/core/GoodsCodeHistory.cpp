#include "GoodsCodeHistory.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace core {
namespace {

// The stored rows that name a goods code. `use` is what the row stands for;
// `kind`, read of the first such row (aliased H, joined by `join`), may tell
// more.
struct CodeHolder {
    const char* table;
    const char* column;
    GoodsCodeUse use;
    const char* join;
    const char* kind;
};

constexpr std::array<CodeHolder, 3> kHolders{{
    // A line of a stored document: the document's type tells a receipt from
    // a stock document (0 for a line whose document is gone).
    {"DOCUMENTS_DETAIL", "DD_GOOD_ID", GoodsCodeUse::DocumentLines, " LEFT JOIN DOCUMENTS D ON D.DOC_ID = H.DD_DOC_ID",
     "COALESCE(D.DOC_TYPE, 0)"},
    {"PORTIONS", "P_GOOD_ID", GoodsCodeUse::Lots, "", "1"},
    {"GOODS_TEMP", "G_ID", GoodsCodeUse::WorkingList, "", "1"},
}};

// Stock documents (arrival, write-off, ...) are of types 50 to 53.
bool isStockDocument(std::int64_t type) {
    return type >= 50 && type <= 53;
}

}  // namespace

QString goodsCodeUseReason(GoodsCodeUse use) {
    switch (use) {
        case GoodsCodeUse::DocumentLines:
            return QStringLiteral("на него ссылаются строки сохранённых чеков");
        case GoodsCodeUse::StockLines:
            return QStringLiteral("на него ссылаются строки товарных документов");
        case GoodsCodeUse::Lots:
            return QStringLiteral("на него ссылаются партии товара");
        case GoodsCodeUse::WorkingList:
            return QStringLiteral("он есть в рабочем списке (ценники или открытый документ)");
        case GoodsCodeUse::OpenReceipt:
            return QStringLiteral("он есть в текущем чеке");
    }
    return {};
}

QString goodsCodeNamedCondition(const QString& code) {
    QStringList tests;
    for (const CodeHolder& h : kHolders)
        tests << QStringLiteral("EXISTS (SELECT 1 FROM %1 H WHERE H.%2 = %3)")
                     .arg(QLatin1String(h.table), QLatin1String(h.column), code);
    return QLatin1Char('(') + tests.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QString GoodsCodeHistory::lookupSql() {
    QStringList columns;
    for (std::size_t i = 0; i < kHolders.size(); ++i) {
        const CodeHolder& h = kHolders[i];
        columns << QStringLiteral("(SELECT FIRST 1 %1 FROM %2 H%3 WHERE H.%4 = ?) AS U%5")
                       .arg(QLatin1String(h.kind), QLatin1String(h.table), QLatin1String(h.join),
                            QLatin1String(h.column))
                       .arg(i);
    }
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM RDB$DATABASE");
}

GoodsCodeHistory::GoodsCodeHistory(fb::Transaction& tr, OpenReceiptCodes openReceipt)
    : tr_(tr), openReceipt_(std::move(openReceipt)), lookup_(std::make_unique<fb::Statement>(tr, lookupSql())) {}

GoodsCodeHistory::~GoodsCodeHistory() = default;

std::optional<GoodsCodeUse> GoodsCodeHistory::of(std::int64_t goodId) {
    if (openReceipt_ && openReceipt_(goodId)) return GoodsCodeUse::OpenReceipt;
    std::vector<fb::Value> ids(kHolders.size(), fb::Value(goodId));
    lookup_->bindAll(ids);
    lookup_->execute(tr_);
    std::optional<GoodsCodeUse> use;
    if (lookup_->fetch()) {
        const fb::Row& r = lookup_->row();
        for (std::size_t i = 0; i < kHolders.size() && !use; ++i) {
            const auto kind = fb::toInt64(r.at(int(i)));
            if (!kind) continue;
            use = kHolders[i].use;
            if (use == GoodsCodeUse::DocumentLines && isStockDocument(*kind)) use = GoodsCodeUse::StockLines;
        }
    }
    lookup_->closeCursor();
    return use;
}

std::int64_t GoodsCodeHistory::firstFree(std::int64_t from) {
    std::int64_t id = std::max<std::int64_t>(from, 1);
    while (of(id)) ++id;
    return id;
}

}  // namespace core
