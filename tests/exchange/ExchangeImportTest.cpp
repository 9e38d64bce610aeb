#include "ExchangeTestSupport.h"

#include "exchange/ExchangeImport.h"
#include "exchange/ExchangeReader.h"

#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/UpgradedDbFixture.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>

#include <tuple>
#include <vector>

#include <gtest/gtest.h>

using namespace exchange;
using namespace exchangetest;

namespace {

class ExchangeImportTest : public testsupport::UpgradedDbTest {
protected:
    ImportResult load(const QString& text, ImportHooks hooks = {}, std::vector<std::int64_t> openReceipt = {}) {
        QByteArray bytes = encodeCp1251(text);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        ExchangeReader reader(buffer);
        EXPECT_EQ(reader.readHeader(), ExchangeReader::Header::Ok);
        auto store = makeDatabaseGoodsStore(db(), std::move(openReceipt));
        return runImport(reader, *store, hooks);
    }

    // Every row of GOODS as "id|name|price|w|type|unit|code|vat|isgood|parent|country|mark".
    QStringList goodsRows() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        QStringList out;
        for (const fb::Row& r :
             fb::query(tr, QStringLiteral("SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, "
                                          "GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, "
                                          "GOOD_COUNTRY_CODE, GOOD_MARKTYPE FROM GOODS ORDER BY GOOD_ID"))) {
            QStringList f;
            for (int i = 0; i < r.size(); ++i) f << (fb::isNull(r.at(i)) ? u("null") : fb::toString(r.at(i)));
            out << f.join(QLatin1Char('|'));
        }
        return out;
    }
    QStringList barcodeRows() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        QStringList out;
        for (const fb::Row& r : fb::query(tr, QStringLiteral("SELECT GOOD_ID, GOOD_BARCODE, BARCODE_COEFF FROM "
                                                             "GOODS_BARCODE ORDER BY GOOD_ID, GOOD_BARCODE")))
            out << fb::toString(r.at(0)) + QLatin1Char(':') + fb::toString(r.at(1)) +
                       (fb::isNull(r.at(2)) ? QString() : QLatin1Char('*') + fb::toString(r.at(2)));
        return out;
    }
    void seedCatalogue() {
        exec(
            QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_ISGOOD, GOOD_COUNT) "
                           "VALUES (100, 'Старый товар', '5.00', 1, '7')"));
        exec(QStringLiteral(
            "INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE, BARCODE_COEFF) VALUES (100, '999', '1')"));
    }
};

}  // namespace

TEST_F(ExchangeImportTest, LoadsGoodsGroupsAndBarcodesWithEveryField) {
    const ImportResult r = load(file({
        group(10, u("Молочка")),
        goods(11, u("Кефир ¤ 1%"), u("65,9"),
              {{2, u("4601,4602,4601")},
               {8, u("0")},
               {13, u("2")},
               {16, u("10")},
               {23, u("2")},
               {55, u("13")},
               {61, u("7")},
               {66, u("11")}}),
        goods(12, u("Сыр"), u("350")),
        u("$$$ADDBARCODES"),
        u("4700;12"),
        u("4700;12"),
        u("O'Neil;12"),
        u("5000;777"),
    }));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Done);
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.message, u("Обработка файла завершена.     \r\nЗагружено 3 позиций.     "));
    EXPECT_EQ(goodsRows(), QStringList({
                               u("10|Молочка|null|null|null|null|null|null|0|0|null|null"),
                               u("11|Кефир ; 1%|65.90|нет|АТ|л|41|2|1|10|007|13"),
                               u("12|Сыр|350.00|да|Т|шт|0|6|1|0|null|0"),
                           }));
    EXPECT_EQ(barcodeRows(),
              QStringList({u("11:4601*1"), u("11:4602*1"), u("12:4700"), u("12:O'Neil"), u("777:5000")}));
}

