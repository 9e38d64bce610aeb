// Taking marked items out of a position by scanning their codes.
#include "sales/closing/ReceiptLines.h"
#include "sales/input/KeyRouter.h"
#include "sales/input/ScanInput.h"
#include "sales/marking/FractionalCount.h"
#include "sales/marking/MarkCodeFormat.h"
#include "sales/marking/uCountInputMarkGood.h"
#include "sales/receipt/PositionEdits.h"

#include "sales/SalesTestSupport.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>

using sales::ExtractGtinSerialForLowering;
using sales::FindMarkedItem;
using sales::GtinSerial;
using sales::LowerDecision;

namespace {

const QChar kGs(char16_t(0x1D));
const QString kGtin = QStringLiteral("04600000000028");

// A perfume code as the scanner sends it: GTIN, a 13-character serial, then
// the verification key and its 44-character code, separated by GS.
QString itemCode(const QString& gtin, const QString& serial) {
    return QStringLiteral("01") + gtin + QStringLiteral("21") + serial + kGs + QStringLiteral("91EE06") + kGs +
           QStringLiteral("92") + QStringLiteral("dGVzdHRlc3R0ZXN0dGVzdA+/").repeated(2).left(44);
}

QStringList record(const QString& goodsId, const QString& gtin, const QString& serial, const QString& code,
                   const QString& num = QStringLiteral("0"), const QString& den = QStringLiteral("0")) {
    return {goodsId, gtin, serial, QString(), code, QStringLiteral("1"), QStringLiteral("15"), num, den,
            QStringLiteral("0")};
}

}  // namespace

