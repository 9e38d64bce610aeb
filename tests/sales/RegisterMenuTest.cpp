// The register menu against the register emulator: who may run which
// operation, the clock check before a shift, the reports, cash-in and how
// every refusal reaches the cashier.
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/screen/RegisterMenu.h"
#include "sales/screen/uPrinttMessage.h"
#include "support/FakeMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace fiscal;
using sales::CashierLabels;
using sales::RegisterMenu;
namespace text = sales::registerText;

namespace {

const CashierLabels kCashier{QStringLiteral("Кассир : "), QStringLiteral("Иванов И.И."), QStringLiteral("500100732259")};
const CashierLabels kBuiltinAdmin{QStringLiteral("VOTAR : "), QStringLiteral(" VOTAR"), QString()};

struct WaitEvent {
    QString what;  // "show" or "close"
    int tag = 0;
    int journalSize = 0;
};

class RecordingWait : public sales::ReportWaitIndicator {
public:
    explicit RecordingWait(RegisterEmulator*& emulator) : emulator_(emulator) {}
    void showWait(int tag) override { events.push_back({QStringLiteral("show"), tag, size()}); }
    void closeWait() override { events.push_back({QStringLiteral("close"), 0, size()}); }
    std::vector<WaitEvent> events;

private:
    int size() const { return emulator_ ? int(emulator_->journal().size()) : 0; }
    RegisterEmulator*& emulator_;
};

QStringList methods(const QList<JournalEntry>& journal) {
    QStringList out;
    for (const JournalEntry& e : journal) out << e.method;
    return out;
}

const JournalEntry* lastCall(const QList<JournalEntry>& journal, const QString& method) {
    for (auto it = journal.crbegin(); it != journal.crend(); ++it)
        if (it->method == method) return &*it;
    return nullptr;
}

class RegisterMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        menu = std::make_unique<RegisterMenu>([this]() -> std::unique_ptr<IFiscalDriver> {
            ++created;
            if (factoryThrows) throw std::runtime_error("no driver");
            if (factoryEmpty) return nullptr;
            auto e = std::make_unique<RegisterEmulator>(dir.path());
            if (registerOff) e->failAlways(QStringLiteral("open"), LIBFPTR_ERROR_NO_CONNECTION, QStringLiteral("Нет связи"));
            emulator = e.get();
            return e;
        });
        menu->setWaitIndicator(&wait);
        menu->setStatusListener([this](const QString& t, bool c) {
            statusText = t;
            statusConnected = c;
        });
    }

    void start() {
        menu->startAtCreate();
        ASSERT_NE(emulator, nullptr);
    }

    // A shift opened by the cashier, with the journal and boxes cleared.
    void startWithOpenShift() {
        start();
        ASSERT_TRUE(menu->openShift(kCashier));
        ASSERT_TRUE(emulator->state().shiftOpen);
        emulator->clearJournal();
        messages.clear();
    }

    QTemporaryDir dir;
    testsupport::FakeMessages messages;
    RegisterEmulator* emulator = nullptr;
    RecordingWait wait{emulator};
    std::unique_ptr<RegisterMenu> menu;
    int created = 0;
    bool factoryThrows = false;
    bool factoryEmpty = false;
    bool registerOff = false;
    QString statusText;
    bool statusConnected = false;
};

}  // namespace

TEST(RegisterClockSkew, CountsWholeMinutesEitherWay) {
    const QDateTime pc(QDate(2024, 3, 1), QTime(12, 0, 0));
    struct Case {
        qint64 registerOffsetSeconds;
        qint64 minutes;
        bool asks;
    } cases[] = {
        {0, 0, false},        {599, 9, false},     {600, 10, false}, {659, 10, false},
        {660, 11, true},      {-659, 10, false},   {-660, 11, true}, {3600, 60, true},
    };
    for (const Case& c : cases) {
        const QDateTime reg = pc.addSecs(c.registerOffsetSeconds);
        EXPECT_EQ(sales::clockSkewMinutes(pc, reg), c.minutes) << c.registerOffsetSeconds;
        EXPECT_EQ(sales::clockSkewNeedsConfirmation(pc, reg), c.asks) << c.registerOffsetSeconds;
    }
}

