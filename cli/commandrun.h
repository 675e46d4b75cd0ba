#ifndef COMMANDRUN_H
#define COMMANDRUN_H

#include "cli/portconnection.h"
#include "cli/porttask.h"

#include <QObject>

class Fleet;

// One invocation of read, save, write, search or check: on one port as it
// always was, or on several side by side (--port more than once, or
// --all-ports: every port where a probe finds a module) with a line per
// module as it ends and a summary. Results go to output, notes and
// problems to message; finished() carries the exit status, the worst of
// all ports.
class CommandRun : public QObject
{
    Q_OBJECT

public:
    // ports lists the ports --all-ports considers.
    CommandRun(const CliOptions &options, const PortOpener &opener, const QString &program,
               const std::function<QStringList()> &ports, QObject *parent = nullptr);

    void start();
    void interrupt();

signals:
    void output(const QString &line);
    void message(const QString &line);
    void progress(const QString &text);
    void finished(int status);

private:
    void startSinglePort();
    void startProbe();
    void startOn(const QStringList &ports);
    void addAll(Fleet *to, const QStringList &ports);
    void onModuleFinished(const PortResult &result);

    CliOptions options;
    PortOpener opener;
    QString program;
    std::function<QStringList()> listPorts;
    Fleet *fleet = nullptr;
    Fleet *probe = nullptr;
    int portWidth = 0;
    bool interrupted = false;
    bool adding = false;
};

#endif // COMMANDRUN_H
