// Item entry on a real database: weight barcodes, piece goods, repeated
// scans, the choice list, goods codes, cashier cards and the checks of the
// receipt's payment method.
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "sales/input/ItemEntry.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/receipt/SumLimits.h"
#include "sales/input/uGoodsFound.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

using sales::ReceiptModel;

namespace {

struct Goods {
    int id;
    QString name;
    QString price = QStringLiteral("10.00");
    QString weighed = QStringLiteral("нет");
    int markType = 0;
    std::optional<int> measure = 0;
    QString country = QStringLiteral("643");
};

class ItemEntryTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        entry = std::make_unique<sales::ItemEntry>(screen, [this] { return &db(); });
        entry->setGoodsChooser([this](const std::vector<sales::FoundGoods>& goods, int tag, QWidget*) {
            offered.clear();
            for (const auto& g : goods) offered << g.good.id;
            choiceTag = tag;
            return choice;
        });
        entry->setMarkingEntry([this](sales::EntryScreen&, const sales::MarkingRequest& r) {
            marking.push_back(r);
            return sales::MarkingOutcome::NotHandled;
        });
    }

    void add(const Goods& g, const QStringList& barcodes) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_NALOG, "
                                   "GOOD_ISGOOD, GOOD_COUNTRY_CODE, GOOD_MARKTYPE, GOOD_EDIZM, GOOD_EDIZM_FFD) "
                                   "VALUES (?, ?, ?, ?, 'Т', ' 1 ', 1, ?, ?, 'шт', ?)"),
                    {std::int64_t{g.id}, g.name, g.price, g.weighed, g.country, std::int64_t{g.markType},
                     g.measure ? fb::Value(std::int64_t{*g.measure}) : fb::null()});
        for (const QString& b : barcodes)
            fb::execute(tr, QStringLiteral("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (?, ?)"),
                        {std::int64_t{g.id}, b});
        tr.commit();
    }

    void addUser(int id, const QString& fio, const QString& card, const QString& rights) {
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO USERS (USER_ID, USER_FIO, USER_INN, USER_POST, USER_PASSWORD, "
                                   "USER_BARCODE, USER_RIGHTS) VALUES (?, ?, '500100732259', '', '1', ?, ?)"),
                    {std::int64_t{id}, fio, card, rights});
        tr.commit();
    }

    // A scan the key router ended: the code is the Latin copy.
    void scan(const QString& code) {
        screen.latin = code;
        entry->btnBarcodeClick(sales::EntrySource::Router);
    }

    QStringList activeIds() const {
        QStringList out;
        for (int r = 1; r < screen.model.rowCount(); ++r)
            if (screen.model.isActive(r)) out << screen.model.cell(r, ReceiptModel::ColId);
        return out;
    }
    QString qty(int row) const { return screen.model.cell(row, ReceiptModel::ColQty); }

    testsupport::FakeMessages messages;
    sales::PlainEntryScreen screen;
    std::unique_ptr<sales::ItemEntry> entry;
    std::optional<int> choice;
    QStringList offered;
    int choiceTag = -1;
    std::vector<sales::MarkingRequest> marking;
};

TEST_F(ItemEntryTest, WeightBarcodeAddsItsWeightAndAgainInTheSameRow) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    add({7, QStringLiteral("Сыр"), QStringLiteral("500.00"), QStringLiteral("да"), 0, 11}, {QStringLiteral("123")});
    scan(QStringLiteral("2100123012345"));
    ASSERT_EQ(activeIds(), QStringList{"7"});
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColKind), QStringLiteral("W"));
    EXPECT_EQ(qty(1), QStringLiteral("1.234"));
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColSum), QStringLiteral("617.00"));
    EXPECT_EQ(screen.model.attr(1, ReceiptModel::AttrMeasure), QStringLiteral("11"));
    EXPECT_EQ(screen.model.attr(1, ReceiptModel::AttrVat), QStringLiteral("1"));
    scan(QStringLiteral("2100123012345"));
    EXPECT_EQ(activeIds(), QStringList{"7"});
    EXPECT_EQ(qty(1), QStringLiteral("2.468"));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_TRUE(screen.latin.isEmpty());
}

