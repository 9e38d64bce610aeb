// The stock document editor driven as a cashier drives it: by component
// names, on the offscreen platform, against a fresh database.
#include "StockTestSupport.h"

#include "stock/StockDocuments.h"
#include "stock/uInventory.h"
#include "support/ColumnCheck.h"
#include "support/FakeMessages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <memory>

namespace {

using stock::InventoryLines;
using stock::TfmInventory;

class InventoryEditor : public stocktest::StockDbTest {
protected:
    void TearDown() override {
        editor.reset();
        stock::setSupplierPicker({});
        stock::setGoodsSearch({});
        StockDbTest::TearDown();
    }
    TfmInventory& open(int kind, int docId = 0) {
        editor = std::make_unique<TfmInventory>(params(), kind, docId);
        editor->show();
        return *editor;
    }
    template <class T>
    T* child(const char* name) {
        return editor->findChild<T*>(QLatin1String(name));
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    QTableView* grid() { return child<QTableView>("DBGrid1"); }
    // Types into a cell through the grid's own editor and leaves it open.
    void typeInCell(int row, int column, const QString& text) {
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        auto* cell = grid()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(cell, nullptr);
        cell->setText(text);
    }
    QString cell(int row, int column) { return grid()->model()->index(row, column).data().toString(); }
    // Triggers a menu command the way the menu does, enabling first.
    void menu(const char* name) {
        emit child<QMenu>("MActions")->aboutToShow();
        QAction* a = action(name);
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    void fillFromRoot() { QTest::mouseClick(child<QPushButton>("btnFillList"), Qt::LeftButton); }

    testsupport::FakeMessages messages;
    std::unique_ptr<TfmInventory> editor;
};

TEST_F(InventoryEditor, EachKindHasItsCaptionColumnsAndSupplierPanel) {
    struct Case {
        int kind;
        const char* caption;
        const char* priceTitle;
        bool priceEditable;
        bool declarHidden;
        bool supplier;
    };
    const Case cases[] = {
        {stock::Inventory, "Инвентаризация", "Кол.уч.", false, false, false},
        {stock::GoodsReceipt, "Поступление", "Кол-во", true, false, true},
        {stock::SurplusEntry, "Оприходование", "Кол-во", true, true, false},
        {stock::WriteOff, "Списание", "Кол-во", true, true, false},
    };
    goods(1, "Хлеб", QStringLiteral("3"));
    // A name as long as the goods card takes and the longest country: they
    // give way, so that the quantity being typed stays in sight.
    const QString longName =
        QStringLiteral("Шоколад молочный пористый с цельным фундуком и изюмом, подарочная упаковка 1 кг");
    goods(2, longName, QStringLiteral("3"));
    for (const Case& c : cases) {
        open(c.kind);
        editor->addLine({1, "Хлеб", "", "шт", "3"});
        editor->addLine({2, longName, "Соединённое Королевство Великобритании и Северной Ирландии", "шт", "3"});
        const QList<int> giving{InventoryLines::ColName, InventoryLines::ColCountry};
        testsupport::expectColumnsShowTheirText(grid(), giving);
        QList<int> others;
        for (int column = 0; column < grid()->model()->columnCount(); ++column)
            if (!giving.contains(column) && !grid()->isColumnHidden(column)) others << column;
        EXPECT_TRUE(others.contains(InventoryLines::ColPrice));
        testsupport::expectColumnsInSight(grid(), others);
        EXPECT_EQ(testsupport::toolTipAt(grid(), grid()->model()->index(1, InventoryLines::ColName)), longName);
        EXPECT_EQ(editor->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(grid()->model()->headerData(InventoryLines::ColPrice, Qt::Horizontal).toString(), c.priceTitle);
        EXPECT_EQ(grid()->isColumnHidden(InventoryLines::ColDeclar), c.declarHidden);
        EXPECT_EQ(child<QWidget>("pnlSupplier")->isVisible(), c.supplier);
        const bool editable =
            grid()->model()->flags(grid()->model()->index(0, InventoryLines::ColPrice)) & Qt::ItemIsEditable;
        EXPECT_EQ(editable, c.priceEditable);
        // Only an inventory starts from the stock on hand.
        EXPECT_EQ(cell(0, InventoryLines::ColPrice), c.kind == stock::Inventory ? "3.000" : "");
        EXPECT_EQ(child<QLineEdit>("edDocNumber")->text(), "000001");
        EXPECT_EQ(child<QLabel>("LabelDocStatus")->text(), "новый");
        messages.answer(ui::Answer::No);
        editor->reject();
    }
}

TEST_F(InventoryEditor, PostFromTheMenuTakesAQuantityStillBeingTyped) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::WriteOff);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    typeInCell(0, InventoryLines::ColPrice, QStringLiteral("4"));
    menu("MApply");
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(editor->state(), stock::Posted);
    EXPECT_EQ(stockOf(1), QStringLiteral("6.000"));
    EXPECT_EQ(editor->windowTitle(), "Списание");
    EXPECT_FALSE(child<QPushButton>("btnSave")->isEnabled());
}

TEST_F(InventoryEditor, RefusedTypedQuantityStopsThePostAndRestoresTheCaption) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::WriteOff);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    typeInCell(0, InventoryLines::ColPrice, QStringLiteral("2.5"));
    menu("MApply");
    EXPECT_EQ(messages.texts(), QStringList{stock::kQuantityNotWhole});
    EXPECT_EQ(editor->state(), stock::New);
    EXPECT_EQ(editor->windowTitle(), "Списание");
    EXPECT_EQ(stockOf(1), QStringLiteral("10"));
}

