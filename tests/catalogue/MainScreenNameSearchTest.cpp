// The goods search by name as the program wires it: opened from the main
// screen with Ctrl+F it fills the receipt, opened from a stock document's
// Add it fills the document.
#include "catalogue/uGoodNameFind.h"
#include "core/DataModule.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/WhenReady.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/KeyRouter.h"
#include "sales/input/NameSearchEntry.h"
#include "sales/screen/Registration_Mode.h"
#include "stock/StockDocuments.h"
#include "stock/StockLogic.h"
#include "stock/uInventory.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using catalogue::fmGoodNameFind;
using salestest::when;

namespace {

class ProgramNameSearch : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        addGoods(11, QStringLiteral("Хлеб"), QStringLiteral("50.00"), QStringLiteral("20"));
        addGoods(12, QStringLiteral("Хлопья"), QStringLiteral("80.00"), QStringLiteral("3"));
        module = std::make_unique<core::TDataModule1>();
        core::DataModule1 = module.get();
        module->connectDatabase();
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(programFolder());
        });
        screen->setQuitOnClose(false);
        sales::installSaleCommands(*screen);
        controller = sales::installItemEntry(*screen);
        sales::installNameSearch(*screen, controller);
        messages.clear();
    }
    void TearDown() override {
        screen.reset();
        sales::KeyRouter::uninstall();
        stock::setGoodsSearch({});
        module.reset();
        core::DataModule1 = nullptr;
        UpgradedDbTest::TearDown();
    }
    void addGoods(int id, const QString& name, const QString& price, const QString& stock) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM, "
                                   "GOOD_EDIZM_FFD) VALUES (?, ?, ?, 'нет', 'Т', '6', 1, '643', 0, ?, 'шт', 0)"),
                    {std::int64_t{id}, name, price, stock});
        tr.commit();
    }
    // In the open search: narrows the list to `text` (the contains filter
    // reads at once) and takes goods `id` with OK.
    static void take(const QString& text, std::int64_t id) {
        fmGoodNameFind->edFilterText->setText(text);
        QTest::mouseClick(fmGoodNameFind->RadioButton2, Qt::LeftButton);
        for (int r = 0; r < fmGoodNameFind->rowCount(); ++r)
            if (fmGoodNameFind->goodsAt(r)->id == id) fmGoodNameFind->selectRow(r);
        ASSERT_EQ(fmGoodNameFind->currentGoods()->id, id);
        QTest::mouseClick(fmGoodNameFind->btnOK, Qt::LeftButton);
    }
    static bool searchOpen(int mode) {
        return fmGoodNameFind && fmGoodNameFind->isVisible() && fmGoodNameFind->tag() == mode;
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<core::TDataModule1> module;
    std::unique_ptr<TfmReg> screen;
    sales::ItemEntryController* controller = nullptr;
};

}  // namespace

TEST_F(ProgramNameSearch, CtrlFOpensTheSearchAndEveryOkAddsToTheReceipt) {
    screen->show();
    int listedAtOpening = -1;
    when([] { return searchOpen(catalogue::FindForReceipt); },
         [&] {
             listedAtOpening = fmGoodNameFind->rowCount();
             take(QStringLiteral("хле"), 11);
             take(QStringLiteral("хло"), 12);
             take(QStringLiteral("хле"), 11);
             // The search stays open for the next goods until it is closed.
             EXPECT_TRUE(fmGoodNameFind->isVisible());
             QTest::mouseClick(fmGoodNameFind->btnCANCEL, Qt::LeftButton);
         });
    QTest::keyClick(screen.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(listedAtOpening, 2);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    const sales::ReceiptModel& receipt = screen->receipt();
    const int bread = sales::FindGoodRow(receipt, QStringLiteral("11"));
    const int flakes = sales::FindGoodRow(receipt, QStringLiteral("12"));
    ASSERT_GT(bread, 0);
    ASSERT_GT(flakes, 0);
    EXPECT_EQ(receipt.cell(bread, sales::ReceiptModel::ColQty).toDouble(), 2.0);
    EXPECT_EQ(receipt.cell(flakes, sales::ReceiptModel::ColQty).toDouble(), 1.0);
    EXPECT_EQ(receipt.cell(bread, sales::ReceiptModel::ColName), QStringLiteral("Хлеб"));
}

TEST_F(ProgramNameSearch, AStockDocumentGetsEachGoodsOnceAndTheBookQuantityOnlyInAnInventory) {
    for (const int kind : {int(stock::Inventory), int(stock::WriteOff)}) {
        SCOPED_TRACE(kind);
        exec(QStringLiteral("DELETE FROM GOODS_TEMP"));
        stock::TfmInventory editor(params(), kind, 0);
        editor.show();
        when([] { return searchOpen(catalogue::FindForStockDocument); },
             [] {
                 take(QStringLiteral("хле"), 11);
                 take(QStringLiteral("хло"), 12);
                 take(QStringLiteral("хле"), 11);
                 QTest::mouseClick(fmGoodNameFind->btnCANCEL, Qt::LeftButton);
             });
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("btnAdd")), Qt::LeftButton);
        ASSERT_EQ(editor.lines().size(), 2);
        const int row = editor.lines().rowOf(11);
        ASSERT_GE(row, 0);
        // The goods picked again is the current line, not a second one.
        EXPECT_EQ(editor.findChild<QTableView*>(QStringLiteral("DBGrid1"))->currentIndex().row(), row);
        EXPECT_EQ(editor.lines().line(row).unit, QStringLiteral("шт"));
        if (kind == stock::Inventory)
            EXPECT_EQ(editor.lines().line(row).price.toDouble(), 20.0);
        else
            EXPECT_TRUE(editor.lines().line(row).price.isEmpty());
        editor.lines().setLines({}, false);
    }
}