TEST_F(ItemEntryTest, WeightBarcodeRefusals) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    add({7, QStringLiteral("Сыр"), QStringLiteral("500.00"), QStringLiteral("да"), 0, 11}, {QStringLiteral("123")});
    add({8, QStringLiteral("Вафли"), QStringLiteral("50.00")}, {QStringLiteral("2100123")});
    struct Case {
        const char* code;
        QString message;
        QStringList rows;
    };
    const Case cases[] = {
        {"2100123000005", sales::kZeroWeight, {}},
        {"2100999012345", sales::kWeightNotFound, {}},
        // Under 12 characters a code under a weight prefix is an ordinary barcode.
        {"2100123", QString(), {"8"}},
    };
    for (const Case& c : cases) {
        screen.model.reset();
        messages.clear();
        scan(QString::fromLatin1(c.code));
        EXPECT_EQ(activeIds(), c.rows) << c.code;
        if (c.message.isEmpty()) EXPECT_TRUE(messages.boxes.empty()) << c.code;
        else EXPECT_EQ(messages.last(), c.message) << c.code;
    }
}

TEST_F(ItemEntryTest, RepeatedScansMergeAndAnnulledRowsAreReusedClean) {
    add({1, QStringLiteral("Хлеб"), QStringLiteral("30.00")}, {QStringLiteral("004600000000017")});
    add({2, QStringLiteral("Яблоки"), QStringLiteral("100.00"), QStringLiteral("да"), 0, 11},
        {QStringLiteral("4600000000024")});
    // Row 1 was annulled: its leftovers must not reach the next position.
    const int old = 1;
    screen.model.setCell(old, ReceiptModel::ColStatus, QStringLiteral("E"));
    screen.model.setCell(old, ReceiptModel::ColCustoms, QStringLiteral("10702020/010120/0000001"));
    screen.model.setAttr(old, ReceiptModel::AttrSavedKind, QStringLiteral("P"));

    scan(QStringLiteral("4600000000017"));
    scan(QStringLiteral("04600000000017"));
    scan(QStringLiteral("4600000000024"));
    scan(QStringLiteral("4600000000024"));
    ASSERT_EQ(activeIds(), (QStringList{"1", "2"}));
    EXPECT_EQ(qty(1), QStringLiteral("2"));
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColCustoms), QString());
    EXPECT_EQ(screen.model.attr(1, ReceiptModel::AttrSavedKind), QString());
    EXPECT_EQ(screen.model.cell(2, ReceiptModel::ColKind), QStringLiteral("W"));
    EXPECT_EQ(qty(2), QStringLiteral("2.000"));
    EXPECT_EQ(screen.model.cell(2, ReceiptModel::ColSum), QStringLiteral("200.00"));
    EXPECT_EQ(screen.current, 2);
}

TEST_F(ItemEntryTest, BarcodeOfTwoGoodsOpensTheChoiceList) {
    add({1, QStringLiteral("Сок яблочный")}, {QStringLiteral("4600000000055")});
    add({2, QStringLiteral("Сок вишнёвый"), QStringLiteral("12.00")}, {QStringLiteral("4600000000055")});
    choice = 0;
    scan(QStringLiteral("4600000000055"));
    EXPECT_EQ(choiceTag, sales::kChoiceByBarcode);
    EXPECT_EQ(offered, (QStringList{"2", "1"}));
    EXPECT_EQ(activeIds(), QStringList{"2"});
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColPrice), QStringLiteral("12.00"));

    choice.reset();  // the cashier closes the list
    scan(QStringLiteral("4600000000055"));
    EXPECT_EQ(activeIds(), QStringList{"2"});
    EXPECT_EQ(qty(1), QStringLiteral("1"));
}

