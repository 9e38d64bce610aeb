#include "ExchangeTestSupport.h"

#include "exchange/ExchangeCommands.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeImport.h"
#include "exchange/uProcessMovement.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <gtest/gtest.h>

using namespace exchange;
using namespace exchangetest;

namespace {

int tag(const QObject* o) {
    return o->property("Tag").toInt();
}

struct ProgressFixture {
    QWidget screen;
    QAction load{QStringLiteral("load")};
    QAction csv{QStringLiteral("csv")};
    testsupport::FakeMessages messages;
};

}  // namespace

TEST(ProcessMovementWindow, StopQuestionFollowsTheModeAndOnlyYesSetsTheFlags) {
    const std::vector<std::tuple<int, ui::Answer, QString, int>> cases = {
        {TfmProcessMovement::Load, ui::Answer::No, TfmProcessMovement::kStopLoad, 0},
        {TfmProcessMovement::Load, ui::Answer::Yes, TfmProcessMovement::kStopLoad, 1},
        {TfmProcessMovement::Unload, ui::Answer::Yes, TfmProcessMovement::kStopUnload, 1},
        {3, ui::Answer::No, QString(), 0},
    };
    for (const auto& [mode, answer, question, flag] : cases) {
        ProgressFixture f;
        TfmProcessMovement w(&f.screen, {&f.load, &f.csv});
        w.setTag(mode);
        w.show();
        f.messages.answer(answer);
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("btnStop")), Qt::LeftButton);
        ASSERT_EQ(f.messages.boxes.size(), 1u);
        EXPECT_EQ(f.messages.boxes[0].text, question);
        EXPECT_TRUE(f.messages.boxes[0].question);
        EXPECT_EQ(tag(w.btnStop), flag);
        EXPECT_EQ(tag(&f.load), flag);
        EXPECT_EQ(tag(&f.csv), flag);
        EXPECT_TRUE(w.isVisible()) << "the button never closes the window itself";
    }
}

TEST(ProcessMovementWindow, ClosingAsksAndOnlyAConfirmedStopOrTheCallerCloses) {
    ProgressFixture f;
    f.screen.setEnabled(false);
    TfmProcessMovement w(&f.screen, {&f.load, &f.csv});
    EXPECT_EQ(w.objectName(), u("fmProcessMovement"));
    EXPECT_EQ(fmProcessMovement, &w);
    EXPECT_EQ(w.size(), QSize(437, 122));
    w.show();
    EXPECT_FALSE(w.close());  // No: keeps running
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(f.screen.isEnabled());
    f.messages.answer(ui::Answer::Yes);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(f.screen.isEnabled());
    EXPECT_EQ(tag(&f.load), 1);

    f.messages.clear();
    f.screen.setEnabled(false);
    TfmProcessMovement second(&f.screen, {&f.load});
    second.show();
    second.finish();
    EXPECT_TRUE(f.messages.boxes.empty());
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(f.screen.isEnabled());
}

TEST(ProcessMovementWindow, BarWrapsToZeroAtItsMaximum) {
    ProgressFixture f;
    TfmProcessMovement w(&f.screen, {});
    w.ProgressBar1->setValue(98);
    w.step();
    EXPECT_EQ(w.ProgressBar1->value(), 99);
    w.step();
    EXPECT_EQ(w.ProgressBar1->value(), 0);
}

// A load steps once per line, tens of thousands of lines a second: the shown
// bar takes the position only now and then (each change repaints it at
// once), and shows where the steps stand once they pause.
TEST(ProcessMovementWindow, AShownBarIsNotRepaintedPerLineYetCatchesUp) {
    ProgressFixture f;
    TfmProcessMovement w(&f.screen, {});
    w.show();
    QSignalSpy changes(w.ProgressBar1, &QProgressBar::valueChanged);
    for (int i = 0; i < 10000 + 42; ++i) w.step();
    EXPECT_LT(changes.count(), 20);
    EXPECT_EQ(w.position(), 42);
    for (int waited = 0; w.ProgressBar1->value() != 42 && waited < 2000; waited += 10) QTest::qWait(10);
    EXPECT_EQ(w.ProgressBar1->value(), 42);
}

