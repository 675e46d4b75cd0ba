#ifndef UARTFRAMING_H
#define UARTFRAMING_H

#include <QPair>
#include <QString>
#include <optional>

// How one end of a serial line sends and reads its bytes: always 8 data bits.
struct UartSettings
{
    int baud = 0;         // 0 when it cannot be known
    quint32 parity = 0;   // as NB: 0 none, 1 even, 2 odd, 3 mark, 4 space
    quint32 stopBits = 0; // as SB: 0 one, 1 two
};

// "8N1", "8E2" and so on.
QString framingName(const UartSettings &settings);
// A parity bit that one end sends and the other does not expect is read as
// data or fails the check, so parity must agree. Most receivers check only
// the first stop bit: a second one matters to a strict receiver alone.
bool framingsMatch(const UartSettings &host, const UartSettings &module, bool strictStopBits);
// Start bit, 8 data bits, the parity bit if any and the stop bits.
int bitsPerByte(quint32 parity, quint32 stopBits);
// How long one byte takes on the wire, in microseconds; an unknown rate
// counts as 9600.
qint64 byteTimeUs(const UartSettings &settings);

// The program's end of the serial line, as far as a module can tell.
class HostLine
{
public:
    virtual ~HostLine() = default;
    // What the program set on its port; nothing when it cannot be known.
    virtual std::optional<UartSettings> hostSettings() const = 0;
};

// Turns the state of the line, looked at for every byte, into log lines:
// one when a mismatch starts or changes, one when it ends.
class MismatchLog
{
public:
    // mismatch takes the host's and the module's value, recovered the
    // module's.
    MismatchLog(const QString &mismatch, const QString &recovered);

    // An empty host value is unknown: it says nothing about whether a
    // mismatch is over. Returns the line to log, or an empty string.
    QString update(bool matches, const QString &host, const QString &module);

private:
    QString mismatchText;
    QString recoveredText;
    std::optional<QPair<QString, QString>> reported;
};

#endif // UARTFRAMING_H
