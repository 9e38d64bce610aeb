#include "CatalogueTestSupport.h"

#include "catalogue/CatalogueLogic.h"
#include "catalogue/CatalogueRepository.h"
#include "catalogue/GoodNameFindLogic.h"

#include "core/SchemaUpgrade.h"
#include "platform/db/Error.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;

namespace {

QStringList names(fb::Connection& db, const GoodsListQuery& q) {
    fb::Transaction tr(db);
    fb::Statement s(tr, q.sql);
    s.bindAll(q.params);
    s.execute(tr);
    QStringList out;
    while (s.fetch()) out << s.row().str(QStringLiteral("GOOD_NAME"));
    tr.commit();
    return out;
}

CardRecord card(int id, const QString& name, const QString& price = QStringLiteral("1.00")) {
    CardRecord r;
    r.id = id;
    r.name = name;
    r.price = price;
    r.goodW = QStringLiteral("нет");
    r.type = QStringLiteral("Т");
    r.unitText = QStringLiteral("шт");
    r.unitCode = 0;
    r.vat = QStringLiteral("6");
    return r;
}

}  // namespace

TEST_F(CatalogueDbTest, FilterTextsMatchLiterally) {
    const QChar e(0x00A4);
    goods(1, QStringLiteral("Скидка 50% молоко"));
    goods(2, QStringLiteral("Скидка 500 молоко"));
    goods(3, QStringLiteral("a_b болт"));
    goods(4, QStringLiteral("axb болт"));
    goods(5, QStringLiteral("O'Neil кофе"));
    goods(6, e + QStringLiteral("x знак"));
    goods(7, QStringLiteral("x знак"));
    struct Case {
        QString text;
        NameFilter mode;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("50%"), NameFilter::Contains, {QStringLiteral("Скидка 50% молоко")}},
        {QStringLiteral("a_b"), NameFilter::Contains, {QStringLiteral("a_b болт")}},
        {QStringLiteral("o'neil"), NameFilter::Contains, {QStringLiteral("O'Neil кофе")}},
        {QStringLiteral("O'N"), NameFilter::StartsWith, {QStringLiteral("O'Neil кофе")}},
        {e + QStringLiteral("x"), NameFilter::Contains, {e + QStringLiteral("x знак")}},
        {QStringLiteral("скидка"),
         NameFilter::StartsWith,
         {QStringLiteral("Скидка 50% молоко"), QStringLiteral("Скидка 500 молоко")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(names(db(), buildGoodsListQuery(0, true, c.text, c.mode)), c.expected) << c.text.toStdString();
}

TEST_F(CatalogueDbTest, GroupListAndRootWithoutWholeBaseListsTopLevelOnly) {
    group(1, QStringLiteral("Напитки"));
    goods(2, QStringLiteral("Сок"), 1);
    goods(3, QStringLiteral("Хлеб"), 0);
    EXPECT_EQ(names(db(), buildGoodsListQuery(0, false, {}, NameFilter::Contains)),
              QStringList{QStringLiteral("Хлеб")});
    EXPECT_EQ(names(db(), buildGoodsListQuery(1, false, {}, NameFilter::Contains)), QStringList{QStringLiteral("Сок")});
    EXPECT_EQ(names(db(), buildGoodsListQuery(1, true, {}, NameFilter::Contains, true)).size(), 2);
}

TEST_F(CatalogueDbTest, NewIdsAreSharedByGoodsAndGroups) {
    CatalogueRepository repo(db());
    EXPECT_EQ(repo.nextGoodsId(), 1);
    EXPECT_EQ(repo.maxGoodIdFromProcedure(), 1);
    group(1, QStringLiteral("Группа"));
    EXPECT_EQ(repo.nextGoodsId(), 2);
    goods(7, QStringLiteral("Товар"));
    EXPECT_EQ(repo.maxGoodIdFromProcedure(), 8);
}

TEST_F(CatalogueDbTest, BarcodesComeInStoredOrderAndDuplicatesNameTheOtherGoods) {
    goods(7, QStringLiteral("Чай"));
    goods(8, QStringLiteral("Кофе"));
    barcode(7, QStringLiteral("4600000000002"));
    barcode(7, QStringLiteral("1111"));
    CatalogueRepository repo(db());
    EXPECT_EQ(repo.barcodes(7), (QStringList{QStringLiteral("4600000000002"), QStringLiteral("1111")}));
    EXPECT_TRUE(repo.barcodes(8).isEmpty());

    const auto dup = repo.findDuplicateBarcode({QStringLiteral(" "), QStringLiteral("1111")}, 8);
    ASSERT_TRUE(dup);
    EXPECT_EQ(dup->index, 1);
    EXPECT_EQ(dup->goodId, 7);
    EXPECT_EQ(dup->goodName, QStringLiteral("Чай"));
    EXPECT_FALSE(repo.findDuplicateBarcode({QStringLiteral("1111")}, 7));
    EXPECT_FALSE(repo.findDuplicateBarcode({QStringLiteral("x'1")}, 8));
}

TEST_F(CatalogueDbTest, SavingReplacesBarcodesAndKeepsValuesAsGiven) {
    goods(5, QStringLiteral("Старое"));
    barcode(5, QStringLiteral("111"));
    barcode(5, QStringLiteral("222"));
    CatalogueRepository repo(db());
    CardRecord r = card(5, QStringLiteral("O'Neil"), QStringLiteral("12.50"));
    r.country = QStringLiteral("999");  // no COUNTRIES row: kept all the same
    r.type = QStringLiteral("СПР");
    r.markType = 7;
    ASSERT_EQ(repo.saveGood(2, 5, r, {QStringLiteral("333"), QString(), QStringLiteral("444")}).outcome,
              SaveOutcome::Saved);
    EXPECT_EQ(barcodesOf(5), (QStringList{QStringLiteral("333"), QStringLiteral("444")}));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("O'Neil"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_COUNTRY_CODE")), QStringLiteral("999"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_TYPE")), QStringLiteral("СПР"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_MARKTYPE")), QStringLiteral("7"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_PACKCOUNT")), QString());

    // A new good on an existing ID fails on the key.
    EXPECT_EQ(repo.saveGood(1, 5, card(5, QStringLiteral("Дубль")), {}).outcome, SaveOutcome::RowFailed);
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("O'Neil"));
}

