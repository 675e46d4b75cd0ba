#ifndef MODULEJOB_H
#define MODULEJOB_H

#include "logic/joboutcome.h"

#include <QObject>

class CommandSession;

// Which part of a job an entry belongs to, for whoever shows progress.
enum class JobPhase { Reading, Writing, ReadingBack };

// One job on a module through its command-mode session — a read, a save to
// a profile, a write of settings with its read-back and record, a check
// against a profile, or a search for the module's rate — from its checks to
// the outcome both the window and tarnowick-cli present. A module that does
// not answer is searched for if the request says so, and the job goes on
// at the rate found. One job at a time on a session.
class ModuleJob : public QObject
{
    Q_OBJECT

public:
    ModuleJob(CommandSession &session, const JobRequest &request, QObject *parent = nullptr);
    ~ModuleJob() override;

    const JobRequest &request() const { return req; }
    bool isFinished() const { return done; }

    // Checks the request first: a write that could not end well stops before "+++".
    void start();
    // A signal or the user stops it: no further entry, command mode left,
    // a write that reached command mode recorded as interrupted.
    void interrupt();
    // The user's Cancel of a search: back to the rate it started from.
    void cancel();
    // The port closes: the job ends where it stands, a write is recorded.
    void abandon();

signals:
    void progress(JobPhase phase, int done, int total);
    void replyReceived(const QString &entry, const QString &reply);
    void searchTrying(int attempt, int rate, bool slowPass);
    void searchFound(int rate);
    void finished(const JobOutcome &outcome);

private:
    QString problemBeforeWrite() const;
    void startRun();
    void startSearch();
    bool searchInstead(const RunOutcome &run);
    void onRunFinished(const RunOutcome &run);
    void onEntrySent(int index, int total);
    void onSearchFound(int rate);
    void onSearchExhausted();
    void saveProfile(JobOutcome &outcome) const;
    void appendRecord(JobOutcome &outcome) const;
    void finish(JobOutcome outcome);

    CommandSession &session;
    JobRequest req;
    QList<QMetaObject::Connection> connections;
    QList<JobLine> notes; // said on the way, before the outcome
    int writeEntries = 0; // the entries of a write run before its read-back
    int startRate = 0;
    std::optional<int> foundRate;
    bool searched = false;
    bool done = false;
};

#endif // MODULEJOB_H
