#include "catalogue/CatalogueLogic.h"
#include "core/GoodsQueries.h"

#include <gtest/gtest.h>

using namespace catalogue;

TEST(GoodsListQuery, BindsGroupAndFilterAndNeverSplicesTypedText) {
    struct Case {
        std::int64_t group;
        bool wholeBase;
        QString filter;
        NameFilter mode;
        std::vector<fb::Value> params;
        QString condition;
    };
    const QChar e(0x00A4);
    const std::vector<Case> cases = {
        {5, true, QString(), NameFilter::Contains, {}, QStringLiteral("WHERE GOOD_ISGOOD=1 ORDER")},
        {5, false, QString(), NameFilter::Contains, {std::int64_t{5}}, QStringLiteral("GOOD_PARENTGROUP=? ORDER")},
        {0,
         true,
         QStringLiteral("  o'neil "),
         NameFilter::StartsWith,
         {QStringLiteral("O'NEIL")},
         QStringLiteral("STARTING WITH")},
        {0,
         true,
         QStringLiteral("50%"),
         NameFilter::Contains,
         {QStringLiteral("%50") + e + QStringLiteral("%%")},
         QStringLiteral("LIKE")},
        {0,
         true,
         QStringLiteral("a_b"),
         NameFilter::Contains,
         {QStringLiteral("%A") + e + QStringLiteral("_B%")},
         QStringLiteral("LIKE")},
        {0,
         true,
         e + QStringLiteral("x"),
         NameFilter::Contains,
         {QStringLiteral("%") + e + e + QStringLiteral("X%")},
         QStringLiteral("LIKE")},
    };
    for (const Case& c : cases) {
        const GoodsListQuery q = buildGoodsListQuery(c.group, c.wholeBase, c.filter, c.mode);
        EXPECT_EQ(q.params, c.params) << c.filter.toStdString();
        EXPECT_TRUE(q.sql.contains(c.condition)) << q.sql.toStdString();
        EXPECT_FALSE(q.sql.contains(QLatin1Char('?')) && q.params.empty()) << q.sql.toStdString();
    }
}

TEST(GoodsListQuery, FirstOpeningSortsInCyrillicCollationReloadsByNameThenPrice) {
    EXPECT_TRUE(buildGoodsListQuery(0, true, {}, NameFilter::Contains, true)
                    .sql.endsWith(QStringLiteral("ORDER BY GOOD_NAME COLLATE PXW_CYRL")));
    EXPECT_TRUE(buildGoodsListQuery(0, true, {}, NameFilter::Contains)
                    .sql.endsWith(QStringLiteral(" ORDER BY ") + core::kGoodsNamePriceKey));
    EXPECT_TRUE(buildGoodsListQuery(0, true, QStringLiteral("сыр"), NameFilter::StartsWith)
                    .sql.endsWith(QStringLiteral("ORDER BY GOOD_NAME, PRICE_NORM COLLATE PXW_CYRL")));
}

TEST(CatalogueNumbers, NextIdAndRowAfterDelete) {
    EXPECT_EQ(nextGoodsId(std::nullopt), 1);
    EXPECT_EQ(nextGoodsId(41), 42);
    // Deleting the first row leaves the first row current; an emptied list has none.
    EXPECT_EQ(rowAfterDelete(0, 5), 0);
    EXPECT_EQ(rowAfterDelete(3, 5), 2);
    EXPECT_EQ(rowAfterDelete(9, 3), 2);
    EXPECT_EQ(rowAfterDelete(0, 0), -1);
}

TEST(GroupDrop, RefusesTheGroupItselfAndItsDescendantsAndSurvivesLoops) {
    // 1 -> root, 2 -> 1, 3 -> 2, 7 <-> 8 a loop without the root.
    const std::map<std::int64_t, std::int64_t> parents{{1, 0}, {2, 1}, {3, 2}, {7, 8}, {8, 7}};
    const auto parentOf = [&](std::int64_t id) -> std::optional<std::int64_t> {
        const auto it = parents.find(id);
        return it == parents.end() ? std::nullopt : std::optional(it->second);
    };
    EXPECT_FALSE(groupDropAllowed(1, 1, parentOf));
    EXPECT_FALSE(groupDropAllowed(3, 1, parentOf));
    EXPECT_TRUE(groupDropAllowed(0, 3, parentOf));
    EXPECT_TRUE(groupDropAllowed(1, 3, parentOf));
    EXPECT_FALSE(groupDropAllowed(7, 1, parentOf));
}

