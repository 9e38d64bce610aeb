// The main screen's position edits: annulling a position or the whole
// receipt, changing a price or a quantity, the exclusion of positions from a
// return built from a stored receipt, and the mark type asked of GOOD_DATA.
#include "ReceiptTestRows.h"

#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "platform/sys/ProgramFolder.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/MainScreenState.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/marking/FractionalCount.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uDeleteConfirm.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

using sales::AnnulAction;
using sales::MarkedQuantityCheck;
using sales::ReceiptModel;
namespace text = sales::positionEditsText;

namespace {

QStringList markRecord(const QString& goodsId, const QString& serial) {
    QStringList r(10);
    r[sales::MarkGoodId] = goodsId;
    r[sales::MarkGtin] = QStringLiteral("04600000000001");
    r[sales::MarkSerial] = serial;
    return r;
}

QStringList handOverLine(const QString& goodsId) {
    QStringList l = sales::emptyReceiptLine();
    l[sales::LineGoodId] = goodsId;
    return l;
}

}  // namespace

// ---------------------------------------------------------------------------
// Rules

TEST(PositionAnnul, QuestionNamesThePositionAndItsRow) {
    EXPECT_EQ(sales::annulPositionQuestion(QStringLiteral("Хлеб"), 3),
              QStringLiteral("Вы действительно желаете удалить из чека позицию     \r\n< Хлеб > (строка 3) ?     "));
    ReceiptModel m;
    const int named = sales::testing::addRow(m, {"12", "P", "10.00", "1"});
    const int free = sales::testing::addRow(m, {"", "", "5.00", "1"});
    m.setCell(named, ReceiptModel::ColName, QStringLiteral("  Молоко  "));
    m.setCell(free, ReceiptModel::ColName, QStringLiteral("   "));
    EXPECT_EQ(sales::annulPositionName(m, named), "Молоко");
    EXPECT_EQ(sales::annulPositionName(m, free), text::kFreePriceName);
}

TEST(PositionAnnul, ActionFollowsStatusAndReceipt) {
    ReceiptModel m;
    const int active = sales::testing::addRow(m, {"12", "P", "10.00", "1"});
    const int excluded = sales::testing::addRow(m, {"13", "P", "10.00", "1", "N", "", "D"});
    const int freed = sales::testing::addRow(m, {"14", "P", "10.00", "1", "N", "", "E"});
    const int merged = sales::testing::addRow(m, {"15", "P", "10.00", "1", "N", "", "R"});
    struct Case {
        int row;
        bool fromStored;
        AnnulAction action;
    } cases[] = {
        {active, false, AnnulAction::Delete},
        {active, true, AnnulAction::Exclude},
        {excluded, false, AnnulAction::AskExcluded},
        {excluded, true, AnnulAction::AskExcluded},
        {freed, false, AnnulAction::None},
        {merged, true, AnnulAction::None},
        {0, false, AnnulAction::None},
        {9, false, AnnulAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::annulActionFor(m, c.row, c.fromStored), c.action) << c.row << " " << c.fromStored;
}

TEST(PositionAnnul, RemovalKeepsRowsAttributesAndListsInStep) {
    struct Case {
        const char* name;
        QString receiptKind, receiptValue;
        bool marked;
        QString receiptKindAfter, receiptValueAfter;
        bool dropped;
        int marksLeft;
    } cases[] = {
        {"sum on the receipt is dropped", "S", "3.00", false, "N", "", true, 3},
        {"percent on the receipt stays", "P", "5", false, "P", "5", false, 3},
        {"marked goods lose their records", "N", "0", true, "N", "0", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptModel m;
        sales::testing::addRow(m, {"12", "P", "10.00", "1"});
        const int middle = sales::testing::addRow(m, {"13", "P", "20.00", "2"});
        const int last = sales::testing::addRow(m, {"14", "W", "30.00", "0.500", "P", "10"});
        m.setReceiptDiscount(c.receiptKind, c.receiptValue);
        const QStringList lastCells = m.rowCells(last);
        const QStringList lastAttrs = m.rowAttrs(last);
        QList<QStringList> marks{markRecord("13", "s1"), markRecord("12", "s2"), markRecord("13", "")};
        QList<QStringList> lines{handOverLine("13"), handOverLine("12")};

        const sales::PositionRemoval r = sales::removePosition(m, marks, lines, middle, c.marked);
        EXPECT_EQ(r.receiptDiscountDropped, c.dropped);
        EXPECT_EQ(m.attr(0, ReceiptModel::AttrReceiptDiscountKind), c.receiptKindAfter);
        EXPECT_EQ(m.attr(0, ReceiptModel::AttrReceiptDiscountValue), c.receiptValueAfter);
        EXPECT_EQ(m.dataRowCount(), 2);
        EXPECT_EQ(m.lineAttrs().size(), 3);
        // The last row moved up with its attributes.
        EXPECT_EQ(m.rowCells(middle), lastCells);
        EXPECT_EQ(m.rowAttrs(middle), lastAttrs);
        EXPECT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0][sales::LineGoodId], "12");
        EXPECT_EQ(marks.size(), c.marksLeft);
        EXPECT_EQ(r.markingRecordsRemoved, 3 - c.marksLeft);
    }

    // The only position is emptied, not deleted: the grid keeps a data row.
    ReceiptModel m;
    const int only = sales::testing::addRow(m, {"12", "P", "10.00", "1"});
    QList<QStringList> marks, lines;
    sales::removePosition(m, marks, lines, only, false);
    EXPECT_EQ(m.dataRowCount(), 1);
    EXPECT_EQ(m.status(only), "");
    EXPECT_EQ(m.attr(only, ReceiptModel::AttrBasePrice), "");
    EXPECT_TRUE(m.isEmpty());
}

