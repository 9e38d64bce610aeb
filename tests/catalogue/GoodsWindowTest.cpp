#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"
#include "catalogue/uGoodEdit.h"
#include "catalogue/uGoods.h"

#include "platform/ui/QueryTableModel.h"
#include "sales/WhenReady.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;
using salestest::when;

namespace {

class GoodsWindowTest : public CatalogueDbTest {
protected:
    void SetUp() override {
        CatalogueDbTest::SetUp();
        group(1, QStringLiteral("Напитки"));
        group(2, QStringLiteral("Соки"), 1);
        goods(10, QStringLiteral("Вода"), 1);
        goods(11, QStringLiteral("Сок яблочный"), 2, QStringLiteral("55.00"), QStringLiteral("156"));
        goods(12, QStringLiteral("Хлеб"), 0);
        country(1, QStringLiteral("156"), QStringLiteral("Китай"));
    }
    void open() {
        w = std::make_unique<TfmGoods>(db());
        w->show();
    }
    QStringList listed() {
        QStringList out;
        for (int r = 0; r < w->listModel()->rowCount(); ++r)
            out << w->listModel()->rowAt(r).str(QStringLiteral("GOOD_NAME"));
        return out;
    }
    QTreeWidgetItem* node(const QString& name) {
        const auto found = w->TreeView1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void selectRowOf(const QString& name) {
        const int row = listed().indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        w->DBGridGoods->setCurrentIndex(w->listModel()->index(row, 1));
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<TfmGoods> w;
};

}  // namespace

TEST_F(GoodsWindowTest, OpensOnTheWholeBaseAndSelectingAGroupNarrowsIt) {
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Номенклатура"));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("Вода"), QStringLiteral("Сок яблочный"), QStringLiteral("Хлеб")}));
    ASSERT_TRUE(node(QStringLiteral("Соки")));

    w->TreeView1->setCurrentItem(node(QStringLiteral("Соки")));
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Сок яблочный")});

    // The root with "по всей базе" unticked lists the top level only.
    w->TreeView1->setCurrentItem(w->TreeView1->topLevelItem(0));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Хлеб")});

    QTest::mouseClick(w->CheckBox1, Qt::LeftButton);
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(listed().size(), 3);
}

TEST_F(GoodsWindowTest, FilterReloadsOnceAfterTheLastKeystroke) {
    open();
    QSignalSpy resets(w->listModel(), &QAbstractItemModel::modelReset);
    testsupport::typeText(w->edFilterText, QStringLiteral("сок"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_TRUE(w->Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(resets.count(), 1, 5000);
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Сок яблочный")});

    // Clearing reloads at once.
    QTest::mouseClick(w->btnClear, Qt::LeftButton);
    EXPECT_EQ(listed().size(), 3);
}

TEST_F(GoodsWindowTest, DeletingTheFirstRowLeavesTheFirstRowCurrent) {
    open();
    messages.answer(ui::Answer::Yes);
    w->btnGoodDeleteClick();
    ASSERT_FALSE(messages.boxes.empty());
    EXPECT_EQ(messages.boxes.front().text, QStringLiteral("Удалить позицию  \n\r\"Вода\" ?        "));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("Сок яблочный"), QStringLiteral("Хлеб")}));
    EXPECT_EQ(w->currentRow(), 0);
    EXPECT_EQ(column(10, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
}

TEST_F(GoodsWindowTest, GoodsThatAReceiptNamesAreKeptWithAMessageSayingWhy) {
    exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE) VALUES (1, 3)"));
    exec(QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (1, 10, 'Вода')"));
    // The receipt on the main screen holds "Хлеб".
    setOpenReceiptGoods([](std::int64_t id) { return id == 12; });
    open();
    const struct {
        const char* name;
        int id;
        IdUse use;
    } cases[] = {{"Вода", 10, IdUse::DocumentLines}, {"Хлеб", 12, IdUse::OpenReceipt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        selectRowOf(name);
        messages.answer(ui::Answer::Yes);
        w->btnGoodDeleteClick();
        EXPECT_EQ(messages.last(), deleteInUseText(name, c.use));
        EXPECT_EQ(column(c.id, QStringLiteral("GOOD_NAME")), name);
        EXPECT_EQ(listed().size(), 3);
    }
    setOpenReceiptGoods({});
    // Once the receipt is closed, nothing holds "Хлеб" any more.
    selectRowOf(QStringLiteral("Хлеб"));
    messages.answer(ui::Answer::Yes);
    w->btnGoodDeleteClick();
    EXPECT_EQ(column(12, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
}

TEST_F(GoodsWindowTest, GroupWithContentsIsKeptAndAnEmptyOneIsDeletedWithItsParentSelected) {
    group(3, QStringLiteral("Пустая"), 1);
    open();
    w->TreeView1->setCurrentItem(node(QStringLiteral("Соки")));
    messages.answer(ui::Answer::Yes);
    w->ToolButton5Click();
    EXPECT_EQ(
        messages.last(),
        QStringLiteral("Группа 'Соки' не может быть удалена,      \r\nт.к. содержит вложения (группы, товары). "));
    EXPECT_NE(column(2, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));

    w->TreeView1->setCurrentItem(node(QStringLiteral("Пустая")));
    messages.answer(ui::Answer::Yes);
    w->ToolButton5Click();
    EXPECT_EQ(column(3, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
    EXPECT_FALSE(node(QStringLiteral("Пустая")));
    EXPECT_EQ(w->selectedGroupId(), 1);
}

TEST_F(GoodsWindowTest, AGroupOnACodeASaleNamesIsKept) {
    // An older goods file turned the sold item 5 into a group, now empty.
    group(5, QStringLiteral("Tovar 05 turned group"));
    exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE) VALUES (1, 3)"));
    exec(
        QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (1, 5, 'Tovar 05')"));
    open();
    w->TreeView1->setCurrentItem(node(QStringLiteral("Tovar 05 turned group")));
    messages.answer(ui::Answer::Yes);
    w->ToolButton5Click();
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes[1].icon, ui::Icon::Error);
    EXPECT_EQ(messages.last(), deleteGroupInUseText(QStringLiteral("Tovar 05 turned group"), 5, IdUse::DocumentLines));
    EXPECT_EQ(messages.last(),
              QStringLiteral(" Группу \"Tovar 05 turned group\" удалить нельзя: её код (ID) 5 остаётся "
                             "за товаром:     \r\n на него ссылаются строки сохранённых чеков.     "
                             "\r\n История товара хранится под его кодом.     "));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("Tovar 05 turned group"));
    EXPECT_TRUE(node(QStringLiteral("Tovar 05 turned group")));
}

TEST_F(GoodsWindowTest, GroupCommandsGoThroughTheHooksAndSelectTheSavedGroup) {
    open();
    GroupEditRequest seen;
    setGroupEditor([&](QWidget*, const GroupEditRequest& r) -> std::optional<std::int64_t> {
        seen = r;
        group(static_cast<int>(r.id), QStringLiteral("Новая"), static_cast<int>(r.parentId));
        return r.id;
    });
    w->TreeView1->setCurrentItem(node(QStringLiteral("Напитки")));
    w->ToolButton1Click();
    setGroupEditor({});
    EXPECT_EQ(seen.mode, 1);
    EXPECT_EQ(seen.id, 13);  // goods and groups share the numbering
    EXPECT_EQ(seen.parentId, 1);
    EXPECT_EQ(seen.parentName, QStringLiteral("Напитки"));
    ASSERT_TRUE(w->TreeView1->currentItem());
    EXPECT_EQ(w->TreeView1->currentItem()->text(0), QStringLiteral("Новая"));
    EXPECT_TRUE(listed().isEmpty());

    bool asked = false;
    setGroupSettingsEditor([&](QWidget*, std::int64_t id, const QString&) { return asked = id == 13; });
    w->N1Click();
    setGroupSettingsEditor({});
    EXPECT_TRUE(asked);
    EXPECT_EQ(messages.last(), QStringLiteral("Операция успешно выполнена!     "));
}

TEST_F(GoodsWindowTest, GroupOperationsKeepTheListOnItsRow) {
    goods(14, QStringLiteral("Лимонад"), 1);
    open();
    w->TreeView1->setCurrentItem(node(QStringLiteral("Напитки")));
    selectRowOf(QStringLiteral("Лимонад"));
    ASSERT_GT(w->currentRow(), 0);
    setGroupSettingsEditor([](QWidget*, std::int64_t id, const QString&) { return id == 1; });
    w->N1Click();
    setGroupSettingsEditor({});
    ASSERT_TRUE(w->DBGridGoods->currentIndex().isValid());
    EXPECT_EQ(listed().value(w->DBGridGoods->currentIndex().row()), QStringLiteral("Лимонад"));
}

TEST_F(GoodsWindowTest, EveryColumnIsReadableAndReachableAtTheDefaultSize) {
    country(2, QStringLiteral("643"), QStringLiteral("Российская Федерация"));
    goods(13, QStringLiteral("Молоко ультрапастеризованное 3,2% в картонной упаковке с крышкой 1 литр"), 0,
          QStringLiteral("1234567.89"), QStringLiteral("643"));
    open();
    QCoreApplication::processEvents();
    ASSERT_EQ(w->size(), QSize(1100, 700));
    QTableView* grid = w->DBGridGoods;
    QHeaderView* header = grid->horizontalHeader();
    int total = 0;
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        if (grid->isColumnHidden(c)) continue;
        total += grid->columnWidth(c);
        SCOPED_TRACE(grid->model()->headerData(c, Qt::Horizontal).toString().toStdString());
        // Neither the title nor a value on screen is cut.
        EXPECT_GE(grid->columnWidth(c), header->sectionSizeHint(c));
        if (c == 1) continue;  // the name takes the room that is left
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            const QString text = grid->model()->index(r, c).data().toString();
            EXPECT_GT(grid->columnWidth(c), grid->fontMetrics().horizontalAdvance(text)) << text.toStdString();
        }
    }
    const bool wider = total > grid->viewport()->width();
    EXPECT_EQ(grid->horizontalScrollBar()->isVisible(), wider);
    // Scrolled to the end, the last column stands whole in the view.
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    EXPECT_LE(grid->columnViewportPosition(5) + grid->columnWidth(5), grid->viewport()->width());
}

TEST_F(GoodsWindowTest, EditingPrefillsTheCardAndKeepsAnUnknownCountry) {
    // 999 has no COUNTRIES row: a price change must not drop it.
    goods(20, QStringLiteral("Кофе"), 0, QStringLiteral("100.00"), QStringLiteral("999"));
    barcode(20, QStringLiteral("4600000000001"));
    open();
    selectRowOf(QStringLiteral("Кофе"));
    bool seen = false;
    when([] { return fmGoodEdit && fmGoodEdit->isVisible(); },
         [&] {
             TfmGoodEdit* card = fmGoodEdit;
             seen = true;
             EXPECT_EQ(card->windowTitle(), QStringLiteral("Редактировать номенклатуру"));
             EXPECT_EQ(card->edGoodID->text(), QStringLiteral("20"));
             EXPECT_EQ(card->edCountry->text(), QStringLiteral("(999) "));
             EXPECT_EQ(fieldTag(card->edCountry), 999);
             EXPECT_EQ(card->barcodes(), QStringList{QStringLiteral("4600000000001")});
             card->edGoodPrice->setText(QStringLiteral("120,5"));
             messages.answer(ui::Answer::Yes);  // "Сохранить данные?"
             card->btnOKClick();
             if (fmGoodEdit && fmGoodEdit->isVisible()) fmGoodEdit->reject();
         });
    w->btnGoodEditClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(column(20, QStringLiteral("GOOD_PRICE")), QStringLiteral("120.50"));
    EXPECT_EQ(column(20, QStringLiteral("GOOD_COUNTRY_CODE")), QStringLiteral("999"));
    EXPECT_EQ(barcodesOf(20), QStringList{QStringLiteral("4600000000001")});
    // The list stands on the saved goods item.
    ASSERT_GE(w->currentRow(), 0);
    EXPECT_EQ(w->listModel()->rowAt(w->currentRow()).int64(QStringLiteral("GOOD_ID")), 20);
}

TEST_F(GoodsWindowTest, NewGoodsGetTheNextIdAndTheSelectedGroup) {
    open();
    w->TreeView1->setCurrentItem(node(QStringLiteral("Напитки")));
    bool seen = false;
    when([] { return fmGoodEdit && fmGoodEdit->isVisible(); },
         [&] {
             TfmGoodEdit* card = fmGoodEdit;
             seen = true;
             EXPECT_EQ(card->windowTitle(), QStringLiteral("Добавить номенклатуру"));
             EXPECT_EQ(card->edGoodID->text(), QStringLiteral("13"));
             EXPECT_EQ(card->edParentGroup->text(), QStringLiteral("Напитки"));
             EXPECT_EQ(card->cmbGoodType->currentIndex(), -1);
             card->edGoodName->setText(QStringLiteral("Морс"));
             card->edGoodPrice->setText(QStringLiteral("0"));
             card->cmbEdIzm->setCurrentIndex(0);
             messages.answer(ui::Answer::Yes);
             card->btnOKClick();
             if (fmGoodEdit && fmGoodEdit->isVisible()) fmGoodEdit->reject();
         });
    w->btnGoodAddClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(column(13, QStringLiteral("GOOD_NAME")), QStringLiteral("Морс"));
    EXPECT_EQ(column(13, QStringLiteral("GOOD_PARENTGROUP")), QStringLiteral("1"));
    EXPECT_EQ(column(13, QStringLiteral("GOOD_TYPE")), QStringLiteral("Т"));
    EXPECT_EQ(column(13, QStringLiteral("GOOD_NALOG")), QStringLiteral("6"));
    EXPECT_EQ(column(13, QStringLiteral("GOOD_PRICE")), QStringLiteral("0.00"));
    EXPECT_TRUE(listed().contains(QStringLiteral("Морс")));
}

namespace {

// Sends what a drop of `data` on the node would deliver to the tree.
void dropOnNode(TfmGoods& w, QTreeWidgetItem* node, QMimeData* data) {
    ASSERT_TRUE(node);
    for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
    w.TreeView1->doItemsLayout();
    w.TreeView1->scrollToItem(node);
    const QPoint at = w.TreeView1->visualItemRect(node).center();
    EXPECT_EQ(w.TreeView1->itemAt(at), node) << at.x() << "," << at.y();
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.TreeView1->viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.TreeView1->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.TreeView1->viewport(), &drop);
}

QMimeData* payload(const QString& type, std::int64_t id) {
    auto* m = new QMimeData;
    m->setData(type, QByteArray::number(static_cast<qlonglong>(id)));
    return m;
}

}  // namespace

TEST_F(GoodsWindowTest, DroppingMovesGoodsAnywhereAndGroupsNeverBelowThemselves) {
    open();
    std::unique_ptr<QMimeData> goodsData(payload(TfmGoods::goodsMimeType(), 12));
    dropOnNode(*w, node(QStringLiteral("Соки")), goodsData.get());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QStringLiteral("|")).toStdString();
    EXPECT_EQ(column(12, QStringLiteral("GOOD_PARENTGROUP")), QStringLiteral("2"));

    // "Напитки" onto its own subgroup, or onto itself: refused.
    std::unique_ptr<QMimeData> groupData(payload(TfmGoods::groupMimeType(), 1));
    EXPECT_FALSE(w->dropAllowed(node(QStringLiteral("Соки")), groupData.get()));
    EXPECT_FALSE(w->dropAllowed(node(QStringLiteral("Напитки")), groupData.get()));
    dropOnNode(*w, node(QStringLiteral("Соки")), groupData.get());
    EXPECT_EQ(column(1, QStringLiteral("GOOD_PARENTGROUP")), QStringLiteral("0"));

    // "Соки" to the top level: the tree shows it there, selected.
    std::unique_ptr<QMimeData> subgroup(payload(TfmGoods::groupMimeType(), 2));
    dropOnNode(*w, w->TreeView1->topLevelItem(0), subgroup.get());
    EXPECT_EQ(column(2, QStringLiteral("GOOD_PARENTGROUP")), QStringLiteral("0"));
    ASSERT_TRUE(node(QStringLiteral("Соки")));
    EXPECT_EQ(node(QStringLiteral("Соки"))->parent(), w->TreeView1->topLevelItem(0));
    EXPECT_EQ(w->selectedGroupId(), 2);
}

TEST_F(GoodsWindowTest, TreeFollowsTheCurrentRowAndMarksItsGroupRedInWholeBaseMode) {
    open();
    selectRowOf(QStringLiteral("Сок яблочный"));
    QTreeWidgetItem* juices = node(QStringLiteral("Соки"));
    ASSERT_TRUE(juices);
    EXPECT_EQ(juices->foreground(0).color(), QColor(Qt::red));
    selectRowOf(QStringLiteral("Хлеб"));  // top level: no group node in red
    EXPECT_NE(juices->foreground(0).color(), QColor(Qt::red));

    // The wheel moves one record.
    const int before = w->currentRow();
    QWheelEvent wheel(QPointF(5, 5), w->DBGridGoods->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w->DBGridGoods->viewport(), &wheel);
    EXPECT_EQ(w->currentRow(), before - 1);

    // With a group selected, its own goods are not marked.
    w->TreeView1->setCurrentItem(juices);
    selectRowOf(QStringLiteral("Сок яблочный"));
    EXPECT_NE(juices->foreground(0).color(), QColor(Qt::red));
}

TEST_F(GoodsWindowTest, DamagedGroupChainsNeitherHangNorHideTheRest) {
    group(30, QStringLiteral("Сам себе"), 30);
    group(31, QStringLiteral("Петля А"), 32);
    group(32, QStringLiteral("Петля Б"), 31);
    group(33, QStringLiteral("Сирота"), 999);
    open();
    EXPECT_TRUE(node(QStringLiteral("Напитки")));
    EXPECT_TRUE(node(QStringLiteral("Соки")));
    for (const char* hidden : {"Сам себе", "Петля А", "Сирота"})
        EXPECT_FALSE(node(QString::fromUtf8(hidden))) << hidden;
    EXPECT_EQ(listed().size(), 3);
}
