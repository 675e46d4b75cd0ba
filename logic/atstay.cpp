#include "logic/atstay.h"

#include "logic/atline.h"
#include "logic/commandsession.h"
#include "logic/consoletexts.h"
#include "logic/consolewarnings.h"
#include "logic/jobtexts.h"
#include "logic/moduleport.h"

#include <algorithm>
#include <utility>

namespace {

const QStringList identityQueries = {QStringLiteral("SH"), QStringLiteral("SL"), QStringLiteral("VR")};

bool isAction(const QString &name)
{
    return name == QLatin1String("CN") || name == QLatin1String("AC") || name == QLatin1String("WR")
        || name == QLatin1String("RE");
}

bool leavesCommandMode(const QString &line)
{
    const QList<AtCommand> commands = AtLine::commands(line);
    return std::any_of(commands.cbegin(), commands.cend(),
                       [](const AtCommand &command) { return command.name == QLatin1String("CN"); });
}

bool writes(const QString &line)
{
    const QList<AtCommand> commands = AtLine::commands(line);
    return std::any_of(commands.cbegin(), commands.cend(),
                       [](const AtCommand &command) { return command.name == QLatin1String("WR"); });
}

} // namespace

AtStay::AtStay(CommandSession &session, const AtStayRequest &request, QObject *parent)
    : QObject(parent)
    , session(session)
    , req(request)
{
}

AtStay::~AtStay()
{
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
}

QStringList AtStay::warnings(const QString &line) const
{
    QStringList list = ConsoleWarnings::of(line);
    // A framing this port cannot run leaves the module out of its reach, as a write of it would.
    const Framing current = session.framing();
    std::optional<int> parity;
    std::optional<int> stopBits;
    for (const AtCommand &command : AtLine::commands(line)) {
        const qint64 value = command.isQuery() ? -1 : command.number().value_or(-1);
        if (value >= 0 && command.name == QLatin1String("NB"))
            parity = int(value);
        else if (value >= 0 && command.name == QLatin1String("SB"))
            stopBits = int(value);
    }
    const std::optional<Framing> target =
        Framing::fromSettings(parity.value_or(current.parity), stopBits.value_or(current.stopBits));
    if (target && *target != current && !session.port().canUseFraming(*target))
        list.append(JobText::framingCutOff(*target, current));
    return list;
}

QString AtStay::problemBeforeStart() const
{
    QStringList problems;
    for (const QString &typed : req.lines) {
        const QString line = AtLine::withPrefix(typed);
        if (leavesCommandMode(line)) {
            problems.append(ConsoleText::leavesItself());
            continue;
        }
        const QStringList dangers = warnings(line);
        if (!req.force && !dangers.isEmpty())
            problems += dangers + QStringList{ConsoleText::notForced(line)};
    }
    const bool recorded = std::any_of(req.lines.cbegin(), req.lines.cend(), writes) && !req.logPath.isEmpty();
    if (const QString problem = recorded ? ProgrammingLog::checkAppendable(req.logPath) : QString(); !problem.isEmpty())
        problems.append(JobText::recordUnwritable(problem));
    return problems.join(QLatin1Char('\n'));
}

bool AtStay::start()
{
    if (session.isBusy())
        return false;
    connections = {
        connect(&session, &CommandSession::stayHeld, this, &AtStay::onHeld),
        connect(&session, &CommandSession::stayAnswered, this, &AtStay::onAnswered),
        connect(&session, &CommandSession::runFinished, this, &AtStay::onRunFinished),
    };
    if (const QString problems = problemBeforeStart(); !problems.isEmpty()) {
        JobOutcome outcome = JobOutcomes::ended(JobKind::AtCommands, JobStatus::BadRequest, {});
        outcome.lines.clear();
        for (const QString &problem : problems.split(QLatin1Char('\n')))
            outcome.lines.append({JobLine::Problem, problem});
        finish(outcome);
        return true;
    }
    startRate = session.portRate();
    return session.startStay();
}

bool AtStay::isReady() const
{
    return !done && req.lines.isEmpty() && session.stayHolding() && ownQueue.isEmpty() && !awaited;
}

bool AtStay::send(const QString &typed)
{
    if (!isReady())
        return false;
    const QString line = AtLine::withPrefix(typed);
    if (leavesCommandMode(line) && AtLine::commands(line).size() == 1)
        leave();
    else
        transmit(line, false);
    return true;
}

void AtStay::leave()
{
    if (!done)
        session.leaveStay();
}

void AtStay::interrupt()
{
    if (!done && session.runUnderway())
        session.interrupt(); // the run's end finishes the stay
}

void AtStay::transmit(const QString &line, bool own)
{
    awaited = Sent{line, own};
    if (!own)
        ++linesSent;
    session.sendInStay(AtLine::entry(line));
}

void AtStay::onHeld()
{
    // The stay's own questions go first: the record needs them whatever comes next.
    if (!ownQueue.isEmpty()) {
        transmit(QLatin1String("AT") + ownQueue.takeFirst(), true);
        return;
    }
    if (req.lines.isEmpty()) {
        emit ready();
        return;
    }
    if (!refusedLine.isEmpty() || nextLine >= req.lines.size()) {
        session.leaveStay();
        return;
    }
    transmit(AtLine::withPrefix(req.lines.at(nextLine++)), false);
}

