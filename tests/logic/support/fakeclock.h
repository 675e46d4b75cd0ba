#ifndef FAKECLOCK_H
#define FAKECLOCK_H

#include "logic/sessionclock.h"

#include <QList>

#include <functional>

// A clock that moves only when the test says so; timers and scheduled
// events fire in time order as it passes them.
class FakeClock : public SessionClock
{
public:
    qint64 nowMs() const override { return now; }
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTimeout) override;

    // Runs onDue once at the given time (not before now).
    void at(qint64 ms, std::function<void()> onDue);
    void advance(qint64 ms);
    // Advances until done() holds or limitMs have passed; false on the limit.
    bool runUntil(const std::function<bool()> &done, qint64 limitMs = 120000);

private:
    friend class FakeTimer;
    struct Event
    {
        qint64 due;
        quint64 order;
        int timer; // 0 for a scheduled event
        std::function<void()> onDue;
    };
    void schedule(int timer, qint64 due, std::function<void()> onDue);
    void cancel(int timer);
    bool pending(int timer) const;
    bool fireNext(qint64 untilMs);

    qint64 now = 0;
    quint64 nextOrder = 0;
    int nextTimer = 1;
    QList<Event> events;
};

#endif // FAKECLOCK_H
