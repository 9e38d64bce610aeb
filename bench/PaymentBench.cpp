// From ОК in the payment window to the receipt printed on the register and
// stored in the database, as the cashier waits for it: the main screen over
// a fresh database, the register emulator in the program folder, the
// payment window, the receipt window with its start-up pause, the fiscal
// dialogue and the storing. A long receipt must cost the same per position
// as a short one:
//  - BM_PaymentToStored: receipts of 40 and of 2,000 positions, one of each
//    per round, in turns; budget: the 2,000-position receipt within 60
//    times the 40-position one (50 is linear).
// Each size reports median and p99 in milliseconds, and apart from them the
// share after the receipt window's fixed pause before printing (the print
// and the storing alone) with its own ratio, unbudgeted.
#include "BenchStats.h"

#include "core/DataModule.h"
#include "core/FreshDatabase.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/DbEngine.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/MessageService.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/screen/Registration_Mode.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kShort = 40;
constexpr int kLong = 2000;

// Boxes would wait for a person: a benchmark that shows one has failed.
struct NoBoxes : ui::MessageService {
    int shown = 0;
    QString last;
    void show(QWidget*, const QString& text, ui::Icon, const QString&) override {
        ++shown;
        last = text;
    }
    ui::Answer ask(QWidget*, const QString& text, ui::Icon, bool) override {
        ++shown;
        last = text;
        return ui::Answer::No;
    }
    ui::Answer askYesNoCancel(QWidget*, const QString& text, ui::Icon) override {
        ++shown;
        last = text;
        return ui::Answer::Cancel;
    }
};

// The database opens in-process, as at a till without a server.
class EmbeddedOnly : public sys::DbEngine {
public:
    bool exists() const override { return true; }
    bool serverRunning() const override { return false; }
};

// A program folder with a database of kLong goods, the main screen on it, a
// cashier logged in on the register and a shift open.
struct Till {
    QTemporaryDir dir;
    QString oldFolder = sys::programFolder();
    EmbeddedOnly engine;
    NoBoxes boxes;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> reg;
    fiscal::RegisterEmulator* kkt = nullptr;

