#include "serial/availableports.h"

#include <QSerialPortInfo>

namespace {

std::function<QStringList()> &portNameSource()
{
    static std::function<QStringList()> source;
    return source;
}

} // namespace

QStringList availablePortNames()
{
    if (portNameSource())
        return portNameSource()();
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    return names;
}

void setPortNameSource(std::function<QStringList()> source)
{
    portNameSource() = std::move(source);
}