TEST_F(ItemEntryTest, ChoiceListWindowReturnsTheRowTheCashierMovedTo) {
    std::vector<sales::FoundGoods> goods(2);
    goods[0].good.id = QStringLiteral("1");
    goods[0].good.name = QStringLiteral("Сок");
    goods[1].good.id = QStringLiteral("2");
    goods[1].good.name = QStringLiteral("Сигареты");
    goods[1].good.price = QStringLiteral("150.00");
    goods[1].markType = 4;
    TfmGoodsFound window;
    window.setTobaccoRule(1);
    window.setTag(sales::kChoiceByBarcode);
    window.setGoods(goods);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("По ШТРИХКОДУ найдено:"));
    EXPECT_EQ(window.DBGrid1->item(1, 3)->text(), QStringLiteral("--.--"));
    EXPECT_EQ(window.DBGrid1->item(1, 6)->text(), QStringLiteral("табак"));
    EXPECT_EQ(window.chosenIndex(), 0);
    window.DBGrid1->setCurrentCell(1, 2);
    window.btnOK->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.chosenIndex(), 1);
}

TEST_F(ItemEntryTest, TypedGoodsCode) {
    add({12, QStringLiteral("Батон"), QStringLiteral("25.50")}, {});
    exec(QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD) VALUES (13, 'Хлебобулочные', 0)"));
    struct Case {
        const char* line;
        QString message;
        QStringList rows;
    };
    const Case cases[] = {
        {"12", QString(), {"12"}},
        {" 12 ", QString(), {"12"}},
        {"12.5", sales::kCodeNotInteger, {}},
        {"", sales::kCodeNotInteger, {}},
        {"999", QStringLiteral("Товар по коду 999 не найден !      "), {}},
        {"13", QStringLiteral("Товар по коду 13 не найден !      "), {}},
        {"99999999999", QStringLiteral("Товар по коду 99999999999 не найден !      "), {}},
    };
    for (const Case& c : cases) {
        screen.model.reset();
        messages.clear();
        screen.line = QString::fromLatin1(c.line);
        entry->btnCodeClick();
        EXPECT_EQ(activeIds(), c.rows) << c.line;
        EXPECT_TRUE(screen.line.isEmpty()) << c.line;
        if (c.message.isEmpty()) EXPECT_TRUE(messages.boxes.empty()) << c.line;
        else EXPECT_EQ(messages.last(), c.message) << c.line;
    }
}

TEST_F(ItemEntryTest, CodesThatFindNothing) {
    struct Case {
        const char* code;
        QString message;  // empty: nothing happens at all
    };
    const Case cases[] = {
        {"1234", QString()},
        {"12345678901234567890", QStringLiteral(" По штрихкоду '12345678901234567890' ничего не найдено.     ")},
        {"0104600000000099210123456789", QStringLiteral(" По штрихкоду '0104600000000099210123...' ничего не найдено.     ")},
        {"4690000000000", QStringLiteral(" По штрихкоду '4690000000000' ничего не найдено.     ")},
    };
    for (const Case& c : cases) {
        messages.clear();
        scan(QString::fromLatin1(c.code));
        EXPECT_TRUE(activeIds().isEmpty()) << c.code;
        if (c.message.isEmpty()) EXPECT_TRUE(messages.boxes.empty()) << c.code;
        else EXPECT_EQ(messages.last(), c.message) << c.code;
    }
}

TEST_F(ItemEntryTest, ShortInputFromTheButtonKeepsTheLine) {
    screen.line = QStringLiteral("123");
    entry->btnBarcodeClick(sales::EntrySource::Button);
    EXPECT_EQ(screen.line, QStringLiteral("123"));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ItemEntryTest, CashierCardMidReceiptChangesTheCashierWithoutTouchingTheReceipt) {
    add({1, QStringLiteral("Хлеб")}, {QStringLiteral("4600000000017")});
    addUser(5, QStringLiteral("Петров П.П."), QStringLiteral("77001"), QStringLiteral("админ"));
    scan(QStringLiteral("4600000000017"));
    scan(QStringLiteral("77001"));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(screen.user.userId, 5);
    EXPECT_EQ(screen.user.name, QStringLiteral("Петров П.П."));
    EXPECT_EQ(screen.user.postLabel, QStringLiteral("  Кассир : "));
    EXPECT_EQ(screen.user.inn, QStringLiteral("500100732259"));
    EXPECT_EQ(screen.rightsMode, core::AdminRights);
    EXPECT_EQ(activeIds(), QStringList{"1"});
    EXPECT_EQ(qty(1), QStringLiteral("1"));
}

