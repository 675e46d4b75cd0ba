#include "simoptions.h"

#include "moduleletters.h"
#include "registerbank.h"

#include <QCommandLineParser>
#include <QRandomGenerator>
#include <cmath>

namespace {

QString lettersText(int modules)
{
    if (modules == 1)
        return QStringLiteral("A");
    if (modules == 2)
        return QStringLiteral("a module letter, A or B");
    return QStringLiteral("a module letter, A to %1").arg(moduleLetter(modules - 1));
}

class OptionReader
{
public:
    explicit OptionReader(const QCommandLineParser &parser)
        : parser(parser)
    {
    }

    bool failed() const { return !error.isEmpty(); }
    QString errorText() const { return error; }

    bool integer(const QString &name, qint64 minimum, qint64 maximum, qint64 *value)
    {
        if (!parser.isSet(name) || failed())
            return false;
        const QString text = parser.value(name);
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        if (!ok || number < minimum || number > maximum) {
            fail(name, text, QStringLiteral("a whole number from %1 to %2").arg(minimum).arg(maximum));
            return false;
        }
        *value = number;
        return true;
    }

    bool fraction(const QString &name, double *value)
    {
        if (!parser.isSet(name) || failed())
            return false;
        const QString text = parser.value(name);
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok || !(number >= 0.0 && number <= 1.0)) {
            fail(name, text, QStringLiteral("a number from 0 to 1"));
            return false;
        }
        *value = number;
        return true;
    }

    std::optional<QChar> module(const QString &name, const QString &text, int modules)
    {
        const QString letter = text.trimmed().toUpper();
        const QChar last = moduleLetter(modules - 1);
        if (letter.size() == 1 && letter.at(0) >= QLatin1Char('A') && letter.at(0) <= last)
            return letter.at(0);
        QString expected = lettersText(modules);
        if (letter.size() == 1 && letter.at(0) > last && letter.at(0) <= moduleLetter(MaxModules - 1))
            expected +=
                QStringLiteral(" (module %1 needs --modules %2)").arg(letter).arg(moduleIndex(letter.at(0)) + 1);
        fail(name, text, expected);
        return std::nullopt;
    }

    void fail(const QString &name, const QString &text, const QString &expected)
    {
        if (!failed())
            error = QStringLiteral("--%1: \"%2\" is not %3").arg(name, text, expected);
    }

private:
    const QCommandLineParser &parser;
    QString error;
};

bool canBeRefused(const QByteArray &command)
{
    if (command == "WR" || command == "AC" || command == "CN" || command == "RE")
        return true;
    const RegisterDefinition *definition = RegisterBank::find(command);
    return definition && definition->kind != RegisterKind::ReadOnly;
}

struct IndexOption
{
    const char *name;
    quint32 maximum;
    const char *expected;
};

// --bd, --nb and --sb: M:N, once per module.
void readIndexes(const QCommandLineParser &parser, OptionReader &reader, const IndexOption &option, int modules,
                 QHash<QChar, quint32> *indexes)
{
    const QString name = QLatin1String(option.name);
    for (const QString &text : parser.values(name)) {
        const int colon = text.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            reader.fail(name, text, QStringLiteral("M:N, a module letter and an index"));
            continue;
        }
        const auto letter = reader.module(name, text.left(colon), modules);
        bool ok = false;
        const uint index = text.mid(colon + 1).trimmed().toUInt(&ok);
        if (!letter)
            continue;
        if (!ok || index > option.maximum)
            reader.fail(name, text, QLatin1String(option.expected));
        else if (indexes->contains(*letter))
            reader.fail(name, text, QStringLiteral("allowed twice for one module"));
        else
            indexes->insert(*letter, index);
    }
}

void readFramings(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    const IndexOption rate{"bd", 8, "M:N with N a rate index from 0 (1200) to 8 (230400)"};
    const IndexOption parity{"nb", 4, "M:N with N a parity index from 0 (none) to 4 (space)"};
    const IndexOption stopBits{"sb", 1, "M:N with N 0 (one stop bit) or 1 (two)"};
    readIndexes(parser, reader, rate, options->modules, &options->uartRateIndex);
    readIndexes(parser, reader, parity, options->modules, &options->parityIndex);
    readIndexes(parser, reader, stopBits, options->modules, &options->stopBitsIndex);
    options->strictFraming = parser.isSet(QStringLiteral("strict-framing"));
}

