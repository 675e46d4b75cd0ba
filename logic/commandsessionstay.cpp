#include "logic/commandsession.h"

#include "logic/logging.h"

// The console's stay in command mode: entered as every run is, then held
// for entries given one at a time, with the module's own time-out counted
// down and what the module will apply kept track of.

namespace {

// What RE puts back, as far as the port and the countdown are concerned.
constexpr int factoryBd = 3; // 9600 baud
const QString timeoutQuery = QStringLiteral("CT");

// CT counts tenths of a second; a module takes 0x1770 (10 minutes) at most.
int timeoutMsOf(qint64 tenths)
{
    return int(qMin<qint64>(tenths, 0x1770) * 100);
}

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
    if (name == QLatin1String("AC") || name == QLatin1String("WR") || name == QLatin1String("RE")) {
        applyStayAction(name);
        return;
    }
    // A CT set but not applied yet answers the new value, not the one in effect.
    const std::optional<qint64> asked = AtLine::number(reply);
    if (command.isQuery() && name == timeoutQuery && !pendingTimeoutMs && asked && *asked > 0)
        stayTimeoutMs = timeoutMsOf(*asked);
    const std::optional<qint64> set = command.isQuery() ? std::nullopt : command.number();
    if (!set)
        return;
    if (name == QLatin1String("BD"))
        writtenBd = int(*set);
    else if (name == QLatin1String("NB"))
        writtenNb = int(*set);
    else if (name == QLatin1String("SB"))
        writtenSb = int(*set);
    else if (name == timeoutQuery && *set > 0)
        pendingTimeoutMs = timeoutMsOf(*set);
}

void CommandSession::applyStayAction(const QString &name)
{
    if (name == QLatin1String("RE")) {
        // Like a set value, the factory settings take effect once applied.
        writtenBd = factoryBd;
        writtenNb = 0;
        writtenSb = 0;
        pendingTimeoutMs = factoryTimeoutMs;
        return;
    }
    if (name == QLatin1String("AC")) {
        // The module applies what it took, its UART included; WR applies all but the UART.
        followWrittenUart();
        writtenBd.reset();
        writtenNb.reset();
        writtenSb.reset();
    }
    stayTimeoutMs = pendingTimeoutMs.value_or(stayTimeoutMs);
    pendingTimeoutMs.reset();
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
