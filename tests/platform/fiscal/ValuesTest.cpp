// Sums, quantities and the buyer's requisite block as the register reads them.
#include "EmulatorFixture.h"

#include "platform/fiscal/Amounts.h"
#include "platform/fiscal/Tlv.h"

namespace fiscal::test {
namespace {

TEST(RegisterAmounts, TextAndNumbersBecomeWholeUnits) {
    struct Case {
        QVariant value;
        int decimals;
        std::optional<qint64> expected;
    };
    const Case cases[] = {
        {QStringLiteral("12.50"), 2, 1250},  {QStringLiteral("12,5"), 2, 1250},  {QStringLiteral(" 7 "), 2, 700},
        {QStringLiteral("0.350"), 3, 350},   {QStringLiteral("1.005"), 2, 101},  {QStringLiteral("1.004"), 2, 100},
        {QStringLiteral("-3.10"), 2, -310},  {12.345, 2, 1235},                  {0.35, 3, 350},
        {3, 2, 300},                         {QStringLiteral(""), 2, std::nullopt},
        {QStringLiteral("1.2.3"), 2, std::nullopt}, {QStringLiteral("abc"), 2, std::nullopt}, {QVariant(), 2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString());
        EXPECT_EQ(toScaled(c.value, c.decimals), c.expected);
    }
    EXPECT_EQ(formatScaled(-5, 2), QStringLiteral("-0.05"));
    EXPECT_EQ(lineSum(19999, 350), 7000);  // 69.9965 -> 70.00
    EXPECT_EQ(lineSum(19999, 349), 6980);  // 69.79651 -> 69.80
}

TEST_F(EmulatorTest, BuyerBlockIsTlvInCodePage866AndReachesTheReceipt) {
    kkt->setParam(tag::BuyerName, QStringLiteral("ООО Ромашка"));
    kkt->setParam(tag::BuyerInn, QStringLiteral("7701234567"));
    ASSERT_EQ(kkt->utilFormTlv(), 0);
    const QByteArray block = kkt->getParamByteArray(LIBFPTR_PARAM_TAG_VALUE);
    const QByteArray expected = QByteArray::fromHex("cb040b00" "8e8e8e20" "90aeaca0e8aaa0"
                                                    "cc040a00") + QByteArray("7701234567");
    EXPECT_EQ(block.toHex(), expected.toHex());

    ASSERT_EQ(openShift(), 0);
    kkt->setParam(tag::BuyerInfo, block);
    kkt->setParam(tag::BuyerContact, "buyer@example.ru");
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(addItem(QStringLiteral("Бумага"), QStringLiteral("300"), QStringLiteral("1")), 0);
    ASSERT_EQ(pay(LIBFPTR_PT_ELECTRONICALLY, QStringLiteral("300")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0);
    const QString paper = tape();
    EXPECT_TRUE(paper.contains(QStringLiteral("ООО Ромашка"))) << paper.toStdString();
    EXPECT_TRUE(paper.contains(QStringLiteral("7701234567")));
    EXPECT_TRUE(paper.contains(QStringLiteral("buyer@example.ru")));
}

TEST_F(EmulatorTest, RequisiteBlockRefusesWhatTheDriveCannotHold) {
    kkt->setParam(tag::BuyerName, QStringLiteral("Café €"));
    EXPECT_EQ(kkt->utilFormTlv(), -1);
    EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Недопустимые символы в реквизите 1227"));
    kkt->setParam(tag::BuyerInn, QStringLiteral("7701234567890"));
    EXPECT_EQ(kkt->utilFormTlv(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_INVALID_PARAM);
    EXPECT_EQ(kkt->utilFormTlv(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_NO_REQUIRED_PARAM);

    ASSERT_EQ(openShift(), 0);
    kkt->setParam(tag::BuyerInfo, QByteArray::fromHex("cb040b00414243"));  // length beyond the block
    EXPECT_EQ(openReceipt(), -1);
    EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Неверный формат реквизита 1256"));
}

TEST(RegisterTlv, DecodesWhatItEncodes) {
    const auto text = toCp866(QStringLiteral("Ёлка ёж №5"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(fromCp866(*text), QStringLiteral("Ёлка ёж №5"));
    const QByteArray block = encodeTlv(1227, *text) + encodeTlv(1228, QByteArray());
    const auto fields = decodeTlv(block);
    ASSERT_TRUE(fields.has_value());
    ASSERT_EQ(fields->size(), 2);
    EXPECT_EQ((*fields)[0].tag, 1227);
    EXPECT_EQ((*fields)[0].value, *text);
    EXPECT_EQ((*fields)[1].tag, 1228);
    EXPECT_TRUE((*fields)[1].value.isEmpty());
    EXPECT_FALSE(decodeTlv(block.left(block.size() - 1)).has_value());
}

}  // namespace
}  // namespace fiscal::test
