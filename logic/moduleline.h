#ifndef MODULELINE_H
#define MODULELINE_H

#include <QByteArray>
#include <QHash>

#include <optional>

class ModulePort;
class SessionClock;

// The serial line to one module as far as timing goes: every byte for the
// module leaves through it, so it knows how long the line has been quiet,
// and it keeps the guard time measured at each rate. A module takes "+++"
// only after a guard time of silence, whoever spoke last.
class ModuleLine
{
public:
    static constexpr int factoryGuardMs = 1000;
    static constexpr int longestGuardMs = 3300;
    // Bytes still on their way through the adapter when the silence starts.
    static constexpr int guardMarginMs = 100;

    ModuleLine(ModulePort &port, SessionClock &clock);

    ModulePort &port() const { return modulePort; }
    qint64 nowMs() const;

    void write(const QByteArray &bytes);
    // "+++" goes out with nothing received before it taken as its answer.
    void writeEscape();
    qint64 escapeSentMs() const { return escapeMs.value_or(0); }

    int rate() const { return lineRate; }
    // The rate the port runs at, set by its owner; the port itself is not told.
    void setRate(int rate) { lineRate = rate; }
    // Moves the port to another rate, as a search or a followed BD does.
    void switchPortTo(int rate);

    // The silence "+++" needs after the last byte written, at the line's rate.
    int guardSilenceMs() const;
    // How much of silenceMs is still to come; 0 when the line has been quiet that long.
    int silenceRemainingMs(int silenceMs) const;
    // An "OK" to the last "+++" came now: the module's guard time at this rate.
    void noteGuardTime();
    int measuredGuardMs() const { return guardByRate.value(lineRate, 0); }

    // What an earlier program on the same port left: its last byte msAgo, and
    // the guard time it measured (0: none).
    void assumeEarlierWrite(qint64 msAgo, int guardMs);
    std::optional<qint64> msSinceLastWrite() const;

private:
    ModulePort &modulePort;
    SessionClock &clock;
    int lineRate = 9600;
    std::optional<qint64> lastWriteMs;
    std::optional<qint64> escapeMs;
    QHash<int, int> guardByRate; // measured from "+++" to its "OK"
};

#endif // MODULELINE_H
