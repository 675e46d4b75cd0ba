#include "packetizer.h"

namespace {
const qint64 BaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
}

qint64 Packetizer::timeoutMs(quint32 ro, quint32 bd, quint32 nb, quint32 sb)
{
    const qint64 baud = bd < std::size(BaudRates) ? BaudRates[bd] : 9600;
    // start bit, 8 data bits, parity bit if any, one or two stop bits
    const qint64 bitsPerCharacter = 1 + 8 + (nb != 0 ? 1 : 0) + (sb != 0 ? 2 : 1);
    const qint64 bits = qint64(ro) * bitsPerCharacter * 1000;
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
