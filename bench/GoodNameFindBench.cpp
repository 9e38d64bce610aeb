// The goods search by name against raw client calls on the same embedded
// database, in the same run, on 100,000 goods: a "starts with" search
// through the window (requery and every row of the list) against the raw
// indexed query (target: within 1.5x); a "contains" search against a raw
// LIKE of the same statement (within 1.2x).
#include "BenchDb.h"
#include "BenchStats.h"
#include "catalogue/GoodNameFindLogic.h"
#include "catalogue/uGoodNameFind.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kGoods = 100000;
const QString kStarts = QStringLiteral("товар 0123");  // 100 goods
const QString kContains = QStringLiteral("сорт 13");   // about 1,000 goods

struct Db : bench::FreshDb {
    Db() {
        fb::Transaction tr(conn);
        fb::Statement goods(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, "
                                               "GOOD_PARENTGROUP, GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_W, GOOD_COUNT) "
                                               "VALUES (?, ?, ?, 1, 0, 'шт', 0, 'нет', '5')"));
        for (int i = 1; i <= kGoods; ++i)
            goods.execute(
                tr, {std::int64_t{i}, QStringLiteral("Товар %1 сорт %2").arg(i, 6, 10, QLatin1Char('0')).arg(i % 97),
                     QStringLiteral("%1.00").arg(i % 500)});
        tr.commit();
        core::SchemaUpgrade(conn);  // the login before the search is used
    }
};

Db& db() {
    static Db d;
    return d;
}


// The same statement through the client library alone.
int rawFetch(const catalogue::GoodNameFindQuery& q) {
    return bench::rawFetch(db().conn.handle(), q.sql, q.params);
}

catalogue::TfmGoodNameFind& window() {
    static catalogue::TfmGoodNameFind* w = [] {
        auto* w = new catalogue::TfmGoodNameFind(db().conn, catalogue::FindForReceipt, {});
        w->show();
        return w;
    }();
    return *w;
}

// The cashier's search: the filter set, the list read again, every row fetched.
int windowSearch(const QString& text, bool startsWith) {
    catalogue::TfmGoodNameFind& w = window();
    (startsWith ? w.RadioButton1 : w.RadioButton2)->setChecked(true);
    w.edFilterText->setText(text);
    w.Timer1Timer();
    QAbstractItemModel* model = w.DBGridGoods->model();
    while (model->canFetchMore({})) model->fetchMore({});
    return model->rowCount();
}

int expected(const QString& text, bool startsWith) {
    static const int starts = rawFetch(catalogue::BuildGoodsListQuery(kStarts, true, true, 0));
    static const int contains = rawFetch(catalogue::BuildGoodsListQuery(kContains, false, true, 0));
    (void)text;
    return startsWith ? starts : contains;
}

// The window and the raw statement take turns in one loop, so that the
// load of a shared machine falls on both alike; the ratio is of medians.
void pair(benchmark::State& state, const char* label, double goal, const QString& text, bool startsWith) {
    const auto q = catalogue::BuildGoodsListQuery(text, startsWith, true, 0);
    const int want = expected(text, startsWith);
    windowSearch(text, startsWith);  // the first requery after a mode switch is not the cashier's typing
    bench::Timings ours, raw;
    bool rawFirst = false;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const auto start = bench::now();
            if ((k == 0) == rawFirst) {
                if (rawFetch(q) != want) std::abort();
                raw.add(start);
            } else {
                if (windowSearch(text, startsWith) != want) std::abort();
                ours.add(start);
            }
        }
        rawFirst = !rawFirst;
    }
    ours.report(state);
    state.counters["raw_median_ms"] = raw.quantile(0.5);
    state.counters["raw_p99_ms"] = raw.quantile(0.99);
    bench::budget(state, "ratio", label, ours.quantile(0.5) / raw.quantile(0.5), goal);
}

void BM_NameStartsWith(benchmark::State& state) {
    pair(state, "name_search.starts_with_window/raw", 1.5, kStarts, true);
}
void BM_NameContains(benchmark::State& state) {
    pair(state, "name_search.contains_window/raw", 1.2, kContains, false);
}

}  // namespace

BENCHMARK(BM_NameStartsWith)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(200));
BENCHMARK(BM_NameContains)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(40));

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();
    if (expected(kStarts, true) != 100 || expected(kContains, false) < 500) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
