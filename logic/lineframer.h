#ifndef LINEFRAMER_H
#define LINEFRAMER_H

#include <QByteArray>
#include <QList>

// Cuts a received byte stream into lines that end with a carriage return.
// A line feed is an ordinary byte. Bytes still waiting for their carriage
// return are bounded, so a device that never sends one cannot make the
// buffer grow without limit: the oldest bytes are dropped instead, and no
// line is delivered with more than `limit` bytes before its carriage return.
class LineFramer
{
public:
    static constexpr qsizetype DefaultLimit = 4096;

    explicit LineFramer(qsizetype limit = DefaultLimit);

    // Appends bytes and returns the lines they complete, carriage return included.
    QList<QByteArray> append(const QByteArray &bytes);
    void clear();

    const QByteArray &pending() const { return buffer; }

private:
    static void reportDropped(qsizetype count);

    QByteArray buffer;
    qsizetype maxPending;
};

#endif // LINEFRAMER_H
