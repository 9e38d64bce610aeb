// The goods exchange file against a plain prepared load measured in the same
// run: 100,000 goods with 150,000 barcodes.
//  - import into an empty catalogue: within 2x of prepared inserts of the
//    same rows in one transaction (no file, no checks);
//  - re-import of the same file over the loaded catalogue: within 3x;
//  - export: within 2x of a plain select of the same rows written to a file;
//  - peak memory of an import grows by at most 10 % from 10,000 to 100,000
//    goods (each import runs in a child process of its own).
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeImport.h"
#include "exchange/ExchangeReader.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kGoods = 100000;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString pathOf(const QString& name) {
    return QDir(folder().path()).filePath(name);
}

// Goods with every field the format carries; every other item has two
// barcodes, so 100,000 goods hold 150,000 barcodes; one group per 1,000.
QString writeFile(int goods) {
    const QString path = pathOf(QStringLiteral("goods-%1.txt").arg(goods));
    if (QFile::exists(path)) return path;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    auto line = [&](const QString& text) { f.write(exchange::encodeCp1251(text) + "\r\n"); };
    for (const QString& l : exchange::fileHeaderLines()) line(l);
    const int groups = goods / 1000;
    for (int g = 1; g <= groups; ++g) {
        exchange::ExportRow row;
        row.id = g;
        row.name = QStringLiteral("Группа товаров № %1").arg(g);
        row.isGood = 0;
        row.parent = 0;
        line(exchange::writeGoodsRecord(row).line);
    }
    for (int i = 0; i < goods; ++i) {
        exchange::ExportRow row;
        row.id = 1000 + i;
        row.name = QStringLiteral("Товар тестовый \"Марка\" № %1, упаковка").arg(i);
        row.price = QStringLiteral("%1.%2").arg(10 + i % 5000).arg(i % 100, 2, 10, QLatin1Char('0'));
        row.weighed = i % 7 == 0 ? QStringLiteral("да") : QStringLiteral("нет");
        row.type = QStringLiteral("Т");
        row.parent = 1 + i % groups;
        row.vat = QString::number(1 + i % 6);
        row.markType = i % 11 == 0 ? 13 : 0;
        row.country = QStringLiteral("643");
        row.unitCode = i % 7 == 0 ? 11 : 0;
        row.barcodes << QStringLiteral("46%1").arg(10000000000LL + i);
        if (i % 2 == 0) row.barcodes << QStringLiteral("29%1").arg(10000000000LL + i);
        line(exchange::writeGoodsRecord(row).line);
    }
    return path;
}

// A fresh upgraded database made once, copied for every round.
QString templateDb() {
    static const QString path = [] {
        const QString p = pathOf(QStringLiteral("template.fdb"));
        if (QFile::exists(p)) return p;  // made by an earlier child process
        fb::ConnectionParams params;
        params.database = p;
        fb::Connection c(params);
        core::createFreshDatabase(c, p);
        core::SchemaUpgrade(c);
        return p;
    }();
    return path;
}

std::unique_ptr<fb::Connection> freshDb(const QString& name) {
    const QString p = pathOf(name);
    QFile::remove(p);
    QFile::copy(templateDb(), p);
    QFile(p).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    fb::ConnectionParams params;
    params.database = p;
    auto c = std::make_unique<fb::Connection>(params);
    c->attach();
    return c;
}

// The records parsed ahead, for the plain load.
std::vector<exchange::GoodsRecord> parseAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    exchange::ExchangeReader reader(f);
    reader.readHeader();
    std::vector<exchange::GoodsRecord> out;
    exchange::ImportEvent e;
    while (reader.next(e)) out.push_back(e.goods);
    return out;
}

double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(bench::now() - start).count();
}

