// Filling the price-tag list with 1,000 goods of one barcode each, against
// the raw client reading the same goods by the same statement and writing
// them by a prepared insert in one transaction on the same embedded
// database, the two sides in turns (target: within 2x). The database is
// made before anything is timed: made in the first timed round (as it once
// was) it showed as a stall of seconds in our side's p99.
#include "BenchDb.h"
#include "BenchStats.h"
#include "catalogue/PriceTagLogic.h"
#include "core/TextUtils.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTags = 1000;

// A valid EAN-13 for a number: twelve digits and their check digit.
QString ean13(int n) {
    const QString body = QStringLiteral("460%1").arg(n, 9, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += body[i].digitValue() * (i % 2 ? 3 : 1);
    return body + QString::number((10 - sum % 10) % 10);
}

struct Row {
    std::string name, price, unit, digits, fontText;
};

struct Db : bench::FreshDb {
    std::vector<Row> rows;
    Db() {
        fb::Transaction tr(conn);
        fb::Statement goods(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_EDIZM, "
                                               "GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (?, ?, '10.00', 'pc', 1, 0)"));
        fb::Statement code(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
        for (int i = 1; i <= kTags; ++i) {
            const QString name = QStringLiteral("Goods %1").arg(i, 6, 10, QLatin1Char('0'));
            goods.execute(tr, {std::int64_t{i}, name});
            code.execute(tr, {std::int64_t{i}, ean13(i)});
            rows.push_back({name.toStdString(), "10.00", "pc", ean13(i).toStdString(),
                            core::EncodeEanForBarcodeFont(ean13(i)).toStdString()});
        }
        tr.commit();
    }
};

Db& db() {
    static Db d;
    return d;
}

void fillPriceTags() {
    if (catalogue::fillPriceTagList(db().conn, std::nullopt, QString()) != kTags) std::abort();
}

void rawPreparedInserts() {
    using bench::check;
    isc_db_handle* h = db().conn.handle();
    static const catalogue::PriceTagQuery fill = catalogue::priceTagFillQuery(std::nullopt, QString());
    bench::RawTransaction tr(h, true);
    ISC_STATUS_ARRAY st;
    isc_dsql_execute_immediate(st, h, tr.handle(), 0, "DELETE FROM GOODS_TEMP", 3, nullptr);
    check(st);
    int n = 0;
    {
        bench::RawStatement goods(h, tr, fill.sql);
        isc_stmt_handle stmt = 0;
        isc_dsql_allocate_statement(st, h, &stmt);
        isc_dsql_prepare(st, tr.handle(), &stmt, 0,
                         "INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY, G_DECLAR_NUMBER, "
                         "G_BARCODE) VALUES (?, ?, ?, ?, ?, ?, ?)",
                         3, nullptr);
        check(st);
        auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(7)));
        in->version = SQLDA_VERSION1;
        in->sqln = 7;
        isc_dsql_describe_bind(st, &stmt, 3, in);
        check(st);
        ISC_LONG id = 0;
        short ind[7] = {0, 0, 0, 0, -1, 0, 0};
        in->sqlvar[0].sqltype = SQL_LONG | 1;
        in->sqlvar[0].sqlscale = 0;
        in->sqlvar[0].sqllen = 4;
        in->sqlvar[0].sqldata = reinterpret_cast<char*>(&id);
        for (int i = 1; i < 7; ++i) in->sqlvar[i].sqltype = SQL_TEXT | 1;
        for (int i = 0; i < 7; ++i) in->sqlvar[i].sqlind = &ind[i];
        in->sqlvar[4].sqllen = 0;
        in->sqlvar[4].sqldata = nullptr;
        const auto text = [&](int i, const std::string& s) {
            in->sqlvar[i].sqldata = const_cast<char*>(s.data());
            in->sqlvar[i].sqllen = static_cast<short>(s.size());
        };
        goods.execute(tr);
        while (goods.fetch()) {
            // The row as read; the barcode's font text made ahead (no work
            // of the engine's).
            const Row& r = db().rows.at(std::size_t(goods.whole(0) - 1));
            id = ISC_LONG(goods.whole(0));
            text(1, r.name);
            text(2, r.price);
            text(3, r.unit);
            text(5, r.digits);
            text(6, r.fontText);
            isc_dsql_execute(st, tr.handle(), &stmt, 3, in);
            check(st);
            ++n;
        }
        isc_dsql_free_statement(st, &stmt, DSQL_drop);
        std::free(in);
    }
    tr.commit();
    if (n != kTags) std::abort();
}

void BM_FillPriceTags(benchmark::State& state) {
    bench::paired(state, "pricetag.fill_1000/raw_select_inserts", 2.0, fillPriceTags, rawPreparedInserts);
    state.SetItemsProcessed(state.iterations() * 2 * kTags);
}

}  // namespace

BENCHMARK(BM_FillPriceTags)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    db();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
