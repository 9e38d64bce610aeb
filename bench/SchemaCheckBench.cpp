// The schema check every showing of the main screen runs, on a database
// that is already up to date (the case of every login but the first after
// an update): budget 2 ms median. Beside it the floor of the same work by
// hand: one read-write transaction that empties the working goods list,
// restarts its sequence and commits.
#include "BenchDb.h"
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

namespace {

struct Db : bench::FreshDb {};

Db& db() {
    static Db d;
    return d;
}

using bench::check;

void rawGoodsTempReset() {
    isc_db_handle* h = db().conn.handle();
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    {
        ISC_STATUS_ARRAY st;
        isc_tr_handle tr = 0;
        isc_start_transaction(st, &tr, 1, h, sizeof tpb, tpb);
        check(st);
        isc_dsql_execute_immediate(st, h, &tr, 0, "DELETE FROM GOODS_TEMP", 3, nullptr);
        check(st);
        isc_dsql_execute_immediate(st, h, &tr, 0, "ALTER SEQUENCE GEN_RECORD_ID RESTART WITH 0", 3, nullptr);
        check(st);
        isc_commit_transaction(st, &tr);
        check(st);
    }
}

// The check and its floor in turns; the budget is the check's median.
void BM_SchemaCheckUpToDate(benchmark::State& state) {
    const bench::Timings ours = bench::paired(
        state, "schema_check.up_to_date/raw_reset", 0, [] { core::SchemaUpgrade(db().conn); }, rawGoodsTempReset);
    bench::budget(state, "check_median_ms", "schema_check.up_to_date_median/ms", ours.median(), 2.0);
}

BENCHMARK(BM_SchemaCheckUpToDate)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(300));

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
