#include "core/TextUtils.h"

#include "platform/db/Codec.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
}  // namespace

TEST(TextDefaults, BlankTextTakesTheDefault) {
    struct Case {
        const char* text;
        const char* ifEmpty;   // IfEmptyStr(text, "Кассир")
        const char* zeroSum;   // EmptyToZeroSum(text)
    };
    const std::vector<Case> cases{{"", "Кассир", "0.00"},
                                  {"   ", "Кассир", "0.00"},
                                  {"\t\r\n", "Кассир", "0.00"},
                                  {" Продавец ", " Продавец ", " Продавец "},
                                  {"12,5", "12,5", "12,5"}};
    for (const auto& c : cases) {
        EXPECT_EQ(IfEmptyStr(u(c.text), u("Кассир")), u(c.ifEmpty)) << c.text;
        EXPECT_EQ(EmptyToZeroSum(u(c.text)), u(c.zeroSum)) << c.text;
    }
}

TEST(TextCleaning, CrLfAndBlanksAreRemoved) {
    EXPECT_EQ(removeCrLfAndBlanks(u("123 456\r\n")), u("123456"));
    EXPECT_EQ(removeCrLfAndBlanks(u(" a\tb ")), u("a\tb"));  // only CR, LF and the blank go

    QPlainTextEdit memo;
    memo.setPlainText(u("1234 5678\n"));
    RemoveCrLfFromMemo(&memo);
    EXPECT_EQ(memo.toPlainText(), u("12345678"));

    QLineEdit edit;
    edit.setText(u("12 34"));
    RemoveCrLfFromMemo(&edit);
    EXPECT_EQ(edit.text(), u("1234"));
}

TEST(TextCleaning, CleanTextLeavesTheControlUntouched) {
    QPlainTextEdit memo;
    memo.setPlainText(u("0042"));
    QTextCursor cursor = memo.textCursor();
    cursor.setPosition(2);
    memo.setTextCursor(cursor);
    QSignalSpy changed(&memo, &QPlainTextEdit::textChanged);
    RemoveCrLfFromMemo(&memo);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(memo.textCursor().position(), 2);
}

TEST(TextNumbers, LeadingZerosAndPadding) {
    const std::vector<std::pair<const char*, const char*>> strip{
        {"007", "7"}, {"0", "0"}, {"000", "0"}, {"", ""}, {"100", "100"}, {"0a", "a"}, {"00460", "460"}};
    for (const auto& [in, out] : strip) EXPECT_EQ(StripLeadingZeros(u(in)), u(out)) << in;

    struct Pad {
        const char* text;
        int mode;
        int width;
        bool normalize;
        const char* out;
    };
    const std::vector<Pad> pads{{"5", 0, 3, false, "005"},  {"5", 0, 3, true, "5"},     {"5", 1, 3, false, "500"},
                                {"5", 1, 3, true, "500"},   {"1234", 0, 3, false, "1234"}, {"5", 2, 3, false, "5"},
                                {"ab", 0, 4, true, "0"},    {"", 0, 2, false, "00"},    {"-5", 0, 4, true, "0"}};
    for (const auto& p : pads)
        EXPECT_EQ(PadStr(u(p.text), p.mode, QLatin1Char('0'), p.width, p.normalize), u(p.out))
            << p.text << " mode " << p.mode << " width " << p.width;
}

TEST(TaxNumber, OnlyTwelveDigitsPass) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"771234567890", "771234567890"}, {"  771234567890 ", "771234567890"}, {"77123456789", ""},
        {"7712345678901", ""},           {"77123456789O", ""},               {"", ""},
        {"7712 3456789", ""},            {"７７１２３４５６７８９０", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(ValidateInn(u(in)), u(out)) << in;
}

TEST(TobaccoPriceField, Base80Decoding) {
    const std::vector<std::pair<const char*, std::int64_t>> cases{
        {"AAAA", 0}, {"AAAB", 1}, {"AABA", 80}, {"BAAA", 512000}, {"AB:Z", 12345}, {"????", 40959999},
        {"AAA\"", 63}, {"AAA'", 66}};
    for (const auto& [in, value] : cases) EXPECT_EQ(DecodeBase80(u(in), 4), value) << in;
    // Only the four-character field is decoded.
    EXPECT_EQ(DecodeBase80(u("AAAB"), 3), 0);
    EXPECT_EQ(DecodeBase80(u("AAAAB"), 5), 0);
    // A damaged field never reads as a price of zero.
    EXPECT_EQ(DecodeBase80(u("AA A"), 4), -1);
    EXPECT_EQ(DecodeBase80(u("AA#A"), 4), -1);
    EXPECT_EQ(DecodeBase80(u("AAA"), 4), -1);
}

