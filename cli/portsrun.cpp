#include "cli/portsrun.h"

#include "cli/fleet.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

SettingValues answers(const PortResult &result)
{
    SettingValues values;
    for (const auto &[command, reply] : result.outcome.run.replies)
        values.insert(command, reply);
    return values;
}

} // namespace

PortsRun::PortsRun(const CliOptions &options, const PortOpener &opener, const QList<ListedPort> &ports, QObject *parent)
    : QObject(parent)
    , options(options)
    , opener(opener)
    , ports(ports)
{
}

void PortsRun::start()
{
    if (ports.isEmpty()) {
        emit message(tr("No serial port found."));
        emit finished(CliDone);
        return;
    }
    if (!options.probe) {
        report();
        return;
    }
    probe = new Fleet(options, opener, QString(), this);
    connect(probe, &Fleet::finished, this, [this](const PortResult &result) {
        found.insert(result.port, result);
        if (!adding && probe->isIdle())
            report();
    });
    adding = true;
    for (const ListedPort &port : std::as_const(ports))
        probe->add(port.device);
    adding = false;
    if (probe->isIdle())
        report();
}

void PortsRun::interrupt()
{
    if (probe)
        probe->interrupt();
}

QString PortsRun::line(const ListedPort &port) const
{
    QStringList columns{port.device};
    for (const QString &detail : {port.stableName, port.description, port.usbSerial}) {
        if (!detail.isEmpty())
            columns.append(detail);
    }
    if (!found.contains(port.device))
        return columns.join(QLatin1String("  "));
    const PortResult &result = found.value(port.device);
    const SettingValues values = answers(result);
    if (result.outcome.status == JobStatus::BadRequest) {
        columns.append(result.outcome.lines.value(0).text);
    } else if (result.status != CliDone) {
        columns.append(tr("no module"));
    } else {
        columns << QStringLiteral("%1 %2").arg(result.baud).arg(result.framing.text()) << result.serial()
                << tr("VR %1").arg(values.value(QStringLiteral("VR")));
        if (!values.value(QStringLiteral("NI")).isEmpty())
            columns.append(tr("NI %1").arg(values.value(QStringLiteral("NI"))));
    }
    return columns.join(QLatin1String("  "));
}

QString PortsRun::json(const ListedPort &port) const
{
    QJsonObject object{{QStringLiteral("port"), port.device}};
    const QList<QPair<QString, QString>> details = {{QStringLiteral("stableName"), port.stableName},
                                                    {QStringLiteral("description"), port.description},
                                                    {QStringLiteral("usbSerial"), port.usbSerial}};
    for (const auto &[key, value] : details) {
        if (!value.isEmpty())
            object.insert(key, value);
    }
    if (found.contains(port.device)) {
        const PortResult &result = found.value(port.device);
        const SettingValues values = answers(result);
        if (result.outcome.status == JobStatus::BadRequest)
            object.insert(QStringLiteral("problem"), result.outcome.lines.value(0).text);
        else if (result.status != CliDone)
            object.insert(QStringLiteral("module"), QJsonValue());
        else
            object.insert(QStringLiteral("module"),
                          QJsonObject{{QStringLiteral("serial"), result.serial()},
                                      {QStringLiteral("baud"), result.baud},
                                      {QStringLiteral("framing"), result.framing.text()},
                                      {QStringLiteral("VR"), values.value(QStringLiteral("VR"))},
                                      {QStringLiteral("NI"), values.value(QStringLiteral("NI"))}});
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void PortsRun::report()
{
    for (const ListedPort &port : std::as_const(ports))
        emit output(options.json ? json(port) : line(port));
    emit finished(CliDone);
}
