#include "cli/serialline.h"

#include "logic/commandsession.h"

#include <array>

namespace {

constexpr int drainTimeoutMs = 1000;

} // namespace

SerialLine::SerialLine(QSerialPort &port, QObject *parent)
    : QObject(parent)
    , port(port)
{
    connect(&port, &QSerialPort::readyRead, this, &SerialLine::onReadyRead);
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
    const auto parity = std::array{QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
                                   QSerialPort::MarkParity, QSerialPort::SpaceParity}[size_t(framing.parity)];
    if (!port.setParity(parity))
        emit framingRefused(tr("The port cannot use %1.").arg(framing.parityName()));
    else if (!port.setStopBits(framing.stopBits ? QSerialPort::TwoStop : QSerialPort::OneStop))
        emit framingRefused(tr("The port cannot use two stop bits."));
    framer.clear();
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
