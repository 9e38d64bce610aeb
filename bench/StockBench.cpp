// Stock documents against raw client calls on the same embedded database,
// in the same run: filling an inventory of 100,000 goods into the working
// list and showing it, against a raw prepared insert of the same rows in one
// transaction (target: within 2x); posting a 10,000-line document, against
// raw prepared updates of the same goods in one transaction (within 2x).
#include "BenchDb.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "stock/InventoryLines.h"
#include "stock/StockLogic.h"
#include "stock/StockRepository.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kGoods = 100000;
constexpr int kPostLines = 10000;

struct Db : bench::FreshDb {
    Db() {
        fb::Transaction tr(conn);
        fb::Statement ins(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                                             "GOOD_EDIZM, GOOD_COUNT, GOOD_W) VALUES (?, ?, 1, 0, 'pc', ?, '0')"));
        for (int i = 1; i <= kGoods; ++i) ins.execute(tr, {std::int64_t{i}, name(i), QString::number(i % 50)});
        tr.commit();
        // The working list's pages are made once here, so that neither side
        // of the fill comparison pays for growing the file.
        fb::Transaction warm(conn);
        fb::execute(warm, QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM) "
                                         "SELECT GOOD_ID, GOOD_NAME, GOOD_COUNT, GOOD_EDIZM FROM GOODS"));
        warm.commit();
        fb::Transaction clear(conn);
        fb::execute(clear, QStringLiteral("DELETE FROM GOODS_TEMP"));
        clear.commit();
    }
    static QString name(int i) { return QStringLiteral("Goods %1").arg(i, 6, 10, QLatin1Char('0')); }
};

Db& db() {
    static Db d;
    return d;
}

using bench::check;

const char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};

// ---- inventory fill --------------------------------------------------------

void BM_FillInventoryShown(benchmark::State& state) {
    stock::InventoryLines lines;
    lines.setKindColumns(stock::columnsForKind(stock::Inventory));
    QTableView view;
    view.setModel(&lines);
    view.resize(900, 600);
    view.show();
    for (auto _ : state) {
        fb::Transaction tr(db().conn);
        std::vector<stock::Line> filled = stock::fillFromGroup(tr, stock::Inventory, 0, true, true);
        tr.commit();
        lines.setLines(std::move(filled));
        QApplication::processEvents();
        if (lines.size() != kGoods) std::abort();
    }
    state.SetItemsProcessed(state.iterations() * kGoods);
}

void BM_FillRawInsert(benchmark::State& state) {
    isc_db_handle* h = db().conn.handle();
    for (auto _ : state) {
        ISC_STATUS_ARRAY st;
        isc_tr_handle tr = 0;
        isc_start_transaction(st, &tr, 1, h, sizeof kTpb, kTpb);
        check(st);
        isc_dsql_execute_immediate(st, h, &tr, 0, "DELETE FROM GOODS_TEMP", 3, nullptr);
        check(st);
        isc_stmt_handle stmt = 0;
        isc_dsql_allocate_statement(st, h, &stmt);
        isc_dsql_prepare(st, &tr, &stmt, 0,
                         "INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY) VALUES (?, ?, ?, ?, ?)", 3,
                         nullptr);
        check(st);
        auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(5)));
        in->version = SQLDA_VERSION1;
        in->sqln = 5;
        isc_dsql_describe_bind(st, &stmt, 3, in);
        ISC_LONG id = 0;
        char nameBuf[96], price[16];
        char unit[] = "pc";
        short ind[5] = {0, 0, 0, 0, -1};
        in->sqlvar[0].sqltype = SQL_LONG | 1;
        in->sqlvar[0].sqlscale = 0;
        in->sqlvar[0].sqllen = 4;
        in->sqlvar[0].sqldata = reinterpret_cast<char*>(&id);
        in->sqlvar[1].sqltype = SQL_TEXT | 1;
        in->sqlvar[1].sqldata = nameBuf;
        in->sqlvar[2].sqltype = SQL_TEXT | 1;
        in->sqlvar[2].sqldata = price;
        in->sqlvar[3].sqltype = SQL_TEXT | 1;
        in->sqlvar[3].sqldata = unit;
        in->sqlvar[3].sqllen = 2;
        in->sqlvar[4].sqltype = SQL_TEXT | 1;
        in->sqlvar[4].sqldata = unit;
        in->sqlvar[4].sqllen = 0;
        for (int i = 0; i < 5; ++i) in->sqlvar[i].sqlind = &ind[i];
        for (int i = 1; i <= kGoods; ++i) {
            id = i;
            in->sqlvar[1].sqllen = static_cast<short>(std::snprintf(nameBuf, sizeof nameBuf, "Goods %06d", i));
            in->sqlvar[2].sqllen = static_cast<short>(std::snprintf(price, sizeof price, "%d.000", i % 50));
            isc_dsql_execute(st, &tr, &stmt, 3, in);
            check(st);
        }
        isc_dsql_free_statement(st, &stmt, DSQL_drop);
        std::free(in);
        isc_commit_transaction(st, &tr);
        check(st);
    }
    state.SetItemsProcessed(state.iterations() * kGoods);
}

