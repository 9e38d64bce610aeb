#include "sales/receipt/ReceiptModel.h"

#include "ReceiptTestRows.h"

#include <gtest/gtest.h>

using namespace sales;
using sales::testing::addRow;
using sales::testing::RowSpec;

TEST(ReceiptModelState, StartsWithHeaderOneEmptyRowAndNoDiscount) {
    ReceiptModel m;
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.lineAttrs().size(), 2);
    EXPECT_EQ(m.cell(0, ReceiptModel::ColName), QStringLiteral("Наименование"));
    EXPECT_EQ(m.receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(m.receiptDiscountValue(), QStringLiteral("0"));
    EXPECT_TRUE(m.isEmpty());
    EXPECT_EQ(m.layout(), 5);
}

TEST(ReceiptModelState, OutOfRangeAccessIsHarmless) {
    ReceiptModel m;
    const auto before = m.revision();
    m.setCell(7, 0, QStringLiteral("A"));
    m.setAttr(-1, 0, QStringLiteral("x"));
    m.setCell(1, 12, QStringLiteral("x"));
    EXPECT_EQ(m.revision(), before);
    EXPECT_EQ(m.cell(9, 3), QString());
    EXPECT_EQ(m.rowCells(9).size(), ReceiptModel::ColumnCount);
}

TEST(ReceiptModelState, EmptinessIgnoresFreedRows) {
    struct Case {
        const char* status;
        bool empty;
    } cases[] = {{"", true}, {"E", true}, {" E ", true}, {"A", false}, {"D", false}, {"R", false}};
    for (const auto& c : cases) {
        ReceiptModel m;
        m.setCell(1, ReceiptModel::ColStatus, QString::fromLatin1(c.status));
        EXPECT_EQ(m.isEmpty(), c.empty) << c.status;
    }
}

TEST(ReceiptRows, FreeRowIsTheFirstUnusedOrFreedRowElseANewOne) {
    ReceiptModel m;
    EXPECT_EQ(GetFreeGridRow(m), 1);  // the empty row is used first
    addRow(m, {QStringLiteral("1"), QStringLiteral("P"), QStringLiteral("10.00"), QStringLiteral("1")});
    EXPECT_EQ(GetFreeGridRow(m), 2);  // grows
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.lineAttrs().size(), 3);
    EXPECT_EQ(GetFreeGridRow(m), 2);  // still unused
}

