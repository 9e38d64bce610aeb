#include "platform/serial/FakeSerialPort.h"

#include "platform/serial/Clock.h"

namespace serial {

FakeSerialPort::FakeSerialPort(const FakeClock* clock) : clock_(clock) {}

void FakeSerialPort::addReply(const QByteArray& bytes, int delayMs) {
    replies_.append({bytes, delayMs});
}

qint64 FakeSerialPort::now() const {
    return clock_ ? clock_->now() : 0;
}

void FakeSerialPort::takeArrived() {
    const qint64 t = now();
    for (auto it = inFlight_.begin(); it != inFlight_.end();) {
        if (it->at <= t) {
            input_ += it->bytes;
            it = inFlight_.erase(it);
        } else {
            ++it;
        }
    }
}

QString FakeSerialPort::open(const QString& name) {
    if (open_)
        return QStringLiteral("Device or resource busy");
    if (!openError_.isEmpty())
        return openError_;
    open_ = true;
    openedName_ = name;
    ++openCount_;
    input_.clear();
    inFlight_.clear();
    return {};
}

bool FakeSerialPort::configure(qint32 baudRate) {
    if (!open_ || configureFails_ || baudRate <= 0)
        return false;
    baudRate_ = baudRate;
    return true;
}

bool FakeSerialPort::setReadIntervalTimeout(int ms) {
    if (!open_ || timeoutFails_ || ms < 0)
        return false;
    readInterval_ = ms;
    return true;
}

bool FakeSerialPort::purge() {
    if (!open_ || purgeFails_)
        return false;
    ++purgeCount_;
    takeArrived();
    input_.clear();
    return true;
}

bool FakeSerialPort::write(const QByteArray& bytes) {
    const int index = framesTried_++;
    if (!open_ || index == writeFailsAt_)
        return false;
    written_.append(bytes);
    if (!replies_.isEmpty()) {
        const Reply reply = replies_.takeFirst();
        inFlight_.append({reply.bytes, now() + reply.delayMs});
    }
    return true;
}

qint64 FakeSerialPort::bytesAvailable() {
    if (!open_)
        return -1;
    takeArrived();
    return input_.size();
}

QByteArray FakeSerialPort::read(qint64 n) {
    if (!open_ || readFails_ || n <= 0)
        return {};
    takeArrived();
    const QByteArray out = input_.left(n);
    input_.remove(0, out.size());
    return out;
}

void FakeSerialPort::close() {
    if (open_)
        ++closeCount_;
    open_ = false;
    input_.clear();
    inFlight_.clear();
}

}  // namespace serial
