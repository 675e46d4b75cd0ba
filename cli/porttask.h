#ifndef PORTTASK_H
#define PORTTASK_H

#include "cli/clioptions.h"
#include "cli/portconnection.h"
#include "logic/joboutcome.h"

#include <QObject>

#include <memory>

class AtStay;
class CommandSession;
class ModuleJob;
enum class JobPhase;

// The rate and framing a command opens a port with: given on the command
// line, else what the port's module was left at, else 9600 8N1.
struct PortStart
{
    PortMemory::Uart uart;
    bool remembered = false; // some of it came from the port's memory
};

PortStart portStartFor(const CliOptions &options, const QString &portName);

// Exit statuses of tarnowick-cli; several ports exit with the highest.
enum CliStatus { CliDone = 0, CliModuleFailed = 1, CliUsageError = 2, CliNoAnswer = 3, CliInterrupted = 130 };

int exitStatusOf(CliCommand command, JobStatus status);

// How one port's job ended, with all there is to say about it.
struct PortResult
{
    QString port;
    CliCommand command = CliCommand::Read;
    JobOutcome outcome; // a port that could not be opened: BadRequest, the reason its line
    int status = CliDone;
    double seconds = 0;
    int baud = 0; // the rate and framing the port ended at
    Framing framing;
    bool verify = true;   // a write was to be read back
    QString name;         // the node identifier the write gave
    QList<JobLine> lines; // the outcome's, then what the port's memory says; in order

    // SH and SL as the module answered them; empty when it did not.
    QString serial() const;
};

// One command of tarnowick-cli on one port: opens it, runs the job on a
// session of its own, keeps what the module was left at in the port's
// memory, and ends with a PortResult.
class PortTask : public QObject
{
    Q_OBJECT

public:
    PortTask(const QString &port, const CliOptions &options, const PortOpener &opener, const QString &program,
             QObject *parent = nullptr);
    ~PortTask() override;

    const QString &port() const { return portName; }
    // The node identifier this module is to be given (bench and --name).
    void setName(const QString &name) { nodeName = name; }
    // finished() may come before this returns (a port that does not open).
    void start();
    // Ctrl-C, SIGTERM or SIGHUP: the job stops and says what it left behind.
    void interrupt();
    // The port went away: the job ends where it stands, a write recorded.
    void abandon();

signals:
    void progress(const QString &text); // "Reading 12/20…"; empty when done
    void finished(const PortResult &result);

private:
    JobRequest request() const;
    void startStay(); // at: typed commands instead of a job
    void onProgress(JobPhase phase, int done, int total);
    void onJobFinished(const JobOutcome &outcome);
    void finish(PortResult result);

    QString portName;
    CliOptions options;
    PortOpener opener;
    QString program;
    QString nodeName;
    PortStart portStart;
    std::unique_ptr<PortConnection> connection;
    std::unique_ptr<CommandSession> session;
    ModuleJob *job = nullptr;
    AtStay *stay = nullptr;
    qint64 startMs = 0;
};

#endif // PORTTASK_H