TEST(RegisterCashier, TagNameAndUsableCashier) {
    EXPECT_EQ(sales::cashierTagName(kCashier), QStringLiteral("Кассир : Иванов И.И."));
    EXPECT_EQ(sales::cashierTagName({QStringLiteral("  Кассир: "), QStringLiteral(" Петров "), {}}),
              QStringLiteral("Кассир: Петров"));
    EXPECT_TRUE(sales::cashierUsable(kCashier));
    EXPECT_FALSE(sales::cashierUsable(kBuiltinAdmin));
    EXPECT_FALSE(sales::cashierUsable({QStringLiteral("Кассир : "), QStringLiteral("   "), {}}));
}

TEST_F(RegisterMenuTest, StartShowsModelAndSerialOrWhyNot) {
    start();
    EXPECT_TRUE(menu->connected());
    EXPECT_EQ(menu->statusText(), RegisterEmulator::kModelName + QStringLiteral(" № ") + emulator->state().serialNumber);
    EXPECT_EQ(statusText, menu->statusText());
    EXPECT_TRUE(statusConnected);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(RegisterMenuTest, StartWithRegisterSwitchedOff) {
    registerOff = true;
    menu->startAtCreate();
    ASSERT_NE(menu->driver(), nullptr);
    EXPECT_EQ(menu->statusText(), text::kNotConnected);
    EXPECT_FALSE(menu->connected());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(RegisterMenuTest, StartWithoutDriverOrRegister) {
    factoryThrows = true;
    menu->startAtCreate();
    EXPECT_EQ(menu->driver(), nullptr);
    EXPECT_EQ(menu->statusText(), text::kNoConnection);
    EXPECT_FALSE(menu->connected());

    // Without a driver object the register entries do nothing and say nothing.
    EXPECT_FALSE(menu->openShift(kCashier));
    EXPECT_FALSE(menu->closeShift(kCashier));
    EXPECT_FALSE(menu->xReport(kCashier));
    EXPECT_FALSE(menu->prepareCashIncome(kCashier));
    EXPECT_FALSE(menu->cashIncome(sales::Money::fromKopecks(100), kCashier));
    EXPECT_FALSE(menu->showDriverVersion());
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(wait.events.empty());
}

TEST_F(RegisterMenuTest, ConnectReportsMissingDriverAndRefusedOpen) {
    factoryEmpty = true;
    EXPECT_FALSE(menu->connectRegister());
    EXPECT_EQ(messages.texts(), QStringList{text::kNoDriver});

    factoryEmpty = false;
    messages.clear();
    // The driver is made now.
    ASSERT_TRUE(menu->connectRegister());
    EXPECT_TRUE(menu->connected());
    EXPECT_TRUE(messages.boxes.empty());

    emulator->failNext(QStringLiteral("open"), LIBFPTR_ERROR_NO_CONNECTION, QStringLiteral("Нет связи"));
    EXPECT_FALSE(menu->connectRegister());
    EXPECT_EQ(messages.texts(), QStringList{text::kCannotConnect + QStringLiteral("\r\n\r\nНет связи")});
    EXPECT_EQ(messages.boxes.back().icon, ui::Icon::Error);
    EXPECT_EQ(menu->statusText(), text::kNotConnected);
    EXPECT_FALSE(menu->connected());
    EXPECT_EQ(created, 2);  // the existing driver object is reused
}

TEST_F(RegisterMenuTest, DamagedRegisterStateIsNamedAndTheRegisterStaysDisconnected) {
    const QString path = QDir(dir.path()).filePath(RegisterEmulator::kStateFileName);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{ \"serialNumber\": \"0012");
    }
    // Said at start, not first at a sale ("Нет связи с ККТ"), and again on
    // every attempt to connect.
    start();
    EXPECT_EQ(statusText, text::kNotConnected);
    EXPECT_FALSE(statusConnected);
    EXPECT_FALSE(menu->connectRegister());
    ASSERT_EQ(messages.boxes.size(), 2u);
    for (const auto& box : messages.boxes) {
        EXPECT_TRUE(box.text.startsWith(text::kCannotConnect));
        EXPECT_TRUE(box.text.contains(QDir::toNativeSeparators(path))) << box.text.toStdString();
    }
    EXPECT_FALSE(menu->connected());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("{ \"serialNumber\": \"0012"));
}

