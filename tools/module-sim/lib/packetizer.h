#ifndef PACKETIZER_H
#define PACKETIZER_H

#include <QByteArray>
#include <QList>
#include <optional>

// Collects the host's transparent data into radio packets: a packet leaves
// after the packetization timeout of silence, or as soon as it is full.
class Packetizer
{
public:
    static constexpr int MaxPayload = 256;

    // RO character times at the UART settings BD, NB and SB, in whole
    // milliseconds (rounded up, so that a short timeout is never zero).
    static qint64 timeoutMs(quint32 ro, quint32 bd, quint32 nb, quint32 sb);

    void setTimeout(qint64 ms);
    // Returns the packets that are complete now.
    QList<QByteArray> append(const QByteArray &bytes, qint64 nowMs);
    // The waiting packet once the silence has lasted the timeout.
    QByteArray poll(qint64 nowMs);
    QByteArray flush();
    std::optional<qint64> deadline() const;

private:
    QByteArray buffer;
    qint64 lastByteMs = 0;
    qint64 silenceMs = 0;
};

#endif // PACKETIZER_H
