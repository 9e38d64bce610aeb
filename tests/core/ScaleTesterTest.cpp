#include "core/Pos2m.h"
#include "core/ScaleTester.h"
#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"

#include "ScaleFrames.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const ScaleParams kGood{2, "ttyUSB0", "9600", "25"};
const QByteArray kReady(1, 0x15);

struct Rig {
    serial::FakeClock clock;
    serial::FakeSerialPort port{&clock};
    ScaleTestResult run(const ScaleParams& params = kGood) {
        return ScaleTester::run(port, clock, params);
    }
};

TEST(ScaleTester, ValidWeightLeavesThePortOpenAndConfigured) {
    Rig rig;
    rig.port.addReply(kReady, 100);
    rig.port.addReply(scaletest::weightReply(0x10, 0x27), 300);

    const ScaleTestResult r = rig.run({2, " ttyUSB0 ", " 19200 ", " 40 "});

    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.grams, 10000);
    EXPECT_EQ(r.resultText, QStringLiteral(" Есть соединение. Вес 10.000 кг"));
    EXPECT_TRUE(r.errorText.isEmpty());
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.openedName(), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(rig.port.baudRate(), 19200);
    EXPECT_EQ(rig.port.readIntervalTimeout(), 40);
    EXPECT_EQ(rig.port.purgeCount(), 1);
    ASSERT_EQ(rig.port.written().size(), 2);
    EXPECT_EQ(rig.port.written()[0], pos2m::stateRequest());
    EXPECT_EQ(rig.port.written()[1], pos2m::weightRequest());
    // One 100 ms step for the state byte, three for the weight.
    EXPECT_EQ(rig.clock.sleepCount(), 4);
}

// Every way the test can fail after validation: the result line, the error
// box, and in every case a closed port.
TEST(ScaleTester, FailuresReportTheirTextsAndCloseThePort) {
    const QString noLink = QStringLiteral(" Нет связи");
    const QString timeout = QStringLiteral(" Нет связи (тайм-аут)");
    struct Case {
        const char* what;
        std::function<void(serial::FakeSerialPort&)> script;
        ScaleParams params;
        QString result;
        QString box;
        int framesWritten;
    };
    const std::vector<Case> cases = {
        {"wrong check byte",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(0x10, 0x27, false));
         },
         kGood, QStringLiteral(" Нет связи (запрос веса)"), {}, 2},
        {"no command echo",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(0x10, 0x27, true, 'W'));
         },
         kGood, QStringLiteral(" Нет связи (запрос веса)"), {}, 2},
        {"state 6", [](auto& p) { p.addReply(QByteArray(1, 6)); }, kGood,
         QStringLiteral(" Нет связи (состояние 6)"), {}, 1},
        {"state 255", [](auto& p) { p.addReply(QByteArray(1, char(0xFF))); }, kGood,
         QStringLiteral(" Нет связи (состояние 255)"), {}, 1},
        {"state not answered", [](auto&) {}, kGood, timeout, {}, 1},
        {"state answered too late", [](auto& p) { p.addReply(kReady, 1001); }, kGood, timeout,
         {}, 1},
        {"weight not answered", [](auto& p) { p.addReply(kReady); }, kGood, timeout, {}, 2},
        {"weight reply one byte short",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(0x10, 0x27).left(14));
         },
         kGood, timeout, {}, 2},
        {"unsupported protocol", [](auto&) {}, {3, "ttyUSB0", "9600", "25"}, {},
         QStringLiteral(" Указанный протокол обмена не поддерживается     \r\n"
                        " этим релизом программы.     "),
         0},
        {"busy port", [](auto& p) { p.setOpenError("Device or resource busy"); }, kGood, noLink,
         QStringLiteral(" Указанный порт не открылся.     \r\n"
                        " Возможно, такой порт не существует     \r\n"
                        " или занят другим приложением/устройством.     "),
         0},
        {"line settings refused", [](auto& p) { p.setConfigureFails(true); }, kGood, noLink,
         QStringLiteral(" Ошибка записи настроек порта.     "), 0},
        {"baud not a number", [](auto&) {}, {2, "ttyUSB0", "96OO", "25"}, noLink,
         QStringLiteral(" Ошибка записи настроек порта.     "), 0},
        {"time-outs refused", [](auto& p) { p.setTimeoutFails(true); }, kGood, noLink,
         QStringLiteral(" Ошибка при установке параметров порта.     \r\n"
                        " (параметр ''тайм-ауты'')     "),
         0},
        {"purge refused", [](auto& p) { p.setPurgeFails(true); }, kGood, noLink,
         QStringLiteral(" Ошибка при инициализации порта.     "), 0},
        {"state request not sent", [](auto& p) { p.setWriteFailsAt(0); }, kGood, {},
         QStringLiteral(" Ошибка при передаче данных в порт.     \r\n  (запрос состояния)"), 0},
        {"weight request not sent",
         [](auto& p) {
             p.addReply(kReady);
             p.setWriteFailsAt(1);
         },
         kGood, {}, QStringLiteral(" Ошибка при передаче данных в порт.     \r\n (запрос веса)"),
         1},
        {"state byte unreadable",
         [](auto& p) {
             p.addReply(kReady);
             p.setReadFails(true);
         },
         kGood, {}, QStringLiteral(" Ошибка чтения данных из порта.     \r\n  (запрос состояния)"),
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        c.script(rig.port);
        const ScaleTestResult r = rig.run(c.params);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.validationFailed);
        EXPECT_EQ(r.resultText, c.result);
        EXPECT_EQ(r.errorText, c.box);
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_EQ(rig.port.written().size(), c.framesWritten);
        // However the scale behaves, no wait is longer than ten 100 ms polls.
        EXPECT_LE(rig.clock.sleepCount(), 2 * 10);
    }
}

