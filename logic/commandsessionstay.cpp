#include "logic/commandsession.h"

#include "logic/logging.h"

// The console's stay in command mode: entered as every run is, then held
// for entries given one at a time, with the module's own time-out counted
// down and what the module will apply kept track of.

namespace {

// What RE puts back, as far as the port and the countdown are concerned.
constexpr int factoryBd = 3; // 9600 baud
const QString timeoutQuery = QStringLiteral("CT");

} // namespace

bool CommandSession::startStay()
{
    RunPlan stay;
    stay.kind = RunKind::Console;
    stay.entries = {timeoutQuery};
    stay.pacing = Pacing::ReplyDriven;
    return startRun(stay);
}

bool CommandSession::sendInStay(const QString &entry)
{
    if (state != RunState::Holding)
        return false;
    plan.entries.append(entry);
    setState(RunState::SendCommand);
    moveOn();
    return true;
}

void CommandSession::leaveStay()
{
    if (plan.kind != RunKind::Console || state == RunState::Idle)
        return;
    if (state == RunState::SendEscape) {
        end(RunResult::Interrupted); // nothing has gone out yet
        return;
    }
    leaveRequested = true;
    if (state == RunState::Holding) {
        setState(RunState::SendExit);
        sendExit();
    }
    // Entering or waiting for a reply: the stay leaves once it has come.
}

qint64 CommandSession::stayRemainingMs() const
{
    if (plan.kind != RunKind::Console || !inCommandMode())
        return 0;
    return qMax<qint64>(0, stayEndsAtMs - clock.nowMs());
}

void CommandSession::holdStay()
{
    setState(RunState::Holding);
    emit stayHeld();
}

bool CommandSession::takeStayReply(const QString &line)
{
    stayReplies.append(line);
    const QString entry = plan.entries.at(index);
    if (AtLine::isError(line) || stayReplies.size() >= AtLine::expectedReplies(entry))
        return true;
    deadline->start(replyDeadlineMs);
    return false;
}

bool CommandSession::applyStayReplies(const QString &entry)
{
    emit stayAnswered(entry, stayReplies);
    const QList<AtCommand> commands = AtLine::commands(entry);
    bool taken = commands.isEmpty() && !stayReplies.isEmpty() && !AtLine::isError(stayReplies.constFirst());
    for (int i = 0; i < commands.size() && i < stayReplies.size(); ++i) {
        const QString &reply = stayReplies.at(i);
        if (AtLine::isError(reply))
            break; // the module runs no more of the chain
        taken = true;
        const AtCommand &command = commands.at(i);
        if (command.name == QLatin1String("CN")) {
            // Left at the technician's word: what it took applies now.
            qCDebug(lcSerial) << "Exited command mode";
            setState(RunState::Finished);
            followWrittenUart();
            moveOn();
            return true;
        }
        noteStayCommand(command, reply);
    }
    if (taken) {
        // From when the command went out: the module took it a little later,
        // so the countdown never outlasts the module's own.
        restartStayCountdown(entrySentMs);
    } else if (clock.nowMs() >= stayEndsAtMs) {
        // An "ERROR" is no command to the module: its time-out ran out meanwhile.
        followWrittenUart();
        end(RunResult::LeftByItself);
        return true;
    }
    return false;
}

void CommandSession::noteStayCommand(const AtCommand &command, const QString &reply)
{
    const QString &name = command.name;
    const std::optional<qint64> number = command.number();
    if (command.isQuery()) {
        // A CT set but not applied yet answers the new value, not the one in effect.
        const bool timeout = name == timeoutQuery && !pendingTimeoutMs;
        const std::optional<qint64> value = AtLine::number(reply);
        if (timeout && value && *value > 0)
            stayTimeoutMs = int(qMin<qint64>(*value, 0x1770) * 100);
        if (name == QLatin1String("AC")) {
            // The module applies what it took, its UART included.
            followWrittenUart();
            writtenBd.reset();
            writtenNb.reset();
            writtenSb.reset();
            stayTimeoutMs = pendingTimeoutMs.value_or(stayTimeoutMs);
            pendingTimeoutMs.reset();
        } else if (name == QLatin1String("WR")) {
            stayTimeoutMs = pendingTimeoutMs.value_or(stayTimeoutMs);
            pendingTimeoutMs.reset();
        } else if (name == QLatin1String("RE")) {
            writtenBd = factoryBd;
            writtenNb = 0;
            writtenSb = 0;
            pendingTimeoutMs = factoryTimeoutMs;
        }
        return;
    }
    if (!number)
        return;
    if (name == QLatin1String("BD"))
        writtenBd = int(*number);
    else if (name == QLatin1String("NB"))
        writtenNb = int(*number);
    else if (name == QLatin1String("SB"))
        writtenSb = int(*number);
    else if (name == timeoutQuery && *number > 0)
        pendingTimeoutMs = int(qMin<qint64>(*number, 0x1770) * 100);
}

void CommandSession::restartStayCountdown(qint64 fromMs)
{
    stayEndsAtMs = fromMs + stayTimeoutMs;
    stayTimer->start(int(qMax<qint64>(0, stayEndsAtMs - clock.nowMs())));
}

void CommandSession::onStayTimeout()
{
    // While a reply is awaited, the reply tells whether the module was still there.
    if (state != RunState::Holding)
        return;
    qCDebug(lcSerial) << "The module left command mode by itself";
    followWrittenUart();
    end(RunResult::LeftByItself);
}