TEST(GoodsCard, PriceIdAndBarcodeRules) {
    const std::vector<std::pair<QString, std::optional<QString>>> prices = {
        {QStringLiteral("12,5"), QStringLiteral("12.50")},
        {QStringLiteral("0"), QStringLiteral("0.00")},
        {QStringLiteral("-1"), std::nullopt},
        {QStringLiteral("1.2.3"), std::nullopt},
        {QStringLiteral("abc"), std::nullopt},
        {QString(), std::nullopt},
        {QStringLiteral("9999999.99"), QStringLiteral("9999999.99")},
        {QStringLiteral("10000000"), std::nullopt},
        {QStringLiteral("1.005"), QStringLiteral("1.01")},
        {QStringLiteral("184467440737095517"), std::nullopt},
        {QStringLiteral("92233720368547758.08"), std::nullopt},
    };
    for (const auto& [typed, stored] : prices) EXPECT_EQ(normalizePrice(typed), stored) << typed.toStdString();

    EXPECT_EQ(parseGoodsId(QStringLiteral("17")), 17);
    for (const char* bad : {"0", "-5", "12a", ""}) EXPECT_FALSE(parseGoodsId(QLatin1String(bad))) << bad;

    EXPECT_EQ(normalizeBarcode(QStringLiteral(" 46 01\r\n234 ")), QStringLiteral("4601234"));
}

TEST(GoodsCard, PrefillReadsStoredValues) {
    EXPECT_TRUE(fractionalFromGoodW(QStringLiteral(" Да ")));
    EXPECT_TRUE(fractionalFromGoodW(QStringLiteral("1")));
    EXPECT_FALSE(fractionalFromGoodW(QStringLiteral("нет")));
    EXPECT_EQ(vatFromNalog(QStringLiteral("x")), 6);
    EXPECT_EQ(vatFromNalog(QStringLiteral("2")), 2);
    EXPECT_EQ(storedCountryCode(QStringLiteral("156")), 156);
    EXPECT_FALSE(storedCountryCode(QStringLiteral("000")));
    EXPECT_FALSE(storedCountryCode(QStringLiteral("12")));
    EXPECT_EQ(countryDisplay(4, QStringLiteral("Афганистан")), QStringLiteral("(004) Афганистан"));
    EXPECT_EQ(countryCodeText(0), std::nullopt);
    EXPECT_EQ(countryCodeText(31), QStringLiteral("031"));
}

TEST(GoodsCard, PackCountOnlyForMarkedPieceGoodsSoldInFractions) {
    EXPECT_TRUE(packCountVisible(true, 0, true, 4, true));
    EXPECT_FALSE(packCountVisible(true, 0, true, 4, false));
    EXPECT_FALSE(packCountVisible(true, 11, true, 4, true));
    EXPECT_FALSE(packCountVisible(true, 0, true, 0, true));
    EXPECT_FALSE(packCountVisible(false, 0, true, 4, true));
    EXPECT_FALSE(packCountVisible(true, 0, false, 4, true));
}

TEST(GoodsCard, FilterMismatchIsContainmentInAnyCase) {
    EXPECT_FALSE(filterMismatch(QString(), QStringLiteral("Молоко")));
    EXPECT_FALSE(filterMismatch(QStringLiteral(" лок "), QStringLiteral("Молоко")));
    EXPECT_TRUE(filterMismatch(QStringLiteral("хлеб"), QStringLiteral("Молоко")));
}

TEST(Countries, CodeRulesAndQuestions) {
    for (const char* bad : {"12", "1234", "12a", ""}) EXPECT_FALSE(countryCodeValid(QLatin1String(bad))) << bad;
    EXPECT_TRUE(countryCodeValid(QStringLiteral(" 000 ")));
    EXPECT_FALSE(pickableCountry(QStringLiteral("000")));
    EXPECT_EQ(pickableCountry(QStringLiteral("36")), QStringLiteral("036"));
    EXPECT_TRUE(isProtectedCountry(QStringLiteral("643")));
    EXPECT_FALSE(isProtectedCountry(QStringLiteral("840")));
    EXPECT_EQ(deleteCountryQuestion(QStringLiteral("840"), QStringLiteral("США")),
              QStringLiteral("Вы хотите удалить страну  '' США '' ?     "));
    EXPECT_EQ(deleteCountryQuestion(QStringLiteral("156"), QStringLiteral("Китай")),
              QStringLiteral("Удалить из списка запись  '' Китай '' ?     "));
}
