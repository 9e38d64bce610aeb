#include "archive/StoredGoodsCheck.h"

#include "archive/GoodsCheckText.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"

namespace archive {

std::vector<GoodsCheckLine> goodsCheckLinesFromStored(const std::vector<GoodsCheckSourceLine>& lines) {
    std::vector<GoodsCheckLine> out;
    out.reserve(lines.size());
    int n = 0;
    for (const GoodsCheckSourceLine& l : lines) {
        GoodsCheckLine g;
        g.numPos = ++n;
        g.name = l.name;
        g.price = l.price;
        g.count = l.quantity;
        const auto price = fb::parseScaled(l.price, 2);   // kopecks
        const auto qty = fb::parseScaled(l.quantity, 3);  // thousandths
        if (price && qty) {
            const std::int64_t product = *price * *qty;  // kopecks × 1000
            const std::int64_t half = product >= 0 ? 500 : -500;
            g.sum = fb::formatScaled((product + half) / 1000, 2);
        }
        out.push_back(std::move(g));
    }
    return out;
}

std::vector<GoodsCheckSourceLine> storedReceiptLines(fb::Connection& db, int docId) {
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    // A count stored empty reads as 0 instead of failing the whole check.
    const std::vector<fb::Row> rows =
        fb::query(tr,
                  QStringLiteral("SELECT DD_GOOD_NAME G_N, DD_GOOD_PRICE_CURRENT G_PC, "
                                 "CAST(SUM(CAST(COALESCE(NULLIF(TRIM(DD_GOOD_COUNT), ''), '0') AS DECIMAL(10,3))) "
                                 "AS VARCHAR(10)) G_C FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ? GROUP BY 1, 2"),
                  {std::int64_t{docId}});
    tr.commit();
    std::vector<GoodsCheckSourceLine> lines;
    lines.reserve(rows.size());
    for (const fb::Row& r : rows) lines.push_back({r.str("G_N"), r.str("G_PC"), r.str("G_C").trimmed()});
    return lines;
}

bool printStoredGoodsCheck(QWidget* parent, fb::Connection& db, const QString& programFolder, int docId,
                           std::function<void()> numbered) {
    std::optional<fb::Row> doc;
    {
        fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
        doc = fb::queryOne(tr,
                           QStringLiteral("SELECT DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, DOC_SUMM_FULL, DOC_USER "
                                          "FROM DOCUMENTS WHERE DOC_ID = ?"),
                           {std::int64_t{docId}});
        tr.commit();
    }
    if (!doc) return false;
    if (doc->integer("DOC_TYPE", -1) != 3 || doc->integer("DOC_CHECK_TYPE", -1) != 1) {
        ui::showError(goodsCheckText::kOnlyForSaleReceipts, parent);
        return false;
    }
    GoodsCheckStore store(db);
    switch (store.refill(goodsCheckLinesFromStored(storedReceiptLines(db, docId)))) {
        case GoodsCheckStore::Fill::ClearFailed:
            ui::showError(goodsCheckText::kClearFailed, parent);
            return false;
        case GoodsCheckStore::Fill::FillFailed:
            ui::showError(goodsCheckText::kStoredFillFailed, parent);
            return false;
        case GoodsCheckStore::Fill::Ok:
            break;
    }

    const GoodsCheckSettings settings = store.settings();
    const QDate date = fb::toDate((*doc)["DOC_DATE_D"]).value_or(QDate());
    GoodsCheckContent content;
    content.header = settings.headerLines();
    content.address = settings.address;
    content.total = doc->str("DOC_SUMM_FULL").trimmed();
    content.cashier = doc->str("DOC_USER");
    const std::optional<StoredGoodsCheckNumber> stored = store.storedNumber(docId);
    const int number = stored ? stored->number : settings.nextNumber();
    const QString prefix = stored ? stored->prefix.trimmed() : settings.prefix.trimmed();
    content.title = goodsCheckTitle(prefix, kSpacedHyphen, number, date);
    content.lines = store.lines();

    auto onSetupOpened = [parent, &db, docId, number, prefix, numbered = std::move(numbered)] {
        ui::guarded(parent, [&] {
            GoodsCheckStore s(db);
            // Opening the setup again, or printing again later, spends no
            // further number.
            if (s.storedNumber(docId)) return;
            s.recordNumber(docId, number, prefix);
            if (numbered) numbered();
        });
    };
    return showGoodsCheck(parent, programFolder, content, std::move(onSetupOpened));
}

}  // namespace archive