TEST(ScannerKeys, RussianLayoutMapsToTheUsKey) {
    const std::vector<std::pair<const char*, char>> cases{
        {"й", 'q'}, {"Й", 'Q'}, {"ц", 'w'}, {"Я", 'Z'}, {"ь", 'm'}, {"Ь", 'M'}, {"ф", 'a'}, {"д", 'l'},
        {"х", '['}, {"Х", '{'}, {"ъ", ']'}, {"Ъ", '}'}, {"ж", ';'}, {"Ж", ':'}, {"э", '\''}, {"Э", '"'},
        {"б", ','}, {"Б", '<'}, {"ю", '.'}, {"Ю", '>'}, {"ё", '`'}, {"Ё", '~'}, {"\"", '@'}, {";", '$'},
        {":", '^'}, {"?", '&'}, {",", '?'}, {".", '/'}, {"/", '|'}, {"0", '0'}, {"9", '9'}, {" ", ' '},
        {"!", '!'}, {"%", '%'}, {"(", '('}, {")", ')'}, {"*", '*'}, {"+", '+'}, {"-", '-'}, {"=", '='},
        {"\\", '\\'}, {"_", '_'}, {"a", 0},  {"Q", 0},   {"№", 0},   {"@", 0},   {"Ω", 0},   {"\t", 0},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(RusToLatKey(u(in).at(0)), QChar(static_cast<ushort>(out))) << in;

    int mapped = 0;
    for (int code = 0; code < 256; ++code) {
        const QChar viaByte = RusToLatKey(static_cast<std::uint8_t>(code));
        if (!viaByte.isNull()) ++mapped;
        // The byte and the character forms agree for every code of the page.
        const QString ch = fb::fromWin1251(QByteArray(1, static_cast<char>(code)));
        if (ch.size() == 1 && ch.at(0) != QChar(0xFFFD)) {
            EXPECT_EQ(RusToLatKey(ch.at(0)), viaByte) << code;
        }
    }
    EXPECT_EQ(mapped, 94);

    QString typed;
    for (const QChar c : u("ЙЦУКЕН12")) typed += RusToLatKey(c);
    EXPECT_EQ(typed, u("QWERTY12"));
}

TEST(BarcodeFont, EanTextForTheFont) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"96385074", ":JGDI*fahe+"},          // EAN-8
        {"5901234123457", "5JKLCDO*bcdefh+"},  // first digit 5: parity A B B A A B
        {"0123456789012", "0BCDEFG*hijabc+"},  // first digit 0: all odd parity
        {"4600000000001", "4GKAAKK*aaaaab+"},  // first digit 4: A B A A B B
        {"1234567", ""},                       {"123456789012", ""},
        {"96385O74", ""},                      {"", ""},
        {"12345678901234", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(EncodeEanForBarcodeFont(u(in)), u(out)) << in;
}

TEST(StoredNumbers, WritersUsePointReadersForgive) {
    EXPECT_EQ(moneyToStoredText(1250), u("12.50"));
    EXPECT_EQ(moneyToStoredText(0), u("0.00"));
    EXPECT_EQ(moneyToStoredText(-5), u("-0.05"));
    EXPECT_EQ(quantityToStoredText(1500), u("1.500"));

    const std::vector<std::pair<const char*, std::int64_t>> money{
        {"12.50", 1250}, {"12,5", 1250}, {"", 0}, {"  ", 0}, {"abc", 0}, {" 7 ", 700}, {"-1.1", -110}};
    for (const auto& [in, value] : money) EXPECT_EQ(storedMoneyToKopecks(u(in)), value) << in;
    EXPECT_EQ(storedQuantityToThousandths(u("0,250")), 250);
    EXPECT_EQ(storedQuantityToThousandths(QString()), 0);
    for (const std::int64_t k : {0LL, 1LL, 99LL, 123456LL, -250LL}) EXPECT_EQ(storedMoneyToKopecks(moneyToStoredText(k)), k);
    EXPECT_EQ(storedNumberSql(u("GOOD_COUNT")),
              u("CAST(REPLACE(COALESCE(NULLIF(TRIM(GOOD_COUNT), ''), '0'), ',', '.') AS DECIMAL(15,3))"));
}
