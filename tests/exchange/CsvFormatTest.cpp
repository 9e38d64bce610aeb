#include "ExchangeTestSupport.h"

#include "exchange/CsvFormat.h"

#include <gtest/gtest.h>

using namespace exchange;
using namespace exchangetest;

namespace {

CsvGoods accepted(const QString& line) {
    auto r = parseCsvGoods(splitCsvLine(line), 3);
    if (auto* refusal = std::get_if<Refusal>(&r)) {
        ADD_FAILURE() << line.toStdString() << " refused: " << refusal->message.toStdString();
        return {};
    }
    return std::get<CsvGoods>(r);
}

}  // namespace

TEST(CsvLine, SplitsQuotedFieldsAsASpreadsheetWritesThem) {
    const std::vector<std::pair<QString, QStringList>> cases = {
        {u("1;2;3"), {u("1"), u("2"), u("3")}},
        {u("\"a;b\";\"c\"\"d\";e"), {u("a;b"), u("c\"d"), u("e")}},
        {u("\"Сыр \"\"Гауда\"\"\";\"1 234,50\""), {u("Сыр \"Гауда\""), u("1 234,50")}},
        {u("\"ab\"cd;x"), {u("abcd"), u("x")}},
        {u("a¤b;;"), {u("a b"), u(""), u("")}},
        {u(" \"q\";x"), {u("q"), u("x")}},
    };
    for (const auto& [line, expected] : cases) {
        const QStringList f = splitCsvLine(line);
        ASSERT_EQ(f.size(), std::max<qsizetype>(11, expected.size())) << line.toStdString();
        EXPECT_EQ(f.mid(0, expected.size()), expected) << line.toStdString();
    }
    EXPECT_TRUE(isBlankCsvLine(u(";;;;")));
    EXPECT_TRUE(isBlankCsvLine(u(" ; ;")));
    EXPECT_FALSE(isBlankCsvLine(u("\"\";\"\"")));
    EXPECT_TRUE(isCsvHeader(splitCsvLine(kCsvHeader)));
    EXPECT_TRUE(isCsvHeader(splitCsvLine(u("КОД товара;x"))));
    EXPECT_FALSE(isCsvHeader(splitCsvLine(u("1;x"))));
}

TEST(CsvGoodsLine, RefusesEachBadColumnInTheCheckOrder) {
    const QString ok = u("\"5\";\"\";\"x\";\"1\";\"1\";\"1\";\"шт\";\"\";\"\";\"\"");
    auto with = [&](int column, const QString& value) {
        QStringList f = splitCsvLine(ok).mid(0, 10);
        f[column - 1] = value;
        return f.join(QLatin1Char(';'));
    };
    const std::vector<std::pair<QString, QString>> cases = {
        {with(1, u("")), csvmsg::badId(3)},
        {with(1, u("0")), csvmsg::badId(3)},
        {with(1, u("-2")), csvmsg::badId(3)},
        {with(1, u("abc")), csvmsg::badId(3)},
        {with(4, u("")), csvmsg::badPrice(3)},
        {with(4, u("-1")), csvmsg::badPrice(3)},
        {with(4, u("1e2")), csvmsg::badPrice(3)},
        {with(5, u("спр")), csvmsg::badType(3)},
        {with(6, u("2")), csvmsg::badWeighed(3)},
        {with(7, u("99")), csvmsg::badUnit(3)},
        {with(7, u("ящик")), csvmsg::badUnit(3)},
        {with(8, u("сыр")), csvmsg::badMark(3)},
        {with(9, u("18%")), csvmsg::badVat(3)},
        {u("\"5\";\"\";\"x\";\"1\";\"zz\";\"1\";\"шт\";\"\";\"bad\";\"\""), csvmsg::badType(3)},
        {u("\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\";\"\""), csvmsg::badId(3)},
    };
    for (const auto& [line, message] : cases) {
        auto r = parseCsvGoods(splitCsvLine(line), 3);
        const auto* refusal = std::get_if<Refusal>(&r);
        ASSERT_NE(refusal, nullptr) << line.toStdString();
        EXPECT_EQ(refusal->message, message) << line.toStdString();
    }
    EXPECT_EQ(csvmsg::badPrice(7),
              u("Некорректный формат данных в файле:        \r\nСтрока 7,поле 4 - 'Цена товара'.     "));
}

