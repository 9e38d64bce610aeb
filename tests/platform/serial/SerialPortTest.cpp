#include "platform/serial/Clock.h"
#include "platform/serial/FakeSerialPort.h"
#include "platform/serial/QtSerialPort.h"
#include "platform/serial/SerialPortLister.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SerialPortName, BareNamesAreLookedUpUnderDev) {
    const std::pair<const char*, const char*> cases[] = {
        {"ttyS0", "/dev/ttyS0"},
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"pts/3", "/dev/pts/3"},
        {"/dev/ttyACM0", "/dev/ttyACM0"},
        {"./ttyFake", "./ttyFake"},
        {"../dev/ttyS1", "../dev/ttyS1"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(serial::systemLocation(QString::fromLatin1(name)), QString::fromLatin1(path))
            << name;
}

TEST(SerialPortLister, ListsSortedByNumberWithoutDuplicates) {
    serial::FakeSerialPortLister lister(
        {"ttyUSB1", "ttyS10", "ttyS2", "", "ttyACM0", "ttyS2", "ttyUSB0", "ttyS9"});
    EXPECT_EQ(lister.ports(),
              (QStringList{"ttyACM0", "ttyS2", "ttyS9", "ttyS10", "ttyUSB0", "ttyUSB1"}));
    // The system list comes in the same order, whatever the machine has.
    const QStringList system = serial::SystemSerialPortLister().ports();
    EXPECT_EQ(system, serial::normalizePortList(system));
}

TEST(QtSerialPort, MissingDeviceGivesAReasonAndStaysClosed) {
    serial::QtSerialPort port;
    EXPECT_FALSE(port.open(QStringLiteral("ttyNoSuchPort42")).isEmpty());
    EXPECT_FALSE(port.isOpen());
    // Nothing works on a port that is not open, and nothing crashes.
    EXPECT_FALSE(port.configure(9600));
    EXPECT_FALSE(port.setReadIntervalTimeout(25));
    EXPECT_FALSE(port.purge());
    EXPECT_FALSE(port.write(QByteArray(1, 0x05)));
    EXPECT_EQ(port.bytesAvailable(), -1);
    EXPECT_TRUE(port.read(1).isEmpty());
}

TEST(FakeSerialPort, RepliesArriveAfterTheirDelayOnTheFakeClock) {
    serial::FakeClock clock;
    serial::FakeSerialPort port(&clock);
    port.addReply("AB", 150);
    ASSERT_TRUE(port.open("ttyS0").isEmpty());
    EXPECT_FALSE(port.open("ttyS0").isEmpty());  // already held
    ASSERT_TRUE(port.write("?"));
    EXPECT_EQ(port.bytesAvailable(), 0);
    clock.sleep(100);
    EXPECT_EQ(port.bytesAvailable(), 0);
    clock.sleep(100);
    EXPECT_EQ(port.bytesAvailable(), 2);
    EXPECT_EQ(port.read(5), QByteArray("AB"));
    // A frame with no reply left goes unanswered.
    ASSERT_TRUE(port.write("?"));
    clock.sleep(5000);
    EXPECT_EQ(port.bytesAvailable(), 0);
    EXPECT_EQ(clock.now(), 5200);
    EXPECT_EQ(clock.sleepCount(), 3);
}

TEST(SystemClock, SleepsAtLeastTheAskedTimeAndServesTimers) {
    serial::SystemClock clock;
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QElapsedTimer timer;
    timer.start();
    clock.sleep(30);
    EXPECT_GE(timer.elapsed(), 30);
    EXPECT_TRUE(fired);
}

}  // namespace