TEST_F(RegisterMenuTest, RefusedOpenNamesTheOperationAndMarksRegisterDisconnected) {
    start();
    struct Case {
        const char* name;
        std::function<bool()> run;
        QString message;
    } cases[] = {
        {"open shift", [this] { return menu->openShift(kCashier); }, text::kNoLinkShift},
        {"Z report", [this] { return menu->closeShift(kCashier); }, text::kNoLinkShift},
        {"X report", [this] { return menu->xReport(kCashier); }, text::kNoLinkX},
        {"cash-in", [this] { return menu->prepareCashIncome(kCashier); }, text::kNoLinkCashIn},
    };
    for (const Case& c : cases) {
        menu->connectRegister();
        ASSERT_TRUE(menu->connected()) << c.name;
        messages.clear();
        emulator->clearJournal();
        emulator->failNext(QStringLiteral("open"), LIBFPTR_ERROR_NO_CONNECTION, QStringLiteral("Нет связи"));
        EXPECT_FALSE(c.run()) << c.name;
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.name;
        EXPECT_EQ(menu->statusText(), text::kNotConnected) << c.name;
        EXPECT_FALSE(menu->connected()) << c.name;
        EXPECT_EQ(methods(emulator->journal()), QStringList{QStringLiteral("open")}) << c.name;
    }
}

TEST_F(RegisterMenuTest, ClockSkewQuestionBeforeOpeningShift) {
    // The register's clock behind the computer's: time spent between the two
    // readings only widens the gap, so 659 s can never read as 660 s.
    struct Case {
        const char* name;
        qint64 registerOffset;
        std::optional<ui::Answer> answer;  // nullopt: no question expected
        bool opens;
    } cases[] = {
        {"10 min 59 s passes", -659, std::nullopt, true},
        {"11 min, answered No", -660, ui::Answer::No, false},
        {"11 min, answered Yes", -660, ui::Answer::Yes, true},
        {"an hour, answered No", -3600, ui::Answer::No, false},
    };
    for (const Case& c : cases) {
        QTemporaryDir caseDir;
        RegisterEmulator* reg = nullptr;
        RegisterMenu m([&]() -> std::unique_ptr<IFiscalDriver> {
            auto e = std::make_unique<RegisterEmulator>(caseDir.path());
            reg = e.get();
            return e;
        });
        m.startAtCreate();
        ASSERT_NE(reg, nullptr);
        reg->setClockOffset(c.registerOffset);
        reg->clearJournal();
        messages.clear();
        if (c.answer) messages.answer(*c.answer);

        EXPECT_EQ(m.openShift(kCashier), c.opens) << c.name;
        if (c.answer) {
            ASSERT_EQ(messages.boxes.size(), 1u) << c.name;
            EXPECT_TRUE(messages.boxes[0].question) << c.name;
            EXPECT_EQ(messages.boxes[0].text, text::kClockSkew) << c.name;
        } else {
            EXPECT_TRUE(messages.boxes.empty()) << c.name;
        }
        const QStringList calls = methods(reg->journal());
        EXPECT_EQ(calls.contains(QStringLiteral("operatorLogin")), c.opens) << c.name;
        EXPECT_EQ(calls.contains(QStringLiteral("openShift")), c.opens) << c.name;
        EXPECT_EQ(reg->state().shiftOpen, c.opens) << c.name;
    }
}