TEST(ScaleTester, WeightReplyUnreadableAfterItArrived) {
    // Reading fails only on the second read: the state byte reads, the
    // weight does not.
    class SecondReadFails : public serial::FakeSerialPort {
    public:
        using FakeSerialPort::FakeSerialPort;
        QByteArray read(qint64 n) override {
            return ++reads_ == 2 ? QByteArray() : FakeSerialPort::read(n);
        }

    private:
        int reads_ = 0;
    };
    serial::FakeClock clock;
    SecondReadFails port(&clock);
    port.addReply(kReady);
    port.addReply(scaletest::weightReply(1, 0));
    const ScaleTestResult r = ScaleTester::run(port, clock, kGood);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.resultText.isEmpty());
    EXPECT_EQ(r.errorText,
              QStringLiteral(" Ошибка чтения данных из порта.     \r\n (запрос веса)"));
    EXPECT_FALSE(port.isOpen());
}

TEST(ScaleTester, WaitsAtMostTenPollsOfOneHundredMilliseconds) {
    struct Case {
        int delayMs;
        bool answered;
    };
    for (const Case c : {Case{0, true}, Case{950, true}, Case{1000, true}, Case{1001, false},
                         Case{5000, false}}) {
        SCOPED_TRACE(c.delayMs);
        Rig rig;
        rig.port.addReply(kReady, c.delayMs);
        rig.port.addReply(scaletest::weightReply(0x01, 0x00));
        const ScaleTestResult r = rig.run();
        EXPECT_EQ(r.ok, c.answered);
        if (!c.answered) {
            EXPECT_EQ(r.resultText, QStringLiteral(" Нет связи (тайм-аут)"));
            EXPECT_EQ(rig.clock.sleepCount(), 10);
            EXPECT_EQ(rig.clock.now(), 1000);
        }
    }
}

TEST(ScaleTester, RefusedSettingsTouchNothing) {
    Rig rig;
    ASSERT_TRUE(rig.port.open("ttyS0").isEmpty());  // a connection made before
    bool dropped = false;
    const ScaleTestResult r =
        ScaleTester::run(rig.port, rig.clock, {2, "ttyS0", "", "25"}, [&] { dropped = true; });
    EXPECT_TRUE(r.validationFailed);
    EXPECT_EQ(r.errorText, QStringLiteral(" Не указана скорость передачи данных.     "));
    EXPECT_TRUE(r.resultText.isEmpty());
    EXPECT_FALSE(dropped);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.closeCount(), 0);
}

TEST(ScaleTester, DropsTheOldConnectionBeforeClosingItsPort) {
    Rig rig;
    ASSERT_TRUE(rig.port.open("ttyS0").isEmpty());
    bool portOpenWhenDropped = false;
    rig.port.setOpenError("No such file or directory");
    const ScaleTestResult r = ScaleTester::run(rig.port, rig.clock, {2, "ttyS9", "9600", "25"},
                                               [&] { portOpenWhenDropped = rig.port.isOpen(); });
    EXPECT_TRUE(portOpenWhenDropped);
    EXPECT_EQ(rig.port.closeCount(), 1);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(r.resultText, QStringLiteral(" Нет связи"));
}

}  // namespace