    Till() {
        sys::setProgramFolder(dir.path());
        sys::setDbEngine(&engine);
        ui::setMessageService(&boxes);
        QDir(dir.path()).mkpath(QStringLiteral("DB"));
        fill();
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        const QString folder = dir.path();
        reg = std::make_unique<TfmReg>(nullptr, [this, folder]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            auto e = std::make_unique<fiscal::RegisterEmulator>(folder);
            kkt = e.get();
            return e;
        });
        reg->setQuitOnClose(false);
        core::SessionUser user;
        user.userId = 7;
        user.name = QStringLiteral("Иванов И.И.");
        user.postLabel = QStringLiteral("Кассир : ");
        reg->setUser(user);
        kkt->setParam(fiscal::tag::CashierName, user.name);
        kkt->operatorLogin();
        kkt->openShift();
        sales::installSaleCommands(*reg);
        reg->resize(1024, 768);
        reg->show();
    }
    ~Till() {
        reg.reset();
        module.reset();
        core::DataModule1 = nullptr;
        ui::setMessageService(nullptr);
        sys::setDbEngine(nullptr);
        sys::setProgramFolder(oldFolder);
    }
    Till(const Till&) = delete;
    Till& operator=(const Till&) = delete;

    void fill() {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("DB/TARVI_BASE.FDB"));
        fb::ConnectionParams p;
        p.database = path;
        fb::Connection conn(p);
        core::createFreshDatabase(conn, path);
        core::SchemaUpgrade(conn);
        fb::Transaction tr(conn);
        fb::Statement goods(
            tr, QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                               "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                               "VALUES (?, ?, ?, 'нет', 'Т', '6', 1, '643', 0, '1000000', 'шт', 0)"));
        for (int id = 1; id <= kLong; ++id)
            goods.execute(tr, {std::int64_t{id}, QStringLiteral("Товар %1").arg(id), price(id)});
        fb::execute(tr, QStringLiteral("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '2')"));
        tr.commit();
        conn.detach();
    }

    static QString price(int id) { return QStringLiteral("%1.%2").arg(10 + id % 90).arg(id % 100, 2, 10, QLatin1Char('0')); }

    // The receipt on the screen: `positions` goods, one of each.
    void receipt(int positions) {
        sales::ReceiptModel& r = reg->receipt();
        for (int id = 1; id <= positions; ++id) {
            sales::GoodRecord g;
            g.id = QString::number(id);
            g.name = QStringLiteral("Товар %1").arg(id);
            g.price = price(id);
            g.weighed = QStringLiteral("нет");
            g.type = QStringLiteral("Т");
            g.country = QStringLiteral("643");
            g.markType = QStringLiteral("0");
            g.measure = QStringLiteral("0");
            g.vat = QStringLiteral("6");
            sales::addGoodPosition(r, g, g.price, sales::Qty::units(1));
        }
        reg->RecalcReceipt();
    }

    int storedReceipts() {
        fb::Transaction tr(module->IBDatabase1(), fb::Transaction::Access::ReadOnly);
        const auto row = fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) AS N FROM DOCUMENTS"));
        return row ? int(row->integer(QStringLiteral("N"))) : 0;
    }

    struct Paid {
        double total = 0;     // from ОК to the receipt stored
        double printing = 0;  // from the receipt window starting to print to the receipt stored
    };

    // Closes the receipt on the screen, pays it in cash and tells how long it
    // took until the receipt was stored; nullopt when it was not.
    std::optional<Paid> payAndStore() {
        std::optional<std::chrono::steady_clock::time_point> start;
        std::optional<std::chrono::steady_clock::time_point> printStart;
        std::optional<std::chrono::steady_clock::time_point> end;
        StartWatch watch(printStart);
        bool pressed = false;
        bool stored = false;
        // Runs inside the modal windows' loops, every millisecond.
        QTimer step;
        step.setInterval(1);
        QObject::connect(&step, &QTimer::timeout, &step, [&] {
            // The press runs from the event loop, not from inside this
            // timer, which could not fire again while the windows it opens
            // are up.
            if (!pressed && fmPayCheck && fmPayCheck->isVisible()) {
                pressed = true;
                QTimer::singleShot(0, fmPayCheck, [&] {
                    start = bench::now();
                    fmPayCheck->Button12->click();
                });
                return;
            }
            if (fmCheckInfo && !watch.watching) {
                fmCheckInfo->Timer1->installEventFilter(&watch);
                watch.watching = true;
            }
            if (start && fmCheckInfo && fmCheckInfo->isVisible() && fmCheckInfo->printState() != 0 && !end) {
                end = bench::now();
                stored = fmCheckInfo->printState() > 0;
                fmCheckInfo->btnCancel->click();
                return;
            }
            // Anything else on top means the road broke: close it.
            if (start && !end && boxes.shown) {
                if (QWidget* w = QApplication::activeModalWidget()) w->close();
            }
        });
        step.start();
        reg->btnCloseCheck->click();
        step.stop();
        if (!stored || !end || !printStart) return std::nullopt;
        const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
        return Paid{ms(*end - *start), ms(*end - *printStart)};
    }

    // Notes when the receipt window's start-up timer fires: printing begins.
    class StartWatch : public QObject {
    public:
        explicit StartWatch(std::optional<std::chrono::steady_clock::time_point>& at) : at_(at) {}
        bool watching = false;

    protected:
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Timer && !at_) at_ = bench::now();
            return false;
        }

    private:
        std::optional<std::chrono::steady_clock::time_point>& at_;
    };
};

void BM_PaymentToStored(benchmark::State& state) {
    Till till;
    bench::Timings shortReceipt, longReceipt, shortPrint, longPrint;
    int expected = 0;
    bool longFirst = false;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            const bool isLong = (k == 0) == longFirst;
            const int positions = isLong ? kLong : kShort;
            state.PauseTiming();
            till.receipt(positions);
            state.ResumeTiming();
            const std::optional<Till::Paid> ms = till.payAndStore();
            if (!ms || till.boxes.shown || till.storedReceipts() != ++expected ||
                !till.reg->receipt().isEmpty()) {
                state.SkipWithError(("the receipt was not printed and stored: " + till.boxes.last.toStdString()).c_str());
                return;
            }
            (isLong ? longReceipt : shortReceipt).addMillis(ms->total);
            (isLong ? longPrint : shortPrint).addMillis(ms->printing);
        }
        longFirst = !longFirst;
    }
    shortReceipt.report(state, "pos40");
    longReceipt.report(state, "pos2000");
    // Without the receipt window's pause before it prints, for a closer
    // look at the cost per position (no budget of its own).
    state.counters["print_only_ratio"] = shortPrint.median() > 0 ? longPrint.median() / shortPrint.median() : 0;
    state.counters["pos40_print_median_ms"] = shortPrint.median();
    state.counters["pos2000_print_median_ms"] = longPrint.median();
    const double ratio = shortReceipt.median() > 0 ? longReceipt.median() / shortReceipt.median() : 0;
    bench::budget(state, "ratio", "payment.stored_2000/stored_40", ratio, 60.0);
}

}  // namespace

BENCHMARK(BM_PaymentToStored)->Unit(benchmark::kMillisecond)->Iterations(bench::rounds(5));

int main(int argc, char** argv) {
    return bench::runAll<QApplication>(argc, argv);
}
