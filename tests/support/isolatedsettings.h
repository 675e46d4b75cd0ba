#ifndef ISOLATEDSETTINGS_H
#define ISOLATEDSETTINGS_H

#include <QString>
#include <QTemporaryDir>

// Points the program's settings file at a fresh temporary folder for the
// life of the object, so tests never read or write the user's real file.
class IsolatedSettings
{
public:
    IsolatedSettings();

    QString filePath() const;                              // where the program's INI file lands
    QString recordPath() const;                            // where the programming record lands
    void store(const QString &key, const QVariant &value); // in the program's own group

private:
    QTemporaryDir dir;
};

#endif // ISOLATEDSETTINGS_H
