#include "cli/portlisting.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

// Linux names each USB adapter for good under /dev/serial/by-id, whichever ttyUSB it gets.
QString stableNameOf(const QString &device)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!target.isEmpty() && link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return {};
}

} // namespace

QStringList globbedPaths(const QString &glob)
{
    if (glob.isEmpty())
        return {};
    const QFileInfo pattern(glob);
    QStringList paths;
    const QDir folder = pattern.dir();
    for (const QString &name : folder.entryList({pattern.fileName()}, QDir::AllEntries | QDir::System, QDir::Name))
        paths.append(folder.absoluteFilePath(name));
    return paths;
}

QList<ListedPort> listPorts(const QString &glob)
{
    QList<ListedPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        ports.append(
            {info.systemLocation(), stableNameOf(info.systemLocation()), info.description(), info.serialNumber()});
    }
    for (const QString &path : globbedPaths(glob)) {
        const bool known =
            std::any_of(ports.cbegin(), ports.cend(), [&](const ListedPort &port) { return port.device == path; });
        if (!known)
            ports.append({path, {}, {}, {}});
    }
    return ports;
}

QStringList portDevices(const QString &glob)
{
    QStringList devices;
    for (const ListedPort &port : listPorts(glob))
        devices.append(port.device);
    return devices;
}
