#include "exchange/ExchangeFormat.h"

#include <gtest/gtest.h>

using namespace exchange;

TEST(ExchangeCodec, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = decodeCp1251(all);
    EXPECT_EQ(text.at(0x98).unicode(), 0x0098);
    EXPECT_EQ(text.at(0xA4), QChar(0x00A4));
    EXPECT_EQ(text.at(0xB6), QChar(0x00B6));
    EXPECT_EQ(text.at(0xC0), QChar(u'А'));
    EXPECT_EQ(encodeCp1251(text), all);
}
