#include "ExchangeTestSupport.h"

#include "exchange/ExchangeFormat.h"

#include <gtest/gtest.h>

#include <functional>

using namespace exchange;
using namespace exchangetest;

namespace {

GoodsRecord parsed(const QString& line, int lineNo = 7) {
    auto r = parseGoodsRecord(line, lineNo, 0);
    if (auto* refusal = std::get_if<Refusal>(&r)) {
        ADD_FAILURE() << "refused: " << refusal->message.toStdString();
        return {};
    }
    return std::get<GoodsRecord>(r);
}

}  // namespace

TEST(ExchangeCodec, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = decodeCp1251(all);
    EXPECT_EQ(text.at(0x98).unicode(), 0x0098);
    EXPECT_EQ(text.at(0xA4), QChar(0x00A4));
    EXPECT_EQ(text.at(0xB6), QChar(0x00B6));
    EXPECT_EQ(text.at(0xC0), QChar(u'А'));
    EXPECT_EQ(text.at(0xFF), QChar(u'я'));
    EXPECT_EQ(encodeCp1251(text), all);
    EXPECT_EQ(encodeCp1251(u("€✓")), QByteArray("\x88?"));
}

TEST(ExchangeLines, TrimsControlsButKeepsNoBreakSpace) {
    EXPECT_EQ(trimControls(u("\t \x01 ab c\x1f ")), u("ab c"));
    EXPECT_EQ(trimControls(u("\u00a0x\u00a0")), u("\u00a0x\u00a0"));
    EXPECT_EQ(classifyLine(u("// note")), LineKind::Skipped);
    EXPECT_EQ(classifyLine(QString()), LineKind::Skipped);
    EXPECT_EQ(classifyLine(u("$$$ADDQUANTITY")), LineKind::Command);
    EXPECT_EQ(classifyLine(u("1;2")), LineKind::Record);
}

