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

#endif // RANGETESTLINE_H