TEST_F(InventoryEditor, PostingWithoutAnyCountedQuantityIsRefusedAndTheStateStays) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::Inventory);
    fillFromRoot();
    ASSERT_EQ(editor->lines().size(), 1);
    EXPECT_FALSE(editor->btnApplyClick());
    EXPECT_EQ(messages.last(), TfmInventory::kEmptyRefused);
    EXPECT_EQ(editor->state(), stock::New);
    EXPECT_EQ(stockOf(1), QStringLiteral("10"));
}

TEST_F(InventoryEditor, QuantityCellsFollowThePieceOrWeightOfTheGoods) {
    goods(1, "Хлеб", QStringLiteral("10"));
    goods(2, "Сыр", QStringLiteral("1.5"), 0, true);
    open(stock::Inventory);
    fillFromRoot();
    ASSERT_EQ(editor->lines().size(), 2);
    const int bread = editor->lines().rowOf(1), cheese = editor->lines().rowOf(2);
    struct Case {
        int row;
        const char* typed;
        const char* shown;
        const QString* message;
    };
    const Case cases[] = {
        {bread, "2.5", "", &stock::kQuantityNotWhole},
        {bread, "5,0", "5.000", nullptr},
        {cheese, "1.234", "1.234", nullptr},
        {cheese, "1.2345", "1.234", &stock::kQuantityTooPrecise},
        {bread, "1000000", "5.000", &stock::kQuantityNotNumber},
        {bread, "999999", "999999.000", nullptr},
        {cheese, "", "", nullptr},
    };
    for (const Case& c : cases) {
        messages.clear();
        const QModelIndex index = grid()->model()->index(c.row, InventoryLines::ColDeclar);
        grid()->model()->setData(index, QString::fromUtf8(c.typed));
        EXPECT_EQ(index.data().toString(), c.shown) << c.typed;
        EXPECT_EQ(messages.texts(), c.message ? QStringList{*c.message} : QStringList{}) << c.typed;
    }
    // The book quantity is not the cashier's to change.
    EXPECT_FALSE(grid()->model()->setData(grid()->model()->index(bread, InventoryLines::ColPrice), "1"));
    EXPECT_EQ(cell(bread, InventoryLines::ColPrice), "10.000");
}

