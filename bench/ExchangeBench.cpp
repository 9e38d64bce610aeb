// The goods exchange file against the raw client library doing the same
// rows' work, measured in turns in the same run: 100,000 goods with 150,000
// barcodes.
//  - import into an empty catalogue: within 2x of raw prepared inserts of
//    the same rows and columns in one transaction (no file, no checks);
//  - re-import of the same file over the loaded catalogue: within 2x of raw
//    prepared updates of the same rows over a full catalogue (each goods
//    item updated by its code, its barcodes replaced);
//  - export: within 2x of a raw select of the same rows written to a file;
//  - through the menu, with the progress window shown: the window costs at
//    most 10 % of the import or export it shows (in elapsed time, and in
//    processor time, which the disk's waits do not blur);
//  - peak memory of an import grows from 10,000 to 100,000 goods by at most
//    10 % more than that of raw prepared inserts of the same rows, whose
//    growth is the engine's own (each run in a child process of its own).
#include "BenchDb.h"
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "exchange/ExchangeCommands.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeImport.h"
#include "exchange/ExchangeReader.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/ui/MessageService.h"

#include <QApplication>
#include <QWidget>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

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

// Processor time of the whole process (the embedded engine's threads
// included), in milliseconds: what a run costs apart from waiting for the
// disk, which a machine shared with builders makes vary by tens of percent.
double cpuMillis() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(bench::now() - start).count();
}

// ---- the raw client library -----------------------------------------------------

using bench::check;

// A statement's parameters as the client library takes them: every value
// bound as text or a 64-bit integer, NULL by its indicator.
class RawParams {
public:
    explicit RawParams(short count) : sqlda_(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(count)))) {
        sqlda_->version = SQLDA_VERSION1;
        sqlda_->sqln = count;
        sqlda_->sqld = count;
        ints_.resize(size_t(count));
        inds_.resize(size_t(count));
    }
    ~RawParams() { std::free(sqlda_); }
    RawParams(const RawParams&) = delete;
    RawParams& operator=(const RawParams&) = delete;

    void text(int i, const QByteArray& bytes) {
        XSQLVAR& v = sqlda_->sqlvar[i];
        v.sqltype = SQL_TEXT | 1;
        v.sqlscale = 0;
        v.sqllen = static_cast<short>(bytes.size());
        v.sqldata = const_cast<char*>(bytes.constData());
        inds_[size_t(i)] = 0;
        v.sqlind = &inds_[size_t(i)];
    }
    void integer(int i, std::int64_t value) {
        XSQLVAR& v = sqlda_->sqlvar[i];
        ints_[size_t(i)] = value;
        v.sqltype = SQL_INT64 | 1;
        v.sqlscale = 0;
        v.sqllen = 8;
        v.sqldata = reinterpret_cast<char*>(&ints_[size_t(i)]);
        inds_[size_t(i)] = 0;
        v.sqlind = &inds_[size_t(i)];
    }
    void null(int i) {
        XSQLVAR& v = sqlda_->sqlvar[i];
        v.sqltype = SQL_TEXT | 1;
        v.sqllen = 0;
        v.sqldata = nullptr;
        inds_[size_t(i)] = -1;
        v.sqlind = &inds_[size_t(i)];
    }
    XSQLDA* get() { return sqlda_; }

private:
    XSQLDA* sqlda_;
    std::vector<ISC_INT64> ints_;
    std::vector<short> inds_;
};

isc_stmt_handle rawPrepare(isc_db_handle* db, isc_tr_handle* tr, const char* sql, XSQLDA* out = nullptr) {
    ISC_STATUS_ARRAY st;
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, db, &stmt);
    check(st);
    isc_dsql_prepare(st, tr, &stmt, 0, sql, 3, out);
    check(st);
    return stmt;
}

// One goods record with its texts already in the database's encoding: the
// raw side converts nothing while it is timed.
struct RawRecord {
    std::int64_t id = 0;
    QByteArray name;
    std::optional<QByteArray> price, weighed, type, unitName, vat, country;
    std::optional<std::int64_t> unitCode, markType;
    std::int64_t isGood = 1, parent = 0;
    std::vector<QByteArray> barcodes;
};

