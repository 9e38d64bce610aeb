#include "core/CodeTables.h"

#include <QSet>

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {

struct TextCase {
    const char* in;
    const char* out;
};

struct IntToText {
    int in;
    const char* out;
};

struct TextToInt {
    const char* in;
    int out;
};

QString u(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST(GoodTypeCodes, AbbreviationGivesSubjectOfCalculation) {
    const std::vector<TextToInt> cases{{"Т", 1},  {"АТ", 2},  {"Р", 3},  {"У", 4},   {"СА", 5},  {"ВА", 6},
                                       {"СЛ", 7}, {"ВЛ", 8},  {"РИД", 9}, {"П", 10}, {"АВ", 11}, {"ИПР", 13},
                                       {"", 1},   {"т", 1},   {"XYZ", 1}};
    for (const auto& c : cases) EXPECT_EQ(GoodTypeAbbrToCode(u(c.in)), c.out) << c.in;
    for (int code = 0; code < 20; ++code) {
        // 12 has no abbreviation: nothing maps to it.
        EXPECT_NE(GoodTypeAbbrToCode(QString::number(code)), 12);
    }
}

TEST(GoodTypeCodes, ExchangeFileDigitsBothWays) {
    const std::vector<TextCase> toDigit{{"Т", "1"}, {"АТ", "2"}, {"Р", "3"}, {"У", "4"},
                                        {"СПР", "5"}, {"СА", "1"}, {"", "1"}, {"ат", "1"}};
    for (const auto& c : toDigit) EXPECT_EQ(ConvertGoodTypeCode(u(c.in), 1), u(c.out)) << c.in;
    for (const QString& abbr : {u("Т"), u("АТ"), u("Р"), u("У"), u("СПР")})
        EXPECT_EQ(ConvertGoodTypeCode(ConvertGoodTypeCode(abbr, 1), 2), abbr);
    EXPECT_EQ(ConvertGoodTypeCode(u("9"), 2), u("Т"));
    EXPECT_EQ(ConvertGoodTypeCode(u("Т"), 7), QString());
}

TEST(GoodTypeCodes, NamesAndAbbreviations) {
    const std::vector<TextCase> names{{"Т", "товар"}, {"АТ", "подакц.товар"}, {"Р", "работа"},
                                      {"У", "услуга"}, {"СА", "товар"},       {"", "товар"}};
    for (const auto& c : names) EXPECT_EQ(GoodTypeAbbrToName(u(c.in)), u(c.out)) << c.in;
    EXPECT_EQ(GoodTypeAbbrs(), (QStringList{u("Т"), u("АТ"), u("Р"), u("У")}));
    // Every kind the card offers round-trips through the tag-1212 code.
    for (int i = 0; i < GoodTypeAbbrs().size(); ++i) EXPECT_EQ(GoodTypeAbbrToCode(GoodTypeAbbrs().at(i)), i + 1);
}

TEST(GoodTypeCodes, ImportTextByRange) {
    // "аt" is Cyrillic а + Latin t, "aт" Latin a + Cyrillic т.
    const std::vector<TextCase> cases{
        {"t", "Т"},     {"т", "Т"},      {"товар", "Т"},  {"1", "Т"},      {"", "Т"},
        {"at", "АТ"},   {"ат", "АТ"},    {"аt", "АТ"},    {"aт", "АТ"},    {"2", "АТ"},
        {"подакц", "АТ"}, {"р", "Р"},    {"p", "Р"},      {"работа", "Р"}, {"work", "Р"},
        {"3", "Р"},     {"y", "У"},      {"у", "У"},      {"услуга", "У"}, {"servic", "У"},
        {"4", "У"},     {"5", ""},       {"Т", ""},       {"товары", ""},  {"service", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GoodTypeAbbrByRange(u(c.in)), u(c.out)) << c.in;
}

TEST(WeighedGoods, PieceWeightColumnToFlag) {
    const std::vector<TextCase> cases{{"1", "нет"},      {"штучный", "нет"}, {"Штучный", "нет"}, {"ш", "нет"},
                                      {"0", "да"},       {"весовой", "да"},  {"Весовой", "да"},  {"", ""},
                                      {"2", ""},         {"10", ""},         {"pcs", ""},        {"да", ""}};
    for (const auto& c : cases) EXPECT_EQ(PieceWeightToYesNo(u(c.in)), u(c.out)) << c.in;
}

TEST(WeighedGoods, OneRuleForTheFlag) {
    for (const char* yes : {"да", "ДА", "Да", "дА", " да ", "1", " 1"}) EXPECT_TRUE(isWeighedGood(u(yes))) << yes;
    for (const char* no : {"нет", "НЕТ", "0", "", "2", "д", "yes", "10"}) EXPECT_FALSE(isWeighedGood(u(no))) << no;
}

TEST(MarkTypeCodes, ImportTextToCode) {
    const std::vector<TextToInt> cases{
        {"", 0},      {"нет", 0},   {"0", 0},     {"4", 4},     {"таба", 4},  {"5", 5},     {"обув", 5},
        {"10", 10},   {"шины", 10}, {"9", 9},     {"духи", 9},  {"парф", 9},  {"11", 11},   {"легп", 11},
        {"одеж", 11}, {"легк", 11}, {"бель", 11}, {"12", 12},   {"альт", 12}, {"13", 13},   {"моло", 13},
        {"мол", 13},  {"табак", -1}, {"7", -1},   {"Таба", -1}, {"x", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MarkTypeNameToCode(u(c.in)), c.out) << c.in;
}

TEST(MarkTypeCodes, CodeToShortName) {
    const std::vector<IntToText> cases{{4, "табак"},  {5, "обувь"},   {7, "иной"},          {8, "фототовары"},
                                       {9, "парфюм"}, {10, "шины"},   {11, "легпром"},      {12, "альтерн.табак"},
                                       {13, "молочка"}, {0, ""},      {6, ""},              {-1, ""}};
    for (const auto& c : cases) EXPECT_EQ(MarkTypeCodeToName(c.in), u(c.out)) << c.in;
}

TEST(VatCodes, TextToCode) {
    const std::vector<TextCase> cases{
        {"", "6"},      {"6", "6"},       {"не облагается", "6"}, {"нет", "6"}, {"20", "1"},  {"1", "1"},
        {"10", "2"},    {"2", "2"},       {"20/120", "3"},       {"3", "3"},   {"10/110", "4"}, {"4", "4"},
        {"0", "5"},     {"5", "5"},       {" 20 ", "1"},         {"18", "-1"}, {"Не", "-1"},  {"20%", "-1"},
        {"7", "-1"},
    };
    for (const auto& c : cases) EXPECT_EQ(VatTextToCode(u(c.in)), u(c.out)) << c.in;
}

TEST(VatCodes, CodeToTextRoundTrips) {
    const std::vector<IntToText> cases{{1, "20%"}, {2, "10%"}, {3, "20/120"}, {4, "10/110"},
                                       {5, "0%"},  {6, ""},    {0, ""},       {7, ""}};
    for (const auto& c : cases) EXPECT_EQ(VatCodeToText(c.in), u(c.out)) << c.in;
    // The texts of the file, without "%", read back as their codes.
    for (int code = 1; code <= 5; ++code)
        EXPECT_EQ(VatTextToCode(VatCodeToText(code).remove(QLatin1Char('%'))), QString::number(code));
}

TEST(FfdUnits, ListAndConverterAgree) {
    const QList<CodeItem>& units = FfdUnits();
    ASSERT_EQ(units.size(), 24);
    EXPECT_EQ(units.first(), (CodeItem{u("шт"), 0}));
    EXPECT_EQ(units.last(), (CodeItem{u("иное"), 255}));
    QSet<int> codes;
    for (const CodeItem& unit : units) {
        codes.insert(unit.code);
        EXPECT_TRUE(isFfdUnitCode(unit.code));
        if (unit.code != 255) {
            EXPECT_EQ(FfdUnitCodeToText(unit.code), unit.text);
        }
    }
    EXPECT_EQ(codes.size(), 24);
    const std::vector<IntToText> cases{{11, "кг"}, {50, "кВт*ч"}, {255, "иные"}, {-1, "???"}, {1, "???"}, {256, "???"}};
    for (const auto& c : cases) EXPECT_EQ(FfdUnitCodeToText(c.in), u(c.out)) << c.in;
    EXPECT_FALSE(isFfdUnitCode(-1));
    EXPECT_FALSE(isFfdUnitCode(13));
}

TEST(ReceiptKinds, NameToKindIgnoresCase) {
    const std::vector<TextToInt> cases{{"ПРИХОД", 1},          {"Приход", 1},  {"возврат прихода", 2},
                                       {"Возврат прихода", 2}, {"РАСХОД", 3},  {"Возврат расхода", 4},
                                       {"", 0},                {" ПРИХОД", 0}, {"ВОЗВРАТ", 0}};
    for (const auto& c : cases) EXPECT_EQ(OperationTypeFromName(u(c.in)), c.out) << c.in;
    // Every kind the settings list offers is understood by the main screen.
    for (const QString& item : OperDefaultItems()) EXPECT_EQ(OperationTypeFromName(item) > 0, !item.isEmpty());
}

TEST(TaxSystems, ItemsCodesAndAcceptedCodes) {
    const std::vector<TextToInt> cases{{"УСН(доход)", 2}, {"УСН(доход-расход)", 4}, {"Патент", 32}, {"ОСН(общая)", 1},
                                       {"ЕСХН", 16},      {"", 0},                  {"усн(доход)", 0}, {"ЕНВД", 0}};
    for (const auto& c : cases) EXPECT_EQ(taxSystemCodeFromName(u(c.in)), c.out) << c.in;
    ASSERT_EQ(TaxSystemItems().size(), 6);
    for (int code = -1; code <= 64; ++code) {
        const bool accepted = code == 1 || code == 2 || code == 4 || code == 8 || code == 16 || code == 32;
        EXPECT_EQ(isTaxSystemCode(code), accepted) << code;
    }
}

TEST(ReceiptMarks, MarkTypeOfAnyPositionCounts) {
    const auto row = [](const QString& mark) {
        QStringList r(10);
        r[5] = mark;
        return r;
    };
    QList<QStringList> attrs{row(QStringLiteral("4"))};  // row 0: receipt-wide entries only
    EXPECT_FALSE(ReceiptHasMarkedGoods(attrs));
    EXPECT_FALSE(ReceiptHasMarkedGoods(QList<QStringList>{}));
    attrs.append(row(QString()));
    attrs.append(row(QStringLiteral("0")));
    attrs.append(row(QStringLiteral("x")));
    EXPECT_FALSE(ReceiptHasMarkedGoods(attrs));
    attrs.append(row(QStringLiteral("13")));
    EXPECT_TRUE(ReceiptHasMarkedGoods(attrs));
    attrs.append(QStringList{QStringLiteral("short")});  // a row without entry 5 is skipped
    EXPECT_TRUE(ReceiptHasMarkedGoods(attrs));
}
