// A scan on a long receipt works on what it changed: the recalculation of
// the changed rows, the undo of an added position and the grid's refresh of
// changed rows must leave exactly what the whole pass, a full copy and a
// full refresh would.
#include "ReceiptTestRows.h"
#include "SalesTestSupport.h"

#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/ReceiptModel.h"
#include "support/UpgradedDbFixture.h"

#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace sales;
using sales::testing::addRow;
using sales::testing::RowSpec;

namespace {

const ReceiptContext kSale{QStringLiteral("ПРИХОД"), false};
const ReceiptContext kReturnToCompany{QStringLiteral("ВОЗВРАТ ПРИХОДА"), true};

RowSpec piece(const QString& id, const QString& price, const QString& qty) {
    return {id, QStringLiteral("P"), price, qty};
}

struct Step {
    const char* what;
    std::function<void(ReceiptModel&)> change;
    ReceiptContext context = kSale;
};

// Recalculates `m` as the screen does after the step and the same content
// by the whole pass (nothing counted beforehand); both must agree in every
// cell, attribute, layout and label text.
void expectSameAsWholePass(ReceiptModel& m, const ReceiptContext& context, const char* what) {
    ReceiptModel whole = m;
    whole.tally().valid = false;
    const RecalcResult expected = RecalcReceipt(whole, context);
    const RecalcResult got = RecalcReceipt(m, context);
    EXPECT_EQ(got.code, expected.code) << what;
    EXPECT_EQ(got.message, expected.message) << what;
    EXPECT_EQ(got.totalText, expected.totalText) << what;
    EXPECT_EQ(got.discountText, expected.discountText) << what;
    EXPECT_EQ(got.layout, expected.layout) << what;
    EXPECT_EQ(got.discountButtonsEnabled, expected.discountButtonsEnabled) << what;
    EXPECT_EQ(m.cells(), whole.cells()) << what;
    EXPECT_EQ(m.lineAttrs(), whole.lineAttrs()) << what;
    EXPECT_EQ(m.layout(), whole.layout()) << what;
}

}  // namespace

