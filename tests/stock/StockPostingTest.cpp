// The database side of stock documents: numbering and states, saving and
// loading lines, posting per kind and unposting that gives back exactly
// what posting changed, deletion, and the group fill.
#include "StockTestSupport.h"

#include "stock/StockLogic.h"
#include "stock/StockRepository.h"

#include "core/SchemaUpgrade.h"
#include "platform/db/Metadata.h"
#include "platform/db/Procedure.h"

#include <map>

namespace {

using stock::Line;

class StockPosting : public stocktest::StockDbTest {
protected:
    void workingList(const std::vector<Line>& lines) {
        fb::Transaction tr(db());
        stock::clearLines(tr);
        stock::LineChanges c;
        c.inserted = lines;
        stock::writeLineChanges(tr, c);
        tr.commit();
    }
    int save(int kind, int number, bool post, int existingId = 0) {
        fb::Transaction tr(db());
        stock::SaveRequest r;
        r.post = post;
        r.existing = existingId > 0;
        r.docId = existingId;
        r.kind = kind;
        r.number = number;
        r.date = QDate(2026, 3, 14);
        r.user = QStringLiteral(" Иванова ");
        const int id = stock::saveDocument(tr, r);
        tr.commit();
        return id;
    }
    void unpost(int id) {
        fb::Transaction tr(db());
        stock::unpostDocument(tr, id);
        tr.commit();
    }
    stock::DocStatus status(int kind, int number) {
        fb::Transaction tr(db());
        return stock::docStatus(tr, kind, number);
    }
    std::map<int, std::optional<QString>> stocks(std::initializer_list<int> ids) {
        std::map<int, std::optional<QString>> m;
        for (int id : ids) m[id] = stockOf(id);
        return m;
    }
};

Line line(int id, const QString& price, const QString& declar = QString()) {
    Line l;
    l.goodsId = id;
    l.name = QStringLiteral("Товар %1").arg(id);
    l.price = price;
    l.declar = declar;
    return l;
}

TEST_F(StockPosting, PostAndUnpostOfEachKindGiveBackStockAndBatchesExactly) {
    struct Case {
        int kind;
        std::vector<Line> lines;
        std::map<int, std::optional<QString>> posted;  // stock after posting
        int newBatches;
    };
    const QString decl = QStringLiteral("10702030/140326/0012345");
    const std::vector<Case> cases = {
        {stock::Inventory,
         {line(1, "10.000", "7.000"), line(2, "", "3"), line(3, "", "0.000"), line(4, "2.500", ""), line(5, "", "")},
         {{1, "7.000"}, {2, "3.000"}, {3, "0.000"}, {4, "2.500"}, {5, "1"}},
         0},
        {stock::GoodsReceipt,
         {line(1, "5.000", decl), line(2, "1.000"), line(3, ""), line(4, "0.250"), line(5, "0.000")},
         {{1, "15.000"}, {2, "1.000"}, {3, ""}, {4, "2.750"}, {5, "1"}},
         3},
        {stock::SurplusEntry,
         {line(1, "5.000"), line(2, "1.000"), line(3, ""), line(4, "0.250")},
         {{1, "15.000"}, {2, "1.000"}, {3, ""}, {4, "2.750"}, {5, "1"}},
         0},
        {stock::WriteOff,
         {line(1, "5.000"), line(2, "1.000"), line(3, ""), line(4, "0.250")},
         {{1, "5.000"}, {2, "-1.000"}, {3, ""}, {4, "2.250"}, {5, "1"}},
         0},
    };
    goods(1, "Хлеб", QStringLiteral("10"));
    goods(2, "Соль", std::nullopt);
    goods(3, "Сахар", QStringLiteral(""));
    goods(4, "Сыр", QStringLiteral("2.500"), 0, true);
    goods(5, "Мыло", QStringLiteral("1"));
    // A batch of another document must be left alone.
    exec(
        "INSERT INTO PORTIONS (P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_GOOD_COUNT_OFFS, P_CONFIRM) VALUES (999, 1, '4', "
        "'1', 1)");

    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const auto before = stocks({1, 2, 3, 4, 5});
        const QString batchesBefore = portions();
        workingList(c.lines);
        const int id = save(c.kind, ++number, true);
        ASSERT_GT(id, 0);
        EXPECT_EQ(stocks({1, 2, 3, 4, 5}), c.posted);
        EXPECT_EQ(status(c.kind, number).state, stock::Posted);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM PORTIONS WHERE P_DOC_ID=%1").arg(id)), c.newBatches);

        unpost(id);
        EXPECT_EQ(stocks({1, 2, 3, 4, 5}), before);
        EXPECT_EQ(portions(), batchesBefore);
        EXPECT_EQ(status(c.kind, number).state, stock::Saved);
    }
}

