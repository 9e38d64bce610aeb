// The receipt's money at its edges, from the main screen to the register and
// the database: sum discounts on parts of a pack, discounts that would bring
// a position to nothing, and a randomized run of cashier operations checked
// against a model of the receipt kept apart from the program's arithmetic.
#include "core/DataModule.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/CloseReceipt.h"
#include "sales/closing/ReceiptLines.h"
#include "sales/closing/uCheckInfo.h"
#include "sales/closing/uPayCheck.h"
#include "sales/input/ItemEntry.h"
#include "sales/marking/MarkedEntry.h"
#include "sales/marking/uCountInputMarkGood.h"
#include "sales/marking/uQuerySerialNumber.h"
#include "sales/receipt/PositionEdits.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/DiscountInputLogic.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uDiscountInput.h"
#include "support/FakeMessages.h"
#include "sales/SaleScreenFixture.h"
#include "sales/WhenReady.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

using namespace sales;
using namespace fiscal;

namespace {

using salestest::when;

const QChar kGs(char16_t(0x1D));

// Goods of the shop: pieces, weighed goods (one of them worth a kopeck a
// kilo) and two kinds of curd sold by the pack or by part of it.
struct Goods {
    const char* id;
    const char* name;
    const char* price;
    bool weighed;
    int markType;
    int pack;
    const char* gtin;
};
const Goods kGoods[] = {
    {"31", "Хлеб", "50.00", false, 0, 0, ""},
    {"32", "Укроп", "0.01", true, 0, 0, ""},
    {"33", "Молоко", "85.50", false, 0, 0, ""},
    {"34", "Сыр", "333.33", true, 0, 0, ""},
    {"22", "Сырок", "99.99", true, 13, 3, "04600000000028"},
    {"23", "Творог", "400.00", true, 13, 7, "04600000000035"},
};

const Goods& goods(const QString& id) {
    for (const Goods& g : kGoods)
        if (id == QLatin1String(g.id)) return g;
    return kGoods[0];
}

QString unitCode(const Goods& g, int serial) {
    return QStringLiteral("01") + QLatin1String(g.gtin) + QStringLiteral("21") +
           QStringLiteral("S%1").arg(serial, 5, 10, QLatin1Char('0')) + kGs + QStringLiteral("93abcd");
}

// Kopecks: n / d rounded half up (n, d >= 0).
std::int64_t roundDiv(__int128 n, __int128 d) { return std::int64_t((2 * n + d) / (2 * d)); }

class ReceiptMoneyTest : public salestest::SaleScreenTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        for (const Goods& g : kGoods) {
            fb::Transaction tr(db());
            fb::execute(tr,
                        "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                        "GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_COUNT, GOOD_EDIZM_FFD, GOOD_PACKCOUNT) "
                        "VALUES (?, ?, ?, ?, 'Т', '2', '643', ?, '1000', ?, ?)",
                        {std::int64_t(QString(g.id).toInt()), QString(g.name), QString(g.price),
                         QString(g.weighed ? "да" : "нет"), std::int64_t(g.markType),
                         std::int64_t(g.weighed && g.markType == 0 ? 11 : 0), std::int64_t(g.pack)});
            tr.commit();
        }
        exec("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES ('TaxSystem', '1')");
        openScreen();
        if (HasFatalFailure()) return;
        installSaleCommands(*screen);
        installPositionEdits(*screen);
        ItemEntryOptions options;
        options.marking = [this](EntryScreen& s, const MarkingRequest& request) {
            return enterMarkedUnit(s, request);
        };
        entry = installItemEntry(*screen, std::move(options));
    }

    // A marked unit whose code the scan dialog accepted: `nextFraction` of a
    // pack, or a whole one.
    MarkingOutcome enterMarkedUnit(EntryScreen& s, const MarkingRequest& request) {
        const Goods& g = goods(request.goods.good.id);
        const QString code = unitCode(g, ++serials);
        const bool part = nextFraction.num > 0;
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, part ? 2 : 1);
        if (part) kkt->setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, nextFraction.text);
        EXPECT_EQ(kkt->beginMarkingCodeValidation(), 0);
        for (int i = 0; i < 5 && !kkt->getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY); ++i)
            kkt->getMarkingCodeValidationStatus();
        EXPECT_EQ(kkt->acceptMarkingCode(), 0);
        marking::MarkedScan unit;
        unit.code = code;
        unit.gtin = QLatin1String(g.gtin);
        unit.serial = QStringLiteral("S%1").arg(serials, 5, 10, QLatin1Char('0'));
        unit.codeKind = 0;
        unit.fraction = nextFraction;
        unit.validation = {true, part ? 2 : 1, 15};
        return marking::addMarkedPosition(s, screen->MarkedItems(), request.goods, unit) > 0 ? MarkingOutcome::Added
                                                                                   : MarkingOutcome::Refused;
    }

    // The goods by its code, as the cashier types it and presses "КОД".
    void enter(const QString& id, int num = 0, int den = 0) {
        nextFraction = {num, den, num ? QStringLiteral("%1/%2").arg(num).arg(den) : QString()};
        screen->lblVvod->setText(id);
        entry->btnCodeClick();
    }

    int rowOf(const QString& id) const { return FindGoodRow(screen->receipt(), id); }

    // A discount through the discount window: `target` receipt or the
    // current row, a percent or a sum typed on the keypad. False when the
    // window refused it (and stayed open until cancelled here).
    bool discount(int target, int kind, const QString& value, int row = 0) {
        if (row > 0) screen->setCurrentReceiptRow(row);
        bool stayed = false;
        QTimer::singleShot(0, [&] {
            TfmDiscountInput* w = fmDiscountInput;
            if (!w || !w->isVisible()) return;
            (kind == DiscountKindSum ? w->RadioSumma : w->RadioPercent)->setChecked(true);
            w->chooseKind(kind);
            for (const QChar c : value) w->typeKey(c);
            w->BitBtn14Click();
            if (w->isVisible()) {
                stayed = true;
                w->BitBtn15Click();
            }
        });
        if (target == DiscountOnReceipt) screen->btnCheckDiscountClick();
        else screen->btnPosDiscountClick();
        return !stayed;
    }

    // Pays the receipt in cash on the main screen and closes the receipt window.
    void payAndClose() {
        when([] { return fmPayCheck && fmPayCheck->isVisible(); },
             [] { QTest::mouseClick(fmPayCheck->Button12, Qt::LeftButton); });
        when([] { return fmCheckInfo && fmCheckInfo->isVisible() && !fmCheckInfo->Timer1->isActive(); },
             [] { QTest::mouseClick(fmCheckInfo->btnCancel, Qt::LeftButton); });
        QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    }

    // What the last stored receipt sold, line by line as the database keeps
    // it: a part of a pack at price * n / d, anything else at price * count.
    struct Stored {
        Money total;        // DOC_SUMM_FULL
        Money linesSum;     // the lines added up
        int lines = 0;
        bool positive = true;  // every line above 0.00
    };
    Stored lastStored() {
        Stored s;
        const auto doc = rows("SELECT DOC_ID, DOC_SUMM_FULL FROM DOCUMENTS ORDER BY DOC_ID DESC ROWS 1");
        if (doc.empty()) return s;
        s.total = Money::parseOr(doc[0].str("DOC_SUMM_FULL"));
        for (const fb::Row& l : rows(QStringLiteral("SELECT * FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID = %1")
                                         .arg(doc[0].integer("DOC_ID")))) {
            const Rational price = Rational::parse(l.str("DD_GOOD_PRICE_CURRENT")).value_or(Rational());
            const std::optional<PackPart> part = parsePackPart(l.str("DD_FRACTIONAL_COUNT"));
            const Money sum = Money::round2(part ? price * Rational(part->num, part->den)
                                                 : price * Qty::parseOr(l.str("DD_GOOD_COUNT")).toRational());
            s.linesSum += sum;
            s.positive = s.positive && sum.kopecks > 0;
            ++s.lines;
        }
        return s;
    }

    // Pays and checks the screen's total against the register and the
    // database to the kopeck.
    void payAndCompare(Money expected) {
        const std::int64_t sellBefore = kkt->state().totals.sell;
        const size_t docsBefore = rows("SELECT DOC_ID FROM DOCUMENTS").size();
        kkt->clearJournal();
        messages.clear();
        payAndClose();
        ASSERT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        ASSERT_TRUE(screen->receipt().isEmpty());
        EXPECT_EQ(kkt->state().totals.sell - sellBefore, expected.kopecks);
        for (const JournalEntry& r : registrations()) {
            const Money price = Money::parseOr(r.params.value(LIBFPTR_PARAM_PRICE).toString());
            const Qty qty = Qty::parseOr(r.params.value(LIBFPTR_PARAM_QUANTITY).toString());
            EXPECT_GT(Money::round2(price.toRational() * qty.toRational()).kopecks, 0);
        }
        ASSERT_EQ(rows("SELECT DOC_ID FROM DOCUMENTS").size(), docsBefore + 1);
        const Stored s = lastStored();
        EXPECT_EQ(s.total, expected);
        EXPECT_EQ(s.linesSum, expected);
        EXPECT_TRUE(s.positive);
    }

    Money screenTotal() const { return Money::parseOr(screen->lblChekItogo->text().trimmed()); }

    testsupport::FakeMessages messages;
    ItemEntryController* entry = nullptr;
    Fraction nextFraction;
    int serials = 0;
};

}  // namespace

