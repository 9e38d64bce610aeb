// The schema check every showing of the main screen runs, on a database
// that is already up to date (the case of every login but the first after
// an update), against its floor by hand through the client library, in
// turns: the same facts read from the system tables in one read-only
// transaction, a statement for each kind of object (the program's columns,
// tables, procedures with their parameter counts, sequences, triggers,
// indexes with their statistics, and the archive's size), the working
// goods list counted, and its sequence restarted in a read-write
// transaction, as every showing does. Budget: within 2x of the floor.
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

// Every row of each statement, in one read-only transaction.
void rawReadAll(isc_db_handle* h, const std::vector<QString>& statements) {
    bench::RawTransaction tr(h, false);
    for (const QString& sql : statements) {
        bench::RawStatement s(h, tr, sql);
        s.execute(tr);
        while (s.fetch()) {
        }
    }
    tr.commit();
}

void rawCheckFloor() {
    static const std::vector<QString> facts{
        QStringLiteral("SELECT RDB$RELATION_NAME, RDB$FIELD_NAME, RDB$DESCRIPTION FROM RDB$RELATION_FIELDS WHERE "
                       "RDB$RELATION_NAME IN ('DOCUMENTS', 'DOCUMENTS_DETAIL', 'GOODS_TEMP', 'GOODS', 'SUPPLIERS')"),
        QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"),
        QStringLiteral("SELECT RDB$PROCEDURE_NAME, RDB$PROCEDURE_INPUTS, RDB$PROCEDURE_OUTPUTS FROM RDB$PROCEDURES "
                       "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"),
        QStringLiteral("SELECT CAST(RDB$PROCEDURE_SOURCE AS VARCHAR(8000)) FROM RDB$PROCEDURES "
                       "WHERE RDB$PROCEDURE_NAME = 'DOC_GOODMOVE_SAVE'"),
        QStringLiteral("SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"),
        QStringLiteral("SELECT RDB$TRIGGER_NAME FROM RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"),
        QStringLiteral("SELECT RDB$INDEX_NAME, RDB$RELATION_NAME, RDB$STATISTICS FROM RDB$INDICES "
                       "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0"),
        QStringLiteral("SELECT GEN_ID(GEN_DOC_ID, 0) FROM RDB$DATABASE"),
        QStringLiteral("SELECT COUNT(*) FROM (SELECT FIRST 251 1 AS ONE FROM GOODS_TEMP)"),
    };
    isc_db_handle* h = db().conn.handle();
    rawReadAll(h, facts);
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, sizeof tpb, tpb);
    check(st);
    isc_dsql_execute_immediate(st, h, &tr, 0, "ALTER SEQUENCE GEN_RECORD_ID RESTART WITH 0", 3, nullptr);
    check(st);
    isc_commit_transaction(st, &tr);
    check(st);
}

// The check and its floor in turns; a ratio of medians, since the machine's
// load moves both alike.
void BM_SchemaCheckUpToDate(benchmark::State& state) {
    bench::paired(
        state, "schema_check.up_to_date/raw_same_reads", 2.0, [] { core::SchemaUpgrade(db().conn); }, rawCheckFloor);
}

BENCHMARK(BM_SchemaCheckUpToDate)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(300));

}  // namespace

int main(int argc, char** argv) {
    return bench::runAll<QCoreApplication>(argc, argv);
}
