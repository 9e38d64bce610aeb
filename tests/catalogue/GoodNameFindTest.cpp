#include "CatalogueTestSupport.h"

#include "catalogue/GoodNameFindLogic.h"
#include "catalogue/uGoodNameFind.h"

#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWheelEvent>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;

namespace {

const QChar kEsc(0x00A4);

class GoodNameFindDbTest : public CatalogueDbTest {
protected:
    QStringList search(const QString& text, bool startsWith, bool wholeBase = true, std::int64_t group = 0) {
        const GoodNameFindQuery q = BuildGoodsListQuery(text, startsWith, wholeBase, group);
        fb::Transaction tr(db());
        fb::Statement st(tr, q.sql);
        st.bindAll(q.params);
        st.execute(tr);
        QStringList names;
        while (st.fetch()) names << st.row().str(QStringLiteral("GOOD_NAME"));
        tr.commit();
        return names;
    }
};

class GoodNameFindWindowTest : public CatalogueDbTest {
protected:
    void SetUp() override {
        CatalogueDbTest::SetUp();
        group(1, QStringLiteral("Напитки"));
        group(2, QStringLiteral("Соки"), 1);
        goods(10, QStringLiteral("Вода"), 1, QStringLiteral("20.00"));
        goods(11, QStringLiteral("Сок яблочный"), 2, QStringLiteral("55.00"), QStringLiteral("156"));
        goods(12, QStringLiteral("Хлеб"), 0, QStringLiteral("30.00"));
        country(1, QStringLiteral("156"), QStringLiteral("Китай"));
    }
    void open(int mode, GoodNameFindSink sink = {}) {
        w = std::make_unique<TfmGoodNameFind>(db(), mode, std::move(sink));
        w->setFilterDelay(40);
        w->show();
    }
    QStringList listed() {
        QStringList out;
        for (int r = 0; r < w->rowCount(); ++r) out << w->goodsAt(r)->name;
        return out;
    }
    QTreeWidgetItem* node(const QString& name) {
        const auto found = w->TreeView1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void chooseRowOf(const QString& name) {
        const int row = listed().indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        w->selectRow(row);
    }
    int tempRows(std::int64_t id) {
        fb::Transaction tr(db());
        const auto row = fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) AS N FROM GOODS_TEMP WHERE G_ID=?"), {id});
        tr.commit();
        return row ? row->integer(QStringLiteral("N")) : -1;
    }

    testsupport::FakeMessages messages;
    std::unique_ptr<TfmGoodNameFind> w;
};

}  // namespace