TEST(ReceiptRecalcOfChangedRows, GivesTheReceiptTheWholePassGives) {
    ReceiptModel m;
    ASSERT_EQ(RecalcReceipt(m, kSale).code, 0);
    const Step steps[] = {
        {"first position", [](ReceiptModel& r) { addRow(r, piece("1", "10.00", "3")); }},
        {"weighed position with a percent",
         [](ReceiptModel& r) {
             addRow(r, {QStringLiteral("2"), QStringLiteral("W"), QStringLiteral("2,01"), QStringLiteral("0.5"),
                        QStringLiteral("P"), QStringLiteral("10")});
         }},
        {"third position", [](ReceiptModel& r) { addRow(r, piece("3", "12.345", "2")); }},
        {"second scan of the first", [](ReceiptModel& r) { r.addQuantity(1, Qty::units(1)); }},
        {"sum discount on the third",
         [](ReceiptModel& r) { r.setLineDiscount(3, QStringLiteral("S"), QStringLiteral("1.00")); }},
        {"first position annulled",
         [](ReceiptModel& r) { r.setCell(1, ReceiptModel::ColStatus, QStringLiteral("E")); }},
        {"freed row taken again", [](ReceiptModel& r) { addRow(r, piece("4", "5.00", "1")); }},
        {"a stored price gone bad is refused",
         [](ReceiptModel& r) { r.setAttr(2, ReceiptModel::AttrBasePrice, QStringLiteral("2.0I")); }},
        {"refused again on the next change", [](ReceiptModel& r) { addRow(r, piece("5", "1.00", "1")); }},
        {"price mended", [](ReceiptModel& r) { r.setAttr(2, ReceiptModel::AttrBasePrice, QStringLiteral("2.01")); }},
        {"discount not below the line is refused",
         [](ReceiptModel& r) { r.setLineDiscount(4, QStringLiteral("S"), QStringLiteral("4.99")); }},
        {"discount taken back", [](ReceiptModel& r) { r.setLineDiscount(4, QStringLiteral("N"), QString()); }},
        {"same goods in two rows merged",
         [](ReceiptModel& r) {
             const int again = addRow(r, piece("3", "12.345", "1"));
             MergeGoodRows(r, 3, 0, QStringLiteral("3"));
             (void)again;
         }},
        {"merged rows removed", [](ReceiptModel& r) { DeleteMergedRows(r); }},
        {"receipt percent", [](ReceiptModel& r) { r.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5")); }},
        {"receipt discount dropped",
         [](ReceiptModel& r) { r.setReceiptDiscount(QStringLiteral("N"), QStringLiteral("0")); }},
        {"return to a company", [](ReceiptModel&) {}, kReturnToCompany},
        {"a row the grid never used", [](ReceiptModel& r) { r.appendRow(); }},
        {"middle row removed", [](ReceiptModel& r) { r.removeRow(2); }},
        {"every position annulled",
         [](ReceiptModel& r) {
             for (int row = 1; row < r.rowCount(); ++row)
                 if (r.isActive(row)) r.setCell(row, ReceiptModel::ColStatus, QStringLiteral("E"));
         }},
        {"a new receipt on the freed rows", [](ReceiptModel& r) { addRow(r, piece("6", "7.00", "2")); }},
        {"quantity typed as no number",
         [](ReceiptModel& r) { r.setCell(1, ReceiptModel::ColQty, QStringLiteral("x")); }},
    };
    for (const Step& s : steps) {
        s.change(m);
        expectSameAsWholePass(m, s.context, s.what);
    }
}

TEST(ReceiptModelUndo, PutsBackRowsRowCountAndLayout) {
    struct Case {
        const char* what;
        std::function<void(ReceiptModel&)> change;
    };
    const Case cases[] = {
        {"cells and attributes of two rows",
         [](ReceiptModel& m) {
             m.setCell(1, ReceiptModel::ColQty, QStringLiteral("9"));
             m.setAttr(2, ReceiptModel::AttrDiscountKind, QStringLiteral("P"));
             m.setCell(1, ReceiptModel::ColName, QStringLiteral("другое"));
         }},
        {"a position added at the end", [](ReceiptModel& m) { addRow(m, piece("9", "1.00", "1")); }},
        {"a freed row taken",
         [](ReceiptModel& m) {
             m.setCell(2, ReceiptModel::ColStatus, QStringLiteral("E"));
             addRow(m, piece("9", "1.00", "1"));
         }},
        {"a row removed after a change",
         [](ReceiptModel& m) {
             m.setCell(3, ReceiptModel::ColQty, QStringLiteral("4"));
             m.removeRow(1);
             m.setCell(1, ReceiptModel::ColQty, QStringLiteral("7"));
         }},
        {"recalculated with a new layout",
         [](ReceiptModel& m) {
             addRow(m, {QStringLiteral("9"), QStringLiteral("P"), QStringLiteral("10.00"), QStringLiteral("1"),
                        QStringLiteral("S"), QStringLiteral("1")});
             RecalcReceipt(m, kSale);
         }},
        {"the whole receipt replaced", [](ReceiptModel& m) { m.reset(); }},
    };
    for (const Case& c : cases) {
        ReceiptModel m;
        addRow(m, piece("1", "10.00", "1"));
        addRow(m, piece("2", "20.00", "2"));
        addRow(m, piece("3", "30.00", "3"));
        ASSERT_EQ(RecalcReceipt(m, kSale).code, 0);
        const ReceiptModel before = m;
        ReceiptModel::Undo undo(m);
        c.change(m);
        ASSERT_FALSE(m.sameContent(before)) << c.what;
        const auto changedAt = m.revision();
        undo.rollback();
        EXPECT_TRUE(m.sameContent(before)) << c.what;
        EXPECT_EQ(m.rowCount(), before.rowCount()) << c.what;
        EXPECT_GT(m.revision(), changedAt) << c.what << ": a view must see the rows come back";
        // The receipt still recalculates to what it was.
        expectSameAsWholePass(m, kSale, c.what);
        EXPECT_TRUE(m.sameContent(before)) << c.what;
    }
}

TEST(ReceiptModelUndo, AnUndoInsideAnotherPutsBackItsOwnPartOnly) {
    ReceiptModel m;
    addRow(m, piece("1", "10.00", "1"));
    const ReceiptModel start = m;
    ReceiptModel::Undo outer(m);
    m.setCell(1, ReceiptModel::ColQty, QStringLiteral("2"));
    const ReceiptModel middle = m;
    {
        ReceiptModel::Undo inner(m);
        addRow(m, piece("2", "20.00", "1"));
        m.setCell(1, ReceiptModel::ColQty, QStringLiteral("5"));
        inner.rollback();
        EXPECT_TRUE(m.sameContent(middle));
        addRow(m, piece("3", "30.00", "1"));
    }
    outer.rollback();
    EXPECT_TRUE(m.sameContent(start));
}

// ---- the grid of the main screen ------------------------------------------------

namespace {

class ReceiptGridRefresh : public salestest::MainScreenFixture {
protected:
    void installCommands() override {}

    // Every cell of the grid against the receipt, as a full refresh writes it.
    void expectGridShowsReceipt(const char* what) {
        const ReceiptModel& m = screen->receipt();
        ASSERT_EQ(screen->GoodsGrid->rowCount(), m.dataRowCount()) << what;
        for (int r = 1; r < m.rowCount(); ++r) {
            for (int c = 0; c < ReceiptModel::ColumnCount; ++c) {
                const QTableWidgetItem* item = screen->GoodsGrid->item(r - 1, c);
                ASSERT_NE(item, nullptr) << what << " row " << r << " column " << c;
                EXPECT_EQ(item->text(), m.cell(r, c)) << what << " row " << r << " column " << c;
            }
        }
    }
};

}  // namespace

TEST_F(ReceiptGridRefresh, ShowsWhatAFullRefreshShowsAfterEveryKindOfChange) {
    ReceiptModel older;
    const Step steps[] = {
        {"three positions",
         [](ReceiptModel& m) {
             addRow(m, piece("1", "10.00", "1"));
             addRow(m, piece("2", "20.00", "1"));
             addRow(m, piece("3", "30.00", "1"));
         }},
        {"a quantity raised", [](ReceiptModel& m) { m.addQuantity(2, Qty::units(4)); }},
        {"a line discount", [](ReceiptModel& m) { m.setLineDiscount(1, QStringLiteral("P"), QStringLiteral("10")); }},
        {"first annulled: the numbers below move",
         [](ReceiptModel& m) { m.setCell(1, ReceiptModel::ColStatus, QStringLiteral("E")); }},
        {"a row removed from the middle", [](ReceiptModel& m) { m.removeRow(2); }},
        {"a receipt discount on every row",
         [](ReceiptModel& m) { m.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("3.00")); }},
        {"a new position in the freed row", [](ReceiptModel& m) { addRow(m, piece("4", "4.00", "2")); }},
    };
    for (const Step& s : steps) {
        s.change(screen->receipt());
        ASSERT_EQ(screen->RecalcReceipt(), 0) << s.what;
        expectGridShowsReceipt(s.what);
        if (std::string(s.what) == "a quantity raised") older = screen->receipt();
    }
    // A receipt put back as it was earlier (a window that was cancelled).
    screen->receipt() = older;
    screen->updateGoodsGrid();
    expectGridShowsReceipt("an earlier copy put back");
    screen->receipt().assignContent(ReceiptModel{});
    screen->updateGoodsGrid();
    expectGridShowsReceipt("an empty receipt assigned");
    addRow(screen->receipt(), piece("5", "5.00", "1"));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    expectGridShowsReceipt("a position after that");
    screen->resetReceipt();
    expectGridShowsReceipt("reset");
}

// ---- a session of the main screen -------------------------------------------------

namespace {

class MainScreenSession : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(programFolder());
        });
        screen->setQuitOnClose(false);
        controller = sales::installItemEntry(*screen);
    }

    void TearDown() override {
        screen.reset();
        sales::KeyRouter::uninstall();
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }

    void scan(const QString& code) {
        screen->lblVvodBeginEng->setText(code);
        controller->btnBarcodeClick(sales::EntrySource::Router);
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    sales::ItemEntryController* controller = nullptr;
};

}  // namespace