TEST(PositionAnnul, ExclusionIsTakenBackWithMerging) {
    ReceiptModel m;
    const int excluded = sales::testing::addRow(m, {"12", "P", "10.00", "2"});
    sales::testing::addRow(m, {"13", "P", "5.00", "1"});
    sales::testing::addRow(m, {"12", "P", "10.00", "3"});      // the same goods, added later
    sales::testing::addRow(m, {"12", "W", "10.00", "0.500"});  // weighed: not merged
    ASSERT_TRUE(sales::excludePosition(m, excluded));
    EXPECT_EQ(m.status(excluded), "D");
    EXPECT_FALSE(sales::excludePosition(m, excluded));

    ASSERT_TRUE(sales::restoreExcludedPosition(m, excluded));
    EXPECT_EQ(m.status(excluded), "A");
    EXPECT_EQ(m.cell(excluded, ReceiptModel::ColQty), "5");
    EXPECT_EQ(m.dataRowCount(), 3);
    EXPECT_EQ(m.lineAttrs().size(), 4);
    EXPECT_EQ(m.cell(3, ReceiptModel::ColKind), "W");
    EXPECT_FALSE(sales::restoreExcludedPosition(m, excluded));
}

// A return's excluded position of a marked pack keeps its own units: a unit
// scanned afterwards makes a position of its own, and restoring or deleting
// the excluded one for good changes only what is its own.
TEST(PositionAnnul, ExcludedMarkedPositionKeepsItsOwnUnits) {
    sales::GoodRecord g;
    g.id = "9";
    g.name = "Сырок";
    g.weighed = "1";
    g.type = "Т";
    g.country = "643";
    g.markType = "13";
    g.measure = "0";
    g.vat = "6";
    auto record = [](const char* serial, const char* num) {
        return QStringList{"9", "04600000000011", serial, "", QStringLiteral("010460000000001121") + serial,
                           "4", "15", num, "7", "0"};
    };
    enum class Then { Nothing, Restore, DeleteForGood };
    struct Case {
        const char* name;
        Then then;
        QStringList rows;         // status|qty|parts|sum of each row
        QStringList registered;   // serial|price of each hand-over line
        QStringList recordsLeft;  // serial|key of each marking record
    };
    const Case cases[] = {
        {"excluded", Then::Nothing, {"D|0.286|2/7", "A|0.143|1/7|57.14"}, {"S2|57.14"}, {"S1|D1", "S2|"}},
        {"restored", Then::Restore, {"A|0.429|2/7;1/7|171.43"}, {"S1|114.29", "S2|57.14"}, {"S1|", "S2|"}},
        {"deleted for good", Then::DeleteForGood, {"A|0.143|1/7|57.14"}, {"S2|57.14"}, {"S2|"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptModel m;
        QList<QStringList> marks{record("S1", "2")};
        const int copied = sales::addGoodPosition(m, g, "400.00", sales::Qty::fromThousandths(286));
        m.setAttr(copied, ReceiptModel::AttrPackParts, sales::packPartsOf(marks, "9"));
        ASSERT_TRUE(sales::excludePosition(m, copied, &marks));

        // Another unit of the goods, scanned as the scan adds it.
        marks << record("S2", "1");
        const int scanned = sales::addGoodPosition(m, g, "400.00", sales::Qty::fromThousandths(143));
        ASSERT_NE(scanned, copied);
        m.setAttr(scanned, ReceiptModel::AttrPackParts, sales::packPartsOf(marks, "9"));
        QList<QStringList> handOver;
        if (c.then == Then::Restore) {
            ASSERT_TRUE(sales::restoreExcludedPosition(m, copied, &marks));
        }
        if (c.then == Then::DeleteForGood) sales::removePosition(m, marks, handOver, copied, true);
        ASSERT_TRUE(sales::RecalcReceipt(m, sales::ReceiptContext{"ВОЗВРАТ ПРИХОДА", false}).ok());

        QStringList rows;
        for (int r = 1; r < m.rowCount(); ++r)
            rows << m.status(r) + "|" + m.cell(r, ReceiptModel::ColQty) + "|" +
                        m.attr(r, ReceiptModel::AttrPackParts) +
                        (m.isActive(r) ? "|" + m.cell(r, ReceiptModel::ColSum) : QString());
        EXPECT_EQ(rows, c.rows);

        sales::ReceiptLinesInput in;
        in.receipt = &m;
        in.markedItems = &marks;
        in.taxSystemCode = 2;
        const sales::ReceiptLinesResult lines = sales::buildReceiptLines(in, {}, {});
        ASSERT_TRUE(lines.built()) << lines.message.toStdString();
        QStringList registered;
        for (const QStringList& l : lines.lines)
            registered << l[sales::LineSerial] + "|" + sales::registeredLineSum(l)->toString();
        EXPECT_EQ(registered, c.registered);

        QStringList left;
        for (const QStringList& r : marks) left << r[sales::MarkSerial] + "|" + r[sales::MarkRowKey];
        EXPECT_EQ(left, c.recordsLeft);
    }
}

TEST(PositionChecks, PriceQuantityAndDiscountAccess) {
    ReceiptModel m;
    const int plain = sales::testing::addRow(m, {"12", "P", "10.00", "2"});
    const int tobacco = sales::testing::addRow(m, {"40", "P", "150.00", "1"});
    m.setAttr(tobacco, ReceiptModel::AttrMarkType, QStringLiteral("4"));
    const int shoes = sales::testing::addRow(m, {"50", "P", "900.00", "1"});
    m.setAttr(shoes, ReceiptModel::AttrMarkType, QStringLiteral("5"));
    const int freed = sales::testing::addRow(m, {"13", "P", "10.00", "1", "N", "", "E"});

    struct Case {
        int row;
        QString input;
        bool price, quantity;
    } cases[] = {
        {plain, "", true, true},    {plain, "  ", true, true}, {plain, "5", false, false},
        {tobacco, "", false, true}, {shoes, "", true, true},   {freed, "", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sales::priceChangeAllowed(m, c.row, c.input), c.price) << c.row << c.input.toStdString();
        EXPECT_EQ(sales::quantityChangeAllowed(m, c.row, c.input), c.quantity) << c.row << c.input.toStdString();
    }
    for (int flag = 0; flag <= 5; ++flag) EXPECT_EQ(sales::knownPaymentMethod(flag), flag >= 1 && flag <= 4);

    using Access = sales::PositionDiscountAccess;
    QList<QStringList> marks{markRecord("40", "")};
    EXPECT_EQ(sales::positionDiscountAccess(m, marks, tobacco), Access::Open);
    marks.append(markRecord("40", "AbC"));
    EXPECT_EQ(sales::positionDiscountAccess(m, marks, tobacco), Access::Tobacco);
    EXPECT_EQ(sales::positionDiscountAccess(m, marks, shoes), Access::Open);
    EXPECT_EQ(sales::positionDiscountAccess(m, marks, freed), Access::None);
    m.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
    EXPECT_EQ(sales::positionDiscountAccess(m, marks, plain), Access::ReceiptDiscountSet);

    // A receipt discount needs a positive sum and no tobacco.
    EXPECT_FALSE(sales::receiptDiscountAllowed(m));
    m.setCell(tobacco, ReceiptModel::ColStatus, QStringLiteral("E"));
    EXPECT_TRUE(sales::receiptDiscountAllowed(m));
    EXPECT_FALSE(sales::receiptDiscountAllowed(ReceiptModel()));
}

TEST(PositionChecks, MarkedQuantityMustMatchItsRecords) {
    using Outcome = MarkedQuantityCheck::Outcome;
    struct Case {
        const char* name;
        QString qty;
        QStringList serials;  // one record of goods 50 per entry
        Outcome outcome;
        int tag, withSerial, withoutSerial;
    } cases[] = {
        {"no records", "2", {}, Outcome::NoRecords, 0, 0, 0},
        {"fewer records", "3", {"a", "b"}, Outcome::Mismatch, 0, 2, 0},
        {"more records", "1", {"a", "b"}, Outcome::Mismatch, 0, 2, 0},
        {"only with serial", "2", {"a", "b"}, Outcome::Open, 2, 2, 0},
        {"only without", "2", {"", " "}, Outcome::Open, 1, 0, 2},
        {"both", "3", {"a", "", "c"}, Outcome::Open, 3, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptModel m;
        const int row = sales::testing::addRow(m, {"50", "P", "900.00", c.qty});
        QList<QStringList> marks{markRecord("51", "other goods")};
        for (const QString& s : c.serials) marks.append(markRecord("50", s));
        const MarkedQuantityCheck r = sales::checkMarkedQuantity(m, marks, row, 5);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.request.tag, c.tag);
        EXPECT_EQ(r.request.withSerial, c.withSerial);
        EXPECT_EQ(r.request.withoutSerial, c.withoutSerial);
        EXPECT_EQ(r.message, c.outcome == Outcome::NoRecords  ? text::kNoSerialNumbers
                             : c.outcome == Outcome::Mismatch ? sales::markedCountMismatchMessage()
                                                              : QString());
        if (c.outcome == Outcome::Open) {
            EXPECT_EQ(r.request.goodsId, "50");
            EXPECT_EQ(r.request.quantity, c.qty.toInt());
            EXPECT_EQ(r.request.markType, 5);
        }
    }
}

// ---------------------------------------------------------------------------
// The commands on the main screen

namespace {

// The main screen over the register emulator, with the position commands
// attached; windows and the database can be replaced by recorders.
class ScreenHarness {
public:
    explicit ScreenHarness(const QString& folder, sales::PositionEditsOptions options = {}) {
        screen = std::make_unique<TfmReg>(nullptr, [folder]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(folder);
        });
        screen->setQuitOnClose(false);
        screen->setReceiptKind(sales::KindSale);
        installPositionEdits(*screen, std::move(options));
    }

    int addPosition(const sales::testing::RowSpec& wanted, const QString& markType = QStringLiteral("0")) {
        const int row = sales::testing::addRow(screen->receipt(), wanted);
        screen->receipt().setAttr(row, ReceiptModel::AttrMarkType, markType);
        EXPECT_EQ(screen->RecalcReceipt(), 0);
        screen->setCurrentReceiptRow(row);
        return row;
    }

    std::unique_ptr<TfmReg> screen;
};

class PositionEditsScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldFolder = sys::programFolder();
        sys::setProgramFolder(dir.path());
        make({});
    }

    void TearDown() override {
        harness.reset();
        sys::setProgramFolder(oldFolder);
    }

    // Recorders in place of the windows; `excludedAnswer` is what the
    // exclusion choice answers.
    void make(sales::PositionEditsOptions options) {
        harness.reset();
        // A session without a database: the rows' own mark types count.
        if (!options.database) options.database = [] { return static_cast<fb::Connection*>(nullptr); };
        if (!options.countInput) {
            options.countInput = [this](TfmReg&, int mode, const QString& caption) {
                countCalls.push_back({mode, caption});
                return 0;
            };
        }
        if (!options.excludedPositionAction) {
            options.excludedPositionAction = [this](QWidget*) {
                ++excludedAsked;
                return excludedAnswer;
            };
        }
        if (!options.markedQuantity) {
            options.markedQuantity = [this](TfmReg&, const sales::MarkedQuantityRequest& r) {
                markedCalls.push_back(r);
            };
        }
        harness = std::make_unique<ScreenHarness>(dir.path(), std::move(options));
        messages.clear();
    }

    TfmReg& screen() { return *harness->screen; }
    int addPosition(const sales::testing::RowSpec& wanted, const QString& markType = QStringLiteral("0")) {
        return harness->addPosition(wanted, markType);
    }

    QTemporaryDir dir;
    QString oldFolder;
    testsupport::FakeMessages messages;
    std::unique_ptr<ScreenHarness> harness;
    std::vector<std::pair<int, QString>> countCalls;
    std::vector<sales::MarkedQuantityRequest> markedCalls;
    int excludedAsked = 0;
    int excludedAnswer = 0;
};

}  // namespace

