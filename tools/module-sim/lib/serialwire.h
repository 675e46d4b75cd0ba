#ifndef SERIALWIRE_H
#define SERIALWIRE_H

#include "uartframing.h"

#include <QByteArray>
#include <deque>
#include <optional>

// One direction of the serial line between the program and the module.
// Bytes cross it one after another, each taking its bit times, so that a
// byte is there only once its last stop bit is. Times are milliseconds on
// the module's clock; a byte counts from the first millisecond in which it
// has fully arrived.
class SerialWire
{
public:
    struct Arrival
    {
        QByteArray bytes;
        qint64 arrivalMs = 0;               // of the last of the bytes
        std::optional<UartSettings> sender; // how the sending end framed them
    };

    // Bytes that the sender starts to put out at nowMs, or once the bytes
    // before them are through.
    void put(const QByteArray &bytes, qint64 nowMs, const std::optional<UartSettings> &sender, qint64 byteUs);
    qsizetype pendingBytes() const;

    // For a receiver that takes byte by byte.
    std::optional<qint64> nextByteArrival() const;
    // The next byte, if it has arrived by nowMs.
    std::optional<Arrival> takeByte(qint64 nowMs);

    // For a receiver that is handed whole writes: the first one, once its
    // last byte has arrived by nowMs.
    std::optional<qint64> nextWriteArrival() const;
    std::optional<Arrival> takeWrite(qint64 nowMs);

private:
    struct Write
    {
        QByteArray bytes;
        std::optional<UartSettings> sender;
        qint64 startUs = 0;
        qint64 byteUs = 0;
        qsizetype taken = 0;

        qint64 arrivalMs(qsizetype index) const;
    };

    std::deque<Write> writes;
    qint64 freeAtUs = 0;
    qsizetype pending = 0;
};

#endif // SERIALWIRE_H
