// The rules of the stock documents that need no database or window.
#include "stock/StockLogic.h"

#include <gtest/gtest.h>

namespace {

using stock::QuantityCheck;

TEST(StockQuantityCheck, AcceptsClearsOrRefusesByGoodsKind) {
    struct Case {
        const char* typed;
        bool weighed;
        QuantityCheck::Outcome outcome;
        const char* stored;
        const QString* message;
    };
    const Case cases[] = {
        {"5", false, QuantityCheck::Accepted, "5.000", nullptr},
        {"5,0", false, QuantityCheck::Accepted, "5.000", nullptr},
        {"007", false, QuantityCheck::Accepted, "7.000", nullptr},
        {"999999", false, QuantityCheck::Accepted, "999999.000", nullptr},
        {"1000000", false, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"2.5", false, QuantityCheck::Refused, "", &stock::kQuantityNotWhole},
        {"1.234", true, QuantityCheck::Accepted, "1.234", nullptr},
        {"1,5", true, QuantityCheck::Accepted, "1.500", nullptr},
        {"0", true, QuantityCheck::Accepted, "0.000", nullptr},
        {"1.2345", true, QuantityCheck::Refused, "", &stock::kQuantityTooPrecise},
        {"999999.999", true, QuantityCheck::Accepted, "999999.999", nullptr},
        {"-1", true, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"+1", false, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"1e3", true, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"1 000", false, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"abc", false, QuantityCheck::Refused, "", &stock::kQuantityNotNumber},
        {"", false, QuantityCheck::Cleared, "", nullptr},
        {"  ", true, QuantityCheck::Cleared, "", nullptr},
    };
    for (const Case& c : cases) {
        const QuantityCheck r = stock::checkQuantity(QString::fromUtf8(c.typed), c.weighed);
        EXPECT_EQ(r.outcome, c.outcome) << c.typed << " weighed " << c.weighed;
        if (c.outcome == QuantityCheck::Accepted) {
            EXPECT_EQ(r.stored, QString::fromUtf8(c.stored)) << c.typed;
        }
        if (c.message) {
            EXPECT_EQ(r.message, *c.message) << c.typed;
        }
    }
}

TEST(StockDocNumber, PadsToSixDigitsAndKeepsEmptyEmpty) {
    const std::pair<QVariant, QString> cases[] = {
        {7, "000007"}, {123, "000123"}, {999999, "999999"}, {1234567, "1234567"}, {QVariant(), ""}, {QString(""), ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(stock::formatDocNumber(in), out) << in.toString().toStdString();
}

TEST(StockKinds, MenuTagsMapToKindsTypesAndCaptions) {
    struct Case {
        int tag;
        int kind;
        int type;
        const char* caption;
    };
    const Case cases[] = {
        {1, 0, 50, "Складские документы. ИНВЕНТАРИЗАЦИЯ"},
        {2, 1, 51, "Складские документы. ПОСТУПЛЕНИЕ"},
        {3, 2, 52, "Складские документы. ОПРИХОДОВАНИЕ"},
        {4, 3, 53, "Складские документы. СПИСАНИЕ"},
        {0, -1, -1, "Складские документы. "},
        {5, -1, -1, "Складские документы. "},
    };
    for (const Case& c : cases) {
        const int kind = stock::kindForListTag(c.tag);
        EXPECT_EQ(kind, c.kind) << c.tag;
        EXPECT_EQ(stock::docTypeForKind(kind), c.type) << c.tag;
        EXPECT_EQ(stock::listCaption(kind), QString::fromUtf8(c.caption)) << c.tag;
    }
}

TEST(StockStates, EachStateAllowsItsOwnCommands) {
    struct Case {
        int state;
        bool editing, save, post, unpost, remove;
        const char* listText;
    };
    const Case cases[] = {
        {stock::New, true, true, true, false, false, ""},
        {stock::Saved, true, true, true, false, true, "сохранен"},
        {stock::Posted, false, false, false, true, false, "проведен"},
    };
    for (const Case& c : cases) {
        const stock::Enabling e = stock::enablingForState(c.state);
        EXPECT_EQ(e.editing, c.editing) << c.state;
        EXPECT_EQ(e.gridEditable, c.editing) << c.state;
        EXPECT_EQ(e.menuSave, c.save) << c.state;
        EXPECT_EQ(e.menuPost, c.post) << c.state;
        EXPECT_EQ(e.menuUnpost, c.unpost) << c.state;
        EXPECT_EQ(e.menuDelete, c.remove) << c.state;
        EXPECT_EQ(stock::listStateText(c.state), QString::fromUtf8(c.listText)) << c.state;
    }
}

TEST(StockGroupLabel, NamesTheRootAndGroupsWithOrWithoutSubgroups) {
    EXPECT_EQ(stock::groupLabel("Номенклатура", true, true), "вся номенклатура");
    EXPECT_EQ(stock::groupLabel("Номенклатура", true, false), "товары, не входящие ни в одну из групп");
    EXPECT_EQ(stock::groupLabel("Молоко", false, true), "Молоко, включая подгруппы");
    EXPECT_EQ(stock::groupLabel("Молоко", false, false), "Молоко");
}

TEST(StockSupplierText, OnlyAPositiveNumberIsASupplier) {
    const std::pair<const char*, int> cases[] = {{"12", 12}, {" 7 ", 7}, {"", 0},   {"0", 0},
                                                 {"abc", 0}, {"-3", 0},  {"1.5", 0}};
    for (const auto& [text, id] : cases) EXPECT_EQ(stock::supplierIdFromText(QString::fromUtf8(text)), id) << text;
}

TEST(StockBookQuantity, NormalisesStockThatFitsAndKeepsTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"5", "5.000"}, {"2,5", "2.500"}, {"", ""}, {"abc", "abc"}, {"9999999999", "9999999999"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(stock::bookQuantityText(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

}  // namespace
