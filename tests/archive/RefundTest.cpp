// Copying a stored sale into the receipt in progress: units, merging, buyer,
// marking and the refusals that leave the receipt as it was.
#include "archive/Refund.h"
#include "archive/uQueryEdizm.h"

#include "core/CodeTables.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/RefundLimits.h"
#include "sales/input/FreePrice.h"
#include "sales/receipt/ReceiptCalc.h"
#include "support/FakeMessages.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace archive;
using M = sales::ReceiptModel;

namespace {

StoredLine line(QString id, QString name, QString price, QString count, std::optional<int> unit = 0) {
    StoredLine l;
    l.goodId = id;
    l.name = name;
    l.goodType = "1";
    l.price = price;
    l.count = count;
    l.unit = unit;
    l.payType = "4";
    return l;
}

StoredLine marked(StoredLine l, QString gtin, QString serial) {
    l.gtin = gtin;
    l.serial = serial;
    l.markingCode = "01" + gtin + "21" + serial;
    l.markType = "4";
    return l;
}

// GOOD_DATA of a small catalogue: 1 and 5 piece goods, 2 weighed.
GoodDataLookup catalogue() {
    return [](const QString& id) -> std::optional<GoodData> {
        static const std::map<QString, GoodData> goods{{"1", {"0", "643"}}, {"2", {"1", "156"}}, {"5", {"0", "0"}}};
        auto it = goods.find(id);
        if (it == goods.end()) return std::nullopt;
        return it->second;
    };
}

MarkedRefundCheck acceptAll() {
    return [](const StoredLine&, QStringList entry) -> std::optional<QStringList> {
        entry[6] = "1";
        return entry;
    };
}

struct ScriptedUnits : UnitQuery {
    std::vector<std::optional<int>> answers;
    QStringList asked;
    std::optional<int> ask(const QString& context, const QString& name) override {
        asked << context + "|" + name;
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

struct FakeTarget : RefundTarget {
    bool admin = false;
    std::optional<RefundPlan> applied;
    bool isAdministrator() const override { return admin; }
    void applyRefund(const RefundPlan& plan) override { applied = plan; }
    void forgetAbandonedCodes() override { ++forgotten; }
    int forgotten = 0;
};

const RefundPlan& planOf(const std::variant<RefundPlan, RefundError>& r) {
    EXPECT_TRUE(std::holds_alternative<RefundPlan>(r));
    return std::get<RefundPlan>(r);
}

QStringList activeRows(const M& m) {
    QStringList out;
    for (int r = 1; r < m.rowCount(); ++r)
        if (m.isActive(r))
            out << QStringList{m.cell(r, M::ColPosNo),  m.cell(r, M::ColId),  m.cell(r, M::ColKind),
                               m.cell(r, M::ColQty),    m.cell(r, M::ColSum), m.cell(r, M::ColSubject),
                               m.cell(r, M::ColCountry)}
                       .join(",");
    return out;
}

}  // namespace

TEST(RefundPlan, WholeReceiptRowsByBuyerAndKind) {
    const StoredReceipt noBuyer{"123456", 7, " ", ""};
    const StoredReceipt buyer{"123456", 7, "ООО Ромашка", "7701"};
    struct Case {
        const char* what;
        StoredReceipt receipt;
        std::vector<StoredLine> lines;
        QStringList rows;
    };
    StoredLine freePrice = line("0", "Услуга", "100", "1");
    freePrice.goodType = "4";
    StoredLine gone = line("99", "Снято", "10", "2");
    StoredLine goneWeighed = line("98", "Снято весовое", "10", "0.300");
    StoredLine excise = marked(line("5", "Сигареты", "150", "1"), "04600000000001", "ABC");
    excise.goodType = "31";
    const std::vector<Case> cases{
        {"piece lines of one price merge as integers",
         noBuyer,
         {line("1", "Хлеб", "40.00", "2"), line("1", "Хлеб", "40,00", "3")},
         {"1,1,P,5,80.00,Т,"}},
        {"weighed lines merge with three decimals",
         noBuyer,
         {line("2", "Сыр", "500", "0.250"), line("2", "Сыр", "500", "0.5")},
         {"1,2,W,0.750,125.00,Т,"}},
        {"with a buyer nothing merges and the country is kept",
         buyer,
         {line("2", "Сыр", "500", "0.250"), line("2", "Сыр", "500", "0.5")},
         {"1,2,W,0.250,125.00,Т,156", "2,2,W,0.5,250.00,Т,156"}},
        {"free price and deleted goods keep the kind of their quantity",
         noBuyer,
         {freePrice, gone, goneWeighed},
         {"1,,P,1,100.00,У,", "2,99,P,2,20.00,Т,", "3,98,W,0.300,3.00,Т,"}},
        {"an excise marked line is refunded as excise goods", noBuyer, {excise}, {"1,5,P,1,150.00,АТ,"}},
    };
    for (const Case& c : cases) {
        std::vector<int> units(c.lines.size(), 0);
        const auto result = buildRefundPlan(c.receipt, c.lines, units, RefundMode::Whole, catalogue(), acceptAll());
        const RefundPlan& plan = planOf(result);
        EXPECT_EQ(activeRows(plan.receipt), c.rows) << c.what;
        EXPECT_EQ(plan.fpd, "123456") << c.what;
        EXPECT_EQ(plan.docId, 7) << c.what;
    }
}

TEST(RefundPlan, MarkingIsCarriedWithStatusFractionAndMarkType) {
    StoredLine whole = marked(line("1", "Хлеб", "40", "1"), "04600000000001", "S1");
    StoredLine second = marked(line("1", "Хлеб", "40", "1"), "04600000000001", "S2");
    StoredLine fraction = marked(line("5", "Сигареты", "150", "1"), "04600000000002", "S3");
    fraction.fraction = "1/10";
    fraction.vat = 1;
    const std::vector<StoredLine> lines{whole, second, fraction};

    const RefundPlan plan =
        planOf(buildRefundPlan({"1", 3, "", ""}, lines, {0, 0, 10}, RefundMode::Whole, catalogue(), acceptAll()));
    ASSERT_EQ(plan.markedItems.size(), 3);
    EXPECT_EQ(plan.markedItems[0].mid(0, 3), (QStringList{"1", "04600000000001", "S1"}));
    EXPECT_EQ(plan.markedItems[0][5], "3");
    EXPECT_EQ(plan.markedItems[0][6], "1") << "the check's result is kept";
    EXPECT_EQ(plan.markedItems[2].mid(5, 4), (QStringList{"4", "1", "1", "10"})) << "status 4 and the fraction 1/10";
    EXPECT_EQ(plan.receipt.attr(1, M::AttrMarkType), "4");
    EXPECT_EQ(plan.receipt.attr(2, M::AttrMeasure), "10");
    EXPECT_EQ(plan.receipt.attr(2, M::AttrVat), "1");

    // With a buyer no marking is carried.
    const RefundPlan withBuyer = planOf(
        buildRefundPlan({"1", 3, "ИП Петров", "12"}, lines, {0, 0, 0}, RefundMode::Whole, catalogue(), acceptAll()));
    EXPECT_TRUE(withBuyer.markedItems.isEmpty());
    EXPECT_EQ(withBuyer.receipt.attr(1, M::AttrMarkType), "");

    // One position carries its marking and its mark type even with a buyer.
    const RefundPlan one = planOf(
        buildRefundPlan({"1", 3, "ИП Петров", "12"}, {fraction}, {0}, RefundMode::One, catalogue(), acceptAll()));
    ASSERT_EQ(one.markedItems.size(), 1);
    EXPECT_EQ(one.receipt.attr(1, M::AttrMarkType), "4");
}

// A tobacco pack sold without its code is stored with its mark type and no
// marking data; the whole receipt goes back and closes with every unit.
TEST(RefundPlan, UnitSoldWithoutItsCodeGoesBackWithTheCodedOnes) {
    StoredLine pack = line("5", "Сигареты", "123.00", "1");
    pack.markType = "4";
    pack.goodType = "30";  // excise goods subject to marking, sold without a code
    StoredLine shoes = marked(line("1", "Кроссовки", "4000.00", "1"), "04650001112223", "SHOE000000001");
    shoes.markType = "5";
    std::vector<QString> checked;
    const MarkedRefundCheck check = [&checked](const StoredLine& l, QStringList entry) -> std::optional<QStringList> {
        checked.push_back(l.serial);
        return entry;
    };
    RefundPlan plan =
        planOf(buildRefundPlan({"1", 3, "", ""}, {pack, shoes}, {0, 0}, RefundMode::Whole, catalogue(), check));
    EXPECT_EQ(checked, std::vector<QString>{"SHOE000000001"}) << "only a code is checked by the register";
    ASSERT_EQ(plan.markedItems.size(), 2);
    EXPECT_EQ(plan.markedItems[0].mid(0, 5), (QStringList{"5", "", "", "", ""}));

    ASSERT_TRUE(sales::RecalcReceipt(plan.receipt, sales::ReceiptContext{"ВОЗВРАТ ПРИХОДА", false}).ok());
    sales::ReceiptLinesInput in;
    in.receipt = &plan.receipt;
    in.markedItems = &plan.markedItems;
    in.taxSystemCode = 2;
    const sales::ReceiptLinesResult r = sales::buildReceiptLines(in, {}, {});
    ASSERT_TRUE(r.built()) << r.message.toStdString();
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_EQ(r.lines[0][sales::LineName], "Сигареты");
    EXPECT_TRUE(r.lines[0][sales::LineMarkCode].isEmpty());
    EXPECT_EQ(r.lines[1][sales::LineSerial], "SHOE000000001");
    // Tag 1212: a code is claimed only where there is one.
    EXPECT_EQ(r.lines[0][sales::LineSubject], "30");
    EXPECT_EQ(r.lines[1][sales::LineSubject], "33");
}

TEST(RefundPlan, PartsOfPacksOfOneGoodsAddUpInThousandths) {
    // A part of a pack is stored as its share of the pack; two parts of the
    // same goods at the same price make one row holding both shares.
    StoredLine first = marked(line("5", "Творог", "400.00", "0.300"), "04600000000007", "T1");
    first.fraction = "3/10";
    StoredLine second = marked(line("5", "Творог", "400.00", "0.200"), "04600000000007", "T2");
    second.fraction = "2/10";
    StoredLine whole = marked(line("5", "Творог", "400.00", "1"), "04600000000007", "T3");

    const RefundPlan plan = planOf(buildRefundPlan({"1", 3, "", ""}, {first, second, whole}, {0, 0, 0},
                                                   RefundMode::Whole, catalogue(), acceptAll()));
    ASSERT_EQ(plan.markedItems.size(), 3);
    EXPECT_EQ(plan.receipt.cell(1, M::ColQty), "1.500");
    EXPECT_EQ(plan.markedItems[1].mid(7, 2), (QStringList{"2", "10"}));
}

TEST(RefundPlan, MarkedGoodsCountedInPiecesAndSoldByPartsOfAPackComeBackWithEveryRecord) {
    // Curd that may be sold by parts of a pack is fractional in the
    // catalogue, yet counted in pieces: a whole pack and three tenths of
    // another return as one row holding both marking records.
    StoredLine whole = marked(line("2", "Творог", "400.00", "1.000"), "04600000000028", "A1");
    StoredLine part = marked(line("2", "Творог", "400.00", "0.300"), "04600000000028", "A2");
    part.fraction = "3/10";
    const RefundPlan plan =
        planOf(buildRefundPlan({"1", 3, "", ""}, {whole, part}, {0, 0}, RefundMode::Whole, catalogue(), acceptAll()));
    EXPECT_EQ(plan.receipt.cell(1, M::ColKind), "W");
    EXPECT_EQ(plan.receipt.cell(1, M::ColQty), "1.300");
    ASSERT_EQ(plan.markedItems.size(), 2);
    EXPECT_EQ(plan.markedItems[0][5], "3");
    EXPECT_EQ(plan.markedItems[1].mid(5, 4), (QStringList{"4", "1", "3", "10"}));
}

TEST(RefundPlan, RefusalsNameTheFaultyLine) {
    struct Case {
        const char* what;
        std::vector<StoredLine> lines;
        MarkedRefundCheck check;
        RefundFailure failure;
        QString name;
    };
    const MarkedRefundCheck refuse = [](const StoredLine&, QStringList) { return std::optional<QStringList>(); };
    // A receipt refused for what it holds never has a code checked (and so
    // accepted) by the register first.
    int checked = 0;
    const MarkedRefundCheck counting = [&checked](const StoredLine&, QStringList entry) -> std::optional<QStringList> {
        ++checked;
        return entry;
    };
    const std::vector<Case> cases{
        {"a marked line before one goods at two prices",
         {marked(line("5", "Сигареты", "150", "1"), "046", "S"), line("1", "Хлеб", "40", "1"),
          line("1", "Хлеб", "41", "1")},
         counting,
         RefundFailure::PriceConflict,
         "Хлеб"},
        {"a marked line before marked goods sold by weight",
         {marked(line("5", "Сигареты", "150", "1"), "046", "S"),
          marked(line("2", "Сыр", "500", "0.250", 11), "046", "T")},
         counting,
         RefundFailure::WeighedMarked,
         "Сыр"},
        {"GTIN without serial",
         {line("1", "Хлеб", "40", "1"), marked(line("5", "Сигареты", "150", "1"), "046", "")},
         acceptAll(),
         RefundFailure::MarkingData,
         "Сигареты"},
        {"one goods at two prices",
         {line("1", "Хлеб", "40", "1"), line("1", "Хлеб", "41", "1")},
         acceptAll(),
         RefundFailure::PriceConflict,
         "Хлеб"},
        {"marked goods sold by weight",
         {marked(line("2", "Сыр", "500", "0.250", 11), "046", "S")},
         acceptAll(),
         RefundFailure::WeighedMarked,
         "Сыр"},
        {"the marking check refused",
         {line("1", "Хлеб", "40", "1"), marked(line("5", "Сигареты", "150", "1"), "046", "S")},
         refuse,
         RefundFailure::MarkingRefused,
         "Сигареты"},
        {"no marking check at all refuses marked lines",
         {marked(line("5", "Сигареты", "150", "1"), "046", "S")},
         MarkedRefundCheck(),
         RefundFailure::MarkingRefused,
         "Сигареты"},
    };
    for (const Case& c : cases) {
        std::vector<int> units;
        for (const StoredLine& l : c.lines) units.push_back(l.unit.value_or(0));
        const auto result = buildRefundPlan({"1", 1, "", ""}, c.lines, units, RefundMode::Whole, catalogue(), c.check);
        ASSERT_TRUE(std::holds_alternative<RefundError>(result)) << c.what;
        EXPECT_EQ(std::get<RefundError>(result).failure, c.failure) << c.what;
        EXPECT_EQ(std::get<RefundError>(result).name, c.name) << c.what;
        EXPECT_EQ(checked, 0) << c.what;
    }
    EXPECT_TRUE(refundErrorText({RefundFailure::MarkingRefused, "x"}).isEmpty());
    EXPECT_EQ(refundErrorText({RefundFailure::WeighedMarked, "Сыр"}),
              "Позиция * Сыр *     \r\nсодержит некорректные данные :     \r\n маркированный товар не может иметь "
              "признак \"весовой\".     \r\n\r\nЧек не может быть открыт.");
}

TEST(RefundPlan, StoredCodesToScreenTexts) {
    for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13})
        EXPECT_EQ(core::GoodTypeAbbrToCode(goodTypeAbbrFromStored(QString::number(code))), code) << code;
    const std::vector<std::pair<QString, QString>> kinds{{"33", "Т"}, {"31", "АТ"}, {"12", "Т"},
                                                         {"", "Т"},   {"x", "Т"},   {"10", "П"}};
    for (const auto& [stored, abbr] : kinds) EXPECT_EQ(goodTypeAbbrFromStored(stored), abbr) << stored.toStdString();
    const std::vector<std::pair<QString, int>> flags{{"1", 1}, {" 3 ", 3}, {"", 4}, {"a", 4}};
    for (const auto& [stored, flag] : flags) EXPECT_EQ(paymentMethodFromStored(stored), flag) << stored.toStdString();
}