TEST_F(ExchangeImportTest, SecondRecordOfAnIdUpdatesItAndReplacesItsBarcodes) {
    seedCatalogue();
    const ImportResult r =
        load(file({goods(5, u("Первый"), u("1"), {{2, u("111,112")}}),
                   goods(5, u("Второй"), u("2"), {{2, u("113")}, {8, u("0")}}), goods(100, u("Новое имя"), u("6"))}));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Done);
    EXPECT_EQ(goodsRows(), QStringList({u("5|Второй|2.00|нет|Т|шт|0|6|1|0|null|0"),
                                        u("100|Новое имя|6.00|да|Т|шт|0|6|1|0|null|0")}));
    EXPECT_EQ(barcodeRows(), QStringList({u("5:113*1")}));
    // Columns the file does not carry stay as they were.
    fb::Transaction tr(db());
    EXPECT_EQ(
        fb::queryOne(tr, QStringLiteral("SELECT GOOD_COUNT FROM GOODS WHERE GOOD_ID = 100"))->str(u("GOOD_COUNT")),
        u("7"));
}

TEST_F(ExchangeImportTest, GroupRecordDropsTheBarcodesOfItsId) {
    seedCatalogue();
    EXPECT_EQ(load(file({group(100, u("Бывший товар"))})).outcome, ImportResult::Outcome::Done);
    EXPECT_TRUE(barcodeRows().isEmpty());
    EXPECT_EQ(goodsRows(), QStringList({u("100|Бывший товар|null|null|null|null|null|null|0|0|null|null")}));
}

TEST_F(ExchangeImportTest, DeleteCommandsEmptyTheTablesBeforeWhatFollows) {
    seedCatalogue();
    const ImportResult r = load(file({u("$$$DELETEALLBARCODES"), u("$$$DELETEALLWARES"), u("$$$ADDQUANTITY"),
                                      goods(1, u("Один"), u("1"), {{2, u("1")}})}));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Done);
    EXPECT_EQ(goodsRows(), QStringList({u("1|Один|1.00|да|Т|шт|0|6|1|0|null|0")}));
    EXPECT_EQ(barcodeRows(), QStringList({u("1:1*1")}));
}

TEST_F(ExchangeImportTest, DeleteAllGoodsKeepsWhatHistoryNamesWithItsGroups) {
    // id, name, group flag, parent; then what names the item.
    const std::vector<std::tuple<int, const char*, int, int>> rows = {
        {1, "Молочка", 0, 0}, {2, "Кефиры", 0, 1},      {10, "Кефир", 1, 2},  {3, "Бакалея", 0, 0},
        {20, "Крупа", 1, 3},  {30, "Чай", 1, 1},        {4, "Пустая", 0, 0},  {5, "Вложенная", 0, 4},
        {40, "Никому", 1, 5}, {6, "Сама в себе", 0, 6}, {60, "В чеке", 1, 0}, {70, "В списке", 1, 0},
    };
    for (const auto& [id, name, isGood, parent] : rows)
        exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (%1, '%2', %3, %4)")
                 .arg(id)
                 .arg(u(name))
                 .arg(isGood)
                 .arg(parent));
    // 10 was sold; 20 came in by a posted stock document and has a lot; 70
    // is on the working list; 60 is in the receipt being entered.
    exec(u("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER) VALUES (1, 3, 1)"));
    exec(
        u("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME, DD_GOOD_COUNT) VALUES (1, 10, 'Кефир', "
          "'1')"));
    exec(u("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE, DOC_NUMBER) VALUES (2, 50, 1)"));
    exec(u(
        "INSERT INTO PORTIONS (P_RECORD_ID, P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_CONFIRM) VALUES (1, 2, 20, '5', 1)"));
    exec(u("INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (70, 'В списке')"));

    const ImportResult r =
        load(file({u("$$$DELETEALLWARES"), u("$$$ADDQUANTITY"), goods(10, u("Кефир 1%"), u("70"), {{16, u("2")}}),
                   goods(20, u("Гречка"), u("90"), {{16, u("3")}}), goods(30, u("Чай новый"), u("5"))}),
             {}, {60});
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Done);
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    QStringList left;
    for (const fb::Row& row :
         fb::query(tr, u("SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_PARENTGROUP FROM GOODS ORDER BY GOOD_ID")))
        left << fb::toString(row.at(0)) + u("|") + fb::toString(row.at(1)) + u("|") +
                    (fb::isNull(row.at(2)) ? u("-") : fb::toString(row.at(2))) + u("|") + fb::toString(row.at(3));
    // The named goods and the groups above them stay and take the file's
    // values; 30 went and came back as a new row; the rest is gone.
    EXPECT_EQ(left, QStringList({u("1|Молочка|-|0"), u("2|Кефиры|-|1"), u("3|Бакалея|-|0"), u("10|Кефир 1%|70.00|2"),
                                 u("20|Гречка|90.00|3"), u("30|Чай новый|5.00|0"), u("60|В чеке|-|0"),
                                 u("70|В списке|-|0")}));
}