TEST_F(RegisterMenuTest, OpenShiftSendsTheCashier) {
    start();
    emulator->clearJournal();
    const CashierLabels noInn{QStringLiteral("Кассир : "), QStringLiteral("Петров"), QString()};
    ASSERT_TRUE(menu->openShift(noInn));
    const QList<JournalEntry> journal = emulator->journal();
    EXPECT_EQ(methods(journal), (QStringList{QStringLiteral("open"), QStringLiteral("queryData"),
                                             QStringLiteral("operatorLogin"), QStringLiteral("openShift")}));
    const JournalEntry* login = lastCall(journal, QStringLiteral("operatorLogin"));
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->params.value(tag::CashierName).toString(), QStringLiteral("Кассир : Петров"));
    // A cashier without a tax number still sends the tag, empty.
    ASSERT_TRUE(login->params.has(tag::CashierInn));
    EXPECT_EQ(login->params.value(tag::CashierInn).toString(), QString());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(RegisterMenuTest, OpenShiftWhenOpenWarnsAndSendsNothing) {
    startWithOpenShift();
    EXPECT_FALSE(menu->openShift(kCashier));
    EXPECT_EQ(messages.texts(), QStringList{text::kShiftOpen});
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);
    const QStringList calls = methods(emulator->journal());
    EXPECT_FALSE(calls.contains(QStringLiteral("operatorLogin")));
    EXPECT_FALSE(calls.contains(QStringLiteral("openShift")));
}

TEST_F(RegisterMenuTest, BuiltinAdministratorTakesXReportButNoShiftOperations) {
    start();
    emulator->clearJournal();
    struct Case {
        const char* name;
        std::function<bool()> run;
    } refused[] = {
        {"open shift", [this] { return menu->openShift(kBuiltinAdmin); }},
        {"Z report", [this] { return menu->closeShift(kBuiltinAdmin); }},
        {"cash-in", [this] { return menu->prepareCashIncome(kBuiltinAdmin); }},
    };
    for (const Case& c : refused) {
        messages.clear();
        EXPECT_FALSE(c.run()) << c.name;
        EXPECT_EQ(messages.texts(), QStringList{text::kBadUser}) << c.name;
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error) << c.name;
    }
    const QStringList calls = methods(emulator->journal());
    EXPECT_FALSE(calls.contains(QStringLiteral("openShift")));
    EXPECT_FALSE(calls.contains(QStringLiteral("report")));
    EXPECT_FALSE(emulator->state().shiftOpen);

    messages.clear();
    emulator->clearJournal();
    EXPECT_TRUE(menu->xReport(kBuiltinAdmin));
    EXPECT_TRUE(messages.boxes.empty());
    const JournalEntry* report = lastCall(emulator->journal(), QStringLiteral("report"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->params.value(LIBFPTR_PARAM_REPORT_TYPE).toInt(), LIBFPTR_RT_X);
    EXPECT_EQ(report->errorCode, LIBFPTR_OK);
    // No cashier login for an X report.
    EXPECT_FALSE(methods(emulator->journal()).contains(QStringLiteral("operatorLogin")));
}

