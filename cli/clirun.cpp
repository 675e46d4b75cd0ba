#include "cli/clirun.h"

#include "logic/commandsession.h"
#include "logic/jobtexts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

JobKind jobKindOf(CliCommand command)
{
    switch (command) {
    case CliCommand::Save:
        return JobKind::Save;
    case CliCommand::Write:
        return JobKind::Write;
    case CliCommand::Search:
        return JobKind::Search;
    case CliCommand::Check:
        return JobKind::Check;
    default:
        return JobKind::Read;
    }
}

QString portMemoryNote(const PortMemory::Uart &uart)
{
    return CliRun::tr("The module now runs at %1 baud, %2; later commands on this port use that.")
        .arg(uart.rate)
        .arg(uart.framing.text());
}

} // namespace

PortStart portStartFor(const CliOptions &options)
{
    const std::optional<PortMemory::Uart> memory = PortMemory::recall(options.port);
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

CliRun::CliRun(CommandSession &session, const CliOptions &options, const PortStart &start, const QString &program,
               QObject *parent)
    : QObject(parent)
    , session(session)
    , options(options)
    , portStart(start)
    , program(program)
{
}

JobRequest CliRun::request() const
{
    JobRequest request;
    request.kind = jobKindOf(options.command);
    request.settings = options.settings;
    request.file = options.file;
    request.verify = options.verify;
    request.search = options.search ? SearchPolicy::WhenUnanswered : SearchPolicy::Never;
    request.pacing = Pacing::ReplyDriven;
    request.logPath = options.logPath;
    request.recordRequired = true;
    request.program = program;
    request.port = options.port;
    if (request.kind == JobKind::Write)
        request.profile = ProgrammingLog::profileOf(options.file);
    return request;
}

void CliRun::start()
{
    job = new ModuleJob(session, request(), this);
    connect(job, &ModuleJob::progress, this, &CliRun::onProgress);
    connect(job, &ModuleJob::searchTrying, this,
            [this](int, int rate) { emit progress(tr("Searching: trying %1 baud…").arg(rate)); });
    connect(job, &ModuleJob::finished, this, &CliRun::onFinished);
    job->start();
}

void CliRun::interrupt()
{
    if (job)
        job->interrupt();
}

void CliRun::onProgress(JobPhase phase, int done, int total)
{
    const QString verb = phase == JobPhase::Writing ? tr("Writing")
        : phase == JobPhase::ReadingBack            ? tr("Reading back")
                                                    : tr("Reading");
    emit progress(QStringLiteral("%1 %2/%3…").arg(verb).arg(done + 1).arg(total));
}

void CliRun::onFinished(const JobOutcome &outcome)
{
    emit progress(QString());
    if (outcome.kind == JobKind::Read && outcome.status == JobStatus::Done)
        printValues(outcome);
    // Where the port runs now matters to the next command, which the port's memory tells.
    const QList<JobLine> portNotes = outcome.portNotes();
    for (const JobLine &line : outcome.lines) {
        if (portNotes.contains(line))
            continue;
        if (line.kind == JobLine::Result)
            emit output(line.text);
        else
            emit message(line.text);
    }
    rememberUart(outcome);
    const bool unanswered = outcome.status == JobStatus::ModuleFailed && !outcome.run.entered;
    if (unanswered && portStart.remembered)
        emit message(tr("Tried %1 baud, %2, as this port's module was last left; --baud, --parity and --stop-bits "
                        "choose others.")
                         .arg(portStart.uart.rate)
                         .arg(portStart.uart.framing.text()));
    emit finished(exitStatusOf(options.command, outcome.status));
}

void CliRun::printValues(const JobOutcome &outcome)
{
    const QList<QPair<QString, QString>> &replies = outcome.run.replies;
    if (!options.json) {
        for (const auto &[command, reply] : replies)
            emit output(command + QLatin1Char('=') + reply);
        return;
    }
    QStringList values;
    for (const auto &[command, reply] : replies)
        values.append(jsonString(command) + QLatin1String(": ") + jsonString(reply));
    emit output(QStringLiteral("{\"port\": %1, \"baud\": %2, \"values\": {%3}}")
                    .arg(jsonString(options.port))
                    .arg(session.portRate())
                    .arg(values.join(QLatin1String(", "))));
}

void CliRun::rememberUart(const JobOutcome &outcome)
{
    const bool moved = outcome.foundRate || outcome.run.followedRate || outcome.run.followedFraming;
    if (!moved)
        return;
    const PortMemory::Uart uart{session.portRate(), session.framing()};
    PortMemory::keep(options.port, uart);
    emit message(portMemoryNote(uart));
}
