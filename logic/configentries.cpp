#include "logic/configentries.h"

#include "catalogue/modulesettings.h"

QStringList configWriteEntries(const QHash<QString, QString> &values)
{
    QStringList entries;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString name = QLatin1String(setting.command);
        const QString value = values.value(name);
        if (setting.written && !value.isEmpty())
            entries.append(name + QLatin1Char('=') + value);
    }
    entries.append(QStringLiteral("WR"));
    return entries;
}