namespace {

class ExchangeCommandTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        host.mainScreen = &screen;
        host.loadFlag = &load;
        host.csvFlag = &csv;
        host.database = [this]() -> fb::Connection& { return db(); };
        host.programFolder = programFolder();
        host.openFile = [this](QWidget*, const QString& title, const QString& folder, const QString& filter) {
            dialogs << title + u("|") + filter;
            EXPECT_EQ(folder, programFolder());
            return chosen;
        };
        host.saveFile = [this](QWidget*, const QString& title, const QString&, const QString& filter,
                               const QString& suffix) {
            dialogs << title + u("|") + filter + u("|") + suffix;
            return chosen;
        };
    }
    void writeFile(const QString& text) {
        chosen = programFolder() + u("/goods.txt");
        QFile f(chosen);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeCp1251(text));
    }
    int goodsCount() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        return int(fb::queryOne(tr, u("SELECT COUNT(*) FROM GOODS"))->int64(u("COUNT")));
    }

    QWidget screen;
    QAction load{QStringLiteral("MGoodsLoad")};
    QAction csv{QStringLiteral("MLoadCSV")};
    testsupport::FakeMessages messages;
    ExchangeHost host;
    QString chosen;
    QStringList dialogs;
};

}  // namespace

TEST_F(ExchangeCommandTest, LoadShowsTheSummaryAndGivesTheScreenBack) {
    load.setProperty("Tag", 1);  // a stop left over from an earlier run
    writeFile(file({group(1, u("Группа")), goods(2, u("Хлеб"), u("30"))}));
    loadGoodsExchangeFile(host);
    EXPECT_EQ(dialogs, QStringList({kLoadDialogTitle + u("|") + kTextFilesFilter}));
    EXPECT_EQ(messages.texts(), QStringList({importSummary(2)}));
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Information);
    EXPECT_EQ(goodsCount(), 2);
    EXPECT_TRUE(screen.isEnabled());
    EXPECT_TRUE(fmProcessMovement.isNull());
}

TEST_F(ExchangeCommandTest, HeaderAndRecordRefusalsAreShownAsErrorsAndChangeNothing) {
    const std::vector<std::pair<QString, QString>> cases = {
        {u("##@@&&\r\n@\r\n"), msg::kLoaded},
        {u("// nothing\r\n"), msg::kEmpty},
        {u("ATOL\r\n#\r\n"), msg::kNotFormat},
        {file({goods(1, u("a"), u("1")), goods(2, u("b"), u("1"), {{23, u("9")}})}), msg::badField23(4)},
    };
    for (const auto& [text, message] : cases) {
        messages.clear();
        writeFile(text);
        loadGoodsExchangeFile(host);
        EXPECT_EQ(messages.texts(), QStringList({message}));
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        EXPECT_EQ(goodsCount(), 0);
        EXPECT_TRUE(screen.isEnabled());
    }
}

TEST_F(ExchangeCommandTest, CancelledDialogDoesNothing) {
    chosen.clear();
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME) VALUES (1, 'x')"));
    loadGoodsExchangeFile(host);
    unloadGoodsExchangeFile(host);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(dialogs.size(), 2);
}

