#pragma once
// Waits for something the event loop brings about, handling events meanwhile.

#include <QCoreApplication>
#include <QElapsedTimer>

namespace test_support {

// True once `condition` holds; false when `timeout_ms` passed first.
template <typename Condition>
bool eventually(Condition condition, int timeout_ms = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace test_support