TEST_F(StockPosting, ReceiptBatchesAreConfirmedWithTheirDeclaration) {
    goods(1, "Сыр", QStringLiteral("0"));
    workingList({line(1, "2.000", " 10702030/140326/0012345 ")});
    const int id = save(stock::GoodsReceipt, 1, true);
    EXPECT_EQ(portions(), QStringLiteral("%1|1|2.000|0|10702030/140326/0012345|1").arg(id));
}

TEST_F(StockPosting, UnpostAfterLaterSalesTakesBackOnlyThePostedChange) {
    struct Case {
        int kind;
        Line line;
        const char* saleLeaves;  // stock after a sale following the posting
        const char* unposted;
    };
    const Case cases[] = {
        {stock::GoodsReceipt, line(1, "5.000"), "13.000", "8.000"},        // 10 + 5, two sold
        {stock::Inventory, line(1, "10.000", "7.000"), "6.000", "9.000"},  // counted 7 of 10, one sold
        {stock::WriteOff, line(1, "4.000"), "5.000", "9.000"},             // 10 - 4, one sold
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        exec("DELETE FROM GOODS");
        goods(1, "Хлеб", QStringLiteral("10"));
        workingList({c.line});
        const int id = save(c.kind, ++number, true);
        exec(QStringLiteral("UPDATE GOODS SET GOOD_COUNT='%1' WHERE GOOD_ID=1").arg(QLatin1String(c.saleLeaves)));
        unpost(id);
        EXPECT_EQ(stockOf(1), QString::fromLatin1(c.unposted));
    }
}

TEST_F(StockPosting, EmptinessCountsOnlyLinesWithAValueForTheKind) {
    struct Case {
        int kind;
        std::vector<Line> lines;
        bool empty;
    };
    const std::vector<Case> cases = {
        {stock::Inventory, {}, true},
        {stock::Inventory, {line(1, "10.000", "")}, true},
        {stock::Inventory, {line(1, "10.000", "0.000")}, false},
        {stock::GoodsReceipt, {line(1, "", "10702030/140326/0012345")}, true},
        {stock::WriteOff, {line(1, "0.000")}, true},
        {stock::WriteOff, {line(1, "0.000"), line(2, "1.000")}, false},
        {stock::SurplusEntry, {line(1, "0.500")}, false},
    };
    for (const Case& c : cases) {
        workingList(c.lines);
        fb::Transaction tr(db());
        EXPECT_EQ(stock::isEmptyForPosting(tr, c.kind), c.empty) << "kind " << c.kind << " lines " << c.lines.size();
    }
}

TEST_F(StockPosting, NumbersRunPerTypeAndStatusFollowsTheDocument) {
    fb::Transaction tr(db());
    EXPECT_EQ(stock::nextDocNumber(tr, stock::GoodsReceipt), 1);
    tr.commit();
    EXPECT_EQ(status(stock::GoodsReceipt, 1).state, stock::New);

    goods(1, "Хлеб", QStringLiteral("1"));
    workingList({line(1, "1.000")});
    const int id = save(stock::GoodsReceipt, 1, false);
    const stock::DocStatus saved = status(stock::GoodsReceipt, 1);
    EXPECT_EQ(saved.state, stock::Saved);
    EXPECT_EQ(saved.docId, id);
    EXPECT_EQ(status(stock::Inventory, 1).state, stock::New);

    fb::Transaction tr2(db());
    EXPECT_EQ(stock::nextDocNumber(tr2, stock::GoodsReceipt), 2);
    EXPECT_EQ(stock::nextDocNumber(tr2, stock::Inventory), 1);
    tr2.commit();

    EXPECT_EQ(save(stock::GoodsReceipt, 1, true, id), id);
    EXPECT_EQ(status(stock::GoodsReceipt, 1).state, stock::Posted);
    exec(QStringLiteral("UPDATE DOCUMENTS SET DOC_CHECK_TYPE=7 WHERE DOC_ID=%1").arg(id));
    EXPECT_EQ(status(stock::GoodsReceipt, 1).state, stock::Unknown);
}

