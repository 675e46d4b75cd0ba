#ifndef PORTLISTING_H
#define PORTLISTING_H

#include <QList>
#include <QString>
#include <QStringList>

// A serial port as a bench technician tells it apart from the others.
struct ListedPort
{
    QString device;      // what --port takes: /dev/ttyUSB0, COM3, or a path the glob found
    QString stableName;  // /dev/serial/by-id/… where the system has one
    QString description; // the adapter's, as the system says it
    QString usbSerial;   // the adapter's USB serial number
};

// The ports the system lists, and those a folder-and-file pattern finds
// (virtual ports, the simulator's links), each once, by device.
QList<ListedPort> listPorts(const QString &glob);

// The devices alone, for watching ports come and go.
QStringList portDevices(const QString &glob);

// The paths a pattern such as /tmp/xbee/module* names, sorted.
QStringList globbedPaths(const QString &glob);

#endif // PORTLISTING_H
