// The scale path end to end over a real serial device: a pseudo-terminal
// whose far side a small scale emulator serves from its own thread.
#include "core/ScaleConnection.h"
#include "platform/serial/QtSerialPort.h"

#include "ScaleFrames.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Answers ENQ with NAK and a well-formed weight request with a weight reply,
// as a POS2-M scale does. Stops answering when told to.
class PtyScale {
public:
    explicit PtyScale(int master) : master_(master), thread_([this] { serve(); }) {}
    ~PtyScale() {
        stop_ = true;
        thread_.join();
    }
    void setGrams(qint16 grams) { grams_ = grams; }
    void setSilent(bool silent) { silent_ = silent; }
    int weightRequests() const { return weightRequests_; }
    int badFrames() const { return badFrames_; }

private:
    void serve() {
        // The weight request a scale expects, spelled out byte by byte.
        const QByteArray request("\x02\x05\x3A\x30\x30\x33\x30\x3C", 8);
        QByteArray in;
        while (!stop_) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN))
                continue;
            char buf[64];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                continue;  // the device side is being reopened
            in.append(buf, static_cast<int>(n));
            while (!in.isEmpty()) {
                if (in[0] == 0x05) {
                    in.remove(0, 1);
                    if (!silent_)
                        send(QByteArray(1, 0x15));
                } else if (in[0] == 0x02) {
                    if (in.size() < request.size())
                        break;
                    if (in.left(request.size()) == request) {
                        ++weightRequests_;
                        if (!silent_)
                            send(scaletest::weightReplyGrams(grams_));
                    } else {
                        ++badFrames_;
                    }
                    in.remove(0, request.size());
                } else {
                    ++badFrames_;
                    in.remove(0, 1);
                }
            }
        }
    }
    void send(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                return;
            if (n > 0)
                done += n;
        }
    }

    int master_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> silent_{false};
    std::atomic<qint16> grams_{0};
    std::atomic<int> weightRequests_{0};
    std::atomic<int> badFrames_{0};
    std::thread thread_;
};

struct Pty {
    int master = -1;
    int slave = -1;
    QString path;
    ~Pty() {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

TEST(ScaleOverPseudoTerminal, ConnectsWeighsAndDropsASilentScale) {
    Pty pty;
    char name[256] = {};
    if (::openpty(&pty.master, &pty.slave, name, nullptr, nullptr) != 0)
        GTEST_SKIP() << "openpty failed (errno " << errno << "): no pseudo-terminals here";
    // Raw from the start, so nothing the line discipline does reaches the test.
    termios raw{};
    ASSERT_EQ(::tcgetattr(pty.slave, &raw), 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(pty.slave, TCSANOW, &raw), 0);
    pty.path = QString::fromLocal8Bit(name);
    ASSERT_TRUE(pty.path.startsWith(QStringLiteral("/dev/")));
    // Given as a bare name, as a cashier types ttyS0: the port finds /dev itself.
    const QString bareName = pty.path.mid(5);

    PtyScale scale(pty.master);
    scale.setGrams(1234);
    ScaleConnection connection;  // the real serial port and real time

    const ScaleTestResult r = connection.connectScale({2, bareName, "9600", "50"});
    ASSERT_TRUE(r.ok) << r.resultText.toStdString() << r.errorText.toStdString();
    EXPECT_EQ(r.resultText, QStringLiteral(" Есть соединение. Вес 1.234 кг"));
    EXPECT_TRUE(connection.isConnected());
    EXPECT_EQ(connection.curPort(), bareName);

    // While the scale is connected, nobody else gets its port.
    serial::QtSerialPort intruder;
    EXPECT_FALSE(intruder.open(bareName).isEmpty());

    scale.setGrams(-16);
    const ScaleReading negative = connection.readWeight();
    EXPECT_EQ(negative.error, ScaleReadError::None);
    EXPECT_EQ(negative.grams, std::optional<int>(-16));
    EXPECT_EQ(scale.weightRequests(), 2);

    scale.setSilent(true);
    const ScaleReading silent = connection.readWeight();
    EXPECT_EQ(silent.error, ScaleReadError::Timeout);
    EXPECT_FALSE(connection.isConnected());
    EXPECT_FALSE(connection.port().isOpen());
    EXPECT_EQ(scale.badFrames(), 0);

    // The closed port is free again.
    EXPECT_TRUE(intruder.open(bareName).isEmpty());
    intruder.close();
}

}  // namespace
