#ifndef CLIRUN_H
#define CLIRUN_H

#include "cli/clioptions.h"
#include "logic/modulejob.h"
#include "logic/portmemory.h"

#include <QObject>

class CommandSession;

// The rate and framing a command opens its port with: given on the command
// line, else what the port's module was left at, else 9600 8N1.
struct PortStart
{
    PortMemory::Uart uart;
    bool remembered = false; // some of it came from the port's memory
};

PortStart portStartFor(const CliOptions &options);

// Exit statuses of tarnowick-cli.
enum CliStatus { CliDone = 0, CliModuleFailed = 1, CliUsageError = 2, CliNoAnswer = 3, CliInterrupted = 130 };

int exitStatusOf(CliCommand command, JobStatus status);

// One command of tarnowick-cli on the session of its port: the job, what it
// prints (results on standard output, notes and problems on standard
// error), the port's memory, and the exit status.
class CliRun : public QObject
{
    Q_OBJECT

public:
    CliRun(CommandSession &session, const CliOptions &options, const PortStart &start, const QString &program,
           QObject *parent = nullptr);

    void start();
    // Ctrl-C, SIGTERM or SIGHUP: the job stops and says what it left behind.
    void interrupt();

signals:
    void output(const QString &line);
    void message(const QString &line);
    void progress(const QString &text); // "Reading 12/20…"; empty when done
    void finished(int status);

private:
    JobRequest request() const;
    void onProgress(JobPhase phase, int done, int total);
    void onFinished(const JobOutcome &outcome);
    void printValues(const JobOutcome &outcome);
    void rememberUart(const JobOutcome &outcome);

    CommandSession &session;
    CliOptions options;
    PortStart portStart;
    QString program;
    ModuleJob *job = nullptr;
};

#endif // CLIRUN_H
