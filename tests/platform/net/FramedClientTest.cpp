// The blocking client against the stand-in register service on loopback:
// whole replies however they arrive, and every misbehaviour of the peer
// ending in a failure of its own kind within the time limits.
#include "platform/net/FramedClient.h"
#include "tools/register_service/RegisterServiceStandIn.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using Fault = tools::ServiceReply::Fault;

net::ClientOptions optionsFor(quint16 port, int readTimeoutMs = 3000) {
    net::ClientOptions o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = port;
    o.connectTimeoutMs = 2000;
    o.readTimeoutMs = readTimeoutMs;
    return o;
}

const QByteArray kClosePorts = R"({"command": "ClosePorts"})";

}  // namespace

TEST(FramedClient, ReadsAWholeReplyAndKeepsTheConnection) {
    tools::RegisterServiceStandIn service(20000);
    const quint16 port = service.start();
    ASSERT_NE(port, 0);
    tools::ServiceReply pieces;
    pieces.description = QStringLiteral("по кусочкам");
    pieces.chunkBytes = 3;
    service.scriptOnce(QStringLiteral("ClosePorts"), pieces);

    net::FramedClient client(optionsFor(port));
    for (const QString& expected : {QStringLiteral("по кусочкам"), QStringLiteral("Порты закрыты")}) {
        const net::Exchange e = client.exchange(kClosePorts);
        ASSERT_TRUE(e.ok()) << e.detail.toStdString();
        const QJsonObject reply = QJsonDocument::fromJson(e.reply).object();
        EXPECT_EQ(reply.value(QStringLiteral("description")).toString(), expected);
        EXPECT_TRUE(client.isConnected());
    }
    // Both requests went over the one connection, exactly as framed.
    EXPECT_EQ(service.connections(), 1);
    EXPECT_EQ(service.requests(), (QList<QByteArray>{kClosePorts, kClosePorts}));
}

TEST(FramedClient, EveryFaultOfThePeerIsAFailureOfItsKind) {
    struct Case {
        const char* name;
        Fault fault;
        int delayMs;
        net::Failure expected;
    };
    const std::vector<Case> cases = {
        {"silent service", Fault::NoReply, 0, net::Failure::TimedOut},
        {"late reply", Fault::None, 3000, net::Failure::TimedOut},
        {"hang-up without a reply", Fault::CloseWithoutReply, 0, net::Failure::Broken},
        {"hang-up in mid-reply", Fault::DropMidReply, 0, net::Failure::Broken},
        {"bogus length", Fault::BogusLength, 0, net::Failure::Oversized},
    };
    tools::RegisterServiceStandIn service(20000);
    const quint16 port = service.start();
    ASSERT_NE(port, 0);
    for (const Case& c : cases) {
        tools::ServiceReply r;
        r.fault = c.fault;
        r.delayMs = c.delayMs;
        service.scriptOnce(QStringLiteral("ClosePorts"), r);
        net::FramedClient client(optionsFor(port, 700));
        QElapsedTimer clock;
        clock.start();
        const net::Exchange e = client.exchange(kClosePorts);
        EXPECT_EQ(e.failure, c.expected) << c.name;
        EXPECT_FALSE(client.isConnected()) << c.name;
        EXPECT_LT(clock.elapsed(), 3000) << c.name;
        EXPECT_FALSE(net::failureText(e).isEmpty()) << c.name;
        // The next exchange starts afresh and succeeds.
        EXPECT_TRUE(client.exchange(kClosePorts).ok()) << c.name;
    }
}

TEST(FramedClient, NobodyListeningIsARefusal) {
    quint16 port = 0;
    {
        tools::RegisterServiceStandIn service;
        port = service.start();
        ASSERT_NE(port, 0);
    }
    net::FramedClient client(optionsFor(port));
    const net::Exchange e = client.exchange(kClosePorts);
    EXPECT_EQ(e.failure, net::Failure::Refused);
    EXPECT_FALSE(client.isConnected());
}

TEST(FramedClient, AStaleReplyIsNotTakenForTheNextOne) {
    tools::RegisterServiceStandIn service(20000);
    const quint16 port = service.start();
    ASSERT_NE(port, 0);
    // The first reply comes after the client gave up waiting, on the
    // connection that stays open only if the client kept it: it closes on a
    // time-out, so the late bytes cannot be read as the next reply.
    tools::ServiceReply late;
    late.description = QStringLiteral("поздний");
    late.delayMs = 3000;
    service.scriptOnce(QStringLiteral("ClosePorts"), late);
    net::FramedClient client(optionsFor(port, 300));
    EXPECT_EQ(client.exchange(kClosePorts).failure, net::Failure::TimedOut);
    const net::Exchange e = client.exchange(kClosePorts);
    ASSERT_TRUE(e.ok());
    EXPECT_EQ(QJsonDocument::fromJson(e.reply).object().value(QStringLiteral("description")).toString(),
              QStringLiteral("Порты закрыты"));
}

TEST(RegisterServiceStandIn, StopsByItselfWhenNobodyTalksToIt) {
    tools::RegisterServiceStandIn service(300);
    const quint16 port = service.start();
    ASSERT_NE(port, 0);
    net::FramedClient client(optionsFor(port));
    ASSERT_TRUE(client.exchange(kClosePorts).ok());
    // Traffic keeps it alive; silence ends it.
    QElapsedTimer clock;
    clock.start();
    while (service.isListening() && clock.elapsed() < 3000) QThread::msleep(50);
    EXPECT_FALSE(service.isListening());
    EXPECT_GE(clock.elapsed(), 200);
    client.close();
    EXPECT_EQ(client.exchange(kClosePorts).failure, net::Failure::Refused);
}