double plainLoad(fb::Connection& db, const std::vector<exchange::GoodsRecord>& rows) {
    auto text = [](const std::optional<QString>& v) { return v ? fb::Value(*v) : fb::null(); };
    const auto start = bench::now();
    fb::Transaction tr(db);
    fb::Statement goods(tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, "
                                           "GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                                           "GOOD_COUNTRY_CODE, GOOD_MARKTYPE) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"));
    fb::Statement codes(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) "
                                           "VALUES (?, ?, '1')"));
    for (const auto& g : rows) {
        goods.execute(tr, {std::int64_t(g.id), g.name, text(g.price), text(g.weighed), text(g.type), text(g.unitName),
                           g.unitCode ? fb::Value(std::int64_t(*g.unitCode)) : fb::null(), text(g.vat),
                           std::int64_t(g.isGood), std::int64_t(g.parent), text(g.country),
                           g.markType ? fb::Value(std::int64_t(*g.markType)) : fb::null()});
        for (const QString& c : g.barcodes) codes.execute(tr, {std::int64_t(g.id), c});
    }
    tr.commit();
    return millisSince(start);
}

double importFile(fb::Connection& db, const QString& path, int* count = nullptr) {
    const auto start = bench::now();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    exchange::ExchangeReader reader(f);
    reader.readHeader();
    auto store = exchange::makeDatabaseGoodsStore(db);
    const auto r = exchange::runImport(reader, *store);
    if (r.outcome != exchange::ImportResult::Outcome::Done) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(r.message));
        std::abort();
    }
    if (count) *count = r.count;
    return millisSince(start);
}

// A select of the same rows written as text lines, without the format.
double plainExport(fb::Connection& db) {
    const auto start = bench::now();
    QFile out(pathOf(QStringLiteral("plain-out.txt")));
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    fb::Statement q(tr, QStringLiteral("SELECT G.GOOD_ID, G.GOOD_NAME, G.GOOD_PRICE, G.GOOD_W, G.GOOD_TYPE, "
                                       "G.GOOD_PARENTGROUP, G.GOOD_ISGOOD, G.GOOD_NALOG, G.GOOD_MARKTYPE, "
                                       "G.GOOD_COUNTRY_CODE, G.GOOD_EDIZM_FFD, B.GOOD_BARCODE FROM GOODS G LEFT JOIN "
                                       "GOODS_BARCODE B ON B.GOOD_ID = G.GOOD_ID ORDER BY G.GOOD_ISGOOD, G.GOOD_ID"));
    q.execute(tr);
    while (q.fetch()) {
        QStringList f;
        const fb::Row& r = q.row();
        for (int i = 0; i < r.size(); ++i) f << fb::toString(r.at(i));
        out.write(exchange::encodeCp1251(f.join(QLatin1Char(';'))) + "\r\n");
    }
    out.close();
    return millisSince(start);
}

double exportFile(fb::Connection& db) {
    const auto start = bench::now();
    QFile out(pathOf(QStringLiteral("export-out.txt")));
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto source = exchange::makeDatabaseGoodsSource(db);
    exchange::writeExchangeFile(*source, out);
    out.close();
    return millisSince(start);
}

void BM_ExchangeImportExport(benchmark::State& state) {
    const QString file = writeFile(kGoods);
    const auto rows = parseAll(file);
    bench::Timings raw, load, reload, plainOut, out;
    std::vector<double> loadRatio, reloadRatio, exportRatio;
    int round = 0;
    for (auto _ : state) {
        // Alternate which load runs first, so neither pays for a cold cache.
        auto a = freshDb(QStringLiteral("raw.fdb"));
        auto b = freshDb(QStringLiteral("import.fdb"));
        double rawMs = 0, loadMs = 0;
        if (round++ % 2 == 0) {
            rawMs = plainLoad(*a, rows);
            loadMs = importFile(*b, file);
        } else {
            loadMs = importFile(*b, file);
            rawMs = plainLoad(*a, rows);
        }
        const double reloadMs = importFile(*b, file);
        // The first reader after the re-import collects the old record
        // versions it left; neither timed walk should pay for that.
        plainExport(*b);
        double plainOutMs = 0, outMs = 0;
        if (round % 2 == 0) {
            plainOutMs = plainExport(*b);
            outMs = exportFile(*b);
        } else {
            outMs = exportFile(*b);
            plainOutMs = plainExport(*b);
        }
        raw.addMillis(rawMs);
        load.addMillis(loadMs);
        reload.addMillis(reloadMs);
        plainOut.addMillis(plainOutMs);
        out.addMillis(outMs);
        loadRatio.push_back(loadMs / rawMs);
        reloadRatio.push_back(reloadMs / rawMs);
        exportRatio.push_back(outMs / plainOutMs);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["raw_load_ms"] = raw.quantile(0.5);
    state.counters["import_ms"] = load.quantile(0.5);
    state.counters["reimport_ms"] = reload.quantile(0.5);
    state.counters["plain_select_ms"] = plainOut.quantile(0.5);
    state.counters["export_ms"] = out.quantile(0.5);
    state.counters["import_ratio"] = median(loadRatio);      // budget 2
    state.counters["reimport_ratio"] = median(reloadRatio);  // budget 3
    state.counters["export_ratio"] = median(exportRatio);    // budget 2
}

// Peak resident memory of a child process that runs `work`, in KiB.
template <class F>
long childPeak(F work) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        work();
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        const long kb = u.ru_maxrss;
        (void)!write(fds[1], &kb, sizeof kb);
        _exit(0);
    }
    close(fds[1]);
    long kb = -1;
    (void)!read(fds[0], &kb, sizeof kb);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return kb;
}