TEST_F(PositionEditsScreen, AnnulPositionOnlyAfterYes) {
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        SCOPED_TRACE(answer == ui::Answer::Yes ? "yes" : "no");
        screen().resetReceipt();
        addPosition({"12", "P", "10.00", "1"});
        const int row = addPosition({"13", "P", "20.00", "2"});
        messages.clear();
        messages.answer(answer);
        // The grid popup's item reaches the same command as the button.
        screen().action(QStringLiteral("PMDeletePos"))->trigger();
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_TRUE(messages.boxes[0].question);
        EXPECT_EQ(messages.boxes[0].text, sales::annulPositionQuestion(QStringLiteral("Товар 13"), row));
        const bool yes = answer == ui::Answer::Yes;
        EXPECT_EQ(screen().receipt().dataRowCount(), yes ? 1 : 2);
        EXPECT_EQ(screen().lblChekItogo->text(), yes ? "10.00 " : "50.00 ");
        EXPECT_EQ(screen().GoodsGrid->rowCount(), yes ? 1 : 2);
    }
}

TEST_F(PositionEditsScreen, AnnullingTheOnlyPositionLeavesAnEmptyRow) {
    addPosition({"12", "P", "10.00", "3"});
    messages.answer(ui::Answer::Yes);
    screen().btnPosDelete->click();
    EXPECT_EQ(screen().receipt().dataRowCount(), 1);
    EXPECT_TRUE(screen().receipt().isEmpty());
    EXPECT_EQ(screen().GoodsGrid->rowCount(), 1);
    EXPECT_EQ(screen().GoodsGrid->item(0, ReceiptModel::ColName)->text(), "");
    EXPECT_EQ(screen().lblChekItogo->text(), "0.00 ");
    EXPECT_EQ(screen().currentReceiptRow(), 1);
}

