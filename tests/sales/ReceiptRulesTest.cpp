#include "sales/receipt/ReceiptRules.h"

#include "ReceiptTestRows.h"

#include <gtest/gtest.h>

using namespace sales;
using sales::testing::addRow;
using sales::testing::RowSpec;

TEST(NumericKeyFilter, AppendOnlyStateMachine) {
    struct Case {
        const char* text;
        int maxLen;
        int decimals;
        char key;
        const char* result;
    } cases[] = {
        {"", 10, 2, '5', "5"},        {"", 10, 2, '0', "0"},          {"0", 10, 2, '0', "0"},
        {"0", 10, 2, '7', "7"},       {"12", 10, 2, '0', "120"},      {"", 10, 2, '.', "0."},
        {"0", 10, 2, ',', "0."},      {"12", 10, 2, '.', "12."},      {"12.", 10, 2, '.', "12."},
        {"12", 10, 0, '.', "12"},     {"1.25", 10, 2, '3', "1.25"},   {"1.2", 10, 2, '3', "1.23"},
        {"1.2", 10, 2, ',', "1.2"},   {"0.", 10, 2, '0', "0.0"},      {"1234567890", 10, 2, '1', "1234567890"},
        {"12", 2, 0, '3', "12"},      {"0", 1, 0, '5', "5"},          {"12", 10, 2, 'a', "12"},
        {"12", 10, 2, '-', "12"},     {"12", 10, 2, ' ', "12"},       {"1.", 10, 3, '0', "1.0"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        const NumericKeyResult r = FilterNumericKey(text, c.maxLen, c.decimals, QLatin1Char(c.key));
        EXPECT_EQ(r.text, QString::fromLatin1(c.result)) << c.text << " + '" << c.key << "'";
        EXPECT_EQ(r.changed, r.text != text);
        if (c.key == ',') {
            EXPECT_EQ(r.key, QLatin1Char('.'));
        }
    }
}

TEST(ReceiptHelpers, StripsLineBreaksAndBlanksAndFindsSerials) {
    EXPECT_EQ(StripCrLfSpaces(QStringLiteral(" 12 34\r\n5\n")), QStringLiteral("12345"));
    EXPECT_EQ(StripCrLfSpaces(QStringLiteral("\tA")), QStringLiteral("\tA"));
    QStringList noSerial(10);
    QStringList withSerial(10);
    withSerial[2] = QStringLiteral("abc");
    QStringList blankSerial(10);
    blankSerial[2] = QStringLiteral("   ");
    EXPECT_FALSE(HasFilledLineText({noSerial, blankSerial}));
    EXPECT_TRUE(HasFilledLineText({noSerial, withSerial}));
    EXPECT_FALSE(HasFilledLineText({}));
}

TEST(TobaccoPrice, SettingReadsRuleAndAmount) {
    struct Case {
        QString value;
        int rule;
        const char* amount;
    } cases[] = {
        {QStringLiteral("2¤10"), 2, "10"}, {QStringLiteral("3¤ 7.5 "), 3, "7.5"}, {QStringLiteral("0"), 0, ""},
        {QStringLiteral(""), 1, ""},       {QStringLiteral("x¤5"), 1, "5"},       {QStringLiteral(" 1 "), 1, ""},
        {QStringLiteral("2¤"), 2, ""},
    };
    for (const auto& c : cases) {
        const TobaccoPriceSetting s = TobaccoPriceSetting::parse(c.value);
        EXPECT_EQ(s.rule, c.rule) << c.value.toStdString();
        EXPECT_EQ(s.amount, QString::fromLatin1(c.amount)) << c.value.toStdString();
    }
}

TEST(TobaccoPrice, RuleTable) {
    struct Case {
        int rule;
        const char* amount;
        const char* dbPrice;
        char16_t pack;
        std::int64_t mrp;
        const char* price;
    } cases[] = {
        {0, "", "95.5", TobaccoUnitPack, 15000, "95.50"},   {0, "", "95,5", TobaccoGroupPack, 15000, "955.00"},
        {0, "", "abc", TobaccoUnitPack, 15000, "abc"},      {1, "", "95.5", TobaccoUnitPack, 15000, "150.00"},
        {1, "", "95.5", TobaccoGroupPack, 15000, "150.00"}, {2, "10", "95.5", TobaccoUnitPack, 15000, "135.00"},
        {2, "10", "95.5", TobaccoGroupPack, 15000, "135.00"}, {2, "7.5", "", TobaccoUnitPack, 9999, "92.49"},
        {3, "5", "", TobaccoUnitPack, 15000, "145.00"},     {3, "5", "", TobaccoGroupPack, 15000, "100.00"},
        {3, "x", "", TobaccoUnitPack, 15000, "150.00"},     {7, "5", "1.00", TobaccoUnitPack, 15000, "150.00"},
        {-1, "", "1.00", TobaccoGroupPack, 12345, "123.45"},
    };
    for (const auto& c : cases) {
        const TobaccoPriceSetting setting{c.rule, QString::fromLatin1(c.amount)};
        const QString price = ApplyTobaccoPriceRule(4, QString::fromLatin1(c.dbPrice), QChar(c.pack),
                                                    QStringLiteral("old"), Money{c.mrp}, setting);
        EXPECT_EQ(price, QString::fromLatin1(c.price)) << "rule " << c.rule << " pack " << char(c.pack);
    }
    // Other mark types keep the price they have.
    EXPECT_EQ(ApplyTobaccoPriceRule(5, QStringLiteral("1.00"), QChar(TobaccoUnitPack), QStringLiteral("old"),
                                    Money{15000}, TobaccoPriceSetting{}),
              QStringLiteral("old"));
}

TEST(TobaccoPrice, LimitsAtTheBoundaries) {
    struct Limit {
        std::int64_t mrp;
        std::int64_t minimum;
    } limits[] = {{10000, 7501}, {10001, 7501}, {10002, 7502}, {10003, 7503}, {15000, 11251}, {0, 1}};
    for (const auto& l : limits) {
        EXPECT_EQ(tobaccoPriceLimits(Money{l.mrp}).minimum.kopecks, l.minimum) << l.mrp;
        EXPECT_EQ(tobaccoPriceLimits(Money{l.mrp}).maximum.kopecks, l.mrp);
    }
    struct Case {
        const char* price;
        std::int64_t mrp;
        bool allowed;
    } cases[] = {
        {"75.00", 10000, false}, {"75.008", 10000, false}, {"75.009", 10000, true}, {"75.01", 10000, true},
        {"100.00", 10000, true}, {"100.001", 10000, true}, {"100.002", 10000, false}, {"100.01", 10000, false},
        {"75.01", 10002, false}, {"75.02", 10002, true},   {"0.01", 0, false},      {"0", 0, false},
        {"abc", 10000, false},   {"", 10000, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tobaccoPriceAllowed(QString::fromLatin1(c.price), Money{c.mrp}), c.allowed)
            << c.price << " of MRP " << c.mrp;
    }
}

namespace {

const ReceiptContext kSale{QStringLiteral("ПРИХОД"), false};

SameGoodPriceInput block(const char* serial, int rule = 1) {
    SameGoodPriceInput in;
    in.good = GoodRecord{QStringLiteral("77"), QStringLiteral("Сигареты"), QStringLiteral("140.00"), QStringLiteral("0"),
                         QStringLiteral("Т"), QStringLiteral(" 643 "), QStringLiteral("4"), QStringLiteral("0"),
                         QStringLiteral(" 1 ")};
    in.gtin = QStringLiteral("4600000000001");
    in.serial = QString::fromLatin1(serial);
    in.mrp = Money{15000};
    in.setting = TobaccoPriceSetting{rule, QString()};
    return in;
}

}  // namespace

TEST(TobaccoBlock, NewRowCarriesTheGoodsTaxDataAndAnIncrementFollows) {
    ReceiptModel m;
    // A freed row full of an annulled position's data is the one reused.
    for (int c = 0; c < ReceiptModel::ColumnCount; ++c) m.setCell(1, c, QStringLiteral("old"));
    for (int i = 0; i < ReceiptModel::AttrCount; ++i) m.setAttr(1, i, QStringLiteral("old"));
    m.setCell(1, ReceiptModel::ColStatus, QStringLiteral("E"));

    SameGoodPriceInput first = block("AAAAAAA");
    const SameGoodPriceDecision d1 = CheckSameGoodPrice(m, kSale, first);
    ASSERT_EQ(d1.outcome, SameGoodPriceDecision::Outcome::NewRow);
    EXPECT_EQ(d1.price, QStringLiteral("150.00"));
    EXPECT_FALSE(d1.cancelReceiptDiscount);
    EXPECT_TRUE(d1.addsUnit());
    const SameGoodPriceResult r1 = applySameGoodPrice(m, kSale, first, d1);
    ASSERT_EQ(r1.row, 1);
    EXPECT_EQ(m.status(1), QStringLiteral("A"));
    EXPECT_EQ(m.cell(1, ReceiptModel::ColKind), QStringLiteral("P"));
    EXPECT_EQ(m.cell(1, ReceiptModel::ColQty), QStringLiteral("1"));
    EXPECT_EQ(m.cell(1, ReceiptModel::ColCountry), QStringLiteral("643"));
    EXPECT_EQ(m.cell(1, ReceiptModel::ColCustoms), QString());
    EXPECT_EQ(m.attr(1, ReceiptModel::AttrBasePrice), QStringLiteral("150.00"));
    EXPECT_EQ(m.attr(1, ReceiptModel::AttrMarkType), QStringLiteral("4"));
    EXPECT_EQ(m.attr(1, ReceiptModel::AttrVat), QStringLiteral("1"));
    EXPECT_EQ(m.attr(1, ReceiptModel::AttrMeasure), QStringLiteral("0"));
    EXPECT_EQ(m.attr(1, ReceiptModel::AttrSavedKind), QString());
    EXPECT_EQ(r1.recalc.totalText, QStringLiteral("150.00 "));

    SameGoodPriceInput second = block("BBBBBBB");
    second.markedUnits = {{first.gtin, first.serial}};
    const SameGoodPriceDecision d2 = CheckSameGoodPrice(m, kSale, second);
    ASSERT_EQ(d2.outcome, SameGoodPriceDecision::Outcome::IncrementRow);
    EXPECT_EQ(d2.row, 1);
    const SameGoodPriceResult r2 = applySameGoodPrice(m, kSale, second, d2);
    EXPECT_EQ(m.cell(1, ReceiptModel::ColQty), QStringLiteral("2"));
    EXPECT_EQ(r2.recalc.totalText, QStringLiteral("300.00 "));
}

TEST(TobaccoBlock, RefusalsChangeNothing) {
    ReceiptModel m;
    SameGoodPriceInput first = block("AAAAAAA");
    applySameGoodPrice(m, kSale, first, CheckSameGoodPrice(m, kSale, first));

    // The same unit again, its GTIN written without the leading zero.
    SameGoodPriceInput again = block("AAAAAAA");
    again.gtin = QStringLiteral("04600000000001");
    again.markedUnits = {{QStringLiteral("4600000000001"), QStringLiteral("AAAAAAA")}};
    const ReceiptModel before = m;
    const SameGoodPriceDecision dup = CheckSameGoodPrice(m, kSale, again);
    EXPECT_EQ(dup.outcome, SameGoodPriceDecision::Outcome::DuplicateSerial);
    ASSERT_TRUE(dup.message.has_value());
    EXPECT_EQ(dup.message->text, receiptMessage(ReceiptMessageId::SerialAlreadyInReceipt).text);
    EXPECT_FALSE(dup.addsUnit());
    applySameGoodPrice(m, kSale, again, dup);
    EXPECT_TRUE(m.sameContent(before));

    // Rule 0 makes a block ten times the pack price: above the MRP.
    m.setReceiptDiscount(QStringLiteral("S"), QStringLiteral("1"));
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    const ReceiptModel discounted = m;
    const SameGoodPriceInput dear = block("CCCCCCC", 0);
    const SameGoodPriceDecision refused = CheckSameGoodPrice(m, kSale, dear);
    EXPECT_EQ(refused.outcome, SameGoodPriceDecision::Outcome::Refused);
    EXPECT_EQ(refused.price, QStringLiteral("1400.00"));
    EXPECT_FALSE(refused.cancelReceiptDiscount);  // refused before the discount is looked at
    ASSERT_TRUE(refused.message.has_value());
    EXPECT_EQ(refused.message->icon, ReceiptMessageIcon::Error);
    applySameGoodPrice(m, kSale, dear, refused);
    EXPECT_TRUE(m.sameContent(discounted));
}

TEST(TobaccoBlock, PriceConflictDropsTheReceiptDiscountAndNamesBothPrices) {
    ReceiptModel m;
    addRow(m, {QStringLiteral("77"), QStringLiteral("P"), QStringLiteral("140.00"), QStringLiteral("1")});
    m.setReceiptDiscount(QStringLiteral("P"), QStringLiteral("10"));
    ASSERT_TRUE(RecalcReceipt(m, kSale).ok());
    ASSERT_EQ(m.cell(1, ReceiptModel::ColPrice), QStringLiteral("126.00"));

    const SameGoodPriceInput in = block("DDDDDDD");
    const SameGoodPriceDecision d = CheckSameGoodPrice(m, kSale, in);
    ASSERT_EQ(d.outcome, SameGoodPriceDecision::Outcome::PriceConflict);
    EXPECT_TRUE(d.cancelReceiptDiscount);
    EXPECT_EQ(d.row, 1);
    EXPECT_EQ(d.rowPrice, QStringLiteral("140.00"));  // as shown once the discount is gone
    ASSERT_TRUE(d.message.has_value());
    EXPECT_EQ(d.message->text, priceConflictMessage(QStringLiteral("150.00"), 1, QStringLiteral("140.00")).text);
    EXPECT_TRUE(d.message->text.endsWith(QStringLiteral(
        "Добавляемая единица: цена 150.00 руб.\r\nПозиция в чеке (строка 1): цена за ед. 140.00 руб.")));
    EXPECT_FALSE(d.addsUnit());
    EXPECT_EQ(m.cell(1, ReceiptModel::ColPrice), QStringLiteral("126.00"));  // deciding changes nothing

    const SameGoodPriceResult r = applySameGoodPrice(m, kSale, in, d);
    EXPECT_EQ(r.row, 0);
    EXPECT_TRUE(r.positionDiscountEnabled);
    EXPECT_EQ(m.receiptDiscountKind(), QLatin1Char('N'));
    EXPECT_EQ(m.receiptDiscountValue(), QString());
    EXPECT_EQ(m.cell(1, ReceiptModel::ColPrice), QStringLiteral("140.00"));
    EXPECT_EQ(m.dataRowCount(), 1);
}
