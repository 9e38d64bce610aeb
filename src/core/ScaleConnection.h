#pragma once
#include "core/ScaleParams.h"
#include "core/ScaleTester.h"

#include <QObject>

#include <memory>
#include <optional>

namespace serial {
class Clock;
class SerialPort;
}  // namespace serial

// Why a weighing brought no weight.
enum class ScaleReadError {
    None,
    NotConnected,         // no scale connected: nothing was touched
    UnsupportedProtocol,  // the connected protocol is not POS2-M
    PortFailure,          // purge, write or read failed
    Timeout,              // no answer within 1000 ms
    InvalidAnswer,        // the scale is not ready, or a damaged weight reply
};

struct ScaleReading {
    std::optional<int> grams;  // signed; only a weight above 0 goes on a receipt
    ScaleReadError error = ScaleReadError::None;
};

// The one scale connection of the program, held by the main screen: whether
// a scale is connected, its open port and the settings it was connected
// with. The connection windows test through it, the main screen weighs
// through it and shows ImageScaleOn / ImageScaleOff by connectionChanged.
class ScaleConnection : public QObject {
    Q_OBJECT
public:
    // A real serial port and real time.
    explicit ScaleConnection(QObject* parent = nullptr);
    ScaleConnection(std::unique_ptr<serial::SerialPort> port,
                    std::unique_ptr<serial::Clock> clock, QObject* parent = nullptr);
    ~ScaleConnection() override;

    bool isConnected() const { return connected_; }
    // The settings of the connected scale (protocol 0 and empty texts
    // before the first successful test).
    const ScaleParams& current() const { return current_; }
    int curProtocol() const { return current_.protocol; }
    QString curPort() const { return current_.port; }
    QString curBaudRate() const { return current_.baudRate; }
    QString curTimeout() const { return current_.timeout; }
    serial::SerialPort& port() { return *port_; }

    // The connection test. Refused settings leave everything as it was;
    // otherwise the old connection is dropped first and, on success, the
    // port stays open with these settings as the current ones.
    ScaleTestResult connectScale(const ScaleParams& params);
    // Closes the port; the scale must be connected again.
    void disconnectScale();

    // Weighs once on the open port. Any failure but NotConnected closes the
    // port and drops the connection.
    ScaleReading readWeight();

signals:
    void connectionChanged(bool connected);

private:
    void setConnected(bool connected);
    ScaleReading fail(ScaleReadError error);

    std::unique_ptr<serial::SerialPort> port_;
    std::unique_ptr<serial::Clock> clock_;
    bool connected_ = false;
    ScaleParams current_;
};
