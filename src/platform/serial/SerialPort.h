#pragma once
#include <QByteArray>
#include <QString>

namespace serial {

// One serial port as the scale code uses it: opened exclusively, set to
// 8 data bits, no parity, one stop bit, polled for waiting bytes.
// Implementations never throw; every call reports failure by its result.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the named port for reading and writing, not shared with anyone.
    // Returns an empty string on success, else the system's reason.
    virtual QString open(const QString& name) = 0;
    // Line settings: the given speed, 8 data bits, no parity, 1 stop bit.
    virtual bool configure(qint32 baudRate) = 0;
    // Longest pause allowed between two bytes of one read, in ms.
    virtual bool setReadIntervalTimeout(int ms) = 0;
    // Drops everything waiting in either direction.
    virtual bool purge() = 0;
    // Sends the whole frame; false when it did not leave completely.
    virtual bool write(const QByteArray& bytes) = 0;
    // Bytes received and not read yet; -1 when the port cannot tell.
    virtual qint64 bytesAvailable() = 0;
    // Reads up to n bytes; fewer than n means the read failed.
    virtual QByteArray read(qint64 n) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

}  // namespace serial
