// The receipt archive on a year of sales (300,000 receipts, 1,000,000
// lines) against raw client calls of the same shape on the same embedded
// database, in the same run: a search by fiscal sign and by one day within
// 1.5x the raw indexed query, a buyer-name search over the year within 1.5x
// the raw scan, the sales report for a month and for the year within 2x the
// raw query that reads the same lines.
#include "BenchDb.h"
#include "archive/ReceiptSearch.h"
#include "archive/SalesReport.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kReceipts = 300000;
const QDate kYearStart(2024, 1, 1);

struct Db : bench::FreshDb {
    Db() {
        fb::Transaction tr(conn);
        fb::Statement doc(tr, QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_CHECK_TYPE, DOC_DATE_D, "
                                             "DOC_TIME_T, DOC_FPD, DOC_SUMM_FULL, DOC_PAY_NAL, DOC_PAY_EL, "
                                             "DOC_BUYER_NAME) VALUES (?, 3, ?, ?, '12:00', ?, '300.00', '200.00', "
                                             "'100.00', ?)"));
        fb::Statement line(tr, QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, "
                                              "DD_GOOD_PRICE_CURRENT, DD_GOOD_PRICE_MAIN, DD_GOOD_COUNT, "
                                              "DD_GOOD_PAYTYPE) VALUES (?, ?, ?, '100.00', '110.00', '1', 4)"));
        int lines = 0;
        for (int i = 1; i <= kReceipts; ++i) {
            doc.execute(tr, {std::int64_t{i}, std::int64_t{i % 20 == 0 ? 2 : 1}, kYearStart.addDays(i % 366),
                             QString::number(1000000000 + i),
                             i % 10 == 0 ? fb::Value(QStringLiteral("BUYER %1").arg(i)) : fb::null()});
            // 1,000,000 lines in all: three or four a receipt.
            const int n = (i % 3 == 0) ? 4 : 3;
            for (int k = 0; k < n && lines < 1000000; ++k, ++lines) {
                const int goods = (i * 7 + k) % 5000 + 1;
                line.execute(tr, {std::int64_t{i}, std::int64_t{goods}, QStringLiteral("GOODS %1").arg(goods)});
            }
        }
        tr.commit();
    }
};

Db& db() {
    static Db d;
    return d;
}


// A statement with its values written in, through the client library alone.
long rawFetchAll(const std::string& sql) {
    return bench::rawFetch(db().conn.handle(), QString::fromStdString(sql));
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
    for (auto _ : state)
        if (ourSearch(byFpd()) != 1) std::abort();
}
void BM_SearchFpdRaw(benchmark::State& state) {
    for (auto _ : state)
        if (rawFetchAll("SELECT * FROM DOCUMENTS WHERE DOC_TYPE=3 AND DOC_FPD='1000150000' "
                        "ORDER BY DOC_DATE_D DESC, DOC_TIME_T DESC") != 1)
            std::abort();
}
void BM_SearchDay(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ourSearch(byDay()));
}
void BM_SearchDayRaw(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            rawFetchAll("SELECT * FROM DOCUMENTS WHERE DOC_TYPE=3 AND (DOC_DATE_D BETWEEN "
                        "'2024-03-01' AND '2024-03-01') ORDER BY DOC_DATE_D DESC, DOC_TIME_T DESC"));
}
void BM_SearchBuyer(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ourSearch(byBuyer()));
}
void BM_SearchBuyerRaw(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            rawFetchAll("SELECT * FROM DOCUMENTS WHERE DOC_TYPE=3 AND UPPER(DOC_BUYER_NAME) LIKE "
                        "'%BUYER 1234%' ORDER BY DOC_DATE_D DESC, DOC_TIME_T DESC"));
}

const char kRawLines[] =
    "SELECT D.DOC_ID, D.DOC_CHECK_TYPE, D.DOC_PAY_NAL, D.DOC_PAY_EL, D.DOC_PAY_ADVANCE, DD.DD_GOOD_ID, "
    "DD.DD_GOOD_NAME, DD.DD_GOOD_PRICE_CURRENT, DD.DD_GOOD_PRICE_MAIN, DD.DD_GOOD_COUNT, DD.DD_GOOD_PAYTYPE "
    "FROM DOCUMENTS D JOIN DOCUMENTS_DETAIL DD ON DD.DD_DOC_ID = D.DOC_ID "
    "WHERE D.DOC_TYPE = 3 AND D.DOC_CHECK_TYPE IN (1, 2) AND D.DOC_DATE_D BETWEEN ";

void salesReport(benchmark::State& state, const QDate& to) {
    for (auto _ : state) {
        const auto lines = archive::readSalesLines(db().conn, kYearStart, to, archive::SalesVariant::All, {});
        benchmark::DoNotOptimize(archive::buildSalesReport(lines, archive::SalesVariant::All));
    }
}
void BM_SalesMonth(benchmark::State& state) {
    salesReport(state, QDate(2024, 1, 31));
}
void BM_SalesYear(benchmark::State& state) {
    salesReport(state, QDate(2024, 12, 31));
}
void BM_SalesMonthRaw(benchmark::State& state) {
    const std::string sql = std::string(kRawLines) + "'2024-01-01' AND '2024-01-31'";
    for (auto _ : state) benchmark::DoNotOptimize(rawFetchAll(sql));
}
void BM_SalesYearRaw(benchmark::State& state) {
    const std::string sql = std::string(kRawLines) + "'2024-01-01' AND '2024-12-31'";
    for (auto _ : state) benchmark::DoNotOptimize(rawFetchAll(sql));
}

double slowest(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

#define ARCHIVE_BENCH(fn, iterations)   \
    BENCHMARK(fn)                       \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(iterations)        \
        ->Repetitions(5)                \
        ->ComputeStatistics("p99", slowest)

ARCHIVE_BENCH(BM_SearchFpdRaw, 50);
ARCHIVE_BENCH(BM_SearchFpd, 50);
ARCHIVE_BENCH(BM_SearchDayRaw, 20);
ARCHIVE_BENCH(BM_SearchDay, 20);
ARCHIVE_BENCH(BM_SearchBuyerRaw, 3);
ARCHIVE_BENCH(BM_SearchBuyer, 3);
ARCHIVE_BENCH(BM_SalesMonthRaw, 3);
ARCHIVE_BENCH(BM_SalesMonth, 3);
ARCHIVE_BENCH(BM_SalesYearRaw, 1);
ARCHIVE_BENCH(BM_SalesYear, 1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    db();  // the year of sales is made once, before anything is timed
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
