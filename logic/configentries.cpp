#include "logic/configentries.h"

#include "catalogue/atcommands.h"

const QStringList configWritableCommands = {
    QStringLiteral("TO"), QStringLiteral("CM"), QStringLiteral("ID"), QStringLiteral("MT"),
    QStringLiteral("DL"), QStringLiteral("DH"), QStringLiteral("BD"), QStringLiteral("NB"),
    QStringLiteral("SB"), QStringLiteral("RO"), QStringLiteral("AP"),
};

QStringList configWriteEntries(const QHash<QString, QString> &values)
{
    QStringList entries;
    for (const QString &name : atCommandList) {
        const QString value = values.value(name);
        if (configWritableCommands.contains(name) && !value.isEmpty())
            entries.append(name + QLatin1Char('=') + value);
    }
    entries.append(QStringLiteral("WR"));
    return entries;
}