TEST_F(MainScreenSession, EveryShowingOfTheScreenReadsTheWeightPrefixesAgain) {
    exec(
        QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                       "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                       "VALUES (7, 'Сыр', '500.00', 'да', 'Т', '6', 1, '643', 0, 'кг', 11)"));
    exec(QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (7, '123')"));
    ASSERT_TRUE(screen->FormShow());
    // No prefix yet: the code is an ordinary barcode nobody sells.
    scan(QStringLiteral("2100123012345"));
    EXPECT_TRUE(screen->receipt().isEmpty());
    ASSERT_EQ(messages.boxes.size(), 1u);
    // Set between two sessions; the next login shows the screen again.
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    ASSERT_TRUE(screen->FormShow());
    scan(QStringLiteral("2100123012345"));
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColId), QStringLiteral("7"));
    EXPECT_EQ(screen->receipt().cell(1, ReceiptModel::ColQty), QStringLiteral("1.234"));
    EXPECT_EQ(messages.boxes.size(), 1u);
}

TEST_F(MainScreenSession, AScanTheRecalculationRefusesLeavesReceiptAndGridAsTheyWere) {
    for (int id : {1, 2}) {
        exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                            "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                            "VALUES (%1, 'Товар %1', '10.00', 'нет', 'Т', '6', 1, '643', 0, 'шт', 0)")
                 .arg(id));
        exec(QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (%1, '460000000000%1')").arg(id));
    }
    ASSERT_TRUE(screen->FormShow());
    scan(QStringLiteral("4600000000001"));
    ASSERT_EQ(screen->receipt().cell(1, ReceiptModel::ColId), QStringLiteral("1"));
    // A row whose stored price went bad makes every recalculation refuse.
    screen->receipt().setAttr(1, ReceiptModel::AttrBasePrice, QStringLiteral("1O.00"));
    const ReceiptModel before = screen->receipt();
    messages.clear();
    for (const char* code : {"4600000000002", "4600000000001"}) {
        scan(QString::fromLatin1(code));
        EXPECT_TRUE(screen->receipt().sameContent(before)) << code;
        ASSERT_EQ(screen->GoodsGrid->rowCount(), before.dataRowCount()) << code;
        for (int c = 0; c < ReceiptModel::ColumnCount; ++c)
            EXPECT_EQ(screen->GoodsGrid->item(0, c)->text(), before.cell(1, c)) << code << " column " << c;
    }
    EXPECT_EQ(messages.boxes.size(), 2u);
}

