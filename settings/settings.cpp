#include "settings/settings.h"

#include <QHash>
#include <QSettings>

namespace {

// Choices that could not be written (a read-only or broken settings
// location) are kept here, so they still hold until the program exits.
QHash<QString, QVariant> &unsavedValues()
{
    static QHash<QString, QVariant> values;
    return values;
}

QString unsavedKey(const QString &group, const QString &key)
{
    return group + QLatin1Char('/') + key;
}

} // namespace

Settings::Settings(QObject *parent)
    : QObject(parent)
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
}

Settings *Settings::instance()
{
    // Made on first use, once, also when two threads ask at the same time.
    static Settings settings;
    return &settings;
}

QVariant Settings::value(const QString &group, const QString &key, const QVariant &defaultValue)
{
    const auto unsaved = unsavedValues().constFind(unsavedKey(group, key));
    if (unsaved != unsavedValues().cend())
        return *unsaved;

    QSettings settings;
    settings.beginGroup(group);
    const QVariant result = settings.value(key, defaultValue);
    settings.endGroup();
    return result;
}

void Settings::setValue(const QString &group, const QString &key, const QVariant &value)
{
    QSettings settings;
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    if (settings.status() == QSettings::NoError)
        unsavedValues().remove(unsavedKey(group, key));
    else
        unsavedValues().insert(unsavedKey(group, key), value);
}

void Settings::writeBack()
{
    QSettings settings;
    const QStringList keys = settings.allKeys();
    if (keys.isEmpty())
        return;
    // Storing any key, even its own value, makes Qt write the whole file again, one section per group.
    settings.setValue(keys.constFirst(), settings.value(keys.constFirst()));
}