TEST_F(ExchangeCommandTest, ClosingTheProgressWindowStopsTheLoadAndRollsBack) {
    QStringList body;
    for (int id = 1; id <= 300; ++id) body << goods(id, u("Товар"), u("1"));
    writeFile(file(body));
    // The first window events run after the first record: the cashier closes
    // the window from its caption bar and confirms.
    QTimer::singleShot(0, &screen, [this] {
        EXPECT_FALSE(screen.isEnabled());
        ASSERT_FALSE(fmProcessMovement.isNull());
        EXPECT_EQ(fmProcessMovement->windowTitle(), msg::kLoadCaption);
        EXPECT_TRUE(fmProcessMovement->btnStop->isEnabled()) << "the stop button works while the screen is disabled";
        messages.answer(ui::Answer::Yes);
        fmProcessMovement->close();
        EXPECT_TRUE(screen.isEnabled());
    });
    loadGoodsExchangeFile(host);
    EXPECT_EQ(messages.texts(), QStringList({TfmProcessMovement::kStopLoad}));
    EXPECT_EQ(goodsCount(), 0);
    EXPECT_TRUE(screen.isEnabled());
    EXPECT_TRUE(fmProcessMovement.isNull());
}

TEST_F(ExchangeCommandTest, UnloadRefusesAnEmptyCatalogueThenWritesTheFile) {
    chosen = programFolder() + u("/out.txt");
    unloadGoodsExchangeFile(host);
    EXPECT_EQ(messages.texts(), QStringList({msg::kCatalogueEmpty}));
    EXPECT_TRUE(dialogs.isEmpty());

    messages.clear();
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD) VALUES (1, 'Хлеб', '30', 1)"));
    unloadGoodsExchangeFile(host);
    EXPECT_EQ(dialogs, QStringList({kSaveDialogTitle + u("|") + kTextFilesFilter + u("|txt")}));
    EXPECT_EQ(messages.texts(), QStringList({exportSummary({1, 0, false})}));
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = decodeCp1251(f.readAll());
    EXPECT_TRUE(text.startsWith(u("##@@&&\r\n#\r\n\r\n$$$ADDQUANTITY\r\n1;;Хлеб;")));
    EXPECT_TRUE(screen.isEnabled());
}

TEST_F(ExchangeCommandTest, WriteFailureDuringUnloadIsReportedAndTheScreenComesBack) {
    if (!QFile::exists(u("/dev/full"))) GTEST_SKIP() << "no device that refuses writes";
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD) VALUES (1, 'Хлеб', '30', 1)"));
    chosen = u("/dev/full");
    unloadGoodsExchangeFile(host);
    ASSERT_EQ(messages.boxes.size(), 1u);
    // The full disk is said so, not "Unknown error".
    EXPECT_EQ(messages.last(), msg::exportFailed(chosen, msg::kDiskFull));
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
    EXPECT_TRUE(screen.isEnabled());
    EXPECT_TRUE(fmProcessMovement.isNull());
}

TEST_F(ExchangeCommandTest, StoppedUnloadKeepsTheCompleteRecordsAndSaysNothing) {
    {
        fb::Transaction tr(db());
        fb::Statement insert(
            tr, u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD) VALUES (?, ?, '1', 1)"));
        for (int id = 1; id <= 20000; ++id) insert.execute(tr, {std::int64_t(id), u("Товар")});
        tr.commit();
    }
    chosen = programFolder() + u("/out.txt");
    // The stop comes at the second time window events run, some rows in.
    QTimer::singleShot(0, &screen, [this] {
        QTimer::singleShot(0, &screen, [this] {
            ASSERT_FALSE(fmProcessMovement.isNull());
            EXPECT_EQ(fmProcessMovement->windowTitle(), msg::kUnloadCaption);
            EXPECT_EQ(fmProcessMovement->Tag(), int(TfmProcessMovement::Unload));
            EXPECT_TRUE(fmProcessMovement->Label1->text().startsWith(u("Выгружено позиций: ")));
            messages.answer(ui::Answer::Yes);
            QTest::mouseClick(fmProcessMovement->btnStop, Qt::LeftButton);
        });
    });
    unloadGoodsExchangeFile(host);
    EXPECT_EQ(messages.texts(), QStringList({TfmProcessMovement::kStopUnload}));
    EXPECT_TRUE(screen.isEnabled());
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = decodeCp1251(f.readAll()).split(u("\r\n"));
    EXPECT_TRUE(lines.last().isEmpty()) << "the file ends with a whole line";
    EXPECT_GT(lines.size(), 5);
    EXPECT_LT(lines.size(), 20000 + 5);
    for (int i = 4; i < lines.size() - 1; ++i) ASSERT_EQ(lines[i].count(QLatin1Char(';')), 66) << i;
}