TEST_F(InventoryEditor, CancelKeepsTheEditorWithItsChangesAndAFailedSaveToo) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::SurplusEntry);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColPrice), "3");

    messages.answer(ui::Answer::Cancel);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(messages.last(), TfmInventory::kSaveQuestion);
    EXPECT_EQ(cell(0, InventoryLines::ColPrice), "3.000");

    // The database refuses the save: the cashier's lines must not be lost.
    exec("DROP PROCEDURE DOC_GOODMOVE_SAVE");
    messages.answer(ui::Answer::Yes);
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->isModified());
    EXPECT_TRUE(messages.texts().contains("При сохранении документа произошла ошибка БД.    "));
    EXPECT_EQ(cell(0, InventoryLines::ColPrice), "3.000");

    messages.answer(ui::Answer::No);
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(count("SELECT COUNT(*) FROM GOODS_TEMP"), 0);
}

TEST_F(InventoryEditor, PostedDocumentOpensReadOnlyAndUnpostingMakesItEditableAgain) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::SurplusEntry);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColPrice), "3");
    ASSERT_TRUE(editor->btnApplyClick());
    const int id = editor->docId();
    editor->reject();
    ASSERT_EQ(stockOf(1), QStringLiteral("13.000"));

    open(stock::SurplusEntry, id);
    EXPECT_EQ(editor->state(), stock::Posted);
    EXPECT_EQ(child<QLabel>("LabelDocStatus")->text(), "проведен");
    EXPECT_EQ(cell(0, InventoryLines::ColPrice), "3.000");
    EXPECT_FALSE(grid()->model()->flags(grid()->model()->index(0, InventoryLines::ColPrice)) & Qt::ItemIsEditable);
    for (const char* b : {"btnSave", "btnApply", "btnFillList", "btnListClear", "btnAdd", "btnDelete"})
        EXPECT_FALSE(child<QPushButton>(b)->isEnabled()) << b;

    menu("MUnapply");
    EXPECT_EQ(editor->state(), stock::Saved);
    EXPECT_EQ(stockOf(1), QStringLiteral("10"));
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColPrice), "4");
    menu("MSave");
    EXPECT_EQ(editor->state(), stock::Saved);
    EXPECT_FALSE(editor->isModified());
    menu("MApply");
    EXPECT_EQ(stockOf(1), QStringLiteral("14.000"));
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(InventoryEditor, GoodsReceiptWhoseLotWasSoldFromStaysPosted) {
    goods(1, "Сыр", QStringLiteral("0"));
    open(stock::GoodsReceipt);
    editor->addLine({1, "Сыр", "", "шт", ""});
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColPrice), "5");
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColDeclar), "10702030/140326/0012345");
    ASSERT_TRUE(editor->btnApplyClick());
    const int id = editor->docId();
    editor->reject();
    ASSERT_EQ(stockOf(1), QStringLiteral("5.000"));
    // A sale took 2 from the document's lot.
    const int lot = count(QStringLiteral("SELECT P_RECORD_ID FROM PORTIONS WHERE P_DOC_ID=%1").arg(id));
    exec(QStringLiteral("EXECUTE PROCEDURE PORTIONS_OFFS_WRITE(%1, '2')").arg(lot));
    const QString lots = portions();

    open(stock::GoodsReceipt, id);
    menu("MUnapply");
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(" Отменить проведение документа невозможно:     \r\n"
                                                           " по партиям этого документа уже продан товар.     ")});
    EXPECT_EQ(editor->state(), stock::Posted);
    EXPECT_EQ(stockOf(1), QStringLiteral("5.000"));
    EXPECT_EQ(portions(), lots);
    editor->reject();
    open(stock::GoodsReceipt, id);
    EXPECT_EQ(editor->state(), stock::Posted);
}

