// tarnowick-cli: the module's settings from a script, without a display.
#include "buildrevision.h"
#include "cli/clioptions.h"
#include "cli/clirun.h"
#include "cli/history.h"
#include "cli/interrupts.h"
#include "cli/serialline.h"
#include "logic/commandsession.h"
#include "logic/linememory.h"
#include "logic/logging.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

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

int runOnPort(QCoreApplication &app, const CliOptions &options)
{
    Interrupts interrupts;
    const PortStart start = portStartFor(options);
    QSerialPort port(options.port);
    if (const QString problem = SerialLine::open(port, start.uart.rate, start.uart.framing); !problem.isEmpty()) {
        print(stderr, problem);
        return CliUsageError;
    }
    SerialLine line(port);
    SteadyClock clock;
    CommandSession session(line, clock);
    line.attach(&session);
    session.setPortRate(start.uart.rate);
    session.setPortFraming(start.uart.framing);
    LineMemory::recall(options.port, session.line());
    CliRun run(session, options, start, programName());

    const bool showProgress = stderrIsTerminal();
    QObject::connect(&run, &CliRun::output, [](const QString &text) { print(stdout, text); });
    QObject::connect(&run, &CliRun::message, [](const QString &text) { print(stderr, text); });
    QObject::connect(&line, &SerialLine::framingRefused, [](const QString &text) { print(stderr, text); });
    QObject::connect(&run, &CliRun::progress, [showProgress](const QString &text) {
        // One line, rewritten in place, and wiped when done.
        if (showProgress)
            std::fprintf(stderr, "\r\033[K%s", qUtf8Printable(text));
    });
    QObject::connect(&interrupts, &Interrupts::interrupted, &run, &CliRun::interrupt);
    QObject::connect(&run, &CliRun::finished, &app, [&](int status) {
        line.drain();
        LineMemory::keep(options.port, session.line());
        QCoreApplication::exit(status);
    });
    run.start();
    return app.exec();
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
    return runOnPort(app, options);
}
