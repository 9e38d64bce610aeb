// The road of a scanned barcode on a catalogue of 100,000 goods and 150,000
// barcodes, with weight prefixes registered (so every EAN-13 is first
// tested as a weight barcode):
//  - BM_RawJoin*: the raw client library, one prepared join per scan in a
//    transaction of its own (read-write and read-only): the floor;
//  - BM_ScanIntoReceipt: item entry on a model of up to 40 positions, from
//    the barcode handler to the position (look-up, checks, row,
//    recalculation); budget 0.15 ms median;
//  - BM_FirstScanOfASession: the first scan after the main screen opened;
//  - BM_ScanOnScreen/N: the same scan on the main screen holding N
//    positions, from the key router's Enter to the grid showing the row
//    (look-up, receipt, labels, grid); budget 1 ms median at 2,000
//    positions. The repaint that follows (the window system's share, the
//    same for any length of receipt) is reported apart as paint_*.
// Each reports median and p99 in milliseconds. The database is built once
// per run.
#include "BenchDb.h"
#include "BenchStats.h"

#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/MessageService.h"
#include "sales/input/ItemEntry.h"
#include "sales/screen/Registration_Mode.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ibase.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kGoods = 100000;
constexpr int kReceiptSize = 40;  // positions before a receipt is closed

QString barcodeOf(int goodsId, int which) {
    // Every goods item has one EAN-13; every second one a second code, stored
    // with leading zeros as some suppliers' files have them.
    const qint64 base = which == 0 ? 4600000000000LL : 2900000000000LL;
    const QString code = QString::number(base + goodsId);
    return which == 0 ? code : QStringLiteral("0") + code;
}

struct Catalogue {
    QTemporaryDir dir;
    fb::Connection conn;

    Catalogue() {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("scan.fdb"));
        fb::ConnectionParams p;
        p.database = path;
        conn = fb::Connection(p);
        core::createFreshDatabase(conn, path);
        core::SchemaUpgrade(conn);
        fill();
    }

    void fill() {
        fb::Transaction tr(conn);
        fb::Statement goods(
            tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                               "GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, "
                               "GOOD_EDIZM_FFD) VALUES (?, ?, ?, ?, 'Т', '6', 1, 0, '643', 0, ?, ?)"));
        fb::Statement barcode(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"));
        for (int id = 1; id <= kGoods; ++id) {
            const bool weighed = id % 10 == 0;
            goods.execute(tr, {std::int64_t{id}, QStringLiteral("Товар %1").arg(id),
                               QStringLiteral("%1.%2").arg(10 + id % 990).arg(id % 100, 2, 10, QLatin1Char('0')),
                               weighed ? QStringLiteral("да") : QStringLiteral("нет"),
                               weighed ? QStringLiteral("кг") : QStringLiteral("шт"), std::int64_t{weighed ? 11 : 0}});
            barcode.execute(tr, {std::int64_t{id}, barcodeOf(id, 0)});
            if (id % 2 == 0) barcode.execute(tr, {std::int64_t{id}, barcodeOf(id, 1)});
        }
        // Scales print codes under these prefixes; none of them starts an
        // EAN-13 of this catalogue.
        for (const char* prefix : {"20", "21", "22", "23", "24", "25"})
            fb::execute(tr, QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES (?)"),
                        {QLatin1String(prefix)});
        tr.commit();
    }
};

Catalogue& catalogue() {
    static Catalogue c;
    return c;
}

// The next scanned goods: random over the catalogue; half the scans of a
// goods item with a second code read that code without its stored zero.
struct ScanSource {
    std::uint32_t seed = 12345;
    int id = 0;
    QString next() {
        seed = seed * 1664525u + 1013904223u;
        id = int(seed % kGoods) + 1;
        return (id % 2 == 0 && (seed >> 16) % 2) ? barcodeOf(id, 1).mid(1) : barcodeOf(id, 0);
    }
};

// Boxes would wait for a person: a benchmark that shows one has failed.
struct NoBoxes : ui::MessageService {
    int shown = 0;
    void show(QWidget*, const QString&, ui::Icon, const QString&) override { ++shown; }
    ui::Answer ask(QWidget*, const QString&, ui::Icon, bool) override { return ui::Answer::No; }
    ui::Answer askYesNoCancel(QWidget*, const QString&, ui::Icon) override { return ui::Answer::Cancel; }
};

