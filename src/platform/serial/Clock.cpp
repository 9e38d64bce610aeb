#include "platform/serial/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <algorithm>

namespace serial {

void SystemClock::sleep(int ms) {
    if (ms <= 0)
        return;
    QElapsedTimer timer;
    timer.start();
    // Short slices keep the pause close to the asked length while events
    // are served between them.
    constexpr qint64 slice = 10;
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        left = ms - timer.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(std::min(left, slice)));
    }
}

void FakeClock::sleep(int ms) {
    now_ += std::max(ms, 0);
    ++sleeps_;
}

}  // namespace serial
