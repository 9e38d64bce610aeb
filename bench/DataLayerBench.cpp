// Our data layer against the raw client library on the same embedded
// database: 100,000 prepared inserts in one transaction, and 100,000 point
// look-ups through an index. The layer should stay within 1.3x of raw.
#include "BenchDb.h"
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 100000;

struct Db : bench::FreshDb {
    Db() : FreshDb(false) {}
};

Db& db() {
    static Db d;
    return d;
}

using bench::check;

// ---- inserts ---------------------------------------------------------------
//
// Each round makes two fresh tables of the shape of GOODS_BARCODE (untimed),
// then times only the inserts and their commit: the raw client library into
// one, our layer into the other, in turns (the raw load first in even
// rounds, second in odd ones), so neither pays for the other's rows or for
// running first.

const char* const kInsertTables[] = {"BENCH_INSERT_RAW", "BENCH_INSERT_LAYER"};

void makeInsertTables() {
    for (const char* table : kInsertTables) {
        fb::Transaction tr(db().conn);
        tr.executeImmediate(
            QStringLiteral("CREATE TABLE %1 (GOOD_ID INTEGER, GOOD_BARCODE VARCHAR(32))").arg(QLatin1String(table)));
        tr.commit();
        fb::Transaction ix(db().conn);
        ix.executeImmediate(QStringLiteral("CREATE INDEX %1_IX ON %1 (GOOD_BARCODE)").arg(QLatin1String(table)));
        ix.commit();
    }
}

void dropInsertTables() {
    for (const char* table : kInsertTables) {
        fb::Transaction tr(db().conn);
        tr.executeImmediate(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table)));
        tr.commit();
    }
}

double insertOurLayer() {
    const auto start = bench::now();
    fb::Transaction tr(db().conn);
    fb::Statement ins(tr, QStringLiteral("INSERT INTO BENCH_INSERT_LAYER (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
    for (int i = 0; i < kRows; ++i) {
        ins.bind(0, std::int64_t{i});
        ins.bind(1, QString::number(4600000000000LL + i));
        ins.execute(tr);
    }
    tr.commit();
    return std::chrono::duration<double, std::milli>(bench::now() - start).count();
}

double insertRaw() {
    isc_db_handle* h = db().conn.handle();
    const auto start = bench::now();
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    isc_start_transaction(st, &tr, 1, h, sizeof tpb, tpb);
    check(st);
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, h, &stmt);
    isc_dsql_prepare(st, &tr, &stmt, 0, "INSERT INTO BENCH_INSERT_RAW (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)", 3,
                     nullptr);
    check(st);
    auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(2)));
    in->version = SQLDA_VERSION1;
    in->sqln = 2;
    isc_dsql_describe_bind(st, &stmt, 3, in);
    ISC_INT64 id = 0;
    char code[32];
    short ind0 = 0, ind1 = 0;
    in->sqlvar[0].sqltype = SQL_INT64 | 1;
    in->sqlvar[0].sqlscale = 0;
    in->sqlvar[0].sqllen = 8;
    in->sqlvar[0].sqldata = reinterpret_cast<char*>(&id);
    in->sqlvar[0].sqlind = &ind0;
    in->sqlvar[1].sqltype = SQL_TEXT | 1;
    in->sqlvar[1].sqldata = code;
    in->sqlvar[1].sqlind = &ind1;
    for (int i = 0; i < kRows; ++i) {
        id = i;
        const int n = std::snprintf(code, sizeof code, "%lld", 4600000000000LL + i);
        in->sqlvar[1].sqllen = static_cast<short>(n);
        isc_dsql_execute(st, &tr, &stmt, 3, in);
        check(st);
    }
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    std::free(in);
    isc_commit_transaction(st, &tr);
    check(st);
    return std::chrono::duration<double, std::milli>(bench::now() - start).count();
}

void BM_InsertRawAndLayerInterleaved(benchmark::State& state) {
    bench::Timings raw, layer;
    std::vector<double> ratios;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        makeInsertTables();
        state.ResumeTiming();
        double r = 0, l = 0;
        if (round++ % 2 == 0) {
            r = insertRaw();
            l = insertOurLayer();
        } else {
            l = insertOurLayer();
            r = insertRaw();
        }
        raw.addMillis(r);
        layer.addMillis(l);
        ratios.push_back(l / r);
        state.PauseTiming();
        dropInsertTables();
        state.ResumeTiming();
    }
    state.counters["raw_median_ms"] = raw.quantile(0.5);
    state.counters["layer_median_ms"] = layer.quantile(0.5);
    std::nth_element(ratios.begin(), ratios.begin() + long(ratios.size() / 2), ratios.end());
    bench::budget(state, "layer_over_raw", "datalayer.insert_100000/raw", ratios[ratios.size() / 2], 1.3);
    state.SetItemsProcessed(state.iterations() * 2 * kRows);
}