TEST_F(RegisterMenuTest, ZReportClosesTheShiftBehindTheWaitWindow) {
    startWithOpenShift();
    wait.events.clear();
    ASSERT_TRUE(menu->closeShift(kCashier));
    EXPECT_FALSE(emulator->state().shiftOpen);
    EXPECT_TRUE(messages.boxes.empty());

    const QList<JournalEntry> journal = emulator->journal();
    EXPECT_EQ(methods(journal), (QStringList{QStringLiteral("open"), QStringLiteral("resetError"),
                                             QStringLiteral("queryData"), QStringLiteral("operatorLogin"),
                                             QStringLiteral("report")}));
    const JournalEntry* report = lastCall(journal, QStringLiteral("report"));
    EXPECT_EQ(report->params.value(LIBFPTR_PARAM_REPORT_TYPE).toInt(), LIBFPTR_RT_CLOSE_SHIFT);
    const JournalEntry* login = lastCall(journal, QStringLiteral("operatorLogin"));
    EXPECT_EQ(login->params.value(tag::CashierName).toString(), QStringLiteral("Кассир : Иванов И.И."));
    EXPECT_EQ(login->params.value(tag::CashierInn).toString(), QStringLiteral("500100732259"));

    // The wait window (Z, tag 2) stood while the report ran, and only then.
    ASSERT_EQ(wait.events.size(), 2u);
    EXPECT_EQ(wait.events[0].what, QStringLiteral("show"));
    EXPECT_EQ(wait.events[0].tag, 2);
    EXPECT_EQ(wait.events[0].journalSize, journal.size() - 1);
    EXPECT_EQ(wait.events[1].what, QStringLiteral("close"));
    EXPECT_EQ(wait.events[1].journalSize, journal.size());

    // A second Z finds the shift closed.
    messages.clear();
    EXPECT_FALSE(menu->closeShift(kCashier));
    EXPECT_EQ(messages.texts(), QStringList{text::kShiftClosed});
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);
}

TEST_F(RegisterMenuTest, RefusedOperationsShowTheDriversDescription) {
    startWithOpenShift();
    struct Case {
        const char* name;
        QString method;
        std::function<bool()> run;
    } cases[] = {
        {"Z report", QStringLiteral("report"), [this] { return menu->closeShift(kCashier); }},
        {"X report", QStringLiteral("report"), [this] { return menu->xReport(kCashier); }},
        {"cashier login", QStringLiteral("operatorLogin"), [this] { return menu->closeShift(kCashier); }},
        {"status", QStringLiteral("queryData"), [this] { return menu->prepareCashIncome(kCashier); }},
        {"cash-in", QStringLiteral("cashIncome"),
         [this] { return menu->cashIncome(sales::Money::fromKopecks(1000), kCashier); }},
    };
    for (const Case& c : cases) {
        messages.clear();
        wait.events.clear();
        emulator->failNext(c.method, LIBFPTR_ERROR_STORAGE, QStringLiteral("Ошибка записи в ФН"));
        EXPECT_FALSE(c.run()) << c.name;
        EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Ошибка записи в ФН     ")}) << c.name;
        EXPECT_EQ(messages.boxes.back().icon, ui::Icon::Error) << c.name;
        // A wait window that was shown is always closed again.
        if (!wait.events.empty()) {
            EXPECT_EQ(wait.events.back().what, QStringLiteral("close")) << c.name;
        }
    }
    EXPECT_TRUE(emulator->state().shiftOpen);
}

TEST_F(RegisterMenuTest, RefusedShiftOpeningShowsTheDriversDescription) {
    start();
    emulator->failNext(QStringLiteral("openShift"), LIBFPTR_ERROR_STORAGE, QStringLiteral("ФН переполнен"));
    EXPECT_FALSE(menu->openShift(kCashier));
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("ФН переполнен     ")});
    EXPECT_FALSE(emulator->state().shiftOpen);
}