TEST(LoweringRules, GtinAndSerialAreCutByTheLayoutOfTheMarkType) {
    struct Case {
        int markType;
        QString code;
        std::optional<GtinSerial> expected;
    };
    const QString shoe = itemCode(QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM"));
    const QList<Case> cases{
        {4, QStringLiteral("04600000000011-ABC12AAAAbbbb"), std::nullopt},  // 28: too short
        {4, QStringLiteral("04600000000011-ABC12_AAAAbbbb"),
         GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("-ABC12_")}},
        {12, QStringLiteral("04600000000011-ABC12_AAAAbbbb"),
         GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("-ABC12_")}},
        {4, QStringLiteral("0104600000000011211234567") + kGs + QStringLiteral("8005012345") + kGs + QStringLiteral("93abcd"),
         GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("1234567")}},
        {4, QStringLiteral("0204600000000011211234567") + kGs + QStringLiteral("8005012345"), std::nullopt},
        {5, shoe, GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {7, shoe, GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {9, shoe, GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {10, shoe, GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {11, shoe, GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {5, shoe.left(30), std::nullopt},
        {5, shoe.left(31), GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEFGHIJKLM")}},
        {5, shoe.left(16) + QStringLiteral("17") + shoe.mid(18), std::nullopt},  // no "21" at 17
        {13, QStringLiteral("010460000000001121ABCDEF") + kGs + QStringLiteral("93abcd"),
         GtinSerial{QStringLiteral("04600000000011"), QStringLiteral("ABCDEF")}},
        {13, QStringLiteral("010460000000001121ABCDE"), std::nullopt},
        {8, shoe, std::nullopt},
        {1, shoe, std::nullopt},
        {0, shoe, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1: %2").arg(c.markType).arg(c.code).toStdString());
        EXPECT_EQ(ExtractGtinSerialForLowering(c.markType, c.code), c.expected);
    }
}

TEST(LoweringRules, TheItemIsFoundByGoodsPaddedGtinAndExactSerial) {
    const QList<QStringList> items{
        record("7", "4600000000011", "SER1", "c1"),          // GTIN stored without its leading zero
        record("7", "04600000000011", "SER2", "c2"),
        record("8", "04600000000011", "SER3", "c3"),
        record("", "", "", ""),                               // an item already taken out
        record(" 9 ", "04600000000028", "SER4", "c4"),
    };
    struct Case {
        QString goodsId;
        GtinSerial code;
        int expected;
    };
    const QList<Case> cases{
        {"7", {"04600000000011", "SER1"}, 0},
        {"7", {"04600000000011", "SER2"}, 1},
        {"8", {"04600000000011", "SER3"}, 2},
        {"7", {"04600000000011", "SER3"}, -1},  // the serial belongs to other goods
        {"7", {"04600000000011", "ser1"}, -1},  // serials are exact
        {"7", {"04600000000012", "SER1"}, -1},
        {"9", {"04600000000028", "SER4"}, 4},
        {"", {"", ""}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.goodsId + " " + c.code.gtin + " " + c.code.serial).toStdString());
        EXPECT_EQ(FindMarkedItem(items, c.goodsId, c.code), c.expected);
    }
}

TEST(LoweringRules, TobaccoPackAndGroupCodesFindTheirRecords) {
    const QString pack = QStringLiteral("04600000000011-ABC12_AAAAbbbb");
    const QString group = QStringLiteral("0104600000000028211234567") + kGs + QStringLiteral("8005012345") + kGs +
                          QStringLiteral("93abcd");
    // As the scan dialog stores them: the GTIN of a pack code may have lost its leading zero.
    const QList<QStringList> items{record("40", "4600000000011", "-ABC12_", pack),
                                   record("41", "04600000000028", "1234567", group)};
    struct Case {
        QString goodsId;
        QString scan;
        int expected;
    };
    for (const Case& c : QList<Case>{{"40", pack, 0}, {"41", group, 1}, {"40", group, -1}}) {
        SCOPED_TRACE(c.scan.toStdString());
        const sales::marking::NormalizedMark n = sales::marking::NormalizeMarkCode(c.scan, 4);
        ASSERT_TRUE(n.ok);
        const std::optional<GtinSerial> parts = ExtractGtinSerialForLowering(4, n.code);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(FindMarkedItem(items, c.goodsId, *parts), c.expected);
    }
}

TEST(LoweringRules, OneItemLessUpdatesDeletesOrFails) {
    struct Case {
        int count;
        LowerDecision::Kind kind;
        int next;
    };
    for (const Case& c : QList<Case>{{3, LowerDecision::Kind::Update, 2},
                                     {2, LowerDecision::Kind::Update, 1},
                                     {1, LowerDecision::Kind::Delete, 0},
                                     {0, LowerDecision::Kind::Error, 0},
                                     {-4, LowerDecision::Kind::Error, 0}}) {
        SCOPED_TRACE(c.count);
        const LowerDecision d = sales::LowerMarkedCount(c.count);
        EXPECT_EQ(d.kind, c.kind);
        if (d.kind == LowerDecision::Kind::Update) {
            EXPECT_EQ(d.count, c.next);
        }
    }
}

TEST(LoweringRules, APartOfAPackIsOneItemWithItsPartOfThePositionsQuantity) {
    using Outcome = sales::MarkedQuantityCheck::Outcome;
    struct Case {
        const char* what;
        QString qty;
        QList<QPair<QString, QString>> fractions;  // one record per entry: numerator, denominator
        Outcome outcome;
        int items;
    };
    const QList<Case> cases{
        {"a pack and three tenths", "1.300", {{"0", "0"}, {"3", "10"}}, Outcome::Open, 2},
        {"three tenths alone", "0.300", {{"3", "10"}}, Outcome::Open, 1},
        {"a third", "0.333", {{"1", "3"}}, Outcome::Open, 1},
        {"two thirds of two packs", "0.667", {{"1", "3"}, {"1", "3"}}, Outcome::Mismatch, 0},
        {"counted as whole packs", "2", {{"0", "0"}, {"3", "10"}}, Outcome::Mismatch, 0},
        {"a fraction that is none", "1", {{"5", "x"}}, Outcome::Mismatch, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sales::ReceiptModel m;
        const int row = sales::testing::addRow(m, {"50", "P", "400.00", c.qty});
        QList<QStringList> marks;
        int n = 0;
        for (const auto& f : c.fractions)
            marks << record("50", kGtin, QStringLiteral("S%1").arg(++n), QString(), f.first, f.second);
        const sales::MarkedQuantityCheck r = sales::checkMarkedQuantity(m, marks, row, 13);
        EXPECT_EQ(r.outcome, c.outcome);
        if (r.outcome == Outcome::Open) {
            EXPECT_EQ(r.request.quantity, c.items);
        }
    }
}

// ---- The window on the main screen -------------------------------------------

namespace {

const QString kShoesId = QStringLiteral("21");
const QString kShoesGtin = QStringLiteral("04600000000011");

class LoweringWindow : public salestest::MainScreenFixture {
protected:
    void installCommands() override {
        sales::PositionEditsOptions options;
        options.database = [] { return static_cast<fb::Connection*>(nullptr); };
        options.markedQuantity = [this](TfmReg& reg, const sales::MarkedQuantityRequest& request) {
            requests.push_back(request);
            lastResult = runCountInputMarkGood(reg, request);
        };
        installPositionEdits(*screen, std::move(options));
    }

    // Perfume at 3000.00 with one record per bottle; the serials are SERIAL000000n.
    int addShoes(int pairs, const QString& unmarkedPrice = {}) {
        sales::testing::RowSpec wanted{kShoesId, QStringLiteral("P"), QStringLiteral("3000.00"), QString::number(pairs)};
        const int row = sales::testing::addRow(screen->receipt(), wanted);
        screen->receipt().setAttr(row, sales::ReceiptModel::AttrMarkType, QStringLiteral("9"));
        for (int i = 1; i <= pairs; ++i) screen->MarkedItems() << record(kShoesId, kShoesGtin, serial(i), code(i));
        if (!unmarkedPrice.isEmpty())
            addPosition({QStringLiteral("30"), QStringLiteral("P"), unmarkedPrice, QStringLiteral("1")});
        return recalcAndSelect(row);
    }
    static QString serial(int i) { return QStringLiteral("SERIAL%1").arg(i, 7, 10, QLatin1Char('0')); }
    static QString code(int i) { return itemCode(kShoesGtin, serial(i)); }

    std::unique_ptr<TfmCountInputMarkGood> open(int row) {
        const sales::MarkedQuantityCheck check =
            sales::checkMarkedQuantity(screen->receipt(), screen->MarkedItems(), row, 9);
        EXPECT_EQ(check.outcome, sales::MarkedQuantityCheck::Outcome::Open) << check.message.toStdString();
        auto w = std::make_unique<TfmCountInputMarkGood>(*screen, check.request, screen.get());
        w->show();
        return w;
    }

    // Types a scan into the window; the scanner's Enter ends it.
    static void scan(TfmCountInputMarkGood& w, const QString& text) {
        testsupport::typeText(&w, text);
        QTest::keyClick(&w, Qt::Key_Return);
    }

    QString total() const { return screen->lblChekItogo->text(); }

    std::vector<sales::MarkedQuantityRequest> requests;
    int lastResult = -1;
};

}  // namespace

TEST_F(LoweringWindow, ShowsThePositionAndItsCountsWithTheMarkTypeAndSerialModeApart) {
    const int row = addShoes(3);
    screen->MarkedItems() << record(kShoesId, QString(), QString(), QString());  // one pair sold without a code
    screen->receipt().setCell(row, sales::ReceiptModel::ColQty, QStringLiteral("4"));
    recalcAndSelect(row);
    auto w = open(row);
    EXPECT_EQ(w->objectName(), QStringLiteral("fmCountInputMarkGood"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Изменить количество"));
    EXPECT_EQ(w->Tag(), 9);
    EXPECT_EQ(w->serialMode(), 3);
    EXPECT_EQ(w->findChild<QLabel*>("lblCount")->text(), QStringLiteral("4"));
    EXPECT_EQ(w->count(), 4);
    EXPECT_EQ(w->findChild<QLabel*>("lblCountMark")->text(), QStringLiteral("3"));
    EXPECT_EQ(w->findChild<QLabel*>("lblCountNoMark")->text(), QStringLiteral("1"));
    EXPECT_EQ(w->findChild<QLabel*>("lblMarkType")->text(), sales::marking::markTypeCaption(9));
    EXPECT_FALSE(sales::marking::markTypeCaption(9).isEmpty());
    EXPECT_EQ(w->findChild<QLabel*>("lblName")->text(), QStringLiteral("Товар 21"));
    EXPECT_EQ(w->findChild<QLabel*>("lblName")->property("Tag").toInt(), 21);
    EXPECT_FALSE(w->findChild<QLineEdit*>("Edit1")->isVisible());
    EXPECT_EQ(w->findChild<QTimer*>("Timer1")->interval(), 100);
}

TEST_F(LoweringWindow, EachScanTakesOneItemOutOrSaysWhyNot) {
    struct Case {
        const char* what;
        QString scanned;
        QString box;          // the message, empty for none
        int count;            // items left on the window
        QString quantity;     // column 6 afterwards
        int emptiedRecord;    // the record emptied, -1 none
    };
    const QString formatBox = QStringLiteral(" Считанный штрихкод не соответствует     \r\n формату для типа маркировки     \r\n'") +
                              sales::marking::markTypeCaption(9) + QStringLiteral("'    ");
    const QList<Case> cases{
        {"the second pair", code(2), {}, 2, QStringLiteral("2"), 1},
        {"a code not in the receipt", itemCode(kShoesGtin, serial(9)),
         QStringLiteral(" Такой серийный номер в чеке отсутствует.     "), 3, QStringLiteral("3"), -1},
        {"the code of other goods", itemCode(QStringLiteral("04600000000028"), serial(1)),
         QStringLiteral(" Такой серийный номер в чеке отсутствует.     "), 3, QStringLiteral("3"), -1},
        {"a text of no marking layout", QStringLiteral("4601234567890"), formatBox, 3, QStringLiteral("3"), -1},
        {"a code cut short", code(1).left(60), formatBox, 3, QStringLiteral("3"), -1},
        {"the first bottle, its separators typed as text", code(1).replace(kGs, QStringLiteral("~~")), {}, 2,
         QStringLiteral("2"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screen->resetReceipt();
        screen->MarkedItems().clear();
        const int row = addShoes(3, QStringLiteral("100.00"));
        const QList<QStringList> before = screen->MarkedItems();
        const QString totalBefore = total();
        auto w = open(row);
        messages.clear();
        scan(*w, c.scanned);
        EXPECT_EQ(messages.last(), c.box);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->count(), c.count);
        EXPECT_EQ(w->findChild<QLabel*>("lblCount")->text(), QString::number(c.count));
        EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), c.quantity);
        EXPECT_EQ(screen->GoodsGrid->item(row - 1, sales::ReceiptModel::ColQty)->text(), c.quantity);
        EXPECT_TRUE(w->findChild<QLineEdit*>("Edit1")->text().isEmpty());
        for (int i = 0; i < before.size(); ++i) {
            const QStringList& now = screen->MarkedItems().at(i);
            if (i == c.emptiedRecord) {
                for (const QString& entry : now) EXPECT_TRUE(entry.isEmpty());
            } else {
                EXPECT_EQ(now, before.at(i));
            }
        }
        const sales::Money expected = sales::Money::parseOr(QStringLiteral("100.00")) +
                                      sales::Money::fromKopecks(300000LL * c.count);
        EXPECT_EQ(sales::Money::parseOr(total()), expected);
        if (c.emptiedRecord < 0) {
            EXPECT_EQ(total(), totalBefore);
        }
    }
}

TEST_F(LoweringWindow, TheLastItemTakesThePositionWithItAndClosesWithTenAfterTheTimer) {
    addPosition({QStringLiteral("30"), QStringLiteral("P"), QStringLiteral("100.00"), QStringLiteral("1")});
    const int row = addShoes(1);
    ASSERT_EQ(row, 2);
    auto w = open(row);
    testsupport::typeText(w.get(), code(1));
    // No Enter: the pause after the burst ends the scan.
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 2000);
    EXPECT_EQ(w->result(), TfmCountInputMarkGood::PositionRemoved);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(screen->receipt().dataRowCount(), 1);
    EXPECT_EQ(screen->receipt().cell(1, sales::ReceiptModel::ColId), QStringLiteral("30"));
    for (const QStringList& r : screen->MarkedItems()) EXPECT_NE(r.value(sales::MarkGoodId).trimmed(), kShoesId);
    EXPECT_EQ(sales::Money::parseOr(total()), sales::Money::fromKopecks(10000));
}

TEST_F(LoweringWindow, ACountThatWouldGoBelowZeroKeepsTheItem) {
    const int row = addShoes(2);
    sales::MarkedQuantityRequest request =
        sales::checkMarkedQuantity(screen->receipt(), screen->MarkedItems(), row, 9).request;
    request.quantity = 0;
    TfmCountInputMarkGood w(*screen, request, screen.get());
    w.show();
    const QList<QStringList> before = screen->MarkedItems();
    scan(w, code(1));
    EXPECT_EQ(messages.last(), sales::markedCountFailureMessage());
    EXPECT_TRUE(messages.last().contains(QStringLiteral("'некорректное количество маркированного товара'")));
    EXPECT_EQ(screen->MarkedItems(), before);
    EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), QStringLiteral("2"));
}

TEST_F(LoweringWindow, KeysTypedInTheRussianLayoutAreReadAsTheLatinCode) {
    const int row = addShoes(2);
    auto w = open(row);
    w->setLayoutProvider([] { return int(sales::LayoutRussian); });
    // Each Latin character of the code as the Russian layout types it on the same key.
    QString russian;
    for (const QChar latin : code(2)) {
        QChar typed = latin;
        for (char16_t c = u'А'; c <= u'я'; ++c) {
            if (sales::latinCharFor(QChar(c), sales::LayoutRussian) == latin) {
                typed = QChar(c);
                break;
            }
        }
        russian += typed;
    }
    ASSERT_NE(russian, code(2));
    for (const QChar c : russian) w->FormKeyPress(c);
    w->Timer1Timer();
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(w->count(), 1);
    EXPECT_TRUE(screen->MarkedItems().at(1).join(QString()).isEmpty());
}

TEST_F(LoweringWindow, AnItemTakenOutUnderASumDiscountDropsTheDiscount) {
    // Two bottles (6000.00) and 100.00 of other goods; 4000.00 off would
    // be more than one bottle is worth.
    struct Case {
        const char* what;
        bool onReceipt;
    };
    for (const Case& c : {Case{"off the position", false}, Case{"off the receipt", true}}) {
        SCOPED_TRACE(c.what);
        screen->resetReceipt();
        screen->MarkedItems().clear();
        const int row = addShoes(2, QStringLiteral("100.00"));
        if (c.onReceipt) screen->receipt().setReceiptDiscount(QStringLiteral("S"), QStringLiteral("4000"));
        else screen->receipt().setLineDiscount(row, QStringLiteral("S"), QStringLiteral("4000"));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
        ASSERT_LT(sales::Money::parseOr(total()), sales::Money::fromKopecks(300000));
        auto w = open(row);
        messages.clear();
        scan(*w, code(1));
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(w->count(), 1);
        EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), QStringLiteral("1"));
        EXPECT_EQ(screen->receipt().lineSum(row), sales::Money::fromKopecks(300000));
        EXPECT_EQ(total(), QStringLiteral("3100.00 "));
        EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('N'));
        EXPECT_EQ(screen->receipt().lineDiscountKind(row), QLatin1Char('N'));
        EXPECT_TRUE(screen->MarkedItems().at(0).join(QString()).isEmpty());
        EXPECT_EQ(screen->MarkedItems().at(1).value(sales::MarkSerial), serial(2));
    }
}

