#include "logic/configentries.h"

#include "catalogue/modulesettings.h"

namespace {

const QString nodeIdentifier = QStringLiteral("NI");

} // namespace

QStringList configWriteEntries(const QHash<QString, QString> &values)
{
    QStringList entries;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString name = QLatin1String(setting.command);
        const QString value = values.value(name);
        if (setting.written && !value.isEmpty() && name != nodeIdentifier)
            entries.append(writeEntry(name, value));
    }
    // The name goes after every setting the form has always sent, so those keep their order.
    if (!values.value(nodeIdentifier).isEmpty())
        entries.append(writeEntry(nodeIdentifier, values.value(nodeIdentifier)));
    entries.append(QStringLiteral("WR"));
    return entries;
}

QString writeEntry(const QString &command, const QString &value)
{
    return command + (command == nodeIdentifier ? QLatin1Char(' ') : QLatin1Char('=')) + value;
}

std::optional<QPair<QString, QString>> parseWriteEntry(const QString &entry)
{
    // Two letters, then "=" or (for NI) a blank, then the value.
    if (entry.size() < 3 || (entry.at(2) != QLatin1Char('=') && entry.at(2) != QLatin1Char(' ')))
        return std::nullopt;
    return QPair<QString, QString>(entry.left(2), entry.mid(3));
}

bool isSettingEntry(const QString &entry)
{
    return entry == QLatin1String("WR") || parseWriteEntry(entry).has_value();
}
