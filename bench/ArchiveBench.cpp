// The receipt archive on a year of sales (300,000 receipts, 1,000,000
// lines), after the login that follows it (the schema check computes the
// statistics the year left stale), against the client library called
// directly on the same embedded database, the two sides in turns: a search
// by fiscal sign within 2x one raw indexed look-up; a search by one day and
// a buyer-name search over the year within 1.5x the raw statement; the
// sales report for a month and for the year within 1.3x the raw query that
// reads the same lines with the same plan; and a month's report within 15 %
// of the year's.
//
// The search window's first screen with no filter (every sale receipt,
// newest first, as it opens) costs the same on a month's archive and on the
// year's: the window's search on the year against the same on a month in
// turns, within 1.5x; and on the year within 2x of the raw client fetching
// the same rows (the first batch of receipts and the lines of the first).
#include "BenchDb.h"
#include "BenchStats.h"
#include "archive/ReceiptSearch.h"
#include "archive/uFindCheck.h"
#include "archive/SalesReport.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kReceipts = 300000;      // a year at about 830 a day
constexpr int kMonthReceipts = 30000;  // the first month of a shop of the same size
const QDate kYearStart(2024, 1, 1);

struct Db : bench::FreshDb {
    explicit Db(int receipts) {
        fb::Transaction tr(conn);
        fb::Statement doc(tr, QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, "
                                             "DOC_TIME_T, DOC_FPD, DOC_SUMM_FULL, DOC_PAY_NAL, DOC_PAY_EL, "
                                             "DOC_BUYER_NAME) VALUES (?, 3, ?, ?, '12:00', ?, '300.00', '200.00', "
                                             "'100.00', ?)"));
        fb::Statement line(tr, QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, "
                                              "DD_GOOD_PRICE_CURRENT, DD_GOOD_PRICE_MAIN, DD_GOOD_COUNT, "
                                              "DD_GOOD_PAYTYPE) VALUES (?, ?, ?, '100.00', '110.00', '1', 4)"));
        int lines = 0;
        const int allLines = int(std::int64_t{receipts} * 10 / 3);
        for (int i = 1; i <= receipts; ++i) {
            doc.execute(tr, {std::int64_t{i}, std::int64_t{i % 20 == 0 ? 2 : 1}, kYearStart.addDays(i % 366),
                             QString::number(1000000000 + i),
                             i % 10 == 0 ? fb::Value(QStringLiteral("BUYER %1").arg(i)) : fb::null()});
            // 1,000,000 lines in a year: three or four a receipt.
            const int n = (i % 3 == 0) ? 4 : 3;
            for (int k = 0; k < n && lines < allLines; ++k, ++lines) {
                const int goods = (i * 7 + k) % 5000 + 1;
                line.execute(tr, {std::int64_t{i}, std::int64_t{goods}, QStringLiteral("GOODS %1").arg(goods)});
            }
        }
        tr.commit();
        core::SchemaUpgrade(conn);  // the next login
    }
};

Db& db() {
    static Db d(kReceipts);
    return d;
}
Db& monthDb() {
    static Db d(kMonthReceipts);
    return d;
}


// The statement through the client library alone.
long rawFetchAll(const QString& sql, const std::vector<fb::Value>& params = {}) {
    return bench::rawFetch(db().conn.handle(), sql, params);
}

long ourSearch(const archive::ReceiptSearchFilter& f) {
    const archive::ReceiptSearchQuery q = archive::buildReceiptSearchQuery(f);
    fb::Transaction tr(db().conn, fb::Transaction::Access::ReadOnly);
    fb::Statement s(tr, q.sql);
    s.bindAll(q.params);
    s.execute(tr);
    long rows = 0;
    while (s.fetch()) ++rows;
    tr.commit();
    return rows;
}
long rawSearch(const archive::ReceiptSearchFilter& f) {
    const archive::ReceiptSearchQuery q = archive::buildReceiptSearchQuery(f);
    return rawFetchAll(q.sql, q.params);
}

archive::ReceiptSearchFilter byFpd() {
    archive::ReceiptSearchFilter f;
    f.fpd = QStringLiteral("1000150000");
    return f;
}
archive::ReceiptSearchFilter byDay() {
    archive::ReceiptSearchFilter f;
    f.dateOn = true;
    f.from = f.to = QDate(2024, 3, 1);
    return f;
}
archive::ReceiptSearchFilter byBuyer() {
    archive::ReceiptSearchFilter f;
    f.buyerOn = true;
    f.buyerName = QStringLiteral("buyer 1234");
    return f;
}

void BM_SearchFpd(benchmark::State& state) {
    bench::paired(
        state, "archive.fpd_search/raw_indexed_lookup", 2.0,
        [] {
            if (ourSearch(byFpd()) != 1) std::abort();
        },
        [] {
            if (rawFetchAll(QStringLiteral("SELECT * FROM DOCUMENTS WHERE DOC_FPD=?"), {QStringLiteral("1000150000")}) !=
                1)
                std::abort();
        });
}
void BM_SearchDay(benchmark::State& state) {
    const long want = rawSearch(byDay());
    bench::paired(
        state, "archive.day_search/raw", 1.5,
        [&] {
            if (ourSearch(byDay()) != want) std::abort();
        },
        [&] {
            if (rawSearch(byDay()) != want) std::abort();
        });
}
void BM_SearchBuyer(benchmark::State& state) {
    const long want = rawSearch(byBuyer());
    bench::paired(
        state, "archive.buyer_search/raw", 1.5,
        [&] {
            if (ourSearch(byBuyer()) != want) std::abort();
        },
        [&] {
            if (rawSearch(byBuyer()) != want) std::abort();
        });
}