void AtStay::onAnswered(const QString &entry, const QStringList &replies)
{
    Q_UNUSED(entry);
    // The first answer of a stay is to the session's own question of CT.
    if (!awaited)
        return;
    const Sent sent = *std::exchange(awaited, std::nullopt);
    noteReplies(sent.line, replies);
    if (sent.own)
        return;
    answers.append({sent.line, replies});
    const bool refused = std::any_of(replies.cbegin(), replies.cend(), AtLine::isError);
    if (refused && !req.lines.isEmpty())
        refusedLine = sent.line;
    emit answered(sent.line, replies);
}

void AtStay::noteReplies(const QString &line, const QStringList &replies)
{
    const QList<AtCommand> commands = AtLine::commands(line);
    for (int i = 0; i < commands.size() && i < replies.size(); ++i) {
        const AtCommand &command = commands.at(i);
        const QString &reply = replies.at(i);
        if (AtLine::isError(reply)) {
            if (!command.isQuery())
                refusedSets.append(command.name + QLatin1Char('=') + command.value());
            return; // the module runs no more of the chain
        }
        if (command.name == QLatin1String("WR")) {
            writeTaken = true;
            stored = taken;
            for (const QString &query : identityQueries) {
                if (!known.contains(query) && !ownQueue.contains(query))
                    ownQueue.append(query);
            }
        } else if (command.name == QLatin1String("RE")) {
            taken.insert(command.name, QString()); // every setting back to the factory's
        } else if (command.isQuery() && !isAction(command.name)) {
            known.insert(command.name, reply);
        } else if (!isAction(command.name)) {
            taken.insert(command.name, command.value());
        }
    }
}

void AtStay::onRunFinished(const RunOutcome &run)
{
    if (done || run.kind != RunKind::Console)
        return;
    JobOutcome outcome;
    outcome.kind = JobKind::AtCommands;
    outcome.run = run;
    for (const auto &[line, replies] : std::as_const(answers)) {
        outcome.typed.append({line, true, replies});
        outcome.lines.append({JobLine::Result, ConsoleText::answered(line, replies)});
    }
    // A batch's lines after an "ERROR" or an interruption were never sent.
    for (const QString &line : req.lines.mid(int(answers.size())))
        outcome.typed.append({AtLine::withPrefix(line), false, {}});
    if (run.interrupted) {
        outcome.status = JobStatus::Interrupted;
        outcome.lines.append(
            {JobLine::Problem,
             run.entered ? ConsoleText::interrupted(linesSent, int(req.lines.size())) : JobText::interrupted()});
    } else if (!refusedLine.isEmpty()) {
        outcome.status = JobStatus::ModuleFailed;
        outcome.lines.append({JobLine::Problem, ConsoleText::refused(refusedLine, int(req.lines.size()) - nextLine)});
    } else if (run.result == RunResult::LeftByItself) {
        outcome.lines.append({JobLine::Note, ConsoleText::leftByItself()});
    } else if (run.result == RunResult::Interrupted) {
        outcome.status = JobStatus::Cancelled; // left before "+++" went out
    } else if (run.result != RunResult::Completed) {
        outcome.status = JobStatus::ModuleFailed;
        outcome.lines.append(JobOutcomes::failure(run.result));
    }
    outcome.lines += outcome.portNotes();
    if (run.rateUnknown && !run.followedRate)
        outcome.lines.append({JobLine::Problem, JobText::rateUnreachable()});
    outcome.record = record(run);
    appendRecord(outcome);
    finish(outcome);
}

std::optional<ProgrammingRecord> AtStay::record(const RunOutcome &run) const
{
    if (!writeTaken)
        return std::nullopt;
    ProgrammingRecord record;
    record.time = QDateTime::currentDateTimeUtc();
    record.program = req.program;
    record.port = req.port;
    record.baud = startRate;
    for (const QString &query : identityQueries) {
        if (known.contains(query))
            record.module.insert(query, known.value(query));
    }
    record.written = stored;
    record.refused = refusedSets;
    record.interrupted = run.interrupted;
    // Typed commands are never read back: the technician saw each reply.
    if (refusedSets.isEmpty())
        record.reason = run.interrupted            ? JobText::runEnded(RunResult::Interrupted)
            : run.result == RunResult::ExitRefused ? JobText::runEnded(run.result)
                                                   : QStringLiteral("not read back");
    return record;
}

void AtStay::appendRecord(JobOutcome &outcome) const
{
    if (!outcome.record || req.logPath.isEmpty())
        return;
    const QString problem = ProgrammingLog::append(req.logPath, *outcome.record);
    if (problem.isEmpty())
        return;
    outcome.lines.append({JobLine::Problem, JobText::notRecorded(problem)});
    if (outcome.status == JobStatus::Done)
        outcome.status = JobStatus::ModuleFailed;
}

void AtStay::finish(JobOutcome outcome)
{
    done = true;
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    connections.clear();
    emit finished(outcome);
}