TEST_F(PositionEditsScreen, AnnulDropsAReceiptSumDiscountButKeepsAPercent) {
    struct Case {
        QString kind, value;
        QString kindAfter, totalAfter;
    } cases[] = {
        {"S", "3.00", "N", "20.00 "},
        {"P", "10", "P", "18.00 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind.toStdString());
        screen().resetReceipt();
        addPosition({"12", "P", "10.00", "1"});
        const int second = addPosition({"13", "P", "20.00", "1"});
        screen().receipt().setReceiptDiscount(c.kind, c.value);
        ASSERT_EQ(screen().RecalcReceipt(), 0);
        ASSERT_FALSE(screen().btnPosDiscount->isEnabled());
        screen().setCurrentReceiptRow(second - 1);
        messages.clear();
        messages.answer(ui::Answer::Yes);
        screen().btnPosDeleteClick();
        EXPECT_EQ(screen().receipt().attr(0, ReceiptModel::AttrReceiptDiscountKind), c.kindAfter);
        EXPECT_EQ(screen().lblChekItogo->text(), c.totalAfter);
        EXPECT_EQ(screen().btnPosDiscount->isEnabled(), c.kindAfter == "N");
    }
}

TEST_F(PositionEditsScreen, DeletingAMiddleRowKeepsLineAttrsAligned) {
    addPosition({"12", "P", "10.00", "1"});
    const int middle = addPosition({"13", "P", "20.00", "1", "S", "1.00"});
    addPosition({"14", "W", "30.00", "0.500", "P", "10"}, QStringLiteral("0"));
    screen().MarkedItems() = {markRecord("14", "s"), markRecord("13", "t")};
    screen().ReceiptLines() = {handOverLine("13"), handOverLine("14")};
    screen().setCurrentReceiptRow(middle);
    messages.answer(ui::Answer::Yes);
    screen().action(QStringLiteral("MDeletePos"))->trigger();

    const ReceiptModel& m = screen().receipt();
    ASSERT_EQ(m.dataRowCount(), 2);
    ASSERT_EQ(m.lineAttrs().size(), 3);
    for (int r = 1; r <= 2; ++r) {
        // Each row's base price and discount belong to its own goods.
        EXPECT_EQ(m.attr(r, ReceiptModel::AttrVat), QStringLiteral("VAT") + m.cell(r, ReceiptModel::ColId)) << r;
    }
    EXPECT_EQ(m.cell(2, ReceiptModel::ColId), "14");
    EXPECT_EQ(m.lineDiscountKind(2), QLatin1Char('P'));
    EXPECT_EQ(m.cell(2, ReceiptModel::ColSum), "13.50");
    EXPECT_EQ(m.cell(2, ReceiptModel::ColPosNo), "2");
    EXPECT_EQ(screen().lblChekItogo->text(), "23.50 ");
    // Hand-over lines of the goods go; marking records only for marked goods.
    ASSERT_EQ(screen().ReceiptLines().size(), 1);
    EXPECT_EQ(screen().ReceiptLines()[0][sales::LineGoodId], "14");
    EXPECT_EQ(screen().MarkedItems().size(), 2);
}

TEST_F(PositionEditsScreen, AnnulTheWholeReceipt) {
    // Nothing in the receipt: no question.
    screen().btnCheckDeleteClick();
    EXPECT_TRUE(messages.boxes.empty());

    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        SCOPED_TRACE(answer == ui::Answer::Yes ? "yes" : "no");
        screen().resetReceipt();
        addPosition({"12", "P", "10.00", "1"});
        addPosition({"13", "W", "20.00", "1.500"});
        screen().receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("10"));
        ASSERT_EQ(screen().RecalcReceipt(), 0);
        screen().MarkedItems() = {markRecord("12", "s")};
        screen().ReceiptLines() = {handOverLine("12")};
        screen().chLE->setChecked(true);
        screen().lblBuyerName->setText(QStringLiteral("ООО Ромашка"));
        screen().lblBuyerName->show();
        screen().edTelefon->setText(QStringLiteral("+79001234567"));
        sales::setControlTag(screen().edTelefon, 2);
        screen().edFPD->setText(QStringLiteral("1234567890"));
        sales::setControlTag(screen().edFPD, 77);
        messages.clear();
        messages.answer(answer);
        screen().action(QStringLiteral("MDeleteCheck"))->trigger();

        ASSERT_EQ(messages.texts(), QStringList{text::kAnnulReceiptQuestion});
        EXPECT_TRUE(messages.boxes[0].question);
        const bool yes = answer == ui::Answer::Yes;
        EXPECT_EQ(screen().receipt().isEmpty(), yes);
        EXPECT_EQ(screen().receipt().dataRowCount(), yes ? 1 : 2);
        EXPECT_EQ(screen().receipt().lineAttrs().size(), yes ? 2 : 3);
        EXPECT_EQ(screen().receipt().rowAttrs(0).mid(0, 2), yes ? QStringList({"N", "0"}) : QStringList({"P", "10"}));
        EXPECT_EQ(screen().lblChekItogo->text(), yes ? "0.00 " : "36.00 ");
        EXPECT_EQ(screen().MarkedItems().isEmpty(), yes);
        EXPECT_EQ(screen().ReceiptLines().isEmpty(), yes);
        EXPECT_EQ(screen().chLE->isChecked(), !yes);
        EXPECT_EQ(screen().lblBuyerName->text().isEmpty(), yes);
        EXPECT_EQ(screen().edTelefon->text().isEmpty(), yes);
        EXPECT_EQ(screen().edFPD->text().isEmpty(), yes);
        EXPECT_EQ(sales::controlTag(screen().edFPD), yes ? 0 : 77);
        EXPECT_EQ(screen().btnPosDiscount->isEnabled(), yes);
    }

    // The refund search replaces the receipt without a question.
    addPosition({"12", "P", "10.00", "1"});
    messages.clear();
    sales::findPositionEdits(screen())->annulReceipt(false);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(screen().receipt().isEmpty());
}

