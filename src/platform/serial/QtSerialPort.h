#pragma once
#include "platform/serial/SerialPort.h"

#include <QSerialPort>

namespace serial {

// The device path of a port name: names without a leading "/" or "./"
// (ttyS0, ttyUSB0, pts/3) are looked up under /dev.
QString systemLocation(const QString& name);

// A real port through QSerialPort. The port is polled, not event driven:
// the scale exchange is a short request and answer on the caller's thread.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    QString open(const QString& name) override;
    bool configure(qint32 baudRate) override;
    bool setReadIntervalTimeout(int ms) override;
    bool purge() override;
    bool write(const QByteArray& bytes) override;
    qint64 bytesAvailable() override;
    QByteArray read(qint64 n) override;
    void close() override;
    bool isOpen() const override;

private:
    QSerialPort port_;
    int readIntervalMs_ = 0;
};

}  // namespace serial
