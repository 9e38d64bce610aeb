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
    }
};

Db& db() {
    static Db d;
    return d;
}

using bench::check;

QByteArray cp1251(const QString& text) {
    QByteArray b;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 128)
            b += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            b += char(u - 0x0410 + 0xC0);
        else if (u == 0x0401)
            b += char(0xA8);
        else if (u == 0x0451)
            b += char(0xB8);
        else if (u == 0x00A4)
            b += char(0xA4);
        else
            b += '?';
    }
    return b;
}

// The same kind of transaction the list model starts: read-only.
const char kTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};

// The same statement through the client library alone: text parameters in
// Windows-1251, every column fetched into plain buffers.
int rawFetch(const catalogue::GoodNameFindQuery& q) {
    isc_db_handle* h = db().conn.handle();
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, sizeof kTpb, kTpb);
    check(st);
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, h, &stmt);
    const QByteArray sql = cp1251(q.sql);
    isc_dsql_prepare(st, &tr, &stmt, 0, sql.constData(), 3, nullptr);
    check(st);
    std::unique_ptr<XSQLDA, decltype(&std::free)> out(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(40))),
                                                      &std::free);
    out->version = SQLDA_VERSION1;
    out->sqln = 40;
    isc_dsql_describe(st, &stmt, 3, out.get());
    check(st);
    std::vector<std::vector<char>> bufs(out->sqld);
    std::vector<short> inds(out->sqld);
    for (int i = 0; i < out->sqld; ++i) {
        bufs[i].resize(out->sqlvar[i].sqllen + 2);
        out->sqlvar[i].sqldata = bufs[i].data();
        out->sqlvar[i].sqlind = &inds[i];
    }
    std::unique_ptr<XSQLDA, decltype(&std::free)> in(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(4))),
                                                     &std::free);
    in->version = SQLDA_VERSION1;
    in->sqln = 4;
    isc_dsql_describe_bind(st, &stmt, 3, in.get());
    check(st);
    std::vector<QByteArray> texts;
    texts.reserve(q.params.size());
    short inInd[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < q.params.size(); ++i) {
        XSQLVAR& v = in->sqlvar[i];
        v.sqlind = &inInd[i];
        texts.push_back(cp1251(fb::toString(q.params[i])));
        v.sqltype = SQL_TEXT | 1;
        v.sqllen = static_cast<short>(texts.back().size());
        v.sqldata = texts.back().data();
    }
    isc_dsql_execute(st, &tr, &stmt, 3, q.params.empty() ? nullptr : in.get());
    check(st);
    int rows = 0;
    while (isc_dsql_fetch(st, &stmt, 3, out.get()) == 0) ++rows;
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    isc_commit_transaction(st, &tr);
    check(st);
    return rows;
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
void pair(benchmark::State& state, const QString& text, bool startsWith) {
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
    state.counters["ratio"] = ours.quantile(0.5) / raw.quantile(0.5);
}

void BM_NameStartsWith(benchmark::State& state) {
    pair(state, kStarts, true);
}
void BM_NameContains(benchmark::State& state) {
    pair(state, kContains, false);
}

}  // namespace

BENCHMARK(BM_NameStartsWith)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_NameContains)->Unit(benchmark::kMillisecond)->Iterations(40);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();
    if (expected(kStarts, true) != 100 || expected(kContains, false) < 500) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