TEST_F(StockPosting, SavedLinesComeBackIntoTheWorkingList) {
    exec("INSERT INTO COUNTRIES (COUNTRY_CODE, COUNTRY_NAME) VALUES ('276', 'ГЕРМАНИЯ')");
    goods(1, "Сыр", QStringLiteral("3"), 0, true, QStringLiteral("276"));
    goods(2, "Хлеб", QStringLiteral("4"));
    workingList({line(1, "1.500", "10702030/140326/0012345"), line(2, "2.000")});
    const int id = save(stock::GoodsReceipt, 1, false);
    // Saving moves no stock.
    EXPECT_EQ(stockOf(1), QStringLiteral("3"));

    fb::Transaction tr(db());
    stock::clearLines(tr);
    stock::dragLines(tr, id);
    const std::vector<Line> lines = stock::readLines(tr, false);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].goodsId, 1);
    EXPECT_EQ(lines[0].price, "1.500");
    EXPECT_EQ(lines[0].declar, "10702030/140326/0012345");
    EXPECT_EQ(lines[0].country, "ГЕРМАНИЯ");
    EXPECT_EQ(lines[0].unit, "шт");
    EXPECT_EQ(lines[1].goodsId, 2);
    EXPECT_EQ(lines[1].price, "2.000");
}

TEST_F(StockPosting, OnlyADocumentThatIsNotPostedCanBeDeleted) {
    goods(1, "Хлеб", QStringLiteral("1"));
    workingList({line(1, "1.000")});
    const int saved = save(stock::WriteOff, 1, false);
    const int posted = save(stock::WriteOff, 2, true);
    fb::Transaction tr(db());
    EXPECT_TRUE(stock::deleteDocument(tr, saved));
    EXPECT_FALSE(stock::deleteDocument(tr, posted));
    tr.commit();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS_DETAIL WHERE DD_DOC_ID=%1").arg(saved)), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_ID=%1").arg(saved)), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_ID=%1").arg(posted)), 1);
}

TEST_F(StockPosting, GroupFillTakesTheGroupsGoodsAndEndsOnACyclicTree) {
    group(20, "Молочное", 0);
    group(21, "Сыры", 20);
    // Two groups that are each other's parent: never reached from the root.
    group(30, "Петля А", 31);
    group(31, "Петля Б", 30);
    goods(1, "Молоко", QStringLiteral("5"), 20);
    goods(2, "Гауда", QStringLiteral("2,5"), 21, true);
    goods(3, "Спички", QStringLiteral("7"), 0);
    goods(4, "Потерянный", QStringLiteral("1"), 31);

    struct Case {
        std::int64_t group;
        bool root;
        bool sub;
        std::vector<std::int64_t> ids;  // in name order
    };
    const Case cases[] = {
        {20, false, true, {2, 1}},     {20, false, false, {1}}, {0, true, false, {3}},
        {0, true, true, {2, 1, 4, 3}}, {30, false, true, {4}},
    };
    for (const Case& c : cases) {
        for (int kind : {stock::Inventory, stock::WriteOff}) {
            fb::Transaction tr(db());
            const std::vector<Line> lines = stock::fillFromGroup(tr, kind, c.group, c.root, c.sub);
            const std::vector<Line> stored = stock::readLines(tr, false);
            tr.commit();
            std::vector<std::int64_t> ids;
            for (const Line& l : lines) ids.push_back(l.goodsId);
            EXPECT_EQ(ids, c.ids) << "group " << c.group << " sub " << c.sub;
            EXPECT_EQ(stored, lines) << "group " << c.group;
            for (const Line& l : lines) {
                if (kind == stock::Inventory && l.goodsId == 2) {
                    EXPECT_EQ(l.price, "2.500");
                }
                if (kind != stock::Inventory) {
                    EXPECT_TRUE(l.price.isEmpty());
                }
            }
        }
    }
}