// --rssi DBM for every module, --rssi M:DBM for the one that receives.
void readRssi(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    const QString name = QStringLiteral("rssi");
    bool commonGiven = false;
    for (const QString &text : parser.values(name)) {
        const int colon = text.indexOf(QLatin1Char(':'));
        const auto letter = colon < 0 ? std::nullopt : reader.module(name, text.left(colon), options->modules);
        bool ok = false;
        const int dbm = text.mid(colon + 1).trimmed().toInt(&ok);
        if (colon >= 0 && !letter)
            continue;
        if (!ok || dbm < -255 || dbm > 0)
            reader.fail(name, text, QStringLiteral("[M:]DBM with DBM from -255 to 0"));
        else if (letter ? options->radio.rssiDbmAt.contains(*letter) : commonGiven)
            reader.fail(name, text, QStringLiteral("allowed twice for one module"));
        else if (letter)
            options->radio.rssiDbmAt.insert(*letter, dbm);
        else
            options->radio.rssiDbm = dbm;
        commonGiven = commonGiven || !letter;
    }
}

// --store-differently M:CMD=VALUE: the module holds VALUE whatever CMD sets.
void readFaults(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    const QString name = QStringLiteral("store-differently");
    for (const QString &text : parser.values(name)) {
        const int colon = text.indexOf(QLatin1Char(':'));
        const int equals = text.indexOf(QLatin1Char('='), colon + 1);
        const auto letter = colon < 0 ? std::nullopt : reader.module(name, text.left(colon), options->modules);
        if (colon >= 0 && !letter)
            continue;
        const QByteArray command = text.mid(colon + 1, equals - colon - 1).trimmed().toUpper().toLatin1();
        const QByteArray value = text.mid(equals + 1).toLatin1();
        const RegisterDefinition *definition = RegisterBank::find(command);
        RegisterBank check;
        if (!letter || equals < 0 || !definition || definition->kind == RegisterKind::ReadOnly
            || !check.set(command, value))
            reader.fail(name, text, QStringLiteral("M:CMD=VALUE, a register that can be set and a value it takes"));
        else if (options->faults.value(*letter).contains(command))
            reader.fail(name, text, QStringLiteral("allowed twice for one register of a module"));
        else
            options->faults[*letter].insert(command, value);
    }
}

// --guard-ms MS for every module, --guard-ms M:MS for one.
void readGuardTimes(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    const QString name = QStringLiteral("guard-ms");
    bool commonGiven = false;
    for (const QString &text : parser.values(name)) {
        const int colon = text.indexOf(QLatin1Char(':'));
        const auto letter = colon < 0 ? std::nullopt : reader.module(name, text.left(colon), options->modules);
        bool ok = false;
        const uint ms = text.mid(colon + 1).trimmed().toUInt(&ok);
        if (colon >= 0 && !letter)
            continue;
        if (!ok || ms < 0x2 || ms > 0xCE4)
            reader.fail(name, text, QStringLiteral("[M:]MS with MS from 2 to 3300"));
        else if (letter ? options->guardTimeAt.contains(*letter) : commonGiven)
            reader.fail(name, text, QStringLiteral("allowed twice for one module"));
        else if (letter)
            options->guardTimeAt.insert(*letter, ms);
        else
            options->guardTime = ms;
        commonGiven = commonGiven || !letter;
    }
}

