#ifndef RSSIQUERYBUDGET_H
#define RSSIQUERYBUDGET_H

#include <QtGlobal>

#include <optional>

// Whether the transmitter's own RSSI query can end before its next test line
// is due: a tick that found the module in command mode would have to hold its
// line back. The query is expected to take as long as the last one did.
class RssiQueryBudget
{
public:
    // Nothing measured yet: the factory guard time (1 s before the module's
    // "OK") and the "DB" and "ATCN" exchanges take about 1.5 s.
    static constexpr qint64 firstGuessMs = 1500;
    static constexpr qint64 marginMs = 500;
    // A single slow query (a module that did not answer) would otherwise keep
    // every later one from running, and so from being measured again.
    static constexpr int skipsBeforeGuessing = 3;

    // Counts a refusal; after skipsBeforeGuessing of them in a row the last
    // measurement is forgotten and the first guess used until the next one.
    bool allows(qint64 msUntilNextTick);
    // How long the query took, from the decision to start it to its end.
    void noteDuration(qint64 ms) { lastDurationMs = ms; }
    void reset() { *this = RssiQueryBudget(); }

private:
    std::optional<qint64> lastDurationMs;
    int skipsInRow = 0;
};

#endif // RSSIQUERYBUDGET_H
