#ifndef CLOCK_H
#define CLOCK_H

#include <QElapsedTimer>
#include <QtGlobal>

// Milliseconds on a monotonic scale. The module logic reads the time only
// through this, so that the tests can step it by hand instead of sleeping.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock : public Clock
{
public:
    SteadyClock() { timer.start(); }
    qint64 nowMs() const override { return timer.elapsed(); }

private:
    QElapsedTimer timer;
};

#endif // CLOCK_H
