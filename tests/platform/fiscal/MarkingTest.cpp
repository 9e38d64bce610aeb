// Marking-code validation: the fiscal drive's answer at the start, the
// marking system's answer after polling, accepting or declining, and the
// receipt taking only accepted codes.
#include "EmulatorFixture.h"

#include <QThread>

namespace fiscal::test {
namespace {

const QString kShoes = QStringLiteral("0104600000000017215abcdef\x1d" "93dGVz");

void setCode(RegisterEmulator& kkt, const QString& code, int status = LIBFPTR_MES_PIECE_SOLD) {
    kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_TYPE, LIBFPTR_MCT12_AUTO);
    kkt.setParam(LIBFPTR_PARAM_MARKING_CODE, code);
    kkt.setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, status);
    kkt.setParam(LIBFPTR_PARAM_MARKING_PROCESSING_MODE, 0);
    kkt.setParam(LIBFPTR_PARAM_MARKING_WAIT_FOR_VALIDATION_RESULT, true);
}

// Starts validation from a worker thread, as the program does, and waits.
int beginInWorker(RegisterEmulator& kkt) {
    int result = -2;
    std::unique_ptr<QThread> worker(QThread::create([&] { result = kkt.beginMarkingCodeValidation(); }));
    worker->start();
    worker->wait();
    return result;
}

int pollUntilReady(RegisterEmulator& kkt) {
    for (int polls = 1; polls <= 100; ++polls) {
        EXPECT_EQ(kkt.getMarkingCodeValidationStatus(), 0);
        if (kkt.getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY)) return polls;
    }
    return -1;
}

TEST(MarkingCodeValidation, ScriptedAnswersArriveAfterTheScriptedPolls) {
    struct Case {
        const char* name;
        MarkingScript script;
    };
    const Case cases[] = {
        {"AllPositive", {}},
        {"DriveHasNoKeys", {0, LIBFPTR_CER_NO_KEYS, 3, 0, {}, 12}},
        {"DriveNegative", {1, LIBFPTR_CER_CHECKED, 1, 0, {}, 5}},
        {"MarkingSystemUnreachable", {3, LIBFPTR_CER_CHECKED, 4, 402, QStringLiteral("Нет связи с ОИСМ"), 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedRegister r;
        r.kkt->scriptMarkingCode(kShoes, c.script);
        r.kkt->setValidationStartDelay(20);
        setCode(*r.kkt, kShoes);
        ASSERT_EQ(beginInWorker(*r.kkt), 0);
        EXPECT_EQ(r.kkt->errorCode(), 0);
        EXPECT_EQ(r.kkt->getParamInt(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_RESULT), c.script.validationResult);
        EXPECT_EQ(r.kkt->getParamInt(LIBFPTR_PARAM_MARKING_CODE_OFFLINE_VALIDATION_ERROR), c.script.offlineError);
        EXPECT_EQ(pollUntilReady(*r.kkt), c.script.pollsUntilReady);
        EXPECT_EQ(r.kkt->getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR), c.script.onlineError);
        EXPECT_EQ(r.kkt->getParamString(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR_DESCRIPTION),
                  c.script.onlineErrorDescription);
        EXPECT_EQ(r.kkt->getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT), c.script.onlineResult);
        ASSERT_EQ(r.kkt->acceptMarkingCode(), 0);
        EXPECT_EQ(r.kkt->getParamInt(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT), c.script.onlineResult);
    }
}

TEST_F(EmulatorTest, OnlyAnAcceptedCodeEntersTheReceiptAndOnlyOnce) {
    ASSERT_EQ(openShift(), 0);
    setCode(*kkt, kShoes);
    ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
    ASSERT_GT(pollUntilReady(*kkt), 0);
    ASSERT_EQ(kkt->acceptMarkingCode(), 0);

    auto registerShoes = [&] {
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, kShoes);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, LIBFPTR_MES_PIECE_SOLD);
        kkt->setParam(LIBFPTR_PARAM_MARKING_PROCESSING_MODE, 0);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT, 15);
        return addItem(QStringLiteral("Туфли"), QStringLiteral("2500.00"), QStringLiteral("1"));
    };
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(registerShoes(), 0) << kkt->errorDescription().toStdString();
    EXPECT_EQ(registerShoes(), -1);
    EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Код маркировки уже зарегистрирован в чеке"));
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("2500")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0);
    EXPECT_TRUE(tape().contains(QStringLiteral("[М] ") + kShoes));

    // The code was used up by the sale.
    ASSERT_EQ(openReceipt(), 0);
    EXPECT_EQ(registerShoes(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED);
}

TEST_F(EmulatorTest, CancelledReceiptForgetsTheCodesAcceptedForIt) {
    ASSERT_EQ(openShift(), 0);
    setCode(*kkt, kShoes);
    ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
    ASSERT_GT(pollUntilReady(*kkt), 0);
    ASSERT_EQ(kkt->acceptMarkingCode(), 0);
    auto registerShoes = [&] {
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, kShoes);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, LIBFPTR_MES_PIECE_SOLD);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT, 15);
        return addItem(QStringLiteral("Туфли"), QStringLiteral("2500.00"), QStringLiteral("1"));
    };
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(registerShoes(), 0) << kkt->errorDescription().toStdString();
    ASSERT_EQ(kkt->cancelReceipt(), 0);
    EXPECT_FALSE(kkt->state().acceptedMarkingCodes.contains(kShoes));

    // Put on the next receipt, the code must be checked again first.
    ASSERT_EQ(openReceipt(), 0);
    EXPECT_EQ(registerShoes(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED);
    // Also after a restart: the forgetting is in the register's memory.
    restart();
    EXPECT_FALSE(kkt->state().acceptedMarkingCodes.contains(kShoes));
}