TEST(RefundRun, UnitsAreAskedOfAnAdministratorAndRefusedToACashier) {
    testsupport::FakeMessages messages;
    const std::vector<StoredLine> lines{line("1", "Хлеб", "40", "1", 0), line("1", "Хлеб", "40", "1", std::nullopt),
                                        line("5", "Спички", "5", "1", 99)};
    struct Case {
        const char* what;
        bool admin;
        RefundMode mode;
        std::vector<std::optional<int>> answers;
        bool applied;
        QString message;
        int asked;
    };
    const std::vector<Case> cases{
        {"cashier, whole receipt", false, RefundMode::Whole, {}, false, unitRefusalWhole(), 0},
        {"administrator cancels the second question", true, RefundMode::Whole, {11, std::nullopt}, false, "", 2},
        {"administrator answers both", true, RefundMode::Whole, {11, 255}, true, "", 2},
    };
    for (const Case& c : cases) {
        messages.clear();
        FakeTarget target;
        target.admin = c.admin;
        ScriptedUnits units;
        units.answers = c.answers;
        const bool ok = runRefund({"1", 1, "", ""}, lines, c.mode, target, units, catalogue(), acceptAll(), nullptr);
        EXPECT_EQ(ok, c.applied) << c.what;
        EXPECT_EQ(target.applied.has_value(), c.applied) << c.what;
        EXPECT_EQ(messages.last(), c.message) << c.what;
        EXPECT_EQ(units.asked.size(), c.asked) << c.what;
        if (c.applied) {
            EXPECT_EQ(target.applied->receipt.attr(1, M::AttrMeasure), "0") << c.what;
            EXPECT_EQ(target.applied->receipt.attr(2, M::AttrMeasure), "255") << c.what;
        }
    }
    // One position of a cashier: the message names the position.
    const QString long50(50, QChar(u'ж'));
    FakeTarget cashier;
    ScriptedUnits none;
    EXPECT_FALSE(runRefund({"1", 1, "", ""}, {line("1", long50, "1", "1", std::nullopt)}, RefundMode::One, cashier,
                           none, catalogue(), acceptAll(), nullptr));
    EXPECT_EQ(messages.last(), unitRefusalOne(long50));
    EXPECT_TRUE(messages.last().contains("   < " + long50.left(45) + "... >     \r\n"));
}

