#include "logic/joboutcome.h"

#include "logic/configentries.h"
#include "logic/jobtexts.h"
#include "logic/replymapping.h"

#include <algorithm>

namespace {

using JobOutcomes::failure;

void noteUart(JobOutcome &outcome)
{
    // A new UART rate took effect whatever else the module refused.
    outcome.lines += outcome.portNotes();
    if (outcome.run.rateUnknown && !outcome.run.followedRate)
        outcome.lines.append({JobLine::Problem, JobText::rateUnreachable()});
}

void checkAgainstProfile(const JobRequest &request, JobOutcome &outcome)
{
    outcome.differing = ProfileFile::differences(request.settings, outcome.values);
    for (const QString &command : std::as_const(outcome.differing)) {
        const QString module = outcome.values.value(command, JobText::noValue());
        outcome.lines.append(
            {JobLine::Result, JobText::differsFromProfile(command, module, request.settings.value(command))});
    }
    if (outcome.differing.isEmpty())
        outcome.lines.append({JobLine::Result, JobText::sameAsProfile()});
    else
        outcome.status = JobStatus::Differs;
}

JobOutcome ofReadingRun(const JobRequest &request, const RunOutcome &run)
{
    JobOutcome outcome;
    outcome.kind = request.kind;
    outcome.run = run;
    outcome.values = Reply::settingValues(run.replies, request.kind != JobKind::Read);
    if (run.result != RunResult::Completed) {
        outcome.status = run.interrupted ? JobStatus::Interrupted : JobStatus::ModuleFailed;
        outcome.lines.append(failure(run.interrupted ? RunResult::Interrupted : run.result));
        return outcome;
    }
    if (request.kind == JobKind::Check)
        checkAgainstProfile(request, outcome);
    return outcome;
}

// Why a write that reached command mode is not verified, where the
// refusals and mismatches of its record do not say it already.
QString unverifiedReason(const JobRequest &request, const RunOutcome &run, const std::optional<ReadBack> &readBack)
{
    if (run.interrupted)
        return JobText::runEnded(RunResult::Interrupted);
    if (run.result != RunResult::Completed)
        return JobText::runEnded(run.result);
    if (!request.verify)
        return QStringLiteral("not read back");
    if (!readBack || !readBack->complete())
        return QStringLiteral("the read-back did not finish");
    return {};
}

ProgrammingRecord recordOf(const JobRequest &request, const JobOutcome &outcome, int startRate)
{
    const RunOutcome &run = outcome.run;
    const std::optional<ReadBack> &readBack = outcome.readBack;
    ProgrammingRecord record;
    record.time = QDateTime::currentDateTimeUtc();
    record.program = request.program;
    record.port = request.port;
    record.baud = startRate;
    record.profile = request.profile;
    record.written = ProgrammingRecord::acknowledged(run);
    record.refused = run.refused;
    record.interrupted = run.interrupted;
    if (readBack) {
        record.module = readBack->module();
        if (request.verify)
            record.mismatches = readBack->mismatches();
    }
    record.verified = request.verify && readBack && readBack->matches() && run.refused.isEmpty()
        && run.result == RunResult::Completed && !run.interrupted;
    if (!record.verified && record.refused.isEmpty() && record.mismatches.isEmpty())
        record.reason = unverifiedReason(request, run, readBack);
    return record;
}

void sayHowWriteEnded(JobOutcome &outcome, bool allAnswered, bool stored)
{
    const RunOutcome &run = outcome.run;
    if (run.interrupted) {
        outcome.status = JobStatus::Interrupted;
        outcome.lines.append(
            {JobLine::Problem, JobText::interruptedWrite(outcome.settingsSent, outcome.settingsTotal, stored)});
    } else if (!allAnswered || run.result == RunResult::ExitRefused) {
        outcome.status = JobStatus::ModuleFailed;
        outcome.lines.append(failure(run.result));
    } else if (!run.refused.isEmpty()) {
        outcome.status = JobStatus::ModuleFailed;
        outcome.lines.append({JobLine::Problem, JobText::refused(run.refused)});
        if (run.refused.contains(QLatin1String("WR")))
            outcome.lines.append({JobLine::Problem, JobText::notStored()});
    } else {
        outcome.lines.append({JobLine::Result, JobText::wrote(outcome.settingsSent)});
    }
}

void sayReadBack(const JobRequest &request, JobOutcome &outcome)
{
    const RunOutcome &run = outcome.run;
    if (!request.verify || !outcome.readBack || run.interrupted || run.result == RunResult::ExitRefused)
        return;
    if (run.result == RunResult::PortClosed) {
        outcome.lines.append(failure(run.result));
        outcome.status = JobStatus::ModuleFailed;
        return;
    }
    const bool matches = outcome.readBack->matches();
    outcome.lines.append({matches ? JobLine::Result : JobLine::Problem, outcome.readBack->summary()});
    if (!matches && outcome.status == JobStatus::Done)
        outcome.status = JobStatus::ModuleFailed;
}

JobOutcome ofWriteRun(const JobRequest &request, const RunOutcome &run, int startRate)
{
    JobOutcome outcome;
    outcome.kind = JobKind::Write;
    outcome.run = run;
    const qsizetype writeEntries = configWriteEntries(request.settings).size(); // WR included
    outcome.settingsTotal = int(writeEntries - 1);
    outcome.settingsSent = int(ProgrammingRecord::acknowledged(run).size());
    if (!run.entered) {
        outcome.status = run.interrupted ? JobStatus::Interrupted : JobStatus::ModuleFailed;
        outcome.lines.append(failure(run.interrupted ? RunResult::Interrupted : run.result));
        return outcome;
    }
    const bool allAnswered = run.replies.size() >= writeEntries;
    const bool wrAnswered = std::any_of(run.replies.cbegin(), run.replies.cend(),
                                        [](const auto &reply) { return reply.first == QLatin1String("WR"); });
    const bool stored = wrAnswered && !run.refused.contains(QLatin1String("WR"));
    if (allAnswered)
        outcome.readBack.emplace(request.verify ? request.settings : SettingValues{}, run.replies.mid(writeEntries));
    sayHowWriteEnded(outcome, allAnswered, stored);
    noteUart(outcome);
    sayReadBack(request, outcome);
    outcome.record = recordOf(request, outcome, startRate);
    return outcome;
}

} // namespace