TEST_F(InventoryEditor, DeletedDocumentClosesWithoutAskingToSaveIt) {
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::WriteOff);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    ASSERT_TRUE(editor->btnSaveClick());
    const int id = editor->docId();
    editor->reject();

    open(stock::WriteOff, id);
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColPrice), "2");
    ASSERT_TRUE(editor->isModified());
    messages.answer(ui::Answer::Yes);
    menu("MDelete");
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(messages.texts(), QStringList{TfmInventory::kDeleteQuestion});
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_ID=%1").arg(id)), 0);
}

TEST_F(InventoryEditor, SheetGetsTheLinesAndTheGroupLabel) {
    group(20, "Молочное", 0);
    goods(1, "Молоко", QStringLiteral("5"), 20);
    goods(2, "Спички", QStringLiteral("7"), 0);
    struct Printed {
        int calls = 0;
        QString group;
        QList<stock::InventorySheetLine> lines;
    } printed;
    auto printer = [&](QWidget*, const QString&, const QString& group, const QList<stock::InventorySheetLine>& lines) {
        ++printed.calls;
        printed.group = group;
        printed.lines = lines;
        return true;
    };

    open(stock::Inventory);
    editor->setSheetPrinter(printer);
    QTest::mouseClick(child<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "Список товаров пустой.   ");
    EXPECT_EQ(printed.calls, 0);

    auto* tree = child<QTreeWidget>("TreeView1");
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    fillFromRoot();
    grid()->model()->setData(grid()->model()->index(0, InventoryLines::ColDeclar), "4");
    QTest::mouseClick(child<QPushButton>("Button3"), Qt::LeftButton);
    ASSERT_EQ(printed.calls, 1);
    EXPECT_EQ(printed.group, "Молочное, включая подгруппы");
    ASSERT_EQ(printed.lines.size(), 1);
    EXPECT_EQ(printed.lines[0].goodsId, "1");
    EXPECT_EQ(printed.lines[0].name, "Молоко");
    EXPECT_EQ(printed.lines[0].bookQuantity, "5.000");
    EXPECT_EQ(printed.lines[0].countedQuantity, "4.000");

    tree->setCurrentItem(tree->topLevelItem(0));
    child<QCheckBox>("chSubGroupOn")->setChecked(false);
    messages.answer(ui::Answer::Yes);
    fillFromRoot();
    QTest::mouseClick(child<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(printed.group, "товары, не входящие ни в одну из групп");
    ASSERT_EQ(printed.lines.size(), 1);
    EXPECT_EQ(printed.lines[0].name, "Спички");
    messages.answer(ui::Answer::No);
    editor->reject();

    // Other kinds print no sheet.
    open(stock::WriteOff);
    editor->setSheetPrinter(printer);
    editor->addLine({2, "Спички", "", "шт", "7"});
    QTest::mouseClick(child<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(printed.calls, 2);
}

TEST_F(InventoryEditor, FillOverAGroupThatIsItsOwnDescendantEnds) {
    // A group whose ID is the root's own 0 lists itself among its children.
    group(0, "Без названия", 0);
    group(20, "Молочное", 0);
    goods(1, "Молоко", QStringLiteral("5"), 20);
    goods(2, "Спички", QStringLiteral("7"), 0);
    open(stock::Inventory);
    auto* tree = child<QTreeWidget>("TreeView1");
    QTreeWidgetItem* zero = nullptr;
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
        if (tree->topLevelItem(0)->child(i)->text(0) == "Без названия") zero = tree->topLevelItem(0)->child(i);
    ASSERT_NE(zero, nullptr);
    tree->setCurrentItem(zero);
    fillFromRoot();
    EXPECT_EQ(editor->lines().size(), 2);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
}

TEST_F(InventoryEditor, SupplierComesFromThePickerAndAMissingOneIsSaid) {
    exec("INSERT INTO SUPPLIERS (SU_ID, SU_NAMEFULL, SU_WORK) VALUES (5, 'ООО \"Ромашка\"', 1)");
    goods(1, "Хлеб", QStringLiteral("10"));
    open(stock::GoodsReceipt);
    QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "Окно выбора поставщиков пока недоступно.    ");

    stock::setSupplierPicker([](QWidget*) { return std::optional<stock::PickedSupplier>({5, "ООО \"Ромашка\""}); });
    QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>("edSupplier")->text(), "ООО \"Ромашка\"");
    EXPECT_EQ(editor->supplierId(), 5);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    ASSERT_TRUE(editor->btnSaveClick());
    const int id = editor->docId();
    editor->reject();

    struct Case {
        const char* summFull;  // DOC_SUMM_FULL as stored
        bool deleteSupplier;
        const char* shown;
        int supplierId;
    };
    const Case cases[] = {{nullptr, false, "ООО \"Ромашка\"", 5},
                          {nullptr, true, " - не найден -", 5},
                          {"", false, "", 0},
                          {"abc", false, "", 0}};
    for (const Case& c : cases) {
        if (c.summFull)
            exec(QStringLiteral("UPDATE DOCUMENTS SET DOC_SUMM_FULL='%1' WHERE DOC_ID=%2").arg(c.summFull).arg(id));
        if (c.deleteSupplier) exec("DELETE FROM SUPPLIERS");
        open(stock::GoodsReceipt, id);
        EXPECT_EQ(child<QLineEdit>("edSupplier")->text(), QString::fromUtf8(c.shown)) << c.shown;
        EXPECT_EQ(editor->supplierId(), c.supplierId);
        EXPECT_EQ(editor->state(), stock::Saved);
        editor->reject();
    }
}