TEST(ExchangeLines, CommandsIgnoreLetterCaseButNotTrailingText) {
    const std::vector<std::pair<QString, RecordKind>> cases = {
        {u("$$$ADDQUANTITY"), RecordKind::Goods},
        {u("$$$addquantity"), RecordKind::Goods},
        {u("$$$ReplaceQuantity"), RecordKind::Goods},
        {u("$$$REPLACEQUANTITYWITHOUTSALE"), RecordKind::Goods},
        {u("$$$addbarcodes"), RecordKind::Barcodes},
        {u("$$$DELETEALLWARES"), RecordKind::DeleteGoods},
        {u("$$$DeleteAllBarcodes"), RecordKind::DeleteBarcodes},
        {u("$$$ADDUSERS"), RecordKind::Skipped},
        {u("$$$ADDPREFIXBARCODES"), RecordKind::Skipped},
        {u("$$$ADDQUANTITY;"), RecordKind::Skipped},
        {u("$$$SOMETHINGELSE"), RecordKind::Skipped},
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(commandKind(text), kind) << text.toStdString();
}

TEST(ExchangeGoodsRecord, RefusesEachBadFieldWithItsMessageAndLine) {
    struct Case {
        const char* what;
        QString line;
        QString message;
    };
    const std::vector<Case> cases = {
        {"id text", goods(1, u("x"), u("1"), {{1, u("abc")}}), msg::badId(5)},
        {"id zero", goods(1, u("x"), u("1"), {{1, u("0")}}), msg::badId(5)},
        {"id negative", goods(1, u("x"), u("1"), {{1, u("-3")}}), msg::badId(5)},
        {"id over int", goods(1, u("x"), u("1"), {{1, u("99999999999")}}), msg::badId(5)},
        {"three fields", u("5;;Хлеб"), msg::badField5(12)},
        {"field 17", goods(1, u("x"), u("1"), {{17, u("2")}}), msg::badField17(12)},
        {"17 before 5", goods(1, u("x"), u(""), {{17, u("x")}}), msg::badField17(12)},
        {"field 16", goods(1, u("x"), u("1"), {{16, u("a")}}), msg::badField16(12)},
        {"own parent", goods(4, u("x"), u("1"), {{16, u("4")}}), msg::badField16(12)},
        {"empty price", goods(1, u("x"), u("")), msg::badField5(12)},
        {"negative price", goods(1, u("x"), u("-1")), msg::badField5(12)},
        {"exponent", goods(1, u("x"), u("1e3")), msg::badField5(12)},
        {"inf", goods(1, u("x"), u("INF")), msg::badField5(12)},
        {"hex", goods(1, u("x"), u("0x10")), msg::badField5(12)},
        {"two points", goods(1, u("x"), u("1.2.3")), msg::badField5(12)},
        {"over cap", goods(1, u("x"), u("10000000")), msg::badField5(12)},
        {"rounds over cap", goods(1, u("x"), u("9999999.995")), msg::badField5(12)},
        {"field 8", goods(1, u("x"), u("1"), {{8, u("2,1")}}), msg::badField8(12)},
        {"field 13 empty", goods(1, u("x"), u("1"), {{13, u("")}}), msg::badField13(12)},
        {"field 13 five", goods(1, u("x"), u("1"), {{13, u("5")}}), msg::badField13(12)},
        {"field 23", goods(1, u("x"), u("1"), {{23, u("7")}}), msg::badField23(12)},
        {"field 23 zero", goods(1, u("x"), u("1"), {{23, u("0")}}), msg::badField23(12)},
        {"field 55", goods(1, u("x"), u("1"), {{55, u("3")}}), msg::badField55(12)},
        {"13 before 23", goods(1, u("x"), u("1"), {{13, u("9")}, {23, u("9")}}), msg::badField13(12)},
    };
    for (const auto& c : cases) {
        auto r = parseGoodsRecord(c.line, 12, 4);
        const auto* refusal = std::get_if<Refusal>(&r);
        ASSERT_NE(refusal, nullptr) << c.what;
        EXPECT_EQ(refusal->message, c.message) << c.what;
    }
}

TEST(ExchangeGoodsRecord, MessagesKeepTheirExactTexts) {
    EXPECT_EQ(msg::badId(3),
              u("Ошибка загрузки базы товаров:       \r\nнедопустимый формат поля 'ID товара'. Позиция 3     "));
    EXPECT_EQ(msg::badField8(9),
              u(" Некорректное значение поля 8 ('Флаги...') в строке 9\r\n\r\n Загрузка данных невозможна."));
    EXPECT_EQ(msg::badField17(4),
              u(" Некорректное значение поля 17 (признак 'Товар/Группа')     \r\n в строке 4.\r\n\r\n"
                " Загрузка данных невозможна.\r\n\r\n Допустимые значения: \r\n"
                "    '1' или пустое поле - Товар\r\n    '0' - Группа"));
}

TEST(ExchangeGoodsRecord, ConvertsEveryFieldItReads) {
    struct Case {
        const char* what;
        std::map<int, QString> fields;
        std::function<void(const GoodsRecord&)> check;
    };
    const std::vector<Case> cases = {
        {"price comma", {{5, u("12,5")}}, [](auto& g) { EXPECT_EQ(*g.price, u("12.50")); }},
        {"price rounds up", {{5, u("12.345")}}, [](auto& g) { EXPECT_EQ(*g.price, u("12.35")); }},
        {"price rounds down", {{5, u("12.344")}}, [](auto& g) { EXPECT_EQ(*g.price, u("12.34")); }},
        {"price carries", {{5, u("0.995")}}, [](auto& g) { EXPECT_EQ(*g.price, u("1.00")); }},
        {"price zeros", {{5, u("007")}}, [](auto& g) { EXPECT_EQ(*g.price, u("7.00")); }},
        {"price point only", {{5, u(".5")}}, [](auto& g) { EXPECT_EQ(*g.price, u("0.50")); }},
        {"price at cap", {{5, u("9999999.99")}}, [](auto& g) { EXPECT_EQ(*g.price, u("9999999.99")); }},
        {"flag empty", {}, [](auto& g) { EXPECT_EQ(*g.weighed, u("да")); }},
        {"flag 0", {{8, u("0,1,1")}}, [](auto& g) { EXPECT_EQ(*g.weighed, u("нет")); }},
        {"flag 1", {{8, u("1")}}, [](auto& g) { EXPECT_EQ(*g.weighed, u("да")); }},
        {"kind 2", {{13, u("2")}}, [](auto& g) { EXPECT_EQ(*g.type, u("АТ")); }},
        {"kind 4", {{13, u("4")}}, [](auto& g) { EXPECT_EQ(*g.type, u("У")); }},
        {"unit empty",
         {},
         [](auto& g) {
             EXPECT_EQ(*g.unitName, u("шт"));
             EXPECT_EQ(*g.unitCode, 0);
         }},
        {"unit 11",
         {{66, u("11")}},
         [](auto& g) {
             EXPECT_EQ(*g.unitName, u("л"));
             EXPECT_EQ(*g.unitCode, 41);
         }},
        {"unit 23",
         {{66, u("23")}},
         [](auto& g) {
             EXPECT_EQ(*g.unitName, u("иные"));
             EXPECT_EQ(*g.unitCode, 255);
         }},
        {"unit 24",
         {{66, u("24")}},
         [](auto& g) {
             EXPECT_EQ(*g.unitName, u(""));
             EXPECT_FALSE(g.unitCode);
         }},
        {"unit text",
         {{66, u("кг")}},
         [](auto& g) {
             EXPECT_EQ(*g.unitName, u(""));
             EXPECT_FALSE(g.unitCode);
         }},
        {"vat empty", {}, [](auto& g) { EXPECT_EQ(*g.vat, u("6")); }},
        {"vat 2", {{23, u("2")}}, [](auto& g) { EXPECT_EQ(*g.vat, u("2")); }},
        {"country 643", {{61, u("643")}}, [](auto& g) { EXPECT_EQ(*g.country, u("643")); }},
        {"country 7", {{61, u("7")}}, [](auto& g) { EXPECT_EQ(*g.country, u("007")); }},
        {"country 1000", {{61, u("1000")}}, [](auto& g) { EXPECT_FALSE(g.country); }},
        {"country text", {{61, u("RUS")}}, [](auto& g) { EXPECT_FALSE(g.country); }},
        {"mark empty", {}, [](auto& g) { EXPECT_EQ(*g.markType, 0); }},
        {"mark 13", {{55, u("13")}}, [](auto& g) { EXPECT_EQ(*g.markType, 13); }},
        {"parent", {{16, u("12")}}, [](auto& g) { EXPECT_EQ(g.parent, 12); }},
        {"name sign", {{3, u("Соль¤ мелкая")}}, [](auto& g) { EXPECT_EQ(g.name, u("Соль; мелкая")); }},
        {"name pilcrow", {{3, u("¶Соль¶мелкая¶")}}, [](auto& g) { EXPECT_EQ(g.name, u("Соль мелкая")); }},
        {"name quotes", {{3, u("\"Д'Артаньян\"")}}, [](auto& g) { EXPECT_EQ(g.name, u("\"Д'Артаньян\"")); }},
        {"name cut", {{3, QString(81, QChar(u'ж'))}}, [](auto& g) { EXPECT_EQ(g.name, QString(80, QChar(u'ж'))); }},
        {"barcodes",
         {{2, u(" '46'01 ,,123, 123,4601,x y")}},
         [](auto& g) {
             EXPECT_EQ(g.barcodes, QStringList({u("4601"), u("123"), u("x y")}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.check(parsed(goods(5, c.fields.count(3) ? c.fields.at(3) : u("Хлеб"),
                             c.fields.count(5) ? c.fields.at(5) : u("10"), c.fields)));
    }
}

TEST(ExchangeGoodsRecord, GroupUsesOnlyIdNameParentAndKind) {
    const GoodsRecord g = parsed(record({{1, u("10")},
                                         {2, u("4601")},
                                         {3, u("Молочка")},
                                         {5, u("abc")},
                                         {13, u("9")},
                                         {16, u("0")},
                                         {17, u("0")},
                                         {55, u("99")}},
                                        17));
    EXPECT_FALSE(g.isGood);
    EXPECT_EQ(g.id, 10);
    EXPECT_EQ(g.parent, 0);
    EXPECT_EQ(g.name, u("Молочка"));
    EXPECT_FALSE(g.price || g.weighed || g.type || g.unitName || g.unitCode || g.vat || g.country || g.markType);
    EXPECT_TRUE(g.barcodes.isEmpty());
}

TEST(ExchangeBarcodeRecord, TakesCodeAndIdOrSkips) {
    struct Case {
        QString line;
        std::optional<std::pair<int, QString>> expected;
    };
    const std::vector<Case> cases = {
        {u("4600123;5"), std::pair{5, u("4600123")}},
        {u(" 4600 123 ; 5 ;extra"), std::pair{5, u("4600 123")}},
        {u("O'Neil;7"), std::pair{7, u("O'Neil")}},
        {QString(45, QLatin1Char('9')) + u(";8"), std::pair{8, QString(40, QLatin1Char('9'))}},
        {u("4600123;x"), std::nullopt},
        {u("4600123"), std::nullopt},
        {u(";5"), std::nullopt},
    };
    for (const auto& c : cases) {
        const auto r = parseBarcodeRecord(c.line);
        ASSERT_EQ(r.has_value(), c.expected.has_value()) << c.line.toStdString();
        if (r) {
            EXPECT_EQ(r->goodsId, c.expected->first);
            EXPECT_EQ(r->barcode, c.expected->second);
        }
    }
}

TEST(ExchangeWriter, WritesSixtySixFieldsOfTheWriterColumn) {
    ExportRow row;
    row.id = 42;
    row.name = u("Сыр; \"Российский\"\r\nвесовой");
    row.price = u("350.5");
    row.weighed = u("Да");
    row.type = u("СПР");
    row.parent = 3;
    row.vat = u(" 2 ");
    row.markType = 13;
    row.country = u("643");
    row.unitCode = 11;
    row.barcodes = {u("4601"), u(""), u("12;3"), u("4,5"), u("4602")};
    const WrittenRecord w = writeGoodsRecord(row);
    EXPECT_EQ(w.droppedBarcodes, 2);
    const QStringList f = w.line.split(QLatin1Char(';'));
    ASSERT_EQ(f.size(), 67);  // 66 fields, each followed by ";"
    EXPECT_TRUE(f.last().isEmpty());
    EXPECT_EQ(f[0], u("42"));
    EXPECT_EQ(f[1], u("4601,4602"));
    EXPECT_EQ(f[2], u("Сыр¤ \"Российский\"  весовой"));
    EXPECT_EQ(f[4], u("350.5"));
    EXPECT_EQ(f[7], u("1"));
    EXPECT_EQ(f[12], u("5"));
    EXPECT_EQ(f[13], u("1"));
    EXPECT_EQ(f[15], u("3"));
    EXPECT_EQ(f[16], u("1"));
    EXPECT_EQ(f[22], u("2"));
    EXPECT_EQ(f[54], u("13"));
    EXPECT_EQ(f[60], u("643"));
    EXPECT_EQ(f[65], u("2"));  // "кг" is position 2 of the unit table
    for (int i : {3, 5, 6, 8, 9, 10, 11, 14, 17, 30, 53, 55, 59, 61, 64}) EXPECT_TRUE(f[i].isEmpty()) << i;
}

TEST(ExchangeWriter, GroupGetsZeroPriceAndDefaultVat) {
    ExportRow row;
    row.id = 7;
    row.name = u("Напитки");
    row.isGood = 0;
    row.parent = 0;
    const QStringList f = writeGoodsRecord(row).line.split(QLatin1Char(';'));
    EXPECT_EQ(f[1], u(""));
    EXPECT_EQ(f[4], u("0"));
    EXPECT_EQ(f[7], u("0"));
    EXPECT_EQ(f[12], u("1"));
    EXPECT_EQ(f[16], u("0"));
    EXPECT_EQ(f[22], u("6"));
    EXPECT_EQ(f[54], u("0"));
    EXPECT_EQ(f[65], u(""));
}

TEST(ExchangeWriter, WrittenRecordsReadBackModuloTheDocumentedSteps) {
    std::vector<ExportRow> rows(4);
    rows[0] = {1, u("Группа «Молочка»"), u(""), u(""), u(""), 0, 0, u(""), std::nullopt, u(""), std::nullopt, {}, std::nullopt};
    rows[1] = {2, u("Кефир; 1%"), u("65.9"), u("нет"), u("Т"), 1, 1, u("2"), 13, u("643"), 41, {u("4601"), u("4602")}, std::nullopt};
    rows[2] = {3, u("Сыр ¶ 'Гауда'"), u("0"), u("ДА"), u("У"), 1, 1, u("x"), 0, u(""), 255, {u("O'N")}, std::nullopt};
    rows[3] = {4, u("Без единицы"), u("1,5"), u("1"), u("Р"), 0, 1, u("6"), std::nullopt, u("7"), 999, {}, std::nullopt};
    for (const ExportRow& row : rows) {
        SCOPED_TRACE(row.id);
        const GoodsRecord g = parsed(writeGoodsRecord(row).line);
        EXPECT_EQ(g.id, row.id);
        EXPECT_EQ(g.isGood, row.isGood == 1);
        EXPECT_EQ(g.parent, row.parent.value_or(0));
        if (!g.isGood) {
            EXPECT_EQ(g.name, row.name);
            continue;
        }
        QString name = row.name;
        name.replace(QChar(0xB6), QLatin1Char(' '));
        EXPECT_EQ(g.name, name);
        EXPECT_EQ(*g.price, *formatPrice2(row.price.isEmpty() ? u("0") : row.price));
        EXPECT_EQ(*g.weighed, row.weighed.toUpper() == u("ДА") || row.weighed == u("1") ? u("да") : u("нет"));
        EXPECT_EQ(*g.type, row.type);
        // A unit the table does not know leaves field 66 empty, which reads as "шт".
        EXPECT_EQ(*g.unitCode, row.unitCode && unitPosition(*row.unitCode) >= 0 ? *row.unitCode : 0);
        EXPECT_EQ(*g.markType, row.markType.value_or(0));
        QStringList codes = row.barcodes;
        for (QString& c : codes) c.remove(QLatin1Char('\''));
        EXPECT_EQ(g.barcodes, codes);
    }
}
