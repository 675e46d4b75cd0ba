#include "packetizer.h"

#include "uartframing.h"
#include "uartrate.h"

qint64 Packetizer::timeoutMs(quint32 ro, quint32 bd, quint32 nb, quint32 sb)
{
    const int rate = uartRateOfIndex(bd);
    const qint64 baud = rate > 0 ? rate : 9600;
    const qint64 bits = qint64(ro) * bitsPerByte(nb, sb) * 1000;
    return (bits + baud - 1) / baud;
}

void Packetizer::setTimeout(qint64 ms)
{
    silenceMs = ms;
}

QList<QByteArray> Packetizer::append(const QByteArray &bytes, qint64 nowMs)
{
    QList<QByteArray> packets;
    if (bytes.isEmpty())
        return packets;
    buffer.append(bytes);
    lastByteMs = nowMs;
    while (buffer.size() >= MaxPayload) {
        packets.append(buffer.left(MaxPayload));
        buffer.remove(0, MaxPayload);
    }
    if (silenceMs == 0 && !buffer.isEmpty())
        packets.append(flush());
    return packets;
}

QByteArray Packetizer::poll(qint64 nowMs)
{
    if (buffer.isEmpty() || nowMs - lastByteMs < silenceMs)
        return {};
    return flush();
}

QByteArray Packetizer::flush()
{
    QByteArray packet;
    packet.swap(buffer);
    return packet;
}

std::optional<qint64> Packetizer::deadline() const
{
    if (buffer.isEmpty())
        return std::nullopt;
    return lastByteMs + silenceMs;
}
