// Tests of the program make the register fail at a chosen step.
#include "EmulatorFixture.h"

namespace fiscal::test {
namespace {

TEST_F(EmulatorTest, FailNextRefusesOnceWithTheGivenCodeAndText) {
    ASSERT_EQ(openShift(), 0);
    kkt->failNext(QStringLiteral("openReceipt"), 77, QStringLiteral("Нет бумаги"));
    EXPECT_EQ(openReceipt(), -1);
    EXPECT_EQ(kkt->errorCode(), 77);
    EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Нет бумаги"));
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(openReceipt(), 0);
}

TEST_F(EmulatorTest, FailAlwaysLeavesTheReceiptOpenUntilCleared) {
    ASSERT_EQ(openShift(), 0);
    kkt->failAlways(QStringLiteral("closeReceipt"), 3807, QStringLiteral("Ошибка ФН"));
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(addItem(QStringLiteral("Сок"), QStringLiteral("80"), QStringLiteral("1")), 0);
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("80")), 0);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(kkt->closeReceipt(), -1);
        EXPECT_EQ(kkt->errorCode(), 3807);
    }
    ASSERT_EQ(kkt->checkDocumentClosed(), 0);
    EXPECT_FALSE(kkt->getParamBool(LIBFPTR_PARAM_DOCUMENT_CLOSED));
    EXPECT_EQ(lastDocumentNumber(), 1);
    kkt->clearFailures();
    EXPECT_EQ(kkt->closeReceipt(), 0);
    EXPECT_EQ(lastDocumentNumber(), 2);
}

TEST_F(EmulatorTest, FailedOpenLeavesTheRegisterUnreachable) {
    ASSERT_EQ(kkt->close(), 0);
    kkt->failNext(QStringLiteral("open"), LIBFPTR_ERROR_NO_CONNECTION, QStringLiteral("Нет связи с ККТ"));
    EXPECT_NE(kkt->open(), 0);
    EXPECT_FALSE(kkt->isOpened());
    EXPECT_EQ(status(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_CONNECTION_DISABLED);
    EXPECT_EQ(kkt->open(), 0);
    EXPECT_EQ(status(), 0);
}

}  // namespace
}  // namespace fiscal::test
