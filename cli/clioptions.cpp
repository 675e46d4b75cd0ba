#include "cli/clioptions.h"

#include "logic/baudrates.h"
#include "logic/programmingrecord.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

const QString framingUsage = QStringLiteral("[--baud N] [--parity none|even|odd] [--stop-bits 1|2]");

struct CommandSpec
{
    QString name;
    CliCommand command;
    QString usage;   // after the command's name
    QString summary; // what it does
    QStringList options;
    bool takesFile;
};

const QList<CommandSpec> &specs()
{
    static const QStringList port = {"port", "baud", "parity", "stop-bits"};
    static const QList<CommandSpec> list = {
        {"read", CliCommand::Read, QStringLiteral("--port P %1 [--search] [--json]").arg(framingUsage),
         "Reads every setting of the module and prints one XX=value per line (--json: one object).",
         port + QStringList{"search", "json"}, false},
        {"save", CliCommand::Save, QStringLiteral("FILE --port P %1 [--search]").arg(framingUsage),
         "Reads the module and saves its settings as a profile file.", port + QStringList{"search"}, true},
        {"write", CliCommand::Write,
         QStringLiteral("FILE --port P %1 [--search] [--no-verify] [--log FILE]").arg(framingUsage),
         "Writes a profile's settings and WR, reads them back in the same stay and records the write.",
         port + QStringList{"search", "no-verify", "log"}, true},
        {"search",
         CliCommand::Search,
         QStringLiteral("--port P [--parity none|even|odd] [--stop-bits 1|2]"),
         "Finds the rate the module's UART runs at.",
         {"port", "parity", "stop-bits"},
         false},
        {"check", CliCommand::Check, QStringLiteral("FILE --port P %1 [--search]").arg(framingUsage),
         "Compares the module with a profile without writing anything: exit status 0 the same, 1 it differs, 3 "
         "the module did not answer.",
         port + QStringList{"search"}, true},
        {"history",
         CliCommand::History,
         QStringLiteral("[--module SERIAL] [--log FILE]"),
         "Prints the programming record, one line per write.",
         {"module", "log"},
         false},
    };
    return list;
}

QString usage()
{
    QString text = QStringLiteral("Usage:\n");
    for (const CommandSpec &spec : specs())
        text += QStringLiteral("  tarnowick-cli %1 %2\n").arg(spec.name.leftJustified(7), spec.usage);
    return text;
}

QString description(const CommandSpec *spec)
{
    if (spec)
        return QStringLiteral("Usage: tarnowick-cli %1 %2\n\n%3").arg(spec->name, spec->usage, spec->summary);
    return QStringLiteral(
               "Reads, saves and writes the settings of an XBee 868 MHz module over a serial port, for benches that "
               "program many modules.\n\n%1\n"
               "The rate, parity and stop bits a write or a search leaves the module at are remembered: later "
               "commands on this port use them; --baud, --parity and --stop-bits given on the command line win.\n"
               "Ctrl-C (or SIGTERM, SIGHUP) stops a write between two settings: the module leaves command mode, "
               "nothing more is stored, the record says what was sent; a second one ends at once.\n\n"
               "Exit status: 0 done; 1 the module did not do its part (or, for check, differs from the profile); 2 "
               "the command line, a file or the port is wrong; 3 check: the module did not answer; 130 "
               "interrupted.")
        .arg(usage());
}

CliOptions invalid(const QString &text)
{
    CliOptions options;
    options.outcome = CliOptions::Invalid;
    options.text = text;
    return options;
}

QList<QCommandLineOption> allOptions()
{
    return {
        {{"h", "help"}, "Show this help."},
        {"version", "Show the version."},
        {"verbose", "Print the serial dialogue."},
        {"port", "The serial port of the module.", "name"},
        {"baud", "The module's UART rate (9600, or what the port's module was left at).", "rate"},
        {"parity", "The module's parity: none, even or odd (NB).", "parity"},
        {"stop-bits", "The module's stop bits: 1 or 2 (SB).", "bits"},
        {"search", "When the module does not answer, search the baud rates."},
        {"json", "Print one JSON object."},
        {"no-verify", "Do not read back what was written (SH, SL and VR are still asked for the record)."},
        {"log", QStringLiteral("The programming record (%1).").arg(ProgrammingLog::defaultPath()), "file"},
        {"module", "Only the writes of this module: its SL, or SH and SL as history prints them.", "serial"},
    };
}