// The statement the report reads its lines with, as readSalesLines sends it.
const QString kSalesLines = QStringLiteral(
    "SELECT D.DOC_ID, D.DOC_CHECK_TYPE, D.DOC_PAY_NAL, D.DOC_PAY_EL, D.DOC_PAY_ADVANCE, DD.DD_GOOD_ID, "
    "DD.DD_GOOD_NAME, DD.DD_GOOD_PRICE_CURRENT, DD.DD_GOOD_PRICE_MAIN, DD.DD_GOOD_COUNT, DD.DD_GOOD_PAYTYPE "
    "FROM DOCUMENTS D JOIN DOCUMENTS_DETAIL DD ON DD.DD_DOC_ID = D.DOC_ID + 0 "
    "WHERE D.DOC_TYPE = 3 AND D.DOC_CHECK_TYPE IN (1, 2) AND D.DOC_DATE_D BETWEEN ? AND ?");

const QDate kMonthEnd(2024, 1, 31), kYearEnd(2024, 12, 31);

std::size_t ourReport(const QDate& to) {
    const auto lines = archive::readSalesLines(db().conn, kYearStart, to, archive::SalesVariant::All, {});
    benchmark::DoNotOptimize(archive::buildSalesReport(lines, archive::SalesVariant::All));
    return lines.size();
}

// Our side reads the lines and builds the report's rows; the raw side only
// fetches the same lines.
void salesReport(benchmark::State& state, const char* label, const QDate& to) {
    const long want = rawFetchAll(kSalesLines, {kYearStart, to});
    bench::paired(
        state, label, 1.3,
        [&] {
            if (long(ourReport(to)) != want) std::abort();
        },
        [&] {
            if (rawFetchAll(kSalesLines, {kYearStart, to}) != want) std::abort();
        });
}
void BM_SalesMonth(benchmark::State& state) {
    salesReport(state, "archive.sales_month/raw_same_plan", kMonthEnd);
}
void BM_SalesYear(benchmark::State& state) {
    salesReport(state, "archive.sales_year/raw_same_plan", kYearEnd);
}
// A month reads only its own lines: its report against the year's, in turns.
void BM_SalesMonthShareOfYear(benchmark::State& state) {
    bench::paired(
        state, "archive.sales_month/sales_year", 0.15, [] { ourReport(kMonthEnd); }, [] { ourReport(kYearEnd); });
}

// ---- the search window's first screen -------------------------------------------

// The receipt search window on an archive, as the cashier opens it: no
// filter, a search, the first batch of receipts listed and the lines of the
// first shown.
struct SearchWindow {
    QTemporaryDir folder;
    TfmFindCheck window;
    explicit SearchWindow(Db& d) : window(d.conn.params(), QStringLiteral("ПРИХОД"), folder.path()) {}
    int firstScreen() {
        window.btnFindClick();
        if (window.currentDocId() == 0 || window.positionRows().empty()) std::abort();
        return window.DBGrid1->model()->rowCount();
    }
};

// The window's search against the same search on a month's archive, in
// turns: the archive's size must not show.
void BM_FirstScreenYearOverMonth(benchmark::State& state) {
    SearchWindow year(db()), month(monthDb());
    const int rows = year.firstScreen();
    if (month.firstScreen() != rows || rows >= kMonthReceipts) std::abort();  // one batch, not the whole list
    bench::paired(
        state, "archive.first_screen_300000/30000", 1.5, [&] { year.firstScreen(); }, [&] { month.firstScreen(); });
}

// The same rows by hand: the first batch of the unfiltered search and the
// lines of its first receipt.
void BM_FirstScreen(benchmark::State& state) {
    SearchWindow year(db());
    const int rows = year.firstScreen();
    const archive::ReceiptSearchQuery q = archive::buildReceiptSearchQuery({});
    const std::int64_t newest = year.window.currentDocId();
    const long lines = long(year.window.positionRows().size());
    bench::paired(
        state, "archive.first_screen_300000/raw_same_rows", 2.0,
        [&] {
            if (year.firstScreen() != rows) std::abort();
        },
        [&] {
            if (bench::rawFetch(db().conn.handle(), q.sql, q.params, rows) != rows ||
                rawFetchAll(archive::kReceiptLinesSql, {newest}) != lines)
                std::abort();
        });
}

#define ARCHIVE_BENCH(fn, iterations) BENCHMARK(fn)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(iterations))

ARCHIVE_BENCH(BM_SearchFpd, 300);
ARCHIVE_BENCH(BM_SearchDay, 100);
ARCHIVE_BENCH(BM_SearchBuyer, 8);
ARCHIVE_BENCH(BM_SalesMonth, 10);
ARCHIVE_BENCH(BM_SalesYear, 4);
ARCHIVE_BENCH(BM_SalesMonthShareOfYear, 4);
ARCHIVE_BENCH(BM_FirstScreenYearOverMonth, 60);
ARCHIVE_BENCH(BM_FirstScreen, 60);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();  // the year of sales and the month's archive are made once, before anything is timed
    monthDb();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