TEST(CsvGoodsLine, ReadsTheLineOfARussianLocaleSpreadsheet) {
    const CsvGoods g = accepted(
        u("\"17\";\"4601, 4602,,4601\";\"Сыр \"\"Гауда\"\" ; весовой\";\"1\u00a0234,50\";\"товар\";\"весовой\";"
          "\"кв. м\";\"молочка\";\"НДС 20%\";\"6\""));
    EXPECT_EQ(g.id, 17);
    EXPECT_EQ(g.barcodes, QStringList({u("4601"), u("4602")}));
    EXPECT_EQ(g.name, u("Сыр Гауда ; весовой"));
    EXPECT_EQ(g.price, u("1234.50"));
    EXPECT_EQ(g.type, u("Т"));
    EXPECT_EQ(g.weighed, u("да"));
    EXPECT_EQ(g.unitName, u("кв.м"));
    EXPECT_EQ(g.unitCode, 32);
    EXPECT_EQ(g.markType, 13);
    EXPECT_EQ(g.vat, u("1"));
    EXPECT_EQ(g.packCount, 6);

    EXPECT_EQ(accepted(u("1;;x;1 234,5;;;;;;")).price, u("1234.50"));
    EXPECT_EQ(accepted(u("1;;x;1;;;11;;10/110;")).unitName, u("кг"));
    EXPECT_EQ(accepted(u("1;;x;1;;;11;;10/110;")).vat, u("4"));
    EXPECT_EQ(accepted(u("1;;x;1;;;;;;")).unitName, u("шт"));
    EXPECT_EQ(accepted(u("1;;x;1;;;;;;")).weighed, u("нет"));
    // The pack count only counts for marked goods sold in fractions.
    EXPECT_FALSE(accepted(u("1;;x;1;;0;;;;6")).packCount);
    EXPECT_FALSE(accepted(u("1;;x;1;;1;;13;;6")).packCount);
    EXPECT_FALSE(accepted(u("1;;x;1;;0;;13;;1000000")).packCount);
}

TEST(CsvGoodsLine, BothModesReadBackAsWritten) {
    ExportRow row;
    row.id = 77;
    row.name = u("Сыр \"Гауда\"\r\nвесовой");
    row.price = u("350,5");
    row.weighed = u("да");
    row.type = u("У");
    row.unitCode = 11;
    row.markType = 13;
    row.vat = u("2");
    row.packCount = 6;
    row.barcodes = {u("4602"), u(""), u("4601")};
    for (bool textMode : {true, false}) {
        SCOPED_TRACE(textMode);
        const QString line = writeCsvGoods(row, textMode);
        EXPECT_FALSE(line.contains(u("\n")));
        EXPECT_EQ(splitCsvLine(line).mid(0, 10).size(), 10);
        const CsvGoods g = accepted(line);
        EXPECT_EQ(g.id, 77);
        EXPECT_EQ(g.name, u("Сыр Гауда  весовой"));
        EXPECT_EQ(g.price, u("350.50"));
        EXPECT_EQ(g.weighed, u("да"));
        EXPECT_EQ(g.type, u("У"));
        EXPECT_EQ(g.unitCode, 11);
        EXPECT_EQ(g.markType, 13);
        EXPECT_EQ(g.vat, u("2"));
        EXPECT_EQ(g.packCount, 6);
        EXPECT_EQ(g.barcodes, QStringList({u("4601"), u("4602")}));
    }
    EXPECT_EQ(writeCsvGoods(row, false),
              u("\"77\";\"4601,4602\";\"Сыр Гауда  весовой\";\"350.5\";\"4\";\"0\";\"11\";\"13\";\"2\";\"6\""));
    // Data the file cannot carry is written so that a load refuses it.
    ExportRow bad;
    bad.id = 1;
    bad.unitCode = 5;
    const QString written = writeCsvGoods(bad, false);
    EXPECT_TRUE(written.contains(u("\"???\"")));
    EXPECT_TRUE(std::holds_alternative<Refusal>(parseCsvGoods(splitCsvLine(written), 1)));
}

TEST(CsvSaveDialog, CutsLongGroupNames) {
    EXPECT_EQ(csvSaveDialogTitle(u("x"), true), u("Выгрузить все товары из БД в файл..."));
    EXPECT_EQ(csvSaveDialogTitle(u("Молочка"), false), u("Выгрузить товары из группы 'Молочка' в файл..."));
    EXPECT_EQ(csvSaveDialogTitle(u("Молочные продукты"), false),
              u("Выгрузить товары из группы 'Молочные п...' в файл..."));
}
