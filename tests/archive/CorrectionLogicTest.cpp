// The rules of a correction receipt that need no window: subject of
// calculation, the order of the checks, the sum, the register's clock and
// the document row.
#include "archive/CorrectionLogic.h"
#include "platform/db/Value.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace archive;

TEST(CorrectionRules, SubjectOfCalculationFollowsTheFirstLine) {
    struct Case {
        const char* kind;
        int code;
        const char* caption;
    };
    const std::vector<Case> cases = {
        {"", 1, "товар, кроме подакцизного"},
        {"Т", 1, "товар, кроме подакцизного"},
        {" т ", 1, "товар, кроме подакцизного"},
        {"АТ", 2, "подакцизный товар"},
        {"Р", 3, "работа"},
        {"У", 4, "услуга"},
        {"спр", 12, "составной предмет расчета"},
        {"X", 0, ""},
    };
    for (const Case& c : cases) {
        const ProductType t = productTypeFromKind(QString::fromUtf8(c.kind));
        EXPECT_EQ(t.code, c.code) << c.kind;
        EXPECT_EQ(t.caption, QString::fromUtf8(c.caption)) << c.kind;
    }
}

TEST(CorrectionRules, ChecksStopAtTheFirstFailureInOrder) {
    const QDate today(2026, 12, 7);
    CorrectionEntry good;
    good.userName = QStringLiteral("Иванов И.И.");
    good.causeName = QStringLiteral("Не пробит чек");
    good.causeDocNum = QStringLiteral("1");
    good.sumText = QStringLiteral("10.00");
    good.causeDate = today;
    good.today = today;
    good.portName = QStringLiteral("COM3");
    good.baudRate = QStringLiteral("115200");
    struct Case {
        const char* name;
        std::function<void(CorrectionEntry&)> change;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"all good", [](CorrectionEntry&) {}, QString()},
        {"built-in account first",
         [](CorrectionEntry& e) {
             e.userName = QStringLiteral(" votar ");
             e.sumText.clear();
         },
         kCorrectionVotar},
        {"no user",
         [](CorrectionEntry& e) {
             e.userName = QStringLiteral("  ");
             e.portName.clear();
         },
         kCorrectionNoUser},
        {"no cause", [](CorrectionEntry& e) { e.causeName = QStringLiteral(" "); }, kCorrectionEmptyFields},
        {"no order number", [](CorrectionEntry& e) { e.causeDocNum.clear(); }, kCorrectionEmptyFields},
        {"empty receipt",
         [](CorrectionEntry& e) {
             e.sumText.clear();
             e.portName.clear();
         },
         kCorrectionEmptyFields},
        {"tomorrow",
         [&](CorrectionEntry& e) {
             e.causeDate = today.addDays(1);
             e.portName.clear();
         },
         kCorrectionFutureDate},
        {"yesterday", [&](CorrectionEntry& e) { e.causeDate = today.addDays(-1); }, QString()},
        {"no port",
         [](CorrectionEntry& e) {
             e.portName = QStringLiteral(" ");
             e.sumText = QStringLiteral("0");
         },
         kCorrectionNoRegister},
        {"no speed", [](CorrectionEntry& e) { e.baudRate.clear(); }, kCorrectionNoRegister},
        {"zero", [](CorrectionEntry& e) { e.sumText = QStringLiteral("0.00"); }, kCorrectionZeroSum},
        {"below tolerance", [](CorrectionEntry& e) { e.sumText = QStringLiteral("0.0004"); }, kCorrectionZeroSum},
        {"not a number", [](CorrectionEntry& e) { e.sumText = QStringLiteral("abc"); }, kCorrectionZeroSum},
        {"one kopeck", [](CorrectionEntry& e) { e.sumText = QStringLiteral("0.01"); }, QString()},
    };
    for (const Case& c : cases) {
        CorrectionEntry e = good;
        c.change(e);
        EXPECT_EQ(validateCorrection(e), c.expected) << c.name;
    }
}

TEST(CorrectionRules, SumInKopecksWithoutBinaryFractions) {
    const std::vector<std::pair<const char*, std::int64_t>> cases = {
        {"0.01", 1}, {"1234.56", 123456}, {"1.005", 101},        {"0.29", 29}, {"10", 1000}, {"abc", 0},
        {"", 0},     {"0.0004", 0},       {"99999.99", 9999999},
    };
    for (const auto& [text, kopecks] : cases) EXPECT_EQ(sumToKopecks(QString::fromLatin1(text)), kopecks) << text;
}

TEST(CorrectionRules, RegisterClockIsReadOrRefused) {
    struct Case {
        const char* text;
        std::optional<QDateTime> expected;
    };
    const QDateTime at(QDate(2026, 12, 7), QTime(9, 5, 30));
    const std::vector<Case> cases = {
        {"2026-12-07T09:05:30", at},           {"2026-12-07T09:05:30.250+03:00", at}, {"2026-12-07 09:05:30", at},
        {"07.12.2026 09:05:30", std::nullopt}, {"2026-13-07T09:05:30", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseRegisterDateTime(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(CorrectionRules, DocumentRowOfAPrintedCorrection) {
    PrintedCorrection p;
    p.kopecks = 123456;
    p.fiscalSign = QStringLiteral("3000795200");
    p.fiscalDocNum = QStringLiteral("101");
    p.registerTime = QDateTime(QDate(2026, 3, 5), QTime(8, 7, 59));
    p.userName = QStringLiteral(" Иванов И.И. ");
    struct Case {
        int tag;
        bool cash;
        std::map<QString, QString> expected;
    };
    const std::vector<Case> cases = {
        {1, true, {{"I_DOC_CHECKTYPE", "1"}, {"I_DOC_PAY_NAL", "1234.56"}, {"I_DOC_PAY_EL", "0.00"}}},
        {2, false, {{"I_DOC_CHECKTYPE", "3"}, {"I_DOC_PAY_NAL", "0.00"}, {"I_DOC_PAY_EL", "1234.56"}}},
    };
    for (const Case& c : cases) {
        p.tag = c.tag;
        p.cash = c.cash;
        std::map<QString, QString> got;
        for (const auto& [name, value] : docWriteParams(p))
            got[name] = fb::isNull(value) ? QStringLiteral("<null>") : fb::toString(value);
        std::map<QString, QString> expected = {
            {"I_DOC_TYPE", "31"},           {"I_DOC_FPD", "3000795200"},
            {"I_DOC_USER", "Иванов И.И."},  {"I_DOC_SUMM_FULL", "1234.56"},
            {"I_DOC_NUMBER", "101"},        {"I_DOC_DATE", "05.03.2026"},
            {"I_DOC_TIME", "08:07"},        {"I_DOC_PAY_ADVANCE", "<null>"},
            {"I_DOC_PAY_CREDIT", "<null>"}, {"I_DOC_PAY_MEETING", "<null>"},
            {"I_DOC_BUYER_NAME", "<null>"}, {"I_DOC_BUYER_INN", "<null>"},
        };
        for (const auto& [k, v] : c.expected) expected[k] = v;
        EXPECT_EQ(got, expected) << c.tag;
    }
}
