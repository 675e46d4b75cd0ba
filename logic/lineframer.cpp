#include "logic/lineframer.h"

#include "logic/logging.h"

LineFramer::LineFramer(qsizetype limit)
    : maxPending(limit)
{
}

QList<QByteArray> LineFramer::append(const QByteArray &bytes)
{
    buffer.append(bytes);

    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end = buffer.indexOf('\r'); end >= 0; end = buffer.indexOf('\r', start)) {
        // However the bytes were split into reads, a line keeps at most the
        // newest `limit` bytes before its carriage return.
        const qsizetype from = qMax(start, end - maxPending);
        reportDropped(from - start);
        lines.append(buffer.mid(from, end - from + 1));
        start = end + 1;
    }
    buffer.remove(0, start);

    if (buffer.size() > maxPending) {
        const qsizetype excess = buffer.size() - maxPending;
        reportDropped(excess);
        buffer.remove(0, excess);
    }
    return lines;
}

void LineFramer::reportDropped(qsizetype count)
{
    if (count > 0)
        qCDebug(lcSerial) << "Receive buffer full, dropped" << count << "bytes without a carriage return";
}

void LineFramer::clear()
{
    buffer.clear();
}
