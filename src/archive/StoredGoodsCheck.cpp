#include "archive/StoredGoodsCheck.h"

#include "archive/GoodsCheckText.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/Guard.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/RefundLimits.h"

#include <QStringList>

#include <optional>

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
        if (!l.sum.isEmpty()) {
            g.sum = l.sum;
        } else if (price && qty) {
            const std::int64_t product = *price * *qty;  // kopecks × 1000
            const std::int64_t half = product >= 0 ? 500 : -500;
            g.sum = fb::formatScaled((product + half) / 1000, 2);
        }
        out.push_back(std::move(g));
    }
    return out;
}

namespace {

// Kopecks of price × n ÷ d, rounded half up.
std::int64_t partOfPrice(std::int64_t price, std::int64_t num, std::int64_t den) {
    const __int128 twice = __int128(price) * num * 2;
    return std::int64_t((twice + (twice >= 0 ? den : -den)) / (2 * den));
}

// What one stored line sold for: a part of a pack ("n/d") at its part of
// the price, anything else at price × quantity.
std::optional<std::int64_t> storedLineSum(const QString& priceText, const QString& countText,
                                          const QString& fraction) {
    const auto price = fb::parseScaled(priceText, 2);
    if (!price) return std::nullopt;
    const QStringList nd = fraction.trimmed().split(QLatin1Char('/'));
    if (nd.size() == 2) {
        bool numOk = false, denOk = false;
        const qint64 num = nd[0].trimmed().toLongLong(&numOk);
        const qint64 den = nd[1].trimmed().toLongLong(&denOk);
        if (numOk && denOk && num > 0 && den > 0) return partOfPrice(*price, num, den);
    }
    const auto qty = fb::parseScaled(countText, 3);
    if (!qty) return std::nullopt;
    return partOfPrice(*price, *qty, 1000);
}

}  // namespace

std::vector<GoodsCheckSourceLine> storedReceiptLines(fb::Connection& db, int docId) {
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    // Each line on its own, in the order its merged line takes, so that the
    // sum of each is what the receipt sold it for.
    const std::vector<fb::Row> rows =
        fb::query(tr,
                  QStringLiteral("SELECT DD_GOOD_NAME G_N, DD_GOOD_PRICE_CURRENT G_PC, "
                                 "CAST(COALESCE(NULLIF(TRIM(DD_GOOD_COUNT), ''), '0') AS DECIMAL(10,3)) G_C, "
                                 "DD_FRACTIONAL_COUNT G_F FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ? ORDER BY 1, 2"),
                  {std::int64_t{docId}});
    tr.commit();
    std::vector<GoodsCheckSourceLine> lines;
    std::int64_t quantity = 0;
    std::optional<std::int64_t> sum = 0;
    const auto close = [&] {
        if (lines.empty()) return;
        lines.back().quantity = fb::formatScaled(quantity, 3);
        lines.back().sum = sum ? fb::formatScaled(*sum, 2) : QString();
        // Parts of packs sold at their own shares of a discount: the line
        // shows the price its quantity was sold at, so that price times
        // quantity is the sum it shows.
        const auto price = fb::parseScaled(lines.back().price, 2);
        if (!sum || !price || quantity <= 0 || partOfPrice(*price, quantity, 1000) == *sum) return;
        const sales::Money sold = sales::priceForRefund(sales::Money{*sum}, sales::Qty{quantity});
        if (partOfPrice(sold.kopecks, quantity, 1000) == *sum) lines.back().price = sold.toString();
    };
    for (const fb::Row& r : rows) {
        const QString name = r.str("G_N");
        const QString price = r.str("G_PC");
        const QString count = fb::toString(r["G_C"]).trimmed();
        if (lines.empty() || lines.back().name != name || lines.back().price != price) {
            close();
            lines.push_back({name, price, QString()});
            quantity = 0;
            sum = 0;
        }
        quantity += fb::parseScaled(count, 3).value_or(0);
        const std::optional<std::int64_t> own = storedLineSum(price, count, r.str("G_F"));
        sum = sum && own ? std::optional<std::int64_t>(*sum + *own) : std::nullopt;
    }
    close();
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
