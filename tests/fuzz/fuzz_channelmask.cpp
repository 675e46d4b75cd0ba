// Any text typed or pasted into the calculator's hex field: a value, once
// read, formats back to itself, and clamping never lets a forbidden bit through.
#include "logic/channelmask.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<quint32> mask = ChannelMask::parse(text);
    if (!mask)
        return 0;
    const QString formatted = ChannelMask::format(*mask);
    if (formatted.size() != 8 || ChannelMask::parse(formatted) != mask)
        std::abort();
    if (ChannelMask::clamped(*mask) & ~ChannelMask::allowedBits)
        std::abort();
    for (int bit = 0; bit < 32; ++bit) {
        const quint32 after = ChannelMask::toggled(ChannelMask::clamped(*mask), bit);
        if (after & ~ChannelMask::allowedBits)
            std::abort();
    }
    return 0;
}
