// The marked road of item entry on a fresh database with the register
// emulator validating the codes: a unit of every mark type sold by its
// scanned code, a second scan of the same code refused, goods found by an
// ordinary barcode, by code or by name scanned in the window, tobacco price
// rules and the receipt discount, a fraction of a pack, and the register
// that does not answer or refuses.
#include "MarkTestCodes.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/FiscalConstants.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/ui/KeyboardLayout.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/input/ItemEntry.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/receipt/ReceiptModel.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace sales::marking;
using namespace marktest;
using sales::ReceiptModel;

namespace {

const QString kGtin = QStringLiteral("04601234567893");
const QString kSerial13 = QStringLiteral("ABcd.,;:?/123");
const QString kSerial7 = QStringLiteral("N4M'Yk,");

struct Goods {
    int id;
    int markType;
    QString price = QStringLiteral("150.00");
    QString weighed = QStringLiteral("нет");
    int packCount = 0;
};

class MarkedEntryTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        ui::KeyboardLayout::setLayoutProvider([] { return 1033; });
        kkt = std::make_unique<fiscal::RegisterEmulator>(programFolder());
        ASSERT_EQ(kkt->open(), 0);
        entry = std::make_unique<sales::ItemEntry>(screen, [this] { return &db(); });

        MarkedEntryServices services;
        services.markedItems = [this]() -> QList<QStringList>& { return marked; };
        services.driver = [this]() -> fiscal::IFiscalDriver* { return kkt.get(); };
        services.registerLost = [this] { ++lost; };
        services.receiptKind = [] { return 1; };
        services.barcodes = [this](const QString& id) { return entry->goodsBarcodes(id); };
        services.tobaccoSetting = [this] { return tobaccoSetting; };
        services.askFraction = [this](int packCount, const QString&, const QString&, QWidget*) {
            askedPackCount = packCount;
            return fraction;
        };
        // The scan window, shown without its own event loop: the scanner
        // types the code waiting in `windowScan`.
        services.queryCode = [this](QuerySerialSetup s, QWidget*) -> std::optional<MarkedScan> {
            windowSetup = s;
            TfmQuerySerialNumber window(std::move(s));
            window.show();
            window.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            testsupport::typeText(&window, windowScan);
            for (int i = 0; i < 200 && window.Timer1->isActive(); ++i) QTest::qWait(5);
            if (window.result() != QDialog::Accepted) return std::nullopt;
            return window.scanned();
        };
        entry->setMarkingEntry(makeMarkedEntry(std::move(services)));
    }
    void TearDown() override {
        ui::KeyboardLayout::setLayoutProvider({});
        entry.reset();
        kkt.reset();
        UpgradedDbTest::TearDown();
    }

    void add(const Goods& g, const QStringList& barcodes) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD, "
                                   "GOOD_PACKCOUNT) VALUES (?, ?, ?, ?, 'Т', ' 1 ', 1, '643', ?, 'шт', 0, ?)"),
                    {std::int64_t{g.id}, QStringLiteral("Товар ") + QString::number(g.id), g.price, g.weighed,
                     std::int64_t{g.markType}, std::int64_t{g.packCount}});
        for (const QString& b : barcodes)
            fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                        {std::int64_t{g.id}, b});
        tr.commit();
    }

    void scan(const QString& code) {
        screen.latin = code;
        entry->btnBarcodeClick(sales::EntrySource::Router);
    }

    ReceiptModel& model() { return screen.model; }
    QStringList rowsOf(const QString& id) {
        QStringList out;
        for (int r = 1; r < model().rowCount(); ++r)
            if (model().isActive(r) && model().cell(r, ReceiptModel::ColId) == id)
                out << model().cell(r, ReceiptModel::ColPrice) + QStringLiteral(" x ") +
                           model().cell(r, ReceiptModel::ColQty);
        return out;
    }
    // The codes the register was asked to accept, in order.
    QStringList acceptedCodes() const {
        QStringList out;
        QString pending;
        for (const fiscal::JournalEntry& e : kkt->journal()) {
            if (e.method == QLatin1String("beginMarkingCodeValidation"))
                pending = e.params.value(fiscal::LIBFPTR_PARAM_MARKING_CODE).toString();
            if (e.method == QLatin1String("acceptMarkingCode") && e.errorCode == 0) out << pending;
        }
        return out;
    }

    testsupport::FakeMessages messages;
    sales::PlainEntryScreen screen;
    std::unique_ptr<fiscal::RegisterEmulator> kkt;
    std::unique_ptr<sales::ItemEntry> entry;
    QList<QStringList> marked;
    int lost = 0;
    sales::TobaccoPriceSetting tobaccoSetting;
    std::optional<MarkFraction> fraction;
    int askedPackCount = -1;
    QString windowScan;
    QuerySerialSetup windowSetup;
};