TEST_F(StockPosting, WorkingListEditModesAddEmptyOrLeaveTheList) {
    struct Case {
        int mode;
        int id;
        int rowsAfter;  // starting from one row
    };
    const Case cases[] = {{1, 0, 0}, {1, 7, 2}, {3, 7, 2}, {2, 7, 1}, {0, 7, 1}, {3, 0, 2}};
    for (const Case& c : cases) {
        workingList({line(1, "1.000")});
        fb::Transaction tr(db());
        fb::callProcedure(tr, "GOODS_TEMP_EDIT",
                          {{"I_MODE", std::int64_t{c.mode}},
                           {"I_ID", std::int64_t{c.id}},
                           {"I_NAME", QStringLiteral("Соль")},
                           {"I_PRICE", QStringLiteral("2")},
                           {"I_EDIZM", QStringLiteral("кг")},
                           {"I_COUNTRY", QString(40, QChar(0x42F))}});
        tr.commit();
        EXPECT_EQ(count("SELECT COUNT(*) FROM GOODS_TEMP"), c.rowsAfter) << "mode " << c.mode << " id " << c.id;
    }
    // A country name longer than the list's column is cut, not refused.
    EXPECT_EQ(count("SELECT CHAR_LENGTH(G_COUNTRY) FROM GOODS_TEMP WHERE G_ID=0"), 32);
}

TEST_F(StockPosting, WeighedGoodsAreKnownByTheirFlag) {
    const std::pair<const char*, bool> cases[] = {{"да", true},   {"ДА", true}, {"1", true},
                                                  {"нет", false}, {"0", false}, {"", false}};
    int id = 0;
    for (const auto& [flag, weighed] : cases) {
        ++id;
        fb::Transaction tr(db());
        fb::execute(tr,
                    QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_W, GOOD_ISGOOD) VALUES (?, 'x', ?, 1)"),
                    {std::int64_t{id}, QString::fromUtf8(flag)});
        EXPECT_EQ(stock::isWeighed(tr, id), weighed) << flag;
        tr.commit();
    }
}

TEST_F(StockPosting, InventoryCountsOverAnyStockTextAndOtherKindsNameTheGoodsTheyCannotRead) {
    goods(1, "Хлеб", QStringLiteral("много"));
    goods(2, "Соль", QStringLiteral("5"));
    for (const int kind : {stock::GoodsReceipt, stock::SurplusEntry, stock::WriteOff}) {
        SCOPED_TRACE(kind);
        workingList({line(2, "1.000"), line(1, "2.000")});
        fb::Transaction tr(db());
        const auto unreadable = stock::unreadableStock(tr, kind);
        ASSERT_TRUE(unreadable);
        EXPECT_EQ(unreadable->goodsId, 1);
        EXPECT_EQ(unreadable->name, QStringLiteral("Хлеб"));
        EXPECT_EQ(unreadable->stock, QStringLiteral("много"));
        // A line that moves nothing reads no stock.
        workingList({line(1, ""), line(2, "1.000")});
        EXPECT_FALSE(stock::unreadableStock(tr, kind));
    }
    workingList({line(1, "", "7"), line(2, "5.000", "3")});
    {
        fb::Transaction tr(db());
        EXPECT_FALSE(stock::unreadableStock(tr, stock::Inventory));
    }
    const int id = save(stock::Inventory, 1, true);
    ASSERT_GT(id, 0);
    EXPECT_EQ(stockOf(1), QStringLiteral("7.000"));
    EXPECT_EQ(stockOf(2), QStringLiteral("3.000"));
    // Unposting gives the old text back as it was.
    unpost(id);
    EXPECT_EQ(stockOf(1), QStringLiteral("много"));
}

TEST_F(StockPosting, AUserNameLongerThanTheColumnIsCutAsReceiptsCutIt) {
    goods(1, "Хлеб", QStringLiteral("1"));
    const QString name(100, QChar(u'Ж'));
    for (const bool post : {false, true}) {
        workingList({line(1, "1.000")});
        fb::Transaction tr(db());
        stock::SaveRequest r;
        r.post = post;
        r.kind = stock::SurplusEntry;
        r.number = post ? 2 : 1;
        r.date = QDate(2026, 3, 14);
        r.user = name;
        const int id = stock::saveDocument(tr, r);
        tr.commit();
        ASSERT_GT(id, 0);
        fb::Transaction read(db());
        const auto row = fb::queryOne(read, "SELECT DOC_USER FROM DOCUMENTS WHERE DOC_ID=?", {std::int64_t{id}});
        ASSERT_TRUE(row);
        EXPECT_EQ(row->str("DOC_USER"), name.left(50));
    }
}

}  // namespace

