#include "sales/input/ZeroCodeLookup.h"

#include "core/CodeTables.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QSet>

namespace sales {

namespace {

const QString kSelect = QStringLiteral(
    "SELECT GOODS.GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_TYPE, GOOD_W, GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_NALOG, "
    "GOOD_COUNTRY_CODE, COALESCE(GOOD_MARKTYPE, 0) AS GOOD_MARKTYPE, GOOD_PACKCOUNT, GOOD_BARCODE "
    "FROM GOODS JOIN GOODS_BARCODE ON GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID");
const QString kOnlyZeros = QStringLiteral(" WHERE TRIM(LEADING '0' FROM GOOD_BARCODE) = ''");
const QString kOrder = QStringLiteral(" ORDER BY GOOD_NAME COLLATE PXW_CYRL, GOODS.GOOD_ID");

// The same fields as the other look-ups give a goods record.
FoundGoods goodsFromRow(const fb::Row& row) {
    FoundGoods g;
    g.good.id = row.str(QStringLiteral("GOOD_ID"));
    g.good.name = row.str(QStringLiteral("GOOD_NAME"));
    g.good.price = row.str(QStringLiteral("GOOD_PRICE")).trimmed();
    g.good.weighed = row.str(QStringLiteral("GOOD_W"));
    g.good.type = row.str(QStringLiteral("GOOD_TYPE")).trimmed();
    g.good.country = row.str(QStringLiteral("GOOD_COUNTRY_CODE")).trimmed();
    g.markType = row.integer(QStringLiteral("GOOD_MARKTYPE"));
    g.good.markType = QString::number(g.markType);
    if (!row.isNull(QStringLiteral("GOOD_EDIZM_FFD"))) {
        g.measure = row.integer(QStringLiteral("GOOD_EDIZM_FFD"));
        g.good.measure = QString::number(*g.measure);
    }
    g.good.vat = row.str(QStringLiteral("GOOD_NALOG")).trimmed();
    g.unitName = row.str(QStringLiteral("GOOD_EDIZM"));
    g.packCount = row.integer(QStringLiteral("GOOD_PACKCOUNT"));
    g.fractionalAllow = core::isWeighedGood(g.good.weighed);
    g.barcode = row.str(QStringLiteral("GOOD_BARCODE"));
    return g;
}

std::vector<FoundGoods> readGoods(fb::Statement& s) {
    std::vector<FoundGoods> out;
    QSet<QString> seen;
    while (s.fetch()) {
        FoundGoods g = goodsFromRow(s.row());
        if (seen.contains(g.good.id)) continue;
        seen.insert(g.good.id);
        out.push_back(std::move(g));
    }
    return out;
}

}  // namespace

bool isZeroCode(const QString& code) {
    if (code.isEmpty()) return false;
    for (const QChar c : code)
        if (c != QLatin1Char('0')) return false;
    return true;
}

std::vector<FoundGoods> goodsForZeroCode(fb::Connection& db) {
    fb::Transaction tr(db);
    fb::Statement exact(tr, kSelect + kOnlyZeros + kOrder);
    exact.execute(tr);
    std::vector<FoundGoods> found = readGoods(exact);
    if (found.empty()) {
        fb::Statement all(tr, kSelect + kOrder);
        all.execute(tr);
        found = readGoods(all);
    }
    tr.commit();
    return found;
}

}  // namespace sales
