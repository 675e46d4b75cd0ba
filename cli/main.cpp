// tarnowick-cli: the module's settings from a script, without a display.
#include "buildrevision.h"
#include "cli/serialline.h"
#include "logic/benchoptions.h"
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

void print(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", qUtf8Printable(line));
    std::fflush(stream);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    const BenchOptions options = parseBenchOptions(QCoreApplication::arguments());
    switch (options.outcome) {
    case BenchOptions::ShowHelp:
        std::fputs(qUtf8Printable(options.text), stdout);
        return BenchDone;
    case BenchOptions::ShowVersion:
        print(stdout,
              QStringLiteral("tarnowick-cli %1 (%2)")
                  .arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION)));
        return BenchDone;
    case BenchOptions::Invalid:
        print(stderr, QStringLiteral("tarnowick-cli: %1").arg(options.text));
        return BenchUsageError;
    case BenchOptions::Run:
        break;
    }
    if (options.verbose)
        Logging::enableVerbose();

    BenchRequest request = options.request;
    request.program = QStringLiteral("tarnowick-cli %1 (%2)")
                          .arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION));
    if (request.command == BenchRequest::History) {
        return printHistory(
            request, [](const QString &text) { print(stdout, text); },
            [](const QString &text) { print(stderr, text); });
    }
    QSerialPort port(request.port);
    port.setBaudRate(request.baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        print(stderr, QStringLiteral("Cannot open %1: %2").arg(request.port, port.errorString()));
        return BenchUsageError;
    }

    SerialLine line(port);
    SteadyClock clock;
    CommandSession session(line, clock);
    line.attach(&session);
    session.setPortRate(request.baud);
    LineMemory::recall(request.port, session);
    BenchJob job(session, request);

    const bool showProgress = stderrIsTerminal();
    QObject::connect(&job, &BenchJob::output, [](const QString &text) { print(stdout, text); });
    QObject::connect(&job, &BenchJob::message, [](const QString &text) { print(stderr, text); });
    QObject::connect(&line, &SerialLine::framingRefused, [](const QString &text) { print(stderr, text); });
    QObject::connect(&job, &BenchJob::progress, [showProgress](const QString &text) {
        // One line, rewritten in place, and wiped when done.
        if (showProgress)
            std::fprintf(stderr, "\r\033[K%s", qUtf8Printable(text));
    });
    QObject::connect(&job, &BenchJob::finished, &app, [&](int status) {
        line.drain();
        LineMemory::keep(request.port, session);
        QCoreApplication::exit(status);
    });
    job.start();
    return app.exec();
}
