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

// The same posting by hand: the working list read, the document stored,
// each line's stock raised and its line stored with the old and new stock,
// the document marked posted.
constexpr std::int64_t kRawDocBase = 900000000;

void rawPost(std::int64_t docId) {
    isc_db_handle* h = db().conn.handle();
    RawTransaction tr(h, true);
    {
        struct Line {
            std::int64_t id;
            QByteArray name, qty;
        };
        std::vector<Line> work;
        RawStatement read(h, tr,
                          QStringLiteral("SELECT G_ID, G_NAME, G_PRICE FROM GOODS_TEMP WHERE G_ID IS NOT NULL"));
        read.execute(tr);
        while (read.fetch())
            work.push_back({read.whole(0), read.bytes(1), read.bytes(2)});
        RawStatement doc(h, tr,
                         QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_NUMBER, "
                                        "DOC_DATE_D, DOC_TIME_T, DOC_USER) VALUES (?, 52, 1, ?, ?, CURRENT_TIME, '')"));
        doc.execute(tr, {docId, docId, QDate::currentDate()});
        RawStatement stock(h, tr, QStringLiteral("SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = ?"));
        RawStatement update(h, tr, QStringLiteral("UPDATE GOODS SET GOOD_COUNT = ? WHERE GOOD_ID = ?"));
        RawStatement line(h, tr,
                          QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, "
                                         "DD_GOOD_PRICE_MAIN, DD_GOOD_PRICE_CURRENT, DD_GOOD_COUNT, "
                                         "DD_GOOD_PAYTYPE) VALUES (?, ?, ?, ?, ?, ?, 1)"));
        for (const Line& l : work) {
            stock.execute(tr, {l.id});
            if (!stock.fetch()) std::abort();
            const QByteArray old = stock.bytes(0);
            stock.close();
            const QByteArray now = QByteArray::number(old.toDouble() + l.qty.toDouble(), 'f', 3);
            update.execute(tr, {now, l.id});
            line.execute(tr, {docId, l.id, l.name, l.qty, old, now});
        }
        RawStatement posted(h, tr, QStringLiteral("UPDATE DOCUMENTS SET DOC_CHECK_TYPE = 2 WHERE DOC_ID = ?"));
        posted.execute(tr, {docId});
    }
    tr.commit();
}

// ...and undone by hand: each goods item's stock back from its stored
// line, the lines and the document deleted.
void rawUndo(std::int64_t docId) {
    isc_db_handle* h = db().conn.handle();
    RawTransaction tr(h, true);
    {
        std::vector<std::pair<std::int64_t, QByteArray>> back;
        RawStatement lines(h, tr,
                           QStringLiteral("SELECT DD_GOOD_ID, DD_GOOD_PRICE_CURRENT FROM DOCUMENTS_DETAIL "
                                          "WHERE DD_DOC_ID = ?"));
        lines.execute(tr, {docId});
        while (lines.fetch()) back.emplace_back(lines.whole(0), lines.bytes(1));
        RawStatement update(h, tr, QStringLiteral("UPDATE GOODS SET GOOD_COUNT = ? WHERE GOOD_ID = ?"));
        for (const auto& [id, old] : back) update.execute(tr, {old, id});
        RawStatement dropLines(h, tr, QStringLiteral("DELETE FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = ?"));
        dropLines.execute(tr, {docId});
        RawStatement dropDoc(h, tr, QStringLiteral("DELETE FROM DOCUMENTS WHERE DOC_ID = ?"));
        dropDoc.execute(tr, {docId});
    }
    tr.commit();
}

void BM_PostDocument(benchmark::State& state) {
    preparePostingLines();
    bench::Timings post, rawPosts, undo, rawUndos;
    int number = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            ++number;
            if ((k == 0) == rawFirst) {
                auto start = bench::now();
                rawPost(kRawDocBase + number);
                rawPosts.add(start);
                start = bench::now();
                rawUndo(kRawDocBase + number);
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
    bench::budget(state, "post_ratio", "stock.post_10000_lines/raw", post.median() / rawPosts.median(), 2.0);
    bench::budget(state, "undo_ratio", "stock.undo_10000_lines/raw", undo.median() / rawUndos.median(), 2.0);
    state.SetItemsProcessed(state.iterations() * kPostLines);
}

BENCHMARK(BM_FillInventory)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(6));
BENCHMARK(BM_PostDocument)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(8));

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
