#ifndef SETTINGS_H
#define SETTINGS_H

#include <QObject>
#include <QVariant>

// The program's small persistent store (last serial port and baud rate).
// Every access is one self-contained read or write of one key, so the file
// is up to date after each change.
class Settings : public QObject
{
    Q_OBJECT

public:
    explicit Settings(QObject *parent = nullptr);

    static Settings *instance();

    // The group of the window's own keys: port, rate, framing, folders. Qt
    // writes a group of this name as the section [%General] and reads that
    // section back as "General"; any other spelling is lost at the next start.
    static QString generalGroup() { return QStringLiteral("General"); }

    // Writes the file back in one piece. Older versions added a section of the
    // general group at each start; reading takes the last value of each key.
    void writeBack();

    QVariant value(const QString &group, const QString &key, const QVariant &defaultValue);
    void setValue(const QString &group, const QString &key, const QVariant &value);
};

#endif // SETTINGS_H
