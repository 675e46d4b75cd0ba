#ifndef COMMANDSESSION_H
#define COMMANDSESSION_H

#include "logic/framing.h"
#include "logic/sessionclock.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QStringList>

#include <memory>
#include <optional>

class ModulePort;

// The sequencer's state and the kind of run, as plain integers.
enum CommandState {
    StateIdle = 0,
    StateSendEscape = 1,
    StateAwaitEscapeReply = 2,
    StateSendCommand = 3,
    StateAwaitCommandReply = 4,
    StateSendExit = 5,
    StateAwaitExitReply = 6,
    StateFinished = 7,
    StateFailed = 8,
};

enum RunType {
    RunNone = 0,
    RunRead = 1,
    RunWrite = 2,
    RunRssiQuery = 3,
    RunReadBack = 4, // after a write: what the module holds now
};

// How a run moves on. Ticked: on the ticks of one repeating timer, 1500 ms
// while command mode is being entered and 100 ms per entry, so the window's
// timing stays as technicians know it. ReplyDriven: each entry goes out as
// soon as the previous reply has come, for benches that program many modules.
enum class Pacing { Ticked, ReplyDriven };

enum class RunResult {
    Completed,     // command mode entered and left; refused entries are in the outcome
    NoEscapeReply, // nothing answered "+++"
    NotEntered,    // "+++" was answered with something else than "OK"
    NoReply,       // an entry or ATCN got no answer; command mode was left with ATCN
    ExitRefused,   // ATCN was answered with something else than "OK": still in command mode
};

struct RunOutcome
{
    int type = RunNone;
    RunResult result = RunResult::Completed;
    QList<QPair<QString, QString>> replies; // entry and its reply, in the order sent
    QStringList refused;                    // write entries not acknowledged with "OK"
    std::optional<int> followedRate;        // the port now runs at the rate of a written BD
    std::optional<Framing> followedFraming; // the port now runs with a written NB and SB
    bool rateUnknown = false;               // a written BD names a rate the port cannot follow
};

// The module's command-mode dialogue on a byte stream: runs of entries
// ("+++", "AT" entries, "ATCN"), the guard-time silence before "+++", the
// reply deadlines, the late "OK", refusals, the port following a written
// BD, and the search for the UART rate of a module that does not answer.
// One run or search at a time. It knows nothing of windows: replies and
// results go out as signals, bytes through the ModulePort.
class CommandSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int escapeIntervalMs = 1500;
    static constexpr int commandIntervalMs = 100;
    // The module answers "+++" one guard time after it, and may be set up to 3.3 s.
    static constexpr int escapeReplyDeadlineMs = 5000;
    // Three default guard times: a module that has not answered by then will not.
    static constexpr int replyDeadlineMs = 3000;
    // How long an "OK" to a "+++" whose run was given up still means the module entered command mode.
    static constexpr int lateEscapeReplyMs = 5000;
    static constexpr int factoryGuardMs = 1000;
    static constexpr int longestGuardMs = 3300;
    // Bytes still on their way through the adapter when the silence starts.
    static constexpr int guardMarginMs = 100;
    // A search's wait for "OK" at one rate: the factory guard time and some.
    static constexpr int searchReplyMs = 1500;

    CommandSession(ModulePort &port, SessionClock &clock, QObject *parent = nullptr);
    ~CommandSession() override;

    // The rate the port runs at now, set by its owner (the guard time is measured per rate).
    void setPortRate(int rate);
    int portRate() const { return rate; }
    void setPortFraming(const Framing &framing) { portFraming = framing; }
    Framing framing() const { return portFraming; }

    // False (and nothing happens) while a run or a search is under way.
    bool startRun(int type, const QStringList &entries, Pacing pacing = Pacing::Ticked);
    // Ends a run where it stands, without a result: the port has gone.
    void abandonRun();
    // A trimmed line from the module.
    void takeLine(const QString &line);
    // Bytes for the module outside any run (test lines), so the silence before "+++" counts them.
    void sendData(const QByteArray &bytes);

    bool isBusy() const { return state != StateIdle || searching(); }
    int commandState() const { return state; }
    int runType() const { return type; }
    const QStringList &commandList() const { return entries; }
    int commandIndex() const { return index; }
    QString currentCommand() const { return current; }
    // The silence "+++" needs after the last byte written, at the port's rate.
    int guardSilenceMs() const;
    // What an earlier program on the same port left: its last byte msAgo, and
    // the guard time it measured (0: none). A module answers "+++" only after
    // a guard time of silence, whoever spoke last.
    void assumeEarlierWrite(qint64 msAgo, int guardMs);
    std::optional<qint64> msSinceLastWrite() const;
    int measuredGuardMs() const { return guardByRate.value(rate, 0); }

    // The baud-rate search: a fast pass at the factory guard time, then a
    // slow pass that waits out the longest one.
    void startSearch();
    void cancelSearch();
    bool searching() const { return searchPhase != SearchIdle; }
    static int searchAttempts(); // rates per pass

signals:
    void commandModeEntered();
    void entrySent(int index);
    void exitSent();
    void replyReceived(const QString &entry, const QString &reply);
    void runFinished(const RunOutcome &outcome);
    // A line that belongs to no run or search: a test line, or noise.
    void idleLineReceived(const QString &line);
    void searchTrying(int attempt, int rate, bool slowPass);
    void searchFound(int rate);
    void searchExhausted();

private:
    void tick();
    void startTicks(int intervalMs);
    void moveOn(); // reply-driven runs go on at once, ticked ones on the next tick
    void sendEscape();
    void sendNextEntry();
    void sendExit();
    void finish();
    void takeEscapeReply(const QString &line);
    void takeEntryReply(const QString &line);
    void takeExitReply(const QString &line);
    void onDeadline();
    bool takeLateEscapeReply(const QString &line);
    void write(const QByteArray &bytes);
    int silenceRemainingMs(int silenceMs) const;
    void noteGuardTime(); // an "OK" to the last "+++" came now
    void end(RunResult result);
    void followWrittenUart();

    void searchNext();
    void onSearchTimer();
    bool takeSearchReply(const QString &line);
    void searchSwitchTo(int rate);

    ModulePort &port;
    SessionClock &clock;
    std::unique_ptr<ClockTimer> tickTimer;
    std::unique_ptr<ClockTimer> deadline;
    std::unique_ptr<ClockTimer> searchTimer;
    int tickIntervalMs = 0;

    int state = StateIdle;
    int type = RunNone;
    Pacing pacing = Pacing::Ticked;
    QStringList entries;
    int index = 0;
    QString current;
    RunOutcome outcome;
    std::optional<int> writtenBd;
    std::optional<int> writtenNb;
    std::optional<int> writtenSb;
    Framing portFraming;

    int rate = 9600;
    std::optional<qint64> lastWriteMs;
    std::optional<qint64> escapeSentMs;
    QHash<int, int> guardByRate; // measured from "+++" to its "OK"
    std::optional<qint64> lateEscapeUntilMs;

    enum SearchPhase { SearchIdle, SearchAwaitingSilence, SearchAwaitingReply };
    SearchPhase searchPhase = SearchIdle;
    int searchAttempt = -1;
    bool searchSlowPass = false;
    int searchUserRate = 9600;
};

#endif // COMMANDSESSION_H