TEST_F(RegisterMenuTest, CashInNeedsAnOpenShiftAndPutsTheAmountInTheDrawer) {
    start();
    EXPECT_FALSE(menu->prepareCashIncome(kCashier));
    EXPECT_EQ(messages.texts(), QStringList{text::kShiftClosedCashIn});
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Warning);

    ASSERT_TRUE(menu->openShift(kCashier));
    messages.clear();
    const qint64 cashBefore = emulator->state().cash;
    EXPECT_TRUE(menu->prepareCashIncome(kCashier));
    emulator->clearJournal();
    EXPECT_TRUE(menu->cashIncome(sales::Money::fromKopecks(150050), kCashier));
    EXPECT_EQ(emulator->state().cash, cashBefore + 150050);
    const JournalEntry* cashIn = lastCall(emulator->journal(), QStringLiteral("cashIncome"));
    ASSERT_NE(cashIn, nullptr);
    EXPECT_EQ(cashIn->params.value(LIBFPTR_PARAM_SUM).toString(), QStringLiteral("1500.50"));

    // Nothing goes to the register for an amount of zero.
    emulator->clearJournal();
    EXPECT_FALSE(menu->cashIncome(sales::Money::fromKopecks(0), kCashier));
    EXPECT_TRUE(emulator->journal().isEmpty());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(RegisterMenuTest, FiscalOperationsWaitWhileAReceiptPrintIsUnresolved) {
    startWithOpenShift();
    bool settled = false;
    int asked = 0;
    menu->setPrintSettler([&](QString&) {
        ++asked;
        return settled;
    });
    const int before = emulator->state().lastDocument.number;
    struct Case {
        const char* what;
        std::function<bool()> run;
    };
    const QList<Case> cases{
        {"X report", [&] { return menu->xReport(kCashier); }},
        {"Z report", [&] { return menu->closeShift(kCashier); }},
        {"cash-in check", [&] { return menu->prepareCashIncome(kCashier); }},
        {"cash-in", [&] { return menu->cashIncome(sales::Money::fromKopecks(10000), kCashier); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        emulator->clearJournal();
        EXPECT_FALSE(c.run());
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.last(), text::kPrintUnresolved);
        for (const char* fiscal : {"report", "cashIncome", "openShift", "operatorLogin"})
            EXPECT_FALSE(methods(emulator->journal()).contains(fiscal)) << fiscal;
    }
    EXPECT_EQ(emulator->state().lastDocument.number, before);
    EXPECT_EQ(asked, 4);

    // Settled: the operations run as usual; the shift opens again only after a Z report.
    settled = true;
    messages.clear();
    EXPECT_TRUE(menu->xReport(kCashier));
    EXPECT_TRUE(menu->closeShift(kCashier));
    settled = false;
    EXPECT_FALSE(menu->openShift(kCashier));
    EXPECT_EQ(messages.last(), text::kPrintUnresolved);
    EXPECT_FALSE(emulator->state().shiftOpen);
    settled = true;
    EXPECT_TRUE(menu->openShift(kCashier));
}

TEST_F(RegisterMenuTest, DriverVersionIsShownWhenThereIsADriver) {
    start();
    EXPECT_TRUE(menu->showDriverVersion());
    EXPECT_EQ(messages.texts(), QStringList{text::kDriverVersion + emulator->version()});
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Information);
}

TEST(PrintMessageWindow, TagChoosesTheTextAndClosingFreesIt) {
    struct Case {
        int tag;
        QString expected;
    } cases[] = {
        {1, TfmPrinttMessage::kXReportText},
        {2, TfmPrinttMessage::kZReportText},
        {0, QStringLiteral("Идет печать чека коррекции...")},
    };
    for (const Case& c : cases) {
        auto* w = new TfmPrinttMessage;
        ASSERT_EQ(fmPrinttMessage, w);
        w->setText(QStringLiteral("Идет печать чека коррекции..."));
        showPrintMessage(c.tag);
        EXPECT_EQ(fmPrinttMessage, w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->text(), c.expected) << c.tag;
        QPointer<TfmPrinttMessage> alive(w);
        closePrintMessage();
        EXPECT_EQ(fmPrinttMessage, nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(alive.isNull()) << c.tag;
    }
    // Shown without one existing, it is made.
    showPrintMessage(2);
    ASSERT_NE(fmPrinttMessage, nullptr);
    EXPECT_EQ(fmPrinttMessage->text(), TfmPrinttMessage::kZReportText);
    closePrintMessage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
