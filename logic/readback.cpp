#include "logic/readback.h"

#include "catalogue/modulesettings.h"
#include "logic/replymapping.h"
#include "logic/settingvalue.h"

const QStringList &ReadBack::identityQueries()
{
    static const QStringList identity = {QStringLiteral("SH"), QStringLiteral("SL"), QStringLiteral("VR")};
    return identity;
}

QStringList ReadBack::queries(const SettingValues &written)
{
    QStringList commands;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (written.contains(QLatin1String(setting.command)))
            commands.append(QLatin1String(setting.command));
    }
    return commands + identityQueries();
}

ReadBack::ReadBack(const SettingValues &written, const QList<QPair<QString, QString>> &replies)
    : written(written)
{
    SettingValues answered;
    for (const auto &[command, reply] : replies)
        answered.insert(command, reply);
    isComplete = true;
    for (const QString &command : queries(written)) {
        if (!answered.contains(command)) {
            isComplete = false;
            continue;
        }
        const QString reply = answered.value(command);
        if (identityQueries().contains(command)) {
            moduleIdentity.insert(command, reply);
            continue;
        }
        const ModuleSetting &setting = *ModuleSettings::find(command);
        const QString value = Reply::fieldValue(setting, reply).value_or(reply);
        if (!SettingValue::sameValue(setting, value, written.value(command)))
            mismatchList.append({command, written.value(command), value});
    }
}

QString ReadBack::summary() const
{
    if (!isComplete)
        return tr("Read back failed: the module did not answer.");
    if (mismatchList.isEmpty() && written.size() == 1)
        return tr("Read back: the setting matches.");
    if (mismatchList.isEmpty())
        return tr("Read back: all %1 settings match.").arg(written.size());
    QStringList each;
    for (const Mismatch &mismatch : mismatchList)
        each.append(tr("%1 holds %2, not %3").arg(mismatch.command, mismatch.read, mismatch.written));
    return tr("Read back: %1.").arg(each.join(QLatin1String("; ")));
}