TEST_F(ExchangeCommandTest, AGoodsFileNeverHandsACodeASaleNamesToAGroupOrAnotherItem) {
    // Receipt 1 sold codes 1, 5 and 6: 1 is still that goods item, 5 was
    // deleted long ago, 6 has since become a group. Code 7 is in the
    // receipt on the main screen.
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD) VALUES (1, 'Tovar 01', '10.00', 1)"));
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD) VALUES (6, 'Tovar 06 group', 0)"));
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD) VALUES (7, 'Tovar 07', '7.00', 1)"));
    exec(u("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER) VALUES (1, 3, 1)"));
    for (const int id : {1, 5, 6})
        exec(u("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (1, %1, 'Tovar 0%1')").arg(id));
    host.openReceiptGoods = [] { return std::vector<std::int64_t>{7}; };
    auto catalogue = [this] {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        QStringList out;
        for (const fb::Row& r : fb::query(tr, u("SELECT GOOD_ID || '|' || GOOD_NAME || '|' || GOOD_ISGOOD || '|' || "
                                                "COALESCE(GOOD_PRICE, '') FROM GOODS ORDER BY GOOD_ID")))
            out << fb::toString(r.at(0));
        return out;
    };
    const QStringList before = catalogue();

    using core::GoodsCodeUse;
    const struct {
        const char* what;
        QString record;
        QString message;
    } refused[] = {
        {"goods item with a sale turned group",
         record({{1, u("1")}, {3, u("Tovar 01 turned group")}, {17, u("0")}}, 17),
         u(" Код (ID) 1 в строке 5 нельзя сделать группой:     \r\n на него ссылаются строки сохранённых чеков.     "
           "\r\n\r\n Загрузка данных невозможна.")},
        {"new item on a sold code", goods(5, u("Other item on code 5"), u("77")),
         msg::codeKeptByHistory(5, 5, false, GoodsCodeUse::DocumentLines)},
        {"new group on a sold code", group(5, u("Group on code 5")),
         msg::codeKeptByHistory(5, 5, true, GoodsCodeUse::DocumentLines)},
        {"group on a sold code turned goods item", goods(6, u("Other item on code 6"), u("77")),
         msg::codeKeptByHistory(5, 6, false, GoodsCodeUse::DocumentLines)},
        {"goods item of the open receipt turned group", group(7, u("Tovar 07 turned group")),
         msg::codeKeptByHistory(5, 7, true, GoodsCodeUse::OpenReceipt)},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        messages.clear();
        // The refused record on line 5, after rows the load would write.
        writeFile(file({group(30, u("Новая группа")), goods(31, u("Новый товар"), u("1"), {{16, u("30")}}), c.record}));
        loadGoodsExchangeFile(host);
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        EXPECT_EQ(messages.last(), c.message);
        EXPECT_EQ(catalogue(), before);
    }

    // The sold item itself takes the file's values as any goods item does,
    // and the stored sale still names it.
    messages.clear();
    writeFile(file({goods(1, u("Tovar 01"), u("12"))}));
    loadGoodsExchangeFile(host);
    EXPECT_EQ(messages.texts(), QStringList({importSummary(1)}));
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    const auto sold = fb::queryOne(tr, u("SELECT G.GOOD_NAME || '|' || G.GOOD_ISGOOD || '|' || G.GOOD_PRICE FROM "
                                         "DOCUMENTS_DETAIL DD JOIN GOODS G ON G.GOOD_ID = DD.DD_GOOD_ID "
                                         "WHERE DD.DD_DOC_ID = 1 AND DD.DD_GOOD_ID = 1"));
    ASSERT_TRUE(sold);
    EXPECT_EQ(fb::toString(sold->at(0)), u("Tovar 01|1|12.00"));
}
