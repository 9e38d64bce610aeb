// The goods catalogue on 100,000 goods and 150,000 barcodes against the
// client library called directly on the same embedded database, the two
// sides in turns: the first screen of the catalogue's opening, of its whole
// list reread, and of the name search without a name, each within 5x one
// raw indexed look-up of a goods item (and the opening within 1.5x the raw
// fetch of the same rows); a "contains" name filter within 1.2x the same
// raw statement, a "starts with" filter within 1.5x; and the program's
// memory with the catalogue window open, under 80 MB.
#include "BenchDb.h"
#include "BenchStats.h"
#include "catalogue/CatalogueLogic.h"
#include "catalogue/GoodNameFindLogic.h"
#include "catalogue/uGoods.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/QueryTableModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kGoods = 100000;
constexpr int kScreen = catalogue::kGoodsListBatchRows;  // the lists' first batch

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
        core::SchemaUpgrade(conn);  // the login before the catalogue is opened
    }
};

Db& db() {
    static Db d;
    return d;
}


int rawFetch(const QString& sql, const std::vector<fb::Value>& params, int limit) {
    return bench::rawFetch(db().conn.handle(), sql, params, limit);
}

// One goods item by its code with the list's columns: the unit the first
// screens are measured in.
void rawLookup() {
    static const QString sql = QStringLiteral(
        "SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, LPAD(GOOD_PRICE,12, '0') AS PRICE_NORM, GOOD_W, GOOD_TYPE, "
        "GOOD_EDIZM_FFD, GOOD_EDIZM, GOOD_NALOG, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, "
        "GOOD_PACKCOUNT, COUNTRY_NAME FROM GOODS LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE "
        "WHERE GOOD_ID=?");
    static std::int64_t id = 0;
    id = (id + 7919) % kGoods;  // a different item each time, all over the index
    if (rawFetch(sql, {id + 1}, 0) != 1) std::abort();
}

int modelFetch(const QString& sql, const std::vector<fb::Value>& params, bool all) {
    ui::QueryTableModel model;
    model.setBatchSize(kScreen);
    model.setQuery(db().conn, sql, params);
    while (all && model.canFetchMore({})) model.fetchMore({});
    return model.rowCount();
}

const catalogue::GoodsListQuery& rootQuery() {
    static const auto q = catalogue::buildGoodsListQuery(0, true, {}, catalogue::NameFilter::Contains, true);
    return q;
}
const catalogue::GoodsListQuery& reloadQuery() {
    static const auto q = catalogue::buildGoodsListQuery(0, true, {}, catalogue::NameFilter::Contains);
    return q;
}
const catalogue::GoodNameFindQuery& nameSearchQuery() {
    static const auto q = catalogue::BuildGoodsListQuery({}, true, true, 0);
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

template <class Q>
void firstScreen(benchmark::State& state, const char* label, const Q& q) {
    bench::paired(
        state, label, 5.0,
        [&] {
            if (modelFetch(q.sql, q.params, false) != kScreen) std::abort();
        },
        rawLookup);
}

void BM_OpenRootFirstScreen(benchmark::State& state) {
    firstScreen(state, "catalogue.open_first_screen/raw_lookup", rootQuery());
}
void BM_ReloadFirstScreen(benchmark::State& state) {
    firstScreen(state, "catalogue.whole_list_first_screen/raw_lookup", reloadQuery());
}
void BM_NameSearchFirstScreen(benchmark::State& state) {
    firstScreen(state, "name_search.first_screen/raw_lookup", nameSearchQuery());
}
void BM_OpenRoot(benchmark::State& state) {
    bench::paired(
        state, "catalogue.open_first_screen/raw_same_rows", 1.5,
        [] {
            if (modelFetch(rootQuery().sql, rootQuery().params, false) != kScreen) std::abort();
        },
        [] {
            if (rawFetch(rootQuery().sql, rootQuery().params, kScreen) != kScreen) std::abort();
        });
}
void BM_Contains(benchmark::State& state) {
    const int want = rawFetch(containsQuery().sql, containsQuery().params, 0);
    bench::paired(
        state, "catalogue.contains_filter/raw", 1.2,
        [&] {
            if (modelFetch(containsQuery().sql, containsQuery().params, true) != want) std::abort();
        },
        [&] {
            if (rawFetch(containsQuery().sql, containsQuery().params, 0) != want) std::abort();
        });
}
void BM_StartsWith(benchmark::State& state) {
    bench::paired(
        state, "catalogue.starts_with_filter/raw", 1.5,
        [] {
            if (modelFetch(startsQuery().sql, startsQuery().params, true) != 100) std::abort();
        },
        [] {
            if (rawFetch(startsQuery().sql, startsQuery().params, 0) != 100) std::abort();
        });
}

// Resident memory of this process in MB, as the system counts it.
double residentMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// The catalogue window opened on the whole catalogue and its list scrolled
// through a few screens, as a shop owner looks; the budget is for the
// program with it open.
void BM_CatalogueWindowMemory(benchmark::State& state) {
    double mb = 0;
    for (auto _ : state) {
        auto w = std::make_unique<catalogue::TfmGoods>(db().conn);
        w->show();
        QApplication::processEvents();
        auto* view = w->findChild<QTableView*>();
        for (int page = 0; view && page < 20; ++page) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
            QApplication::processEvents();
        }
        mb = std::max(mb, residentMb());
        w.reset();
        QApplication::processEvents();
    }
    bench::budget(state, "resident_mb", "catalogue.window_open/resident_MB", mb, 80);
}

}  // namespace

BENCHMARK(BM_OpenRootFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_ReloadFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_NameSearchFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_OpenRoot)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_Contains)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(20));
BENCHMARK(BM_StartsWith)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_CatalogueWindowMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
