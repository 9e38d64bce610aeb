// Stock documents against the client library called directly on the same
// embedded database, the two sides in turns: filling an inventory of
// 100,000 goods into the working list and showing it, against a raw select
// of the same goods copied by a prepared insert into the working list in
// one transaction (target: within 2x); posting a 10,000-line document,
// against the same work by hand (the document row, each line's stock
// update and stored line, the state) in one transaction (within 2x); and
// undoing each side's posting, also timed on both sides (within 2x).
#include "BenchDb.h"
#include "BenchStats.h"
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

using bench::RawStatement;
using bench::RawTransaction;

// ---- inventory fill --------------------------------------------------------

// The goods of the whole catalogue as the fill reads them.
const QString kFillSelect = QStringLiteral(
    "SELECT GOOD_ID, GOOD_NAME, GOOD_COUNT, GOOD_EDIZM, COUNTRY_NAME FROM GOODS LEFT JOIN COUNTRIES ON "
    "GOOD_COUNTRY_CODE=COUNTRY_CODE WHERE GOOD_ISGOOD=1 ORDER BY GOOD_NAME COLLATE PXW_CYRL");

int rawFill() {
    isc_db_handle* h = db().conn.handle();
    RawTransaction tr(h, true);
    ISC_STATUS_ARRAY st;
    isc_dsql_execute_immediate(st, h, tr.handle(), 0, "DELETE FROM GOODS_TEMP", 3, nullptr);
    bench::check(st);
    int rows = 0;
    {
        RawStatement goods(h, tr, kFillSelect);
        RawStatement ins(h, tr,
                         QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY) "
                                        "VALUES (?, ?, ?, ?, ?)"));
        goods.execute(tr);
        while (goods.fetch()) {
            ins.execute(tr, {goods.whole(0), goods.bytes(1), goods.bytes(2), goods.bytes(3), fb::null()});
            ++rows;
        }
    }
    tr.commit();
    return rows;
}

