#include "core/ScalePolling.h"

#include "platform/serial/Clock.h"
#include "platform/serial/SerialPort.h"

bool waitForScaleBytes(serial::SerialPort& port, serial::Clock& clock, qint64 count) {
    for (int waited = 0; waited < kScalePollLimitMs; waited += kScalePollStepMs) {
        clock.sleep(kScalePollStepMs);
        const qint64 available = port.bytesAvailable();
        if (available < 0)
            return false;
        if (available >= count)
            return true;
    }
    return false;
}