TEST_F(ReceiptMoneyTest, ASumDiscountOnPartsOfAPackTakesExactlyItsAmountOff) {
    struct Case {
        const char* what;
        const char* id;
        int den;
        int target;
        const char* discount;
        std::int64_t before, after;  // kopecks
    };
    const Case cases[] = {
        {"0.01 off the receipt, two thirds at 99.99", "22", 3, DiscountOnReceipt, "0.01", 6666, 6665},
        {"0.01 off the position, two thirds at 99.99", "22", 3, DiscountOnPosition, "0.01", 6666, 6665},
        {"1.00 off the receipt, two thirds at 400.00", "23", 3, DiscountOnReceipt, "1", 26666, 26566},
        {"1.00 off the position, two thirds at 400.00", "23", 3, DiscountOnPosition, "1", 26666, 26566},
        {"1.00 off the receipt, two sevenths at 400.00", "23", 7, DiscountOnReceipt, "1", 11428, 11328},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int den = c.den;
        enter(c.id, 1, den);
        enter(c.id, 1, den);
        const int row = rowOf(c.id);
        ASSERT_GT(row, 0);
        ASSERT_EQ(screen->receipt().attr(row, ReceiptModel::AttrPackParts), QStringLiteral("1/%1;1/%1").arg(den));
        ASSERT_EQ(screenTotal().kopecks, c.before);
        ASSERT_TRUE(discount(c.target, DiscountKindSum, c.discount, row));
        EXPECT_EQ(screenTotal().kopecks, c.after);
        EXPECT_EQ(screen->receipt().lineSum(row).kopecks, c.after);
        EXPECT_EQ(Money::parseOr(screen->lblDiscount->text()).kopecks, c.before - c.after);
        payAndCompare(Money::fromKopecks(c.after));
        EXPECT_EQ(registrations().size(), 2);
    }
    // Two thirds of a pack at 400.00 with 1.00 off, the parts as the register took them.
    enter("23", 2, 7);
    enter("23", 2, 7);
    ASSERT_TRUE(discount(DiscountOnReceipt, DiscountKindSum, "1"));
    EXPECT_EQ(screenTotal().kopecks, 22758);  // 114.29 * 2 - 1.00
    payAndCompare(Money::fromKopecks(22758));
}

