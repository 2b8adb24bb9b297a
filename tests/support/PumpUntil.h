// Test helpers that run the event loop until a condition holds, or until what was posted to it has run.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QTimer>
#include <memory>

// Runs the event loop until `done` or `ms` have passed; whether `done` held in the end. Between events
// it sleeps instead of spinning, so that a waiting test leaves the processors to what it waits for (a
// child process, another test) when many run at once; the tick wakes it for a condition that no event
// of this process announces, such as a file another process writes.
template <class TDone>
bool pumpUntil(TDone done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.start(5);
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

// Runs the event loop until everything posted to it before the call has run (a marker posted now runs
// after it); whether that happened within `ms`. A check that something did not happen in answer to
// what is already queued looks then, at a moment the program decides, not after a guessed time.
inline bool pumpPosted(int ms = 10000)
{
    // Shared, so that the marker finds its flag even when the wait gave up first.
    const auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return pumpUntil([&] { return *reached; }, ms);
}
