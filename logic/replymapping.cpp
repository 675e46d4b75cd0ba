#include "logic/replymapping.h"

namespace Reply {

bool isAcknowledgement(const QString &line)
{
    return line.contains(QLatin1String("OK"));
}

int configurationForPanId(const QString &panId)
{
    if (panId == QLatin1String("3333"))
        return 1;
    if (panId == QLatin1String("4444"))
        return 2;
    return 0;
}

int comboIndex(const QString &reply, int itemCount)
{
    const int index = reply.toInt(); // 0 when the reply is no decimal number
    return index >= 0 && index < itemCount ? index : -1;
}

int apiModeIndex(const QString &reply)
{
    bool ok = false;
    const int mode = reply.toInt(&ok);
    return ok && mode >= 0 && mode <= 2 ? mode : -1;
}

} // namespace Reply
