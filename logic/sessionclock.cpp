#include "logic/sessionclock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class QtClockTimer : public ClockTimer
{
public:
    explicit QtClockTimer(std::function<void()> onTimeout)
    {
        timer.setSingleShot(true);
        // Precise: the entries' 100 ms pacing must not be stretched to the coarse timers' 5 %.
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, std::move(onTimeout));
    }
    void start(int ms) override { timer.start(qMax(0, ms)); }
    void stop() override { timer.stop(); }
    bool isActive() const override { return timer.isActive(); }

private:
    QTimer timer;
};

qint64 monotonicNs()
{
    static QElapsedTimer origin;
    if (!origin.isValid())
        origin.start();
    return origin.nsecsElapsed();
}

} // namespace

SteadyClock::SteadyClock()
    : startNs(monotonicNs())
{
}

qint64 SteadyClock::nowMs() const
{
    return (monotonicNs() - startNs) / 1000000;
}

std::unique_ptr<ClockTimer> SteadyClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<QtClockTimer>(std::move(onTimeout));
}