// ---- look-ups --------------------------------------------------------------

void ensureRows() {
    fb::Transaction tr(db().conn);
    const auto n = fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM GOODS_BARCODE"));
    if (fb::toInt64(n->at(0)).value_or(0) == kRows) return;
    fb::execute(tr, QStringLiteral("DELETE FROM GOODS_BARCODE"));
    fb::Statement ins(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
    for (int i = 0; i < kRows; ++i) ins.execute(tr, {std::int64_t{i}, QString::number(4600000000000LL + i)});
    tr.commit();
}

void lookupOurLayer() {
    {
        fb::Transaction tr(db().conn);
        fb::Statement sel(tr, QStringLiteral("SELECT GOOD_ID FROM GOODS_BARCODE WHERE GOOD_BARCODE = ?"));
        std::int64_t sum = 0;
        for (int i = 0; i < kRows; ++i) {
            sel.execute(tr, {QString::number(4600000000000LL + (i * 7919) % kRows)});
            if (sel.fetch()) sum += fb::toInt64(sel.row().at(0)).value_or(0);
            sel.closeCursor();
        }
        benchmark::DoNotOptimize(sum);
        tr.commit();
    }
}

void lookupRaw() {
    isc_db_handle* h = db().conn.handle();
    {
        ISC_STATUS_ARRAY st;
        isc_tr_handle tr = 0;
        static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                   isc_tpb_nowait};
        isc_start_transaction(st, &tr, 1, h, sizeof tpb, tpb);
        isc_stmt_handle stmt = 0;
        isc_dsql_allocate_statement(st, h, &stmt);
        auto* out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(1)));
        out->version = SQLDA_VERSION1;
        out->sqln = 1;
        isc_dsql_prepare(st, &tr, &stmt, 0, "SELECT GOOD_ID FROM GOODS_BARCODE WHERE GOOD_BARCODE = ?", 3, out);
        check(st);
        auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(1)));
        in->version = SQLDA_VERSION1;
        in->sqln = 1;
        isc_dsql_describe_bind(st, &stmt, 3, in);
        char code[32];
        short ind = 0, oind = 0;
        ISC_LONG gid = 0;
        in->sqlvar[0].sqltype = SQL_TEXT | 1;
        in->sqlvar[0].sqldata = code;
        in->sqlvar[0].sqlind = &ind;
        out->sqlvar[0].sqltype = SQL_LONG | 1;
        out->sqlvar[0].sqldata = reinterpret_cast<char*>(&gid);
        out->sqlvar[0].sqlind = &oind;
        std::int64_t sum = 0;
        for (int i = 0; i < kRows; ++i) {
            const int n = std::snprintf(code, sizeof code, "%lld", 4600000000000LL + (i * 7919) % kRows);
            in->sqlvar[0].sqllen = static_cast<short>(n);
            isc_dsql_execute(st, &tr, &stmt, 3, in);
            check(st);
            if (isc_dsql_fetch(st, &stmt, 3, out) == 0) sum += gid;
            isc_dsql_free_statement(st, &stmt, DSQL_close);
        }
        benchmark::DoNotOptimize(sum);
        isc_dsql_free_statement(st, &stmt, DSQL_drop);
        std::free(in);
        std::free(out);
        isc_commit_transaction(st, &tr);
    }
}

// 100,000 look-ups in one transaction a side, the sides in turns.
void BM_Lookups(benchmark::State& state) {
    ensureRows();
    bench::paired(state, "datalayer.lookup_100000/raw", 1.3, lookupOurLayer, lookupRaw);
    state.SetItemsProcessed(state.iterations() * 2 * kRows);
}

BENCHMARK(BM_InsertRawAndLayerInterleaved)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(6));
BENCHMARK(BM_Lookups)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(6));

}  // namespace

int main(int argc, char** argv) {
    return bench::runAll<QCoreApplication>(argc, argv);
}