TEST_F(LoweringWindow, APartOfAPackLeavesWithItsPartOfTheQuantity) {
    // One whole pack and three tenths of another: 1.300 packs at 400.00.
    sales::testing::RowSpec wanted{QStringLiteral("22"), QStringLiteral("P"), QStringLiteral("400.00"),
                                 QStringLiteral("1.300")};
    const int row = sales::testing::addRow(screen->receipt(), wanted);
    screen->receipt().setAttr(row, sales::ReceiptModel::AttrMarkType, QStringLiteral("9"));
    screen->MarkedItems() << record("22", kShoesGtin, serial(1), code(1))
                          << record("22", kShoesGtin, serial(2), code(2), "3", "10");
    recalcAndSelect(row);
    EXPECT_EQ(sales::Money::parseOr(total()), sales::Money::fromKopecks(52000));
    auto w = open(row);
    EXPECT_EQ(w->count(), 2);
    scan(*w, code(1));
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(w->count(), 1);
    EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), QStringLiteral("0.300"));
    EXPECT_EQ(sales::Money::parseOr(total()), sales::Money::fromKopecks(12000));
    scan(*w, code(2));
    EXPECT_EQ(w->result(), TfmCountInputMarkGood::PositionRemoved);
    EXPECT_TRUE(screen->receipt().isEmpty());
}