TEST_F(ItemEntryTest, LockedWorkplaceTakesOnlyACashierCard) {
    add({1, QStringLiteral("Хлеб")}, {QStringLiteral("4600000000017")});
    addUser(6, QStringLiteral("Сидорова"), QStringLiteral("CARD-6"), QStringLiteral("кассир"));
    screen.locked = true;
    scan(QStringLiteral("4600000000017"));  // no goods while locked, and no message
    EXPECT_TRUE(screen.locked);
    EXPECT_TRUE(activeIds().isEmpty());
    // A marking code longer than any card: no card, and no failure either.
    scan(QStringLiteral("0104600000000017215Gk)sC9V<l") + QStringLiteral("9").repeated(52));
    EXPECT_TRUE(screen.locked);
    EXPECT_TRUE(messages.boxes.empty());
    scan(QStringLiteral("CARD-6"));
    EXPECT_FALSE(screen.locked);
    EXPECT_EQ(screen.user.userId, 6);
    EXPECT_EQ(screen.rightsMode, core::CashierRights);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ItemEntryTest, CardRightsOnTheLockedScreenAndMidReceipt) {
    struct Case {
        const char* rights;
        bool locked;
        int mode;
    };
    // The lock banner grants administrator rights for "админ" only; a card
    // read mid-receipt also for "АДМИН" and "1".
    const Case cases[] = {
        {"админ", true, core::AdminRights},    {"АДМИН", true, core::CashierRights},
        {"1", true, core::CashierRights},      {"кассир", true, core::CashierRights},
        {"админ", false, core::AdminRights},   {"АДМИН", false, core::AdminRights},
        {"1", false, core::AdminRights},       {"кассир", false, core::CashierRights},
    };
    int id = 30;
    for (const Case& c : cases) {
        const QString card = QStringLiteral("CARD-%1").arg(++id);
        addUser(id, QStringLiteral("Кассир %1").arg(id), card, QString::fromUtf8(c.rights));
        screen.locked = c.locked;
        screen.rightsMode = -1;
        scan(card);
        EXPECT_EQ(screen.user.userId, id) << c.rights << c.locked;
        EXPECT_EQ(screen.rightsMode, c.mode) << c.rights << c.locked;
        EXPECT_EQ(screen.user.isAdmin, c.mode == core::AdminRights) << c.rights << c.locked;
        EXPECT_FALSE(screen.locked);
    }
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ItemEntryTest, CodeOfZerosOffersTheGoodsWhoseBarcodesStartWithIt) {
    add({1, QStringLiteral("Хлеб")}, {QStringLiteral("4600000000017")});
    add({2, QStringLiteral("Вода"), QStringLiteral("20.00")}, {QStringLiteral("004600000000024")});
    add({3, QStringLiteral("Группа"), QStringLiteral("1.00")}, {});
    choice = 0;
    scan(QStringLiteral("00000"));
    EXPECT_EQ(choiceTag, sales::kChoiceByBarcode);
    EXPECT_EQ(offered, (QStringList{"2", "1"}));
    EXPECT_EQ(activeIds(), QStringList{"2"});
    EXPECT_TRUE(messages.boxes.empty());

    // A barcode of zeros only is what the code names exactly.
    add({4, QStringLiteral("Пакет"), QStringLiteral("3.00")}, {QStringLiteral("0000")});
    offered.clear();
    scan(QStringLiteral("0000000"));
    EXPECT_TRUE(offered.isEmpty());
    EXPECT_EQ(activeIds(), (QStringList{"2", "4"}));
}