TEST_F(GoodNameFindDbTest, WildcardsApostrophesAndTheEscapeCharacterMatchThemselves) {
    const QString escName = kEsc + QStringLiteral("x марка");
    int id = 1;
    for (const QString& name : {QStringLiteral("Скидка 50% на всё"), QStringLiteral("Скидка 500 на всё"),
                                QStringLiteral("a_b ключ"), QStringLiteral("aXb ключ"), QStringLiteral("O'Neil виски"),
                                QStringLiteral("ONeil виски"), escName, QStringLiteral("x марка")})
        goods(id++, name);
    struct Case {
        QString typed;
        bool startsWith;
        QStringList found;
    };
    const Case cases[] = {
        {QStringLiteral("50%"), false, {QStringLiteral("Скидка 50% на всё")}},
        {QStringLiteral("a_b"), false, {QStringLiteral("a_b ключ")}},
        {QStringLiteral("O'Neil"), false, {QStringLiteral("O'Neil виски")}},
        {kEsc + QStringLiteral("x"), false, {escName}},
        {QStringLiteral("a_b"), true, {QStringLiteral("a_b ключ")}},
        {QStringLiteral("o'neil"), true, {QStringLiteral("O'Neil виски")}},
        {kEsc + QStringLiteral("X"), true, {escName}},
        {QStringLiteral("%"), true, {}},
        {QStringLiteral("_"), false, {QStringLiteral("a_b ключ")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(search(c.typed, c.startsWith), c.found) << c.typed.toStdString() << " " << c.startsWith;
    }
}

TEST_F(GoodNameFindDbTest, LowerCaseCyrillicFindsNamesInAnyCase) {
    goods(1, QStringLiteral("МОЛОКО ДЕРЕВЕНСКОЕ"));
    goods(2, QStringLiteral("Молоко топлёное"));
    goods(3, QStringLiteral("Кефир"));
    goods(4, QStringLiteral("ЁЖИК в молоке"));
    EXPECT_EQ(search(QStringLiteral("молоко"), true),
              (QStringList{QStringLiteral("МОЛОКО ДЕРЕВЕНСКОЕ"), QStringLiteral("Молоко топлёное")}));
    EXPECT_EQ(search(QStringLiteral("молок"), false),
              (QStringList{QStringLiteral("ЁЖИК в молоке"), QStringLiteral("МОЛОКО ДЕРЕВЕНСКОЕ"),
                           QStringLiteral("Молоко топлёное")}));
    EXPECT_EQ(search(QStringLiteral("ёж"), true), QStringList{QStringLiteral("ЁЖИК в молоке")});
    EXPECT_EQ(search(QStringLiteral("топлён"), false), QStringList{QStringLiteral("Молоко топлёное")});
}

TEST_F(GoodNameFindDbTest, AGroupNarrowsTheListAndGroupsAreNeverListed) {
    group(1, QStringLiteral("Сыры"));
    goods(10, QStringLiteral("Сыр твёрдый"), 1);
    goods(11, QStringLiteral("Сыр плавленый"), 0);
    EXPECT_EQ(search(QStringLiteral("сыр"), true, false, 1), QStringList{QStringLiteral("Сыр твёрдый")});
    EXPECT_EQ(search(QStringLiteral("сыр"), true, true),
              (QStringList{QStringLiteral("Сыр плавленый"), QStringLiteral("Сыр твёрдый")}));
    EXPECT_EQ(search(QString(), false, false, 0), QStringList{QStringLiteral("Сыр плавленый")});
    // A text longer than the column finds nothing rather than failing.
    EXPECT_TRUE(search(QString(200, QLatin1Char('z')), true).isEmpty());
    EXPECT_TRUE(search(QString(200, QLatin1Char('z')), false).isEmpty());
}

TEST_F(GoodNameFindWindowTest, OpensOnTheWholeBaseWithTheGroupTree) {
    open(FindForReceipt);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Поиск по названию"));
    ASSERT_EQ(w->TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(w->TreeView1->topLevelItem(0)->text(0), QStringLiteral("Номенклатура"));
    EXPECT_EQ(w->TreeView1->currentItem(), w->TreeView1->topLevelItem(0));
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_TRUE(w->RadioButton2->isChecked());
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("Вода"), QStringLiteral("Сок яблочный"), QStringLiteral("Хлеб")}));
    ASSERT_TRUE(node(QStringLiteral("Соки")));
    EXPECT_EQ(node(QStringLiteral("Соки"))->parent(), node(QStringLiteral("Напитки")));
    // The ID column shows the ID followed by two blanks.
    const QModelIndex idCell = w->DBGridGoods->model()->index(0, ColId);
    EXPECT_EQ(idCell.data().toString(), QStringLiteral("10  "));
}

TEST_F(GoodNameFindWindowTest, TreeAndWholeBaseFollowEachOther) {
    open(FindForReceipt);
    w->TreeView1->setCurrentItem(node(QStringLiteral("Соки")));
    EXPECT_FALSE(w->CheckBox1->isChecked());
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Сок яблочный")});
    w->TreeView1->setCurrentItem(node(QStringLiteral("Напитки")));
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Вода")});

    QTest::mouseClick(w->CheckBox1, Qt::LeftButton);
    EXPECT_TRUE(w->CheckBox1->isChecked());
    EXPECT_EQ(w->TreeView1->currentItem(), w->TreeView1->topLevelItem(0));
    EXPECT_EQ(listed().size(), 3);
}

