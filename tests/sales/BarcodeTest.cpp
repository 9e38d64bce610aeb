// What a scanned code is (weight barcode, goods barcode, marking codes), the
// contents of weight barcodes, and the goods look-ups behind them on a real
// database: leading zeros, the STARTING WITH fallback, weighed goods.
#include "core/SchemaUpgrade.h"
#include "platform/db/Connection.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/input/BarcodeClassifier.h"
#include "sales/input/GoodsLookup.h"
#include "support/UpgradedDbFixture.h"

#include <gtest/gtest.h>
#include <ibase.h>

#include <string>

using sales::CodeKind;

namespace {

const QSet<int> kPrefixes{21, 22, 2};

TEST(BarcodeClassifier, TellsEachKindOfCode) {
    struct Case {
        const char* code;
        CodeKind kind;
    };
    const Case cases[] = {
        {"1234", CodeKind::TooShort},
        {"12345", CodeKind::Goods},
        {"4600000000017", CodeKind::Goods},
        {"2100123012345", CodeKind::Weight},        // 13 digits, prefix 21
        {"210012301234", CodeKind::Weight},         // 12 digits
        {"0200123012345", CodeKind::Weight},        // "02" reads as prefix 2
        {"2300123012345", CodeKind::Goods},         // prefix 23 is not registered
        {"21001230123", CodeKind::Goods},           // 11 characters: never a weight barcode
        {"2112345", CodeKind::Goods},               // short code under a weight prefix
        {"21001230123A5", CodeKind::Goods},         // not all digits
        {"21001230123456", CodeKind::Goods},        // 14 digits: no weight barcode
        {"00000046198488X.-AbCdEfG1234", CodeKind::Unknown},
        {"00000046198488X.-AbCdEfG12345", CodeKind::TobaccoPack},  // 29 characters
        {"010460000000001721AbC", CodeKind::DataMatrix},
        {"0104600000000017215Gk)sC9V<lXX", CodeKind::DataMatrix},
        {"12345678901234567890", CodeKind::Unknown},  // 20 characters, no "01"
        {"010460000000001722AbC", CodeKind::Unknown},  // no "21" at 17-18
    };
    for (const Case& c : cases)
        EXPECT_EQ(sales::classifyCode(QString::fromLatin1(c.code), kPrefixes), c.kind) << c.code;
}

TEST(WeightBarcode, GoodsNumberAndWeightComeFromTheirPlaces) {
    struct Case {
        const char* code;
        sales::WeightBarcode::Status status;
        int goodsNumber;
        qint64 grams;
    };
    using S = sales::WeightBarcode::Status;
    const Case cases[] = {
        {"2100123012345", S::Ok, 123, 1234},
        {"210012301234", S::Ok, 123, 1234},
        {"2299999999990", S::Ok, 99999, 99999},
        {"2100123000005", S::ZeroWeight, 123, 0},
        {"210012300000", S::ZeroWeight, 123, 0},
        {"21001230123", S::NotWeightBarcode, 0, 0},
        {"21001230A2345", S::NotWeightBarcode, 0, 0},
        {"", S::NotWeightBarcode, 0, 0},
    };
    for (const Case& c : cases) {
        const sales::WeightBarcode w = sales::decodeWeightBarcode(QString::fromLatin1(c.code));
        EXPECT_EQ(w.status, c.status) << c.code;
        if (c.status == S::NotWeightBarcode) continue;
        EXPECT_EQ(w.goodsNumber, c.goodsNumber) << c.code;
        EXPECT_EQ(w.weight.thousandths, c.grams) << c.code;
    }
}

TEST(BarcodeForms, WeighedGoodsAreLookedUpByEveryPaddedNumber) {
    EXPECT_EQ(sales::weighedGoodsBarcodes(123), (QStringList{"123", "0123", "00123"}));
    EXPECT_EQ(sales::weighedGoodsBarcodes(0), (QStringList{"0", "00", "000", "0000", "00000"}));
    EXPECT_TRUE(sales::weighedGoodsBarcodes(100000).isEmpty());
}

TEST(BarcodeForms, MarkingCodesAreLookedUpByTheirGtin) {
    EXPECT_EQ(sales::markingLookupCode(QStringLiteral("00000046198488X.-AbCdEfG12345"), CodeKind::TobaccoPack),
              QStringLiteral("46198488"));
    EXPECT_EQ(sales::markingLookupCode(QStringLiteral("010460000000001721AbC"), CodeKind::DataMatrix),
              QStringLiteral("4600000000017"));
    EXPECT_EQ(sales::codeForMessage(QStringLiteral("123456789012345678901234")), QStringLiteral("123456789012345678901234"));
    EXPECT_EQ(sales::codeForMessage(QStringLiteral("1234567890123456789012345")),
              QStringLiteral("1234567890123456789012..."));
}

// ---------------------------------------------------------------------------

class GoodsLookupTest : public testsupport::UpgradedDbTest {
protected:
    void addGoods(int id, const QString& name, const QString& weighed, int markType, std::optional<int> measure,
                  const QStringList& barcodes, int isGood = 1) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                                   "VALUES (?, ?, '10.00', ?, 'Т', '6', ?, '643', ?, 'шт', ?)"),
                    {std::int64_t{id}, name, weighed, std::int64_t{isGood}, std::int64_t{markType},
                     measure ? fb::Value(std::int64_t{*measure}) : fb::null()});
        for (const QString& b : barcodes)
            fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                        {std::int64_t{id}, b});
        tr.commit();
    }

    static QStringList ids(const std::vector<sales::FoundGoods>& found) {
        QStringList out;
        for (const auto& g : found) out << g.good.id;
        return out;
    }
};

