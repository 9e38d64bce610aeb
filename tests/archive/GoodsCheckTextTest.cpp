// The goods check's words, title and header placement.
#include "archive/GoodsCheckText.h"

#include "ReportTestSupport.h"
#include "platform/report/Report.h"

#include <gtest/gtest.h>

using namespace archive;

TEST(GoodsCheckWords, SpellsRoublesAsTheGoodsCheckPrintsThem) {
    const std::vector<std::pair<std::int64_t, QString>> cases{
        {0, "Ноль рублей"},
        {1, "Один рубль"},
        {2, "Два рубля"},
        {12, "Двенадцать рублей"},
        {21, "Двадцать один рубль"},
        {100, "Сто рублей"},
        {1005, "Одна тысяча пять рублей"},
        {1234, "Одна тысяча двести тридцать четыре рубля"},
        {2000, "Две тысячи рублей"},
        {11000, "Одиннадцать тысяч рублей"},
        {21000, "Двадцать одна тысяча рублей"},
        {15011, "Пятнадцать тысяч одиннадцать рублей"},
        {1000000, "Один млн рублей"},
        {12000003, "Двенадцать млн три рубля"},
        {2345678, "Два млн триста сорок пять тысяч шестьсот семьдесят восемь рублей"},
        {999999999,
         "Девятьсот девяносто девять млн девятьсот девяносто девять тысяч девятьсот девяносто девять рублей"},
        // Outside the tables the roubles stay in digits.
        {1000000000, "1000000000 рублей"},
        {-5, "-5 рублей"},
    };
    for (const auto& [n, words] : cases) EXPECT_EQ(SumToWordsRub(n), words) << n;
}

TEST(GoodsCheckWords, WritesKopecksAsTwoDigitsAndTheirWord) {
    const std::vector<std::pair<int, QString>> cases{
        {0, "00 копеек"},   {1, "01 копейка"}, {3, "03 копейки"}, {5, "05 копеек"},
        {10, "10 копеек"},  {11, "11 копеек"}, {14, "14 копеек"}, {21, "21 копейка"},
        {22, "22 копейки"}, {50, "50 копеек"}, {99, "99 копеек"},
    };
    for (const auto& [n, words] : cases) EXPECT_EQ(KopecksToWords(n), words) << n;
}

TEST(GoodsCheckWords, TotalTextReadsAsWholeKopecks) {
    const std::vector<std::pair<QString, std::optional<QString>>> cases{
        {"150.30", QString("Сто пятьдесят рублей 30 копеек")},
        {"1234.56 ", QString("Одна тысяча двести тридцать четыре рубля 56 копеек")},
        {"0.01", QString("Ноль рублей 01 копейка")},
        {"169,00", QString("Сто шестьдесят девять рублей 00 копеек")},
        // A third decimal rounds to the kopeck instead of making 100 kopecks.
        {"9.999", QString("Десять рублей 00 копеек")},
        {"", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const auto& [text, words] : cases) EXPECT_EQ(amountInWords(text), words) << text.toStdString();
}

TEST(GoodsCheckTitle, NumbersAndDatesTheTitle) {
    const QDate day(2024, 2, 5);
    EXPECT_EQ(genitiveDate(day), "05 февраля 2024 г.");
    EXPECT_EQ(genitiveDate(QDate(2023, 12, 31)), "31 декабря 2023 г.");
    EXPECT_EQ(goodsCheckTitle("А", kSpacedHyphen, 15, day), "Товарный чек № А - 15 от 05 февраля 2024 г.");
    EXPECT_EQ(goodsCheckTitle(" ", kSpacedHyphen, 15, day), "Товарный чек № 15 от 05 февраля 2024 г.");
    EXPECT_EQ(goodsCheckTitle("Б", kBareHyphen, 7, day), "Товарный чек № Б-7 от 05 февраля 2024 г.");
}

TEST(GoodsCheckTitle, StartNumberFallsBackToOne) {
    const std::vector<std::pair<QString, int>> cases{{"", 1},   {"0", 1},     {"abc", 1},
                                                     {"-4", 1}, {" 25 ", 25}, {"99999999999", 1}};
    for (const auto& [text, n] : cases) EXPECT_EQ(startNumberFromText(text), n) << text.toStdString();
}

TEST(GoodsCheckHeader, FewerLinesMoveTheRestOfThePageUp) {
    struct Case {
        QStringList lines;
        QString first;
        bool second, third;
        double address, section, region;
    };
    const std::vector<Case> cases{
        {{}, "", false, false, 1.14, 1.4567, 1.6929},
        {{"ИП Петров"}, "ИП Петров", false, false, 1.14, 1.4567, 1.6929},
        {{"ИП Петров", "ИНН 7700"}, "ИП Петров", true, false, 1.34, 1.6929, 1.929},
        {{"ИП Петров", "ИНН 7700", "ОГРН 1"}, "ИП Петров", true, true, 1.535, 1.929, 2.165},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.size());
        report::Report r = reporttest::shippedReport("GoodsCheck");
        layOutGoodsCheckHeader(r, c.lines);
        ASSERT_NE(r.find("txtSupplier1S"), nullptr);
        EXPECT_EQ(r.find("txtSupplier1S")->text, c.first);
        EXPECT_EQ(r.contains("txtSupplier2S"), c.second);
        EXPECT_EQ(r.contains("txtSupplier3S"), c.third);
        if (c.third) {
            EXPECT_EQ(r.find("txtSupplier3S")->text, c.lines[2]);
        }
        EXPECT_DOUBLE_EQ(r.find("Text3")->top, c.address);
        EXPECT_DOUBLE_EQ(r.find("txtAddress")->top, c.address);
        EXPECT_DOUBLE_EQ(r.find("Section1")->top, c.section);
        EXPECT_DOUBLE_EQ(r.find("Region1")->top, c.region);
    }
}

TEST(GoodsCheckHeader, PreviewShowsAMissingSupplierAndMovesTheTitle) {
    struct Case {
        QStringList lines;
        QString first;
        bool second, third;
        double section;
    };
    const std::vector<Case> cases{
        {{}, "не указан", false, false, 0.748},
        {{"ИП Петров"}, "ИП Петров", false, false, 0.748},
        {{"ИП Петров", "ИНН 7700"}, "ИП Петров", true, false, 0.945},
        {{"ИП Петров", "ИНН 7700", "ОГРН 1"}, "ИП Петров", true, true, 1.142},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.size());
        report::Report r = reporttest::shippedReport("GoodsCheckPreview1");
        layOutPreviewHeader(r, c.lines);
        EXPECT_EQ(r.find("txtSupplier1S")->text, c.first);
        EXPECT_EQ(r.contains("txtSupplier2S"), c.second);
        EXPECT_EQ(r.contains("txtSupplier3S"), c.third);
        if (c.second) {
            EXPECT_DOUBLE_EQ(r.find("txtSupplier2S")->top, 0.748);
        }
        EXPECT_DOUBLE_EQ(r.find("Section1")->top, c.section);
    }
}