TEST_F(GoodNameFindWindowTest, TypingRequeriesOnceAfterTheLastKey) {
    open(FindForReceipt);
    QSignalSpy requeries(w.get(), &TfmGoodNameFind::listRequeried);
    testsupport::typeText(w->edFilterText, QStringLiteral("яблоч"));
    EXPECT_EQ(requeries.count(), 0);
    EXPECT_EQ(listed().size(), 3);
    ASSERT_TRUE(requeries.wait(2000));
    QTest::qWait(120);
    EXPECT_EQ(requeries.count(), 1);
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Сок яблочный")});

    // The radio buttons and the clear button do not wait.
    requeries.clear();
    QTest::mouseClick(w->RadioButton1, Qt::LeftButton);
    EXPECT_EQ(requeries.count(), 1);
    EXPECT_TRUE(listed().isEmpty());
    // The arrow keys switch the mode without a click, as the key router does.
    w->RadioButton2->setChecked(true);
    EXPECT_EQ(requeries.count(), 2);
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Сок яблочный")});
    QTest::mouseClick(w->btnClear, Qt::LeftButton);
    EXPECT_EQ(requeries.count(), 3);
    EXPECT_TRUE(w->edFilterText->text().isEmpty());
    EXPECT_EQ(listed().size(), 3);
    QTest::qWait(120);
    EXPECT_EQ(requeries.count(), 3);
}

