#ifndef CHANNELMASK_H
#define CHANNELMASK_H

#include <QString>
#include <QtGlobal>

#include <optional>

// The channel mask of an 868 MHz module: bit n enables RF channel n.
namespace ChannelMask {

// Channels 0 to 29 exist on this band, but 9 and 24 are not usable; bits 30
// and 31 lie outside the band. No other bit can ever be set.
constexpr quint32 allowedBits = 0x3EFFFDFF;

// Reads hexadecimal digits, with blanks around them and an optional "0x" or
// "0X" in front. Empty text, any other character or more than 32 bits give
// no value. Leading zeros are fine ("000000001F" is 0x1F).
std::optional<quint32> parse(const QString &text);

// The mask with every bit cleared that no channel stands for.
constexpr quint32 clamped(quint32 mask)
{
    return mask & allowedBits;
}

// Whether bit can be switched by the user.
constexpr bool isAllowed(int bit)
{
    return bit >= 0 && bit < 32 && (allowedBits >> bit) & 1u;
}

// The mask with bit flipped, or unchanged when that bit may not be set.
constexpr quint32 toggled(quint32 mask, int bit)
{
    return isAllowed(bit) ? mask ^ (1u << bit) : mask;
}

// Eight upper-case hexadecimal digits, without a prefix ("00000003").
QString format(quint32 mask);

} // namespace ChannelMask

#endif // CHANNELMASK_H