TEST_F(ItemEntryTest, PaymentMethodDecidesTheChecks) {
    add({1, QStringLiteral("Вино"), QStringLiteral("900.00"), QStringLiteral("нет"), 0, 0, QStringLiteral("380")},
        {QStringLiteral("4600000000017")});
    add({2, QStringLiteral("Пакет"), QStringLiteral("5.00"), QStringLiteral("нет"), 0, std::nullopt},
        {QStringLiteral("4600000000024")});
    add({3, QStringLiteral("Гвозди"), QStringLiteral("5.00"), QStringLiteral("нет"), 0, 9},
        {QStringLiteral("4600000000031")});
    struct Case {
        int flag;
        bool buyer;
        const char* code;
        QString message;
    };
    const Case cases[] = {
        {4, true, "4600000000017", sales::foreignGoodsText(QStringLiteral("Вино"))},
        {4, false, "4600000000017", QString()},
        {1, true, "4600000000017", QString()},
        {4, false, "4600000000024", sales::badMeasureText(QStringLiteral("Пакет"))},
        {4, false, "4600000000031", sales::badMeasureText(QStringLiteral("Гвозди"))},
        {3, false, "4600000000024", QString()},
        {7, false, "4600000000017", sales::unknownPaymentMethodText()},
    };
    for (const Case& c : cases) {
        screen.model.reset();
        messages.clear();
        screen.flag = c.flag;
        screen.buyer = c.buyer;
        scan(QString::fromLatin1(c.code));
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.boxes.empty()) << c.flag << c.code;
            EXPECT_EQ(activeIds().size(), 1) << c.flag << c.code;
        } else {
            EXPECT_EQ(messages.last(), c.message) << c.flag << c.code;
            EXPECT_TRUE(activeIds().isEmpty()) << c.flag << c.code;
        }
    }
    EXPECT_TRUE(sales::foreignGoodsText(QStringLiteral("Вино")).startsWith(
        QStringLiteral(" Страна происхождения найденного товара:     \r\n < Вино >     \r\n\r\n НЕ Российская Федерация.")));
    EXPECT_TRUE(sales::badMeasureText(QString(100, QLatin1Char('N')), QStringLiteral("12"))
                    .startsWith(QStringLiteral(" У найденного по коду 12 товара     \r\n  < ") + QString(47, QLatin1Char('N')) +
                                QStringLiteral("... >      ")));
}

TEST_F(ItemEntryTest, SameGoodsAtAnotherPriceIsRefused) {
    add({1, QStringLiteral("Хлеб"), QStringLiteral("30.00")}, {QStringLiteral("4600000000017")});
    scan(QStringLiteral("4600000000017"));
    screen.model.setAttr(1, ReceiptModel::AttrBasePrice, QStringLiteral("28.00"));
    screen.model.setCell(1, ReceiptModel::ColPrice, QStringLiteral("28.00"));
    scan(QStringLiteral("4600000000017"));
    EXPECT_EQ(messages.last(), sales::priceConflictText(QStringLiteral("30.00"), 1, QStringLiteral("28.00")));
    EXPECT_EQ(qty(1), QStringLiteral("1"));
}

