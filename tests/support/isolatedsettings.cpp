#include "isolatedsettings.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QSettings>

IsolatedSettings::IsolatedSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    // The programming record lands in the data folder; the tests keep it here too.
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
}

QString IsolatedSettings::recordPath() const
{
    return dir.filePath(QStringLiteral("data/Velmorin/Tarnowick/programming-log.jsonl"));
}

QString IsolatedSettings::filePath() const
{
    return dir.filePath(QStringLiteral("Velmorin/Tarnowick.ini"));
}

void IsolatedSettings::store(const QString &key, const QVariant &value)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(Settings::generalGroup() + QLatin1Char('/') + key, value);
}
