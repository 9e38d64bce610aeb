#include "CatalogueTestSupport.h"

#include "catalogue/PriceTagLogic.h"
#include "core/TextUtils.h"

#include <gtest/gtest.h>

using namespace catalogue;

namespace {

struct ListRow {
    QString id, name, price, unit, country, digits, fontText;
    std::int64_t record = 0;
};

class PriceTagListTest : public cataloguetest::CatalogueDbTest {
protected:
    std::vector<ListRow> list() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        std::vector<ListRow> out;
        for (const fb::Row& r : fb::query(tr, QString::fromLatin1(kPriceTagListSql)))
            out.push_back({r.str("G_ID"), r.str("G_NAME"), r.str("G_PRICE"), r.str("G_EDIZM"), r.str("G_COUNTRY"),
                           r.str("G_DECLAR_NUMBER"), r.str("G_BARCODE"), r.int64("G_RECORD_ID")});
        tr.commit();
        return out;
    }
    QStringList names() {
        QStringList n;
        for (const ListRow& r : list()) n << r.name;
        return n;
    }
};

}  // namespace

TEST(PriceTagSize, FormatCodeAndCopiesFollowTheChoice) {
    struct Case {
        bool a4;
        int a4Index, labelIndex;
        const char* copies;
        PriceTagSize expected;
    };
    const std::vector<Case> cases{
        {false, -1, 4, "3", {34, 3}},  // labels 58 x 40, three copies
        {false, -1, 4, "", {34, 1}},   // nothing typed: one
        {false, -1, 4, "0", {34, 1}},  // no copies is never meant: one
        {false, -1, 0, " 12 ", {30, 12}},
        {false, -1, 5, "x", {35, 1}},
        {false, -1, 2, "-4", {32, 1}},
        {true, 0, -1, "7", {3, 1}},  // A4 sheets print once, whatever the copies field holds
        {true, 1, -1, "", {4, 1}},
        {true, 2, -1, "3", {5, 1}},
        {true, -1, -1, "3", {kPriceTagCancel, 1}},  // no size chosen: nothing to print
        {false, -1, 6, "3", {kPriceTagCancel, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a4 << ' ' << c.a4Index << ' ' << c.labelIndex << " '" << c.copies << "'");
        EXPECT_EQ(priceTagSize(c.a4, c.a4Index, c.labelIndex, QString::fromUtf8(c.copies)), c.expected);
    }
}

TEST(PriceTagSize, EveryFormatCodeOfTheDialogHasItsReport) {
    // Every size the dialog offers must print: each code names a report of
    // its own that the shipped project carries, and cancel prints nothing.
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        const auto r = priceTagReport(priceTagSize(true, i, -1, {}).code);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->zoom, 90);
        seen << r->name;
    }
    for (int i = 0; i < 6; ++i) {
        const auto r = priceTagReport(priceTagSize(false, -1, i, "1").code);
        ASSERT_TRUE(r);
        seen << r->name;
    }
    EXPECT_EQ(seen, QStringList({"PriceTagSmall", "PriceTagMiddle", "PriceTagBig", "Sticker30x20", "Sticker40x30",
                                 "Sticker43x25", "Sticker58x30", "Sticker58x40", "Sticker58x60"}));
    EXPECT_FALSE(priceTagReport(kPriceTagCancel));
}

TEST(PriceTagOrganisation, SalesPointFollowsOnlyWhereTheNameLeavesRoom) {
    const QString point = QStringLiteral("  ул. Ленина, 5 ");
    struct Case {
        int code;
        int nameLength;
        bool ask;
        bool appended;
    };
    const std::vector<Case> cases{
        {3, 25, true, true},  {3, 26, true, false}, {4, 24, true, true},  {4, 25, true, false}, {5, 29, true, true},
        {5, 30, true, false}, {3, 5, false, false}, {34, 5, true, false}, {30, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << ", name of " << c.nameLength);
        const QString name = QString(c.nameLength, QChar(u'Я'));
        const QString text = organisationText(QStringLiteral("  ") + name + QStringLiteral(" "), QStringLiteral("x"),
                                              false, c.ask, point, c.code);
        EXPECT_EQ(text, c.appended ? name + QStringLiteral("\r\nул. Ленина, 5") : name);
    }
    // The full name counts instead of the short one when it is chosen.
    EXPECT_EQ(organisationText("ООО Ромашка", " Общество с ограниченной ответственностью ", true, true, point, 3),
              "Общество с ограниченной ответственностью");
    EXPECT_EQ(organisationText("ООО Ромашка", "ООО «Ромашка и партнёры»", true, true, point, 4),
              "ООО «Ромашка и партнёры»\r\nул. Ленина, 5");
}

