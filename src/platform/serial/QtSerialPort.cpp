#include "platform/serial/QtSerialPort.h"

#include <algorithm>

namespace serial {

namespace {
// How long a frame of a few bytes may take to leave the port. Even at
// 4800 baud eight bytes need under 20 ms; a port that takes longer is stuck.
constexpr int kWriteTimeoutMs = 1000;
}  // namespace

QString systemLocation(const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./"))
        || name.startsWith(QLatin1String("../")))
        return name;
    return QStringLiteral("/dev/") + name;
}

QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort() {
    close();
}

QString QtSerialPort::open(const QString& name) {
    close();
    port_.setPortName(systemLocation(name));
    // QSerialPort takes a lock file and TIOCEXCL on open, so the port is ours
    // alone while it stays open.
    if (!port_.open(QIODevice::ReadWrite)) {
        QString reason = port_.errorString();
        port_.clearError();
        return reason.isEmpty() ? QStringLiteral("cannot open %1").arg(name) : reason;
    }
    return {};
}

bool QtSerialPort::configure(qint32 baudRate) {
    if (!port_.isOpen() || baudRate <= 0)
        return false;
    return port_.setBaudRate(baudRate) && port_.setDataBits(QSerialPort::Data8)
        && port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop)
        && port_.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPort::setReadIntervalTimeout(int ms) {
    // The line discipline knows no per-byte time-out that suits polled reads;
    // read() waits this long for each further byte instead.
    if (!port_.isOpen() || ms < 0)
        return false;
    readIntervalMs_ = ms;
    return true;
}

bool QtSerialPort::purge() {
    if (!port_.isOpen())
        return false;
    return port_.clear(QSerialPort::AllDirections);
}

bool QtSerialPort::write(const QByteArray& bytes) {
    if (!port_.isOpen())
        return false;
    if (port_.write(bytes) != bytes.size())
        return false;
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(kWriteTimeoutMs)) {
            port_.clearError();
            return false;
        }
    }
    return true;
}

qint64 QtSerialPort::bytesAvailable() {
    if (!port_.isOpen())
        return -1;
    // Without an event loop the buffer only fills when asked; a zero wait
    // takes in whatever the driver holds. Its time-out is no fault.
    port_.waitForReadyRead(0);
    if (port_.error() == QSerialPort::TimeoutError)
        port_.clearError();
    return port_.bytesAvailable();
}

QByteArray QtSerialPort::read(qint64 n) {
    QByteArray out;
    if (!port_.isOpen() || n <= 0)
        return out;
    while (out.size() < n) {
        out += port_.read(n - out.size());
        if (out.size() >= n)
            break;
        if (!port_.waitForReadyRead(std::max(readIntervalMs_, 1))) {
            port_.clearError();
            break;
        }
    }
    return out;
}

void QtSerialPort::close() {
    if (port_.isOpen())
        port_.close();
    port_.clearError();
    readIntervalMs_ = 0;
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen();
}

}  // namespace serial
