#include "serial/serialport.h"

#include "logic/consoletexts.h"
#include "logic/logging.h"

#include <QDateTime>
#include <QTimer>

#include <utility>

namespace {

constexpr int finishWriteMs = 200;
// The monitor's bytes go to the window in batches: a module streaming at
// 115200 baud would otherwise post an event for every few bytes read.
constexpr int monitorBatchMs = 30;

} // namespace

SerialPort::SerialPort(QObject *parent)
    : QObject(parent)
{
}

SerialPort::~SerialPort()
{
    if (serial && serial->isOpen())
        serial->close();
    delete serial;
}

void SerialPort::process()
{
    baudRate = QSerialPort::Baud9600;
    serial = new QSerialPort;
    serial->setBaudRate(baudRate, QSerialPort::AllDirections);
    serial->setDataBits(QSerialPort::Data8);
    serial->setParity(QSerialPort::NoParity);
    serial->setStopBits(QSerialPort::OneStop);
    serial->setFlowControl(QSerialPort::NoFlowControl);
    connect(serial, &QSerialPort::readyRead, this, &SerialPort::onReadyRead);
    connect(serial, &QSerialPort::errorOccurred, this, &SerialPort::onErrorOccurred);
    monitorTimer = new QTimer(this);
    monitorTimer->setSingleShot(true);
    connect(monitorTimer, &QTimer::timeout, this, &SerialPort::sendMonitored);
}

void SerialPort::onChangePort(QString port)
{
    // "None" is never a real port, so choosing it again still closes and
    // reports; a port chosen again that is not open (lost, or it failed) is
    // tried again.
    if (port == portName && port != QLatin1String("None") && serial->isOpen())
        return;
    portName = port;
    serial->setPortName(portName);
    reopen();
}

void SerialPort::onChangeBaudRate(QSerialPort::BaudRate rate)
{
    if (rate == baudRate)
        return;
    baudRate = rate;
    serial->setBaudRate(baudRate, QSerialPort::AllDirections);
    reopen();
}

void SerialPort::onChangeFraming(int parity, int stopBits)
{
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    if (parity < 0 || parity > 4)
        return;
    // What is still on its way belongs to the old framing.
    if (serial->isOpen())
        serial->flush();
    const bool taken = serial->setParity(parities[parity])
        && serial->setStopBits(stopBits ? QSerialPort::TwoStop : QSerialPort::OneStop);
    receiveBuffer.clear();
    if (!taken) {
        qCWarning(lcSerial) << "The port refused parity" << parity << "stop bits" << stopBits << serial->errorString();
        serial->clearError();
        emit framing_refused(parity, stopBits);
    }
}

void SerialPort::reopen()
{
    if (serial->isOpen()) {
        // An ATCN still waiting goes out at the old rate, where the module listens.
        serial->flush();
        serial->close();
    }
    // Bytes of the old port or rate must not be joined to the new port's lines.
    receiveBuffer.clear();
    const bool open = serial->open(QIODevice::ReadWrite);
    qCDebug(lcSerial) << "Opening" << portName << "at" << baudRate << (open ? "succeeded" : "failed:")
                      << (open ? QString() : serial->errorString());
    if (!open)
        emit port_error(serial->errorString());
    else
        emit port_framings(usableFramings());
    if (open)
        monitor(MonitorChunk::Note, ConsoleText::portOpened(portName, baudRate).toUtf8());
    emit port_open(open);
}

quint32 SerialPort::usableFramings()
{
    // Tried once on the idle port and put back; a pseudo-terminal, for one, takes no parity.
    const QSerialPort::Parity parity = serial->parity();
    const QSerialPort::StopBits stopBits = serial->stopBits();
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    quint32 parityMask = 0;
    for (int nb = 0; nb < 5; ++nb)
        parityMask |= serial->setParity(parities[nb]) ? 1u << nb : 0u;
    serial->setParity(parity);
    const bool oneStop = serial->setStopBits(QSerialPort::OneStop);
    const bool twoStop = serial->setStopBits(QSerialPort::TwoStop);
    serial->setStopBits(stopBits);
    serial->clearError();
    quint32 framings = 0;
    for (int nb = 0; nb < 5; ++nb) {
        if (parityMask & (1u << nb))
            framings |= (oneStop ? 1u << (nb * 2) : 0u) | (twoStop ? 1u << (nb * 2 + 1) : 0u);
    }
    return framings;
}

void SerialPort::onDiscardInput()
{
    if (serial && serial->isOpen()) {
        serial->clear(QSerialPort::Input);
        monitor(MonitorChunk::Received, serial->readAll());
        // A read notice for the bytes just dropped may still be on its way; it
        // then finds nothing and reports a read error, with no fault behind it.
        flushedUnread = true;
    }
    receiveBuffer.clear();
    emit input_discarded();
}

void SerialPort::onWriteData(QByteArray data)
{
    if (serial && serial->isOpen()) {
        serial->write(data);
        monitor(MonitorChunk::Sent, data);
    }
}

void SerialPort::onSetMonitoring(bool on)
{
    monitoring = on;
    if (!on)
        monitored.clear();
}

void SerialPort::monitor(MonitorChunk::Kind kind, const QByteArray &bytes)
{
    if (!monitoring || (bytes.isEmpty() && kind != MonitorChunk::Note))
        return;
    monitored.append({kind, QDateTime::currentMSecsSinceEpoch(), bytes});
    if (!monitorTimer->isActive())
        monitorTimer->start(monitorBatchMs);
}

void SerialPort::sendMonitored()
{
    emit monitor_bytes(std::exchange(monitored, {}));
}

void SerialPort::onFinish()
{
    // An "ATCN" that leaves command mode as the window closes must still go out.
    if (serial && serial->isOpen()) {
        serial->flush();
        serial->waitForBytesWritten(finishWriteMs);
    }
    emit finished();
}

void SerialPort::onReadyRead()
{
    flushedUnread = false;
    const QByteArray bytes = serial->readAll();
    monitor(MonitorChunk::Received, bytes);
    const QList<QByteArray> lines = receiveBuffer.append(bytes);
    for (const QByteArray &line : lines)
        emit data_received(line);
}

void SerialPort::onErrorOccurred(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::PermissionError:
    case QSerialPort::DeviceNotFoundError:
        break;
    default:
        return;
    }
    if (error == QSerialPort::ReadError && std::exchange(flushedUnread, false)) {
        serial->clearError();
        return;
    }
    // Open attempts report their own failure; only a port that was working
    // and is now gone is handled here. Closing it at once also stops the
    // flood of error signals a vanished device causes, so it is reported once.
    if (!serial->isOpen())
        return;
    const QString reason = serial->errorString();
    qCDebug(lcSerial) << "Serial port lost:" << reason;
    serial->close();
    serial->clearError();
    receiveBuffer.clear();
    monitor(MonitorChunk::Note, ConsoleText::portLost(reason).toUtf8());
    emit port_lost();
    emit port_error(reason);
    emit port_open(false);
}
