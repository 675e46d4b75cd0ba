#include "cli/serialline.h"

#include "logic/commandsession.h"

#include <QFileInfo>

#include <array>

namespace {

constexpr int drainTimeoutMs = 1000;

QSerialPort::Parity parityOf(const Framing &framing)
{
    return std::array{QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity, QSerialPort::MarkParity,
                      QSerialPort::SpaceParity}[size_t(framing.parity)];
}

QSerialPort::StopBits stopBitsOf(const Framing &framing)
{
    return framing.stopBits ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

// The port refused to open although we may use the device: another program holds it.
bool heldByAnother(const QSerialPort &port, const QString &name)
{
    const QFileInfo device(name.contains(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name);
    return port.error() == QSerialPort::PermissionError && device.isReadable() && device.isWritable();
}

} // namespace

SerialLine::SerialLine(QSerialPort &port, QObject *parent)
    : QObject(parent)
    , port(port)
{
    connect(&port, &QSerialPort::readyRead, this, &SerialLine::onReadyRead);
}

QString SerialLine::open(QSerialPort &port, const QString &name, int rate, const Framing &framing)
{
    port.setBaudRate(rate);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(parityOf(framing));
    port.setStopBits(stopBitsOf(framing));
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (port.open(QIODevice::ReadWrite))
        return {};
    if (heldByAnother(port, name))
        return tr("The port %1 is in use by another program.").arg(name);
    const QString reason = port.errorString();
    // A port that opens at 8N1 but not at this framing cannot run the framing.
    if (framing != Framing{}) {
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        if (port.open(QIODevice::ReadWrite)) {
            port.close();
            return framing.parity ? tr("The port %1 cannot use %2.").arg(name, framing.parityName())
                                  : tr("The port %1 cannot use two stop bits.").arg(name);
        }
    }
    return tr("Cannot open %1: %2").arg(name, reason);
}

void SerialLine::writeToModule(const QByteArray &bytes)
{
    port.write(bytes);
}

void SerialLine::setPortRate(int rate)
{
    // Bytes still waiting to go out belong to the old rate (an ATCN).
    drain();
    port.setBaudRate(rate);
    framer.clear();
}

void SerialLine::setPortFraming(const Framing &framing)
{
    drain();
    if (!port.setParity(parityOf(framing)))
        emit framingRefused(tr("The port cannot use %1.").arg(framing.parityName()));
    else if (!port.setStopBits(stopBitsOf(framing)))
        emit framingRefused(tr("The port cannot use two stop bits."));
    port.clearError();
    framer.clear();
}

void SerialLine::discardInput()
{
    port.clear(QSerialPort::Input);
    port.readAll();
    framer.clear();
}

bool SerialLine::canUseFraming(const Framing &framing) const
{
    // Tried on the idle port and put back: nothing is on its way while a job checks.
    const QSerialPort::Parity parity = port.parity();
    const QSerialPort::StopBits stopBits = port.stopBits();
    const bool usable = port.setParity(parityOf(framing)) && port.setStopBits(stopBitsOf(framing));
    port.setParity(parity);
    port.setStopBits(stopBits);
    port.clearError();
    return usable;
}

void SerialLine::drain()
{
    port.flush();
    while (port.bytesToWrite() > 0 && port.waitForBytesWritten(drainTimeoutMs)) { }
}

void SerialLine::onReadyRead()
{
    for (const QByteArray &line : framer.append(port.readAll())) {
        if (session)
            session->takeLine(QString::fromUtf8(line).trimmed());
    }
}