// ---- raw client library ------------------------------------------------------

using bench::check;

// One prepared join of goods and barcodes by one barcode, executed in a
// transaction of its own per scan, as a look-up by hand would.
void rawJoin(benchmark::State& state, bool readOnly) {
    Catalogue& c = catalogue();
    isc_db_handle* h = c.conn.handle();
    ISC_STATUS_ARRAY st;
    static const char tpbWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                    isc_tpb_nowait};
    static const char tpbRead[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version,
                                   isc_tpb_nowait};
    const char* tpb = readOnly ? tpbRead : tpbWrite;
    const short tpbSize = readOnly ? short(sizeof tpbRead) : short(sizeof tpbWrite);
    isc_tr_handle tr = 0;
    isc_start_transaction(st, &tr, 1, h, tpbSize, tpb);
    check(st);
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, h, &stmt);
    auto* out = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(3)));
    out->version = SQLDA_VERSION1;
    out->sqln = 3;
    isc_dsql_prepare(st, &tr, &stmt, 0,
                     "SELECT GOODS.GOOD_ID, GOOD_NAME, GOOD_PRICE FROM GOODS JOIN GOODS_BARCODE "
                     "ON GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID WHERE GOOD_BARCODE = ?",
                     3, out);
    check(st);
    isc_commit_transaction(st, &tr);
    auto* in = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(1)));
    in->version = SQLDA_VERSION1;
    in->sqln = 1;
    isc_dsql_describe_bind(st, &stmt, 3, in);
    char code[32];
    short ind = 0;
    in->sqlvar[0].sqltype = SQL_TEXT | 1;
    in->sqlvar[0].sqldata = code;
    in->sqlvar[0].sqlind = &ind;
    std::vector<std::vector<char>> buffers(3);
    std::vector<short> inds(3);
    for (int i = 0; i < out->sqld; ++i) {
        XSQLVAR& v = out->sqlvar[i];
        buffers[size_t(i)].assign(size_t(v.sqllen) + 2, 0);
        v.sqldata = buffers[size_t(i)].data();
        v.sqlind = &inds[size_t(i)];
        v.sqltype |= 1;
    }
    ScanSource source;
    bench::Timings t;
    for (auto _ : state) {
        source.next();
        const int n = std::snprintf(code, sizeof code, "%lld", 4600000000000LL + source.id);
        in->sqlvar[0].sqllen = static_cast<short>(n);
        const auto start = bench::now();
        isc_start_transaction(st, &tr, 1, h, tpbSize, tpb);
        check(st);
        isc_dsql_execute(st, &tr, &stmt, 3, in);
        check(st);
        int rows = 0;
        while (isc_dsql_fetch(st, &stmt, 3, out) == 0) ++rows;
        isc_dsql_free_statement(st, &stmt, DSQL_close);
        isc_commit_transaction(st, &tr);
        check(st);
        t.add(start);
        if (rows != 1) {
            state.SkipWithError("the raw join found no goods");
            break;
        }
    }
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    std::free(in);
    std::free(out);
    t.report(state);
}

void BM_RawJoinReadWrite(benchmark::State& state) {
    rawJoin(state, false);
}
void BM_RawJoinReadOnly(benchmark::State& state) {
    rawJoin(state, true);
}

// ---- item entry ----------------------------------------------------------------

void BM_ScanIntoReceipt(benchmark::State& state) {
    Catalogue& c = catalogue();
    NoBoxes boxes;
    ui::setMessageService(&boxes);
    sales::PlainEntryScreen screen;
    sales::ItemEntry entry(screen, [&c] { return &c.conn; });
    entry.prepare();
    ScanSource source;
    bench::Timings t;
    int scans = 0;
    for (auto _ : state) {
        if (scans++ % kReceiptSize == 0) {
            state.PauseTiming();
            screen.model.reset();
            state.ResumeTiming();
        }
        screen.latin = source.next();
        const auto start = bench::now();
        entry.btnBarcodeClick(sales::EntrySource::Router);
        t.add(start);
        if (sales::FindGoodRow(screen.model, QString::number(source.id)) == 0 || boxes.shown) {
            state.SkipWithError("the scanned goods did not reach the receipt");
            break;
        }
    }
    ui::setMessageService(nullptr);
    t.report(state);
}

