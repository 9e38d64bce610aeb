#include "core/Settings.h"
#include "core/SettingsFile.h"

#include "platform/db/Codec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

void writeBytes(const QString& folder, const QByteArray& bytes) {
    QFile f(optionsFilePath(folder));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString& folder) {
    QFile f(optionsFilePath(folder));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file as the program writes it: Windows-1251, CR LF.
QByteArray fileOf(const QStringList& lines) { return fb::toWin1251(lines.join(u("\r\n")) + u("\r\n")); }

}  // namespace

TEST(OptionsFileRead, MissingFileReadsEmpty) {
    QTemporaryDir dir;
    for (const char* key : {"[OperDefault]", "[Email]", "[TobaccoPriceRule]"})
        for (int mode = 0; mode <= 2; ++mode) EXPECT_EQ(ReadFileOption(dir.path(), u(key), mode), QString());
    EXPECT_TRUE(readOptionsFileLines(dir.path()).isEmpty());
}

TEST(OptionsFileRead, KeysModesAndEdgeCases) {
    QTemporaryDir dir;
    writeBytes(dir.path(), fileOf({u("Настройки"), u("[OperDefault]  Возврат прихода"), u(" [Email]  lead@x.ru"),
                                   u("[Email]  shop@x.ru  "), u("[Email]  second@x.ru"),
                                   u("[TobaccoPriceRule]  2¤10"), u("[TaxSystemX]  9"), u("[TaxSystem]  Патент"),
                                   u("[MaxDiscount]"), u("[Quoted]  \"a b\"¤\"c\"\"d\""), u("[Spaced]  1 2¤3"),
                                   u("[Tail]  5¤")}));
    struct Case {
        const char* key;
        int mode;
        const char* value;
    };
    const std::vector<Case> cases{
        {"[OperDefault]", 0, "Возврат прихода"},
        {"[Email]", 0, "shop@x.ru"},  // the line with a leading blank never matches; the first match wins
        {"[TobaccoPriceRule]", 0, "2¤10"},
        {"[TobaccoPriceRule]", 1, "2"},
        {"[TobaccoPriceRule]", 2, "10"},
        {"[TobaccoPriceRule]", 3, ""},  // other modes give nothing
        {"[TobaccoPriceRule]", -1, ""},
        {"[TaxSystem]", 0, "Патент"},   // "[TaxSystemX]" is another key
        {"[Tax", 0, "SystemX]  9"},   // the key is compared as the start of the line
        {"[operdefault]", 0, ""},        // case matters
        {"[MaxDiscount]", 0, ""},
        {"[MaxDiscount]", 2, ""},
        {"[Quoted]", 1, "a b"},
        {"[Quoted]", 2, "c\"d"},
        {"[Spaced]", 1, "1"},            // blanks split like the delimiter
        {"[Spaced]", 2, "2"},
        {"[Tail]", 1, "5"},
        {"[Tail]", 2, ""},
        {"[Absent]", 0, ""},
        {"", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadFileOption(dir.path(), u(c.key), c.mode), u(c.value)) << c.key << " mode " << c.mode;
}

TEST(OptionsFileRead, RuleWithoutAmountHasNoSecondPart) {
    const QStringList lines{u("Настройки"), u("[TobaccoPriceRule]  1")};
    EXPECT_EQ(readOptionFromLines(lines, u("[TobaccoPriceRule]"), 1), u("1"));
    EXPECT_EQ(readOptionFromLines(lines, u("[TobaccoPriceRule]"), 2), QString());
}

TEST(OptionsFileRead, LineEndingsAndCodePage) {
    QTemporaryDir dir;
    // LF-only lines, a stray CR and bytes of the Windows code page.
    writeBytes(dir.path(), QByteArray("\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8\n[Email]  a@b.ru\r\r\n[X]  1\xa4\xc0"));
    EXPECT_EQ(readOptionsFileLines(dir.path()), (QStringList{u("Настройки"), u("[Email]  a@b.ru"), u("[X]  1¤А")}));
    EXPECT_EQ(ReadFileOption(dir.path(), u("[X]"), 2), u("А"));
}

TEST(DelimitedValue, SplitsLikeADelimitedList) {
    const QChar d = kOptionDelim;
    struct Case {
        const char* value;
        QStringList parts;
    };
    const std::vector<Case> cases{
        {"2¤10", {u("2"), u("10")}},
        {"1", {u("1")}},
        {"", {}},
        {"¤10", {u(""), u("10")}},
        {"3¤", {u("3"), u("")}},
        {"a b¤c", {u("a"), u("b"), u("c")}},
        {"\"x¤y\"¤z", {u("x¤y"), u("z")}},
        {"\"unterminated", {u("unterminated")}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitDelimitedValue(u(c.value), d), c.parts) << c.value;
}

TEST(OptionsFileWrite, RendersHeadingLinesAndCrLf) {
    const QByteArray bytes =
        renderOptionsFile({{u("[ListClear]"), u("1")}, {u("[Email]"), u("")}, {u("[TobaccoPriceRule]"), u("2¤10")}});
    const QByteArray expected = QByteArray("\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8\r\n") +
                                "[ListClear]  1\r\n[Email]  \r\n[TobaccoPriceRule]  2\xa4" "10\r\n";
    EXPECT_EQ(bytes, expected);
}

TEST(OptionsFileWrite, ReplacesTheFileWhole) {
    QTemporaryDir dir;
    writeBytes(dir.path(), QByteArray(5000, 'x'));
    const QByteArray bytes = renderOptionsFile({{u("[Email]"), u("a@b.ru")}});
    QString error;
    ASSERT_TRUE(writeOptionsFile(dir.path(), bytes, &error)) << error.toStdString();
    EXPECT_EQ(readBytes(dir.path()), bytes);
    EXPECT_FALSE(writeOptionsFile(QDir(dir.path()).filePath(u("missing/folder")), bytes, &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {

SettingsInput fullInput() {
    SettingsInput in;
    in.taxSystemText = u("УСН(доход-расход)");
    in.operDefault = u(" Возврат прихода ");
    in.payTypeIndex = 1;
    in.maxDiscount = u("25");
    in.email = u(" магазин@пример.рф ");
    in.tobaccoRule = 2;
    in.tobaccoPercent = u("10");
    in.scaleProtocol = 2;
    in.scalePort = u(" ttyUSB0 ");
    in.scaleBaudRate = u("9600");
    in.scaleTimeout = u("");
    in.units = {{u("шт"), 0}, {u("кг"), 11}};
    return in;
}

}  // namespace

TEST(SettingsPlanning, KeysInTheOrderBothStoresRelyOn) {
    const SettingsCheck check = planSettingsSave(fullInput());
    ASSERT_TRUE(check.plan) << check.message.toStdString();
    const QList<OptionsFileLine> expectedLines{
        {u("[ListClear]"), u("1")},           {u("[PosDeleteType]"), u("1")},
        {u("[TaxSystem]"), u("УСН(доход-расход)")}, {u("[OperDefault]"), u("Возврат прихода")},
        {u("[PayTypeDefault]"), u("1")},      {u("[MaxDiscount]"), u("25")},
        {u("[Email]"), u("магазин@пример.рф")}, {u("[TobaccoPriceRule]"), u("2¤10")},
    };
    EXPECT_EQ(check.plan->fileLines, expectedLines);
    const QList<OptionRow> expectedRows{
        {u("ListClear"), u("1")},        {u("PosDeleteType"), u("1")},          {u("TaxSystem"), u("4")},
        {u("OperDefault"), u("Возврат прихода")}, {u("PayTypeDefault"), u("1")}, {u("MaxDiscount"), u("25")},
        {u("Email"), u("магазин@пример.рф")}, {u("TobaccoPriceRule"), u("2")},  {u("TobaccoPriceRuleValue"), u("10")},
        {u("ScaleProtocol"), u("2")},    {u("ScalePort"), u("ttyUSB0")},        {u("ScaleBaudRate"), u("9600")},
    };
    EXPECT_EQ(check.plan->optionRows, expectedRows);
    EXPECT_EQ(check.plan->units, fullInput().units);
}

TEST(SettingsPlanning, OptionalKeysAreLeftOut) {
    SettingsInput in;
    in.tobaccoRule = 0;
    in.payTypeIndex = 3;
    in.taxSystemText = u("   ");
    const SettingsCheck check = planSettingsSave(in);
    ASSERT_TRUE(check.plan);
    QStringList keys;
    for (const auto& line : check.plan->fileLines) keys << line.first;
    EXPECT_EQ(keys, (QStringList{u("[ListClear]"), u("[PosDeleteType]"), u("[OperDefault]"), u("[MaxDiscount]"),
                                 u("[Email]"), u("[TobaccoPriceRule]")}));
    QStringList names;
    for (const auto& row : check.plan->optionRows) names << row.name;
    EXPECT_EQ(names, (QStringList{u("ListClear"), u("PosDeleteType"), u("OperDefault"), u("MaxDiscount"), u("Email"),
                                  u("TobaccoPriceRule")}));

    in.taxSystemText = u("Неизвестная");
    in.scaleProtocol = 0;
    const SettingsCheck other = planSettingsSave(in);
    ASSERT_TRUE(other.plan);
    EXPECT_TRUE(other.plan->optionRows.contains(OptionRow{u("TaxSystem"), u("0")}));
    EXPECT_TRUE(other.plan->optionRows.contains(OptionRow{u("ScaleProtocol"), u("0")}));
}

TEST(SettingsPlanning, TobaccoAmountsAreChecked) {
    const QString pctRange = u("Недопустимое значение процентной скидки.   \r\n\r\n"
                               "Допустимое значение: целое положительное число от 1 до 25.      ");
    const QString pctFormat = u("Некорректный формат значения процентной скидки.   \r\n\r\n"
                                "Допустимый формат: целое положительное число от 1 до 25.     ");
    const QString rubRange = u("Недопустимое значение суммовой скидки.    \r\n\r\n"
                               " Допустимое значение: положительное число.   ");
    const QString rubFormat = u("Некорректный формат значения суммовой скидки.    \r\n\r\n"
                                " Допустимый формат: положительное число.   ");
    struct Case {
        int rule;
        const char* amount;
        QString message;  // empty: accepted
        const char* stored;
    };
    const std::vector<Case> cases{
        {2, "0", pctRange, ""},     {2, "26", pctRange, ""},   {2, "-3", pctRange, ""}, {2, "5.5", pctFormat, ""},
        {2, "", pctFormat, ""},     {2, "abc", pctFormat, ""}, {2, "25", {}, "25"},     {2, " 1 ", {}, "1"},
        {3, "0", rubRange, ""},     {3, "-1,5", rubRange, ""}, {3, "x", rubFormat, ""}, {3, "", rubFormat, ""},
        {3, "12,50", {}, "12.50"},  {3, "0.01", {}, "0.01"},
    };
    for (const auto& c : cases) {
        SettingsInput in;
        in.tobaccoRule = c.rule;
        (c.rule == 2 ? in.tobaccoPercent : in.tobaccoRoubles) = u(c.amount);
        const SettingsCheck check = planSettingsSave(in);
        SCOPED_TRACE(std::to_string(c.rule) + " " + c.amount);
        if (c.message.isEmpty()) {
            ASSERT_TRUE(check.plan);
            EXPECT_TRUE(check.plan->optionRows.contains(OptionRow{u("TobaccoPriceRuleValue"), u(c.stored)}));
            EXPECT_TRUE(check.plan->fileLines.contains(
                OptionsFileLine{u("[TobaccoPriceRule]"), QString::number(c.rule) + kOptionDelim + u(c.stored)}));
        } else {
            EXPECT_FALSE(check.plan);
            EXPECT_EQ(check.message, c.message);
            EXPECT_EQ(check.field, c.rule == 2 ? SettingsField::TobaccoPercent : SettingsField::TobaccoRoubles);
        }
    }
}

TEST(SettingsPlanning, ValuesThatCannotBeStoredAreRefused) {
    struct Case {
        SettingsInput input;
        SettingsField field;
    };
    std::vector<Case> cases;
    SettingsInput longEmail;
    longEmail.email = QString(31, QLatin1Char('a'));
    cases.push_back({longEmail, SettingsField::Email});
    SettingsInput badEmail;
    badEmail.email = u("shop😀@x.ru");
    cases.push_back({badEmail, SettingsField::Email});
    SettingsInput longPort;
    longPort.scalePort = QString(40, QLatin1Char('p'));
    cases.push_back({longPort, SettingsField::ScalePort});
    SettingsInput longUnit;
    longUnit.units = {{u("очень длинная"), 255}};
    cases.push_back({longUnit, SettingsField::Units});
    for (size_t i = 0; i < cases.size(); ++i) {
        const SettingsCheck check = planSettingsSave(cases[i].input);
        SCOPED_TRACE(i);
        EXPECT_FALSE(check.plan);
        EXPECT_EQ(check.field, cases[i].field);
        EXPECT_TRUE(check.message.startsWith(QLatin1Char(' ')));
    }
    SettingsInput exact;
    exact.email = QString(30, QLatin1Char('a'));
    EXPECT_TRUE(planSettingsSave(exact).plan);
}
