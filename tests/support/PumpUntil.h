// Test helper that runs the event loop until a condition holds or time runs out.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

// Runs the event loop until `done` or `ms` have passed; whether `done` held in the end.
template <class TDone>
bool pumpUntil(TDone done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
