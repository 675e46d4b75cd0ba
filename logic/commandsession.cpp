#include "logic/commandsession.h"

#include "logic/baudrates.h"
#include "logic/logging.h"
#include "logic/moduleport.h"
#include "logic/replymapping.h"

namespace {

const QByteArray escapeSequence = QByteArrayLiteral("+++");
const QByteArray exitCommand = QByteArrayLiteral("ATCN\r");

} // namespace

CommandSession::CommandSession(ModulePort &port, SessionClock &clock, QObject *parent)
    : QObject(parent)
    , port(port)
    , clock(clock)
    , tickTimer(clock.createTimer([this] { tick(); }))
    , deadline(clock.createTimer([this] { onDeadline(); }))
    , searchTimer(clock.createTimer([this] { onSearchTimer(); }))
{
}

CommandSession::~CommandSession() = default;

void CommandSession::setPortRate(int newRate)
{
    rate = newRate;
}

int CommandSession::guardSilenceMs() const
{
    return guardByRate.value(rate, factoryGuardMs) + guardMarginMs;
}

void CommandSession::assumeEarlierWrite(qint64 msAgo, int guardMs)
{
    lastWriteMs = clock.nowMs() - qMax<qint64>(0, msAgo);
    if (guardMs > 0)
        guardByRate.insert(rate, qMin(guardMs, int(longestGuardMs)));
}

std::optional<qint64> CommandSession::msSinceLastWrite() const
{
    if (!lastWriteMs)
        return std::nullopt;
    return clock.nowMs() - *lastWriteMs;
}

int CommandSession::silenceRemainingMs(int silenceMs) const
{
    if (!lastWriteMs)
        return 0;
    return int(qMax<qint64>(0, silenceMs - (clock.nowMs() - *lastWriteMs)));
}

void CommandSession::noteGuardTime()
{
    // The "OK" comes one guard time after "+++": the next "+++" at this rate waits that long.
    guardByRate.insert(rate, int(qMin<qint64>(clock.nowMs() - *escapeSentMs, longestGuardMs)));
}

void CommandSession::write(const QByteArray &bytes)
{
    lastWriteMs = clock.nowMs();
    port.writeToModule(bytes);
}

void CommandSession::sendData(const QByteArray &bytes)
{
    write(bytes);
}

bool CommandSession::startRun(int runType, const QStringList &runEntries, Pacing runPacing)
{
    // One run at a time: a request during a run or a search is dropped, not queued.
    if (isBusy())
        return false;
    // A late "OK" may only answer the "+++" it belongs to; this run sends its own.
    lateEscapeUntilMs.reset();
    type = runType;
    entries = runEntries;
    pacing = runPacing;
    outcome = RunOutcome{};
    outcome.type = runType;
    writtenBd.reset();
    writtenNb.reset();
    writtenSb.reset();
    index = 0;
    current.clear();
    state = StateSendEscape;
    startTicks(escapeIntervalMs);
    tick();
    return true;
}

void CommandSession::abandonRun()
{
    tickTimer->stop();
    deadline->stop();
    state = StateIdle;
    type = RunNone;
}

void CommandSession::startTicks(int intervalMs)
{
    tickIntervalMs = intervalMs;
    if (pacing == Pacing::Ticked)
        tickTimer->start(intervalMs);
}

void CommandSession::tick()
{
    // A repeating timer: the next tick is due one interval after this one.
    if (pacing == Pacing::Ticked && state != StateIdle)
        tickTimer->start(tickIntervalMs);
    switch (state) {
    case StateSendEscape:
        sendEscape();
        break;
    case StateSendCommand:
        sendNextEntry();
        break;
    case StateSendExit:
        sendExit();
        break;
    case StateFinished:
    case StateFailed:
        finish();
        break;
    default:
        break; // waiting for a line: a tick changes nothing
    }
}

void CommandSession::moveOn()
{
    if (pacing != Pacing::ReplyDriven)
        return;
    int before = 0;
    do {
        before = state;
        tick();
    } while (
        state != before
        && (state == StateSendCommand || state == StateSendExit || state == StateFinished || state == StateFailed));
}

void CommandSession::sendEscape()
{
    // Bytes written just before (the last run's "ATCN", a test line) would
    // keep the module from taking "+++": wait for the rest of its guard time.
    if (const int wait = silenceRemainingMs(guardSilenceMs())) {
        tickIntervalMs = wait;
        tickTimer->start(wait);
        return;
    }
    if (tickIntervalMs != escapeIntervalMs)
        startTicks(escapeIntervalMs);
    state = StateAwaitEscapeReply;
    escapeSentMs = clock.nowMs();
    deadline->start(escapeReplyDeadlineMs);
    write(escapeSequence);
    qCDebug(lcSerial) << "Sending +++";
}

