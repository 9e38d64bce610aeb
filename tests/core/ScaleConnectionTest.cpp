#include "core/Pos2m.h"
#include "core/ScaleConnection.h"
#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"

#include "ScaleFrames.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const ScaleParams kGood{2, "ttyUSB0", "9600", "25"};
const QByteArray kReady(1, 0x15);

// A connection over a fake port; the test keeps pointers to the fakes the
// connection owns.
struct Rig {
    serial::FakeClock* clock;
    serial::FakeSerialPort* port;
    std::unique_ptr<ScaleConnection> scale;
    std::unique_ptr<QSignalSpy> spy;

    Rig() {
        auto c = std::make_unique<serial::FakeClock>();
        auto p = std::make_unique<serial::FakeSerialPort>(c.get());
        clock = c.get();
        port = p.get();
        scale = std::make_unique<ScaleConnection>(std::move(p), std::move(c));
        spy = std::make_unique<QSignalSpy>(scale.get(), &ScaleConnection::connectionChanged);
    }
    void answerOnce(const QByteArray& weightReply) {
        port->addReply(kReady);
        port->addReply(weightReply);
    }
    QList<bool> signals_() const {
        QList<bool> out;
        for (const QList<QVariant>& args : *spy)
            out.append(args.at(0).toBool());
        return out;
    }
};

TEST(ScaleConnection, SuccessfulTestKeepsPortAndSettings) {
    Rig rig;
    rig.answerOnce(scaletest::weightReplyGrams(1250));
    const ScaleTestResult r = rig.scale->connectScale({2, " ttyUSB0", "9600 ", "30"});
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(rig.scale->isConnected());
    EXPECT_TRUE(rig.port->isOpen());
    EXPECT_EQ(rig.scale->current(), (ScaleParams{2, "ttyUSB0", "9600", "30"}));
    EXPECT_EQ(rig.signals_(), QList<bool>{true});
}

TEST(ScaleConnection, RefusedSettingsKeepAWorkingConnection) {
    Rig rig;
    rig.answerOnce(scaletest::weightReplyGrams(1));
    ASSERT_TRUE(rig.scale->connectScale(kGood).ok);
    rig.spy->clear();

    const ScaleTestResult r = rig.scale->connectScale({2, "", "9600", "25"});
    EXPECT_TRUE(r.validationFailed);
    EXPECT_EQ(r.errorText, QStringLiteral(" Не указан порт.     "));
    EXPECT_TRUE(rig.scale->isConnected());
    EXPECT_TRUE(rig.port->isOpen());
    EXPECT_EQ(rig.scale->current(), kGood);
    EXPECT_TRUE(rig.signals_().isEmpty());
}

TEST(ScaleConnection, BusyPortEndsAPreviouslyWorkingConnection) {
    Rig rig;
    rig.answerOnce(scaletest::weightReplyGrams(1));
    ASSERT_TRUE(rig.scale->connectScale(kGood).ok);
    rig.spy->clear();
    rig.port->setOpenError("Device or resource busy");

    const ScaleTestResult r = rig.scale->connectScale({2, "ttyUSB1", "9600", "25"});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.resultText, QStringLiteral(" Нет связи"));
    EXPECT_FALSE(r.errorText.isEmpty());
    EXPECT_FALSE(rig.scale->isConnected());
    EXPECT_FALSE(rig.port->isOpen());
    EXPECT_EQ(rig.signals_(), QList<bool>{false});
    // Weighing now asks nothing of the port.
    const int frames = rig.port->written().size();
    EXPECT_EQ(rig.scale->readWeight().error, ScaleReadError::NotConnected);
    EXPECT_EQ(rig.port->written().size(), frames);
}

TEST(ScaleConnection, RetestShowsTheScaleOffWhileTesting) {
    Rig rig;
    rig.answerOnce(scaletest::weightReplyGrams(1));
    ASSERT_TRUE(rig.scale->connectScale(kGood).ok);
    rig.answerOnce(scaletest::weightReplyGrams(2));
    const ScaleTestResult r = rig.scale->connectScale({2, "ttyUSB0", "4800", "25"});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(rig.signals_(), (QList<bool>{true, false, true}));
    EXPECT_EQ(rig.port->openCount(), 2);
    EXPECT_EQ(rig.scale->curBaudRate(), QStringLiteral("4800"));
}

TEST(ScaleConnection, ReadWeightSendsStateThenWeightRequest) {
    Rig rig;
    rig.answerOnce(scaletest::weightReplyGrams(1));
    ASSERT_TRUE(rig.scale->connectScale(kGood).ok);
    rig.port->addReply(kReady, 200);
    rig.port->addReply(scaletest::weightReply(0x10, 0x27), 400);
    const int purges = rig.port->purgeCount();

    const ScaleReading reading = rig.scale->readWeight();
    EXPECT_EQ(reading.error, ScaleReadError::None);
    EXPECT_EQ(reading.grams, std::optional<int>(10000));
    EXPECT_TRUE(rig.scale->isConnected());
    EXPECT_EQ(rig.port->purgeCount(), purges + 1);
    const auto& w = rig.port->written();
    ASSERT_EQ(w.size(), 4);
    EXPECT_EQ(w[2], pos2m::stateRequest());
    EXPECT_EQ(w[3], pos2m::weightRequest());

    // Negative and zero weights are reported as read; the receipt decides.
    rig.answerOnce(scaletest::weightReply(0xF0, 0xFF));
    EXPECT_EQ(rig.scale->readWeight().grams, std::optional<int>(-16));
}

TEST(ScaleConnection, FailedWeighingClosesThePortAndDropsTheConnection) {
    struct Case {
        const char* what;
        std::function<void(serial::FakeSerialPort&)> script;
        ScaleReadError error;
    };
    const std::vector<Case> cases = {
        {"silent scale", [](auto&) {}, ScaleReadError::Timeout},
        {"scale not ready", [](auto& p) { p.addReply(QByteArray(1, 6)); },
         ScaleReadError::InvalidAnswer},
        {"damaged reply",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(1, 0, false));
         },
         ScaleReadError::InvalidAnswer},
        {"short reply",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(1, 0).left(10));
         },
         ScaleReadError::Timeout},
        {"reply after a second",
         [](auto& p) {
             p.addReply(kReady);
             p.addReply(scaletest::weightReply(1, 0), 1100);
         },
         ScaleReadError::Timeout},
        {"write fails", [](auto& p) { p.setWriteFailsAt(2); }, ScaleReadError::PortFailure},
        {"purge fails", [](auto& p) { p.setPurgeFails(true); }, ScaleReadError::PortFailure},
        {"read fails",
         [](auto& p) {
             p.addReply(kReady);
             p.setReadFails(true);
         },
         ScaleReadError::PortFailure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.answerOnce(scaletest::weightReplyGrams(1));
        ASSERT_TRUE(rig.scale->connectScale(kGood).ok);
        rig.spy->clear();
        const qint64 before = rig.clock->now();
        c.script(*rig.port);

        const ScaleReading reading = rig.scale->readWeight();
        EXPECT_FALSE(reading.grams.has_value());
        EXPECT_EQ(reading.error, c.error);
        EXPECT_FALSE(rig.scale->isConnected());
        EXPECT_FALSE(rig.port->isOpen());
        EXPECT_EQ(rig.signals_(), QList<bool>{false});
        EXPECT_LE(rig.clock->now() - before, 2000);
    }
}

}  // namespace
