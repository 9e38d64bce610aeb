// The goods search by name feeding its takers: the receipt (with its
// refusals, the marking scan and the unit question) and the choice list.
#include "CatalogueTestSupport.h"

#include "archive/uQueryEdizm.h"
#include "catalogue/GoodNameFindLogic.h"
#include "catalogue/uGoodNameFind.h"
#include "sales/WhenReady.h"
#include "sales/input/ItemEntry.h"
#include "sales/input/NameSearchEntry.h"
#include "sales/input/uGoodsFound.h"
#include "support/FakeMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;
using salestest::when;

namespace {

class NameSearchTakers : public CatalogueDbTest {
protected:
    void SetUp() override {
        CatalogueDbTest::SetUp();
        goods(11, QStringLiteral("Сок яблочный"), 0, QStringLiteral("55.00"), QStringLiteral("156"));
        goods(12, QStringLiteral("Хлеб"), 0, QStringLiteral("30.00"));
        country(1, QStringLiteral("156"), QStringLiteral("Китай"));
        entry = std::make_unique<sales::ItemEntry>(screen, [this] { return &db(); });
        entry->setMarkingEntry([this](sales::EntryScreen&, const sales::MarkingRequest& r) {
            marked.push_back(r.goods.good.id);
            return sales::MarkingOutcome::Refused;
        });
    }
    void TearDown() override {
        entry.reset();
        CatalogueDbTest::TearDown();
    }
    // The goods item as the search window lists it.
    NameFoundGoods listed(std::int64_t id) {
        TfmGoodNameFind w(db(), FindForReceipt, {});
        w.show();
        for (int r = 0; r < w.rowCount(); ++r)
            if (w.goodsAt(r)->id == id) return *w.goodsAt(r);
        ADD_FAILURE() << "not listed: " << id;
        return {};
    }
    QString qtyOf(const QString& id) {
        const int row = sales::FindGoodRow(screen.model, id);
        return row > 0 ? screen.model.cell(row, sales::ReceiptModel::ColQty) : QString();
    }

    testsupport::FakeMessages messages;
    sales::PlainEntryScreen screen;
    std::unique_ptr<sales::ItemEntry> entry;
    std::vector<QString> marked;
};

}  // namespace

TEST_F(NameSearchTakers, TheReceiptRefusesOrTakesByPaymentBuyerUnitAndMark) {
    struct Case {
        const char* what;
        int flag;
        bool buyer;
        std::int64_t id;
        QString unitSql;  // GOOD_EDIZM_FFD to store
        int mark;
        QString refusal;  // expected message, empty when none
        bool added;
        bool toMarking;
    };
    const QString longName = QStringLiteral("Сок яблочный");
    const Case cases[] = {
        {"foreign goods to a buyer paying in full", 4, true, 11, QStringLiteral("0"), 0, foreignGoodsChosenText(),
         false, false},
        {"foreign goods without a buyer", 4, false, 11, QStringLiteral("0"), 0, QString(), true, false},
        {"foreign goods to a buyer on prepayment", 1, true, 11, QStringLiteral("0"), 0, QString(), true, false},
        {"a unit the register does not know", 4, false, 11, QStringLiteral("13"), 0, badUnitChosenText(longName), false,
         false},
        {"an unknown payment method", 7, false, 12, QStringLiteral("0"), 0, unknownPaymentFlagText(), false, false},
        {"marked goods paid in full go to the marking scan", 4, false, 12, QStringLiteral("0"), 4, QString(), false,
         true},
        {"marked goods on prepayment are added without a code", 2, false, 12, QStringLiteral("0"), 4, QString(), true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        exec(QStringLiteral("UPDATE GOODS SET GOOD_EDIZM_FFD=%1, GOOD_MARKTYPE=%2").arg(c.unitSql).arg(c.mark));
        screen.model.reset();
        screen.flag = c.flag;
        screen.buyer = c.buyer;
        screen.line = QStringLiteral("123");
        messages.clear();
        marked.clear();
        const int row = sales::addGoodsFoundByName(*entry, listed(c.id), nullptr, {});
        EXPECT_EQ(row > 0, c.added);
        EXPECT_EQ(sales::FindGoodRow(screen.model, QString::number(c.id)) > 0, c.added);
        EXPECT_EQ(!marked.empty(), c.toMarking);
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.last(), c.refusal);
        }
        // The input line goes with the foreign-goods refusal and with an added position.
        EXPECT_EQ(screen.line.isEmpty(), c.added || c.refusal == foreignGoodsChosenText());
    }
}

TEST_F(NameSearchTakers, PickingTheSameGoodsAgainIncreasesItsPosition) {
    screen.flag = 4;
    EXPECT_GT(sales::addGoodsFoundByName(*entry, listed(12), nullptr, {}), 0);
    const int row = sales::addGoodsFoundByName(*entry, listed(12), nullptr, {});
    EXPECT_EQ(row, sales::FindGoodRow(screen.model, QStringLiteral("12")));
    EXPECT_EQ(qtyOf(QStringLiteral("12")).toDouble(), 2.0);
}