namespace {

// A database made before the stock documents existed.
class EarlierDatabase : public testsupport::DbTest {};

TEST_F(EarlierDatabase, GetsTheStockProceduresAtTheUpgradeAndKeepsItsOwn) {
    const char* procs[] = {"DOC_GOODMOVE_SAVE", "DOC_GOODMOVE_DRAG", "DOC_GOODMOVE_BACK",  "DOC_GOODMOVE_DELETE",
                           "DOC_STATUS_PROC",   "DOC_IS_EMPTY",      "GOODS_TEMP_CLEAR",   "GOODS_TEMP_EDIT",
                           "GOOD_IS_WEIGHT",    "SUPPLIER_ISWORK",   "PORTIONS_OFFS_WRITE"};
    for (const char* p : procs) exec(QStringLiteral("DROP PROCEDURE ") + QLatin1String(p));
    // One the database already holds is its own and stays as it is.
    exec("CREATE PROCEDURE GOOD_IS_WEIGHT (I_GID INTEGER) RETURNS (O_WEIGHT SMALLINT) AS BEGIN O_WEIGHT = 7; END");
    core::SchemaUpgrade(db());
    fb::Transaction tr(db());
    for (const char* p : procs) EXPECT_TRUE(fb::meta::procedureExists(tr, p)) << p;
    const auto row = fb::callProcedure(tr, "GOOD_IS_WEIGHT", {{"I_GID", std::int64_t{1}}});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->integer("O_WEIGHT"), 7);
    // PORTIONS_OFFS_WRITE adds what was sold to what the batch gave out.
    fb::execute(
        tr, "INSERT INTO PORTIONS (P_RECORD_ID, P_GOOD_ID, P_GOOD_COUNT, P_GOOD_COUNT_OFFS) VALUES (1, 1, '5', '')");
    fb::callProcedure(tr, "PORTIONS_OFFS_WRITE", {{"I_REC_ID", std::int64_t{1}}, {"I_COUNT", QStringLiteral("1,5")}});
    fb::callProcedure(tr, "PORTIONS_OFFS_WRITE", {{"I_REC_ID", std::int64_t{1}}, {"I_COUNT", QStringLiteral("2")}});
    const auto offs = fb::queryOne(tr, "SELECT P_GOOD_COUNT_OFFS FROM PORTIONS WHERE P_RECORD_ID=1");
    EXPECT_EQ(offs->str("P_GOOD_COUNT_OFFS"), "3.500");
}

// Its stock posting as an earlier version of the program delivered it: the
// old stock read as a number before the kind was looked at.
TEST_F(EarlierDatabase, StockPostingOfAnEarlierVersionIsBroughtUpToDate) {
    exec("CREATE OR ALTER PROCEDURE DOC_GOODMOVE_SAVE (I_MODE INTEGER, I_ACTION INTEGER, I_DID INTEGER, I_DT INTEGER, "
         "I_DN INTEGER, I_DD DATE, I_DU VARCHAR(50), I_SUPPL_ID VARCHAR(10)) RETURNS (O_DID INTEGER) AS "
         "DECLARE VARIABLE OLD_TEXT VARCHAR(10); DECLARE VARIABLE NEW_TEXT VARCHAR(20); "
         "DECLARE VARIABLE OLD_QTY DECIMAL(15,3); DECLARE VARIABLE QTY DECIMAL(15,3); BEGIN "
         "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 1 INTO :OLD_TEXT;\n"
         "  OLD_QTY = CAST(COALESCE(NULLIF(TRIM(REPLACE(OLD_TEXT, ',', '.')), ''), '0') AS DECIMAL(15,3));\n"
         "        IF (I_DT = 50) THEN NEW_TEXT = CAST(QTY AS VARCHAR(20)); O_DID = 0; END");
    exec("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_COUNT) VALUES (1, 'Хлеб', 1, 'много')");
    core::SchemaUpgrade(db());
    fb::Transaction tr(db());
    fb::execute(tr, "DELETE FROM GOODS_TEMP");
    fb::execute(tr, "INSERT INTO GOODS_TEMP (G_ID, G_NAME, G_DECLAR_NUMBER) VALUES (1, 'Хлеб', '4')");
    stock::SaveRequest r;
    r.post = true;
    r.kind = stock::Inventory;
    r.number = 1;
    r.date = QDate(2026, 3, 14);
    EXPECT_GT(stock::saveDocument(tr, r), 0);
    const auto count = fb::queryOne(tr, "SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID=1");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->str("GOOD_COUNT"), "4.000");
}

}  // namespace
