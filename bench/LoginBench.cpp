// Login after a large inventory: the schema check every showing of the main
// screen runs, with the working goods list as an inventory of 100,000 goods
// leaves it, against the same check with the list empty, in turns in one
// loop. Three sides per round:
//  - empty: the list is empty (the usual login);
//  - left: 100,000 rows left in the list;
//  - next: the login after that, once the list was emptied behind the
//    screen (the engine's cleanup of the deleted rows included).
// Budget: left and next within 1.5 times empty (median).
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "core/WorkingList.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr int kLeftRows = 100000;

struct Db {
    QTemporaryDir dir;
    fb::Connection conn;
    Db() {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("login.fdb"));
        fb::ConnectionParams p;
        p.database = path;
        conn = fb::Connection(p);
        core::createFreshDatabase(conn, path);
        core::SchemaUpgrade(conn);
    }
};

// What an inventory of the whole catalogue leaves in the list.
void fillWorkingList(fb::Connection& c) {
    fb::Transaction tr(c);
    fb::Statement add(tr, QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY) "
                                         "VALUES (?, ?, '100.00', 'шт', '643')"));
    for (int id = 1; id <= kLeftRows; ++id) add.execute(tr, {std::int64_t{id}, QStringLiteral("Товар %1").arg(id)});
    tr.commit();
}

double login(fb::Connection& c) {
    const auto start = bench::now();
    core::SchemaUpgrade(c);
    return std::chrono::duration<double, std::milli>(bench::now() - start).count();
}

void BM_LoginAfterInventory(benchmark::State& state) {
    Db db;
    core::waitForWorkingList();
    bench::Timings empty, left, next;
    for (auto _ : state) {
        empty.addMillis(login(db.conn));
        fillWorkingList(db.conn);
        left.addMillis(login(db.conn));
        // The cashier works a while before the next login: the list is
        // emptied by then.
        core::waitForWorkingList();
        next.addMillis(login(db.conn));
        core::waitForWorkingList();
    }
    empty.report(state);
    state.counters["left_median_ms"] = left.quantile(0.5);
    state.counters["left_p99_ms"] = left.quantile(0.99);
    state.counters["next_median_ms"] = next.quantile(0.5);
    state.counters["next_p99_ms"] = next.quantile(0.99);
    const double base = empty.quantile(0.5);
    bench::budget(state, "left_ratio", "login.list_of_100000_left/empty_list", base > 0 ? left.median() / base : 0,
                  1.5);
    bench::budget(state, "next_ratio", "login.next_after_100000/empty_list", base > 0 ? next.median() / base : 0,
                  1.5);
}

BENCHMARK(BM_LoginAfterInventory)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(15));

}  // namespace

int main(int argc, char** argv) {
    return bench::runAll<QCoreApplication>(argc, argv);
}