TEST(ReceiptRows, ReusedAnnulledRowIsClearedCompletely) {
    ReceiptModel m;
    const int r = addRow(m, {QStringLiteral("7"), QStringLiteral("W"), QStringLiteral("99.90"),
                             QStringLiteral("1.500"), QStringLiteral("S"), QStringLiteral("5")});
    addRow(m, {QStringLiteral("8"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
    for (int i = 0; i < ReceiptModel::AttrCount; ++i) m.setAttr(r, i, QStringLiteral("old%1").arg(i));
    m.setCell(r, ReceiptModel::ColCustoms, QStringLiteral("10702010/010101/0000001"));
    m.setCell(r, ReceiptModel::ColStatus, QStringLiteral("E"));

    EXPECT_EQ(GetFreeGridRow(m), r);
    for (int c = 0; c < ReceiptModel::ColumnCount; ++c) EXPECT_TRUE(m.cell(r, c).isEmpty()) << "column " << c;
    for (int i = 0; i < ReceiptModel::AttrCount; ++i) EXPECT_TRUE(m.attr(r, i).isEmpty()) << "attr " << i;
    EXPECT_EQ(m.cell(2, ReceiptModel::ColId), QStringLiteral("8"));  // the neighbour is untouched
}

TEST(ReceiptRows, FindGoodRowWithPriceComparesUndiscountedPrice) {
    ReceiptModel m;
    // An excluded row of the same goods at another price does not count.
    addRow(m, {QStringLiteral("5"), QStringLiteral("P"), QStringLiteral("9.00"), QStringLiteral("1"),
               QStringLiteral("N"), QString(), QStringLiteral("D")});
    addRow(m, {QStringLiteral("5"), QStringLiteral("P"), QStringLiteral("12,50"), QStringLiteral("1")});
    m.setCell(2, ReceiptModel::ColPrice, QStringLiteral("11.25"));  // discounted on screen

    struct Case {
        const char* code;
        const char* price;
        int expected;
    } cases[] = {
        {"5", "12.5", 2},    {"5", "12.50", 2},   {"5", "12,501", 2}, {"5", "12.49", -1},
        {"5", "11.25", -1},  {"5", "9.00", -1},   {"5", "abc", -1},   {"6", "12.50", 0},
        {"0", "12.50", 0},   {"x5", "12.50", 0},  {"", "12.50", 0},   {" 5 ", "12.50", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindGoodRowWithPrice(m, QString::fromLatin1(c.code), QString::fromLatin1(c.price)), c.expected)
            << c.code << " @ " << c.price;
    }
}

TEST(ReceiptRows, FindGoodRowSkipsInactiveRowsAndFreePrice) {
    ReceiptModel m;
    addRow(m, {QStringLiteral("3"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1"),
               QStringLiteral("N"), QString(), QStringLiteral("D")});
    addRow(m, {QString(), QString(), QStringLiteral("5.00"), QStringLiteral("1")});
    addRow(m, {QStringLiteral("3"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
    EXPECT_EQ(FindGoodRow(m, QStringLiteral("3")), 3);
    EXPECT_EQ(FindGoodRow(m, QString()), 0);
    EXPECT_EQ(FindGoodRow(m, QStringLiteral("4")), 0);
}

TEST(ReceiptRows, ReceiptGoodsNamesEachCodeOfARowInUseOnce) {
    ReceiptModel m;
    addRow(m, {QStringLiteral(" 5 "), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
    addRow(m, {QStringLiteral("7"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1"),
               QStringLiteral("N"), QString(), QStringLiteral("D")});
    addRow(m, {QString(), QString(), QStringLiteral("5.00"), QStringLiteral("1")});
    addRow(m, {QStringLiteral("5"), QStringLiteral("W"), QStringLiteral("1.00"), QStringLiteral("0.5")});
    const int freed = addRow(m, {QStringLiteral("9"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
    m.setCell(freed, ReceiptModel::ColStatus, QStringLiteral("E"));
    EXPECT_EQ(receiptGoods(m), (std::vector<std::int64_t>{5, 7}));
}

TEST(ReceiptRows, MergingAddsWeightsAndPiecesAndKeepsAttributesAligned) {
    ReceiptModel m;
    const int target = addRow(m, {QStringLiteral("11"), QStringLiteral("W"), QStringLiteral("100.00"),
                                  QStringLiteral("0.250"), QStringLiteral("N"), QString(), QStringLiteral("D")});
    addRow(m, {QStringLiteral("20"), QStringLiteral("P"), QStringLiteral("3.00"), QStringLiteral("2")});
    addRow(m, {QStringLiteral("11"), QStringLiteral("W"), QStringLiteral("100.00"), QStringLiteral("0.375")});
    addRow(m, {QStringLiteral("11"), QStringLiteral("P"), QStringLiteral("100.00"), QStringLiteral("4")});
    addRow(m, {QStringLiteral("20"), QStringLiteral("P"), QStringLiteral("3.00"), QStringLiteral("3")});
    addRow(m, {QStringLiteral("30"), QStringLiteral("P"), QStringLiteral("7.00"), QStringLiteral("1")});

    // The excluded weighed row comes back and takes the other weighed row in.
    EXPECT_EQ(MergeGoodRows(m, target, 1, QStringLiteral("11")), 1);
    m.setCell(target, ReceiptModel::ColStatus, QStringLiteral("A"));
    EXPECT_EQ(m.cell(target, ReceiptModel::ColQty), QStringLiteral("0.625"));
    EXPECT_EQ(m.status(3), QStringLiteral("R"));
    EXPECT_EQ(m.status(4), QStringLiteral("A"));  // same goods, other unit kind

    // Pieces: row 5 merges into row 2.
    m.setCell(2, ReceiptModel::ColStatus, QStringLiteral("D"));
    EXPECT_EQ(MergeGoodRows(m, 2, 0, QStringLiteral("20")), 1);
    m.setCell(2, ReceiptModel::ColStatus, QStringLiteral("A"));
    EXPECT_EQ(m.cell(2, ReceiptModel::ColQty), QStringLiteral("5"));
    EXPECT_EQ(MergeGoodRows(m, 6, 0, QStringLiteral("99")), 0);

    DeleteMergedRows(m);
    ASSERT_EQ(m.rowCount(), 5);
    ASSERT_EQ(m.lineAttrs().size(), 5);
    const char* ids[] = {"11", "20", "11", "30"};
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(m.cell(r, ReceiptModel::ColId), QString::fromLatin1(ids[r - 1])) << r;
        // Each row still carries its own attributes.
        EXPECT_EQ(m.attr(r, ReceiptModel::AttrVat), QStringLiteral("VAT") + QString::fromLatin1(ids[r - 1])) << r;
        EXPECT_NE(m.status(r), QStringLiteral("R"));
    }
    EXPECT_EQ(m.cell(3, ReceiptModel::ColKind), QStringLiteral("P"));
}

TEST(ReceiptRows, RemovingTheOnlyRowEmptiesIt) {
    ReceiptModel m;
    addRow(m, {QStringLiteral("1"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
    m.removeRow(1);
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.lineAttrs().size(), 2);
    EXPECT_TRUE(m.isEmpty());
    EXPECT_TRUE(m.attr(1, ReceiptModel::AttrVat).isEmpty());

    LineAttrTable onlyReceipt{QStringList(ReceiptModel::AttrCount)};
    DeleteLineAttrRow(onlyReceipt, 0);
    DeleteLineAttrRow(onlyReceipt, 1);
    EXPECT_EQ(onlyReceipt.size(), 1);
}

TEST(ReceiptRows, RenumberCountsActiveRowsOnly) {
    ReceiptModel m;
    const char* statuses[] = {"A", "D", "A", "R", "A"};
    for (const char* s : statuses) {
        const int r = addRow(m, {QStringLiteral("1"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
        m.setCell(r, ReceiptModel::ColPosNo, QStringLiteral("9"));
        m.setCell(r, ReceiptModel::ColStatus, QString::fromLatin1(s));
    }
    RenumberPositions(m);
    const char* numbers[] = {"1", "", "2", "", "3"};
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(m.cell(r, ReceiptModel::ColPosNo), QString::fromLatin1(numbers[r - 1]));
}

TEST(ReceiptRows, GoodsRecordSetsUnitKindFromWeighingFlag) {
    struct Case {
        QString goodW;
        const char* kind;
        const char* qty;
    } cases[] = {
        {QStringLiteral("ДА"), "W", "1.000"}, {QStringLiteral(" да "), "W", "1.000"}, {QStringLiteral("1"), "W", "1.000"},
        {QStringLiteral("0"), "P", "1"},      {QStringLiteral("нет"), "P", "1"},      {QString(), "P", "1"},
        {QStringLiteral("ДАА"), "P", "1"},
    };
    for (const auto& c : cases) {
        ReceiptModel m;
        const GoodRecord good{QStringLiteral("42"), QStringLiteral("Сыр"), QStringLiteral("450.00"), c.goodW,
                              QStringLiteral("Т"), QStringLiteral("643"), QStringLiteral("0"),
                              QStringLiteral("0"), QStringLiteral(" 1 ")};
        FillGridRowFromGood(m, good, 1);
        EXPECT_EQ(m.cell(1, ReceiptModel::ColKind), QString::fromLatin1(c.kind)) << c.goodW.toStdString();
        EXPECT_EQ(m.cell(1, ReceiptModel::ColQty), QString::fromLatin1(c.qty)) << c.goodW.toStdString();
        EXPECT_EQ(m.status(1), QStringLiteral("A"));
        EXPECT_EQ(m.cell(1, ReceiptModel::ColSubject), QStringLiteral("Т"));
    }
}

TEST(ReceiptRows, NoPositionWithoutAPositiveQuantity) {
    ReceiptModel m;
    const GoodRecord good{QStringLiteral("42"), QStringLiteral("Сыр"), QStringLiteral("450.00"), QStringLiteral("1"),
                          QStringLiteral("Т"), QStringLiteral("643"), QStringLiteral("0"), QStringLiteral("11"),
                          QStringLiteral(" 2 ")};
    EXPECT_EQ(addGoodPosition(m, good, good.price, Qty{0}), 0);
    EXPECT_EQ(addGoodPosition(m, good, good.price, Qty{-500}), 0);
    EXPECT_TRUE(m.isEmpty());

    const int r = addGoodPosition(m, good, good.price, Qty{1234}, QStringLiteral("04600000000000"));
    ASSERT_EQ(r, 1);
    EXPECT_EQ(m.cell(r, ReceiptModel::ColQty), QStringLiteral("1.234"));
    EXPECT_EQ(m.attr(r, ReceiptModel::AttrVat), QStringLiteral("2"));
    EXPECT_EQ(m.attr(r, ReceiptModel::AttrMeasure), QStringLiteral("11"));
    EXPECT_EQ(m.attr(r, ReceiptModel::AttrGtin), QStringLiteral("04600000000000"));

    EXPECT_FALSE(m.setQuantity(r, Qty{0}));
    EXPECT_FALSE(m.addQuantity(r, Qty{-1234}));
    EXPECT_EQ(m.cell(r, ReceiptModel::ColQty), QStringLiteral("1.234"));
    EXPECT_TRUE(m.addQuantity(r, Qty{1234}));  // a second weight scan
    EXPECT_EQ(m.cell(r, ReceiptModel::ColQty), QStringLiteral("2.468"));
}

TEST(ReceiptRows, ForeignGoodsByCountryCode) {
    struct Case {
        const char* country;
        const char* status;
        bool foreign;
    } cases[] = {
        {"643", "A", false}, {"0", "A", false}, {"", "A", false}, {"abc", "A", false},
        {"156", "A", true},  {" 156 ", "D", true}, {"156", "E", false},
    };
    for (const auto& c : cases) {
        ReceiptModel m;
        addRow(m, {QStringLiteral("1"), QStringLiteral("P"), QStringLiteral("1.00"), QStringLiteral("1")});
        m.setCell(1, ReceiptModel::ColCountry, QString::fromLatin1(c.country));
        m.setCell(1, ReceiptModel::ColStatus, QString::fromLatin1(c.status));
        EXPECT_EQ(ReceiptHasForeignGoods(m), c.foreign) << c.country << " " << c.status;
    }
}
