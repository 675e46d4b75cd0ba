// tarnowick-module-sim: XBee 868 modules on pseudo-terminals, for developing,
// testing and demonstrating Tarnowick without a module on the desk.

#include "controlinput.h"
#include "debuglog.h"
#include "signalwatcher.h"
#include "simoptions.h"
#include "simulator.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

constexpr int ExitStartFailed = 1;
constexpr int ExitBadOption = 2;

void printError(const QString &text)
{
    std::fprintf(stderr, "tarnowick-module-sim: %s\n", qPrintable(text));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnowick-module-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    SimOptions options;
    QString message;
    switch (parseSimOptions(QCoreApplication::arguments(), &options, &message)) {
    case OptionsOutcome::ShowHelp:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case OptionsOutcome::ShowVersion:
        std::printf("tarnowick-module-sim %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    case OptionsOutcome::Invalid:
        printError(message);
        std::fputs("Try \"tarnowick-module-sim --help\".\n", stderr);
        return ExitBadOption;
    case OptionsOutcome::Run:
        break;
    }
    setVerboseLogging(options.verbose);

    SignalWatcher signalWatcher;
    QString error;
    if (!signalWatcher.install(&error)) {
        printError(error);
        return ExitStartFailed;
    }
    Simulator simulator(options);
    if (!simulator.start(&error)) {
        printError(error);
        return ExitStartFailed;
    }
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);

    // Whoever started the simulator waits for these lines: one per module
    // plugged in.
    for (const QString &path : simulator.devicePaths())
        std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    ControlInput controlInput;
    QObject::connect(&controlInput, &ControlInput::lineReceived, &simulator, &Simulator::runControlLine);
    controlInput.start();
    return QCoreApplication::exec();
}