TEST(PriceTagBarcodeFields, OnlyEightOrThirteenCharactersGiveBarcodeFields) {
    struct Case {
        const char* barcode;
        bool digits;
        bool fontText;
    };
    const std::vector<Case> cases{
        {"4600000000008", true, true},    {"96385074", true, true}, {"460000000000", false, false},
        {"46000000000089", false, false}, {"", false, false},       {"46000000A0008", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.barcode);
        const QString code = QString::fromLatin1(c.barcode);
        const PriceTagBarcode f = priceTagBarcode(code);
        EXPECT_EQ(f.digits, c.digits ? code : QString());
        EXPECT_EQ(f.fontText, c.fontText ? core::EncodeEanForBarcodeFont(code) : QString());
        EXPECT_EQ(f.fontText.isEmpty(), !c.fontText);
    }
}

TEST_F(PriceTagListTest, FillGivesOneRowPerBarcodeAndOneForGoodsWithout) {
    country(1, "643", "Российская Федерация — страна с очень длинным названием");
    goods(1, "Молоко", 0, "89.90", "643");
    barcode(1, "4600000000008");
    barcode(1, "4600000000015");
    barcode(1, "96385074");
    goods(2, "Хлеб", 0, "45.00");
    goods(3, "Сыр", 0, "700.00");
    barcode(3, "460000000001");  // twelve digits: no bars can be drawn
    group(10, "Группа");         // groups are not goods

    EXPECT_EQ(fillPriceTagList(db(), std::nullopt, QString()), 5);
    const auto rows = list();
    ASSERT_EQ(rows.size(), 5u);
    QStringList milk;
    QSet<std::int64_t> records;
    for (const ListRow& r : rows) {
        records.insert(r.record);
        if (r.id == "1") {
            milk << r.digits;
            EXPECT_EQ(r.fontText, core::EncodeEanForBarcodeFont(r.digits));
            EXPECT_EQ(r.price, "89.90");
            EXPECT_EQ(r.unit, "шт");
            // The list's country column is 32 characters wide.
            EXPECT_EQ(r.country, QStringLiteral("Российская Федерация — страна с очень длинным названием").left(32));
        } else {
            EXPECT_TRUE(r.digits.isEmpty()) << r.name.toStdString();
            EXPECT_TRUE(r.fontText.isEmpty()) << r.name.toStdString();
        }
    }
    milk.sort();
    EXPECT_EQ(milk, QStringList({"4600000000008", "4600000000015", "96385074"}));
    EXPECT_EQ(records.size(), rows.size());  // every row has an id of its own
    // Names in alphabetical order.
    EXPECT_EQ(rows.front().name, "Молоко");
    EXPECT_EQ(rows.back().name, "Хлеб");
}

TEST_F(PriceTagListTest, GroupAndNameNarrowTheFillAndANewFillReplacesTheList) {
    group(10, "Молочные");
    group(20, "Скидки");
    goods(1, "Молоко", 10);
    goods(2, "Кефир", 10);
    goods(3, "Скидка 50%_¤' на всё", 20);
    goods(4, "Скидка 50 рублей", 20);
    goods(5, "Скидка 50%x", 20);
    goods(6, "Скидка 5a0", 20);
    goods(7, "O'Neil Ltd", 20);
    goods(8, "¤x и прочее", 20);

    struct Case {
        std::optional<std::int64_t> group;
        const char* text;
        QStringList expected;
    };
    const std::vector<Case> cases{
        {10, "", {"Кефир", "Молоко"}},
        {10, "мол", {"Молоко"}},  // lower-case Cyrillic finds mixed case
        {std::nullopt, "50%_¤'", {"Скидка 50%_¤' на всё"}},
        {20, "50%", {"Скидка 50%_¤' на всё", "Скидка 50%x"}},
        {20, "5_0", {}},
        {std::nullopt, "o'neil", {"O'Neil Ltd"}},
        {std::nullopt, "¤x", {"¤x и прочее"}},
        {10, "скидка", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fillPriceTagList(db(), c.group, QString::fromUtf8(c.text));
        QStringList got = names();
        got.sort();
        QStringList want = c.expected;
        want.sort();
        EXPECT_EQ(got, want);
    }
}

TEST_F(PriceTagListTest, RemovingARowLeavesTheOtherRowsOfTheSameGoods) {
    goods(1, "Молоко");
    barcode(1, "4600000000008");
    barcode(1, "4600000000015");
    goods(2, "Хлеб");
    fillPriceTagList(db(), std::nullopt, QString());
    const auto before = list();
    ASSERT_EQ(before.size(), 3u);
    removePriceTag(db(), before[1].record);
    const auto after = list();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].record, before[0].record);
    EXPECT_EQ(after[1].record, before[2].record);

    fb::Transaction tr(db());
    clearPriceTagList(tr);
    tr.commit();
    EXPECT_TRUE(list().empty());
}
