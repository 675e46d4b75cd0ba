#include "logic/modulejob.h"

#include "catalogue/atcommands.h"
#include "logic/commandsession.h"
#include "logic/configentries.h"
#include "logic/filesaving.h"
#include "logic/jobtexts.h"
#include "logic/moduleport.h"

ModuleJob::ModuleJob(CommandSession &session, const JobRequest &request, QObject *parent)
    : QObject(parent)
    , session(session)
    , req(request)
{
}

ModuleJob::~ModuleJob()
{
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
}

void ModuleJob::start()
{
    connections = {
        connect(&session, &CommandSession::runFinished, this, &ModuleJob::onRunFinished),
        connect(&session, &CommandSession::entrySent, this, &ModuleJob::onEntrySent),
        connect(&session, &CommandSession::replyReceived, this, &ModuleJob::replyReceived),
        connect(&session, &CommandSession::searchTrying, this, &ModuleJob::searchTrying),
        connect(&session, &CommandSession::searchFound, this, &ModuleJob::onSearchFound),
        connect(&session, &CommandSession::searchExhausted, this, &ModuleJob::onSearchExhausted),
    };
    if (req.kind == JobKind::Write) {
        if (const QString problem = problemBeforeWrite(); !problem.isEmpty()) {
            finish(JobOutcomes::ended(req.kind, JobStatus::BadRequest, {JobLine::Problem, problem}));
            return;
        }
    }
    if (req.kind == JobKind::Search || req.search == SearchPolicy::First || req.quickProbe)
        startSearch();
    else
        startRun();
}

QString ModuleJob::problemBeforeWrite() const
{
    // A value a Read showed unchecked (an error text, junk of a garbled line) must not go out.
    if (const QString invalid = ProfileFile::invalidValue(req.settings); !invalid.isEmpty())
        return invalid;
    const Framing current = session.framing();
    const std::optional<Framing> target =
        Framing::fromSettings(req.settings.value(QStringLiteral("NB"), QString::number(current.parity)).toInt(),
                              req.settings.value(QStringLiteral("SB"), QString::number(current.stopBits)).toInt());
    if (target && *target != current && !session.port().canUseFraming(*target))
        return JobText::framingCutOff(*target, current);
    if (req.recordRequired) {
        if (const QString problem = ProgrammingLog::checkAppendable(req.logPath); !problem.isEmpty())
            return JobText::recordUnwritable(problem);
    }
    return {};
}

void ModuleJob::startRun()
{
    RunPlan plan;
    plan.pacing = req.pacing;
    switch (req.kind) {
    case JobKind::Write: {
        plan.kind = RunKind::Write;
        plan.entries = configWriteEntries(req.settings);
        writeEntries = int(plan.entries.size());
        // Read back in the same stay, after WR and before ATCN, without waiting for ticks.
        plan.entries += req.verify ? ReadBack::queries(req.settings) : ReadBack::identityQueries();
        plan.quickFrom = writeEntries;
        break;
    }
    case JobKind::Check:
        plan.entries = ReadBack::queries(req.settings);
        break;
    case JobKind::Probe:
        plan.entries = ReadBack::identityQueries() + QStringList{QStringLiteral("NI")};
        break;
    default:
        plan.entries = atCommandList;
        break;
    }
    startRate = session.portRate();
    session.startRun(plan);
}

void ModuleJob::startSearch()
{
    searched = true;
    SearchPlan plan;
    plan.slowPass = !req.quickProbe;
    plan.portRateFirst = req.quickProbe;
    session.startSearch(plan);
}

void ModuleJob::onEntrySent(int index, int total)
{
    const JobPhase phase = req.kind != JobKind::Write ? JobPhase::Reading
        : index < writeEntries                        ? JobPhase::Writing
                                                      : JobPhase::ReadingBack;
    if (phase == JobPhase::ReadingBack)
        emit progress(phase, index - writeEntries, total - writeEntries);
    else
        emit progress(phase, index, phase == JobPhase::Writing ? writeEntries : total);
}

bool ModuleJob::searchInstead(const RunOutcome &run)
{
    const bool unanswered = run.result == RunResult::NoEscapeReply || run.result == RunResult::NotEntered;
    if (req.search != SearchPolicy::WhenUnanswered || searched || !unanswered || run.interrupted)
        return false;
    const QString failure = run.result == RunResult::NotEntered ? JobText::notEntered() : JobText::noAnswer();
    notes.append({JobLine::Note, failure + QLatin1Char(' ') + JobText::searching()});
    startSearch();
    return true;
}

