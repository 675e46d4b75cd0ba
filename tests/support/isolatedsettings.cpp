#include "isolatedsettings.h"

#include <QCoreApplication>
#include <QSettings>

IsolatedSettings::IsolatedSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

QString IsolatedSettings::filePath() const
{
    return dir.filePath(QStringLiteral("Velmorin/Tarnowick.ini"));
}

void IsolatedSettings::store(const QString &key, const QVariant &value)
{
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("general/") + key, value);
}