void BM_FillInventory(benchmark::State& state) {
    stock::InventoryLines lines;
    lines.setKindColumns(stock::columnsForKind(stock::Inventory));
    QTableView view;
    view.setModel(&lines);
    view.resize(900, 600);
    view.show();
    bench::paired(
        state, "stock.inventory_fill_shown/raw_copy", 2.0,
        [&] {
            fb::Transaction tr(db().conn);
            std::vector<stock::Line> filled = stock::fillFromGroup(tr, stock::Inventory, 0, true, true);
            tr.commit();
            lines.setLines(std::move(filled));
            QApplication::processEvents();
            if (lines.size() != kGoods) std::abort();
        },
        [] {
            if (rawFill() != kGoods) std::abort();
        });
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

// What the post command sends: the check for an empty document, the state,
// and the posting itself, in one transaction; then the statistics.
int ourPost(int number) {
    fb::Transaction tr(db().conn);
    if (stock::isEmptyForPosting(tr, stock::SurplusEntry)) std::abort();
    const stock::DocStatus s = stock::docStatus(tr, stock::SurplusEntry, number);
    stock::SaveRequest r;
    r.post = true;
    r.existing = s.state == stock::Saved;
    r.kind = stock::SurplusEntry;
    r.number = number;
    r.date = QDate::currentDate();
    const int id = stock::saveDocument(tr, r);
    tr.commit();
    stock::refreshStatisticsAfterPosting(db().conn);
    return id;
}

void ourUndo(int id) {
    fb::Transaction undo(db().conn);
    stock::unpostDocument(undo, id);
    stock::deleteDocument(undo, id);
    undo.commit();
}

// The same posting by hand, set-based, each statement prepared once for
// the run through the client library and executed in one transaction: the
// document stored, each line stored with the goods item's old and new
// stock, the stock raised from the stored lines, the document marked
// posted. The least the engine can be asked to do for it: a floor.
constexpr std::int64_t kRawDocBase = 900000000;

struct RawPosting {
    isc_db_handle* h = db().conn.handle();
    RawTransaction prepare{h, false};
    RawStatement doc{h, prepare,
                     QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_NUMBER, DOC_DATE_D, "
                                    "DOC_TIME_T, DOC_USER) VALUES (?, 52, 1, ?, ?, CURRENT_TIME, '')")};
    RawStatement lines{
        h, prepare,
        QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_PRICE_MAIN, "
                       "DD_DECLARE_NUMBER, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, DD_GOOD_PAYTYPE) "
                       "SELECT CAST(? AS INTEGER), T.G_ID, T.G_NAME, T.G_PRICE, T.G_DECLAR_NUMBER, G.GOOD_COUNT, "
                       "CAST(CAST(G.GOOD_COUNT AS DECIMAL(15,3)) + CAST(T.G_PRICE AS DECIMAL(15,3)) AS VARCHAR(20)), 1 "
                       "FROM GOODS_TEMP T JOIN GOODS G ON G.GOOD_ID = T.G_ID")};
    RawStatement raise{h, prepare,
                       QStringLiteral("MERGE INTO GOODS G USING (SELECT DD_GOOD_ID, DD_GOOD_COUNT FROM DOCUMENTS_DETAIL "
                                      "WHERE DD_DOC_ID = ?) D ON G.GOOD_ID = D.DD_GOOD_ID "
                                      "WHEN MATCHED THEN UPDATE SET GOOD_COUNT = D.DD_GOOD_COUNT")};
    RawStatement posted{h, prepare, QStringLiteral("UPDATE DOCUMENTS SET DOC_CHECK_TYPE = 2 WHERE DOC_ID = ?")};
    // ...and undone: each goods item's stock back from its stored line, the
    // lines and the document deleted.
    RawStatement lower{h, prepare,
                       QStringLiteral("MERGE INTO GOODS G USING (SELECT DD_GOOD_ID, DD_GOOD_PRICE_CURRENT FROM "
                                      "DOCUMENTS_DETAIL WHERE DD_DOC_ID = ?) D ON G.GOOD_ID = D.DD_GOOD_ID "
                                      "WHEN MATCHED THEN UPDATE SET GOOD_COUNT = D.DD_GOOD_PRICE_CURRENT")};
    RawStatement dropLines{h, prepare, QStringLiteral("DELETE FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ?")};
    RawStatement dropDoc{h, prepare, QStringLiteral("DELETE FROM DOCUMENTS WHERE DOC_ID = ?")};

    void post(std::int64_t docId) {
        RawTransaction tr(h, true);
        doc.execute(tr, {docId, docId, QDate::currentDate()});
        lines.execute(tr, {docId});
        raise.execute(tr, {docId});
        posted.execute(tr, {docId});
        tr.commit();
    }
    void undo(std::int64_t docId) {
        RawTransaction tr(h, true);
        lower.execute(tr, {docId});
        dropLines.execute(tr, {docId});
        dropDoc.execute(tr, {docId});
        tr.commit();
    }
};

void BM_PostDocument(benchmark::State& state) {
    preparePostingLines();
    RawPosting raw;
    bench::Timings post, rawPosts, undo, rawUndos;
    int number = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            ++number;
            if ((k == 0) == rawFirst) {
                auto start = bench::now();
                raw.post(kRawDocBase + number);
                rawPosts.add(start);
                start = bench::now();
                raw.undo(kRawDocBase + number);
                rawUndos.add(start);
            } else {
                auto start = bench::now();
                const int id = ourPost(number);
                post.add(start);
                start = bench::now();
                ourUndo(id);
                undo.add(start);
            }
        }
        rawFirst = !rawFirst;
    }
    post.report(state, "post");
    rawPosts.report(state, "raw_post");
    undo.report(state, "undo");
    rawUndos.report(state, "raw_undo");
    bench::budget(state, "post_ratio", "stock.post_10000_lines/raw_set_statements", post.median() / rawPosts.median(), 2.0);
    bench::budget(state, "undo_ratio", "stock.undo_10000_lines/raw_set_statements", undo.median() / rawUndos.median(), 2.0);
    state.SetItemsProcessed(state.iterations() * kPostLines);
}

BENCHMARK(BM_FillInventory)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(6));
BENCHMARK(BM_PostDocument)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(8));

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runAll<QApplication>(argc, argv);
}
