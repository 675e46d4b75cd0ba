#ifndef SESSIONCLOCK_H
#define SESSIONCLOCK_H

#include <QtGlobal>

#include <functional>
#include <memory>

// A single-shot timer of a SessionClock.
class ClockTimer
{
public:
    virtual ~ClockTimer() = default;
    virtual void start(int ms) = 0; // restarts a running timer
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Time as the command-mode session sees it. The program runs on the steady
// clock of the machine; tests run on a clock they move by hand, so rules of
// seconds are checked exactly and at once.
class SessionClock
{
public:
    virtual ~SessionClock() = default;
    virtual qint64 nowMs() const = 0;
    // onTimeout runs in the clock's thread when the timer fires.
    virtual std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTimeout) = 0;
};

// The machine's steady clock, with QTimer underneath.
class SteadyClock : public SessionClock
{
public:
    SteadyClock();
    qint64 nowMs() const override;
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTimeout) override;

private:
    qint64 startNs;
};

#endif // SESSIONCLOCK_H
