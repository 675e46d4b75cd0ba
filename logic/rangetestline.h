#ifndef RANGETESTLINE_H
#define RANGETESTLINE_H

#include <QByteArray>
#include <QString>

#include <optional>

// The body of every range-test line; the receiver recognises lines by it.
extern const QString testPayload;

// The bytes the transmitter sends for the line numbered `counter`:
// payload, a space, the counter in decimal and a carriage return.
QByteArray testLineBytes(quint32 counter);

// Whether a received, trimmed line is a test line: it carries the payload,
// case-sensitively, anywhere in it.
bool isTestLine(const QString &line);

// The number right after the payload and its space, if the line carries one.
// The query does not need it; the packet-loss figures do.
std::optional<quint32> testLineCounter(const QString &line);

// The module answers "DB" with minus the RSSI in hexadecimal (4A for -74 dBm).
std::optional<int> rssiFromDbReply(const QString &reply);

// The receiver's answer to a test line it handled: the line's counter and the
// RSSI its query gave, if it has one.
struct HeardReply
{
    quint32 counter = 0;
    std::optional<int> rssi;

    bool operator==(const HeardReply &other) const { return counter == other.counter && rssi == other.rssi; }
};

// "HEARD <counter> <rssi>\r", or "HEARD <counter>\r" without an RSSI. An RSSI
// no "DB" reply can give (outside -255..0 dBm) is left out rather than sent,
// so the transmitter still counts the line as heard.
QByteArray heardReplyBytes(const HeardReply &reply);

// A received, trimmed line that has exactly the shape heardReplyBytes writes;
// anything else (other spacing, signs, leading zeros, numbers out of range) is
// not a reply.
std::optional<HeardReply> parseHeardReply(const QString &line);

#endif // RANGETESTLINE_H