TEST_F(MarkedEntryTest, AUnitOfEveryMarkTypeIsSoldByItsScannedCode) {
    struct Case {
        const char* what;
        int type;
        QString storedBarcode;
        QString scan;
        QString normalised;
        QString serial;
        QString price;
        int kind;
    };
    const QString gtinNoZero = kGtin.mid(1);
    const Case cases[] = {
        {"tobacco pack", 4, gtinNoZero, tobaccoPack(kGtin, kSerial7, "AB,8"), tobaccoPack(kGtin, kSerial7, "AB,8"),
         kSerial7, QStringLiteral("123.00"), 1},
        {"tobacco block", 4, kGtin, tobaccoBlock(kGtin, kSerial7, "125000", "~"), tobaccoBlock(kGtin, kSerial7, "125000"),
         kSerial7, QStringLiteral("1250.00"), 10},
        {"shoes", 5, gtinNoZero, dataMatrix(kGtin, kSerial13, 88), dataMatrix(kGtin, kSerial13, 88) + kGs, kSerial13,
         QStringLiteral("150.00"), 0},
        {"other marked goods", 7, kGtin, dataMatrix(kGtin, kSerial13, 44), dataMatrix(kGtin, kSerial13, 44), kSerial13,
         QStringLiteral("150.00"), 0},
        {"perfume", 9, kGtin, dataMatrix(kGtin, kSerial13, 44), dataMatrix(kGtin, kSerial13, 44), kSerial13,
         QStringLiteral("150.00"), 0},
        {"tyres", 10, gtinNoZero, dataMatrix(kGtin, kSerial13, 44), dataMatrix(kGtin, kSerial13, 44) + kGs, kSerial13,
         QStringLiteral("150.00"), 0},
        {"light industry", 11, kGtin, dataMatrix(kGtin, kSerial13, 44, "^^"), dataMatrix(kGtin, kSerial13, 44),
         kSerial13, QStringLiteral("150.00"), 0},
        {"alternative tobacco", 12, kGtin, altTobacco(kGtin, kSerial7), altTobacco(kGtin, kSerial7), kSerial7,
         QStringLiteral("150.00"), 0},
        {"dairy", 13, kGtin, dairy(kGtin, "aB3;.?"), dairy(kGtin, "aB3;.?"), QStringLiteral("aB3;.?"),
         QStringLiteral("150.00"), 0},
    };
    int id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // One goods item per case: its GTIN is the same in every case, so the
        // previous one leaves the catalogue.
        exec(QStringLiteral("DELETE FROM GOODS_BARCODE"));
        ++id;
        add({id, c.type}, {c.storedBarcode});
        messages.clear();
        marked.clear();
        model().reset();
        kkt->clearJournal();

        scan(c.scan);
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(rowsOf(QString::number(id)), QStringList{c.price + QStringLiteral(" x 1")});
        EXPECT_EQ(acceptedCodes(), QStringList{c.normalised});
        ASSERT_EQ(marked.size(), 1);
        const QStringList& r = marked[0];
        ASSERT_EQ(r.size(), 10);
        EXPECT_EQ(r[sales::MarkGoodId], QString::number(id));
        EXPECT_EQ(r[sales::MarkGtin], kGtin);
        EXPECT_EQ(r[sales::MarkSerial], c.serial);
        EXPECT_EQ(r[sales::MarkFullCode], c.normalised);
        EXPECT_EQ(r[sales::MarkStatus], QStringLiteral("1"));
        EXPECT_EQ(r[sales::MarkOnlineResult], QStringLiteral("15"));
        EXPECT_EQ(r[sales::MarkNumerator], QStringLiteral("0"));
        EXPECT_EQ(r[sales::MarkDenominator], QStringLiteral("0"));
        EXPECT_EQ(r[sales::MarkStockUnit], QString::number(c.kind));
        EXPECT_EQ(model().attr(1, ReceiptModel::AttrMarkType), QString::number(c.type));
        EXPECT_EQ(model().attr(1, ReceiptModel::AttrGtin), kGtin);
    }
}