TEST_F(GoodsLookupTest, LeadingZerosAreIgnoredOnBothSides) {
    addGoods(1, QStringLiteral("Молоко"), QStringLiteral("нет"), 0, 0, {QStringLiteral("004600000000017")});
    addGoods(2, QStringLiteral("Кефир"), QStringLiteral("нет"), 0, 0, {QStringLiteral("4600000000024")});
    sales::GoodsLookup lookup(db());
    EXPECT_EQ(ids(lookup.byBarcodeExact(QStringLiteral("4600000000017"))), QStringList{"1"});
    EXPECT_EQ(ids(lookup.byBarcodeExact(QStringLiteral("00004600000000017"))), QStringList{"1"});
    EXPECT_EQ(ids(lookup.byBarcodeExact(QStringLiteral("04600000000024"))), QStringList{"2"});
    EXPECT_TRUE(lookup.byBarcodeExact(QStringLiteral("460000000001")).empty());
    EXPECT_TRUE(lookup.byBarcodeExact(QStringLiteral("00000")).empty());
}

TEST_F(GoodsLookupTest, StartingWithIsTheFallbackAndOrdersByName) {
    addGoods(1, QStringLiteral("Чай"), QStringLiteral("нет"), 0, 0, {QStringLiteral("4600100000001")});
    addGoods(2, QStringLiteral("Арбуз"), QStringLiteral("нет"), 0, 0, {QStringLiteral("04600100000002")});
    addGoods(3, QStringLiteral("Сок"), QStringLiteral("нет"), 0, 0, {QStringLiteral("46001")});
    sales::GoodsLookup lookup(db());
    // An exact match wins over barcodes that only start with the code.
    EXPECT_EQ(ids(lookup.byBarcode(QStringLiteral("46001"))), QStringList{"3"});
    EXPECT_EQ(ids(lookup.byBarcode(QStringLiteral("460010"))), (QStringList{"2", "1"}));
}

namespace {

// The plan the engine chooses for `sql`, as its own text.
std::string planOf(fb::Connection& c, const char* sql) {
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    static const char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed, isc_tpb_rec_version};
    isc_start_transaction(st, &tr, 1, c.handle(), short(sizeof tpb), tpb);
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, c.handle(), &stmt);
    isc_dsql_prepare(st, &tr, &stmt, 0, sql, 3, nullptr);
    std::string plan;
    if (!(st[0] == 1 && st[1])) {
        const char item = isc_info_sql_get_plan;
        char buffer[1024] = {};
        isc_dsql_sql_info(st, &stmt, 1, &item, sizeof buffer, buffer);
        if (buffer[0] == isc_info_sql_get_plan)
            plan.assign(buffer + 3, size_t(isc_vax_integer(buffer + 1, 2)));
    }
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    isc_commit_transaction(st, &tr);
    return plan;
}

}  // namespace

// A scan is one probe of the index on the barcode without its leading zeros
// (and "starts with" a range of it), in fresh and in upgraded databases,
// instead of one probe per zero-padded form of the code.
TEST_F(GoodsLookupTest, BarcodesAreFoundThroughTheIndexOnTheCodeWithoutZeros) {
    addGoods(1, QStringLiteral("Молоко"), QStringLiteral("нет"), 0, 0,
             {QStringLiteral("00000000000000000004600000000017")});
    const char* exact = "SELECT GOODS.GOOD_ID FROM GOODS JOIN GOODS_BARCODE ON GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID + 0 "
                        "WHERE TRIM(LEADING '0' FROM GOOD_BARCODE) = ?";
    const char* prefix = "SELECT GOODS.GOOD_ID FROM GOODS JOIN GOODS_BARCODE ON GOODS.GOOD_ID = GOODS_BARCODE.GOOD_ID + 0 "
                         "WHERE TRIM(LEADING '0' FROM GOOD_BARCODE) STARTING WITH ?";
    for (const char* when : {"fresh", "upgraded"}) {
        if (std::string(when) == "upgraded") {
            exec(QStringLiteral("DROP INDEX IX_GOODS_BARCODE_STRIPPED"));
            core::SchemaUpgrade(db());
        }
        // On a catalogue of one goods item too (statistics or none), the
        // barcode's index leads and the goods follow by their key.
        for (const char* sql : {exact, prefix})
            EXPECT_NE(planOf(db(), sql).find("JOIN (GOODS_BARCODE INDEX (IX_GOODS_BARCODE_STRIPPED), GOODS INDEX"),
                      std::string::npos)
                << when << ": " << planOf(db(), sql);
        sales::GoodsLookup lookup(db());
        EXPECT_EQ(ids(lookup.byBarcode(QStringLiteral("4600000000017"))), QStringList{"1"}) << when;
        EXPECT_EQ(ids(lookup.byBarcode(QStringLiteral("046000000"))), QStringList{"1"}) << when;
    }
}

