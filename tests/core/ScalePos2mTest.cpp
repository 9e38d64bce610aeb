#include "core/Pos2m.h"

#include "ScaleFrames.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

TEST(ScalePos2mFrames, RequestsHaveTheirExactBytes) {
    EXPECT_EQ(pos2m::stateRequest(), bytes({0x05}));
    // STX, length 5, ':', "0030", XOR of 05 3A 30 30 33 30 = 3C.
    EXPECT_EQ(pos2m::weightRequest(), bytes({0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C}));
}

TEST(ScalePos2mFrames, CheckByteIsXorOfLengthCommandAndAccessField) {
    const QByteArray frame = pos2m::weightRequest();
    ASSERT_EQ(frame.size(), 8);
    quint8 check = 0;
    for (int i = 1; i <= 6; ++i)
        check ^= static_cast<quint8>(frame[i]);
    EXPECT_EQ(static_cast<quint8>(frame[7]), check);
    EXPECT_EQ(frame.mid(3, 4), QByteArray(pos2m::kAccessField));
    EXPECT_EQ(pos2m::xorOf(bytes({0x01, 0x3A, 0x10, 0x27})), 0x0C);
    EXPECT_EQ(pos2m::xorOf({}), 0x00);
}

TEST(ScalePos2mReply, GoldenReplyReadsTenKilograms) {
    const QByteArray reply = bytes({0x02, 0x0D, 0x01, 0x3A, 0x00, 0x00, 0x00, 0x10, 0x27, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x0C});
    EXPECT_EQ(pos2m::parseWeightReply(reply), std::optional<int>(10000));
}

TEST(ScalePos2mReply, ParsesSignedLittleEndianGramsAndRefusesDamagedReplies) {
    struct Case {
        const char* what;
        QByteArray reply;
        std::optional<int> grams;
        const char* kg;
    };
    const Case cases[] = {
        {"10 kg", scaletest::weightReply(0x10, 0x27), 10000, "10.000"},
        {"negative", scaletest::weightReply(0xF0, 0xFF), -16, "-0.016"},
        {"zero", scaletest::weightReply(0x00, 0x00), 0, "0.000"},
        {"largest", scaletest::weightReply(0xFF, 0x7F), 32767, "32.767"},
        {"smallest", scaletest::weightReply(0x00, 0x80), -32768, "-32.768"},
        {"wrong check byte", scaletest::weightReply(0x10, 0x27, false), std::nullopt, nullptr},
        {"byte 3 not ':'", scaletest::weightReply(0x10, 0x27, true, ';'), std::nullopt, nullptr},
        {"one byte short", scaletest::weightReply(0x10, 0x27).left(14), std::nullopt, nullptr},
        {"one byte long", scaletest::weightReply(0x10, 0x27) + '\0', std::nullopt, nullptr},
        {"empty", QByteArray(), std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<int> grams = pos2m::parseWeightReply(c.reply);
        EXPECT_EQ(grams, c.grams);
        if (grams && c.kg) {
            EXPECT_EQ(pos2m::formatKg(*grams), QString::fromLatin1(c.kg));
        }
    }
}

TEST(ScalePos2mReply, CheckByteCoversBytesTwoToThirteenOnly) {
    // Bytes 0, 1 are outside the check: changing them keeps the reply valid;
    // changing byte 2 or 13 breaks it.
    QByteArray reply = scaletest::weightReply(0x34, 0x12);
    reply[0] = 0x7F;
    reply[1] = 0x00;
    EXPECT_EQ(pos2m::parseWeightReply(reply), std::optional<int>(0x1234));
    for (int i : {2, 13}) {
        QByteArray damaged = scaletest::weightReply(0x34, 0x12);
        damaged[i] = static_cast<char>(damaged[i] ^ 0x01);
        EXPECT_FALSE(pos2m::parseWeightReply(damaged).has_value()) << "byte " << i;
    }
}

TEST(ScalePos2mFormat, KilogramsWithThreeDecimals) {
    const std::pair<int, const char*> cases[] = {
        {0, "0.000"},   {5, "0.005"},     {-5, "-0.005"},    {999, "0.999"},
        {1000, "1.000"}, {-1500, "-1.500"}, {12345, "12.345"},
    };
    for (const auto& [grams, text] : cases)
        EXPECT_EQ(pos2m::formatKg(grams), QString::fromLatin1(text)) << grams;
}

}  // namespace
