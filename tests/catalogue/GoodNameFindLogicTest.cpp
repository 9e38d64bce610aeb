#include "catalogue/CatalogueLogic.h"
#include "catalogue/GoodNameFindLogic.h"
#include "core/GoodsQueries.h"

#include <gtest/gtest.h>

using namespace catalogue;

namespace {

const QChar kEsc(0x00A4);

QString esc() {
    return QString(kEsc);
}

}  // namespace

TEST(GoodNameFindLogic, EscapesEveryWildcardAndTheEscapeCharacter) {
    struct Case {
        QString typed;
        QString escaped;
    };
    const Case cases[] = {
        {QStringLiteral("50%"), QStringLiteral("50") + esc() + QStringLiteral("%")},
        {QStringLiteral("a_b"), QStringLiteral("a") + esc() + QStringLiteral("_b")},
        {esc() + QStringLiteral("x"), esc() + esc() + QStringLiteral("x")},
        {QStringLiteral("O'Neil"), QStringLiteral("O'Neil")},
        {QStringLiteral("%_") + esc(), esc() + QStringLiteral("%") + esc() + QStringLiteral("_") + esc() + esc()},
        {QString(), QString()},
    };
    for (const Case& c : cases) EXPECT_EQ(escapeLikeText(c.typed), c.escaped) << c.typed.toStdString();
}

TEST(GoodNameFindLogic, TypedTextTravelsOnlyAsABoundValue) {
    struct Case {
        QString typed;
        bool startsWith;
        bool wholeBase;
        std::int64_t group;
        std::vector<QString> params;  // as text, in order
    };
    const Case cases[] = {
        {QStringLiteral("  мол'око "), true, true, 0, {QStringLiteral("МОЛ'ОКО")}},
        {QStringLiteral("50%"), false, true, 0, {QStringLiteral("%50") + esc() + QStringLiteral("%%")}},
        {QStringLiteral("сок"), false, false, 7, {QStringLiteral("7"), QStringLiteral("%СОК%")}},
        {QStringLiteral("   "), false, false, 3, {QStringLiteral("3")}},
        {QString(), true, true, 0, {}},
    };
    for (const Case& c : cases) {
        const GoodNameFindQuery q = BuildGoodsListQuery(c.typed, c.startsWith, c.wholeBase, c.group);
        SCOPED_TRACE(c.typed.toStdString());
        ASSERT_EQ(q.params.size(), c.params.size());
        for (size_t i = 0; i < q.params.size(); ++i) EXPECT_EQ(fb::toString(q.params[i]), c.params[i]);
        EXPECT_EQ(q.sql.count(QLatin1Char('?')), int(c.params.size()));
        if (!c.typed.trimmed().isEmpty()) {
            EXPECT_FALSE(q.sql.contains(c.typed.trimmed().toUpper()));
        }
        EXPECT_TRUE(q.sql.contains(QStringLiteral(" WHERE GOOD_ISGOOD=1")));
        // Without a name the list is read along the index of its order.
        EXPECT_TRUE(q.sql.endsWith(c.typed.trimmed().isEmpty()
                                       ? QStringLiteral(" ORDER BY ") + core::kGoodsNamePriceKey
                                       : QStringLiteral(" ORDER BY GOOD_NAME, PRICE_NORM COLLATE PXW_CYRL")));
    }
}

