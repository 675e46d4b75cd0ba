#include "moduleuart.h"

#include "uartrate.h"

namespace {

// Bytes on their way over a slow line, in each direction; a real module's
// buffers are far smaller.
constexpr qsizetype MaxWireBytes = 64 * 1024;

QString rateText(const std::optional<UartSettings> &settings)
{
    return settings && settings->baud > 0 ? QString::number(settings->baud) : QString();
}

} // namespace

ModuleUart::ModuleUart(bool strictFraming, QObject *parent)
    : QObject(parent)
    , strictFraming(strictFraming)
    , rateLog(QStringLiteral("rate mismatch: host %1, module %2"), QStringLiteral("rates match again: %1"))
    , framingLog(QStringLiteral("framing mismatch: host %1, module %2"), QStringLiteral("framing matches again: %1"))
{
}

void ModuleUart::setHostLine(const HostLine *line)
{
    hostLine = line;
}

bool ModuleUart::fromHost(const QByteArray &bytes, qint64 nowMs, bool atModuleSettings, const UartSettings &module)
{
    if (inbound.pendingBytes() + bytes.size() > MaxWireBytes)
        return false;
    const std::optional<UartSettings> sender = atModuleSettings || !hostLine ? std::nullopt : hostLine->hostSettings();
    // The sender's rate sets the pace; the module's stands in for one that
    // cannot be known.
    const UartSettings pace = sender && sender->baud > 0 ? *sender : module;
    inbound.put(bytes, nowMs, sender, byteTimeUs(pace));
    return true;
}

std::optional<qint64> ModuleUart::nextByteArrival() const
{
    return inbound.nextByteArrival();
}

std::optional<ModuleUart::Byte> ModuleUart::takeByte(qint64 nowMs, const UartSettings &module)
{
    const std::optional<SerialWire::Arrival> arrival = inbound.takeByte(nowMs);
    if (!arrival)
        return std::nullopt;
    // Junk still reaches the module, as a real UART hands on what it makes
    // of a wrong rate.
    const char byte = arrival->bytes.at(0);
    return Byte{lineMatches(arrival->sender, module) ? byte : garbleByte(byte), arrival->arrivalMs};
}

bool ModuleUart::toHost(const QByteArray &bytes, qint64 atMs, const UartSettings &module)
{
    if (outbound.pendingBytes() + bytes.size() > MaxWireBytes)
        return false;
    outbound.put(bytes, atMs, module, byteTimeUs(module));
    return true;
}

std::optional<qint64> ModuleUart::nextDelivery() const
{
    return outbound.nextWriteArrival();
}

QList<QByteArray> ModuleUart::delivered(qint64 nowMs)
{
    QList<QByteArray> writes;
    while (const std::optional<SerialWire::Arrival> write = outbound.takeWrite(nowMs)) {
        // The program may have changed its port meanwhile: the bytes are
        // read with what it has now, as they were sent with what the module
        // had then.
        const bool matches = lineMatches(hostLine ? hostLine->hostSettings() : std::nullopt, *write->sender);
        writes.append(matches ? write->bytes : garbleBytes(write->bytes));
    }
    return writes;
}

void ModuleUart::clear()
{
    inbound = SerialWire();
    outbound = SerialWire();
}

bool ModuleUart::lineMatches(const std::optional<UartSettings> &host, const UartSettings &module)
{
    // What cannot be known is taken as right, so that the simulator never
    // garbles on a guess.
    const bool rateOk = !host || ratesMatch(host->baud, module.baud);
    const bool framingOk = !host || framingsMatch(*host, module, strictFraming);
    const QString rateLine = rateLog.update(rateOk, rateText(host), QString::number(module.baud));
    if (!rateLine.isEmpty())
        emit eventLogged(rateLine);
    const QString framingLine =
        framingLog.update(framingOk, host ? framingName(*host) : QString(), framingName(module));
    if (!framingLine.isEmpty())
        emit eventLogged(framingLine);
    return rateOk && framingOk;
}