QList<JobLine> JobOutcome::portNotes() const
{
    QList<JobLine> notes;
    if (run.followedRate)
        notes.append({JobLine::Note, JobText::portFollowsRate(*run.followedRate)});
    if (run.followedFraming)
        notes.append({JobLine::Note, JobText::portFollowsFraming(*run.followedFraming)});
    return notes;
}

QStringList JobOutcome::texts(JobLine::Kind kind) const
{
    QStringList matching;
    for (const JobLine &line : lines) {
        if (line.kind == kind)
            matching.append(line.text);
    }
    return matching;
}

namespace JobOutcomes {

JobOutcome ofRun(const JobRequest &request, const RunOutcome &run, int startRate)
{
    return request.kind == JobKind::Write ? ofWriteRun(request, run, startRate) : ofReadingRun(request, run);
}

JobLine failure(RunResult result)
{
    switch (result) {
    case RunResult::NotEntered:
        return {JobLine::Problem, JobText::notEntered()};
    case RunResult::ExitRefused:
        return {JobLine::Problem, JobText::exitRefused()};
    case RunResult::PortClosed:
        return {JobLine::Problem, JobText::portClosed()};
    case RunResult::Interrupted:
        return {JobLine::Problem, JobText::interrupted()};
    default:
        return {JobLine::Problem, JobText::noAnswer()};
    }
}

JobOutcome ended(JobKind kind, JobStatus status, const JobLine &line)
{
    JobOutcome outcome;
    outcome.kind = kind;
    outcome.status = status;
    outcome.lines.append(line);
    return outcome;
}

} // namespace JobOutcomes