TEST_F(ExchangeImportTest, RefusalAtTheLastRecordLeavesTheCatalogueAsItWas) {
    seedCatalogue();
    const QStringList before = goodsRows();
    const QStringList beforeCodes = barcodeRows();
    const ImportResult r = load(file({
        goods(1, u("Один"), u("1"), {{2, u("1")}}),
        u("$$$ADDBARCODES"),
        u("2;100"),
        u("$$$DELETEALLBARCODES"),
        u("$$$DELETEALLWARES"),
        u("$$$ADDQUANTITY"),
        goods(2, u("Два"), u("1")),
        goods(3, u("Три"), u("1"), {{13, u("7")}}),
    }));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Refused);
    EXPECT_EQ(r.message, msg::badField13(10));
    EXPECT_EQ(goodsRows(), before);
    EXPECT_EQ(barcodeRows(), beforeCodes);

    // A byte Windows-1251 has no letter for names its line, not the server.
    const ImportResult unmapped = load(file({goods(2, u("Два"), u("1")), goods(4, u("Чай ") + QChar(0x98), u("1"))}));
    EXPECT_EQ(unmapped.outcome, ImportResult::Outcome::Refused);
    EXPECT_EQ(unmapped.message, msg::unmappedByte(4));
    EXPECT_TRUE(unmapped.message.contains(u("0x98")));
    EXPECT_EQ(goodsRows(), before);
}

TEST_F(ExchangeImportTest, StopRollsBackEverythingWritten) {
    seedCatalogue();
    const QStringList before = goodsRows();
    ImportHooks hooks;
    hooks.line = [](int line) { return line < 5; };
    const ImportResult r =
        load(file({goods(1, u("a"), u("1")), goods(2, u("b"), u("1")), goods(3, u("c"), u("1"))}), hooks);
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Stopped);
    EXPECT_EQ(goodsRows(), before);
}

TEST_F(ExchangeImportTest, BarcodeTheDatabaseRefusesIsSkippedAlone) {
    // GOOD_BARCODE holds 32 characters; a 40-character code is refused by
    // the database and only that record is undone.
    const ImportResult r = load(file({goods(1, u("a"), u("1")), u("$$$ADDBARCODES"), u("11;1"),
                                      QString(40, QLatin1Char('7')) + u(";1"), u("12;1")}));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Done);
    EXPECT_EQ(barcodeRows(), QStringList({u("1:11"), u("1:12")}));
    EXPECT_EQ(goodsRows().size(), 1);
}

TEST_F(ExchangeImportTest, BarcodeOfAGoodsRecordTheDatabaseRefusesAbandonsTheLoad) {
    // Field 2 codes are not cut to the column's width: the database refuses
    // an over-long one and nothing of the file stays.
    seedCatalogue();
    const QStringList before = goodsRows();
    const ImportResult r =
        load(file({goods(1, u("a"), u("1")), goods(2, u("b"), u("1"), {{2, QString(40, QLatin1Char('4'))}})}));
    EXPECT_EQ(r.outcome, ImportResult::Outcome::Failed);
    EXPECT_EQ(r.message, msg::kBarcodeInsertFailed);
    EXPECT_EQ(goodsRows(), before);
}