TEST_F(ReceiptMoneyTest, ADiscountThatWouldBringAPositionToNothingIsRefusedAndTheReceiptStaysWhole) {
    struct Case {
        const char* what;
        int target;
        int kind;
        const char* value;
    };
    const Case cases[] = {
        {"60 % off the receipt", DiscountOnReceipt, DiscountKindPercent, "60"},
        {"99 % off the dill", DiscountOnPosition, DiscountKindPercent, "99"},
        {"30.00 off the receipt of 50.01", DiscountOnReceipt, DiscountKindSum, "30"},
    };
    const QString refusal = QStringLiteral(" Со скидкой сумма позиции     \r\n  < Укроп >     \r\n составляет 0.00 руб.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        enter("31");
        enter("32");
        ASSERT_EQ(screenTotal().kopecks, 5001);
        messages.clear();
        EXPECT_FALSE(discount(c.target, c.kind, c.value, rowOf("32")));
        EXPECT_TRUE(messages.last().startsWith(refusal)) << messages.last().toStdString();
        EXPECT_EQ(screenTotal().kopecks, 5001);
        EXPECT_EQ(screen->receipt().receiptDiscountKind(), QLatin1Char('N'));
        EXPECT_EQ(screen->receipt().lineDiscountKind(rowOf("32")), QLatin1Char('N'));
        payAndCompare(Money::fromKopecks(5001));
        EXPECT_EQ(registrations().size(), 2);
        EXPECT_EQ(lastStored().lines, 2);
    }
    // The dill left the stock each time.
    EXPECT_EQ(rows("SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 32")[0].str("GOOD_COUNT").toDouble(), 997.0);
}