TEST_F(PositionEditsScreen, PriceChangeRefusedForTobaccoAndPendingInput) {
    struct Case {
        const char* name;
        QString markType;
        QString input;
        bool opens;
    } cases[] = {
        {"plain goods", "0", "", true},
        {"shoes", "5", "", true},
        {"tobacco", "4", "", false},
        {"something typed", "0", "46", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        countCalls.clear();
        screen().resetReceipt();
        addPosition({"12", "P", "10.00", "1"}, c.markType);
        screen().lblVvod->setText(c.input);
        screen().action(QStringLiteral("MChangePrice"))->trigger();
        ASSERT_EQ(countCalls.size(), c.opens ? 1u : 0u);
        if (c.opens) {
            EXPECT_EQ(countCalls[0].first, sales::CountInputPrice);
            EXPECT_EQ(countCalls[0].second, sales::countInputText::kPriceCaption);
        }
        screen().clearInputLine();
    }
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(PositionEditsScreen, MarkedQuantityGoesThroughItsChecks) {
    const int row = addPosition({"50", "P", "900.00", "2"}, QStringLiteral("5"));
    struct Case {
        const char* name;
        QList<QStringList> marks;
        QString message;
        int tag;
    } cases[] = {
        {"no records", {}, text::kNoSerialNumbers, 0},
        {"records short of the quantity", {markRecord("50", "a")}, sales::markedCountMismatchMessage(), 0},
        {"records match", {markRecord("50", "a"), markRecord("50", "")}, {}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        markedCalls.clear();
        messages.clear();
        screen().MarkedItems() = c.marks;
        screen().setCurrentReceiptRow(row);
        screen().BitBtn2Click();
        EXPECT_TRUE(countCalls.empty());
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
        }
        ASSERT_EQ(markedCalls.size(), c.tag ? 1u : 0u);
        if (c.tag) {
            EXPECT_EQ(markedCalls[0].tag, c.tag);
            EXPECT_EQ(markedCalls[0].quantity, 2);
            EXPECT_EQ(markedCalls[0].row, row);
        }
    }
    // The quantity itself never changed here.
    EXPECT_EQ(screen().receipt().cell(row, ReceiptModel::ColQty), "2");
}

TEST_F(PositionEditsScreen, QuantityChangeThroughTheCountWindow) {
    // The real quantity window, driven once it is up.
    sales::PositionEditsOptions real;
    real.countInput = runCountInput;
    make(std::move(real));
    new TfmCountInput(screen(), &screen());
    addPosition({"12", "P", "10.00", "1"});
    const int row = addPosition({"13", "P", "20.00", "1", "S", "2.00"});
    QString title;
    int tag = 0;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        TfmCountInput* w = fmCountInput;
        if (!w || !w->isVisible()) return;
        title = w->windowTitle();
        tag = w->Tag();
        w->typeKey(u'3');
        QTest::mouseClick(w->BitBtn14, Qt::LeftButton);
        if (w->isVisible()) w->reject();
    });
    timer.start(0);
    // "*" on an empty input line reaches the same command.
    screen().action(QStringLiteral("PMChangeCount"))->trigger();
    EXPECT_EQ(title, sales::countInputText::kQuantityCaption);
    EXPECT_EQ(tag, sales::CountInputQuantity);
    EXPECT_EQ(screen().receipt().cell(row, ReceiptModel::ColQty), "3");
    // A changed quantity drops the row's sum discount.
    EXPECT_EQ(screen().receipt().lineDiscountKind(row), QLatin1Char('N'));
    EXPECT_EQ(screen().lblChekItogo->text(), "70.00 ");
    EXPECT_TRUE(messages.boxes.empty());

    // Something typed on the input line: the window does not open.
    screen().lblVvod->setText(QStringLiteral("7"));
    bool opened = false;
    QTimer probe;
    probe.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        opened = fmCountInput && fmCountInput->isVisible();
        if (opened) fmCountInput->reject();
    });
    probe.start(0);
    screen().BitBtn2Click();
    EXPECT_FALSE(opened);
}