std::vector<RawRecord> encodeAll(const std::vector<exchange::GoodsRecord>& rows) {
    auto text = [](const std::optional<QString>& v) {
        return v ? std::optional<QByteArray>(exchange::encodeCp1251(*v)) : std::nullopt;
    };
    std::vector<RawRecord> out;
    out.reserve(rows.size());
    for (const auto& g : rows) {
        RawRecord r;
        r.id = g.id;
        r.name = exchange::encodeCp1251(g.name);
        r.price = text(g.price);
        r.weighed = text(g.weighed);
        r.type = text(g.type);
        r.unitName = text(g.unitName);
        r.vat = text(g.vat);
        r.country = text(g.country);
        if (g.unitCode) r.unitCode = *g.unitCode;
        if (g.markType) r.markType = *g.markType;
        r.isGood = g.isGood ? 1 : 0;
        r.parent = g.parent;
        for (const QString& c : g.barcodes) r.barcodes.push_back(exchange::encodeCp1251(c));
        out.push_back(std::move(r));
    }
    return out;
}

// The same rows and columns the import writes, by prepared statements in
// one read-write transaction of the program's kind (read committed, no
// wait), committed at the end: into an empty catalogue plain inserts; over
// a full one (`update`) what a re-import must do, each goods item updated
// in place by its code and its barcodes replaced.
double rawLoad(fb::Connection& db, const std::vector<RawRecord>& rows, bool update = false) {
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    isc_db_handle* h = db.handle();
    const auto start = bench::now();
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, short(sizeof tpb), tpb);
    check(st);
    const char* insert = "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, "
                         "GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, "
                         "GOOD_MARKTYPE) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)";
    const char* upsert = "UPDATE OR INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, "
                         "GOOD_EDIZM, GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                         "GOOD_COUNTRY_CODE, GOOD_MARKTYPE) VALUES (?,?,?,?,?,?,?,?,?,?,?,?) MATCHING (GOOD_ID)";
    isc_stmt_handle goods = rawPrepare(h, &tr, update ? upsert : insert);
    isc_stmt_handle dropCodes = rawPrepare(h, &tr, "DELETE FROM GOODS_BARCODE WHERE GOOD_ID = ?");
    isc_stmt_handle codes = rawPrepare(h, &tr,
                                       "INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) "
                                       "VALUES (?, ?, '1')");
    RawParams g(12), b(2), id(1);
    auto text = [](RawParams& p, int i, const std::optional<QByteArray>& v) {
        if (v) p.text(i, *v);
        else p.null(i);
    };
    auto whole = [](RawParams& p, int i, const std::optional<std::int64_t>& v) {
        if (v) p.integer(i, *v);
        else p.null(i);
    };
    for (const RawRecord& r : rows) {
        g.integer(0, r.id);
        g.text(1, r.name);
        text(g, 2, r.price);
        text(g, 3, r.weighed);
        text(g, 4, r.type);
        text(g, 5, r.unitName);
        whole(g, 6, r.unitCode);
        text(g, 7, r.vat);
        g.integer(8, r.isGood);
        g.integer(9, r.parent);
        text(g, 10, r.country);
        whole(g, 11, r.markType);
        isc_dsql_execute(st, &tr, &goods, 3, g.get());
        check(st);
        if (update) {
            id.integer(0, r.id);
            isc_dsql_execute(st, &tr, &dropCodes, 3, id.get());
            check(st);
        }
        for (const QByteArray& c : r.barcodes) {
            b.integer(0, r.id);
            b.text(1, c);
            isc_dsql_execute(st, &tr, &codes, 3, b.get());
            check(st);
        }
    }
    isc_dsql_free_statement(st, &goods, DSQL_drop);
    isc_dsql_free_statement(st, &codes, DSQL_drop);
    isc_dsql_free_statement(st, &dropCodes, DSQL_drop);
    isc_commit_transaction(st, &tr);
    check(st);
    return millisSince(start);
}