namespace {

// Fails at one step, to check the message of each.
class FailingStore : public GoodsStore {
public:
    explicit FailingStore(QString step) : step_(std::move(step)) {}
    std::optional<core::GoodsCodeUse> upsertGoods(const GoodsRecord&) override {
        maybeFail(u("upsert"));
        return std::nullopt;
    }
    void deleteBarcodes(std::int32_t) override { maybeFail(u("deleteBarcodes")); }
    void insertBarcode(std::int32_t, const QString&) override { maybeFail(u("insertBarcode")); }
    void addBarcodeIfAbsent(std::int32_t, const QString&) override { maybeFail(u("addBarcode")); }
    void deleteAllGoods() override { maybeFail(u("deleteAllGoods")); }
    void deleteAllBarcodes() override { maybeFail(u("deleteAllBarcodes")); }
    void commit() override {
        maybeFail(u("commit"));
        committed = true;
    }
    void rollback() noexcept override { rolledBack = true; }
    bool committed = false;
    bool rolledBack = false;

private:
    void maybeFail(const QString& step) {
        if (step == step_) throw fb::Error(u("engine says no"), -901, 0, fb::ErrorCategory::Other);
    }
    QString step_;
};

}  // namespace

TEST(ExchangeImportSteps, EachFailingStepHasItsMessageAndRollsBack) {
    const QString text = file({u("$$$ADDBARCODES"), u("1;1"), u("$$$DELETEALLBARCODES"), u("$$$DELETEALLWARES"),
                               u("$$$ADDQUANTITY"), goods(1, u("a"), u("1"), {{2, u("5")}})});
    const std::vector<std::pair<QString, QString>> cases = {
        {u("upsert"), msg::goodsWriteFailed(8)},
        {u("deleteBarcodes"), msg::kBarcodesDeleteFailed},
        {u("insertBarcode"), msg::kBarcodeInsertFailed},
        {u("deleteAllGoods"), msg::kDeleteGoodsFailed},
        {u("deleteAllBarcodes"), msg::kDeleteBarcodesFailed},
        {u("commit"), msg::commitFailed(u("engine says no"))},
    };
    for (const auto& [step, message] : cases) {
        QByteArray bytes = encodeCp1251(text);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        ExchangeReader reader(buffer);
        ASSERT_EQ(reader.readHeader(), ExchangeReader::Header::Ok);
        FailingStore store(step);
        const ImportResult r = runImport(reader, store);
        EXPECT_EQ(r.outcome, ImportResult::Outcome::Failed) << step.toStdString();
        EXPECT_EQ(r.message, message) << step.toStdString();
        EXPECT_TRUE(store.rolledBack);
        EXPECT_FALSE(store.committed);
    }
    EXPECT_EQ(msg::goodsWriteFailed(8), u(" При записи данных в БД произошел сбой сервера.8"));
}

TEST(ExchangeImportSteps, SummaryNamesTheCountOnlyWhenSomethingWasWritten) {
    EXPECT_EQ(importSummary(0), u("Обработка файла завершена.     "));
    EXPECT_EQ(importSummary(2), u("Обработка файла завершена.     \r\nЗагружено 2 позиций.     "));
}

TEST_F(ExchangeImportTest, LoadKilledMidwayLeavesTheCatalogueAsItWas) {
    seedCatalogue();
    QStringList body;
    for (int id = 1; id <= 500; ++id) body << goods(id, u("Товар"), u("1"), {{2, QString::number(4600 + id)}});
    body << u("$$$DELETEALLWARES") << u("$$$ADDQUANTITY");
    for (int id = 501; id <= 1000; ++id) body << goods(id, u("Товар"), u("1"));
    const QString path = programFolder() + u("/goods.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeCp1251(file(body)));
    }
    const QStringList before = goodsRows();
    const QStringList beforeCodes = barcodeRows();
    // The embedded engine holds the file for one process at a time.
    db().detach();
    auto run = [&](int killAt) {
        QProcess child;
        child.start(QStringLiteral(TARVI_IMPORT_CHILD), {databasePath(), path, QString::number(killAt)});
        EXPECT_TRUE(child.waitForFinished(60000));
        return std::pair{child.exitStatus(), child.exitCode()};
    };
    const auto killed = run(800);
    EXPECT_EQ(killed.first, QProcess::CrashExit);
    db().attach();
    EXPECT_EQ(goodsRows(), before);
    EXPECT_EQ(barcodeRows(), beforeCodes);

    // The same process left to finish does load the file.
    db().detach();
    const auto finished = run(0);
    EXPECT_EQ(finished.first, QProcess::NormalExit);
    EXPECT_EQ(finished.second, 0);
    db().attach();
    EXPECT_EQ(goodsRows().size(), 500);
}