TEST_F(CatalogueDbTest, ChangedIdMovesToAFreeNumberOnlyAndNeverOverwrites) {
    goods(5, QStringLiteral("Пятый"));
    goods(6, QStringLiteral("Шестой"));
    barcode(5, QStringLiteral("555"));
    barcode(6, QStringLiteral("666"));
    CatalogueRepository repo(db());
    EXPECT_EQ(repo.saveGood(2, 5, card(6, QStringLiteral("Пятый")), {QStringLiteral("555")}).outcome,
              SaveOutcome::IdTaken);
    EXPECT_EQ(column(6, QStringLiteral("GOOD_NAME")), QStringLiteral("Шестой"));
    EXPECT_EQ(barcodesOf(6), QStringList{QStringLiteral("666")});
    EXPECT_EQ(barcodesOf(5), QStringList{QStringLiteral("555")});

    ASSERT_EQ(repo.saveGood(2, 5, card(9, QStringLiteral("Девятый")), {QStringLiteral("555")}).outcome,
              SaveOutcome::Saved);
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
    EXPECT_EQ(column(9, QStringLiteral("GOOD_NAME")), QStringLiteral("Девятый"));
    EXPECT_EQ(barcodesOf(9), QStringList{QStringLiteral("555")});
    EXPECT_TRUE(barcodesOf(5).isEmpty());

    // The row opened was deleted meanwhile: no success is reported.
    EXPECT_EQ(repo.saveGood(2, 42, card(42, QStringLiteral("Нет")), {}).outcome, SaveOutcome::RowFailed);
    EXPECT_TRUE(barcodesOf(42).isEmpty());
}

