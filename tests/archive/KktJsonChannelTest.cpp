// The channel's operations against the stand-in service: what each sends,
// how the session variables follow the answers, and that a misbehaving
// service ends every operation in a result, never in an exception.
#include "ChannelTestSupport.h"

#include <QJsonDocument>

using namespace archive;
using namespace archivetest;
using Fault = tools::ServiceReply::Fault;

namespace {

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = service.start();
        ASSERT_NE(port, 0);
        channel = std::make_unique<KktJsonChannel>(session.vars(), loopback(port, 700));
    }

    tools::RegisterServiceStandIn service{20000};
    quint16 port = 0;
    KktJsonSession session;
    std::unique_ptr<KktJsonChannel> channel;
};

}  // namespace

TEST_F(ChannelTest, OpenSessionKeepsTheKeyAndTheConnection) {
    int opened = 0;
    channel->setSessionOpenedHandler([&] { ++opened; });
    const KktJsonResult r = channel->KktJsonOpenSession(QStringLiteral("COM3"), QStringLiteral("115200"));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(channel->LastOpFailed(), 0);
    EXPECT_EQ(session.sessionKey, QStringLiteral("SK-1"));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(channel->isConnected());
    EXPECT_EQ(
        service.requests().value(0),
        QByteArray(
            R"({"sessionKey": null,"command": "OpenSession","portName": "com3","baudRate": 115200,"model": "185F"})"));

    const KktJsonResult info = channel->KktJsonGetCommonInfo(session.sessionKey);
    EXPECT_TRUE(info.ok());
    EXPECT_TRUE(replyMember(QStringLiteral("dateTime"), info.reply).has_value());
    EXPECT_FALSE(channel->isConnected());

    const KktJsonResult closed = channel->KktJsonCloseSession(session.sessionKey);
    EXPECT_TRUE(closed.ok());
    EXPECT_TRUE(session.sessionKey.isEmpty());
    EXPECT_FALSE(channel->isConnected());
    EXPECT_EQ(service.commands(), (QStringList{"OpenSession", "GetCommonInfo", "CloseSession", "ClosePorts"}));
}

TEST_F(ChannelTest, AFailedOpenSessionSaysWhyAndClearsTheKey) {
    struct Case {
        const char* name;
        tools::ServiceReply reply;
        int code;
        QString description;
    };
    tools::ServiceReply noResult;
    noResult.result.reset();
    noResult.description = QStringLiteral("без кода");
    tools::ServiceReply late;
    late.delayMs = 3000;
    const std::vector<Case> cases = {
        {"service refuses", refusal(4, QStringLiteral("Порт занят")), 4, QStringLiteral("Порт занят")},
        {"no answer in time", fault(Fault::NoReply), kJsonTimedOut, kOpenSessionTimedOutText},
        {"answer too late", late, kJsonTimedOut, kOpenSessionTimedOutText},
        {"hang-up", fault(Fault::CloseWithoutReply), kJsonExchangeFailed, kOpenSessionFailedText},
        {"hang-up in mid-reply", fault(Fault::DropMidReply), kJsonExchangeFailed, kOpenSessionFailedText},
        {"bogus length", fault(Fault::BogusLength), kJsonExchangeFailed, kOpenSessionFailedText},
        {"reply without result", noResult, kJsonExchangeFailed, kOpenSessionFailedText},
    };
    for (const Case& c : cases) {
        session.sessionKey = QStringLiteral("old");
        service.scriptOnce(QStringLiteral("OpenSession"), c.reply);
        const KktJsonResult r = channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600"));
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.result, c.code) << c.name;
        EXPECT_EQ(channel->LastOpFailed(), c.code) << c.name;
        EXPECT_EQ(r.description, c.description) << c.name;
        EXPECT_TRUE(session.sessionKey.isEmpty()) << c.name;
    }
    // Nobody listening at all.
    service.stop();
    const KktJsonResult r = channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600"));
    EXPECT_EQ(r.result, kJsonExchangeFailed);
    EXPECT_EQ(r.description, kOpenSessionFailedText);
    // A speed that is no number never reaches the service.
    EXPECT_EQ(channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600a")).result, kJsonExchangeFailed);
}

