#include "cli/porttask.h"

#include "logic/atstay.h"
#include "logic/commandsession.h"
#include "logic/jobtexts.h"
#include "logic/modulejob.h"

namespace {

JobKind jobKindOf(CliCommand command)
{
    switch (command) {
    case CliCommand::Save:
        return JobKind::Save;
    case CliCommand::Write:
    case CliCommand::Bench:
        return JobKind::Write;
    case CliCommand::Search:
        return JobKind::Search;
    case CliCommand::Check:
        return JobKind::Check;
    case CliCommand::Ports:
        return JobKind::Probe;
    case CliCommand::At:
        return JobKind::AtCommands;
    default:
        return JobKind::Read;
    }
}

QString portMemoryNote(const PortMemory::Uart &uart)
{
    return PortTask::tr("The module now runs at %1 baud, %2; later commands on this port use that.")
        .arg(uart.rate)
        .arg(uart.framing.text());
}

} // namespace

PortStart portStartFor(const CliOptions &options, const QString &portName)
{
    const std::optional<PortMemory::Uart> memory = PortMemory::recall(portName);
    PortStart start;
    start.uart = memory.value_or(PortMemory::Uart{});
    start.remembered = memory && (!options.baud || !options.parity || !options.stopBits);
    start.uart.rate = options.baud.value_or(start.uart.rate);
    start.uart.framing.parity = options.parity.value_or(start.uart.framing.parity);
    start.uart.framing.stopBits = options.stopBits.value_or(start.uart.framing.stopBits);
    return start;
}

int exitStatusOf(CliCommand command, JobStatus status)
{
    switch (status) {
    case JobStatus::Done:
        return CliDone;
    case JobStatus::BadRequest:
        return CliUsageError;
    case JobStatus::Interrupted:
        return CliInterrupted;
    case JobStatus::ModuleFailed:
        return command == CliCommand::Check ? CliNoAnswer : CliModuleFailed;
    case JobStatus::Differs:
    case JobStatus::Cancelled:
        break;
    }
    return CliModuleFailed;
}

QString PortResult::serial() const
{
    SettingValues identity;
    for (const auto &[command, reply] : outcome.run.replies)
        identity.insert(command, reply);
    if (outcome.readBack)
        identity.insert(outcome.readBack->module());
    const QString low = identity.value(QStringLiteral("SL"));
    if (low.isEmpty())
        return {};
    // SL has eight digits, so the two halves read as one number.
    return identity.value(QStringLiteral("SH")) + low.rightJustified(8, QLatin1Char('0'));
}

PortTask::PortTask(const QString &port, const CliOptions &options, const PortOpener &opener, const QString &program,
                   QObject *parent)
    : QObject(parent)
    , portName(port)
    , options(options)
    , opener(opener)
    , program(program)
{
}

PortTask::~PortTask() = default;

JobRequest PortTask::request() const
{
    JobRequest request;
    request.kind = jobKindOf(options.command);
    request.settings = options.settings;
    if (!nodeName.isEmpty())
        request.settings.insert(QStringLiteral("NI"), nodeName);
    request.file = options.file;
    request.verify = options.verify;
    // A probe and a bench find the module whatever rate it was left at.
    const bool search = options.search || options.command == CliCommand::Ports || options.command == CliCommand::Bench;
    request.search = search ? SearchPolicy::WhenUnanswered : SearchPolicy::Never;
    // Many ports probed at once share one search time.
    request.quickProbe = options.command == CliCommand::Ports;
    request.pacing = Pacing::ReplyDriven;
    request.logPath = options.logPath;
    request.recordRequired = true;
    request.program = program;
    request.port = portName;
    if (request.kind == JobKind::Write)
        request.profile = ProgrammingLog::profileOf(options.file);
    return request;
}

void PortTask::start()
{
    portStart = portStartFor(options, portName);
    QString problem;
    connection = opener(portName, portStart.uart, &problem);
    if (!connection) {
        PortResult result;
        result.outcome =
            JobOutcomes::ended(jobKindOf(options.command), JobStatus::BadRequest, {JobLine::Problem, problem});
        result.lines = result.outcome.lines;
        finish(result);
        return;
    }
    session = std::make_unique<CommandSession>(connection->modulePort(), connection->clock());
    session->setPortRate(portStart.uart.rate);
    session->setPortFraming(portStart.uart.framing);
    connection->attach(*session);
    startMs = connection->clock().nowMs();
    if (options.command == CliCommand::At) {
        startStay();
        return;
    }
    job = new ModuleJob(*session, request(), this);
    connect(job, &ModuleJob::progress, this, &PortTask::onProgress);
    connect(job, &ModuleJob::searchTrying, this,
            [this](int, int rate) { emit progress(tr("Searching: trying %1 baud…").arg(rate)); });
    connect(job, &ModuleJob::finished, this, &PortTask::onJobFinished);
    job->start();
}

void PortTask::startStay()
{
    stay = new AtStay(*session, {options.atCommands, options.force, options.logPath, program, portName}, this);
    connect(stay, &AtStay::finished, this, &PortTask::onJobFinished);
    stay->start();
}

void PortTask::interrupt()
{
    if (job)
        job->interrupt();
    if (stay)
        stay->interrupt();
}

void PortTask::abandon()
{
    if (job)
        job->abandon();
    if (stay && session->runUnderway())
        session->abandonRun();
}

void PortTask::onProgress(JobPhase phase, int done, int total)
{
    const QString verb = phase == JobPhase::Writing ? tr("Writing")
        : phase == JobPhase::ReadingBack            ? tr("Reading back")
                                                    : tr("Reading");
    emit progress(QStringLiteral("%1 %2/%3…").arg(verb).arg(done + 1).arg(total));
}

void PortTask::onJobFinished(const JobOutcome &outcome)
{
    emit progress(QString());
    PortResult result;
    result.outcome = outcome;
    result.seconds = (connection->clock().nowMs() - startMs) / 1000.0;
    result.baud = session->portRate();
    result.framing = session->framing();
    result.name = outcome.record ? outcome.record->written.value(QStringLiteral("NI")) : QString();
    // Where the port runs now matters to the next command, which the port's memory tells.
    const QList<JobLine> portNotes = outcome.portNotes();
    for (const JobLine &line : outcome.lines) {
        if (!portNotes.contains(line))
            result.lines.append(line);
    }
    if (outcome.foundRate || outcome.run.followedRate || outcome.run.followedFraming) {
        const PortMemory::Uart uart{session->portRate(), session->framing()};
        PortMemory::keep(portName, uart);
        result.lines.append({JobLine::Note, portMemoryNote(uart)});
    }
    const bool unanswered = outcome.status == JobStatus::ModuleFailed && !outcome.run.entered;
    if (unanswered && portStart.remembered)
        result.lines.append({JobLine::Note,
                             tr("Tried %1 baud, %2, as this port's module was last left; --baud, "
                                "--parity and --stop-bits choose others.")
                                 .arg(portStart.uart.rate)
                                 .arg(portStart.uart.framing.text())});
    connection->finish(*session);
    finish(result);
}

void PortTask::finish(PortResult result)
{
    result.port = portName;
    result.command = options.command;
    result.verify = options.verify;
    result.status = exitStatusOf(options.command, result.outcome.status);
    emit finished(result);
}
