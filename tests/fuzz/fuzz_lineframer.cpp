// Arbitrary bytes in arbitrary reads through the line framer: every line
// ends with its only carriage return, nothing grows past the bound, and
// while nothing was dropped every byte comes out again in order.
#include "logic/lineframer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr qsizetype limit = 64; // small, so the bound is reached often
    LineFramer framer(limit);
    QByteArray input;
    QByteArray output;

    // The first byte of each read gives its length.
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at] % 97, size - at - 1);
        const QByteArray chunk(reinterpret_cast<const char *>(data) + at + 1, qsizetype(length));
        at += length + 1;
        input += chunk;
        for (const QByteArray &line : framer.append(chunk)) {
            if (line.isEmpty() || !line.endsWith('\r') || line.count('\r') != 1 || line.size() > limit + 1)
                std::abort();
            output += line;
        }
        if (framer.pending().size() > limit || framer.pending().contains('\r'))
            std::abort();
    }
    const bool nothingDropped = output.size() + framer.pending().size() == input.size();
    if (nothingDropped && output + framer.pending() != input)
        std::abort();
    if (!nothingDropped && output.size() + framer.pending().size() > input.size())
        std::abort();
    return 0;
}