TEST(GoodNameFindLogic, MarkTypeFollowsThePaymentMethod) {
    struct Case {
        int flag;
        int mark;
        std::optional<int> effective;
    };
    const Case cases[] = {{1, 4, 0},
                          {2, 5, 0},
                          {3, 13, 0},
                          {4, 4, 4},
                          {4, 0, 0},
                          {0, 4, std::nullopt},
                          {5, 0, std::nullopt},
                          {-1, 0, std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(EffectiveMarkType(c.flag, c.mark), c.effective) << c.flag << " " << c.mark;
}

TEST(GoodNameFindLogic, ForeignGoodsAreRefusedOnlyToABuyerPayingInFull) {
    struct Case {
        int flag;
        bool buyer;
        QString country;
        bool refused;
    };
    const Case cases[] = {
        {4, true, QStringLiteral("156"), true},
        {4, true, QStringLiteral(" 56"), true},
        {4, true, QStringLiteral("643"), false},
        {4, true, QStringLiteral("0"), false},
        {4, true, QString(), false},
        {4, false, QStringLiteral("156"), false},
        {1, true, QStringLiteral("156"), false},
        {3, true, QStringLiteral("156"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ForeignGoodsToBuyerRefused(c.flag, c.buyer, c.country), c.refused)
            << c.flag << c.buyer << c.country.toStdString();
}

TEST(GoodNameFindLogic, ReceiptChecksRunInTheirOrder) {
    const QString longName(50, QChar(u'Ж'));
    struct Case {
        int flag;
        bool buyer;
        QString country;
        std::optional<int> unit;
        int mark;
        ReceiptAddCheck::Outcome outcome;
        QString message;
        bool clearInput;
        int markType;
    };
    const Case cases[] = {
        // The country is looked at before the unit.
        {4, true, QStringLiteral("156"), 13, 4, ReceiptAddCheck::Refuse, foreignGoodsChosenText(), true, 0},
        {4, false, QStringLiteral("156"), 13, 0, ReceiptAddCheck::Refuse, badUnitChosenText(longName), false, 0},
        // The unit is looked at before the payment method.
        {9, false, QString(), 13, 0, ReceiptAddCheck::Refuse, badUnitChosenText(longName), false, 0},
        {9, false, QString(), 0, 0, ReceiptAddCheck::Refuse, unknownPaymentFlagText(), false, 0},
        {2, true, QStringLiteral("156"), 0, 4, ReceiptAddCheck::Add, QString(), false, 0},
        {4, false, QString(), 0, 5, ReceiptAddCheck::Add, QString(), false, 5},
        {4, false, QString(), std::nullopt, 0, ReceiptAddCheck::AskUnit, QString(), false, 0},
        {1, false, QString(), std::nullopt, 4, ReceiptAddCheck::AskUnit, QString(), false, 0},
    };
    for (const Case& c : cases) {
        const ReceiptAddCheck r = CheckReceiptAdd(c.flag, c.buyer, c.country, c.unit, c.mark, longName);
        SCOPED_TRACE(c.flag);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.clearInput, c.clearInput);
        if (c.outcome != ReceiptAddCheck::Refuse) {
            EXPECT_EQ(r.markType, c.markType);
        }
    }
}

TEST(GoodNameFindLogic, ALongNameIsCutInTheUnitMessage) {
    const QString name42(42, QLatin1Char('a'));
    const QString name43 = name42 + QLatin1Char('b');
    EXPECT_TRUE(badUnitChosenText(name42).contains(QStringLiteral("  < ") + name42 + QStringLiteral(" >")));
    EXPECT_TRUE(badUnitChosenText(name43).contains(QStringLiteral("  < ") + name42 + QStringLiteral("... >")));
    EXPECT_FALSE(badUnitChosenText(name43).contains(name43));
}

TEST(GoodNameFindLogic, LayoutByMode) {
    struct Case {
        int mode;
        bool countryShown;
        bool countryHidden, stockHidden, priceHidden, boxVisible, bigFont;
        int grid, window;
        QString stockTitle;
    };
    const Case cases[] = {
        {1, false, true, false, false, true, false, 655, 905, QStringLiteral("Остаток")},
        {1, true, false, false, false, true, false, 750, 1000, QStringLiteral("Остаток")},
        {2, true, false, true, false, false, false, 700, 950, QString()},
        {2, false, false, true, false, false, false, 700, 950, QString()},
        {3, false, false, false, true, false, true, 665, 915, QString()},
    };
    for (const Case& c : cases) {
        const GoodsSearchLayoutSpec s = GoodsSearchLayout(c.mode, c.countryShown);
        SCOPED_TRACE(c.mode * 10 + int(c.countryShown));
        EXPECT_TRUE(s.hidden[ColWeighed]);
        EXPECT_EQ(s.hidden[ColCountry], c.countryHidden);
        EXPECT_EQ(s.hidden[ColStock], c.stockHidden);
        EXPECT_EQ(s.hidden[ColPrice], c.priceHidden);
        EXPECT_EQ(s.countryBoxVisible, c.boxVisible);
        EXPECT_EQ(s.bigFont, c.bigFont);
        EXPECT_EQ(s.gridWidth, c.grid);
        EXPECT_EQ(s.windowWidth, c.window);
        EXPECT_EQ(s.stockTitle, c.stockTitle);
        EXPECT_EQ(s.width[ColName], 325);
        EXPECT_EQ(s.width[ColUnit], 70);
    }
}

TEST(GoodNameFindLogic, CyclicGroupsGiveAFiniteTree) {
    // 5 names itself, 6 and 7 name each other; 1 -> 2 -> 3 reach the root.
    const QList<core::GroupRow> rows{{5, QStringLiteral("сам себе"), 5}, {6, QStringLiteral("A"), 7},
                                     {7, QStringLiteral("B"), 6},        {1, QStringLiteral("Напитки"), 0},
                                     {2, QStringLiteral("Соки"), 1},     {3, QStringLiteral("Яблочные"), 2},
                                     {0, QStringLiteral("ноль"), 0}};
    const QList<core::GroupNode> tree = BuildGroupTree(rows);
    QList<std::int64_t> ids;
    for (const core::GroupNode& n : tree) ids << n.id;
    // The root, the groups reaching it, each once; the loops left out.
    EXPECT_EQ(tree.size(), 5);
    EXPECT_EQ(ids.count(1), 1);
    EXPECT_EQ(ids.count(3), 1);
    EXPECT_FALSE(ids.contains(5));
    EXPECT_FALSE(ids.contains(6));
    EXPECT_FALSE(ids.contains(7));
    for (int i = 1; i < tree.size(); ++i) EXPECT_GE(tree.at(i).parent, 0);
}
