#include "cli/clioptions.h"

#include "catalogue/modulesettings.h"
#include "logic/baudrates.h"
#include "logic/modulenames.h"
#include "logic/programmingrecord.h"

#include <QCommandLineParser>
#include <QDir>

namespace {

const QString framingUsage = QStringLiteral("[--baud N] [--parity none|even|odd] [--stop-bits 1|2]");
const QString portsUsage = QStringLiteral("--port P… | --all-ports [--port-glob PATTERN]");
const QString namingUsage = QStringLiteral("[--name PATTERN [--first N]] [--set XX=VALUE]…");

// A command as its help shows it: name, usage line, summary and the options it takes.
struct CommandForm
{
    QString name;
    CliCommand command;
    QString usage;   // after the command's name
    QString summary; // what it does
    QStringList options;
    bool takesFile;
    bool takesCommands = false; // AT commands as arguments
};

const QList<CommandForm> &commandForms()
{
    static const QStringList port = {"port", "baud", "parity", "stop-bits"};
    static const QStringList fleet = port + QStringList{"all-ports", "port-glob"};
    static const QStringList naming = {"name", "first", "set"};
    static const QList<CommandForm> list = {
        {"read", CliCommand::Read, QStringLiteral("%1 %2 [--search] [--json]").arg(portsUsage, framingUsage),
         "Reads every setting of the module and prints one XX=value per line (--json: one object). With several "
         "ports, one line per module and a summary.",
         fleet + QStringList{"search", "json"}, false},
        {"save", CliCommand::Save, QStringLiteral("FILE --port P %1 [--search]").arg(framingUsage),
         "Reads the module and saves its settings as a profile file.", port + QStringList{"search"}, true},
        {"write", CliCommand::Write,
         QStringLiteral("FILE %1 %2 [--search] [--no-verify] [--log FILE] %3 [--json]")
             .arg(portsUsage, framingUsage, namingUsage),
         "Writes a profile's settings and WR, reads them back in the same stay and records the write. Several "
         "ports are written side by side, each module named from --name's pattern.",
         fleet + naming + QStringList{"search", "no-verify", "log", "json"}, true},
        {"search",
         CliCommand::Search,
         QStringLiteral("--port P [--parity none|even|odd] [--stop-bits 1|2]"),
         "Finds the rate the module's UART runs at.",
         {"port", "parity", "stop-bits"},
         false},
        {"check", CliCommand::Check, QStringLiteral("FILE %1 %2 [--search] [--json]").arg(portsUsage, framingUsage),
         "Compares the module with a profile without writing anything: exit status 0 the same, 1 it differs, 3 "
         "the module did not answer.",
         fleet + QStringList{"search", "json"}, true},
        {"history",
         CliCommand::History,
         QStringLiteral("[--module SERIAL] [--log FILE]"),
         "Prints the programming record, one line per write.",
         {"module", "log"},
         false},
        {"ports",
         CliCommand::Ports,
         QStringLiteral("[--probe] [--json] [--port-glob PATTERN]"),
         "Lists the serial ports; --probe asks each, side by side, whether a module answers, at the rate "
         "remembered for it or by a search.",
         {"probe", "json", "port-glob"},
         false},
        {"bench", CliCommand::Bench,
         QStringLiteral("PROFILE [--port-glob PATTERN] [--log FILE] %1 %2 [--no-verify]")
             .arg(namingUsage, framingUsage),
         "Runs until Ctrl-C: programs the module on every port that appears (search if needed, write, read "
         "back, record), rings the bell when one fails, and waits for a port to go before it programs there "
         "again.",
         QStringList{"port-glob", "log", "baud", "parity", "stop-bits", "no-verify"} + naming, true},
        {"at", CliCommand::At, QStringLiteral("--port P %1 [--force] [--json] [--log FILE] COMMAND…").arg(framingUsage),
         "Sends AT commands (ATNO, \"ATNI GATE-WEST\", ATWR) in one command-mode stay, in order, and prints each "
         "with its reply; an ERROR stops the rest. Commands that cut the PC off from the module (D6 1, SM, a CT "
         "below 2 s, AP, RE) are refused unless --force; an ATWR is recorded.",
         port + QStringList{"force", "json", "log"}, false, true},
    };
    return list;
}

QString usage()
{
    QString text = QStringLiteral("Usage:\n");
    for (const CommandForm &form : commandForms())
        text += QStringLiteral("  tarnowick-cli %1 %2\n").arg(form.name.leftJustified(7), form.usage);
    return text;
}

QString description(const CommandForm *form)
{
    if (form)
        return QStringLiteral("Usage: tarnowick-cli %1 %2\n\n%3").arg(form->name, form->usage, form->summary);
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
        {"all-ports", "Every port where a module answers (as ports --probe finds them)."},
        {"port-glob", "Ports the system does not list, as a folder and a file pattern (/tmp/xbee/module*).", "pattern"},
        {"probe", "Ask each port whether a module answers."},
        {"name", "Name each module written (NI) from a pattern with a counter: SCORE-{n:03}.", "pattern"},
        {"first", "The first number of --name (1).", "N"},
        {"set", "Write this setting too, or instead of the profile's: --set NI=GATE-WEST.", "XX=VALUE"},
        {"force", "Send commands that cut the PC off from the module too."},
    };
}