TEST_F(ReceiptMoneyTest, ClosingRefusesAPositionAtNothingInsteadOfDroppingIt) {
    enter("31");
    // A gram of dill: nothing at a kopeck a kilo, as no entry path lets in.
    addGoodPosition(screen->receipt(), GoodRecord{"32", "Укроп", "0.01", "да", "Т", "643", "0", "11", "2"}, "0.01",
                    Qty::fromThousandths(1));
    ASSERT_EQ(screen->RecalcReceipt(), 0);
    kkt->clearJournal();
    messages.clear();
    // Should the payment window open after all, it is closed unpaid.
    QTimer::singleShot(0, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    QTest::mouseClick(screen->btnCloseCheck, Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("< Укроп > (строка 2)"))) << messages.last().toStdString();
    EXPECT_TRUE(messages.last().contains(QStringLiteral("составляет 0.00 руб.")));
    for (const JournalEntry& e : kkt->journal()) EXPECT_NE(e.method, QStringLiteral("openReceipt"));
    EXPECT_TRUE(rows("SELECT * FROM DOCUMENTS").empty());
    EXPECT_EQ(screen->receipt().dataRowCount(), 2);
}

// ---------------------------------------------------------------------------
// The randomized run

namespace {

// The receipt as the cashier built it, and what each position must come to,
// worked out in whole kopecks apart from the program.
struct ModelRow {
    QString id;
    std::int64_t price = 0;  // kopecks
    bool weighed = false;
    std::int64_t qty = 0;  // thousandths
    std::vector<std::pair<int, int>> parts;  // parts of a pack, n/d
    int wholes = 0;                          // whole marked units
    bool marked = false;
    char lineKind = 'N';
    std::int64_t lineValue = 0;  // percent, or kopecks
};

struct Model {
    std::vector<ModelRow> rows;
    char kind = 'N';
    std::int64_t value = 0;

    ModelRow* find(const QString& id) {
        for (ModelRow& r : rows)
            if (r.id == id) return &r;
        return nullptr;
    }

    // What a row comes to at unit price `unit` (kopecks as a fraction).
    static std::int64_t amountAt(const ModelRow& r, __int128 unitNum, __int128 unitDen) {
        if (!r.marked || r.parts.empty()) return roundDiv(unitNum * r.qty, unitDen * 1000);
        std::int64_t sum = roundDiv(unitNum * r.wholes, unitDen);
        for (const auto& [n, d] : r.parts) sum += roundDiv(unitNum * n, unitDen * d);
        return sum;
    }
    static std::int64_t amount(const ModelRow& r) { return amountAt(r, r.price, 1); }
    static bool partsRow(const ModelRow& r) { return r.marked && !r.parts.empty(); }
    static size_t pieces(const ModelRow& r) { return r.parts.size() + size_t(r.wholes); }

    static std::int64_t percentSum(const ModelRow& r, std::int64_t pct, bool* pieceZero) {
        const std::int64_t unit = roundDiv(__int128(r.price) * (100 - pct), 100);
        if (partsRow(r)) {
            for (const auto& [n, d] : r.parts) *pieceZero = *pieceZero || roundDiv(__int128(unit) * n, d) == 0;
            *pieceZero = *pieceZero || (r.wholes > 0 && unit == 0);
        }
        return amountAt(r, unit, 1);
    }
    // `rest` = restNum / restDen kopecks left of the row by a sum discount.
    static std::int64_t sumRest(const ModelRow& r, __int128 restNum, __int128 restDen) {
        if (partsRow(r)) return roundDiv(restNum, restDen);
        const std::int64_t unit = roundDiv(restNum * 1000, restDen * r.qty);
        return roundDiv(__int128(unit) * r.qty, 1000);
    }