TEST(RefundRun, CodesAcceptedForARefusedCopyAreForgotten) {
    testsupport::FakeMessages messages;
    const std::vector<StoredLine> lines{marked(line("5", "Сигареты", "150", "1"), "046", "S1"),
                                        marked(line("1", "Хлеб", "40", "1"), "046", "S2")};
    struct Case {
        const char* what;
        QString refusedSerial;  // empty: every code accepted
        int forgotten;
    };
    const std::vector<Case> cases{
        {"the second code refused after the first was accepted", "S2", 1},
        {"the first code refused: nothing was accepted", "S1", 0},
        {"every code accepted: the copy keeps them", "", 0},
    };
    for (const Case& c : cases) {
        FakeTarget target;
        ScriptedUnits units;
        const MarkedRefundCheck check = [&c](const StoredLine& l, QStringList entry) -> std::optional<QStringList> {
            if (l.serial == c.refusedSerial) return std::nullopt;
            return entry;
        };
        const bool ok =
            runRefund({"1", 1, "", ""}, lines, RefundMode::Whole, target, units, catalogue(), check, nullptr);
        EXPECT_EQ(ok, c.refusedSerial.isEmpty()) << c.what;
        EXPECT_EQ(target.forgotten, c.forgotten) << c.what;
    }
}

