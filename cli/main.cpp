// tarnowick-cli: the module's settings from a script, without a display.
#include "buildrevision.h"
#include "cli/benchwatch.h"
#include "cli/clioptions.h"
#include "cli/commandrun.h"
#include "cli/history.h"
#include "cli/interrupts.h"
#include "cli/portlisting.h"
#include "cli/portsrun.h"
#include "cli/serialconnection.h"
#include "logic/logging.h"
#include "logic/sessionclock.h"

#include <QCoreApplication>

#include <cstdio>
#include <type_traits>

#ifdef Q_OS_WIN
#include <io.h>
#define stderrIsTerminal() (_isatty(_fileno(stderr)) != 0)
#else
#include <unistd.h>
#define stderrIsTerminal() (isatty(fileno(stderr)) != 0)
#endif

namespace {

bool verbose = false;

void print(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(line));
    std::fflush(stream);
}

// Qt's own warnings ("QDir::mkpath: Empty or null file name") mean nothing
// to a bench script; the reason reaches stderr in the program's words.
void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool ours = context.category && QByteArray(context.category).startsWith("tarnowick");
    if (verbose || (ours && type != QtDebugMsg))
        print(stderr, text);
}

QString programName()
{
    return QStringLiteral("tarnowick-cli %1 (%2)")
        .arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION));
}

// Runs one of the commands that reach modules until it finishes; its exit status.
template<typename Run> int runUntilFinished(QCoreApplication &app, Run &run)
{
    Interrupts interrupts;
    const bool showProgress = stderrIsTerminal();
    QObject::connect(&run, &Run::output, [](const QString &text) { print(stdout, text); });
    QObject::connect(&run, &Run::message, [](const QString &text) { print(stderr, text); });
    if constexpr (std::is_same_v<Run, CommandRun>) {
        QObject::connect(&run, &CommandRun::progress, [showProgress](const QString &text) {
            // One line, rewritten in place, and wiped when done.
            if (showProgress)
                std::fprintf(stderr, "\r\033[K%s", qUtf8Printable(text));
        });
    }
    QObject::connect(&interrupts, &Interrupts::interrupted, &run, &Run::interrupt);
    // Queued: a port that does not open ends the run before the event loop has begun.
    QObject::connect(
        &run, &Run::finished, &app, [](int status) { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    run.start();
    return app.exec();
}

int runCommand(QCoreApplication &app, const CliOptions &options)
{
    SteadyClock clock;
    const PortOpener opener = serialPortOpener(clock);
    switch (options.command) {
    case CliCommand::Ports: {
        PortsRun run(options, opener, listPorts(options.portGlob));
        return runUntilFinished(app, run);
    }
    case CliCommand::Bench: {
        // Given a pattern, the bench watches only those ports: a GPS on the next ttyUSB is left alone.
        const QString glob = options.portGlob;
        const auto ports = [glob] { return glob.isEmpty() ? portDevices(QString()) : globbedPaths(glob); };
        BenchWatch run(options, opener, programName(), clock, ports);
        return runUntilFinished(app, run);
    }
    default: {
        const QString glob = options.portGlob;
        CommandRun run(options, opener, programName(), [glob] { return portDevices(glob); });
        return runUntilFinished(app, run);
    }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    qInstallMessageHandler(handleMessage);
    const CliOptions options = parseCliOptions(QCoreApplication::arguments());
    switch (options.outcome) {
    case CliOptions::ShowHelp:
        std::fputs(qUtf8Printable(options.text), stdout);
        return CliDone;
    case CliOptions::ShowVersion:
        print(stdout, programName());
        return CliDone;
    case CliOptions::Invalid:
        print(stderr, QStringLiteral("tarnowick-cli: %1").arg(options.text));
        return CliUsageError;
    case CliOptions::Run:
        break;
    }
    verbose = options.verbose;
    if (verbose)
        Logging::enableVerbose();
    if (options.command == CliCommand::History) {
        return printHistory(
            options, [](const QString &text) { print(stdout, text); },
            [](const QString &text) { print(stderr, text); });
    }
    return runCommand(app, options);
}
