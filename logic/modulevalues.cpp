#include "logic/modulevalues.h"

#include "catalogue/modulesettings.h"
#include "logic/replymapping.h"
#include "logic/settingvalue.h"

#include <optional>

namespace {

// Only digits: the number goes into file names.
bool isHalfOfSerial(const QString &text)
{
    if (text.isEmpty() || text.size() > 8)
        return false;
    const QString digits = QStringLiteral("0123456789ABCDEFabcdef");
    for (QChar c : text) {
        if (!digits.contains(c))
            return false;
    }
    return true;
}

} // namespace

void ModuleValues::startRead()
{
    readStarting = true;
}

void ModuleValues::takeReply(const QString &command, const QString &reply)
{
    if (readStarting) {
        held.clear();
        readStarting = false;
        known = true;
    }
    const ModuleSetting *setting = ModuleSettings::find(command);
    if (!setting)
        return;
    // A combo shows no item for a reply that names none: the module's value stays unknown.
    if (const std::optional<QString> value = Reply::fieldValue(*setting, reply))
        held.insert(command, *value);
    else
        held.remove(command);
}

void ModuleValues::takeWritten(const QString &command, const QString &value)
{
    const ModuleSetting *setting = ModuleSettings::find(command);
    if (known && setting && setting->written && !value.isEmpty())
        held.insert(command, value);
}

void ModuleValues::forget()
{
    held.clear();
    known = false;
    readStarting = false;
}

QStringList ModuleValues::differing(const QHash<QString, QString> &form) const
{
    return differing(form, held);
}

QStringList ModuleValues::differing(const QHash<QString, QString> &form, const QHash<QString, QString> &reference)
{
    QStringList commands;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString command = QLatin1String(setting.command);
        const QString value = form.value(command);
        if (setting.written && !value.isEmpty() && reference.contains(command)
            && !SettingValue::sameValue(setting, value, reference.value(command)))
            commands.append(command);
    }
    return commands;
}

QString ModuleValues::serialNumber() const
{
    const QString high = held.value(QStringLiteral("SH"));
    const QString low = held.value(QStringLiteral("SL"));
    if (!isHalfOfSerial(high) || !isHalfOfSerial(low))
        return QString();
    return (high + low.rightJustified(8, QLatin1Char('0'))).toUpper();
}