TEST_F(InventoryEditor, EnterInTheFieldsNeverOpensTheSupplierPicker) {
    int picked = 0;
    stock::setSupplierPicker([&picked](QWidget*) {
        ++picked;
        return std::optional<stock::PickedSupplier>();
    });
    open(stock::GoodsReceipt);
    for (const char* field : {"edSupplier", "edDocNumber"}) {
        auto* edit = child<QLineEdit>(field);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
    }
    EXPECT_EQ(picked, 0);
    QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
    EXPECT_EQ(picked, 1);
}

TEST_F(InventoryEditor, EnterAnywhereKeepsTheSupplierAndTheLines) {
    exec("INSERT INTO SUPPLIERS (SU_ID, SU_NAMEFULL, SU_WORK) VALUES (5, 'ООО \"Ромашка\"', 1)");
    goods(1, "Хлеб", QStringLiteral("10"));
    stock::setSupplierPicker([](QWidget*) { return std::optional<stock::PickedSupplier>({5, "ООО \"Ромашка\""}); });
    open(stock::GoodsReceipt);
    QApplication::setActiveWindow(editor.get());
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    // The header's fields, and the buttons that clear or delete when the
    // keyboard has walked onto them.
    for (const char* name : {"edDocNumber", "DateTimePicker1", "edSupplier", "BitBtn1", "btnListClear", "btnDelete"}) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            SCOPED_TRACE(std::string(name) + (key == Qt::Key_Enter ? " Enter" : " Return"));
            if (editor->supplierId() != 5) QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
            ASSERT_EQ(editor->supplierId(), 5);
            auto* w = child<QWidget>(name);
            ASSERT_NE(w, nullptr);
            w->setFocus();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, key);
            EXPECT_EQ(editor->supplierId(), 5);
            EXPECT_EQ(child<QLineEdit>("edSupplier")->text(), "ООО \"Ромашка\"");
            EXPECT_EQ(editor->lines().size(), 1);
            EXPECT_TRUE(editor->isVisible());
        }
    }
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    ASSERT_TRUE(editor->btnSaveClick());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_ID=%1 AND TRIM(DOC_SUMM_FULL)='5'")
                        .arg(editor->docId())),
              1);
}

