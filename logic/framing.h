#ifndef FRAMING_H
#define FRAMING_H

#include <QString>

#include <optional>

// The UART framing besides the rate: eight data bits always, parity and
// stop bits as the module's NB and SB store them (NB 0 none, 1 even, 2 odd,
// 3 mark, 4 space; SB 0 one, 1 two). 8N1 from the factory.
struct Framing
{
    int parity = 0;
    int stopBits = 0;

    bool operator==(const Framing &other) const { return parity == other.parity && stopBits == other.stopBits; }
    bool operator!=(const Framing &other) const { return !(*this == other); }

    // "8N1", "8E2"
    QString text() const;
    // "even parity", for "The port cannot use even parity."
    QString parityName() const;
    // Framing from NB and SB as a write sends them; nothing for an index the module does not have.
    static std::optional<Framing> fromSettings(int nb, int sb);
};

#endif // FRAMING_H
