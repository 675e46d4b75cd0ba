#ifndef MONITORLOG_H
#define MONITORLOG_H

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <deque>

// Bytes on the serial line as the serial worker saw them pass, with the
// time (milliseconds since the epoch) they were written or read.
struct MonitorChunk
{
    enum Kind { Sent, Received, Note };
    Kind kind = Received;
    qint64 ms = 0;
    QByteArray bytes; // a note's text in UTF-8: "Port opened at 9600 baud"
};

// One line of the monitor: bytes of one direction, a pause on the line, or a note.
struct MonitorLine
{
    enum Kind { Sent, Received, Silence, Note };
    Kind kind = Received;
    qint64 ms = 0;        // when its first byte passed, or the silence began
    QByteArray bytes;     // Sent, Received; a note's text
    qint64 silenceMs = 0; // Silence
};

// Every byte to and from the module as lines a technician reads: one line
// per line on the wire, with its time and direction, control characters
// shown (\r, <0x7E>) or the whole line as hex, and a pause on the line as a
// line of its own. Only the newest lines are kept, so a module that streams
// for days costs no more memory than one that streamed for a minute.
class MonitorLog
{
public:
    static constexpr int keptLines = 10000;
    // A pause this long shows as "… 1.1 s silence": the guard time a module
    // needs around "+++" is a second from the factory.
    static constexpr qint64 silenceMs = 1000;
    // A line without an end is cut once nothing has followed it this long,
    // or once it is this long, so a stream without line ends still shows.
    static constexpr qint64 quietMs = 100;
    static constexpr int longestLine = 128;

    void add(const MonitorChunk &chunk);
    // Ends the line in progress if nothing has come for quietMs.
    void flush(qint64 nowMs);
    void clear();

    qint64 completed() const { return total; }      // lines ever completed, the dropped ones too
    qint64 dropped() const { return droppedLines; } // since the last clear()
    int size() const { return int(lines.size()); }
    const MonitorLine &at(int index) const { return lines.at(size_t(index)); }

    // "17:03:12.345 → ATNO\r", "17:03:12.345 ← 2B 2B 2B", "17:03:13.345   … 1.1 s silence"
    static QString format(const MonitorLine &line, bool hex);
    // Every line kept, with a first line saying how many older ones were dropped.
    QString text(bool hex) const;

private:
    void addBytes(MonitorLine::Kind kind, qint64 ms, const QByteArray &bytes);
    void endLine();
    void keep(const MonitorLine &line);

    std::deque<MonitorLine> lines;
    qint64 total = 0;
    MonitorLine current; // the line in progress, while open
    bool open = false;
    bool endsWithCr = false; // a line feed may still join it
    qint64 lastByteMs = -1;
    qint64 droppedLines = 0;
};

Q_DECLARE_METATYPE(MonitorChunk)

#endif // MONITORLOG_H