TEST_F(CatalogueDbTest, FailedBarcodeSaveLeavesRowAndBarcodesAsTheyWere) {
    goods(5, QStringLiteral("Прежнее"), 0, QStringLiteral("3.00"));
    barcode(5, QStringLiteral("111"));
    CatalogueRepository repo(db());
    // Longer than GOOD_BARCODE holds: the engine refuses the second row.
    const SaveResult res = repo.saveGood(2, 5, card(5, QStringLiteral("Новое"), QStringLiteral("4.00")),
                                         {QStringLiteral("222"), QString(40, QLatin1Char('9'))});
    EXPECT_EQ(res.outcome, SaveOutcome::BarcodeRowFailed);
    EXPECT_FALSE(res.detail.isEmpty());
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("Прежнее"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_PRICE")), QStringLiteral("3.00"));
    EXPECT_EQ(barcodesOf(5), QStringList{QStringLiteral("111")});
}

TEST_F(CatalogueDbTest, DeletingGoodsAndGroups) {
    group(1, QStringLiteral("Полная"));
    group(2, QStringLiteral("Пустая"), 1);
    goods(3, QStringLiteral("Товар"), 1);
    barcode(3, QStringLiteral("333"));
    CatalogueRepository repo(db());
    EXPECT_TRUE(repo.groupHasContents(1));
    EXPECT_FALSE(repo.groupHasContents(2));
    repo.deleteGroup(2);
    EXPECT_EQ(column(2, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
    repo.deleteGood(3);
    EXPECT_EQ(column(3, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
    EXPECT_TRUE(barcodesOf(3).isEmpty());
    EXPECT_FALSE(repo.groupHasContents(1));
}

namespace {

// Each thing that names a goods code after the fact, written for code `id`.
struct CodeReference {
    const char* what;
    QString insert;
    IdUse use;
};

std::vector<CodeReference> referencesTo(int id) {
    const QString n = QString::number(id);
    return {
        {"receipt line",
         QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (900, %1, 'x')").arg(n),
         IdUse::DocumentLines},
        {"stock document line",
         QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (951, %1, 'x')").arg(n),
         IdUse::StockLines},
        {"lot", QStringLiteral("INSERT INTO PORTIONS (P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_CONFIRM) VALUES (951, %1, '5', 1)").arg(n),
         IdUse::Lots},
        {"working list", QStringLiteral("INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (%1, 'x')").arg(n), IdUse::WorkingList},
    };
}

}  // namespace

TEST_F(CatalogueDbTest, GoodsThatHistoryNamesAreNeverDeletedAndTheirCodesNeverReused) {
    exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE) VALUES (900, 3)"));
    exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE) VALUES (951, 51)"));
    CatalogueRepository repo(db());
    const std::vector<CodeReference> refs = referencesTo(3);
    const std::vector<CodeReference> orphans = referencesTo(205);
    for (size_t i = 0; i < refs.size(); ++i) {
        const CodeReference& ref = refs[i];
        SCOPED_TRACE(ref.what);
        goods(3, QStringLiteral("Молоко"));
        barcode(3, QStringLiteral("333"));
        goods(204, QStringLiteral("Последний"));
        exec(ref.insert);
        EXPECT_EQ(repo.codeUse(3), ref.use);
        EXPECT_EQ(repo.deleteGood(3), ref.use);
        EXPECT_EQ(column(3, QStringLiteral("GOOD_NAME")), QStringLiteral("Молоко"));
        EXPECT_EQ(barcodesOf(3), QStringList{QStringLiteral("333")});

        // A code left behind by an item deleted before (the history names
        // 205 and 206, no item has them) goes to no new item or group.
        exec(orphans[i].insert);
        exec(QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID) VALUES (900, 206)"));
        EXPECT_EQ(repo.nextGoodsId(), 207);
        EXPECT_EQ(repo.maxGoodIdFromProcedure(), 207);
        const SaveResult typed = repo.saveGood(1, 205, card(205, QStringLiteral("Кефир 1%")), {});
        EXPECT_EQ(typed.outcome, SaveOutcome::IdNamedByHistory);
        EXPECT_EQ(typed.use, ref.use);
        EXPECT_EQ(column(205, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
        // Nor does another item take it by a change of its code.
        const SaveResult renumbered = repo.saveGood(2, 204, card(205, QStringLiteral("Последний")), {});
        EXPECT_EQ(renumbered.outcome, SaveOutcome::IdNamedByHistory);
        EXPECT_EQ(renumbered.use, ref.use);
        EXPECT_EQ(column(205, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
        EXPECT_EQ(column(204, QStringLiteral("GOOD_NAME")), QStringLiteral("Последний"));

        exec(QStringLiteral("DELETE FROM DOCUMENTS_DETAIL"));
        exec(QStringLiteral("DELETE FROM PORTIONS"));
        exec(QStringLiteral("DELETE FROM GOODS_TEMP"));
        // Nothing names it any more: the item goes, and so does its code.
        EXPECT_EQ(repo.codeUse(3), std::nullopt);
        EXPECT_EQ(repo.deleteGood(3), std::nullopt);
        EXPECT_EQ(column(3, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
        EXPECT_TRUE(barcodesOf(3).isEmpty());
        EXPECT_EQ(repo.nextGoodsId(), 205);
        exec(QStringLiteral("DELETE FROM GOODS"));
    }
}

TEST_F(CatalogueDbTest, WhatNamesAGoodsCodeIsFoundThroughTheIndexesOnTheCode) {
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    fb::Statement s(tr, core::GoodsCodeHistory::lookupSql());
    const QString plan = s.plan();
    for (const char* index : {"IX_DOCUMENTS_DETAIL_GOOD", "IX_PORTIONS_GOOD", "IX_GOODS_TEMP_GOOD"})
        EXPECT_TRUE(plan.contains(QLatin1String(index))) << index << " " << plan.toStdString();
    // Only the one-row system table is read whole.
    EXPECT_EQ(plan.count(QLatin1String("NATURAL")), 1) << plan.toStdString();
    EXPECT_TRUE(plan.contains(QLatin1String("RDB$DATABASE NATURAL"))) << plan.toStdString();

    // The same rows asked of a whole catalogue (the goods file's delete-all
    // command): one probe per goods row, no table of the history read whole.
    fb::Statement sweep(tr, QStringLiteral("SELECT G.GOOD_ID FROM GOODS G WHERE NOT ") +
                                core::goodsCodeNamedCondition(QStringLiteral("G.GOOD_ID")));
    const QString sweepPlan = sweep.plan();
    for (const char* index : {"IX_DOCUMENTS_DETAIL_GOOD", "IX_PORTIONS_GOOD", "IX_GOODS_TEMP_GOOD"})
        EXPECT_TRUE(sweepPlan.contains(QLatin1String(index))) << index << " " << sweepPlan.toStdString();
    EXPECT_EQ(sweepPlan.count(QLatin1String("NATURAL")), 1) << sweepPlan.toStdString();
}

TEST_F(CatalogueDbTest, CountriesAreWrittenThroughTheSharedProcedureAndCodesStayUnique) {
    CatalogueRepository repo(db());
    const std::int64_t china = repo.insertCountry(QStringLiteral("156"), QStringLiteral("Китай"));
    const std::int64_t usa = repo.insertCountry(QStringLiteral("840"), QStringLiteral("США"));
    EXPECT_NE(china, usa);
    EXPECT_THROW(repo.insertCountry(QStringLiteral("156"), QStringLiteral("Дубль")), fb::Error);
    EXPECT_THROW(repo.updateCountry(usa, QStringLiteral("156"), QStringLiteral("США")), fb::Error);
    repo.updateCountry(usa, QStringLiteral("841"), QStringLiteral("Штаты"));
    repo.deleteCountry(china);
    fb::Transaction tr(db());
    const auto rows = fb::query(tr, QStringLiteral("SELECT COUNTRY_CODE, COUNTRY_NAME FROM COUNTRIES"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].str(QStringLiteral("COUNTRY_CODE")), QStringLiteral("841"));
    EXPECT_EQ(rows[0].str(QStringLiteral("COUNTRY_NAME")), QStringLiteral("Штаты"));
}

TEST_F(CatalogueDbTest, WholeListsReadAlongTheIndexOfTheirOrder) {
    // Names that differ by case, by a trailing blank, as prefixes; prices
    // whose text order differs from the padded order; an absent price.
    const std::vector<std::pair<QString, QString>> rows{
        {"Сыр", "100.00"}, {"Сыр", "99.00"}, {"сыр", "5.00"},   {"Сыр ", "7.00"}, {"Сыр", "7.50"},
        {"Сы", "1.00"},    {"Сырок", "1.00"}, {"Ёж", "1.00"},   {"Яблоко", "2.00"}, {"", "3.00"},
        {"Сыр", {}},       {"Apple", "1.00"}, {"apple", "0.50"}, {"Ель", "1.00"}};
    for (int i = 0; i < int(rows.size()); ++i) goods(i + 1, rows[size_t(i)].first, 0, rows[size_t(i)].second);
    exec(QStringLiteral("UPDATE GOODS SET GOOD_PRICE = NULL WHERE GOOD_PRICE = ''"));

    auto read = [&](const QString& sql, const std::vector<fb::Value>& params, QString* plan) {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        fb::Statement s(tr, sql);
        if (plan) *plan = s.plan();
        s.bindAll(params);
        s.execute(tr);
        std::vector<int> ids;
        while (s.fetch()) ids.push_back(s.row().integer(QStringLiteral("GOOD_ID")));
        return ids;
    };
    // The lists' order as they always sorted it: by name, then by the
    // price text padded with zeros.
    auto sorted = [&](const QString& sql, const std::vector<fb::Value>& params) {
        return read(sql.left(sql.lastIndexOf(QStringLiteral(" ORDER BY "))) +
                        QStringLiteral(" ORDER BY GOOD_NAME, PRICE_NORM COLLATE PXW_CYRL"),
                    params, nullptr);
    };

    struct Case {
        const char* what;
        QString sql;
        std::vector<fb::Value> params;
        const char* index;
        bool sameAsSorted;
    };
    const GoodsListQuery first = buildGoodsListQuery(0, true, {}, NameFilter::Contains, true);
    const GoodsListQuery reload = buildGoodsListQuery(0, true, {}, NameFilter::Contains);
    const GoodsListQuery group = buildGoodsListQuery(0, false, {}, NameFilter::Contains);
    const GoodNameFindQuery search = BuildGoodsListQuery({}, true, true, 0);
    const Case cases[] = {
        {"first opening", first.sql, first.params, "ORDER IX_GOODS_NAME_CYRL", false},
        {"reload", reload.sql, reload.params, "ORDER IX_GOODS_NAME_PRICE", true},
        {"group", group.sql, group.params, "ORDER IX_GOODS_NAME_PRICE", true},
        {"name search", search.sql, search.params, "ORDER IX_GOODS_NAME_PRICE", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString plan;
        const std::vector<int> ids = read(c.sql, c.params, &plan);
        EXPECT_TRUE(plan.contains(QLatin1String(c.index))) << plan.toStdString();
        EXPECT_FALSE(plan.contains(QLatin1String("SORT"))) << plan.toStdString();
        EXPECT_EQ(ids.size(), rows.size());
        if (c.sameAsSorted) {
            EXPECT_EQ(ids, sorted(c.sql, c.params));
        }
    }
}

namespace {
class CatalogueSchemaTest : public testsupport::DbTest {};
}  // namespace

TEST_F(CatalogueSchemaTest, RepeatedCountryCodesNeitherStopTheUpgradeNorRepeatGoodsInTheLists) {
    exec(QStringLiteral("DROP INDEX IX_COUNTRIES_CODE"));
    exec(QStringLiteral("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('643', 'Россия')"));
    exec(QStringLiteral("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('643', 'РФ')"));
    exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE) "
                        "VALUES (1, 'Кефир', 1, 0, '643')"));
    auto indexed = [&] {
        fb::Transaction tr(db());
        return fb::queryOne(tr, QStringLiteral("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME='IX_COUNTRIES_CODE'"))
            .has_value();
    };
    auto listed = [&](const QString& sql, const std::vector<fb::Value>& params) {
        fb::Transaction tr(db());
        fb::Statement st(tr, sql);
        st.bindAll(params);
        st.execute(tr);
        QStringList names;
        while (st.fetch()) names << st.row().str(QStringLiteral("COUNTRY_NAME"));
        return names;
    };
    ASSERT_NO_THROW(core::SchemaUpgrade(db()));
    EXPECT_FALSE(indexed());
    const GoodsListQuery catalogue = buildGoodsListQuery(0, true, QString(), NameFilter::Contains, true);
    EXPECT_EQ(listed(catalogue.sql, catalogue.params), QStringList{QStringLiteral("Россия")});
    const GoodNameFindQuery search = BuildGoodsListQuery(QStringLiteral("кеф"), false, true, 0);
    EXPECT_EQ(listed(search.sql, search.params), QStringList{QStringLiteral("Россия")});
    CatalogueRepository repo(db());
    EXPECT_EQ(repo.countryWithCode(QStringLiteral("643"), 0), QStringLiteral("Россия"));
    EXPECT_EQ(repo.countryWithCode(QStringLiteral("156"), 0), std::nullopt);

    // Once the repeat is gone the next start makes the code unique.
    exec(QStringLiteral("DELETE FROM COUNTRIES WHERE COUNTRY_NAME='РФ'"));
    core::SchemaUpgrade(db());
    EXPECT_TRUE(indexed());
    EXPECT_THROW(repo.insertCountry(QStringLiteral("643"), QStringLiteral("Дубль")), fb::Error);
}

TEST_F(CatalogueSchemaTest, UpgradeGivesOlderDatabasesTheNameIndexesAndTheProcedures) {
    exec(QStringLiteral("DROP INDEX IX_GOODS_NAME_UPPER"));
    exec(QStringLiteral("DROP INDEX IX_GOODS_NAME"));
    exec(QStringLiteral("DROP PROCEDURE BARCODE_RECEIVING_PROC"));
    core::SchemaUpgrade(db());
    fb::Transaction tr(db());
    for (const char* index : {"IX_GOODS_NAME", "IX_GOODS_NAME_UPPER"})
        EXPECT_TRUE(fb::queryOne(tr, QStringLiteral("SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME=?"),
                                 {QLatin1String(index)}))
            << index;
    for (const char* proc : {"GOODS_IO_PROC", "BARCODE_IO_PROC", "BARCODE_RECEIVING_PROC", "GOOD_DELETE",
                             "MAX_GOOD_ID_PROC", "PARENTGROUP_CHANGE_PROC"})
        EXPECT_TRUE(fb::queryOne(tr, QStringLiteral("SELECT 1 FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME=?"),
                                 {QLatin1String(proc)}))
            << proc;
    tr.commit();
}