TEST_F(GoodsLookupTest, OneGoodsWithTwoMatchingBarcodesIsOneChoice) {
    addGoods(1, QStringLiteral("Хлеб"), QStringLiteral("нет"), 0, 0,
             {QStringLiteral("4600000000017"), QStringLiteral("04600000000017")});
    sales::GoodsLookup lookup(db());
    EXPECT_EQ(ids(lookup.byBarcode(QStringLiteral("4600000000017"))), QStringList{"1"});
}

TEST_F(GoodsLookupTest, WeighedGoodsQuerySurvivesBarcodesThatAreNoNumber) {
    addGoods(1, QStringLiteral("Сыр"), QStringLiteral("да"), 0, 11, {QStringLiteral("123"), QString(), QStringLiteral("AB1")});
    addGoods(2, QStringLiteral("Колбаса"), QStringLiteral("ДА"), 0, 11, {QStringLiteral("00123")});
    addGoods(3, QStringLiteral("Печенье"), QStringLiteral("нет"), 0, 0, {QStringLiteral("123")});   // not weighed
    addGoods(4, QStringLiteral("Сыр маркир."), QStringLiteral("да"), 13, 11, {QStringLiteral("123")});  // marked
    addGoods(5, QStringLiteral("Ветчина"), QStringLiteral("1"), 0, 11, {QStringLiteral("123456")});  // too long
    sales::GoodsLookup lookup(db());
    EXPECT_EQ(ids(lookup.weighedByNumber(123)), (QStringList{"2", "1"}));
    EXPECT_TRUE(lookup.weighedByNumber(124).empty());
}

TEST_F(GoodsLookupTest, CodesFindGoodsNotGroupsAndMarkedGtinsOnlyMarkedGoods) {
    addGoods(10, QStringLiteral("Группа"), QString(), 0, std::nullopt, {}, 0);
    addGoods(11, QStringLiteral("Обувь"), QStringLiteral("нет"), 5, 0, {QStringLiteral("4600000000031")});
    addGoods(12, QStringLiteral("Ботинки без марки"), QStringLiteral("нет"), 0, std::nullopt,
             {QStringLiteral("4600000000031")});
    sales::GoodsLookup lookup(db());
    EXPECT_TRUE(lookup.byCode(10).empty());
    ASSERT_EQ(lookup.byCode(12).size(), 1u);
    EXPECT_FALSE(lookup.byCode(12).front().measure.has_value());
    EXPECT_TRUE(lookup.byCode(99999999999LL).empty());
    EXPECT_EQ(ids(lookup.byMarkingGtin(QStringLiteral("04600000000031"), true)), QStringList{"11"});
    EXPECT_EQ(lookup.byMarkingGtin(QStringLiteral("04600000000031"), false).size(), 2u);
    EXPECT_EQ(lookup.barcodesOf(11), QStringList{"4600000000031"});
}

TEST_F(GoodsLookupTest, WeightPrefixesLeaveOutRowsThatAreNoNumber) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES (' 22 ')"));
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('ab')"));
    sales::GoodsLookup lookup(db());
    EXPECT_EQ(lookup.weightPrefixes(), (QSet<int>{21, 22}));
}

TEST_F(GoodsLookupTest, WeightPrefixesAreReadAgainAfterAChangeAndForTheNextSession) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    sales::GoodsLookup lookup(db());
    lookup.prepare();
    EXPECT_EQ(lookup.weightPrefixes(), QSet<int>{21});
    // The goods settings saved a longer list.
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('22')"));
    sales::weightPrefixesChanged();
    EXPECT_EQ(lookup.weightPrefixes(), (QSet<int>{21, 22}));
    // Changed outside the program: the next login sees it.
    exec(QStringLiteral("DELETE FROM BARCODE_WEIGHT_PREFIX WHERE PREF = '21'"));
    lookup.prepare();
    EXPECT_EQ(lookup.weightPrefixes(), QSet<int>{22});
}

}  // namespace
