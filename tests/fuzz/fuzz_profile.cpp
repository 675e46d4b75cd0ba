// Any file opened as a profile: reading never fails but with a problem text,
// and a profile it accepts is written and read back to the same settings,
// also with an odd text recorded for the module.
#include "logic/profilefile.h"
#include "catalogue/modulesettings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ProfileReading reading = ProfileFile::parse(bytes);
    if (!reading.problem.isEmpty()) {
        if (!reading.settings.isEmpty())
            std::abort(); // a bad file must hand over nothing
        return 0;
    }
    for (auto it = reading.settings.cbegin(); it != reading.settings.cend(); ++it) {
        const ModuleSetting *setting = ModuleSettings::find(it.key());
        if (!setting || !ModuleSettings::accepts(*setting, it.value()))
            std::abort();
    }
    const SettingValues module{{QStringLiteral("SH"), QString::fromUtf8(bytes.left(64))}};
    const ProfileReading again = ProfileFile::parse(ProfileFile::serialise(reading.settings, module));
    if (!again.problem.isEmpty() || again.settings != reading.settings)
        std::abort();
    if (!ProfileFile::differences(reading.settings, reading.settings).isEmpty())
        std::abort();
    return 0;
}
