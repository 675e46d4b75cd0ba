#include "cli/serialline.h"

#include "logic/commandsession.h"

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
