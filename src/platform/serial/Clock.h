#pragma once
#include <QtGlobal>

namespace serial {

// The pause between two polls of a port. Tests swap in a clock that only
// counts, so that waiting for a silent device costs no real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleep(int ms) = 0;
};

// Waits in real time. Paint and timer events keep being processed while it
// waits, so the window does not freeze; keyboard and mouse input wait until
// the exchange is over, so the cashier cannot start a second one meanwhile.
class SystemClock : public Clock {
public:
    void sleep(int ms) override;
};

// Time that moves only when someone sleeps on it.
class FakeClock : public Clock {
public:
    void sleep(int ms) override;
    qint64 now() const { return now_; }
    int sleepCount() const { return sleeps_; }

private:
    qint64 now_ = 0;
    int sleeps_ = 0;
};

}  // namespace serial
