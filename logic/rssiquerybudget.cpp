#include "logic/rssiquerybudget.h"

bool RssiQueryBudget::allows(qint64 msUntilNextTick)
{
    if (skipsInRow >= skipsBeforeGuessing)
        lastDurationMs.reset();
    const qint64 expectedMs = lastDurationMs.value_or(firstGuessMs);
    if (expectedMs + marginMs <= msUntilNextTick) {
        skipsInRow = 0;
        return true;
    }
    ++skipsInRow;
    return false;
}
