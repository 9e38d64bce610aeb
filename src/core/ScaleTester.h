#pragma once
#include "core/ScaleParams.h"

#include <QString>

#include <functional>

namespace serial {
class Clock;
class SerialPort;
}  // namespace serial

// What a connection test ends with. The window clears its result line, then
// shows resultText there and errorText (when not empty) in an error box.
struct ScaleTestResult {
    bool ok = false;
    // The settings were refused before anything was touched: a connection
    // that worked before is still open.
    bool validationFailed = false;
    QString resultText;
    QString errorText;
    int grams = 0;  // the weight read, when ok
};

// The connection test of a scale: validates the settings, closes the port,
// opens it anew, asks the scale's state and one weight. On success the port
// stays open; on every failure after validation it is closed.
class ScaleTester {
public:
    // `dropConnection` runs once the settings passed validation, before the
    // old port is closed: the owner of the connection marks it lost there.
    static ScaleTestResult run(serial::SerialPort& port, serial::Clock& clock,
                               const ScaleParams& params,
                               const std::function<void()>& dropConnection = {});
};
