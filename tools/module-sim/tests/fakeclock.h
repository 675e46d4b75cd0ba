#ifndef FAKECLOCK_H
#define FAKECLOCK_H

#include "clock.h"

// Time that moves only when a test says so.
class FakeClock : public Clock
{
public:
    qint64 nowMs() const override { return now; }
    void advance(qint64 ms) { now += ms; }

private:
    qint64 now = 1000000;
};

#endif // FAKECLOCK_H