void BM_ExchangeImportMemory(benchmark::State& state) {
    const QString small = writeFile(10000);
    const QString large = writeFile(kGoods);
    // The template database is made by a child too: nothing attaches in
    // this process before the children run.
    childPeak([] { templateDb(); });
    auto import = [](const QString& file) {
        return childPeak([file] {
            auto db = freshDb(QStringLiteral("memory.fdb"));
            importFile(*db, file);
        });
    };
    // The same files through the reader and the import loop alone, with a
    // store that keeps nothing: what our code holds, apart from the engine
    // (whose page cache fills up to its configured size as the database grows).
    auto readOnly = [](const QString& file) {
        return childPeak([file] {
            struct NullStore : exchange::GoodsStore {
                void upsertGoods(const exchange::GoodsRecord&) override {}
                void deleteBarcodes(std::int32_t) override {}
                void insertBarcode(std::int32_t, const QString&) override {}
                void addBarcodeIfAbsent(std::int32_t, const QString&) override {}
                void deleteAllGoods() override {}
                void deleteAllBarcodes() override {}
                void commit() override {}
                void rollback() noexcept override {}
            } store;
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            exchange::ExchangeReader reader(f);
            reader.readHeader();
            exchange::runImport(reader, store);
        });
    };
    // Plain prepared inserts of the same rows, a thousand parsed at a time:
    // how the engine alone grows with the database.
    auto plain = [](const QString& file) {
        return childPeak([file] {
            auto db = freshDb(QStringLiteral("memory.fdb"));
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            exchange::ExchangeReader reader(f);
            reader.readHeader();
            std::vector<exchange::GoodsRecord> batch;
            exchange::ImportEvent e;
            bool more = true;
            while (more) {
                batch.clear();
                while (batch.size() < 1000 && (more = reader.next(e))) batch.push_back(e.goods);
                plainLoad(*db, batch);
            }
        });
    };
    long smallKb = 0, largeKb = 0, smallReadKb = 0, largeReadKb = 0, smallPlainKb = 0, largePlainKb = 0;
    for (auto _ : state) {
        smallKb = import(small);
        largeKb = import(large);
        smallReadKb = readOnly(small);
        largeReadKb = readOnly(large);
        smallPlainKb = plain(small);
        largePlainKb = plain(large);
    }
    state.counters["plain_growth_ratio"] = double(largePlainKb) / double(smallPlainKb);
    state.counters["peak_10k_kib"] = double(smallKb);
    state.counters["peak_100k_kib"] = double(largeKb);
    state.counters["growth_ratio"] = double(largeKb) / double(smallKb);  // budget 1.10
    state.counters["reader_peak_10k_kib"] = double(smallReadKb);
    state.counters["reader_peak_100k_kib"] = double(largeReadKb);
    state.counters["reader_growth_ratio"] = double(largeReadKb) / double(smallReadKb);
}
// Registered first: it runs before anything attaches in this process.
BENCHMARK(BM_ExchangeImportMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExchangeImportExport)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
