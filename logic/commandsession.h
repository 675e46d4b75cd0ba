#ifndef COMMANDSESSION_H
#define COMMANDSESSION_H

#include "logic/atline.h"
#include "logic/framing.h"
#include "logic/moduleline.h"
#include "logic/ratesearch.h"
#include "logic/sessionclock.h"

#include <QObject>
#include <QPair>
#include <QStringList>

#include <memory>
#include <optional>

class ModulePort;

enum class RunKind {
    None,
    Read,
    Write, // settings, WR, and the queries that read them back
    RssiQuery,
    Console, // command mode held for entries given one at a time, until left
};

// How a run moves on. Ticked: on the ticks of one repeating timer, 1500 ms
// while command mode is being entered and 100 ms per entry, so the window's
// timing stays as technicians know it. ReplyDriven: each entry goes out as
// soon as the previous reply has come, for benches that program many modules.
enum class Pacing { Ticked, ReplyDriven };

// What a run sends in one stay in command mode.
struct RunPlan
{
    RunKind kind = RunKind::Read;
    QStringList entries; // without "AT" and CR: "VR", "ID=3333", "WR"
    Pacing pacing = Pacing::Ticked;
    // Entries from this index on go out as soon as the previous reply came,
    // whatever the pacing: the queries that read back a write. -1: none.
    int quickFrom = -1;
};

enum class RunResult {
    Completed,     // command mode entered and left; refused entries are in the outcome
    NoEscapeReply, // nothing answered "+++"
    NotEntered,    // "+++" was answered with something else than "OK"
    NoReply,       // an entry or ATCN got no answer; command mode was left with ATCN
    ExitRefused,   // ATCN was answered with something else than "OK": still in command mode
    Interrupted,   // stopped on request: no further entry, command mode left
    PortClosed,    // the port went away; an "ATCN" was sent if command mode had been entered
    LeftByItself,  // a console's stay ended by the module's own time-out (CT): what it took is in effect
};

struct RunOutcome
{
    RunKind kind = RunKind::None;
    RunResult result = RunResult::Completed;
    bool entered = false;                   // "+++" was acknowledged
    bool interrupted = false;               // interrupt() stopped it, whatever the result says of the line
    QList<QPair<QString, QString>> replies; // entry and its reply, in the order sent
    QStringList refused;                    // write entries not acknowledged with "OK"
    std::optional<int> followedRate;        // the port now runs at the rate of a written BD
    std::optional<Framing> followedFraming; // the port now runs with a written NB and SB
    bool rateUnknown = false;               // a written BD names a rate the port cannot follow
};

// The module's command-mode dialogue on a byte stream: runs of entries
// ("+++", "AT" entries, "ATCN"), the guard-time silence before "+++", the
// reply deadlines, the late "OK", refusals, the port following a written
// BD, NB and SB, and the search for the UART rate of a module that does not
// answer. One run or search at a time. It knows nothing of windows: replies
// and results go out as signals, bytes through the ModulePort.
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
    // A module leaves command mode after CT (×100 ms) without a command: 10 s from the factory.
    static constexpr int factoryTimeoutMs = 10000;

    CommandSession(ModulePort &port, SessionClock &clock, QObject *parent = nullptr);
    ~CommandSession() override;

    // The rate the port runs at now, set by its owner (the guard time is measured per rate).
    void setPortRate(int rate) { moduleLine.setRate(rate); }
    int portRate() const { return moduleLine.rate(); }
    void setPortFraming(const Framing &framing) { portFraming = framing; }
    Framing framing() const { return portFraming; }
    ModulePort &port() const { return moduleLine.port(); }
    ModuleLine &line() { return moduleLine; }
    const ModuleLine &line() const { return moduleLine; }

    // False (and nothing happens) while a run or a search is under way.
    bool startRun(const RunPlan &plan);
    // No further entry: the run leaves command mode once the reply it waits
    // for has come ("WR" goes out only if it was sent already), or ends at
    // once if "+++" has not gone out yet.
    void interrupt();
    // The port has gone or is about to: the run ends where it stands, with
    // an "ATCN" sent after it in case the port still carries it.
    void abandonRun();
    // A trimmed line from the module.
    void takeLine(const QString &line);
    // Bytes for the module outside any run (test lines), so the silence
    // before "+++" counts them. Refused (false) while a run or a search is
    // under way: in command mode they would be taken as a command, before
    // "+++" they would break the guard time's silence, and during a search
    // the port may run at a rate the module does not.
    bool sendData(const QByteArray &bytes);

    // commandsessionstay.cpp: the console's stay in command mode. It starts
    // with a query of CT, the module's own time-out, then holds command mode
    // and sends one entry ("NO", "SM 0", "ID3333,WR") at a time on request.
    // The module leaves by itself CT after the last command it took, which
    // the session counts down; an acknowledged BD, NB or SB is followed once
    // the module applies it (AC, or on leaving, also by itself).
    bool startStay();
    // False (and nothing is sent) unless the stay holds command mode and waits for an entry.
    bool sendInStay(const QString &entry);
    // "ATCN" now, or once the reply awaited has come.
    void leaveStay();
    bool stayHolding() const { return state == RunState::Holding; }
    // Until the module leaves command mode by itself; 0 outside a held stay.
    qint64 stayRemainingMs() const;

    bool isBusy() const { return runUnderway() || searching(); }
    // From the request of a run to its end, the silence before "+++" included.
    bool runUnderway() const { return state != RunState::Idle; }
    // "+++" acknowledged and "ATCN" not yet: a byte now is taken as a command.
    bool inCommandMode() const;
    RunKind runKind() const { return plan.kind; }

    // The baud-rate search: a fast pass at the factory guard time, then a
    // slow pass that waits out the longest one.
    void startSearch(const SearchPlan &plan = SearchPlan());
    void cancelSearch();
    bool searching() const;

