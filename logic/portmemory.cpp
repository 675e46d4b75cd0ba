#include "logic/portmemory.h"

#include "logic/baudrates.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace PortMemory {

namespace {

// Port names hold slashes, which a settings key would take for groups.
QString groupFor(const QString &portName)
{
    return QStringLiteral("port-")
        + QString::fromLatin1(QCryptographicHash::hash(portName.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

QString filePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("ports.ini"));
}

std::optional<Uart> recall(const QString &portName)
{
    QSettings file(filePath(), QSettings::IniFormat);
    file.beginGroup(groupFor(portName));
    // Another port whose name hashed the same would be no memory of this one.
    if (file.value(QStringLiteral("port")).toString() != portName)
        return std::nullopt;
    const int rate = file.value(QStringLiteral("baud")).toInt();
    const std::optional<Framing> framing = Framing::fromSettings(file.value(QStringLiteral("parity"), 0).toInt(),
                                                                 file.value(QStringLiteral("stopbits"), 0).toInt());
    if (!BaudRates::selectable().contains(rate) || !framing)
        return std::nullopt;
    return Uart{rate, *framing};
}

void keep(const QString &portName, const Uart &uart)
{
    QSettings file(filePath(), QSettings::IniFormat);
    file.beginGroup(groupFor(portName));
    file.setValue(QStringLiteral("port"), portName);
    file.setValue(QStringLiteral("baud"), uart.rate);
    file.setValue(QStringLiteral("parity"), uart.framing.parity);
    file.setValue(QStringLiteral("stopbits"), uart.framing.stopBits);
}

} // namespace PortMemory
