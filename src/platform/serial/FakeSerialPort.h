#pragma once
#include "platform/serial/SerialPort.h"

#include <QList>

namespace serial {

class FakeClock;

// A scripted port for tests. Each written frame takes the next scripted
// reply; the reply's bytes become readable once the clock has moved on by
// its delay (at once when no clock is given). A frame with no reply left
// gets no answer. Every call on a closed port fails, as on a real one.
class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(const FakeClock* clock = nullptr);

    // Script.
    void addReply(const QByteArray& bytes, int delayMs = 0);
    void setOpenError(const QString& error) { openError_ = error; }
    void setConfigureFails(bool fails) { configureFails_ = fails; }
    void setTimeoutFails(bool fails) { timeoutFails_ = fails; }
    void setPurgeFails(bool fails) { purgeFails_ = fails; }
    // The write of frame number `index` (0 = first frame since creation) fails.
    void setWriteFailsAt(int index) { writeFailsAt_ = index; }
    void setReadFails(bool fails) { readFails_ = fails; }

    // What happened.
    const QList<QByteArray>& written() const { return written_; }
    QString openedName() const { return openedName_; }
    qint32 baudRate() const { return baudRate_; }
    int readIntervalTimeout() const { return readInterval_; }
    int openCount() const { return openCount_; }
    int closeCount() const { return closeCount_; }
    int purgeCount() const { return purgeCount_; }
    int pendingReplies() const { return static_cast<int>(replies_.size()); }

    QString open(const QString& name) override;
    bool configure(qint32 baudRate) override;
    bool setReadIntervalTimeout(int ms) override;
    bool purge() override;
    bool write(const QByteArray& bytes) override;
    qint64 bytesAvailable() override;
    QByteArray read(qint64 n) override;
    void close() override;
    bool isOpen() const override { return open_; }

private:
    struct Reply {
        QByteArray bytes;
        int delayMs = 0;
    };
    struct Arrival {
        QByteArray bytes;
        qint64 at = 0;
    };
    qint64 now() const;
    void takeArrived();

    const FakeClock* clock_;
    QList<Reply> replies_;
    QList<Arrival> inFlight_;
    QByteArray input_;
    QList<QByteArray> written_;
    QString openError_;
    QString openedName_;
    bool open_ = false;
    bool configureFails_ = false;
    bool timeoutFails_ = false;
    bool purgeFails_ = false;
    bool readFails_ = false;
    int writeFailsAt_ = -1;
    int framesTried_ = 0;
    qint32 baudRate_ = 0;
    int readInterval_ = 0;
    int openCount_ = 0;
    int closeCount_ = 0;
    int purgeCount_ = 0;
};

}  // namespace serial
