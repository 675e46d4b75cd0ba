#include "catalogue/atcommands.h"

#include "catalogue/modulesettings.h"

namespace {

QStringList commandsOf(const QList<ModuleSetting> &settings)
{
    QStringList commands;
    for (const ModuleSetting &setting : settings)
        commands.append(QLatin1String(setting.command));
    return commands;
}

} // namespace

const QStringList atCommandList = commandsOf(ModuleSettings::all());
