#include "logic/benchoptions.h"

#include "logic/baudrates.h"
#include "logic/programmingrecord.h"

#include <QCommandLineParser>

namespace {

const char usage[] = "Usage:\n"
                     "  tarnowick-cli read   --port P [--baud N] [--search] [--json]\n"
                     "  tarnowick-cli save   FILE --port P [--baud N] [--search]\n"
                     "  tarnowick-cli write  FILE --port P [--baud N] [--search]\n"
                     "  tarnowick-cli search --port P\n"
                     "  tarnowick-cli check  FILE --port P [--baud N] [--search]\n"
                     "  tarnowick-cli history [--module SL]\n";

const QList<QPair<QString, BenchRequest::Command>> commands = {
    {QStringLiteral("read"), BenchRequest::Read},   {QStringLiteral("save"), BenchRequest::Save},
    {QStringLiteral("write"), BenchRequest::Write}, {QStringLiteral("search"), BenchRequest::Search},
    {QStringLiteral("check"), BenchRequest::Check}, {QStringLiteral("history"), BenchRequest::History},
};

BenchOptions invalid(const QString &text)
{
    BenchOptions options;
    options.outcome = BenchOptions::Invalid;
    options.text = text;
    return options;
}

} // namespace

BenchOptions parseBenchOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Reads, saves and writes the settings of an XBee 868 MHz module over a serial port, for benches that "
            "program many modules.\n\n%1\nExit status: 0 done, 1 the module did not do its part, 2 the command "
            "line, a file or the port is wrong.")
            .arg(QLatin1String(usage)));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The serial port of the module."),
                                  QStringLiteral("name"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("The module's UART rate (9600)."),
                                  QStringLiteral("rate"), QStringLiteral("9600"));
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("When the module does not answer, search the baud rates."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("read: one JSON object."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Print the serial dialogue."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      QStringLiteral("write: do not read back what was written."));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("The programming record to append to and to show (%1).").arg(ProgrammingLog::defaultPath()),
        QStringLiteral("file"));
    const QCommandLineOption module(QStringLiteral("module"),
                                    QStringLiteral("history: only the writes of the module with this SL."),
                                    QStringLiteral("SL"));
    parser.addOptions({help, version, port, baud, search, json, verbose, noVerify, log, module});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("read, save, write, search, check or history"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The profile file of save and write."));

    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    BenchOptions options;
    options.verbose = parser.isSet(verbose);
    if (parser.isSet(help)) {
        options.outcome = BenchOptions::ShowHelp;
        options.text = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.outcome = BenchOptions::ShowVersion;
        return options;
    }

    QStringList positional = parser.positionalArguments();
    const QString name = positional.isEmpty() ? QString() : positional.takeFirst();
    auto command = std::find_if(commands.cbegin(), commands.cend(), [&](const auto &c) { return c.first == name; });
    if (command == commands.cend())
        return invalid(name.isEmpty() ? QStringLiteral("No command given.\n%1").arg(QLatin1String(usage))
                                      : QStringLiteral("Unknown command %1.").arg(name));
    BenchRequest &request = options.request;
    request.command = command->second;
    const bool takesFile = request.command == BenchRequest::Save || request.command == BenchRequest::Write
        || request.command == BenchRequest::Check;
    if (positional.size() != (takesFile ? 1 : 0))
        return invalid(takesFile ? QStringLiteral("%1 needs one profile file.").arg(name)
                                 : QStringLiteral("%1 takes no file.").arg(name));
    request.logPath = parser.isSet(log) ? parser.value(log) : ProgrammingLog::defaultPath();
    request.moduleFilter = parser.value(module);
    request.verify = !parser.isSet(noVerify);
    if (request.command == BenchRequest::History)
        return options;
    if (!parser.isSet(port))
        return invalid(QStringLiteral("No port given: --port NAME."));
    request.port = parser.value(port);
    bool isNumber = false;
    request.baud = parser.value(baud).toInt(&isNumber);
    if (!isNumber || !BaudRates::selectable().contains(request.baud))
        return invalid(QStringLiteral("Not a baud rate: %1.").arg(parser.value(baud)));
    request.search = parser.isSet(search);
    request.json = parser.isSet(json);
    if (takesFile)
        request.file = positional.constFirst();
    if (request.command == BenchRequest::Write || request.command == BenchRequest::Check) {
        const ProfileReading reading = ProfileFile::read(request.file);
        if (!reading.problem.isEmpty())
            return invalid(QStringLiteral("%1: %2").arg(request.file, reading.problem));
        request.settings = reading.settings;
    }
    return options;
}
