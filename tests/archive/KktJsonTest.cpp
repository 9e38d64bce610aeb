// Request texts of the register channel byte for byte, and the readers of
// its replies.
#include "archive/KktJson.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <vector>

using namespace archive;

namespace {
archive::OpenCheckRequest sampleOpenCheck() {
    OpenCheckRequest r;
    r.sessionKey = QStringLiteral("K1");
    r.checkType = 4;
    r.taxSystem = 1;
    r.cashierName = QStringLiteral("Иванов И.И.");
    r.cashierInn = QStringLiteral("500100732259");
    r.correctionType = 1;
    r.causeName = QStringLiteral("Не пробит чек");
    r.causeDocDate = QDate(2026, 3, 5);
    r.causeDocNum = QStringLiteral("17");
    return r;
}
}  // namespace

TEST(KktRequests, TextsAreExactlyAsTheServiceReadsThem) {
    OpenCheckRequest noInn = sampleOpenCheck();
    noInn.cashierInn.clear();
    noInn.checkType = 5;
    noInn.taxSystem = -1;
    noInn.correctionType = 0;
    struct Case {
        const char* name;
        QString text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"ClosePorts", BuildKktJsonCommand(KktCommand::ClosePorts, QStringLiteral("ignored")),
         R"({"command": "ClosePorts"})"},
        {"OpenSession", openSessionRequest(QStringLiteral("COM3"), QStringLiteral("115200")).value_or(QString()),
         R"({"sessionKey": null,"command": "OpenSession","portName": "com3","baudRate": 115200,"model": "185F"})"},
        {"CloseSession", BuildKktJsonCommand(KktCommand::CloseSession, QStringLiteral("K1")),
         R"({"sessionKey": "K1","command": "CloseSession"})"},
        {"GetCommonInfo", BuildKktJsonCommand(KktCommand::GetCommonInfo, QStringLiteral("K1")),
         R"({"sessionKey": "K1","command": "GetCommonInfo"})"},
        {"ResetCheck", BuildKktJsonCommand(KktCommand::ResetCheck, QStringLiteral("K1")),
         R"({"sessionKey": "K1","command": "ResetCheck"})"},
        {"OpenCheck with INN", openCheckRequest(sampleOpenCheck()),
         R"({"sessionKey": "K1","command": "OpenCheck","checkType": 4,"taxSystem": 1,)"
         R"("cashierInfo": {"cashierName": "Иванов И.И.","cashierINN": "500100732259"},)"
         R"("correctionInfo": {"correctionType": 1,"causeName": "Не пробит чек","causeDocDate": "2026-03-05",)"
         R"("causeDocNum": "17"}})"},
        {"OpenCheck without INN", openCheckRequest(noInn),
         R"({"sessionKey": "K1","command": "OpenCheck","checkType": 5,"taxSystem": -1,)"
         R"("cashierInfo": {"cashierName": "Иванов И.И."},)"
         R"("correctionInfo": {"correctionType": 0,"causeName": "Не пробит чек","causeDocDate": "2026-03-05",)"
         R"("causeDocNum": "17"}})"},
        {"AddGoods of one kopeck", addGoodsRequest(QStringLiteral("K1"), 12, 1),
         R"({"sessionKey": "K1","command": "AddGoods","productName": "","qty": 10000,"taxCode": 6,)"
         R"("paymentFormCode": 4,"productTypeCode": 12,"price": 1})"},
        {"CloseCheck cash", closeCheckRequest(QStringLiteral("K1"), true, 123456),
         R"({"sessionKey": "K1","command": "CloseCheck","payment": {"cash": 123456}})"},
        {"CloseCheck cashless", closeCheckRequest(QStringLiteral("K1"), false, 50),
         R"({"sessionKey": "K1","command": "CloseCheck","payment": {"ecash": 50}})"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text.toUtf8(), QByteArray(c.expected)) << c.name;
        // Every request is valid JSON for the service.
        EXPECT_TRUE(QJsonDocument::fromJson(c.text.toUtf8()).isObject()) << c.name;
    }
}