    enum class Verdict { Accepted, Refused, Unknown };
    // The sums of the rows by goods, or the refusal the program must give.
    Verdict sums(std::map<QString, std::int64_t>& out) const {
        out.clear();
        bool unknown = false;
        auto check = [&](const ModelRow& r, std::int64_t line, std::int64_t sum, bool pieceZero, bool bySum) {
            if (line <= 0) return true;
            if (sum <= 0 || pieceZero) return false;
            // A sum spread over the parts gives each part at least its whole
            // share rounded down: under a kopeck a share may go either way.
            if (bySum && partsRow(r) && sum < std::int64_t(pieces(r))) return false;
            if (bySum && partsRow(r)) {
                for (const auto& [n, d] : r.parts)
                    if (__int128(sum) * n * r.price < __int128(line) * d * 2) unknown = true;
                if (r.wholes > 0 && __int128(sum) * r.price < __int128(line) * 2) unknown = true;
            }
            return true;
        };
        if (kind == 'S') {
            std::int64_t total = 0;
            for (const ModelRow& r : rows) total += amount(r);
            if (value >= total - 1) return Verdict::Refused;
            for (const ModelRow& r : rows) {
                const std::int64_t line = amount(r);
                const std::int64_t sum = sumRest(r, __int128(line) * (total - value), total);
                if (!check(r, line, sum, false, true)) return Verdict::Refused;
                out[r.id] = sum;
            }
        } else {
            for (const ModelRow& r : rows) {
                const std::int64_t line = amount(r);
                const char k = kind == 'P' ? 'P' : r.lineKind;
                const std::int64_t v = kind == 'P' ? value : r.lineValue;
                std::int64_t sum = line;
                bool pieceZero = false;
                if (k == 'P') {
                    sum = percentSum(r, v, &pieceZero);
                } else if (k == 'S') {
                    if (v >= line - 1) return Verdict::Refused;
                    sum = sumRest(r, line - v, 1);
                }
                if (k != 'N' && !check(r, line, sum, pieceZero, k == 'S')) return Verdict::Refused;
                out[r.id] = sum;
            }
        }
        return unknown ? Verdict::Unknown : Verdict::Accepted;
    }
};

class ReceiptRun {
public:
    explicit ReceiptRun(std::uint32_t seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::ostringstream log;
    Model model;
    int payments = 0;

private:
    std::mt19937 rng_;
};

}  // namespace

// Operations at random on the main screen: goods by code, weighed goods at
// random weights, parts of packs and whole marked units, quantity changes,
// marked units taken out, deletions, percent and sum discounts on a position
// and on the receipt, and payments. After every step the program's sums must
// be the model's and no position may be at 0.00; at every payment the screen,
// the register and the database must agree to the kopeck.
TEST_F(ReceiptMoneyTest, RandomCashierOperationsKeepTheReceiptsMoneyExact) {
    PositionEdits* edits = findPositionEdits(*screen);
    ASSERT_NE(edits, nullptr);
    for (const std::uint32_t seed : {11u, 23u, 37u, 41u}) {
        ReceiptRun run(seed);
        Model& m = run.model;
        auto fail = [&](const std::string& what) {
            ADD_FAILURE() << "seed " << seed << ": " << what << "\n" << run.log.str();
        };
        for (int step = 0; step < 50; ++step) {
            ReceiptModel& receipt = screen->receipt();
            const ReceiptModel before = receipt;
            Model next = m;
            // The last step pays whatever is left.
            const int op = step == 49 ? 12 : run.pick(14);
            messages.clear();
            bool refusedByProgram = false;  // the program left the receipt as it was
            bool skip = false;

            if (op <= 3) {  // goods by code
                // Marked goods twice as often: their parts and units are where money slips.
                const int choice = run.pick(8);
                const Goods& g = kGoods[choice < 6 ? choice : choice - 2];
                int num = 0, den = 0;
                if (g.markType && run.pick(3) > 0) {
                    den = g.pack;
                    num = 1 + run.pick(den - 1);
                }
                run.log << step << ": enter " << g.id << " " << num << "/" << den << "\n";
                const QList<QStringList> items = screen->MarkedItems();
                enter(g.id, num, den);
                ModelRow* r = next.find(g.id);
                if (!r) {
                    next.rows.push_back({});
                    r = &next.rows.back();
                    r->id = g.id;
                    r->price = Money::parseOr(g.price).kopecks;
                    r->weighed = g.weighed;
                    r->marked = g.markType != 0;
                }
                if (num) {
                    r->parts.push_back({num, den});
                    r->qty += packPartQuantity(PackPart{num, den}).thousandths;
                } else {
                    r->qty += 1000;
                    if (r->marked) ++r->wholes;
                }
                refusedByProgram = receipt.sameContent(before) && items == screen->MarkedItems();
            } else if (op == 4 && !m.rows.empty()) {  // a new quantity
                ModelRow& r = next.rows[size_t(run.pick(int(next.rows.size())))];
                if (r.marked) {
                    skip = true;
                } else {
                    const std::int64_t qty = r.weighed ? 1 + run.pick(3000) : 1 + run.pick(5);
                    run.log << step << ": quantity " << r.id.toStdString() << " " << qty << "\n";
                    const int row = rowOf(r.id);
                    applyCountInputQuantity(receipt, row, Qty::fromThousandths(qty * (r.weighed ? 1 : 1000)));
                    if (screen->RecalcReceipt() != 0 || !countInputRowProblem(receipt, row).isEmpty()) {
                        receipt.assignContent(before);
                        screen->RecalcReceipt();
                        refusedByProgram = true;
                    }
                    r.qty = qty * (r.weighed ? 1 : 1000);
                    if (next.kind == 'S') next.kind = 'N', next.value = 0;
                    if (r.lineKind == 'S') r.lineKind = 'N', r.lineValue = 0;
                    if (Model::amount(r) == 0) {
                        // A quantity worth nothing is refused as well.
                        if (!refusedByProgram) fail("a quantity worth 0.00 was let in");
                        next = m;
                        skip = true;
                    }
                }
            } else if ((op == 5 || op == 6) && !m.rows.empty()) {  // a marked unit taken out
                std::vector<size_t> marked;
                for (size_t i = 0; i < next.rows.size(); ++i)
                    if (next.rows[i].marked) marked.push_back(i);
                const size_t index = marked.empty() ? 0 : marked[size_t(run.pick(int(marked.size())))];
                ModelRow& r = next.rows[index];
                if (!r.marked) {
                    skip = true;
                } else {
                    const int row = rowOf(r.id);
                    // The record to take out: a part or a whole unit of the goods.
                    QList<int> records;
                    for (int i = 0; i < screen->MarkedItems().size(); ++i)
                        if (screen->MarkedItems()[i].value(MarkGoodId) == r.id) records << i;
                    const QStringList record = screen->MarkedItems()[records[run.pick(int(records.size()))]];
                    run.log << step << ": take out " << r.id.toStdString() << " " << record.value(MarkNumerator).toStdString()
                            << "\n";
                    const MarkedQuantityCheck check =
                        checkMarkedQuantity(receipt, screen->MarkedItems(), row, 13);
                    if (check.outcome != MarkedQuantityCheck::Outcome::Open)
                        return fail("the marked position does not open: " + check.message.toStdString());
                    TfmCountInputMarkGood w(*screen, check.request, screen.get());
                    w.show();
                    for (const QChar c : record.value(MarkFullCode)) w.FormKeyPress(c);
                    w.Timer1Timer();
                    const int num = record.value(MarkNumerator).toInt();
                    if (num) {
                        const int den = record.value(MarkDenominator).toInt();
                        const auto it = std::find(r.parts.begin(), r.parts.end(), std::make_pair(num, den));
                        r.parts.erase(it);
                        r.qty -= packPartQuantity(PackPart{num, den}).thousandths;
                    } else {
                        --r.wholes;
                        r.qty -= 1000;
                    }
                    if (next.kind == 'S') next.kind = 'N', next.value = 0;
                    if (r.lineKind == 'S') r.lineKind = 'N', r.lineValue = 0;
                    if (r.qty <= 0) next.rows.erase(next.rows.begin() + std::ptrdiff_t(index));
                    refusedByProgram = receipt.sameContent(before);
                }
            } else if (op == 7 && !m.rows.empty()) {  // a position deleted
                const size_t index = size_t(run.pick(int(next.rows.size())));
                run.log << step << ": delete " << next.rows[index].id.toStdString() << "\n";
                edits->annulPosition(rowOf(next.rows[index].id), false);
                next.rows.erase(next.rows.begin() + std::ptrdiff_t(index));
                if (next.kind == 'S') next.kind = 'N', next.value = 0;
            } else if (op >= 8 && op <= 11 && !m.rows.empty()) {  // a discount
                const bool onReceipt = op == 8 || m.kind != 'N';
                const bool bySum = run.pick(2) == 0;
                std::int64_t value = 0;
                QString text;
                std::int64_t base = 0;
                ModelRow* r = onReceipt ? nullptr : &next.rows[size_t(run.pick(int(next.rows.size())))];
                for (const ModelRow& x : next.rows) base += Model::amount(x);
                if (r) base = Model::amount(*r);
                if (bySum) {
                    // Anything up to all of it, nearly all of it now and then.
                    value = run.pick(3) == 0 ? std::max<std::int64_t>(base - 1 - run.pick(3), 0)
                                             : run.pick(int(std::max<std::int64_t>(base, 1)));
                    text = Money::fromKopecks(value).toString();
                } else {
                    const int percents[] = {0, 1, 5, 10, 33, 50, 60, 99};
                    value = percents[run.pick(8)];
                    text = QString::number(value);
                }
                run.log << step << ": discount " << (onReceipt ? "receipt " : "row ")
                        << (r ? r->id.toStdString() : "") << (bySum ? " sum " : " percent ") << text.toStdString()
                        << "\n";
                refusedByProgram = !discount(onReceipt ? DiscountOnReceipt : DiscountOnPosition,
                                             bySum ? DiscountKindSum : DiscountKindPercent, text,
                                             r ? rowOf(r->id) : 0);
                if (onReceipt) {
                    for (ModelRow& x : next.rows) x.lineKind = 'N', x.lineValue = 0;
                    next.kind = value ? (bySum ? 'S' : 'P') : 'N';
                    next.value = value;
                } else {
                    r->lineKind = value ? (bySum ? 'S' : 'P') : 'N';
                    r->lineValue = value;
                }
            } else if (op >= 12 && !m.rows.empty()) {  // payment
                std::map<QString, std::int64_t> sums;
                m.sums(sums);
                std::int64_t total = 0;
                for (const auto& [id, s] : sums) total += s;
                run.log << step << ": pay " << total << "\n";
                payAndCompare(Money::fromKopecks(total));
                if (HasFailure()) return fail("the payment");
                m = Model{};
                ++run.payments;
                continue;
            } else {
                skip = true;
            }
            if (skip) {
                if (!receipt.sameContent(before) && !HasFailure()) fail("an operation to skip changed the receipt");
                continue;
            }

            std::map<QString, std::int64_t> expected;
            const Model::Verdict verdict = next.sums(expected);
            if (verdict == Model::Verdict::Refused || (verdict == Model::Verdict::Unknown && refusedByProgram)) {
                if (!refusedByProgram) return fail("the program took what had to be refused");
                if (!receipt.sameContent(before)) return fail("a refusal changed the receipt");
                continue;
            }
            if (refusedByProgram && !receipt.sameContent(before)) return fail("a refusal changed the receipt");
            if (refusedByProgram) return fail("the program refused what it had to take");
            m = next;

            // The program's rows against the model's.
            std::int64_t total = 0;
            int positions = 0;
            for (int row = 1; row < receipt.rowCount(); ++row) {
                if (!receipt.isActive(row)) continue;
                ++positions;
                const QString id = receipt.cell(row, ReceiptModel::ColId).trimmed();
                const std::int64_t sum = receipt.lineSum(row).kopecks;
                if (sum <= 0) return fail("position " + id.toStdString() + " at 0.00 or less");
                if (!expected.count(id) || expected[id] != sum)
                    return fail("position " + id.toStdString() + ": " + std::to_string(sum) + " instead of " +
                                std::to_string(expected[id]));
                total += sum;
            }
            if (positions != int(expected.size())) return fail("positions differ from the model");
            if (screenTotal().kopecks != total) return fail("the total label");
        }
        EXPECT_GT(run.payments, 0) << "seed " << seed;
        if (!m.rows.empty()) {
            screen->resetReceipt();
        }
    }
}