namespace {

sales::RefundableLine soldLine(const char* id, const char* name, const char* price, const char* qty,
                               const char* serial = "", const char* fraction = "") {
    sales::RefundableLine l;
    l.goodId = id;
    l.name = name;
    l.price = price;
    l.qty = sales::Qty::parseOr(qty);
    l.serial = serial;
    l.fraction = fraction;
    l.sum = sales::soldLineSum(l.price, l.qty, l.fraction);
    return l;
}

sales::RefundWanted wanted(const sales::RefundableLine& l) {
    return {sales::refundGoodsKey(l), l.serial, l.name, l.qty, l.sum, true};
}

}  // namespace

// The ledger counts money: a return gives back its share of what is left,
// what earlier returns gave back (at whatever price) is gone, and the last
// piece gives back exactly the rest. Rounding never adds up past the sale.
TEST(RefundLedger, WhatIsLeftIsMoneyTakenLessMoneyGivenBack) {
    using sales::Money;
    using sales::Qty;
    sales::SaleLedger sale;
    sale.docId = 1;
    sale.take(soldLine("5", "Конфеты", "12.35", "1.000"));
    sale.take(soldLine("7", "Хлеб", "50.00", "2"));
    sale.take(soldLine("9", "Сырок", "393.68", "0.143", "S1", "1/7"));
    sale.take(soldLine("9", "Сырок", "393.75", "0.286", "S2", "2/7"));
    ASSERT_EQ(sale.totalLeft(), Money{1235 + 10000 + 5624 + 11250});

    // Ten returns of 0.100 kg each at their share give back 12.35, not 12.40.
    Money given;
    for (int i = 0; i < 10; ++i) {
        const sales::LeftOf left = sale.entryLeft("5", "");
        const Money share = left.share(Qty::fromThousandths(100));
        const Money price = sales::priceForRefund(share, Qty::fromThousandths(100));
        const sales::RefundableLine back = soldLine("5", "Конфеты", price.toString().toUtf8().constData(), "0.100");
        ASSERT_EQ(back.sum, share) << i;  // the register's line sums to the share
        EXPECT_TRUE(sales::refundProblemOf(sale, {wanted(back)}).isEmpty()) << i;
        sale.giveBack(back);
        given += back.sum;
    }
    EXPECT_EQ(given, Money{1235});
    EXPECT_FALSE(sales::refundProblemOf(sale, {wanted(soldLine("5", "Конфеты", "0.10", "0.001"))}).isEmpty());

    // A loaf at a raised price: refused beyond its share; once a loaf went
    // back cheaper, the other gives back the rest and no more.
    EXPECT_EQ(sales::refundProblemOf(sale, {wanted(soldLine("7", "Хлеб", "100.00", "1"))}),
              sales::refundShareExceedsText("Хлеб", Qty::units(1), Money{5000}, Qty::units(2), Money{10000},
                                            Money{10000}));
    sale.giveBack(soldLine("7", "Хлеб", "30.00", "1"));
    EXPECT_EQ(sale.entryLeft("7", "").share(Qty::units(1)), Money{7000});
    EXPECT_TRUE(sales::refundProblemOf(sale, {wanted(soldLine("7", "Хлеб", "70.00", "1"))}).isEmpty());
    EXPECT_FALSE(sales::refundProblemOf(sale, {wanted(soldLine("7", "Хлеб", "70.01", "1"))}).isEmpty());

    // A marked unit by its own code: the catalogue's 400.00 for 1/7 is more
    // than the 56.24 it was sold for; the unit's own price fits.
    EXPECT_EQ(sales::refundProblemOf(sale, {wanted(soldLine("9", "Сырок", "400.00", "0.143", "S1", "1/7"))}),
              sales::refundMoneyExceedsText("Сырок", Money{5624}, Money{5714}));
    EXPECT_TRUE(
        sales::refundProblemOf(sale, {wanted(soldLine("9", "Сырок", "393.68", "0.143", "S1", "1/7"))}).isEmpty());

    // An advance return names no goods: it counts against the total only.
    sales::RefundableLine advance = soldLine("", "", "20000.00", "1");
    advance.qtyKnown = false;
    sale.giveBack(advance);
    EXPECT_EQ(sale.totalLeft(), Money{});
    EXPECT_EQ(sales::refundProblemOf(sale, {wanted(soldLine("7", "Хлеб", "1.00", "1"))}),
              sales::refundLimitText::kTotalExceeds);
}

