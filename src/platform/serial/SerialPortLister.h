#pragma once
#include <QStringList>

#include <utility>

namespace serial {

// The serial ports the machine offers, by name, sorted, for the port lists
// of the scale settings.
class SerialPortLister {
public:
    virtual ~SerialPortLister() = default;
    virtual QStringList ports() const = 0;
};

// The ports the system reports (ttyS0, ttyUSB0, ttyACM0 ...).
class SystemSerialPortLister : public SerialPortLister {
public:
    QStringList ports() const override;
};

class FakeSerialPortLister : public SerialPortLister {
public:
    explicit FakeSerialPortLister(QStringList ports = {}) : ports_(std::move(ports)) {}
    void setPorts(QStringList ports) { ports_ = std::move(ports); }
    QStringList ports() const override;

private:
    QStringList ports_;
};

// Sorted without duplicates, as every lister returns them.
QStringList normalizePortList(QStringList names);

}  // namespace serial