TEST_F(PositionEditsScreen, ReturnFromAStoredReceiptExcludesPositions) {
    addPosition({"12", "P", "10.00", "2"});
    const int second = addPosition({"13", "P", "20.00", "1"});
    addPosition({"12", "P", "10.00", "1"});
    ASSERT_TRUE(screen().setReceiptKind(sales::KindSaleReturn));
    sales::setControlTag(screen().edFPD, 77);
    messages.clear();

    // An active position is excluded without a question and left out of the sum.
    screen().setCurrentReceiptRow(1);
    screen().btnPosDeleteClick();
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen().receipt().status(1), "D");
    EXPECT_EQ(screen().lblChekItogo->text(), "30.00 ");
    EXPECT_EQ(screen().receipt().cell(second, ReceiptModel::ColPosNo), "1");

    // Closing the choice changes nothing.
    excludedAnswer = 0;
    screen().btnPosDeleteClick();
    EXPECT_EQ(excludedAsked, 1);
    EXPECT_EQ(screen().receipt().status(1), "D");

    // Taking it back merges the later row of the same goods into it.
    excludedAnswer = TfmDeleteConfirm::UndoExclusion;
    screen().btnPosDeleteClick();
    EXPECT_EQ(screen().receipt().status(1), "A");
    EXPECT_EQ(screen().receipt().dataRowCount(), 2);
    EXPECT_EQ(screen().receipt().cell(1, ReceiptModel::ColQty), "3");
    EXPECT_EQ(screen().lblChekItogo->text(), "50.00 ");

    // Excluded again and deleted for good: no second question.
    screen().setCurrentReceiptRow(1);
    screen().btnPosDeleteClick();
    excludedAnswer = TfmDeleteConfirm::DeleteForGood;
    screen().btnPosDeleteClick();
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen().receipt().dataRowCount(), 1);
    EXPECT_EQ(screen().receipt().cell(1, ReceiptModel::ColId), "13");
    EXPECT_EQ(screen().lblChekItogo->text(), "20.00 ");

    // An ordinary return (no stored receipt) deletes after the question.
    sales::setControlTag(screen().edFPD, 0);
    messages.answer(ui::Answer::Yes);
    screen().btnPosDeleteClick();
    EXPECT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(screen().receipt().isEmpty());
}

