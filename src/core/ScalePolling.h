#pragma once
#include <QtGlobal>

namespace serial {
class Clock;
class SerialPort;
}  // namespace serial

// The scale gets 1000 ms to answer, looked at every 100 ms.
inline constexpr int kScalePollStepMs = 100;
inline constexpr int kScalePollLimitMs = 1000;

// Waits until at least `count` bytes wait in the port's input: one poll
// after each step, at most ten polls. False when they did not arrive.
bool waitForScaleBytes(serial::SerialPort& port, serial::Clock& clock, qint64 count);