void readModuleOptions(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    for (const QString &text : parser.values(QStringLiteral("unplugged"))) {
        if (const auto letter = reader.module(QStringLiteral("unplugged"), text, options->modules))
            options->unplugged.insert(*letter);
    }
    if (parser.isSet(QStringLiteral("auto-transmit")))
        options->autoTransmit = reader.module(QStringLiteral("auto-transmit"),
                                              parser.value(QStringLiteral("auto-transmit")), options->modules);
    for (const QString &text : parser.values(QStringLiteral("silent"))) {
        if (const auto letter = reader.module(QStringLiteral("silent"), text, options->modules))
            options->silent.insert(*letter);
    }
    for (const QString &text : parser.values(QStringLiteral("refuse"))) {
        const QByteArray command = text.trimmed().toUpper().toLatin1();
        if (canBeRefused(command))
            options->refused.insert(command);
        else
            reader.fail(QStringLiteral("refuse"), text, QStringLiteral("a command that can be set"));
    }
    for (const QString &text : parser.values(QStringLiteral("hangup-after"))) {
        const int colon = text.indexOf(QLatin1Char(':'));
        const auto letter = colon < 0
            ? std::optional<QChar>(QLatin1Char('A'))
            : reader.module(QStringLiteral("hangup-after"), text.left(colon), options->modules);
        bool ok = false;
        const qint64 count = text.mid(colon + 1).toLongLong(&ok);
        if (!letter)
            continue;
        if (!ok || count < 1)
            reader.fail(QStringLiteral("hangup-after"), text, QStringLiteral("[M:]N with N at least 1"));
        else if (options->hangupAfter.contains(*letter))
            reader.fail(QStringLiteral("hangup-after"), text, QStringLiteral("allowed twice for one module"));
        else
            options->hangupAfter.insert(*letter, count);
    }
    readGuardTimes(parser, reader, options);
    readFramings(parser, reader, options);
    readRssi(parser, reader, options);
    readFaults(parser, reader, options);
}

void readOptions(const QCommandLineParser &parser, OptionReader &reader, SimOptions *options)
{
    qint64 number = 0;
    if (reader.integer(QStringLiteral("modules"), 1, MaxModules, &number))
        options->modules = int(number);
    options->linkDir = parser.value(QStringLiteral("link-dir"));
    options->stateFile = parser.value(QStringLiteral("state"));
    if (reader.integer(QStringLiteral("ct-ms"), 200, 600000, &number)) {
        if (number % 100 == 0)
            options->commandTimeout = quint32(number / 100);
        else
            reader.fail(QStringLiteral("ct-ms"), parser.value(QStringLiteral("ct-ms")),
                        QStringLiteral("a multiple of 100 (CT counts in steps of 100 ms)"));
    }
    if (reader.integer(QStringLiteral("rssi-jitter"), 0, 50, &number))
        options->radio.rssiJitterDb = int(number);
    reader.fraction(QStringLiteral("loss"), &options->radio.loss);
    const bool seedGiven = reader.integer(QStringLiteral("seed"), 0, 0xFFFFFFFF, &number);
    options->radio.seed = seedGiven ? quint32(number) : QRandomGenerator::system()->generate();
    if (reader.integer(QStringLiteral("auto-interval-ms"), 10, 3600000, &number))
        options->autoIntervalMs = int(number);
    options->verbose = parser.isSet(QStringLiteral("verbose"));
    readModuleOptions(parser, reader, options);
}

} // namespace

OptionsOutcome parseSimOptions(const QStringList &arguments, SimOptions *options, QString *message)
{
    QCommandLineParser parser;
    const QStringList valued = QStringLiteral("modules link-dir state guard-ms ct-ms rssi rssi-jitter loss seed "
                                              "auto-transmit auto-interval-ms silent refuse hangup-after bd nb sb "
                                              "store-differently unplugged")
                                   .split(QLatin1Char(' '));
    for (const QString &name : valued)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    parser.addOption(QCommandLineOption(QStringLiteral("strict-framing")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("verbose")}));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return OptionsOutcome::Invalid;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *message = simHelpText();
        return OptionsOutcome::ShowHelp;
    }
    if (parser.isSet(QStringLiteral("version")))
        return OptionsOutcome::ShowVersion;
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst());
        return OptionsOutcome::Invalid;
    }
    OptionReader reader(parser);
    readOptions(parser, reader, options);
    if (reader.failed()) {
        *message = reader.errorText();
        return OptionsOutcome::Invalid;
    }
    return OptionsOutcome::Run;
}
