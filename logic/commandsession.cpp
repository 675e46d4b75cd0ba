#include "logic/commandsession.h"

#include "logic/baudrates.h"
#include "logic/configentries.h"
#include "logic/logging.h"
#include "logic/moduleport.h"
#include "logic/ratesearch.h"
#include "logic/replymapping.h"

namespace {

const QByteArray exitCommand = QByteArrayLiteral("ATCN\r");

} // namespace

CommandSession::CommandSession(ModulePort &port, SessionClock &clock, QObject *parent)
    : QObject(parent)
    , moduleLine(port, clock)
    , clock(clock)
    , tickTimer(clock.createTimer([this] { tick(); }))
    , deadline(clock.createTimer([this] { onDeadline(); }))
    , rateSearch(std::make_unique<RateSearch>(moduleLine, clock))
    , stayTimer(clock.createTimer([this] { onStayTimeout(); }))
{
    connect(rateSearch.get(), &RateSearch::trying, this, &CommandSession::searchTrying);
    connect(rateSearch.get(), &RateSearch::found, this, &CommandSession::searchFound);
    connect(rateSearch.get(), &RateSearch::exhausted, this, &CommandSession::searchExhausted);
}

CommandSession::~CommandSession() = default;

void CommandSession::setState(RunState next)
{
    state = next;
}

bool CommandSession::inCommandMode() const
{
    switch (state) {
    case RunState::SendCommand:
    case RunState::AwaitCommandReply:
    case RunState::SendExit:
    case RunState::Holding:
    case RunState::AwaitExitReply:
        return true;
    default:
        return false;
    }
}

bool CommandSession::sendData(const QByteArray &bytes)
{
    if (isBusy()) {
        qCDebug(lcSerial) << "Data held back: a run or a search is under way";
        return false;
    }
    moduleLine.write(bytes);
    return true;
}

bool CommandSession::startRun(const RunPlan &runPlan)
{
    // One run at a time: a request during a run or a search is dropped, not queued.
    if (isBusy())
        return false;
    // A late "OK" may only answer the "+++" it belongs to; this run sends its own.
    lateEscapeUntilMs.reset();
    plan = runPlan;
    outcome = RunOutcome{};
    outcome.kind = plan.kind;
    writtenBd.reset();
    writtenNb.reset();
    writtenSb.reset();
    index = 0;
    interruptRequested = false;
    leaveRequested = false;
    pendingTimeoutMs.reset();
    stayTimeoutMs = factoryTimeoutMs;
    setState(RunState::SendEscape);
    startTicks(escapeIntervalMs);
    tick();
    return true;
}

void CommandSession::interrupt()
{
    // Once "ATCN" has gone out there is nothing left to stop.
    const bool leaving = state == RunState::AwaitExitReply || state == RunState::Finished || state == RunState::Failed;
    if (state == RunState::Idle || leaving || interruptRequested)
        return;
    interruptRequested = true;
    outcome.interrupted = true;
    qCDebug(lcSerial) << "Run interrupted";
    if (state == RunState::SendEscape) {
        end(RunResult::Interrupted); // nothing has gone out yet
    } else if (state == RunState::SendCommand || state == RunState::Holding) {
        setState(RunState::SendExit);
        sendExit();
    }
    // Waiting for a reply: the run leaves command mode once it has come.
}

void CommandSession::abandonRun()
{
    if (state == RunState::Idle)
        return;
    // The module would otherwise stay in command mode until its own time-out
    // and take what it was given then; the port may still carry this.
    if (inCommandMode())
        moduleLine.write(exitCommand);
    qCDebug(lcSerial) << "Run abandoned: the port is closing";
    end(RunResult::PortClosed);
}

void CommandSession::startTicks(int intervalMs)
{
    tickIntervalMs = intervalMs;
    if (plan.pacing == Pacing::Ticked)
        tickTimer->start(intervalMs);
}

bool CommandSession::quick() const
{
    return plan.pacing == Pacing::ReplyDriven || (plan.quickFrom >= 0 && index >= plan.quickFrom);
}

void CommandSession::tick()
{
    // A repeating timer: the next tick is due one interval after this one.
    if (plan.pacing == Pacing::Ticked && state != RunState::Idle)
        tickTimer->start(tickIntervalMs);
    switch (state) {
    case RunState::SendEscape:
        sendEscape();
        break;
    case RunState::SendCommand:
        sendNextEntry();
        break;
    case RunState::SendExit:
        sendExit();
        break;
    case RunState::Finished:
        end(outcome.interrupted ? RunResult::Interrupted : RunResult::Completed);
        break;
    case RunState::Failed:
        end(outcome.result);
        break;
    default:
        break; // waiting for a line: a tick changes nothing
    }
}

