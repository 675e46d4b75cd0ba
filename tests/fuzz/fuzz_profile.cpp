// Any file opened as a profile: reading never fails but with a problem text,
// and a profile it accepts is written and read back to the same settings,
// also with an odd text recorded for the module.
#include "logic/profilefile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileReading reading = ProfileFile::parse(bytes);
    if (!reading.problem.isEmpty() && !reading.settings.isEmpty())
        std::abort(); // a bad file must hand over nothing
    // What Open… takes, Save… must take as well.
    if (!ProfileFile::invalidValue(reading.settings).isEmpty())
        std::abort();
    // Written and read back, only settings the file may hold go round (none for a bad file).
    const SettingValues module{{QStringLiteral("SH"), QString::fromUtf8(bytes.left(64))}};
    const ProfileReading again = ProfileFile::parse(ProfileFile::serialise(reading.settings, module));
    if (!again.problem.isEmpty() || again.settings != reading.settings)
        std::abort();
    return 0;
}