TEST_F(NameSearchTakers, AMissingUnitIsAskedAndCancellingAddsNothing) {
    exec(QStringLiteral("UPDATE GOODS SET GOOD_EDIZM_FFD=NULL WHERE GOOD_ID=12"));
    screen.flag = 4;
    int asked = 0;
    std::optional<sales::ChosenUnit> answer;
    const sales::UnitQuestion ask = [&](QWidget*, std::int64_t id, const QString& name) {
        ++asked;
        EXPECT_EQ(id, 12);
        EXPECT_EQ(name, QStringLiteral("Хлеб"));
        return answer;
    };
    EXPECT_EQ(sales::addGoodsFoundByName(*entry, listed(12), nullptr, ask), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(sales::FindGoodRow(screen.model, QStringLiteral("12")), 0);

    answer = sales::ChosenUnit{11, QStringLiteral("кг")};
    const int row = sales::addGoodsFoundByName(*entry, listed(12), nullptr, ask);
    ASSERT_GT(row, 0);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(screen.model.attr(row, sales::ReceiptModel::AttrMeasure), QStringLiteral("11"));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(NameSearchTakers, TheUnitWindowWritesTheCardOnlyWhenAsked) {
    exec(QStringLiteral("UPDATE GOODS SET GOOD_EDIZM=NULL, GOOD_EDIZM_FFD=NULL WHERE GOOD_ID=12"));
    for (const bool save : {false, true}) {
        SCOPED_TRACE(save);
        QString chosenText;
        int chosenCode = -1;
        when([] { return fmQueryEdizm && fmQueryEdizm->isVisible(); },
             [&] {
                 EXPECT_TRUE(fmQueryEdizm->lblGoodName->text().contains(QStringLiteral("Хлеб")));
                 ASSERT_GT(fmQueryEdizm->cmbEdizm->count(), 0);
                 fmQueryEdizm->cmbEdizm->setCurrentIndex(fmQueryEdizm->cmbEdizm->count() - 1);
                 chosenText = fmQueryEdizm->cmbEdizm->currentText();
                 chosenCode = fmQueryEdizm->cmbEdizm->currentData().toInt();
                 if (save) QTest::mouseClick(fmQueryEdizm->CheckBox1, Qt::LeftButton);
                 QTest::mouseClick(fmQueryEdizm->btnApply, Qt::LeftButton);
             });
        const auto unit = archive::askChosenGoodsUnit(db(), nullptr, 12, QStringLiteral("Хлеб"));
        ASSERT_TRUE(unit);
        EXPECT_EQ(unit->code, chosenCode);
        EXPECT_EQ(unit->text, chosenText);
        EXPECT_EQ(unit->saved, save);
        if (save) {
            EXPECT_EQ(column(12, QStringLiteral("GOOD_EDIZM")), chosenText.left(10));
            EXPECT_EQ(column(12, QStringLiteral("GOOD_EDIZM_FFD")), QString::number(chosenCode));
        } else {
            EXPECT_EQ(column(12, QStringLiteral("GOOD_EDIZM")), QString());
            EXPECT_EQ(column(12, QStringLiteral("GOOD_EDIZM_FFD")), QString());
        }
    }
    // Cancelled: no unit.
    when([] { return fmQueryEdizm && fmQueryEdizm->isVisible(); },
         [] { QTest::mouseClick(fmQueryEdizm->btnCancel, Qt::LeftButton); });
    EXPECT_FALSE(archive::askChosenGoodsUnit(db(), nullptr, 12, QStringLiteral("Хлеб")));
}

TEST_F(NameSearchTakers, AMarkedGoodsFromTheChoiceListIsRefusedToABuyerPayingInFull) {
    const QString code = QStringLiteral("4600000000017");
    barcode(11, code);
    barcode(12, code);
    exec(QStringLiteral("UPDATE GOODS SET GOOD_MARKTYPE=5, GOOD_COUNTRY_CODE=NULL WHERE GOOD_ID=12"));
    int offered = 0;
    entry->setGoodsChooser([&](const std::vector<sales::FoundGoods>& goods, int, QWidget*) -> std::optional<int> {
        offered = int(goods.size());
        for (int i = 0; i < int(goods.size()); ++i)
            if (goods[size_t(i)].good.id == QStringLiteral("12")) return i;
        return std::nullopt;
    });
    struct Case {
        int flag;
        bool buyer;
        bool refused, toMarking, added;
    };
    const Case cases[] = {{4, true, true, false, false}, {4, false, false, true, false}, {2, true, false, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag * 10 + int(c.buyer));
        screen.model.reset();
        screen.flag = c.flag;
        screen.buyer = c.buyer;
        messages.clear();
        marked.clear();
        entry->enterBarcode(code);
        EXPECT_EQ(offered, 2);
        EXPECT_EQ(messages.texts().contains(sales::kMarkedGoodsToBuyer), c.refused);
        EXPECT_EQ(!marked.empty(), c.toMarking);
        EXPECT_EQ(sales::FindGoodRow(screen.model, QStringLiteral("12")) > 0, c.added);
    }
}

TEST_F(NameSearchTakers, TheWheelMovesTheChoiceListsCurrentRow) {
    std::vector<sales::FoundGoods> goods(3);
    for (int i = 0; i < 3; ++i) goods[size_t(i)].good.name = QStringLiteral("Товар %1").arg(i);
    TfmGoodsFound window;
    window.setGoods(goods);
    window.show();
    auto wheel = [&](int dy) {
        const QPointF at(5, 5);
        QWheelEvent e(at, window.DBGrid1->viewport()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.DBGrid1->viewport(), &e);
        return window.chosenIndex();
    };
    const int steps[][2] = {{-120, 1}, {-120, 2}, {-120, 2}, {120, 1}, {120, 0}, {120, 0}};
    for (const auto& s : steps) EXPECT_EQ(wheel(s[0]), s[1]);
}