// The first scan of a session: the look-up statements and the weight
// prefixes were made ready when the main screen opened (untimed here), so
// this scan costs what any other does.
void BM_FirstScanOfASession(benchmark::State& state) {
    Catalogue& c = catalogue();
    NoBoxes boxes;
    ui::setMessageService(&boxes);
    ScanSource source;
    bench::Timings t;
    for (auto _ : state) {
        state.PauseTiming();
        sales::PlainEntryScreen screen;
        auto entry = std::make_unique<sales::ItemEntry>(screen, [&c] { return &c.conn; });
        entry->prepare();
        screen.latin = source.next();
        state.ResumeTiming();
        const auto start = bench::now();
        entry->btnBarcodeClick(sales::EntrySource::Router);
        t.add(start);
        if (screen.model.isEmpty() || boxes.shown) {
            state.SkipWithError("the scanned goods did not reach the receipt");
            break;
        }
    }
    ui::setMessageService(nullptr);
    t.report(state);
}

// The main screen with item entry attached, in a program folder of its own.
struct Screen {
    QTemporaryDir dir;
    QString oldFolder = sys::programFolder();
    NoBoxes boxes;
    std::unique_ptr<TfmReg> reg;
    sales::ItemEntryController* entry = nullptr;

    Screen() {
        sys::setProgramFolder(dir.path());
        ui::setMessageService(&boxes);
        const QString folder = dir.path();
        reg = std::make_unique<TfmReg>(nullptr, [folder]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(folder);
        });
        reg->setQuitOnClose(false);
        reg->setReceiptKind(sales::KindSale);
        reg->resize(1024, 768);
        reg->show();
        sales::ItemEntryOptions options;
        options.database = [] { return &catalogue().conn; };
        entry = sales::installItemEntry(*reg, options);
        entry->entry().prepare();
    }
    ~Screen() {
        reg.reset();
        ui::setMessageService(nullptr);
        sys::setProgramFolder(oldFolder);
    }

    void scan(const QString& code) {
        reg->lblVvodBeginEng->setText(code);
        entry->btnBarcodeClick(sales::EntrySource::Router);
    }
};

// Each timed scan adds a new position to a receipt of N; after every 20 the
// receipt goes back to its N positions (untimed).
void BM_ScanOnScreen(benchmark::State& state) {
    const int positions = int(state.range(0));
    constexpr int kBurst = 20;
    Catalogue& c = catalogue();
    (void)c;
    Screen screen;
    ScanSource source;
    for (int i = 0; i < positions; ++i) screen.scan(barcodeOf(kGoods - i, 0));
    QCoreApplication::processEvents();
    const sales::ReceiptModel full = screen.reg->receipt();
    if (full.dataRowCount() != positions) {
        state.SkipWithError("the receipt was not filled");
        return;
    }
    bench::Timings t, paint;
    int scans = 0;
    for (auto _ : state) {
        if (scans++ % kBurst == 0 && scans > 1) {
            state.PauseTiming();
            screen.reg->receipt() = full;
            screen.reg->RecalcReceipt();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        // Goods the filling did not use: every scan makes a new row.
        QString code;
        do code = source.next();
        while (source.id > kGoods - positions);
        const auto start = bench::now();
        screen.scan(code);
        t.add(start);
        const auto painting = bench::now();
        QCoreApplication::processEvents();
        paint.add(painting);
        if (sales::FindGoodRow(screen.reg->receipt(), QString::number(source.id)) == 0 || screen.boxes.shown) {
            state.SkipWithError("the scanned goods did not reach the receipt");
            break;
        }
    }
    t.report(state);
    state.counters["paint_median_ms"] = paint.quantile(0.5);
    state.counters["paint_p99_ms"] = paint.quantile(0.99);
    if (screen.reg->GoodsGrid->rowCount() != screen.reg->receipt().dataRowCount())
        state.SkipWithError("the grid does not show the receipt");
}

BENCHMARK(BM_RawJoinReadWrite)->Unit(benchmark::kMillisecond)->Iterations(2000);
BENCHMARK(BM_RawJoinReadOnly)->Unit(benchmark::kMillisecond)->Iterations(2000);
BENCHMARK(BM_ScanIntoReceipt)->Unit(benchmark::kMillisecond)->Iterations(2000);
BENCHMARK(BM_FirstScanOfASession)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_ScanOnScreen)->Arg(40)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(400);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