TEST_F(LoweringWindow, TheQuantityCommandOpensTheWindowForAMarkedPosition) {
    const int row = addShoes(2);
    QString seenCount;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TfmCountInputMarkGood*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        seenCount = w->findChild<QLabel*>("lblCount")->text();
        QTest::mouseClick(w->btnClose, Qt::LeftButton);
    });
    screen->setCurrentReceiptRow(row);
    screen->BitBtn2->click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].markType, 9);
    EXPECT_EQ(requests[0].tag, 2);
    EXPECT_EQ(requests[0].goodsId, kShoesId);
    EXPECT_EQ(seenCount, QStringLiteral("2"));
    EXPECT_EQ(lastResult, QDialog::Rejected);
    EXPECT_EQ(fmCountInputMarkGood, nullptr);
    EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), QStringLiteral("2"));
}

TEST_F(LoweringWindow, TheKeyRoutersEnterEndsTheScanAtOnce) {
    const int row = addShoes(3);
    auto w = open(row);
    ASSERT_NE(sales::KeyRouter::install(qApp), nullptr);
    testsupport::typeText(w.get(), code(3));
    QTest::keyClick(w.get(), Qt::Key_Enter);
    const int left = w->count();
    const bool timerStopped = !w->Timer1->isActive();
    sales::KeyRouter::uninstall();
    EXPECT_EQ(left, 2);
    EXPECT_TRUE(timerStopped);
    EXPECT_TRUE(screen->MarkedItems().at(2).join(QString()).isEmpty());
    EXPECT_EQ(screen->receipt().cell(row, sales::ReceiptModel::ColQty), QStringLiteral("2"));
}
