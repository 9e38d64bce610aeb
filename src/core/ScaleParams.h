#pragma once
#include <QChar>
#include <QString>

// The scale connection settings as the settings store and the windows hold
// them: the protocol code and three texts, exactly as typed or stored.
struct ScaleParams {
    int protocol = 0;  // 0 none chosen, 2 POS2-M
    QString port;      // ttyS0, ttyUSB0, /dev/ttyACM0 ...
    QString baudRate;  // "4800" .. "115200"
    QString timeout;   // read-interval time-out, ms
};

bool operator==(const ScaleParams& a, const ScaleParams& b);

// The first fault of the settings as the error box shows it, or empty when
// the connection may be tried.
QString validateScaleParams(const ScaleParams& params);

// The time-out as a whole number of ms above 0, or 0 when it is not one.
int scaleTimeoutMs(const QString& timeout);

// Key filters of the scale fields, by typed character ('\b' is Backspace).
// Port names: Backspace, Latin letters, digits, "/", "_", "-", ".".
bool acceptPortChar(QChar c);
// Time-out: Backspace and digits. Baud rate: digits only.
bool acceptTimeoutChar(QChar c);
bool acceptBaudChar(QChar c);
