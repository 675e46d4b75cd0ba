#ifndef JOBOUTCOME_H
#define JOBOUTCOME_H

#include "logic/commandsession.h"
#include "logic/profilefile.h"
#include "logic/programmingrecord.h"
#include "logic/readback.h"

#include <optional>

// What a job on a module is asked to do. A probe asks who the module is; the
// commands of a stay are typed ones (tarnowick-cli at, the console).
enum class JobKind { Read, Save, Write, Check, Search, Probe, AtCommands };

// When a module that does not answer is searched for at the other rates.
enum class SearchPolicy {
    Never,
    WhenUnanswered, // then the job goes on at the rate found
    First,          // the user asked for it after a job found nobody
};

struct JobRequest
{
    JobKind kind = JobKind::Read;
    SettingValues settings; // write: what to write; check: the profile's settings
    QString file;           // save: where to
    bool verify = true;     // write: read back what was written
    SearchPolicy search = SearchPolicy::Never;
    // Many ports probed side by side share one search time: the search comes
    // first, from the port's rate, without the slow pass for long guard times.
    bool quickProbe = false;
    Pacing pacing = Pacing::ReplyDriven;
    // The programming record of a write; empty logPath: none.
    QString logPath;
    bool recordRequired = false; // refuse a write before "+++" when the record cannot be appended
    QString program;             // "tarnowick-cli 1.0.1 (82db844)"
    QString port;
    std::optional<ProgrammingRecord::Profile> profile; // the profile the settings came from, unchanged
};

enum class JobStatus {
    Done,
    Differs,      // check: the module holds other values than the profile
    ModuleFailed, // the module did not do its part, or the write went unrecorded
    BadRequest,   // cannot be served as asked (a framing the port cannot run, a file): nothing was sent
    Interrupted,
    Cancelled, // the user's Cancel of a search
};

// One line of what a job says: its result, a note on the way, or a problem.
struct JobLine
{
    enum Kind { Result, Note, Problem };
    Kind kind = Result;
    QString text;

    bool operator==(const JobLine &other) const { return kind == other.kind && text == other.text; }
};

// A line of typed commands in a stay ("ATNI GATE-WEST") and the module's
// reply lines to it; a line never sent (after an "ERROR") has none.
struct TypedCommand
{
    QString line;
    bool sent = false;
    QStringList replies;
};

// How a job ended, as both the window and tarnowick-cli present it.
struct JobOutcome
{
    JobKind kind = JobKind::Read;
    JobStatus status = JobStatus::Done;
    RunOutcome run;               // the last run: its replies, the rate and framing it left the port at
    std::optional<int> foundRate; // a search found the module here
    SettingValues values;         // read, save and check: the module's settings as the fields hold them
    QStringList differing;        // check: the commands that differ from the profile
    std::optional<ReadBack> readBack;
    std::optional<ProgrammingRecord> record; // a write that reached command mode
    int settingsSent = 0;                    // write: settings the module acknowledged, WR not counted
    int settingsTotal = 0;                   // write: settings it was to be given
    QList<TypedCommand> typed;               // AtCommands: every line given, in order
    QList<JobLine> lines;

    QStringList texts(JobLine::Kind kind) const;
    // The port followed a written BD, NB or SB: where it runs now.
    QList<JobLine> portNotes() const;
};

namespace JobOutcomes {

// The outcome of a finished run for the request; the record of a write is
// built, not yet appended.
JobOutcome ofRun(const JobRequest &request, const RunOutcome &run, int startRate);

// A job that stops before anything is sent, or ends without a run.
JobOutcome ended(JobKind kind, JobStatus status, const JobLine &line);

// What a run that did not end well says, in the words of every job.
JobLine failure(RunResult result);

} // namespace JobOutcomes

#endif // JOBOUTCOME_H
