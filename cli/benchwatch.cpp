#include "cli/benchwatch.h"

#include "cli/fleet.h"
#include "cli/report.h"
#include "logic/sessionclock.h"

BenchWatch::BenchWatch(const CliOptions &options, const PortOpener &opener, const QString &program, SessionClock &clock,
                       const std::function<QStringList()> &ports, QObject *parent)
    : QObject(parent)
    , options(options)
    , listPorts(ports)
    , fleet(new Fleet(options, opener, program, this))
    , scanTimer(clock.createTimer([this] { scan(); }))
{
    connect(fleet, &Fleet::finished, this, &BenchWatch::onModuleFinished);
}

BenchWatch::~BenchWatch() = default;

void BenchWatch::start()
{
    const QString where = options.portGlob.isEmpty() ? tr("the serial ports") : options.portGlob;
    QString text = tr("Waiting for modules on %1; Ctrl-C ends.").arg(where);
    if (!fleet->nextName().isEmpty())
        text += QLatin1Char(' ') + tr("Next name: %1.").arg(fleet->nextName());
    emit output(text);
    // What is plugged in already counts as new: the bench starts with it.
    scan();
}

void BenchWatch::scan()
{
    const QStringList ports = listPorts();
    const QSet<QString> now(ports.cbegin(), ports.cend());
    // A port that went is ready for the next module; a module pulled out in
    // the middle of its write is told as such.
    for (const QString &port : present - now) {
        done.remove(port);
        fleet->abandon(port);
    }
    for (const QString &port : ports) {
        if (present.contains(port) && !done.contains(port) && !fleet->isRunning(port))
            program(port);
    }
    present = now;
    scanTimer->start(scanIntervalMs);
}

void BenchWatch::program(const QString &port)
{
    done.insert(port);
    portWidth = qMax(portWidth, int(port.size()));
    const QString name = fleet->nextName();
    emit output(name.isEmpty() ? tr("%1  programming…").arg(port.leftJustified(portWidth))
                               : tr("%1  programming as %2…").arg(port.leftJustified(portWidth), name));
    fleet->add(port);
}

void BenchWatch::onModuleFinished(const PortResult &result)
{
    emit output(Report::moduleLine(result, portWidth));
    if (result.status != CliDone)
        emit message(QStringLiteral("\a")); // the technician may be looking at the next module
    if (ending) {
        if (fleet->isIdle())
            end();
        return;
    }
    if (!fleet->nextName().isEmpty() && fleet->isIdle())
        emit output(tr("Next name: %1.").arg(fleet->nextName()));
}

void BenchWatch::interrupt()
{
    if (ending)
        return;
    ending = true;
    scanTimer->stop();
    fleet->interrupt();
    if (fleet->isIdle())
        end();
}

void BenchWatch::end()
{
    const QList<PortResult> &results = fleet->results();
    emit output(results.isEmpty() ? tr("Bench ended: no module was programmed.")
                                  : tr("Bench ended: %1").arg(Report::summary(CliCommand::Bench, results)));
    emit finished(Report::worstStatus(results));
}