TEST_F(EmulatorTest, ClearingForgetsAcceptedCodesExceptThoseOfTheOpenReceipt) {
    const QString boots = QStringLiteral("0104600000000024215ghijkl\x1d" "93Ym9v");
    ASSERT_EQ(openShift(), 0);
    for (const QString& code : {kShoes, boots}) {
        setCode(*kkt, code);
        ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
        ASSERT_GT(pollUntilReady(*kkt), 0);
        ASSERT_EQ(kkt->acceptMarkingCode(), 0);
    }
    auto registerCode = [&](const QString& code) {
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE, code);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_STATUS, LIBFPTR_MES_PIECE_SOLD);
        kkt->setParam(LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT, 15);
        return addItem(QStringLiteral("Туфли"), QStringLiteral("2500.00"), QStringLiteral("1"));
    };
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(registerCode(kShoes), 0) << kkt->errorDescription().toStdString();

    // A check in progress holds the drive.
    setCode(*kkt, boots);
    ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
    EXPECT_EQ(kkt->clearMarkingCodeValidationResult(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS);
    ASSERT_EQ(kkt->cancelMarkingCodeValidation(), 0);

    ASSERT_EQ(kkt->clearMarkingCodeValidationResult(), 0) << kkt->errorDescription().toStdString();
    restart();
    EXPECT_EQ(kkt->state().acceptedMarkingCodes, QStringList{kShoes});
    EXPECT_EQ(registerCode(boots), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED);
    // The receipt that registered the kept code still closes.
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("2500")), 0);
    EXPECT_EQ(kkt->closeReceipt(), 0) << kkt->errorDescription().toStdString();
}

TEST_F(EmulatorTest, DeclinedCodeCannotBeSold) {
    ASSERT_EQ(openShift(), 0);
    setCode(*kkt, kShoes);
    ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
    EXPECT_EQ(kkt->declineMarkingCode(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_READY);
    ASSERT_GT(pollUntilReady(*kkt), 0);
    ASSERT_EQ(kkt->declineMarkingCode(), 0);
    EXPECT_FALSE(kkt->state().acceptedMarkingCodes.contains(kShoes));
}

TEST_F(EmulatorTest, SecondValidationIsRefusedWith401UntilTheFirstIsCancelled) {
    setCode(*kkt, kShoes);
    ASSERT_EQ(kkt->beginMarkingCodeValidation(), 0);
    setCode(*kkt, kShoes);
    EXPECT_EQ(kkt->beginMarkingCodeValidation(), -1);
    EXPECT_EQ(kkt->errorCode(), 401);
    EXPECT_EQ(kkt->cancelMarkingCodeValidation(), 0);
    EXPECT_EQ(kkt->getMarkingCodeValidationStatus(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_VALIDATION_NOT_STARTED);
    setCode(*kkt, kShoes);
    EXPECT_EQ(kkt->beginMarkingCodeValidation(), 0);
    EXPECT_EQ(kkt->acceptMarkingCode(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_READY);
}

TEST_F(EmulatorTest, MarkingSystemThatNeverAnswersKeepsTheDriveBusyUntilCancelled) {
    MarkingScript silent;
    silent.pollsUntilReady = MarkingScript::kNeverReady;
    kkt->scriptMarkingCode(kShoes, silent);
    setCode(*kkt, kShoes);
    ASSERT_EQ(beginInWorker(*kkt), 0);
    for (int poll = 0; poll < 50; ++poll) {
        ASSERT_EQ(kkt->getMarkingCodeValidationStatus(), 0);
        ASSERT_FALSE(kkt->getParamBool(LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY)) << poll;
    }
    // Neither answer can be given without the marking system's result.
    EXPECT_EQ(kkt->acceptMarkingCode(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_READY);
    EXPECT_EQ(kkt->declineMarkingCode(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_NOT_READY);
    setCode(*kkt, kShoes);
    EXPECT_EQ(kkt->beginMarkingCodeValidation(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS);
    EXPECT_EQ(kkt->cancelMarkingCodeValidation(), 0);
    EXPECT_FALSE(kkt->state().acceptedMarkingCodes.contains(kShoes));
    kkt->scriptMarkingCode(kShoes, MarkingScript{});
    setCode(*kkt, kShoes);
    EXPECT_EQ(kkt->beginMarkingCodeValidation(), 0);
}

TEST_F(EmulatorTest, FractionalSaleNeedsAProperFraction) {
    for (const char* fraction : {"", "4/4", "0/4", "1-4"}) {
        SCOPED_TRACE(fraction);
        setCode(*kkt, kShoes, LIBFPTR_MES_DRY_FOR_SALE);
        kkt->setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, fraction);
        EXPECT_EQ(kkt->beginMarkingCodeValidation(), -1);
        EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Неверное дробное количество"));
    }
    setCode(*kkt, kShoes, LIBFPTR_MES_DRY_FOR_SALE);
    kkt->setParam(LIBFPTR_PARAM_QUANTITY, 1);
    kkt->setParam(LIBFPTR_PARAM_MEASUREMENT_UNIT, LIBFPTR_IU_PIECE);
    kkt->setParam(LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY, "1/4");
    EXPECT_EQ(kkt->beginMarkingCodeValidation(), 0) << kkt->errorDescription().toStdString();
}

}  // namespace
}  // namespace fiscal::test