void CommandSession::sendNextEntry()
{
    if (index >= entries.size()) {
        state = StateSendExit;
        return;
    }
    current = entries.at(index);
    state = StateAwaitCommandReply;
    deadline->start(replyDeadlineMs);
    write((QLatin1String("AT") + current + QLatin1Char('\r')).toUtf8());
    qCDebug(lcSerial) << "Sending AT" << current;
    emit entrySent(index);
}

void CommandSession::sendExit()
{
    state = StateAwaitExitReply;
    deadline->start(replyDeadlineMs);
    write(exitCommand);
    qCDebug(lcSerial) << "Exiting command mode";
    emit exitSent();
}

void CommandSession::takeLine(const QString &line)
{
    qCDebug(lcSerial) << "RX:" << line;
    if (takeSearchReply(line) || searching() || takeLateEscapeReply(line))
        return;
    switch (state) {
    case StateIdle:
        emit idleLineReceived(line);
        break;
    case StateAwaitEscapeReply:
        takeEscapeReply(line);
        break;
    case StateAwaitCommandReply:
        takeEntryReply(line);
        break;
    case StateAwaitExitReply:
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
        state = StateFailed;
        outcome.result = RunResult::NotEntered;
        lateEscapeUntilMs = clock.nowMs() + lateEscapeReplyMs;
        moveOn();
        return;
    }
    noteGuardTime();
    qCDebug(lcSerial) << "Entered command mode";
    state = StateSendCommand;
    startTicks(commandIntervalMs);
    emit commandModeEntered();
    moveOn();
}

void CommandSession::takeEntryReply(const QString &line)
{
    deadline->stop();
    const QString entry = current;
    outcome.replies.append({entry, line});
    // A query in a write run (a read-back) answers with a value, not "OK".
    const bool setting = entry.contains(QLatin1Char('=')) || entry == QLatin1String("WR");
    if (type == RunWrite && setting && !Reply::isAcknowledgement(line))
        outcome.refused.append(entry);
    else if (type == RunWrite && entry.startsWith(QLatin1String("BD=")))
        writtenBd = entry.mid(3).toInt();
    else if (type == RunWrite && entry.startsWith(QLatin1String("NB=")))
        writtenNb = entry.mid(3).toInt();
    else if (type == RunWrite && entry.startsWith(QLatin1String("SB=")))
        writtenSb = entry.mid(3).toInt();
    ++index;
    state = StateSendCommand;
    emit replyReceived(entry, line);
    moveOn();
}

void CommandSession::takeExitReply(const QString &line)
{
    deadline->stop();
    if (!Reply::isAcknowledgement(line)) {
        // Still in command mode, at the old rate: nothing has taken effect.
        qCWarning(lcSerial) << "Command mode not left, ATCN answered" << line;
        state = StateFailed;
        outcome.result = RunResult::ExitRefused;
        moveOn();
        return;
    }
    qCDebug(lcSerial) << "Exited command mode";
    state = StateFinished;
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
        } else if (*moduleRate != rate) {
            rate = *moduleRate;
            outcome.followedRate = rate;
            port.setPortRate(rate);
        }
    }
    if (!writtenNb && !writtenSb)
        return;
    const std::optional<Framing> moduleFraming =
        Framing::fromSettings(writtenNb.value_or(portFraming.parity), writtenSb.value_or(portFraming.stopBits));
    if (moduleFraming && *moduleFraming != portFraming) {
        portFraming = *moduleFraming;
        outcome.followedFraming = portFraming;
        port.setPortFraming(portFraming);
    }
}

void CommandSession::finish()
{
    end(state == StateFinished ? RunResult::Completed : outcome.result);
}

void CommandSession::onDeadline()
{
    if (state == StateAwaitEscapeReply) {
        // The module may still answer after its guard time; that "OK" is then taken care of.
        lateEscapeUntilMs = clock.nowMs() + lateEscapeReplyMs;
        qCDebug(lcSerial) << "No reply to +++";
        end(RunResult::NoEscapeReply);
    } else if (state == StateAwaitCommandReply || state == StateAwaitExitReply) {
        // Leave command mode at once rather than wait for the module's own time-out.
        write(exitCommand);
        qCDebug(lcSerial) << "No reply from the module, run ended in state" << state;
        end(RunResult::NoReply);
    }
}

bool CommandSession::takeLateEscapeReply(const QString &line)
{
    // Only between runs: a new run's "+++" waits for this reply itself.
    const bool between = state == StateIdle || state == StateFailed;
    if (!between || !lateEscapeUntilMs || clock.nowMs() > *lateEscapeUntilMs || !Reply::isAcknowledgement(line))
        return false;
    lateEscapeUntilMs.reset();
    noteGuardTime();
    // The module did enter command mode after all; it would stay there until
    // its own time-out and swallow test lines meanwhile.
    qCDebug(lcSerial) << "Late command mode reply: leaving command mode";
    write(exitCommand);
    return true;
}

void CommandSession::end(RunResult result)
{
    tickTimer->stop();
    deadline->stop();
    RunOutcome done = outcome;
    done.result = result;
    state = StateIdle;
    type = RunNone;
    emit runFinished(done);
}