TEST_F(ChannelTest, OtherOperationsReportAFailedExchangeAsAResult) {
    ASSERT_TRUE(channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600")).ok());
    const QString key = session.sessionKey;
    struct Case {
        const char* command;
        std::function<KktJsonResult()> run;
    };
    const std::vector<Case> cases = {
        {"GetCommonInfo", [&] { return channel->KktJsonGetCommonInfo(key); }},
        {"ResetCheck", [&] { return channel->KktJsonResetCheck(key); }},
        {"OpenCheck",
         [&] {
             OpenCheckRequest open;
             open.sessionKey = key;
             return channel->KktJsonSendRequest(openCheckRequest(open));
         }},
        {"AddGoods", [&] { return channel->KktJsonSendRequestReply(addGoodsRequest(key, 1, 100)); }},
    };
    for (const Case& c : cases) {
        for (Fault f : {Fault::NoReply, Fault::DropMidReply}) {
            service.scriptOnce(QString::fromLatin1(c.command), fault(f));
            const KktJsonResult r = c.run();
            EXPECT_FALSE(r.exchanged()) << c.command;
            EXPECT_EQ(r.result, f == Fault::NoReply ? kJsonTimedOut : kJsonExchangeFailed) << c.command;
            EXPECT_FALSE(r.description.isEmpty()) << c.command;
            EXPECT_FALSE(channel->isConnected()) << c.command;
        }
    }
}

TEST_F(ChannelTest, ARefusalCarriesTheServiceWordAndTheWholeReply) {
    ASSERT_TRUE(channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600")).ok());
    tools::ServiceReply r = refusal(5, QStringLiteral("Смена превысила 24 часа"));
    r.members.insert(QStringLiteral("code"), QStringLiteral("E5"));
    service.scriptOnce(QStringLiteral("AddGoods"), r);
    const KktJsonResult got = channel->KktJsonSendRequestReply(addGoodsRequest(session.sessionKey, 1, 100));
    EXPECT_TRUE(got.exchanged());
    EXPECT_EQ(got.result, 5);
    EXPECT_EQ(channel->LastOpFailed(), 5);
    EXPECT_EQ(got.description, QStringLiteral("Смена превысила 24 часа"));
    EXPECT_EQ(replyMember(QStringLiteral("code"), got.reply), QStringLiteral("E5"));
}

TEST_F(ChannelTest, ClosePortsSwallowsFailuresAndKeepsTheResultWord) {
    service.scriptOnce(QStringLiteral("OpenSession"), refusal(9, QStringLiteral("нет")));
    channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600"));
    ASSERT_EQ(channel->LastOpFailed(), 9);
    service.scriptOnce(QStringLiteral("ClosePorts"), fault(Fault::DropMidReply));
    channel->KktJsonClosePorts();
    EXPECT_EQ(channel->LastOpFailed(), 9);
    service.stop();
    channel->KktJsonClosePorts();
    EXPECT_EQ(channel->LastOpFailed(), 9);
}

TEST_F(ChannelTest, TheWatchUsesTheOpenConnectionAndStandsBackWhileHeld) {
    ASSERT_TRUE(channel->KktJsonOpenSession(QStringLiteral("com1"), QStringLiteral("9600")).ok());
    const QString key = session.sessionKey;
    {
        KktJsonChannel::Hold hold(*channel);
        EXPECT_FALSE(channel->pollSession(key).has_value());
    }
    EXPECT_EQ(service.commands(), QStringList{"OpenSession"});
    const std::optional<QJsonObject> fine = channel->pollSession(key);
    ASSERT_TRUE(fine.has_value());
    EXPECT_EQ(fine->value(QStringLiteral("result")).toInt(-1), 0);
    // No new connection for the watch: it went over the session's own.
    EXPECT_EQ(service.connections(), 1);
    EXPECT_TRUE(channel->isConnected());

    tools::ServiceReply raw;
    raw.fault = Fault::RawText;
    raw.raw = QByteArray(R"({"result": 12, "description": "Нет бумаги)");
    service.scriptOnce(QStringLiteral("GetCommonInfo"), raw);
    const std::optional<QJsonObject> scanned = channel->pollSession(key);
    ASSERT_TRUE(scanned.has_value());
    EXPECT_EQ(scanned->value(QStringLiteral("result")).toInt(), 12);
    EXPECT_EQ(scanned->value(QStringLiteral("description")).toString(), QStringLiteral("Нет бумаги"));

    service.stop();
    const std::optional<QJsonObject> failed = channel->pollSession(key);
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(failed->isEmpty());
}