TEST_F(ItemEntryTest, GoodsWithACataloguePriceThatIsNoNumberAreRefusedBeforeWriting) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    add({1, QStringLiteral("Хлеб"), QStringLiteral("30.00")}, {QStringLiteral("4600000000017")});
    add({2, QStringLiteral("Телевизор"), QStringLiteral("1 200.00")}, {QStringLiteral("4600000000024")});
    add({3, QStringLiteral("Сыр"), QStringLiteral("5OO.00"), QStringLiteral("да"), 0, 11}, {QStringLiteral("123")});
    scan(QStringLiteral("4600000000017"));
    struct Case {
        QString code;       // scanned, or typed as a goods code when `byCode`
        bool byCode;
        QString name;
        QString price;
    };
    const Case cases[] = {
        {QStringLiteral("4600000000024"), false, QStringLiteral("Телевизор"), QStringLiteral("1 200.00")},
        {QStringLiteral("2"), true, QStringLiteral("Телевизор"), QStringLiteral("1 200.00")},
        {QStringLiteral("2100123012345"), false, QStringLiteral("Сыр"), QStringLiteral("5OO.00")},
    };
    for (const Case& c : cases) {
        messages.boxes.clear();
        if (c.byCode) {
            screen.line = c.code;
            entry->btnCodeClick();
        } else {
            scan(c.code);
        }
        EXPECT_EQ(messages.last(), sales::badCataloguePriceText(c.name, c.price)) << c.code.toStdString();
        EXPECT_EQ(activeIds(), QStringList{"1"}) << c.code.toStdString();
    }
    // The receipt still recalculates.
    messages.boxes.clear();
    scan(QStringLiteral("4600000000017"));
    EXPECT_EQ(qty(1), QStringLiteral("2"));
    EXPECT_EQ(screen.model.cell(1, ReceiptModel::ColSum), QStringLiteral("60.00"));
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ItemEntryTest, AddThatTheRecalculationRefusesLeavesTheReceiptAsItWas) {
    add({1, QStringLiteral("Хлеб"), QStringLiteral("30.00")}, {QStringLiteral("4600000000017")});
    add({2, QStringLiteral("Молоко"), QStringLiteral("80.00")}, {QStringLiteral("4600000000024")});
    scan(QStringLiteral("4600000000017"));
    // A row whose stored price went bad makes every recalculation refuse.
    screen.model.setAttr(1, ReceiptModel::AttrBasePrice, QStringLiteral("3O.00"));
    ASSERT_FALSE(screen.receiptChanged(0));
    const ReceiptModel before = screen.model;
    scan(QStringLiteral("4600000000024"));
    EXPECT_EQ(screen.model.rowCount(), before.rowCount());
    EXPECT_EQ(screen.model.cells(), before.cells());
    EXPECT_EQ(screen.model.lineAttrs(), before.lineAttrs());
    scan(QStringLiteral("4600000000017"));
    EXPECT_EQ(screen.model.cells(), before.cells());
    EXPECT_EQ(screen.model.lineAttrs(), before.lineAttrs());
}

TEST_F(ItemEntryTest, ScansThatWouldMakeASumBeyondWhatCanBeStoredAreRefused) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    add({7, QStringLiteral("Шуба"), QStringLiteral("6000000.00")}, {QStringLiteral("4600000000079")});
    add({8, QStringLiteral("Икра"), QStringLiteral("3000000.00"), QStringLiteral("да"), 0, 11}, {QStringLiteral("128")});
    add({9, QStringLiteral("Сервиз"), QStringLiteral("3999999.99")}, {QStringLiteral("4600000000093")});
    add({10, QStringLiteral("Спички"), QStringLiteral("0.01")}, {QStringLiteral("4600000000109")});
    scan(QStringLiteral("4600000000079"));
    ASSERT_EQ(activeIds(), QStringList{"7"});
    namespace text = sales::sumLimitText;
    const struct {
        const char* name;
        QString code;
        QString message;  // empty: the scan is taken
    } cases[] = {
        {"a second unit: 12000000.00 in one line", QStringLiteral("4600000000079"), text::kLineSumTooLarge},
        {"4.000 kg by weight barcode: 12000000.00", QStringLiteral("2100128040006"), text::kLineSumTooLarge},
        {"a position that fills the receipt to the largest total", QStringLiteral("4600000000093"), {}},
        {"one kopeck more than the largest total", QStringLiteral("4600000000109"), text::kReceiptTotalTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const ReceiptModel before = screen.model;
        scan(c.code);
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(screen.model.cells(), before.cells());
        }
    }
    EXPECT_EQ(activeIds(), (QStringList{"7", "9"}));
    EXPECT_EQ(sales::CalcReceiptTotal(screen.model), QStringLiteral("9999999.99"));
}