// The parser with the options a command takes (all of them before the command is known).
void describe(QCommandLineParser &parser, const CommandSpec *spec)
{
    parser.setApplicationDescription(description(spec));
    for (const QCommandLineOption &option : allOptions()) {
        const QString name = option.names().constLast();
        const bool always = name == "help" || name == "version" || name == "verbose";
        if (!spec || always || spec->options.contains(name))
            parser.addOption(option);
    }
    if (!spec) {
        parser.addPositionalArgument("command", "read, save, write, search, check or history");
        parser.addPositionalArgument("file", "The profile file of save, write and check.");
    } else if (spec->takesFile) {
        parser.addPositionalArgument("file", "The profile file.");
    }
}

const CommandSpec *findSpec(const QString &name)
{
    for (const CommandSpec &spec : specs()) {
        if (spec.name == name)
            return &spec;
    }
    return nullptr;
}

std::optional<int> choice(const QString &value, const QStringList &names)
{
    const qsizetype index = names.indexOf(value.toLower());
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}

QString portPath(const QString &name)
{
    // A name with a folder in it is a path; a bare one (ttyUSB0, COM3) is the system's to resolve.
    if (name.contains(QLatin1Char('/')) && QDir::isRelativePath(name))
        return QDir::current().absoluteFilePath(name);
    return name;
}

QString checkOptions(const QCommandLineParser &parser, const CommandSpec &spec, CliOptions &options)
{
    // Only the command's own options are defined; asking for another one is a mistake of ours.
    const auto isSet = [&](const char *name) { return spec.options.contains(name) && parser.isSet(name); };
    const auto value = [&](const char *name) { return isSet(name) ? parser.value(name) : QString(); };
    const QStringList positional = parser.positionalArguments().mid(1);
    if (spec.takesFile && positional.size() != 1)
        return QStringLiteral("%1 needs one profile file%2.")
            .arg(spec.name, positional.isEmpty() ? QString() : QStringLiteral(", not %1").arg(positional.size()));
    if (!spec.takesFile && !positional.isEmpty())
        return QStringLiteral("%1 takes no file or other argument: %2.").arg(spec.name, positional.join(' '));
    options.file = positional.value(0);
    options.logPath = isSet("log") ? value("log") : ProgrammingLog::defaultPath();
    if (options.logPath.isEmpty())
        return QStringLiteral("No record file given: --log FILE.");
    options.moduleFilter = value("module");
    options.verify = !isSet("no-verify");
    options.search = isSet("search");
    options.json = isSet("json");
    if (spec.command == CliCommand::History)
        return {};
    if (value("port").isEmpty())
        return QStringLiteral("No port given: --port NAME.");
    options.port = portPath(value("port"));
    if (isSet("baud")) {
        bool isNumber = false;
        options.baud = value("baud").toInt(&isNumber);
        if (!isNumber || !BaudRates::selectable().contains(*options.baud))
            return QStringLiteral("Not a baud rate: %1.").arg(value("baud"));
    }
    if (isSet("parity") && !(options.parity = choice(value("parity"), {"none", "even", "odd"})))
        return QStringLiteral("Not a parity: %1 (none, even or odd).").arg(value("parity"));
    if (isSet("stop-bits") && !(options.stopBits = choice(value("stop-bits"), {"1", "2"})))
        return QStringLiteral("Not a number of stop bits: %1 (1 or 2).").arg(value("stop-bits"));
    return {};
}

} // namespace

CliOptions parseCliOptions(const QStringList &arguments)
{
    // First with every option, to find the command; then with the command's own.
    QCommandLineParser probe;
    describe(probe, nullptr);
    probe.parse(arguments);
    const QString name = probe.positionalArguments().value(0);
    const CommandSpec *spec = findSpec(name);

    QCommandLineParser parser;
    describe(parser, spec);
    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    CliOptions options;
    options.verbose = parser.isSet("verbose");
    if (parser.isSet("help")) {
        options.outcome = CliOptions::ShowHelp;
        options.text = parser.helpText();
        return options;
    }
    if (parser.isSet("version")) {
        options.outcome = CliOptions::ShowVersion;
        return options;
    }
    if (!spec)
        return invalid(name.isEmpty() ? QStringLiteral("No command given.\n%1").arg(usage())
                                      : QStringLiteral("Unknown command %1.").arg(name));
    options.command = spec->command;
    if (const QString problem = checkOptions(parser, *spec, options); !problem.isEmpty())
        return invalid(problem);
    if (options.command == CliCommand::Write || options.command == CliCommand::Check) {
        const ProfileReading reading = ProfileFile::read(options.file);
        if (!reading.problem.isEmpty())
            return invalid(QStringLiteral("%1: %2").arg(options.file, reading.problem));
        options.settings = reading.settings;
    }
    return options;
}