// The parser with the options a command takes (all of them before the command is known).
void describe(QCommandLineParser &parser, const CommandForm *form)
{
    parser.setApplicationDescription(description(form));
    for (const QCommandLineOption &option : allOptions()) {
        const QString name = option.names().constLast();
        const bool always = name == "help" || name == "version" || name == "verbose";
        if (!form || always || form->options.contains(name))
            parser.addOption(option);
    }
    if (!form) {
        parser.addPositionalArgument("command", "read, save, write, search, check, history, ports, bench or at");
        parser.addPositionalArgument("file", "The profile file of save, write, check and bench.");
    } else if (form->takesFile) {
        parser.addPositionalArgument("file", "The profile file.");
    } else if (form->takesCommands) {
        parser.addPositionalArgument("commands", "AT commands, each one argument: ATNO \"ATNI GATE-WEST\" ATWR.");
    }
}

const CommandForm *findForm(const QString &name)
{
    for (const CommandForm &form : commandForms()) {
        if (form.name == name)
            return &form;
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

// The options the command takes, as given; only those are defined in its parser.
class Given
{
public:
    Given(const QCommandLineParser &parser, const CommandForm &form)
        : parser(parser)
        , form(form)
    {
    }
    bool isSet(const char *name) const { return form.options.contains(name) && parser.isSet(name); }
    QString value(const char *name) const { return isSet(name) ? parser.value(name) : QString(); }
    QStringList values(const char *name) const { return isSet(name) ? parser.values(name) : QStringList(); }

private:
    const QCommandLineParser &parser;
    const CommandForm &form;
};

QString checkPorts(const Given &given, CliOptions &options)
{
    for (const QString &port : given.values("port")) {
        if (port.isEmpty())
            return QStringLiteral("No port given: --port NAME.");
        options.ports.append(portPath(port));
    }
    const bool several = options.command == CliCommand::Read || options.command == CliCommand::Write
        || options.command == CliCommand::Check;
    if (options.allPorts && !options.ports.isEmpty())
        return QStringLiteral("--port and --all-ports name the ports twice.");
    if (!options.allPorts && options.ports.isEmpty())
        return several ? QStringLiteral("No port given: --port NAME, or --all-ports.")
                       : QStringLiteral("No port given: --port NAME.");
    if (!several && options.ports.size() > 1)
        return QStringLiteral("%1 takes one port.")
            .arg(options.command == CliCommand::Save     ? "save"
                     : options.command == CliCommand::At ? "at"
                                                         : "search");
    return {};
}

QString checkFraming(const Given &given, CliOptions &options)
{
    if (given.isSet("baud")) {
        bool isNumber = false;
        options.baud = given.value("baud").toInt(&isNumber);
        if (!isNumber || !BaudRates::selectable().contains(*options.baud))
            return QStringLiteral("Not a baud rate: %1.").arg(given.value("baud"));
    }
    if (given.isSet("parity") && !(options.parity = choice(given.value("parity"), {"none", "even", "odd"})))
        return QStringLiteral("Not a parity: %1 (none, even or odd).").arg(given.value("parity"));
    if (given.isSet("stop-bits") && !(options.stopBits = choice(given.value("stop-bits"), {"1", "2"})))
        return QStringLiteral("Not a number of stop bits: %1 (1 or 2).").arg(given.value("stop-bits"));
    return {};
}

QString checkNaming(const Given &given, CliOptions &options)
{
    for (const QString &setting : given.values("set")) {
        const QString command = setting.section(QLatin1Char('='), 0, 0).toUpper();
        const ModuleSetting *known = ModuleSettings::find(command);
        if (!setting.contains(QLatin1Char('=')) || !known || !known->written)
            return QStringLiteral("--set takes a setting a write sends and its value: %1.").arg(setting);
        options.settings.insert(command, setting.section(QLatin1Char('='), 1));
    }
    options.namePattern = given.value("name");
    if (given.isSet("first") && options.namePattern.isEmpty())
        return QStringLiteral("--first numbers the names of --name.");
    bool isNumber = true;
    options.first = given.isSet("first") ? given.value("first").toInt(&isNumber) : 1;
    if (!isNumber)
        return QStringLiteral("Not a number: %1.").arg(given.value("first"));
    if (!options.namePattern.isEmpty() && options.settings.contains(QStringLiteral("NI")))
        return QStringLiteral("--set NI and --name name the module twice.");
    QString problem;
    if (!options.namePattern.isEmpty() && !NamePattern::parse(options.namePattern, options.first, &problem))
        return problem;
    return {};
}

QString checkOptions(const QCommandLineParser &parser, const CommandForm &form, CliOptions &options)
{
    const Given given(parser, form);
    const QStringList positional = parser.positionalArguments().mid(1);
    if (form.takesCommands && positional.isEmpty())
        return QStringLiteral("at needs one or more AT commands: ATNO \"ATNI GATE-WEST\".");
    if (form.takesFile && positional.size() != 1)
        return QStringLiteral("%1 needs one profile file%2.")
            .arg(form.name, positional.isEmpty() ? QString() : QStringLiteral(", not %1").arg(positional.size()));
    if (!form.takesFile && !form.takesCommands && !positional.isEmpty())
        return QStringLiteral("%1 takes no file or other argument: %2.").arg(form.name, positional.join(' '));
    options.file = form.takesFile ? positional.value(0) : QString();
    options.atCommands = form.takesCommands ? positional : QStringList();
    options.force = given.isSet("force");
    options.logPath = given.isSet("log") ? given.value("log") : ProgrammingLog::defaultPath();
    if (options.logPath.isEmpty())
        return QStringLiteral("No record file given: --log FILE.");
    options.moduleFilter = given.value("module");
    options.verify = !given.isSet("no-verify");
    options.search = given.isSet("search");
    options.json = given.isSet("json");
    options.probe = given.isSet("probe");
    options.allPorts = given.isSet("all-ports");
    options.portGlob = given.value("port-glob");
    if (given.isSet("port-glob") && !options.portGlob.contains(QLatin1Char('/')))
        return QStringLiteral("--port-glob takes a folder and a file pattern: %1.").arg(options.portGlob);
    QString problem = checkFraming(given, options);
    if (problem.isEmpty())
        problem = checkNaming(given, options);
    if (problem.isEmpty() && form.options.contains("port"))
        problem = checkPorts(given, options);
    return problem;
}

} // namespace

CliOptions parseCliOptions(const QStringList &arguments)
{
    // First with every option, to find the command; then with the command's own.
    QCommandLineParser probe;
    describe(probe, nullptr);
    probe.parse(arguments);
    const QString name = probe.positionalArguments().value(0);
    const CommandForm *form = findForm(name);

    QCommandLineParser parser;
    describe(parser, form);
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
    if (!form)
        return invalid(name.isEmpty() ? QStringLiteral("No command given.\n%1").arg(usage())
                                      : QStringLiteral("Unknown command %1.").arg(name));
    options.command = form->command;
    if (const QString problem = checkOptions(parser, *form, options); !problem.isEmpty())
        return invalid(problem);
    const bool readsProfile = options.command == CliCommand::Write || options.command == CliCommand::Check
        || options.command == CliCommand::Bench;
    if (readsProfile) {
        const ProfileReading reading = ProfileFile::read(options.file);
        if (!reading.problem.isEmpty())
            return invalid(QStringLiteral("%1: %2").arg(options.file, reading.problem));
        // What --set gives is written instead of the profile's value.
        SettingValues settings = reading.settings;
        settings.insert(options.settings);
        if (const QString problem = ProfileFile::invalidValue(settings); !problem.isEmpty())
            return invalid(problem);
        options.settings = settings;
    }
    return options;
}