// ---- posting ---------------------------------------------------------------

// The working list of a surplus entry of one piece for each of the first
// 10,000 goods.
void preparePostingLines() {
    fb::Transaction tr(db().conn);
    stock::clearLines(tr);
    stock::LineChanges c;
    for (int i = 1; i <= kPostLines; ++i)
        c.inserted.push_back({i, Db::name(i), {}, QStringLiteral("pc"), QStringLiteral("1.000"), {}});
    stock::writeLineChanges(tr, c);
    tr.commit();
}

void BM_PostDocument(benchmark::State& state) {
    preparePostingLines();
    int number = 0;
    for (auto _ : state) {
        // What the post command sends: the check for an empty document, the
        // state, and the posting itself, in one transaction.
        fb::Transaction tr(db().conn);
        if (stock::isEmptyForPosting(tr, stock::SurplusEntry)) std::abort();
        ++number;
        const stock::DocStatus s = stock::docStatus(tr, stock::SurplusEntry, number);
        stock::SaveRequest r;
        r.post = true;
        r.existing = s.state == stock::Saved;
        r.kind = stock::SurplusEntry;
        r.number = number;
        r.date = QDate::currentDate();
        const int id = stock::saveDocument(tr, r);
        tr.commit();

        state.PauseTiming();
        fb::Transaction undo(db().conn);
        stock::unpostDocument(undo, id);
        stock::deleteDocument(undo, id);
        undo.commit();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPostLines);
}

void BM_PostRawUpdates(benchmark::State& state) {
    isc_db_handle* h = db().conn.handle();
    for (auto _ : state) {
        ISC_STATUS_ARRAY st;
        isc_tr_handle tr = 0;
        isc_start_transaction(st, &tr, 1, h, sizeof kTpb, kTpb);
        check(st);
        isc_stmt_handle stmt = 0;
        isc_dsql_allocate_statement(st, h, &stmt);
        isc_dsql_prepare(st, &tr, &stmt, 0, "UPDATE GOODS SET GOOD_COUNT = ? WHERE GOOD_ID = ?", 3, nullptr);
        check(st);
        auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(2)));
        in->version = SQLDA_VERSION1;
        in->sqln = 2;
        isc_dsql_describe_bind(st, &stmt, 3, in);
        char count[16];
        ISC_LONG id = 0;
        short ind0 = 0, ind1 = 0;
        in->sqlvar[0].sqltype = SQL_TEXT | 1;
        in->sqlvar[0].sqldata = count;
        in->sqlvar[0].sqlind = &ind0;
        in->sqlvar[1].sqltype = SQL_LONG | 1;
        in->sqlvar[1].sqlscale = 0;
        in->sqlvar[1].sqllen = 4;
        in->sqlvar[1].sqldata = reinterpret_cast<char*>(&id);
        in->sqlvar[1].sqlind = &ind1;
        for (int i = 1; i <= kPostLines; ++i) {
            id = i;
            in->sqlvar[0].sqllen = static_cast<short>(std::snprintf(count, sizeof count, "%d.000", i % 50));
            isc_dsql_execute(st, &tr, &stmt, 3, in);
            check(st);
        }
        isc_dsql_free_statement(st, &stmt, DSQL_drop);
        std::free(in);
        isc_commit_transaction(st, &tr);
        check(st);
    }
    state.SetItemsProcessed(state.iterations() * kPostLines);
}

// Repetitions give the median; the slowest repetition stands for p99.
double slowest(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

BENCHMARK(BM_FillRawInsert)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ComputeStatistics("p99", slowest);
BENCHMARK(BM_FillInventoryShown)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ComputeStatistics("p99", slowest);
BENCHMARK(BM_PostRawUpdates)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ComputeStatistics("p99", slowest);
BENCHMARK(BM_PostDocument)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5)
    ->ComputeStatistics("p99", slowest);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