// The rows and columns the export reads, by one select in a read-only
// transaction of the program's kind, each row written to a file as a text
// line of its columns.
double rawExport(fb::Connection& db) {
    static const char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                               isc_tpb_nowait};
    isc_db_handle* h = db.handle();
    const auto start = bench::now();
    std::FILE* out = std::fopen(pathOf(QStringLiteral("raw-out.txt")).toLocal8Bit().constData(), "wb");
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, short(sizeof tpb), tpb);
    check(st);
    constexpr short kColumns = 12;
    auto* sqlda = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(kColumns)));
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = kColumns;
    isc_stmt_handle q = rawPrepare(h, &tr,
                                   "SELECT G.GOOD_ID, G.GOOD_NAME, G.GOOD_PRICE, G.GOOD_W, G.GOOD_TYPE, "
                                   "G.GOOD_PARENTGROUP, G.GOOD_ISGOOD, G.GOOD_NALOG, G.GOOD_MARKTYPE, "
                                   "G.GOOD_COUNTRY_CODE, G.GOOD_EDIZM_FFD, B.GOOD_BARCODE FROM GOODS G LEFT JOIN "
                                   "GOODS_BARCODE B ON B.GOOD_ID = G.GOOD_ID ORDER BY G.GOOD_ISGOOD, G.GOOD_ID",
                                   sqlda);
    std::vector<std::vector<char>> buffers(kColumns);
    std::vector<short> inds(kColumns);
    for (int i = 0; i < sqlda->sqld; ++i) {
        XSQLVAR& v = sqlda->sqlvar[i];
        buffers[size_t(i)].assign(size_t(v.sqllen) + 2, 0);
        v.sqldata = buffers[size_t(i)].data();
        v.sqlind = &inds[size_t(i)];
    }
    isc_dsql_execute(st, &tr, &q, 3, nullptr);
    check(st);
    std::string line;
    while (isc_dsql_fetch(st, &q, 3, sqlda) == 0) {
        line.clear();
        for (int i = 0; i < sqlda->sqld; ++i) {
            if (i > 0) line += ';';
            const XSQLVAR& v = sqlda->sqlvar[i];
            if (*v.sqlind < 0) continue;
            switch (v.sqltype & ~1) {
            case SQL_VARYING: {
                short n = 0;
                std::memcpy(&n, v.sqldata, sizeof n);
                line.append(v.sqldata + sizeof n, size_t(n));
                break;
            }
            case SQL_TEXT: line.append(v.sqldata, size_t(v.sqllen)); break;
            case SQL_SHORT: line += std::to_string(*reinterpret_cast<const short*>(v.sqldata)); break;
            case SQL_LONG: line += std::to_string(*reinterpret_cast<const ISC_LONG*>(v.sqldata)); break;
            case SQL_INT64: line += std::to_string(*reinterpret_cast<const ISC_INT64*>(v.sqldata)); break;
            default: break;
            }
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    isc_dsql_free_statement(st, &q, DSQL_drop);
    isc_commit_transaction(st, &tr);
    check(st);
    std::fclose(out);
    std::free(sqlda);
    return millisSince(start);
}

// ---- our side ---------------------------------------------------------------------

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

double exportFile(fb::Connection& db) {
    const auto start = bench::now();
    QFile out(pathOf(QStringLiteral("export-out.txt")));
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto source = exchange::makeDatabaseGoodsSource(db);
    exchange::writeExchangeFile(*source, out);
    out.close();
    return millisSince(start);
}

// The result boxes at the end of a run through the menu are answered by
// nobody; one shown with an error icon means the run failed.
struct Boxes : ui::MessageService {
    int errors = 0;
    void show(QWidget*, const QString&, ui::Icon icon, const QString&) override {
        if (icon == ui::Icon::Error) ++errors;
    }
    ui::Answer ask(QWidget*, const QString&, ui::Icon, bool) override { return ui::Answer::No; }
    ui::Answer askYesNoCancel(QWidget*, const QString&, ui::Icon) override { return ui::Answer::Cancel; }
};

// The menu commands as the cashier runs them: the progress window shown on
// top of a disabled main screen, the stop button alive.
struct Menu {
    QWidget screen;
    QObject loadFlag, csvFlag;
    Boxes boxes;
    exchange::ExchangeHost host;
    fb::Connection* db = nullptr;
    QString file;

    Menu() {
        screen.resize(800, 600);
        screen.show();
        host.mainScreen = &screen;
        host.loadFlag = &loadFlag;
        host.csvFlag = &csvFlag;
        host.database = [this]() -> fb::Connection& { return *db; };
        host.programFolder = folder().path();
        host.openFile = [this](QWidget*, const QString&, const QString&, const QString&) { return file; };
        host.saveFile = [](QWidget*, const QString&, const QString&, const QString&, const QString&) {
            return pathOf(QStringLiteral("menu-out.txt"));
        };
    }

    double load(fb::Connection& target, const QString& path) {
        db = &target;
        file = path;
        ui::setMessageService(&boxes);
        const auto start = bench::now();
        exchange::loadGoodsExchangeFile(host);
        const double ms = millisSince(start);
        ui::setMessageService(nullptr);
        failIfShown();
        return ms;
    }

    double unload(fb::Connection& source) {
        db = &source;
        ui::setMessageService(&boxes);
        const auto start = bench::now();
        exchange::unloadGoodsExchangeFile(host);
        const double ms = millisSince(start);
        ui::setMessageService(nullptr);
        failIfShown();
        return ms;
    }

private:
    void failIfShown() const {
        if (boxes.errors == 0) return;
        std::fprintf(stderr, "a goods file run through the menu failed\n");
        std::abort();
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void report(benchmark::State& state, const char* name, const bench::Timings& t) {
    state.counters[std::string(name) + "_ms"] = t.quantile(0.5);
    state.counters[std::string(name) + "_p99_ms"] = t.quantile(0.99);
}

// Every round runs each side once, in an order that turns round every time
// so that none always pays for a cold cache: the raw load, our import, the
// same import through the menu with its window, each into a fresh database;
// then the raw select to a file, our export and the export through the menu
// from the imported catalogue.
void BM_ExchangeImportExport(benchmark::State& state) {
    const QString file = writeFile(kGoods);
    const auto rows = encodeAll(parseAll(file));
    Menu menu;
    bench::Timings raw, load, menuLoad, reload, rawReload, rawOut, out, menuOut;
    std::vector<double> loadRatio, menuLoadRatio, reloadRatio, exportRatio, menuExportRatio, loadWindow, exportWindow;
    std::vector<double> loadWindowCpu, exportWindowCpu;
    int round = 0;
    for (auto _ : state) {
        auto a = freshDb(QStringLiteral("raw.fdb"));
        auto b = freshDb(QStringLiteral("import.fdb"));
        auto c = freshDb(QStringLiteral("menu.fdb"));
        double rawMs = 0, loadMs = 0, menuMs = 0, loadCpu = 0, menuCpu = 0;
        const std::array<std::function<void()>, 3> loads{[&] { rawMs = rawLoad(*a, rows); },
                                                          [&] {
                                                              const double cpu = cpuMillis();
                                                              loadMs = importFile(*b, file);
                                                              loadCpu = cpuMillis() - cpu;
                                                          },
                                                          [&] {
                                                              const double cpu = cpuMillis();
                                                              menuMs = menu.load(*c, file);
                                                              menuCpu = cpuMillis() - cpu;
                                                          }};
        for (int i = 0; i < 3; ++i) loads[size_t((round + i) % 3)]();
        // The same file again over each full catalogue, the raw side and
        // ours in turns.
        double reloadMs = 0, rawReloadMs = 0;
        const std::array<std::function<void()>, 2> reloads{[&] { rawReloadMs = rawLoad(*a, rows, true); },
                                                           [&] { reloadMs = importFile(*b, file); }};
        for (int i = 0; i < 2; ++i) reloads[size_t((round + i) % 2)]();
        // The first reader after the re-import collects the old record
        // versions it left; no timed walk should pay for that.
        rawExport(*b);
        double rawOutMs = 0, outMs = 0, menuOutMs = 0, outCpu = 0, menuOutCpu = 0;
        const std::array<std::function<void()>, 3> exports{[&] { rawOutMs = rawExport(*b); },
                                                            [&] {
                                                                const double cpu = cpuMillis();
                                                                outMs = exportFile(*b);
                                                                outCpu = cpuMillis() - cpu;
                                                            },
                                                            [&] {
                                                                const double cpu = cpuMillis();
                                                                menuOutMs = menu.unload(*b);
                                                                menuOutCpu = cpuMillis() - cpu;
                                                            }};
        for (int i = 0; i < 3; ++i) exports[size_t((round + i) % 3)]();
        ++round;
        raw.addMillis(rawMs);
        load.addMillis(loadMs);
        menuLoad.addMillis(menuMs);
        reload.addMillis(reloadMs);
        rawReload.addMillis(rawReloadMs);
        rawOut.addMillis(rawOutMs);
        out.addMillis(outMs);
        menuOut.addMillis(menuOutMs);
        loadRatio.push_back(loadMs / rawMs);
        menuLoadRatio.push_back(menuMs / rawMs);
        reloadRatio.push_back(reloadMs / rawReloadMs);
        exportRatio.push_back(outMs / rawOutMs);
        menuExportRatio.push_back(menuOutMs / rawOutMs);
        loadWindow.push_back(menuMs / loadMs - 1);
        exportWindow.push_back(menuOutMs / outMs - 1);
        loadWindowCpu.push_back(menuCpu / loadCpu - 1);
        exportWindowCpu.push_back(menuOutCpu / outCpu - 1);
    }
    report(state, "raw_load", raw);
    report(state, "import", load);
    report(state, "menu_import", menuLoad);
    report(state, "reimport", reload);
    report(state, "raw_reload", rawReload);
    report(state, "raw_select", rawOut);
    report(state, "export", out);
    report(state, "menu_export", menuOut);
    bench::budget(state, "import_ratio", "exchange.import_100000/raw_load", median(loadRatio), 2.0);
    bench::budget(state, "reimport_ratio", "exchange.reimport_100000/raw_update_load", median(reloadRatio), 2.0);
    bench::budget(state, "export_ratio", "exchange.export_100000/raw_select", median(exportRatio), 2.0);
    // The menu's runs only say what the window adds; their own ratios are
    // shown, their budget is the window's share.
    state.counters["menu_import_ratio"] = median(menuLoadRatio);
    state.counters["menu_export_ratio"] = median(menuExportRatio);
    bench::budget(state, "import_window_share", "exchange.import_window/import", median(loadWindow), 0.10);
    bench::budget(state, "export_window_share", "exchange.export_window/export", median(exportWindow), 0.10);
    // The same share in processor time: the window's own work, without the
    // waits for a disk that other programs share (which move the shares
    // above by tens of percent either way from one run to the next).
    bench::budget(state, "import_window_cpu_share", "exchange.import_window_cpu/import_cpu", median(loadWindowCpu),
                  0.10);
    bench::budget(state, "export_window_cpu_share", "exchange.export_window_cpu/export_cpu", median(exportWindowCpu),
                  0.10);
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
                std::optional<core::GoodsCodeUse> upsertGoods(const exchange::GoodsRecord&) override {
                    return std::nullopt;
                }
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
    // Raw prepared inserts of the same rows, a thousand parsed at a time:
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
                rawLoad(*db, encodeAll(batch));
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
    // The engine alone grows with the database it holds (its page cache):
    // our import's growth is set against the raw load's in the same run.
    const double plainGrowth = double(largePlainKb) / double(smallPlainKb);
    state.counters["plain_growth_ratio"] = plainGrowth;
    state.counters["import_growth_ratio"] = double(largeKb) / double(smallKb);
    state.counters["peak_10k_kib"] = double(smallKb);
    state.counters["peak_100k_kib"] = double(largeKb);
    bench::budget(state, "growth_ratio", "exchange.import_peak_memory_growth/raw_load_growth",
                  double(largeKb) / double(smallKb) / plainGrowth, 1.10);
    state.counters["reader_peak_10k_kib"] = double(smallReadKb);
    state.counters["reader_peak_100k_kib"] = double(largeReadKb);
    bench::budget(state, "reader_growth_ratio", "exchange.reader_peak_memory_100000/10000",
                  double(largeReadKb) / double(smallReadKb), 1.10);
}
// Registered first: it runs before anything attaches in this process.
BENCHMARK(BM_ExchangeImportMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExchangeImportExport)->Iterations(bench::rounds(3))->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runAll<QApplication>(argc, argv);
}
