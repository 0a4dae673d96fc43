#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

// The window tests' event pumping: runs the event loop until `done` holds
// (false after `timeoutMs`), or just what is queued now.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void PumpQueued()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
