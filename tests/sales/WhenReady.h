#pragma once
// Drives modal windows from a test: the step runs from inside whatever modal
// loop is running once the window it needs is up.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace salestest {

// Runs `step` once `ready` holds, looking every 10 ms from inside whatever
// modal window is running. Gives up after ten seconds by closing the modal
// window on top, so a broken flow fails instead of hanging.
inline void when(std::function<bool()> ready, std::function<void()> step) {
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (ready()) {
            timer->stop();
            timer->deleteLater();
            step();
            return;
        }
        if (++*tries > 1000) {
            ADD_FAILURE() << "a window did not come up in time";
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
            if (*tries > 1100) {
                timer->stop();
                timer->deleteLater();
            }
        }
    });
    timer->start(10);
}

}  // namespace salestest
