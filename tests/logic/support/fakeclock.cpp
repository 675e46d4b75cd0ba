#include "fakeclock.h"

class FakeTimer : public ClockTimer
{
public:
    FakeTimer(FakeClock &clock, std::function<void()> onTimeout)
        : clock(clock)
        , id(clock.nextTimer++)
        , onTimeout(std::move(onTimeout))
    {
    }
    ~FakeTimer() override { clock.cancel(id); }
    void start(int ms) override { clock.schedule(id, clock.now + qMax(0, ms), onTimeout); }
    void stop() override { clock.cancel(id); }
    bool isActive() const override { return clock.pending(id); }

private:
    FakeClock &clock;
    int id;
    std::function<void()> onTimeout;
};

std::unique_ptr<ClockTimer> FakeClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<FakeTimer>(*this, std::move(onTimeout));
}

void FakeClock::at(qint64 ms, std::function<void()> onDue)
{
    schedule(0, qMax(ms, now), std::move(onDue));
}

void FakeClock::schedule(int timer, qint64 due, std::function<void()> onDue)
{
    if (timer)
        cancel(timer);
    events.append({due, nextOrder++, timer, std::move(onDue)});
}

void FakeClock::cancel(int timer)
{
    events.removeIf([timer](const Event &event) { return event.timer == timer; });
}

bool FakeClock::pending(int timer) const
{
    return std::any_of(events.cbegin(), events.cend(), [timer](const Event &event) { return event.timer == timer; });
}

bool FakeClock::fireNext(qint64 untilMs)
{
    auto next = std::min_element(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (next == events.end() || next->due > untilMs)
        return false;
    const Event event = *next;
    events.erase(next);
    now = event.due;
    event.onDue();
    return true;
}

void FakeClock::advance(qint64 ms)
{
    const qint64 until = now + ms;
    while (fireNext(until)) { }
    now = until;
}

bool FakeClock::runUntil(const std::function<bool()> &done, qint64 limitMs)
{
    const qint64 until = now + limitMs;
    while (!done()) {
        if (!fireNext(until)) {
            now = until;
            return done();
        }
    }
    return true;
}
