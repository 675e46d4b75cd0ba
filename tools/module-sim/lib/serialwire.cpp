#include "serialwire.h"

qint64 SerialWire::Write::arrivalMs(qsizetype index) const
{
    const qint64 endUs = startUs + (index + 1) * byteUs;
    return (endUs + 999) / 1000;
}

void SerialWire::put(const QByteArray &bytes, qint64 nowMs, const std::optional<UartSettings> &sender, qint64 byteUs)
{
    if (bytes.isEmpty())
        return;
    Write write;
    write.bytes = bytes;
    write.sender = sender;
    write.startUs = qMax(nowMs * 1000, freeAtUs);
    write.byteUs = byteUs;
    freeAtUs = write.startUs + bytes.size() * byteUs;
    pending += bytes.size();
    writes.push_back(write);
}

qsizetype SerialWire::pendingBytes() const
{
    return pending;
}

std::optional<qint64> SerialWire::nextByteArrival() const
{
    if (writes.empty())
        return std::nullopt;
    return writes.front().arrivalMs(writes.front().taken);
}

std::optional<SerialWire::Arrival> SerialWire::takeByte(qint64 nowMs)
{
    const std::optional<qint64> due = nextByteArrival();
    if (!due || *due > nowMs)
        return std::nullopt;
    Write &write = writes.front();
    Arrival byte{write.bytes.mid(write.taken, 1), *due, write.sender};
    --pending;
    if (++write.taken == write.bytes.size())
        writes.pop_front();
    return byte;
}

std::optional<qint64> SerialWire::nextWriteArrival() const
{
    if (writes.empty())
        return std::nullopt;
    return writes.front().arrivalMs(writes.front().bytes.size() - 1);
}

std::optional<SerialWire::Arrival> SerialWire::takeWrite(qint64 nowMs)
{
    const std::optional<qint64> due = nextWriteArrival();
    if (!due || *due > nowMs)
        return std::nullopt;
    const Write &write = writes.front();
    Arrival rest{write.bytes.mid(write.taken), *due, write.sender};
    pending -= rest.bytes.size();
    writes.pop_front();
    return rest;
}
