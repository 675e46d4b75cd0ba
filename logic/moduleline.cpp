#include "logic/moduleline.h"

#include "logic/moduleport.h"
#include "logic/sessionclock.h"

ModuleLine::ModuleLine(ModulePort &port, SessionClock &clock)
    : modulePort(port)
    , clock(clock)
{
}

qint64 ModuleLine::nowMs() const
{
    return clock.nowMs();
}

void ModuleLine::write(const QByteArray &bytes)
{
    lastWriteMs = clock.nowMs();
    modulePort.writeToModule(bytes);
}

void ModuleLine::writeEscape()
{
    // Whatever waits in the port came before "+++" and answers nothing.
    modulePort.discardInput();
    escapeMs = clock.nowMs();
    write(QByteArrayLiteral("+++"));
}

void ModuleLine::switchPortTo(int rate)
{
    lineRate = rate;
    modulePort.setPortRate(rate);
}

int ModuleLine::guardSilenceMs() const
{
    return guardByRate.value(lineRate, factoryGuardMs) + guardMarginMs;
}

int ModuleLine::silenceRemainingMs(int silenceMs) const
{
    if (!lastWriteMs)
        return 0;
    return int(qMax<qint64>(0, silenceMs - (clock.nowMs() - *lastWriteMs)));
}

void ModuleLine::noteGuardTime()
{
    // The "OK" comes one guard time after "+++": the next "+++" at this rate waits that long.
    if (escapeMs)
        guardByRate.insert(lineRate, int(qMin<qint64>(clock.nowMs() - *escapeMs, longestGuardMs)));
}

void ModuleLine::assumeEarlierWrite(qint64 msAgo, int guardMs)
{
    lastWriteMs = clock.nowMs() - qMax<qint64>(0, msAgo);
    if (guardMs > 0)
        guardByRate.insert(lineRate, qMin(guardMs, int(longestGuardMs)));
}

std::optional<qint64> ModuleLine::msSinceLastWrite() const
{
    if (!lastWriteMs)
        return std::nullopt;
    return clock.nowMs() - *lastWriteMs;
}
