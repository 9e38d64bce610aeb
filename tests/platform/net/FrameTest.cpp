// Frames of the register channel: the length header and a reader that must
// put frames together however the stream was cut.
#include "platform/net/Frame.h"

#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray header(quint32 n) {
    QByteArray h;
    h.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return h;
}

}  // namespace

TEST(Frame, HeaderIsTheByteCountInNetworkOrder) {
    const std::vector<QByteArray> payloads = {
        QByteArray(),
        QByteArray("{}"),
        QByteArray(300, 'x'),
        QStringLiteral(R"({"cashierName": "Иванов"})").toUtf8(),  // bytes, not characters
        QByteArray(70000, 'y'),
    };
    for (const QByteArray& p : payloads) {
        const QByteArray frame = net::encodeFrame(p);
        EXPECT_EQ(frame.left(4), header(quint32(p.size()))) << p.size();
        EXPECT_EQ(frame.mid(4), p);
    }
}

TEST(Frame, ReaderJoinsAFrameCutAtAnyByte) {
    const QByteArray payload = QStringLiteral(R"({"result": 0,"description": "Готово"})").toUtf8();
    const QByteArray frame = net::encodeFrame(payload);
    for (int cut = 0; cut <= frame.size(); ++cut) {
        net::FrameReader reader;
        reader.append(frame.left(cut));
        if (cut < frame.size()) {
            EXPECT_FALSE(reader.next().has_value()) << cut;
            reader.append(frame.mid(cut));
        }
        const std::optional<QByteArray> got = reader.next();
        ASSERT_TRUE(got.has_value()) << cut;
        EXPECT_EQ(*got, payload);
        EXPECT_FALSE(reader.hasPartial());
    }
}

TEST(Frame, ReaderHandsOutBackToBackFramesInOrder) {
    net::FrameReader reader;
    reader.append(net::encodeFrame("first") + net::encodeFrame("") + net::encodeFrame("third") +
                  net::encodeFrame("fourth").left(6));
    EXPECT_EQ(reader.next(), QByteArray("first"));
    EXPECT_EQ(reader.next(), QByteArray(""));
    EXPECT_EQ(reader.next(), QByteArray("third"));
    EXPECT_FALSE(reader.next().has_value());
    EXPECT_TRUE(reader.hasPartial());
}

TEST(Frame, ReaderRefusesALengthAboveItsCap) {
    struct Case {
        quint32 announced;
        bool refused;
    };
    const std::vector<Case> cases = {{16, false}, {17, true}, {0xFFFFFFF0u, true}};
    for (const Case& c : cases) {
        net::FrameReader reader(16);
        reader.append(header(c.announced) + QByteArray(16, 'a'));
        const std::optional<QByteArray> got = reader.next();
        EXPECT_EQ(reader.oversized(), c.refused) << c.announced;
        EXPECT_EQ(got.has_value(), !c.refused) << c.announced;
        // Once refused, nothing more comes out of the stream.
        reader.append(net::encodeFrame("x"));
        if (c.refused) {
            EXPECT_FALSE(reader.next().has_value());
        }
    }
}