// ---- what a scan finds without walking the receipt ----------------------------------

TEST(ReceiptModelIndex, AnswersAsAWalkOverTheRowsWouldAfterEveryKindOfChange) {
    ReceiptModel m;
    ASSERT_EQ(RecalcReceipt(m, kSale).code, 0);
    std::uint64_t seen = m.revision();
    const Step steps[] = {
        {"positions", [](ReceiptModel& r) {
             for (const char* id : {"1", "2", "3", "2"}) addRow(r, piece(QString::fromLatin1(id), "1.00", "1"));
         }},
        {"an id typed with blanks and letters", [](ReceiptModel& r) {
             r.setCell(3, ReceiptModel::ColId, QStringLiteral(" ab "));
         }},
        {"an annulled row", [](ReceiptModel& r) { r.setCell(2, ReceiptModel::ColStatus, QStringLiteral("E")); }},
        {"the freed row taken again", [](ReceiptModel& r) { addRow(r, piece("7", "1.00", "1")); }},
        {"a row removed", [](ReceiptModel& r) { r.removeRow(1); }},
        {"a row cleared", [](ReceiptModel& r) { r.clearRow(2); }},
        {"an added position undone", [](ReceiptModel& r) {
             ReceiptModel::Undo undo(r);
             addRow(r, piece("9", "1.00", "1"));
             r.setCell(1, ReceiptModel::ColId, QStringLiteral("8"));
             undo.rollback();
         }},
        {"an earlier copy put back", [](ReceiptModel& r) {
             ReceiptModel copy = r;
             addRow(copy, piece("5", "1.00", "1"));
             r.assignContent(copy);
         }},
        {"many changes to one row", [](ReceiptModel& r) {
             for (int i = 0; i < 600; ++i) r.setCell(1, ReceiptModel::ColQty, QString::number(i + 1));
         }},
        {"reset", [](ReceiptModel& r) { r.reset(); }},
    };
    for (const Step& s : steps) {
        s.change(m);
        for (const char* id : {"1", "2", "3", "5", "7", "8", "9", "AB", "4"}) {
            const QString code = QString::fromLatin1(id);
            int walked = 0;
            for (int r = 1; r < m.rowCount() && !walked; ++r)
                if (m.isActive(r) && m.cell(r, ReceiptModel::ColId).trimmed().compare(code, Qt::CaseInsensitive) == 0)
                    walked = r;
            EXPECT_EQ(FindGoodRow(m, code), walked) << s.what << ", goods " << id;
        }
        int firstFree = 0;
        for (int r = 1; r < m.rowCount() && !firstFree; ++r)
            if (m.isFree(r)) firstFree = r;
        EXPECT_EQ(m.firstFreeRow(), firstFree) << s.what;
        std::vector<int> walked;
        for (int r = 0; r < m.rowCount(); ++r)
            if (m.rowRevision(r) > seen) walked.push_back(r);
        std::vector<int> logged;
        if (m.rowsChangedSince(seen, logged)) {
            EXPECT_EQ(logged, walked) << s.what;
        }
        expectSameAsWholePass(m, kSale, s.what);
        seen = m.revision();
    }
    // A scan's change is on record: nobody walks the rows' revisions for it.
    addRow(m, piece("1", "1.00", "1"));
    std::vector<int> logged;
    ASSERT_TRUE(m.rowsChangedSince(seen, logged));
    EXPECT_EQ(logged, std::vector<int>{1});
}