void CommandSession::moveOn()
{
    if (!quick())
        return;
    RunState before = RunState::Idle;
    do {
        before = state;
        tick();
    } while (state != before
             && (state == RunState::SendCommand || state == RunState::SendExit || state == RunState::Finished
                 || state == RunState::Failed));
}

void CommandSession::sendEscape()
{
    // Bytes written just before (the last run's "ATCN", a test line) would
    // keep the module from taking "+++": wait for the rest of its guard time.
    if (const int wait = moduleLine.silenceRemainingMs(moduleLine.guardSilenceMs())) {
        tickIntervalMs = wait;
        tickTimer->start(wait);
        return;
    }
    if (tickIntervalMs != escapeIntervalMs)
        startTicks(escapeIntervalMs);
    setState(RunState::AwaitEscapeReply);
    deadline->start(escapeReplyDeadlineMs);
    moduleLine.writeEscape();
    qCDebug(lcSerial) << "Sending +++";
}

void CommandSession::sendNextEntry()
{
    if (index >= plan.entries.size()) {
        if (plan.kind == RunKind::Console && !leaveRequested)
            holdStay();
        else
            setState(RunState::SendExit);
        return;
    }
    const QString &entry = plan.entries.at(index);
    setState(RunState::AwaitCommandReply);
    entrySentMs = clock.nowMs();
    stayReplies.clear();
    deadline->start(replyDeadlineMs);
    moduleLine.write((QLatin1String("AT") + entry + QLatin1Char('\r')).toUtf8());
    qCDebug(lcSerial) << "Sending AT" << entry;
    emit entrySent(index, int(plan.entries.size()));
}

void CommandSession::sendExit()
{
    setState(RunState::AwaitExitReply);
    deadline->start(replyDeadlineMs);
    moduleLine.write(exitCommand);
    qCDebug(lcSerial) << "Exiting command mode";
    emit exitSent();
}

void CommandSession::takeLine(const QString &line)
{
    qCDebug(lcSerial) << "RX:" << line;
    if (rateSearch->takeLine(line) || takeLateEscapeReply(line))
        return;
    switch (state) {
    case RunState::Idle:
        emit idleLineReceived(line);
        break;
    case RunState::AwaitEscapeReply:
        takeEscapeReply(line);
        break;
    case RunState::AwaitCommandReply:
        takeEntryReply(line);
        break;
    case RunState::AwaitExitReply:
        takeExitReply(line);
        break;
    default:
        break; // not waiting for anything: the line is dropped
    }
}

void CommandSession::takeEscapeReply(const QString &line)
{
    deadline->stop();
    if (!Reply::isAcknowledgement(line)) {
        // Often radio data from another module; the module's own "OK" may still follow.
        setState(RunState::Failed);
        outcome.result = RunResult::NotEntered;
        lateEscapeUntilMs = clock.nowMs() + lateEscapeReplyMs;
        moveOn();
        return;
    }
    moduleLine.noteGuardTime();
    outcome.entered = true;
    qCDebug(lcSerial) << "Entered command mode";
    if (interruptRequested || leaveRequested) {
        setState(RunState::SendExit);
        sendExit();
        return;
    }
    setState(RunState::SendCommand);
    startTicks(commandIntervalMs);
    if (plan.kind == RunKind::Console)
        restartStayCountdown(clock.nowMs()); // the module counts from entering command mode
    emit commandModeEntered();
    moveOn();
}

void CommandSession::takeEntryReply(const QString &line)
{
    deadline->stop();
    const QString entry = plan.entries.at(index);
    const bool console = plan.kind == RunKind::Console;
    if (console && !takeStayReply(line))
        return; // a chain's further replies are still to come
    const QString reply = console ? stayReplies.join(QLatin1String(", ")) : line;
    outcome.replies.append({entry, reply});
    noteWritten(entry, reply);
    ++index;
    setState(RunState::SendCommand);
    emit replyReceived(entry, reply);
    if (console && applyStayReplies(entry))
        return;
    if ((interruptRequested || leaveRequested) && state == RunState::SendCommand) {
        setState(RunState::SendExit);
        sendExit();
        return;
    }
    moveOn();
}