TEST_F(GoodNameFindWindowTest, PriceTagModeAddsARowPerPickAndStaysOpen) {
    open(FindForPriceTags);
    chooseRowOf(QStringLiteral("Сок яблочный"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(tempRows(11), 2);
    fb::Transaction tr(db());
    const auto row =
        fb::queryOne(tr, QStringLiteral("SELECT G_NAME, G_PRICE, G_EDIZM, G_COUNTRY FROM GOODS_TEMP WHERE G_ID=?"),
                     {std::int64_t{11}});
    tr.commit();
    ASSERT_TRUE(row);
    EXPECT_EQ(row->str(QStringLiteral("G_NAME")), QStringLiteral("Сок яблочный"));
    EXPECT_EQ(row->str(QStringLiteral("G_PRICE")), QStringLiteral("55.00"));
    EXPECT_EQ(row->str(QStringLiteral("G_EDIZM")), QStringLiteral("шт"));
    EXPECT_EQ(row->str(QStringLiteral("G_COUNTRY")), QStringLiteral("Китай"));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(GoodNameFindWindowTest, PriceTagFailureIsReported) {
    open(FindForPriceTags);
    chooseRowOf(QStringLiteral("Вода"));
    exec(QStringLiteral("DROP PROCEDURE GOODS_TEMP_EDIT"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.last(), priceTagAddFailedText());
}

TEST_F(GoodNameFindWindowTest, OkAndDoubleClickHandTheCurrentGoodsToTheTaker) {
    std::vector<NameFoundGoods> taken;
    open(FindForStockDocument, [&](const NameFoundGoods& g, QWidget* window) {
        EXPECT_EQ(window, w.get());
        taken.push_back(g);
    });
    chooseRowOf(QStringLiteral("Сок яблочный"));
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    chooseRowOf(QStringLiteral("Хлеб"));
    const QRect cell = w->DBGridGoods->visualRect(w->DBGridGoods->currentIndex());
    QTest::mousePress(w->DBGridGoods->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(w->DBGridGoods->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(w->DBGridGoods->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].id, 11);
    EXPECT_EQ(taken[0].countryCode, QStringLiteral("156"));
    EXPECT_EQ(taken[0].countryName, QStringLiteral("Китай"));
    EXPECT_EQ(taken[0].unit, QStringLiteral("шт"));
    EXPECT_EQ(taken[0].unitCode, 0);
    EXPECT_EQ(taken[1].name, QStringLiteral("Хлеб"));
    EXPECT_EQ(taken[1].price, QStringLiteral("30.00"));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(GoodNameFindWindowTest, ColumnsFollowTheModeAndTheCountryChoiceIsKept) {
    struct Case {
        int mode;
        bool countryColumn, stockColumn, priceColumn, countryBox;
    };
    const Case cases[] = {{FindForPriceTags, true, false, true, false},
                          {FindForStockDocument, true, true, false, false}};
    for (const Case& c : cases) {
        open(c.mode);
        SCOPED_TRACE(c.mode);
        EXPECT_FALSE(w->DBGridGoods->isColumnHidden(ColCountry) != !c.countryColumn);
        EXPECT_EQ(!w->DBGridGoods->isColumnHidden(ColStock), c.stockColumn);
        EXPECT_EQ(!w->DBGridGoods->isColumnHidden(ColPrice), c.priceColumn);
        EXPECT_EQ(w->chCountryShow->isVisible(), c.countryBox);
        EXPECT_TRUE(w->DBGridGoods->isColumnHidden(ColWeighed));
        EXPECT_EQ(w->DBGridGoods->width(), GoodsSearchLayout(c.mode, false).gridWidth);
    }

    open(FindForReceipt);
    const bool before = w->chCountryShow->isChecked();
    EXPECT_EQ(w->DBGridGoods->isColumnHidden(ColCountry), !before);
    EXPECT_EQ(w->DBGridGoods->model()->headerData(ColStock, Qt::Horizontal).toString(), QStringLiteral("Остаток"));
    QTest::mouseClick(w->chCountryShow, Qt::LeftButton);
    EXPECT_EQ(w->DBGridGoods->isColumnHidden(ColCountry), before);
    EXPECT_EQ(w->DBGridGoods->width(), GoodsSearchLayout(FindForReceipt, !before).gridWidth);
    // The next opening shows the country as it was left.
    open(FindForReceipt);
    EXPECT_EQ(w->chCountryShow->isChecked(), !before);
    EXPECT_EQ(w->DBGridGoods->isColumnHidden(ColCountry), before);
    QTest::mouseClick(w->chCountryShow, Qt::LeftButton);
}

TEST_F(GoodNameFindWindowTest, EveryModeShowsItsColumnsWithoutSidewaysScrollingAndItsConfirmCaption) {
    // Enough goods for the vertical scroll bar to take its share of the grid.
    for (int id = 100; id < 140; ++id) goods(id, QStringLiteral("Товар %1").arg(id), 0, QStringLiteral("1200.00"));
    struct Case {
        int mode;
        bool country;
        const char* confirm;
    };
    const Case cases[] = {{FindForReceipt, false, "OK"},
                          {FindForReceipt, true, "OK"},
                          {FindForPriceTags, false, "ДОБАВИТЬ"},
                          {FindForStockDocument, false, "OK"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << (c.country ? " with country" : ""));
        open(c.mode);
        if (c.mode == FindForReceipt && w->chCountryShow->isChecked() != c.country)
            QTest::mouseClick(w->chCountryShow, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QApplication::processEvents();
        ASSERT_TRUE(w->DBGridGoods->verticalScrollBar()->isVisible());
        EXPECT_LE(w->DBGridGoods->horizontalHeader()->length(), w->DBGridGoods->viewport()->width());
        EXPECT_EQ(w->btnOK->text(), QString::fromUtf8(c.confirm));
    }
    if (w->chCountryShow->isChecked()) QTest::mouseClick(w->chCountryShow, Qt::LeftButton);
}

TEST_F(GoodNameFindWindowTest, TheWheelMovesTheCurrentRow) {
    open(FindForReceipt);
    w->selectRow(0);
    auto wheel = [this](int dy) {
        const QPointF at(10, 10);
        QWheelEvent e(at, w->DBGridGoods->viewport()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->DBGridGoods->viewport(), &e);
        return w->DBGridGoods->currentIndex().row();
    };
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(wheel(-120), 2);
    EXPECT_EQ(wheel(-120), 2);
    EXPECT_EQ(wheel(120), 1);
    EXPECT_EQ(wheel(120), 0);
    EXPECT_EQ(wheel(120), 0);
}

TEST_F(GoodNameFindWindowTest, ACyclicGroupTableStillOpens) {
    group(20, QStringLiteral("Петля"), 20);
    group(21, QStringLiteral("Круг А"), 22);
    group(22, QStringLiteral("Круг Б"), 21);
    open(FindForReceipt);
    EXPECT_TRUE(node(QStringLiteral("Соки")));
    EXPECT_FALSE(node(QStringLiteral("Петля")));
    EXPECT_FALSE(node(QStringLiteral("Круг А")));
    EXPECT_EQ(listed().size(), 3);
}
