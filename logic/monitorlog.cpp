#include "logic/monitorlog.h"

#include "logic/consoletexts.h"

#include <QDateTime>

namespace {

const QString sentMark = QStringLiteral("\u2192");     // →
const QString receivedMark = QStringLiteral("\u2190"); // ←

QString timeOfDay(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).time().toString(QStringLiteral("hh:mm:ss.zzz"));
}

// Printable ASCII as it is; the rest so that it can be told apart. 0x7E
// opens every frame of the API mode, so it is shown like a control byte.
QString visible(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = uchar(c);
        if (byte == '\r')
            text += QLatin1String("\\r");
        else if (byte == '\n')
            text += QLatin1String("\\n");
        else if (byte == '\t')
            text += QLatin1String("\\t");
        else if (byte >= 0x20 && byte < 0x7E)
            text += QLatin1Char(char(byte));
        else
            text += QLatin1String("<0x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'))
                + QLatin1Char('>');
    }
    return text;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

void MonitorLog::add(const MonitorChunk &chunk)
{
    if (lastByteMs >= 0 && chunk.ms - lastByteMs >= silenceMs) {
        endLine();
        keep({MonitorLine::Silence, lastByteMs, {}, chunk.ms - lastByteMs});
    }
    if (chunk.kind == MonitorChunk::Note) {
        endLine();
        keep({MonitorLine::Note, chunk.ms, chunk.bytes, 0});
        return;
    }
    if (chunk.bytes.isEmpty())
        return;
    lastByteMs = chunk.ms;
    addBytes(chunk.kind == MonitorChunk::Sent ? MonitorLine::Sent : MonitorLine::Received, chunk.ms, chunk.bytes);
}

void MonitorLog::addBytes(MonitorLine::Kind kind, qint64 ms, const QByteArray &bytes)
{
    // The other side speaking ends the line in progress.
    if (open && current.kind != kind)
        endLine();
    for (const char byte : bytes) {
        // "\r\n" ends one line; "\r" followed by anything else ends it before that.
        if (open && endsWithCr && byte != '\n')
            endLine();
        if (!open) {
            current = {kind, ms, {}, 0};
            open = true;
        }
        current.bytes.append(byte);
        endsWithCr = byte == '\r';
        if (byte == '\n' || current.bytes.size() >= longestLine)
            endLine();
    }
}

void MonitorLog::flush(qint64 nowMs)
{
    if (open && nowMs - lastByteMs >= quietMs)
        endLine();
}

void MonitorLog::endLine()
{
    if (!open)
        return;
    open = false;
    endsWithCr = false;
    keep(current);
    current = {};
}

void MonitorLog::keep(const MonitorLine &line)
{
    lines.push_back(line);
    ++total;
    if (lines.size() > size_t(keptLines)) {
        lines.pop_front();
        ++droppedLines;
    }
}

void MonitorLog::clear()
{
    endLine();
    lines.clear();
    droppedLines = 0;
}

QString MonitorLog::format(const MonitorLine &line, bool asHex)
{
    const QString time = timeOfDay(line.ms);
    switch (line.kind) {
    case MonitorLine::Silence:
        return time + QLatin1String("   ") + ConsoleText::silence(line.silenceMs);
    case MonitorLine::Note:
        return QStringLiteral("%1 \u2014 %2").arg(time, QString::fromUtf8(line.bytes));
    case MonitorLine::Sent:
    case MonitorLine::Received:
        break;
    }
    const QString &mark = line.kind == MonitorLine::Sent ? sentMark : receivedMark;
    return QStringLiteral("%1 %2 %3").arg(time, mark, asHex ? hex(line.bytes) : visible(line.bytes));
}

QString MonitorLog::text(bool asHex) const
{
    QString all;
    if (droppedLines > 0)
        all += ConsoleText::droppedLines(droppedLines, keptLines) + QLatin1Char('\n');
    for (const MonitorLine &line : lines)
        all += format(line, asHex) + QLatin1Char('\n');
    return all;
}