// An advance sold at 500.00 goes back in part by its sign: the receipt in
// progress holds a position at a free price naming no goods, which counts
// against the sale's total, as the lines it is printed from do.
TEST(RefundLedger, AnAdvanceGoesBackInPartAgainstTheSalesTotal) {
    sales::SaleLedger sale;
    sale.docId = 1;
    sale.take(soldLine("", "", "500.00", "1"));
    for (const auto& [kopecks, fits] : {std::pair{30000, true}, std::pair{50001, false}}) {
        sales::ReceiptModel m;
        sales::addFreePricePosition(m, {sales::Money{kopecks}, sales::Qty::units(1)}, "3");
        ASSERT_EQ(sales::RecalcReceipt(m, {}).code, 0);
        const QString problem = sales::refundProblemOf(sale, sales::wantedFromReceipt(m, {}));
        EXPECT_EQ(problem.toStdString(), (fits ? QString() : sales::refundLimitText::kTotalExceeds).toStdString())
            << kopecks;
    }
}

// The copy offers what is left of each line at the money left of it: the
// latest lines keep what earlier returns left, each at its share.
TEST(RefundLedger, CopyOffersTheMoneyLeft) {
    using sales::Money;
    sales::SaleLedger sale;
    sale.docId = 1;
    sale.take(soldLine("7", "Хлеб", "30.83", "3"));
    sale.take(soldLine("12", "Сыр", "500.00", "0.750"));
    sale.take(soldLine("11", "Молоко", "85.50", "2"));
    sale.giveBack(soldLine("7", "Хлеб", "20.00", "1"));
    sale.giveBack(soldLine("12", "Сыр", "500.00", "0.500"));
    sale.giveBack(soldLine("11", "Молоко", "85.50", "2"));

    std::vector<StoredLine> lines(3);
    lines[0].goodId = "7", lines[0].name = "Хлеб", lines[0].price = "30.83", lines[0].count = "3";
    lines[1].goodId = "12", lines[1].name = "Сыр", lines[1].price = "500.00", lines[1].count = "0.750";
    lines[2].goodId = "11", lines[2].name = "Молоко", lines[2].price = "85.50", lines[2].count = "2";
    const auto offered = linesLeftToReturn(lines, sale);
    ASSERT_EQ(offered.size(), 3u);
    ASSERT_TRUE(offered[0] && offered[1]);
    EXPECT_EQ(offered[0]->count, "2");
    // 92.49 - 20.00 left for two loaves: 36.24 each, a kopeck short, since
    // the loaf that went back below its share left an odd amount.
    EXPECT_EQ(offered[0]->price, "36.24");
    EXPECT_EQ(offered[1]->count, "0.250");
    EXPECT_EQ(offered[1]->price, "500.00");
    EXPECT_FALSE(offered[2]);
}

