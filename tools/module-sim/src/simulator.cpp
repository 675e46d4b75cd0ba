#include "simulator.h"

#include "bytetext.h"
#include "debuglog.h"
#include "moduleconfigs.h"
#include "modulecore.h"
#include "moduleletters.h"
#include "modulestation.h"

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent)
    , options(options)
    , radio(options.radio)
{
    if (!options.stateFile.isEmpty())
        stateFile = std::make_unique<StateFile>(options.stateFile);
    connect(&autoTransmitTimer, &QTimer::timeout, this, &Simulator::sendTestLine);
}

Simulator::~Simulator()
{
    // The stations remove their links and take their modules with them,
    // before the radio and the store go.
    qDeleteAll(stations);
}

bool Simulator::start(QString *error)
{
    if (stateFile && !stateFile->load(error))
        return false;
    QStringList rssi;
    for (int i = 0; i < options.modules; ++i) {
        const QChar letter = moduleLetter(i);
        rssi.append(QStringLiteral("at %1 %2 dBm").arg(letter).arg(options.radio.rssiAt(letter)));
    }
    logVerbose(QStringLiteral("seed %1, RSSI %2 +/- %3 dB, loss %4")
                   .arg(options.radio.seed)
                   .arg(rssi.join(QStringLiteral(", ")))
                   .arg(options.radio.rssiJitterDb)
                   .arg(options.radio.loss));
    logRadio();
    for (int i = 0; i < options.modules; ++i) {
        const QChar letter = moduleLetter(i);
        ModuleStation *station = createStation(letter);
        if (options.unplugged.contains(letter)) {
            logVerbose(QStringLiteral("%1 not plugged in").arg(letter));
            continue;
        }
        if (!station->plugIn(options.linkDir, error))
            return false;
        logVerbose(QStringLiteral("%1 on %2").arg(letter).arg(station->devicePath()));
    }
    if (autoTransmitter) {
        connect(&radio, &Radio::packetDelivered, this,
                [this](QChar, QChar to, const QByteArray &payload) { countReplies(to, payload); });
        autoTransmitTimer.start(options.autoIntervalMs);
    }
    return true;
}

QStringList Simulator::devicePaths() const
{
    QStringList paths;
    for (const ModuleStation *station : stations) {
        if (station->isPluggedIn())
            paths.append(station->devicePath());
    }
    return paths;
}

void Simulator::runControlLine(const QString &line)
{
    QString error;
    const std::optional<ControlCommand> command = parseControlCommand(line, options.modules, &error);
    if (!command) {
        if (!error.isEmpty())
            logProblem(QStringLiteral("stdin: %1; ignored").arg(error));
        return;
    }
    for (const QChar letter : command->modules)
        runControl(*command, stations.at(moduleIndex(letter)));
}

void Simulator::runControl(const ControlCommand &command, ModuleStation *station)
{
    const QChar letter = station->module()->letter();
    switch (command.action) {
    case ControlCommand::Action::Plug:
        if (station->isPluggedIn())
            logVerbose(QStringLiteral("%1 is plugged in already").arg(letter));
        else
            plugIn(station);
        break;
    case ControlCommand::Action::Unplug:
        if (station->isPluggedIn())
            station->unplug();
        else
            logVerbose(QStringLiteral("%1 is not plugged in").arg(letter));
        break;
    case ControlCommand::Action::Wake:
        // Without power there is nothing to wake.
        if (station->isPluggedIn())
            station->module()->wake();
        else
            logVerbose(QStringLiteral("%1 is not plugged in").arg(letter));
        break;
    case ControlCommand::Action::Factory:
        station->module()->factoryReset();
        break;
    }
}

void Simulator::plugIn(ModuleStation *station)
{
    QString error;
    if (station->plugIn(options.linkDir, &error))
        logVerbose(QStringLiteral("%1 plugged in on %2").arg(station->module()->letter()).arg(station->devicePath()));
    else
        logProblem(QStringLiteral("module %1: cannot plug in: %2").arg(station->module()->letter()).arg(error));
}

ModuleStation *Simulator::createStation(QChar letter)
{
    auto *core = new ModuleCore(moduleConfigFor(options, letter), clock, stateFile.get());
    connect(core, &ModuleCore::eventLogged, this,
            [letter](const QString &text) { logVerbose(QStringLiteral("%1     %2").arg(letter).arg(text)); });
    connect(core, &ModuleCore::problemReported, this, &logProblem);

    const std::optional<qint64> hangup =
        options.hangupAfter.contains(letter) ? std::optional<qint64>(options.hangupAfter.value(letter)) : std::nullopt;
    auto *station = new ModuleStation(core, clock, hangup);
    // A module without power neither sends nor hears.
    connect(station, &ModuleStation::pluggedIn, this, [this, core] { radio.attach(core); });
    connect(station, &ModuleStation::unplugged, this, [this, core, letter] {
        radio.detach(core);
        logVerbose(QStringLiteral("%1 unplugged: device and link gone, the module lost its power").arg(letter));
    });
    stations.append(station);
    if (options.autoTransmit == letter)
        autoTransmitter = station;
    return station;
}

void Simulator::logRadio()
{
    connect(&radio, &Radio::packetDelivered, this, [](QChar from, QChar to, const QByteArray &payload, int rssiDbm) {
        logVerbose(
            QStringLiteral("%1 air -> %2 %3, RSSI %4 dBm").arg(from).arg(to).arg(describeBytes(payload)).arg(rssiDbm));
    });
    connect(&radio, &Radio::packetLost, this, [](QChar from, QChar to, const QByteArray &payload) {
        logVerbose(QStringLiteral("%1 air -> %2 %3 lost").arg(from).arg(to).arg(describeBytes(payload)));
    });
}

void Simulator::sendTestLine()
{
    // Unplugged, the transmitter has no power either.
    if (!autoTransmitter->isPluggedIn())
        return;
    const QString line = QStringLiteral("THE QUICK BROWN FOX %1\r").arg(testLineCounter++);
    autoTransmitter->injectHostData(line.toLatin1());
}

void Simulator::countReplies(QChar to, const QByteArray &payload)
{
    if (to != autoTransmitter->module()->letter())
        return;
    const QList<QByteArray> replies = heardReplies.feed(payload);
    int count = heardReplies.count() - int(replies.size());
    for (const QByteArray &reply : replies) {
        ++count;
        logNotice(QStringLiteral("%1 heard reply: %2 (%3 %4)")
                      .arg(to)
                      .arg(QString::fromLatin1(reply))
                      .arg(count)
                      .arg(count == 1 ? QStringLiteral("reply") : QStringLiteral("replies")));
    }
}
