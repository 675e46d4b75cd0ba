#ifndef ESCAPEDETECTOR_H
#define ESCAPEDETECTOR_H

#include <QByteArray>
#include <optional>

// Recognises the escape into command mode in the host's data stream: the
// guard time of silence, "+++" with less than the guard time between the
// characters, then the guard time of silence again. Until that is decided
// the "+" characters are held back; if anything breaks the pattern they are
// handed back as ordinary data, in their place in the stream.
class EscapeDetector
{
public:
    static constexpr char CommandCharacter = '+';

    explicit EscapeDetector(qint64 guardMs = 1000);
    void setGuardTime(qint64 guardMs);

    // One byte from the host in transparent mode. Returns the bytes that
    // are now known to be data (possibly none, possibly held ones too).
    QByteArray feed(char byte, qint64 nowMs);
    // A byte that the module took in command mode: it breaks the silence.
    void noteActivity(qint64 nowMs);
    // Call before feeding and when the deadline has come. True when the
    // escape is complete; held characters that can no longer become an
    // escape are appended to released.
    bool poll(qint64 nowMs, QByteArray *released);
    std::optional<qint64> deadline() const;

private:
    bool silentSince(qint64 nowMs) const;

    qint64 guardMs;
    std::optional<qint64> lastInputMs;
    QByteArray held;
};

#endif // ESCAPEDETECTOR_H
