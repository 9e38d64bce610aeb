// The goods catalogue on 100,000 goods and 150,000 barcodes against the
// client library called directly on the same embedded database, the two
// sides in turns: the first screen of the catalogue's opening, of its whole
// list reread, and of the name search without a name, each within 1.5x the
// raw fetch of the same rows; a "contains" name filter within 1.2x the same
// raw statement, a "starts with" filter within 1.5x; and the program's
// memory with the catalogue window open, under 80 MB, in a process of its
// own that only attaches and opens the window (not the one that filled the
// database), with the window's own share shown beside the engine's for
// reading the same rows.
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
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QScrollBar>
#include <QStandardItemModel>
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

// The list's first batch against the raw fetch of the same rows by the same
// statement.
template <class Q>
void firstScreen(benchmark::State& state, const char* label, const Q& q) {
    bench::paired(
        state, label, 1.5,
        [&] {
            if (modelFetch(q.sql, q.params, false) != kScreen) std::abort();
        },
        [&] {
            if (rawFetch(q.sql, q.params, kScreen) != kScreen) std::abort();
        });
}

void BM_OpenRootFirstScreen(benchmark::State& state) {
    firstScreen(state, "catalogue.open_first_screen/raw_same_rows", rootQuery());
}
void BM_ReloadFirstScreen(benchmark::State& state) {
    firstScreen(state, "catalogue.whole_list_first_screen/raw_same_rows", reloadQuery());
}
void BM_NameSearchFirstScreen(benchmark::State& state) {
    firstScreen(state, "name_search.first_screen/raw_same_rows", nameSearchQuery());
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
// through a few screens, as a shop owner looks.
std::unique_ptr<catalogue::TfmGoods> openAndBrowse(fb::Connection& conn) {
    auto w = std::make_unique<catalogue::TfmGoods>(conn);
    w->show();
    QApplication::processEvents();
    auto* view = w->findChild<QTableView*>();
    for (int page = 0; view && page < 20; ++page) {
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        QApplication::processEvents();
    }
    return w;
}

// The rows the window's list holds after that.
int rowsBrowsed(fb::Connection& conn) {
    auto w = openAndBrowse(conn);
    auto* view = w->findChild<QTableView*>();
    const int rows = view ? view->model()->rowCount() : 0;
    w.reset();
    QApplication::processEvents();
    return rows;
}

// The process the memory is measured in (this program started again with
// --resident-child): attached to the database the benchmark filled, as the
// program is after a login, with a list window already shown and closed
// again (the program's main screen has made the toolkit's fonts and styles
// ready before any catalogue opens). Its resident memory is taken then,
// after the raw client has read the rows the window will show (what the
// engine takes for them: its cache of their pages), and with the window
// open.
int residentChild(const QString& database, int rows) {
    {
        QStandardItemModel model(100, 10);
        for (int r = 0; r < 100; ++r)
            for (int c = 0; c < 10; ++c) model.setItem(r, c, new QStandardItem(QStringLiteral("Товар %1").arg(r)));
        QDialog other;
        auto* view = new QTableView(&other);
        view->setModel(&model);
        other.resize(800, 600);
        other.show();
        QApplication::processEvents();
    }
    QApplication::processEvents();
    fb::ConnectionParams p;
    p.database = database;
    fb::Connection conn(p);
    conn.attach();
    const double attached = residentMb();
    bench::rawFetch(conn.handle(), rootQuery().sql, rootQuery().params, rows);
    const double read = residentMb();
    const auto w = openAndBrowse(conn);
    std::printf("%.1f %.1f %.1f\n", attached, read, residentMb());
    return 0;
}

// The budget is for the program with the window open; beside it the
// window's own share and the engine's for reading the same rows.
void BM_CatalogueWindowMemory(benchmark::State& state) {
    double attached = 0, read = 0, open = 0;
    for (auto _ : state) {
        const int rows = rowsBrowsed(db().conn);
        // One process at a time holds an embedded database.
        db().conn.detach();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--resident-child"), db().path, QString::number(rows)});
        const bool done = child.waitForFinished(120000) && child.exitCode() == 0;
        db().conn.attach();
        const QList<QByteArray> mb = child.readAllStandardOutput().simplified().split(' ');
        if (!done || mb.size() != 3) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        attached = mb[0].toDouble();
        read = mb[1].toDouble();
        open = mb[2].toDouble();
    }
    state.counters["attached_mb"] = attached;
    state.counters["engine_same_rows_mb"] = read - attached;
    state.counters["window_own_mb"] = open - read;
    bench::budget(state, "resident_mb", "catalogue.window_open_resident_MB/no_baseline", open, 80);
    bench::info("catalogue.window_own_MB", open - read);
    bench::info("catalogue.engine_same_rows_MB", read - attached);
}

}  // namespace

BENCHMARK(BM_OpenRootFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(400));
BENCHMARK(BM_ReloadFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(400));
BENCHMARK(BM_NameSearchFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(400));
BENCHMARK(BM_Contains)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(20));
BENCHMARK(BM_StartsWith)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(60));
BENCHMARK(BM_CatalogueWindowMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--resident-child") == 0)
        return residentChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    benchmark::Initialize(&argc, argv);
    db();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
