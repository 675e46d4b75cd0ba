#include "logic/replymapping.h"

#include "catalogue/modulesettings.h"

namespace Reply {

bool isAcknowledgement(const QString &line)
{
    return line.contains(QLatin1String("OK"));
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

} // namespace Reply