TEST_F(ItemEntryTest, PositionWorthNothingIsRefusedWhenEntered) {
    exec(QStringLiteral("INSERT INTO BARCODE_WEIGHT_PREFIX (PREF) VALUES ('21')"));
    add({7, QStringLiteral("Зелень"), QStringLiteral("4.00"), QStringLiteral("да"), 0, 11}, {QStringLiteral("124")});
    add({8, QStringLiteral("Пакет"), QStringLiteral("0.00")}, {QStringLiteral("4600000000031")});
    add({1, QStringLiteral("Хлеб"), QStringLiteral("30.00")}, {QStringLiteral("4600000000017")});
    struct Case {
        const char* name;
        std::function<void()> enter;
    };
    const Case cases[] = {
        {"0.001 kg at 4.00 by weight barcode", [this] { scan(QStringLiteral("2100124000013")); }},
        {"piece goods priced 0.00", [this] { scan(QStringLiteral("4600000000031")); }},
        {"typed code of goods priced 0.00", [this] {
             screen.line = QStringLiteral("8");
             entry->btnCodeClick();
         }},
    };
    scan(QStringLiteral("4600000000017"));
    ASSERT_EQ(activeIds(), QStringList{"1"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const ReceiptModel before = screen.model;
        c.enter();
        EXPECT_EQ(activeIds(), QStringList{"1"});
        EXPECT_EQ(screen.model.cells(), before.cells());
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_TRUE(messages.last().contains(QStringLiteral("0.00 руб."))) << messages.last().toStdString();
    }
    // A weight worth a kopeck is taken.
    messages.clear();
    scan(QStringLiteral("2100124000029"));
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_EQ(activeIds(), (QStringList{"1", "7"}));
}

TEST_F(ItemEntryTest, MarkedGoodsGoToTheMarkingEntryAndAddNothingYet) {
    add({21, QStringLiteral("Туфли"), QStringLiteral("3000.00"), QStringLiteral("нет"), 5, 0},
        {QStringLiteral("4600000000017")});
    scan(QStringLiteral("0104600000000017215Gk)sC9V<l"));
    scan(QStringLiteral("4600000000017"));
    screen.line = QStringLiteral("21");
    entry->btnCodeClick();
    ASSERT_EQ(marking.size(), 3u);
    EXPECT_EQ(marking[0].kind, sales::CodeKind::DataMatrix);
    EXPECT_EQ(marking[0].code, QStringLiteral("0104600000000017215Gk)sC9V<l"));
    EXPECT_EQ(marking[0].goods.good.id, QStringLiteral("21"));
    EXPECT_EQ(marking[1].kind, sales::CodeKind::Goods);
    EXPECT_TRUE(marking[1].code.isEmpty());
    EXPECT_TRUE(marking[2].code.isEmpty());
    EXPECT_TRUE(activeIds().isEmpty());
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ItemEntryTest, MarkedGoodsSayTheyCannotBeSoldYet) {
    add({21, QStringLiteral("Туфли"), QStringLiteral("3000.00"), QStringLiteral("нет"), 5, 0},
        {QStringLiteral("4600000000017")});
    add({1, QStringLiteral("Хлеб")}, {QStringLiteral("4600000000024")});
    entry->setMarkingEntry(sales::enterMarkingCode);
    scan(QStringLiteral("4600000000024"));
    const struct {
        QString code;
        bool byCode;
    } cases[] = {
        {QStringLiteral("0104600000000017215Gk)sC9V<l"), false},
        {QStringLiteral("4600000000017"), false},
        {QStringLiteral("21"), true},
    };
    for (const auto& c : cases) {
        messages.clear();
        if (c.byCode) {
            screen.line = c.code;
            entry->btnCodeClick();
        } else {
            scan(c.code);
        }
        ASSERT_EQ(messages.boxes.size(), 1u) << c.code.toStdString();
        EXPECT_EQ(messages.last(), sales::markedGoodsNotSoldText(QStringLiteral("Туфли"))) << c.code.toStdString();
        EXPECT_EQ(activeIds(), QStringList{"1"}) << c.code.toStdString();
        EXPECT_EQ(qty(1), QStringLiteral("1"));
    }
    EXPECT_TRUE(sales::markedGoodsNotSoldText(QStringLiteral("Туфли")).contains(QStringLiteral("< Туфли >")));
}

}  // namespace
