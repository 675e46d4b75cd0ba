#include "logic/ratesearch.h"

#include "logic/baudrates.h"
#include "logic/logging.h"
#include "logic/moduleline.h"
#include "logic/replymapping.h"
#include "logic/sessionclock.h"

RateSearch::RateSearch(ModuleLine &line, SessionClock &clock, QObject *parent)
    : QObject(parent)
    , line(line)
    , timer(clock.createTimer([this] { onTimer(); }))
{
}

RateSearch::~RateSearch() = default;

int RateSearch::attempts()
{
    return int(BaudRates::searchOrder().size());
}

int RateSearch::silenceMs() const
{
    return (slowPass ? ModuleLine::longestGuardMs : ModuleLine::factoryGuardMs) + ModuleLine::guardMarginMs;
}

void RateSearch::start(const SearchPlan &searchPlan)
{
    if (isActive())
        return;
    plan = searchPlan;
    startRate = line.rate();
    order = BaudRates::searchOrder();
    if (plan.portRateFirst && order.removeOne(startRate))
        order.prepend(startRate);
    attempt = -1;
    slowPass = false;
    next();
}

void RateSearch::next()
{
    ++attempt;
    if (attempt >= attempts()) {
        if (slowPass || !plan.slowPass) {
            phase = Phase::Idle;
            line.switchPortTo(startRate);
            emit exhausted();
            return;
        }
        // Nothing at the factory guard time: a module set up with a longer
        // one answers only after it, and needs as much silence first.
        slowPass = true;
        attempt = 0;
    }
    const int rate = order.at(attempt);
    // The previous "+++" reached the module as junk, so the silence it needs
    // counts from there; the wait for its reply already counts towards it.
    phase = Phase::AwaitingSilence;
    line.switchPortTo(rate);
    timer->start(line.silenceRemainingMs(silenceMs()));
    // Last: whoever shows progress may process events, and finds the search in order.
    emit trying(attempt, rate, slowPass);
}

void RateSearch::onTimer()
{
    if (phase == Phase::AwaitingReply) {
        next();
        return;
    }
    if (const int wait = line.silenceRemainingMs(silenceMs())) {
        timer->start(wait);
        return;
    }
    phase = Phase::AwaitingReply;
    timer->start(slowPass ? ModuleLine::longestGuardMs + 500 : replyMs);
    line.writeEscape();
}

bool RateSearch::takeLine(const QString &text)
{
    if (!isActive())
        return false;
    // Bytes at a wrong rate arrive as junk, which may contain "OK" by chance;
    // junk another module sent over the air may come just before the "OK".
    if (phase != Phase::AwaitingReply || Reply::withoutLeadingJunk(text) != QLatin1String("OK"))
        return true;
    timer->stop();
    phase = Phase::Idle;
    line.noteGuardTime();
    qCDebug(lcSerial) << "Module found at" << line.rate() << "baud";
    line.write(QByteArrayLiteral("ATCN\r"));
    emit found(line.rate());
    return true;
}

void RateSearch::cancel()
{
    if (!isActive())
        return;
    const bool escapeMayBeTaken = phase == Phase::AwaitingReply;
    timer->stop();
    phase = Phase::Idle;
    // The module may have just entered command mode at this rate; it would
    // sit there until its own time-out.
    if (escapeMayBeTaken)
        line.write(QByteArrayLiteral("ATCN\r"));
    line.switchPortTo(startRate);
}