TEST(KktRequests, QuotesAndBackslashesCannotAddMembers) {
    OpenCheckRequest r = sampleOpenCheck();
    r.cashierName = QStringLiteral("ООО \"Ромашка\" \\ касса");
    r.causeName = QStringLiteral("ошибка\", \"checkType\": 2, \"x\": \"");
    r.causeDocNum = QStringLiteral("№ 5\r\n\t");
    const QJsonObject o = QJsonDocument::fromJson(openCheckRequest(r).toUtf8()).object();
    ASSERT_FALSE(o.isEmpty());
    EXPECT_EQ(o.value(QStringLiteral("checkType")).toInt(), 4);
    EXPECT_FALSE(o.contains(QStringLiteral("x")));
    const QJsonObject cashier = o.value(QStringLiteral("cashierInfo")).toObject();
    EXPECT_EQ(cashier.value(QStringLiteral("cashierName")).toString(), r.cashierName);
    const QJsonObject cause = o.value(QStringLiteral("correctionInfo")).toObject();
    EXPECT_EQ(cause.value(QStringLiteral("causeName")).toString(), r.causeName);
    EXPECT_EQ(cause.value(QStringLiteral("causeDocNum")).toString(), r.causeDocNum);
    EXPECT_EQ(jsonText(QStringLiteral("\x01")), QStringLiteral("\"\\u0001\""));
}

TEST(KktRequests, ASpeedThatIsNoNumberIsNotSent) {
    for (const char* baud : {"", "fast", "115200;", "-9600", "96 00"})
        EXPECT_FALSE(openSessionRequest(QStringLiteral("com1"), QString::fromLatin1(baud)).has_value()) << baud;
    EXPECT_TRUE(openSessionRequest(QStringLiteral("com1"), QStringLiteral(" 9600 ")).has_value());
}

TEST(KktReplies, TheServiceScannerReadsAsItAlwaysDid) {
    struct Case {
        const char* key;
        const char* json;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"result", R"({"result": 0,"description": "Готово"})", "0"},
        {"description", R"({"result": 0,"description": "Готово"})", "Готово"},
        {"sessionKey", R"({"result": 0})", ""},
        // The first occurrence wins, even inside another member's name or value.
        {"Sign", R"({"fiscalSignX": "1","fiscalSign": "2"})", "1"},
        {"result", R"({"description": "see \"result\": 9","result": 0})", ","},
        {"description", R"({"description": "a, b } c","result": 1})", "a, b } c"},
        {"result", R"({"result":  12 })", "12"},
        {"result", R"({"result": 7,)", "7"},
        {"result", R"({"result": 42)", "42"},
        {"flag", R"({"flag": true})", "true"},
        {"description", R"({"description": "say \"hi\""})", "say \\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractJsonValue(QString::fromUtf8(c.key), QString::fromUtf8(c.json)), QString::fromUtf8(c.expected))
            << c.key << " in " << c.json;
}

TEST(KktReplies, MembersAreReadByTheirExactNames) {
    struct Case {
        const char* name;
        const char* reply;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases = {
        {"result", R"({"description": "see \"result\": 9","result": 0})", QStringLiteral("0")},
        {"fiscalSign", R"({"fiscalSignX": "1","fiscalSign": "2"})", QStringLiteral("2")},
        {"description", R"({"description": "say \"hi\" \\ ok"})", QStringLiteral("say \"hi\" \\ ok")},
        {"result", R"({"details": {"result": 3}})", std::nullopt},
        {"result", R"({"result": -1})", QStringLiteral("-1")},
        {"result", R"({"result": 1.5})", QStringLiteral("1.5")},
        {"ok", R"({"ok": false})", QStringLiteral("false")},
        {"sessionKey", R"({"sessionKey": null})", QStringLiteral("null")},
        {"dateTime", R"({"dateTime": "2026-12-07T10:15:00"})", QStringLiteral("2026-12-07T10:15:00")},
        // Not JSON: the scanner reads it.
        {"result", R"({"result": 0, "description": "обрыв)", QStringLiteral("0")},
        {"sessionKey", "garbage", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(replyMember(QString::fromUtf8(c.name), QByteArray(c.reply)), c.expected)
            << c.name << " in " << c.reply;
}

TEST(KktReplies, ResultIsAWholeNumberOrNothing) {
    struct Case {
        const char* reply;
        std::optional<int> expected;
    };
    const std::vector<Case> cases = {
        {R"({"result": 0})", 0},         {R"({"result": "12"})", 12},
        {R"({"result": -3})", -3},       {R"({"result": 1.5})", {}},
        {R"({"result": "abc"})", {}},    {R"({"description": "x"})", {}},
        {R"({"result": null})", {}},     {"", {}},
        {R"({"result": 4, "broken)", 4},
    };
    for (const Case& c : cases) EXPECT_EQ(replyResult(QByteArray(c.reply)), c.expected) << c.reply;
}