namespace {

// The plain model the randomized test checks against: per goods, kopecks
// taken by the sale and given back by returns, computed on their own.
struct ModelGoods {
    std::int64_t taken = 0;
    std::int64_t given = 0;
};

// Half up, as the register rounds: price in kopecks times a fraction.
std::int64_t kopecksOf(std::int64_t priceKopecks, std::int64_t num, std::int64_t den) {
    return (priceKopecks * num * 2 + den) / (den * 2);
}

QString money(std::int64_t kopecks) {
    return sales::Money{kopecks}.toString();
}

}  // namespace

// Sales with weights, discounts, parts of packs and marked units, returned in
// random pieces by the main screen's entry pricing (any catalogue price, then
// the sale's share), "ПОЗИЦИЮ" and "ВЕСЬ ЧЕК" with and without a buyer. After
// every step the money given back per goods stays within what the sale took;
// once everything is back it is exactly that.
TEST(RefundLedger, RandomReturnsNeverGiveBackMoreAndAllOfItExactly) {
    using sales::Money;
    using sales::Qty;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&rng](std::int64_t lo, std::int64_t hi) {
            return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
        };
        // The sale, as it was stored.
        std::vector<StoredLine> lines;
        std::map<QString, ModelGoods> model;
        // Goods of which a return gave back less than its share (a price
        // lowered by hand): what is left may then be more units than any
        // one price comes to exactly.
        std::set<QString> lowered;
        sales::SaleLedger ledger;
        ledger.docId = 1;
        const int count = int(pick(1, 5));
        for (int i = 0; i < count; ++i) {
            StoredLine l = line(QString::number(10 + i), "Товар " + QString::number(i), "", "");
            const std::int64_t base = pick(1, 99999);
            // A discount lowers the unit price the register took.
            const std::int64_t price = std::max<std::int64_t>(1, base - base * pick(0, 30) / 100);
            std::int64_t taken = 0;
            switch (pick(0, 2)) {
                case 0: {  // weighed
                    const std::int64_t q = pick(1, 2500);
                    l.count = Qty{q}.toWeightString();
                    taken = kopecksOf(price, q, 1000);
                    break;
                }
                case 1: {  // pieces
                    const std::int64_t q = pick(1, 5);
                    l.count = QString::number(q);
                    taken = price * q;
                    break;
                }
                default: {  // marked units, parts of a pack at their own price
                    l.goodId = "30";
                    l.name = "Сырок";
                    l = marked(l, "04600000000028", "S" + QString::number(i));
                    l.markType = "13";
                    const std::int64_t n = pick(1, 7);
                    if (n < 7) {
                        l.fraction = QString::number(n) + "/7";
                        l.count = sales::packPartQuantity(sales::PackPart{n, 7}).toWeightString();
                        taken = kopecksOf(price, n, 7);
                    } else {
                        l.count = "1";
                        taken = price;
                    }
                    break;
                }
            }
            l.price = money(price);
            if (taken == 0) continue;
            lines.push_back(l);
            model[l.goodId].taken += taken;
            sales::RefundableLine sold;
            sold.goodId = l.goodId;
            sold.name = l.name;
            sold.price = l.price;
            sold.qty = Qty::parseOr(l.count);
            sold.serial = l.serial;
            sold.fraction = l.fraction;
            sold.sum = sales::soldLineSum(l.price, sold.qty, l.fraction);
            ASSERT_EQ(sold.sum.kopecks, taken);
            ledger.take(sold);
        }
        const GoodDataLookup goodData = [](const QString& id) -> std::optional<GoodData> {
            return GoodData{id.toInt() < 13 ? "1" : "0", "643"};
        };

        // A return accepted by the check goes back to the ledger and the model.
        auto giveBack = [&](const M& receipt, const QList<QStringList>& items) {
            const std::vector<sales::RefundWanted> wanted = sales::wantedFromReceipt(receipt, items);
            if (!sales::refundProblemOf(ledger, wanted).isEmpty()) return false;
            for (int r = 1; r < receipt.rowCount(); ++r) {
                if (!receipt.isActive(r)) continue;
                sales::RefundableLine back;
                back.goodId = receipt.cell(r, M::ColId);
                back.name = receipt.cell(r, M::ColName);
                back.price = receipt.cell(r, M::ColPrice);
                back.qty = receipt.quantity(r);
                back.sum = receipt.lineSum(r);
                // The register's sum of the row: price times quantity.
                if (receipt.attr(r, M::AttrPackParts).isEmpty()) {
                    EXPECT_EQ(back.sum.kopecks,
                              kopecksOf(Money::parseOr(back.price).kopecks, back.qty.thousandths, 1000));
                }
                model[back.goodId].given += back.sum.kopecks;
                for (const sales::RefundWanted& w : wanted) {
                    if (w.goodsKey != sales::refundGoodsKey(back.goodId, back.name, back.price) || w.serial.isEmpty())
                        continue;
                    sales::RefundableLine unit = back;
                    unit.serial = w.serial;
                    unit.qty = w.qty;
                    unit.sum = w.money;
                    ledger.giveBack(unit);
                    back.sum -= w.money;
                    back.qty = Qty{back.qty.thousandths - w.qty.thousandths};
                }
                if (back.sum.kopecks > 0) ledger.giveBack(back);
            }
            for (const auto& [id, g] : model) EXPECT_LE(g.given, g.taken) << id.toStdString();
            return true;
        };
        auto copy = [&](RefundMode mode, bool buyer, std::size_t only) {
            const std::vector<std::optional<StoredLine>> left = linesLeftToReturn(lines, ledger);
            std::vector<StoredLine> chosen;
            for (std::size_t i = 0; i < left.size(); ++i)
                if (left[i] && (mode == RefundMode::Whole || i == only)) chosen.push_back(*left[i]);
            if (chosen.empty()) return;
            const auto planned = buildRefundPlan({"1", 1, buyer ? "ООО" : "", ""}, chosen,
                                                 std::vector<int>(chosen.size(), 0), mode, goodData, acceptAll());
            if (!std::holds_alternative<RefundPlan>(planned)) return;
            RefundPlan plan = std::get<RefundPlan>(planned);
            ASSERT_TRUE(sales::RecalcReceipt(plan.receipt, {}).ok());
            // What the copy offers always fits.
            EXPECT_TRUE(giveBack(plan.receipt, plan.markedItems));
        };

        for (int step = 0; step < 12; ++step) {
            const std::size_t i = std::size_t(pick(0, std::int64_t(lines.size()) - 1));
            const auto kindStep = pick(0, 3);
            switch (kindStep) {
                case 0: {  // entered on the main screen: any catalogue price, then the sale's share
                    const StoredLine& l = lines[i];
                    if (!l.serial.isEmpty()) break;
                    const sales::LeftOf left = ledger.entryLeft(l.goodId, "");
                    if (!left.qty.isPositive()) break;
                    const bool weighed = l.count.contains('.');
                    const Qty q =
                        weighed ? Qty{pick(1, left.qty.thousandths)} : Qty::units(pick(1, left.qty.thousandths / 1000));
                    M receipt;
                    receipt.reset();
                    sales::GoodRecord g{l.goodId, l.name, money(pick(1, 99999)), weighed ? "1" : "0", "Т", "643", "0",
                                        "11",     "6"};
                    const int row = sales::addGoodPosition(receipt, g, g.price, q);
                    const bool repriced = pick(0, 3) != 0;
                    if (repriced) sales::priceRefundRow(ledger, receipt, row);
                    ASSERT_TRUE(sales::RecalcReceipt(receipt, {}).ok());
                    const Money share = sales::refundRowMoney(ledger, receipt, row).value_or(Money{});
                    const bool accepted = giveBack(receipt, {});
                    if (accepted && receipt.lineSum(row) < share) lowered.insert(l.goodId);
                    if (repriced) {
                        EXPECT_TRUE(accepted);
                    }
                    break;
                }
                case 1:
                    copy(RefundMode::One, false, i);
                    break;
                case 2:
                    copy(RefundMode::Whole, false, 0);
                    break;
                default:
                    copy(RefundMode::Whole, pick(0, 1) == 1, 0);
                    break;
            }
        }
        // Everything left goes back: exactly what the sale took.
        copy(RefundMode::Whole, true, 0);
        for (const auto& [id, g] : model) {
            if (lowered.count(id)) {
                // Its quantity may have gone back cheaper, or the rest a few
                // kopecks short: never more.
                EXPECT_LE(g.given, g.taken) << id.toStdString();
            } else {
                EXPECT_EQ(g.given, g.taken) << id.toStdString();
            }
        }
    }
}