TEST(DeleteConfirmWindow, AnswersTheChosenAction) {
    struct Case {
        const char* name;
        std::function<void(TfmDeleteConfirm&)> drive;
        int result;
    } cases[] = {
        {"take back, chosen first", [](TfmDeleteConfirm& w) { QTest::mouseClick(w.btnOK, Qt::LeftButton); },
         TfmDeleteConfirm::UndoExclusion},
        {"delete for good",
         [](TfmDeleteConfirm& w) {
             QTest::mouseClick(w.RadioDelete, Qt::LeftButton);
             QTest::mouseClick(w.btnOK, Qt::LeftButton);
         },
         TfmDeleteConfirm::DeleteForGood},
        {"close",
         [](TfmDeleteConfirm& w) {
             w.setItemIndex(1);
             QTest::mouseClick(w.btnClose, Qt::LeftButton);
         },
         0},
        {"Enter chooses nothing",
         [](TfmDeleteConfirm& w) {
             QTest::keyClick(w.RadioUndo, Qt::Key_Return);
             if (w.isVisible()) QTest::mouseClick(w.btnClose, Qt::LeftButton);
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int selected = -1;
        QString group;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            TfmDeleteConfirm* w = fmDeleteConfirm;
            if (!w || !w->isVisible()) return;
            selected = w->itemIndex();
            group = w->RadioGroup1->title();
            c.drive(*w);
            if (w->isVisible()) w->reject();
        });
        timer.start(0);
        EXPECT_EQ(askExcludedPositionAction(nullptr), c.result);
        EXPECT_EQ(selected, 0);
        EXPECT_EQ(group, " Выберите действие ");
        EXPECT_EQ(fmDeleteConfirm, nullptr);
    }
}