void ModuleJob::onRunFinished(const RunOutcome &run)
{
    if (done || searchInstead(run))
        return;
    JobOutcome outcome = JobOutcomes::ofRun(req, run, startRate);
    if (req.kind == JobKind::Save && outcome.status == JobStatus::Done)
        saveProfile(outcome);
    if (outcome.record)
        appendRecord(outcome);
    finish(outcome);
}

void ModuleJob::saveProfile(JobOutcome &outcome) const
{
    // A profile holds the settings that have a value: a module without a name has none to give.
    for (auto it = outcome.values.begin(); it != outcome.values.end();)
        it = it.value().isEmpty() ? outcome.values.erase(it) : std::next(it);
    // A file that Open… and a write would refuse helps nobody: an error reply is no value.
    if (const QString problem = ProfileFile::invalidValue(outcome.values); !problem.isEmpty()) {
        outcome.status = JobStatus::ModuleFailed;
        outcome.lines.append({JobLine::Problem, problem});
        return;
    }
    SettingValues module;
    for (const auto &[command, reply] : outcome.run.replies) {
        if (ReadBack::identityQueries().contains(command))
            module.insert(command, reply);
    }
    const QByteArray bytes = ProfileFile::serialise(outcome.values, module);
    const auto profile = [&bytes](QIODevice *file) { return file->write(bytes) == bytes.size(); };
    if (saveFile(req.file, {}, profile) != SaveResult::Saved) {
        outcome.status = JobStatus::BadRequest;
        outcome.lines.append({JobLine::Problem, JobText::fileNotWritten()});
        return;
    }
    outcome.lines.append({JobLine::Result, JobText::saved(int(outcome.values.size()))});
}

void ModuleJob::appendRecord(JobOutcome &outcome) const
{
    if (req.logPath.isEmpty())
        return;
    const QString problem = ProgrammingLog::append(req.logPath, *outcome.record);
    if (problem.isEmpty())
        return;
    // The write itself stands; only its record is missing.
    outcome.lines.append({JobLine::Problem, JobText::notRecorded(problem)});
    if (outcome.status == JobStatus::Done)
        outcome.status = JobStatus::ModuleFailed;
}

void ModuleJob::onSearchFound(int rate)
{
    if (done)
        return;
    foundRate = rate;
    emit searchFound(rate);
    if (req.kind == JobKind::Search) {
        JobOutcome outcome = JobOutcomes::ended(req.kind, JobStatus::Done, {JobLine::Result, JobText::found(rate)});
        finish(outcome);
        return;
    }
    notes.append({JobLine::Note, JobText::found(rate)});
    startRun();
}

void ModuleJob::onSearchExhausted()
{
    if (!done)
        finish(JobOutcomes::ended(req.kind, JobStatus::ModuleFailed,
                                  {JobLine::Problem, JobText::searchFailed(session.framing())}));
}

void ModuleJob::interrupt()
{
    if (done)
        return;
    if (session.runUnderway()) {
        session.interrupt(); // the run's end finishes the job
        return;
    }
    session.cancelSearch();
    finish(JobOutcomes::ended(req.kind, JobStatus::Interrupted, {JobLine::Problem, JobText::interrupted()}));
}

void ModuleJob::cancel()
{
    if (done || !session.searching())
        return;
    session.cancelSearch();
    finish(JobOutcomes::ended(req.kind, JobStatus::Cancelled,
                              {JobLine::Note, JobText::searchCancelled(session.portRate())}));
}

void ModuleJob::abandon()
{
    if (done)
        return;
    if (session.runUnderway()) {
        session.abandonRun(); // the run's end finishes the job
        return;
    }
    session.cancelSearch();
    finish(JobOutcomes::ended(req.kind, JobStatus::ModuleFailed, {JobLine::Problem, JobText::portClosed()}));
}

void ModuleJob::finish(JobOutcome outcome)
{
    done = true;
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    connections.clear();
    outcome.foundRate = foundRate;
    outcome.lines = notes + outcome.lines;
    emit finished(outcome);
}
