#include "korvex/testing/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

namespace korvex::testing {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    constexpr int kTickMs = 10;
    QDeadlineTimer deadline(timeoutMs);
    if (!QCoreApplication::instance()) {
        while (!done()) {
            if (deadline.hasExpired()) return done();
            QThread::msleep(kTickMs);
        }
        return true;
    }
    // The tick bounds each blocking wait for events, so `done` is checked at least that often.
    QTimer tick;
    tick.start(kTickMs);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace korvex::testing
