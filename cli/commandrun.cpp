#include "cli/commandrun.h"

#include "cli/fleet.h"
#include "cli/report.h"

CommandRun::CommandRun(const CliOptions &options, const PortOpener &opener, const QString &program,
                       const std::function<QStringList()> &ports, QObject *parent)
    : QObject(parent)
    , options(options)
    , opener(opener)
    , program(program)
    , listPorts(ports)
{
}

void CommandRun::start()
{
    if (options.allPorts)
        startProbe();
    else if (options.ports.size() == 1)
        startSinglePort();
    else
        startOn(options.ports);
}

void CommandRun::interrupt()
{
    interrupted = true;
    for (Fleet *running : {probe, fleet}) {
        if (running)
            running->interrupt();
    }
}

void CommandRun::startSinglePort()
{
    fleet = new Fleet(options, opener, program, this);
    connect(fleet, &Fleet::progress, this, [this](const QString &, const QString &text) { emit progress(text); });
    connect(fleet, &Fleet::finished, this, [this](const PortResult &result) {
        const Report::Lines lines = Report::ofSinglePort(result, options.json);
        for (const QString &line : lines.out)
            emit output(line);
        for (const QString &line : lines.err)
            emit message(line);
        emit finished(result.status);
    });
    fleet->add(options.ports.constFirst());
}

void CommandRun::startProbe()
{
    // Every port is asked who is there, side by side; the command then goes to those that answered.
    CliOptions asking = options;
    asking.command = CliCommand::Ports;
    asking.namePattern.clear();
    probe = new Fleet(asking, opener, program, this);
    const QStringList candidates = listPorts();
    connect(probe, &Fleet::finished, this, [this, candidates] {
        if (adding || !probe->isIdle())
            return;
        QStringList answering;
        for (const PortResult &result : probe->results()) {
            if (result.status == CliDone)
                answering.append(result.port);
        }
        std::sort(answering.begin(), answering.end());
        if (interrupted) {
            emit finished(CliInterrupted);
        } else if (answering.isEmpty()) {
            emit message(tr("No module answered on any port (%1 tried).").arg(candidates.size()));
            emit finished(options.command == CliCommand::Check ? CliNoAnswer : CliModuleFailed);
        } else {
            startOn(answering);
        }
    });
    if (candidates.isEmpty()) {
        emit message(tr("No serial port found."));
        emit finished(CliUsageError);
        return;
    }
    addAll(probe, candidates);
}

void CommandRun::addAll(Fleet *to, const QStringList &ports)
{
    // A port that cannot be opened ends at once; the last one to end must be the last one added.
    adding = true;
    for (const QString &port : ports.mid(0, ports.size() - 1))
        to->add(port);
    adding = false;
    to->add(ports.constLast());
}

void CommandRun::startOn(const QStringList &ports)
{
    for (const QString &port : ports)
        portWidth = qMax(portWidth, int(port.size()));
    fleet = new Fleet(options, opener, program, this);
    connect(fleet, &Fleet::finished, this, &CommandRun::onModuleFinished);
    addAll(fleet, ports);
}

void CommandRun::onModuleFinished(const PortResult &result)
{
    emit output(options.json ? Report::moduleJson(result) : Report::moduleLine(result, portWidth));
    if (adding || !fleet->isIdle())
        return;
    const QList<PortResult> &results = fleet->results();
    emit output(options.json ? Report::summaryJson(options.command, results)
                             : Report::summary(options.command, results));
    emit finished(Report::worstStatus(results));
}
