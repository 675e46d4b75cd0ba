#include "logic/replymapping.h"

#include "catalogue/modulesettings.h"

namespace Reply {

bool isAcknowledgement(const QString &line)
{
    return line.contains(QLatin1String("OK"));
}

QString withoutLeadingJunk(const QString &line)
{
    qsizetype start = 0;
    while (start < line.size() && (line.at(start).unicode() < 0x20 || line.at(start).unicode() > 0x7E))
        ++start;
    return line.mid(start);
}

std::optional<QString> fieldValue(const ModuleSetting &setting, const QString &reply)
{
    if (setting.kind != FieldKind::Combo)
        return reply;
    bool isNumber = false;
    const int index = reply.toInt(&isNumber); // 0 when it is no number
    if ((!isNumber && !setting.nonNumberIsFirstItem) || index < 0 || index >= setting.items)
        return std::nullopt;
    return QString::number(index);
}

QHash<QString, QString> settingValues(const QList<QPair<QString, QString>> &replies, bool writtenOnly)
{
    QHash<QString, QString> values;
    for (const auto &[command, reply] : replies) {
        const ModuleSetting *setting = ModuleSettings::find(command);
        if (!setting || (writtenOnly && !setting->written) || (!writtenOnly && setting->kind == FieldKind::None))
            continue;
        if (const std::optional<QString> value = fieldValue(*setting, reply))
            values.insert(command, *value);
    }
    return values;
}

} // namespace Reply