// ---------------------------------------------------------------------------
// With the database: the mark type comes from GOOD_DATA

namespace {

class PositionEditsDb : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_MARKTYPE) "
            "VALUES (50, 'Shoes', '900.00', '0', 5)");
        exec(
            "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_MARKTYPE) "
            "VALUES (12, 'Bread', '10.00', '0', 0)");
        sales::PositionEditsOptions options;
        options.database = [this] { return &db(); };
        options.countInput = [this](TfmReg&, int mode, const QString&) {
            countModes.push_back(mode);
            return 0;
        };
        options.markedQuantity = [this](TfmReg&, const sales::MarkedQuantityRequest& r) { marked.push_back(r); };
        harness = std::make_unique<ScreenHarness>(programFolder(), std::move(options));
        messages.clear();
    }

    void TearDown() override {
        harness.reset();
        UpgradedDbTest::TearDown();
    }

    TfmReg& screen() { return *harness->screen; }

    testsupport::FakeMessages messages;
    std::unique_ptr<ScreenHarness> harness;
    std::vector<int> countModes;
    std::vector<sales::MarkedQuantityRequest> marked;
};

}  // namespace

TEST_F(PositionEditsDb, MarkTypeOfTheCatalogueDecides) {
    // The rows say unmarked; the catalogue says goods 50 is marked.
    harness->addPosition({"12", "P", "10.00", "1"});
    const int shoes = harness->addPosition({"50", "P", "900.00", "1"});
    screen().MarkedItems() = {markRecord("50", "s1")};

    screen().setCurrentReceiptRow(shoes);
    screen().BitBtn2Click();
    EXPECT_TRUE(countModes.empty());
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(marked[0].markType, 5);
    EXPECT_EQ(marked[0].tag, 2);

    screen().setCurrentReceiptRow(1);
    screen().BitBtn2Click();
    EXPECT_EQ(countModes, std::vector<int>{sales::CountInputQuantity});

    // Annulled, the marked goods take their marking records along.
    screen().setCurrentReceiptRow(shoes);
    messages.answer(ui::Answer::Yes);
    screen().btnPosDeleteClick();
    EXPECT_EQ(screen().receipt().dataRowCount(), 1);
    EXPECT_TRUE(screen().MarkedItems().isEmpty());
}

TEST_F(PositionEditsDb, FailingDatabaseLeavesTheReceiptAlone) {
    const int row = harness->addPosition({"50", "P", "900.00", "1"});
    screen().receipt().setReceiptDiscount(QStringLiteral("S"), QStringLiteral("10.00"));
    ASSERT_EQ(screen().RecalcReceipt(), 0);
    screen().MarkedItems() = {markRecord("50", "s1")};
    screen().ReceiptLines() = {handOverLine("50")};
    const ReceiptModel before = screen().receipt();
    exec("DROP PROCEDURE GOOD_DATA");

    screen().setCurrentReceiptRow(row);
    messages.answer(ui::Answer::Yes);
    screen().btnPosDeleteClick();
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes[1].text, text::kMarkTypeFailedOnDelete);
    EXPECT_EQ(messages.boxes[1].icon, ui::Icon::Error);
    EXPECT_TRUE(screen().receipt().sameContent(before));
    EXPECT_EQ(screen().MarkedItems().size(), 1);
    EXPECT_EQ(screen().ReceiptLines().size(), 1);

    messages.clear();
    screen().BitBtn2Click();
    EXPECT_EQ(messages.texts(), QStringList{text::kMarkTypeFailedOnQuantity});
    EXPECT_TRUE(countModes.empty());
    EXPECT_TRUE(marked.empty());
}