signals:
    void commandModeEntered();
    void entrySent(int index, int total);
    void exitSent();
    void replyReceived(const QString &entry, const QString &reply);
    void runFinished(const RunOutcome &outcome);
    // A line that belongs to no run or search: a test line, or noise.
    void idleLineReceived(const QString &line);
    void searchTrying(int attempt, int rate, bool slowPass);
    void searchFound(int rate);
    void searchExhausted();
    // A console's stay holds command mode and waits for the next entry.
    void stayHeld();
    // Every reply line to an entry of a stay, a chain's one per command until its "ERROR".
    void stayAnswered(const QString &entry, const QStringList &replies);
    // The port moved to the module's new rate or framing (RunOutcome says which).
    void uartFollowed();

private:
    enum class RunState {
        Idle,
        SendEscape,        // "+++" goes out once the line has been quiet for a guard time
        AwaitEscapeReply,  // "+++" sent
        SendCommand,       // the next entry goes out on the next step
        AwaitCommandReply, // an entry sent
        SendExit,          // "ATCN" goes out on the next step
        Holding,           // a console's stay in command mode, waiting for an entry
        AwaitExitReply,    // "ATCN" sent
        Finished,          // command mode left; the next step ends the run
        Failed,            // the run ends on the next step with the result noted
    };

    void setState(RunState next);
    void tick();
    void startTicks(int intervalMs);
    bool quick() const;
    void moveOn(); // quick runs go on at once, ticked ones on the next tick
    void sendEscape();
    void sendNextEntry();
    void sendExit();
    void takeEscapeReply(const QString &line);
    void takeEntryReply(const QString &line);
    void takeExitReply(const QString &line);
    void noteWritten(const QString &entry, const QString &reply);
    void onDeadline();
    bool takeLateEscapeReply(const QString &line);
    void end(RunResult result);
    void followWrittenUart();
    // commandsessionstay.cpp
    void holdStay();
    bool takeStayReply(const QString &line);     // true once the entry's reply lines are complete
    bool applyStayReplies(const QString &entry); // true when the stay has ended
    void noteStayCommand(const AtCommand &command, const QString &reply);
    void applyStayAction(const QString &name); // AC, WR or RE the module took
    void restartStayCountdown(qint64 fromMs);
    void onStayTimeout();

    ModuleLine moduleLine;
    SessionClock &clock;
    std::unique_ptr<ClockTimer> tickTimer;
    std::unique_ptr<ClockTimer> deadline;
    std::unique_ptr<RateSearch> rateSearch;
    std::unique_ptr<ClockTimer> stayTimer;
    int tickIntervalMs = 0;

    RunState state = RunState::Idle;
    RunPlan plan;
    int index = 0;
    bool interruptRequested = false;
    RunOutcome outcome;
    std::optional<int> writtenBd;
    std::optional<int> writtenNb;
    std::optional<int> writtenSb;
    Framing portFraming;
    std::optional<qint64> lateEscapeUntilMs;
    // the console's stay
    bool leaveRequested = false;
    QStringList stayReplies;              // to the entry awaited
    qint64 entrySentMs = 0;               // the module's time-out counts from each command it takes
    qint64 stayEndsAtMs = 0;              // when the module leaves by itself
    int stayTimeoutMs = factoryTimeoutMs; // CT in effect
    std::optional<int> pendingTimeoutMs;  // CT set, not applied yet
};

#endif // COMMANDSESSION_H