TEST_F(InventoryEditor, GoodsFromTheSearchAreAddedOnceAndSortingKeepsTypedValues) {
    goods(1, "Хлеб", QStringLiteral("10"));
    goods(2, "Абрикосы", QStringLiteral("3"), 0, true);
    open(stock::WriteOff);
    QTest::mouseClick(child<QPushButton>("btnAdd"), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "Окно поиска товаров пока недоступно.    ");

    stock::setGoodsSearch([](QWidget*, const stock::AddGoods& add) {
        add({1, "Хлеб", "", "шт", "10"});
        add({2, "Абрикосы", "ТУРЦИЯ", "кг", "3"});
        add({1, "Хлеб", "", "шт", "10"});
    });
    QTest::mouseClick(child<QPushButton>("btnAdd"), Qt::LeftButton);
    ASSERT_EQ(editor->lines().size(), 2);
    EXPECT_EQ(grid()->currentIndex().row(), editor->lines().rowOf(1));

    grid()->model()->setData(grid()->model()->index(editor->lines().rowOf(2), InventoryLines::ColPrice), "1,25");
    // Sorting re-reads the list: what was typed is written first.
    grid()->horizontalHeader()->sectionClicked(InventoryLines::ColName);
    ASSERT_EQ(editor->lines().size(), 2);
    EXPECT_EQ(cell(0, InventoryLines::ColName), "Хлеб");
    EXPECT_EQ(cell(1, InventoryLines::ColPrice), "1.250");
    grid()->horizontalHeader()->sectionClicked(InventoryLines::ColName);
    EXPECT_EQ(cell(0, InventoryLines::ColName), "Абрикосы");

    // A removed line is gone from the working list after the next write.
    grid()->setCurrentIndex(grid()->model()->index(editor->lines().rowOf(1), 0));
    QTest::mouseClick(child<QPushButton>("btnDelete"), Qt::LeftButton);
    ASSERT_TRUE(editor->btnApplyClick());
    EXPECT_EQ(stockOf(2), QStringLiteral("1.750"));
    EXPECT_EQ(stockOf(1), QStringLiteral("10"));
}

TEST_F(InventoryEditor, TwoEditorsOnTwoConnectionsNeverTakeOrLoseEachOthersLines) {
    goods(1, "Хлеб", QStringLiteral("10"));
    goods(2, "Молоко", QStringLiteral("10"));
    goods(3, "Сыр", QStringLiteral("10"));
    // A price-tag list another window keeps in the shared working list.
    exec("INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_PRICE) VALUES (3, 'Сыр', '99.00')");
    open(stock::SurplusEntry);
    editor->addLine({1, "Хлеб", "", "шт", "10"});
    editor->addLine({2, "Молоко", "", "шт", "10"});
    for (int row = 0; row < 2; ++row)
        grid()->model()->setData(grid()->model()->index(row, InventoryLines::ColPrice), "2");
    // Sorting goes through the working list.
    grid()->horizontalHeader()->sectionClicked(InventoryLines::ColName);

    auto other = std::make_unique<TfmInventory>(params(), stock::WriteOff, 0);
    other->show();
    other->addLine({3, "Сыр", "", "шт", "10"});
    other->lines().setData(other->lines().index(0, InventoryLines::ColPrice), "1");
    ASSERT_TRUE(other->btnApplyClick());
    messages.answer(ui::Answer::No);
    other->close();
    EXPECT_FALSE(other->isVisible());

    ASSERT_TRUE(editor->btnApplyClick());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=%1").arg(editor->docId())),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=%1").arg(other->docId())),
              1);
    EXPECT_EQ(stockOf(1), QStringLiteral("12.000"));
    EXPECT_EQ(stockOf(2), QStringLiteral("12.000"));
    EXPECT_EQ(stockOf(3), QStringLiteral("9.000"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM GOODS_TEMP WHERE G_ID=3 AND G_PRICE='99.00'"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM GOODS_TEMP"), 1);
}

}  // namespace
