// The goods catalogue against raw client calls on the same embedded
// database, in the same run, on 100,000 goods and 150,000 barcodes:
// opening on the root (the first screenful through the list model) against
// the raw select of the same rows (target: within 1.5x); a "contains" name
// filter against a raw LIKE on the same column (within 1.2x); a "starts
// with" filter against the raw indexed query (within 1.5x).
#include "BenchDb.h"
#include "BenchStats.h"
#include "catalogue/CatalogueLogic.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/QueryTableModel.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kGoods = 100000;
constexpr int kScreen = 256;  // the list model's first batch

struct Db : bench::FreshDb {
    Db() {
        fb::Transaction tr(conn);
        fb::Statement goods(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, "
                                               "GOOD_PARENTGROUP, GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_W) "
                                               "VALUES (?, ?, ?, 1, ?, 'шт', 0, 'нет')"));
        fb::Statement codes(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) "
                                               "VALUES (?, ?, '1')"));
        for (int i = 1; i <= kGoods; ++i) {
            goods.execute(
                tr, {std::int64_t{i}, QStringLiteral("Товар %1 сорт %2").arg(i, 6, 10, QLatin1Char('0')).arg(i % 97),
                     QStringLiteral("%1.00").arg(i % 500), std::int64_t{0}});
            codes.execute(tr, {std::int64_t{i}, QStringLiteral("46%1").arg(i, 11, 10, QLatin1Char('0'))});
            if (i % 2 == 0)
                codes.execute(tr, {std::int64_t{i}, QStringLiteral("29%1").arg(i, 11, 10, QLatin1Char('0'))});
        }
        tr.commit();
    }
};

Db& db() {
    static Db d;
    return d;
}


int rawFetch(const QString& sql, const std::vector<fb::Value>& params, int limit) {
    return bench::rawFetch(db().conn.handle(), sql, params, limit);
}

int modelFetch(const catalogue::GoodsListQuery& q, bool all) {
    ui::QueryTableModel model;
    model.setQuery(db().conn, q.sql, q.params);
    while (all && model.canFetchMore({})) model.fetchMore({});
    return model.rowCount();
}

const catalogue::GoodsListQuery& rootQuery() {
    static const auto q = catalogue::buildGoodsListQuery(0, true, {}, catalogue::NameFilter::Contains, true);
    return q;
}
const catalogue::GoodsListQuery& containsQuery() {
    static const auto q =
        catalogue::buildGoodsListQuery(0, true, QStringLiteral("сорт 13"), catalogue::NameFilter::Contains);
    return q;
}
const catalogue::GoodsListQuery& startsQuery() {
    static const auto q =
        catalogue::buildGoodsListQuery(0, true, QStringLiteral("товар 0123"), catalogue::NameFilter::StartsWith);
    return q;
}

void BM_OpenRoot(benchmark::State& state) {
    bench::timed(state, [] {
        if (modelFetch(rootQuery(), false) != kScreen) std::abort();
    });
}
void BM_OpenRootRaw(benchmark::State& state) {
    bench::timed(state, [] {
        if (rawFetch(rootQuery().sql, rootQuery().params, kScreen) != kScreen) std::abort();
    });
}
void BM_Contains(benchmark::State& state) {
    bench::timed(state, [] { benchmark::DoNotOptimize(modelFetch(containsQuery(), true)); });
}
void BM_ContainsRaw(benchmark::State& state) {
    bench::timed(state, [] { benchmark::DoNotOptimize(rawFetch(containsQuery().sql, containsQuery().params, 0)); });
}
void BM_StartsWith(benchmark::State& state) {
    bench::timed(state, [] {
        if (modelFetch(startsQuery(), true) != 100) std::abort();
    });
}
void BM_StartsWithRaw(benchmark::State& state) {
    bench::timed(state, [] {
        if (rawFetch(startsQuery().sql, startsQuery().params, 0) != 100) std::abort();
    });
}

}  // namespace

BENCHMARK(BM_OpenRoot)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_OpenRootRaw)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_Contains)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ContainsRaw)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_StartsWith)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_StartsWithRaw)->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
