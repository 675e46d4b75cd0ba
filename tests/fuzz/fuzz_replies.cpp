// Any reply line from a module through the conversions a Read and the range
// test make of it: the first byte picks the setting of the catalogue, the
// rest is the reply. A combo is only ever given one of its items, and a text
// field shows the reply unchanged.
#include "catalogue/modulesettings.h"
#include "catalogue/presets.h"
#include "logic/rangetestline.h"
#include "logic/replymapping.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QList<ModuleSetting> &settings = ModuleSettings::all();
    const ModuleSetting &setting = settings.at(data[0] % settings.size());
    // The dialog decodes and trims every line before it looks at it.
    const QString reply = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)).trimmed();

    const std::optional<QString> value = Reply::fieldValue(setting, reply);
    if (setting.kind == FieldKind::Combo && value && (value->toInt() < 0 || value->toInt() >= setting.items))
        std::abort();
    if (setting.kind != FieldKind::Combo && value != reply)
        std::abort();
    const int configuration = Presets::forPanId(reply);
    if (configuration < 0 || configuration > 2)
        std::abort();
    rssiFromDbReply(reply);
    testLineCounter(reply);
    return 0;
}
