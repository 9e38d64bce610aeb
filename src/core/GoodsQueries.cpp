#include "GoodsQueries.h"

#include "TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

namespace core {

int GetGoodVat(fb::Transaction& tr, std::int64_t goodId) {
    const auto row = fb::queryOne(tr, QStringLiteral("SELECT GOOD_NALOG FROM GOODS WHERE GOOD_ID = ?"), {goodId});
    if (!row) return 6;
    bool ok = false;
    const int vat = trimBlanks(row->str(QStringLiteral("GOOD_NALOG"))).toInt(&ok);
    return ok ? vat : 6;
}

int GetGoodVat(fb::Connection& db, std::int64_t goodId) {
    db.ensureConnected();
    fb::Transaction tr(db);
    const int vat = GetGoodVat(tr, goodId);
    tr.commit();
    return vat;
}

std::int64_t GetGoodParent(fb::Transaction& tr, std::int64_t goodId) {
    const auto row = fb::queryOne(
        tr, QStringLiteral("SELECT GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP FROM GOODS WHERE GOOD_ID = ?"), {goodId});
    if (!row) return -2;
    if (row->int64(QStringLiteral("GOOD_ISGOOD"), 0) != 1) return -1;
    return row->int64(QStringLiteral("GOOD_PARENTGROUP"), 0);
}

std::int64_t GetGoodParent(fb::Connection& db, std::int64_t goodId) {
    db.ensureConnected();
    fb::Transaction tr(db);
    const std::int64_t parent = GetGoodParent(tr, goodId);
    tr.commit();
    return parent;
}

void GoodsSearchSql::bindTo(fb::Statement& statement) const { statement.bindAll(params); }

namespace {

// Makes typed text match itself only inside LIKE ... ESCAPE '#'.
QString escapeLike(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('#') || c == QLatin1Char('%') || c == QLatin1Char('_')) out += QLatin1Char('#');
        out += c;
    }
    return out;
}

}  // namespace

GoodsSearchSql BuildGoodsSearchSql(const QString& text, int mode) {
    GoodsSearchSql search;
    if (text.isEmpty()) {
        search.sql = QStringLiteral(
            "SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM_FFD,GOOD_EDIZM, CASE  WHEN "
            "(GOOD_EDIZM_FFD IN (0,10,11,12,20,21,22,30,31,32,40,41,42,50,51,70,71,72,73,80,81,82,83,255)) THEN "
            "GOOD_EDIZM  ELSE '' END GOOD_EDIZM1, GOOD_NALOG, GOOD_COUNTRY_CODE,  GOOD_MARKTYPE, COUNTRY_NAME FROM "
            "GOODS LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE  WHERE GOOD_ISGOOD=1 ORDER BY GOOD_NAME "
            "COLLATE PXW_CYRL");
        return search;
    }

    // The pattern is upper-cased here, the name by the engine (Cyrillic
    // included). The parameter is cast wide so that a long typed text finds nothing
    // instead of failing on the column's width.
    const QString head = QStringLiteral(
        "SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, GOOD_NALOG, GOOD_COUNTRY_CODE, "
        "GOOD_MARKTYPE, COUNTRY_NAME FROM GOODS LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE  WHERE ");
    const QString tail = QStringLiteral(" AND (GOOD_ISGOOD=1)) ORDER BY GOOD_NAME COLLATE PXW_CYRL");
    const QString upper = text.toUpper();
    if (mode == 0) {
        search.sql = head +
                     QStringLiteral("((UPPER(GOOD_NAME) STARTING WITH CAST(? AS VARCHAR(1000)))") +
                     tail;
        search.params.emplace_back(upper);
    } else {
        search.sql = head +
                     QStringLiteral("((UPPER(GOOD_NAME) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '#')") +
                     tail;
        search.params.emplace_back(QLatin1Char('%') + escapeLike(upper) + QLatin1Char('%'));
    }
    return search;
}

std::vector<fb::Row> runGoodsSearch(fb::Transaction& tr, const QString& text, int mode) {
    const GoodsSearchSql search = BuildGoodsSearchSql(text, mode);
    fb::Statement statement(tr, search.sql);
    search.bindTo(statement);
    statement.execute(tr);
    return statement.fetchAll();
}

}  // namespace core