void CommandSession::noteWritten(const QString &entry, const QString &reply)
{
    // A query in a write run (a read-back) answers with a value, not "OK".
    if (plan.kind != RunKind::Write || !isSettingEntry(entry))
        return;
    if (!Reply::isAcknowledgement(reply)) {
        outcome.refused.append(entry);
        return;
    }
    const std::optional<QPair<QString, QString>> set = parseWriteEntry(entry);
    if (!set)
        return;
    const QString &command = set->first;
    const int value = set->second.toInt();
    if (command == QLatin1String("BD"))
        writtenBd = value;
    else if (command == QLatin1String("NB"))
        writtenNb = value;
    else if (command == QLatin1String("SB"))
        writtenSb = value;
}

void CommandSession::takeExitReply(const QString &line)
{
    deadline->stop();
    if (!Reply::isAcknowledgement(line)) {
        // Still in command mode, at the old rate: nothing has taken effect.
        qCWarning(lcSerial) << "Command mode not left, ATCN answered" << line;
        setState(RunState::Failed);
        outcome.result = RunResult::ExitRefused;
        moveOn();
        return;
    }
    qCDebug(lcSerial) << "Exited command mode";
    setState(RunState::Finished);
    followWrittenUart();
    moveOn();
}

void CommandSession::followWrittenUart()
{
    // The module talks at its new rate and framing from the byte after this reply on.
    if (writtenBd) {
        const std::optional<int> moduleRate = BaudRates::forBdIndex(*writtenBd);
        if (!moduleRate || !BaudRates::selectable().contains(*moduleRate)) {
            outcome.rateUnknown = true;
        } else if (*moduleRate != moduleLine.rate()) {
            outcome.followedRate = *moduleRate;
            moduleLine.switchPortTo(*moduleRate);
            emit uartFollowed();
        }
    }
    if (!writtenNb && !writtenSb)
        return;
    const std::optional<Framing> moduleFraming =
        Framing::fromSettings(writtenNb.value_or(portFraming.parity), writtenSb.value_or(portFraming.stopBits));
    if (moduleFraming && *moduleFraming != portFraming) {
        portFraming = *moduleFraming;
        outcome.followedFraming = portFraming;
        moduleLine.port().setPortFraming(portFraming);
        emit uartFollowed();
    }
}

void CommandSession::onDeadline()
{
    if (state == RunState::AwaitEscapeReply) {
        // The module may still answer after its guard time; that "OK" is then taken care of.
        lateEscapeUntilMs = clock.nowMs() + lateEscapeReplyMs;
        qCDebug(lcSerial) << "No reply to +++";
        end(RunResult::NoEscapeReply);
    } else if (state == RunState::AwaitCommandReply || state == RunState::AwaitExitReply) {
        // Leave command mode at once rather than wait for the module's own time-out.
        moduleLine.write(exitCommand);
        qCDebug(lcSerial) << "No reply from the module, run ended while waiting for"
                          << (state == RunState::AwaitExitReply ? QStringLiteral("CN") : plan.entries.value(index));
        end(RunResult::NoReply);
    }
}

bool CommandSession::takeLateEscapeReply(const QString &line)
{
    // Only between runs: a new run's "+++" waits for this reply itself.
    const bool between = state == RunState::Idle || state == RunState::Failed;
    if (!between || !lateEscapeUntilMs || clock.nowMs() > *lateEscapeUntilMs || !Reply::isAcknowledgement(line))
        return false;
    lateEscapeUntilMs.reset();
    moduleLine.noteGuardTime();
    // The module did enter command mode after all; it would stay there until
    // its own time-out and swallow test lines meanwhile.
    qCDebug(lcSerial) << "Late command mode reply: leaving command mode";
    moduleLine.write(exitCommand);
    return true;
}

void CommandSession::end(RunResult result)
{
    tickTimer->stop();
    deadline->stop();
    stayTimer->stop();
    RunOutcome done = outcome;
    done.result = result;
    setState(RunState::Idle);
    plan = RunPlan{};
    plan.kind = RunKind::None;
    emit runFinished(done);
}

void CommandSession::startSearch(const SearchPlan &plan)
{
    if (isBusy())
        return;
    // The search's own "OK"s must not be taken for a failed run's late one.
    lateEscapeUntilMs.reset();
    rateSearch->start(plan);
}

void CommandSession::cancelSearch()
{
    rateSearch->cancel();
}

bool CommandSession::searching() const
{
    return rateSearch->isActive();
}