TEST_F(MarkedEntryTest, TheSameCodeIsSoldOnceAndAnotherUnitJoinsTheRow) {
    add({5, 9}, {kGtin});
    const QString first = dataMatrix(kGtin, kSerial13, 44);
    scan(first);
    ASSERT_EQ(marked.size(), 1);
    // Scanned again, with the serial's letters in the other case.
    for (const QString& again : {first, dataMatrix(kGtin, kSerial13.toLower(), 44)}) {
        messages.clear();
        scan(again);
        EXPECT_EQ(messages.texts(), QStringList{duplicateMarkText()});
        EXPECT_EQ(rowsOf("5"), QStringList{"150.00 x 1"});
        EXPECT_EQ(marked.size(), 1);
    }
    EXPECT_EQ(acceptedCodes().size(), 1);
    messages.clear();
    scan(dataMatrix(kGtin, QStringLiteral("XYZ0000000001"), 44));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(rowsOf("5"), QStringList{"150.00 x 2"});
    EXPECT_EQ(marked.size(), 2);
}

TEST_F(MarkedEntryTest, GoodsFoundWithoutTheirCodeHaveItScannedInTheWindow) {
    // Several barcodes: the shop's own and the GTIN with its leading zero.
    add({8, 11}, {QStringLiteral("2000000000015"), kGtin});
    struct Case {
        const char* what;
        std::function<void()> find;
    };
    sales::FoundGoods byName;
    byName.good.id = QStringLiteral("8");
    byName.good.name = QStringLiteral("Товар 8");
    byName.good.price = QStringLiteral("150.00");
    byName.markType = 11;
    byName.measure = 0;
    const Case cases[] = {
        {"ordinary barcode", [&] { scan(QStringLiteral("2000000000015")); }},
        {"goods code", [&] {
             screen.line = QStringLiteral("8");
             entry->btnCodeClick();
         }},
        {"name search", [&] {
             sales::MarkingRequest request;
             request.goods = byName;
             EXPECT_EQ(entry->markingEntry()(screen, request), sales::MarkingOutcome::Added);
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ++n;
        messages.clear();
        windowScan = dataMatrix(kGtin, QStringLiteral("SERIAL000000%1").arg(n), 44);
        c.find();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(windowSetup.markType, 11);
        EXPECT_EQ(windowSetup.barcodes.size(), 2);
        EXPECT_EQ(rowsOf("8"), QStringList{QStringLiteral("150.00 x %1").arg(n)});
        EXPECT_EQ(marked.size(), n);
        EXPECT_EQ(marked.last()[sales::MarkSerial], QStringLiteral("SERIAL000000%1").arg(n));
    }
    EXPECT_EQ(acceptedCodes().size(), 3);

    // Cancelled window (nothing scanned): nothing added.
    windowScan.clear();
    scan(QStringLiteral("2000000000015"));
    EXPECT_EQ(marked.size(), 3);
}

TEST_F(MarkedEntryTest, TobaccoPriceFollowsTheRuleAndItsLimits) {
    add({4, 4, QStringLiteral("100.00")}, {kGtin});
    struct Case {
        const char* what;
        sales::TobaccoPriceSetting setting;
        QString serial;
        QString price;  // empty: refused as outside the limits
    };
    const Case cases[] = {
        {"rule 1: the maximum price", {1, QString()}, "AAAAAA1", QStringLiteral("123.00")},
        {"rule 2: ten percent off", {2, QStringLiteral("10")}, "AAAAAA2", QStringLiteral("110.70")},
        {"rule 3: five roubles off", {3, QStringLiteral("5")}, "AAAAAA3", QStringLiteral("118.00")},
        {"rule 0: the catalogue price", {0, QString()}, "AAAAAA4", QStringLiteral("100.00")},
        {"rule 2: too much off", {2, QStringLiteral("50")}, "AAAAAA5", QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tobaccoSetting = c.setting;
        model().reset();
        marked.clear();
        messages.clear();
        scan(tobaccoPack(kGtin, c.serial, "AB,8"));  // MRP 123.00
        if (c.price.isEmpty()) {
            EXPECT_EQ(messages.texts(), QStringList{badTobaccoPriceText()});
            EXPECT_TRUE(rowsOf("4").isEmpty());
            EXPECT_TRUE(marked.isEmpty());
        } else {
            EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
            EXPECT_EQ(rowsOf("4"), QStringList{c.price + " x 1"});
        }
    }

    // Another pack at another price is refused; the receipt discount goes
    // with the first tobacco unit, after a warning.
    tobaccoSetting = {1, QString()};
    model().reset();
    marked.clear();
    model().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
    messages.clear();
    scan(tobaccoPack(kGtin, "BBBBBB1", "AB,8"));
    EXPECT_EQ(messages.texts(), QStringList{mainScreenTobaccoDiscountText()});
    EXPECT_EQ(model().receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(rowsOf("4"), QStringList{"123.00 x 1"});
    messages.clear();
    scan(tobaccoPack(kGtin, "BBBBBB2", "AB,A"));  // MRP 122.40
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), sales::priceConflictText("122.40", 1, "123.00"));
    EXPECT_EQ(marked.size(), 1);
}

TEST_F(MarkedEntryTest, PartOfAPackIsAskedAndSentToTheRegister) {
    add({6, 13, QStringLiteral("80.00"), QStringLiteral("да"), 4}, {kGtin});
    fraction = MarkFraction{1, 4, QStringLiteral("1/4")};
    scan(dairy(kGtin, "aB3;.?"));
    EXPECT_EQ(askedPackCount, 4);
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked[0][sales::MarkNumerator], "1");
    EXPECT_EQ(marked[0][sales::MarkDenominator], "4");
    EXPECT_EQ(marked[0][sales::MarkStatus], "2");
    EXPECT_EQ(rowsOf("6"), QStringList{"80.00 x 0.250"});
    std::optional<fiscal::JournalEntry> begin;
    for (const fiscal::JournalEntry& e : kkt->journal())
        if (e.method == QLatin1String("beginMarkingCodeValidation")) begin = e;
    ASSERT_TRUE(begin);
    EXPECT_EQ(begin->params.value(fiscal::LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY).toString(), "1/4");

    // The cashier gives up on the fraction: nothing is added or asked of the register.
    fraction.reset();
    kkt->clearJournal();
    scan(dairy(kGtin, "zZ9;.?"));
    EXPECT_EQ(marked.size(), 1);
    EXPECT_TRUE(acceptedCodes().isEmpty());
}

TEST_F(MarkedEntryTest, PartOfATobaccoPackKeepsThePacksPriceAndCountsItsShare) {
    // The position counts the share of the pack and the register is given
    // price x share, so the price must stay the pack's: dividing it as well
    // would charge a tenth of a tenth.
    add({7, 4, QStringLiteral("100.00"), QStringLiteral("да"), 10}, {kGtin});
    tobaccoSetting = {1, QString()};
    fraction = MarkFraction{1, 10, QStringLiteral("1/10")};
    scan(tobaccoPack(kGtin, "CCCCCC1", "AB,8"));  // MRP 123.00
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(rowsOf("7"), QStringList{"123.00 x 0.100"});
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked[0].mid(sales::MarkNumerator, 2), (QStringList{"1", "10"}));
}

