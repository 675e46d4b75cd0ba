#include "moduleconfigs.h"

#include "moduleletters.h"
#include "simoptions.h"

namespace {

constexpr quint32 FirstSerialLow = 0x40F1A001;

std::optional<quint32> startValue(const QHash<QChar, quint32> &values, QChar letter)
{
    return values.contains(letter) ? std::optional<quint32>(values.value(letter)) : std::nullopt;
}

} // namespace

quint32 serialLowOf(QChar letter)
{
    return FirstSerialLow + quint32(moduleIndex(letter));
}

ModuleConfig moduleConfigFor(const SimOptions &options, QChar letter)
{
    ModuleConfig config;
    config.letter = letter;
    config.serialLow = serialLowOf(letter);
    config.silent = options.silent.contains(letter);
    config.strictFraming = options.strictFraming;
    config.faults = options.faults.value(letter);
    config.refused = options.refused;
    // A module named on its own wins over the value for all of them.
    config.guardTime =
        options.guardTimeAt.contains(letter) ? startValue(options.guardTimeAt, letter) : options.guardTime;
    config.commandTimeout = options.commandTimeout;
    config.uartRateIndex = startValue(options.uartRateIndex, letter);
    config.parity = startValue(options.parityIndex, letter);
    config.stopBits = startValue(options.stopBitsIndex, letter);
    return config;
}