TEST_F(MarkedEntryTest, RegisterThatDoesNotAnswerOrRefusesAddsNothing) {
    add({3, 10}, {kGtin});
    const QString code = dataMatrix(kGtin, kSerial13, 44);
    kkt->failNext(QStringLiteral("open"), -1, QStringLiteral("Нет связи"));
    scan(code);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(messages.texts(), QStringList{noRegisterText()});
    EXPECT_TRUE(rowsOf("3").isEmpty());

    // The marking system says the code is not valid and the cashier does
    // not sell anyway: declined, nothing added.
    messages.clear();
    fiscal::MarkingScript bad;
    bad.onlineResult = 0;
    kkt->scriptMarkingCode(NormalizeMarkCode(code, 10).code, bad);
    scan(code);
    EXPECT_FALSE(messages.boxes.empty());
    EXPECT_TRUE(rowsOf("3").isEmpty());
    EXPECT_TRUE(marked.isEmpty());
    EXPECT_TRUE(acceptedCodes().isEmpty());

    // A code of the wrong layout never reaches the register.
    messages.clear();
    kkt->clearJournal();
    scan(code + kGs + "x");
    EXPECT_EQ(messages.texts(), QStringList{formatMessage(10)});
    for (const fiscal::JournalEntry& e : kkt->journal())
        EXPECT_NE(e.method, QStringLiteral("beginMarkingCodeValidation"));
}

}  // namespace
