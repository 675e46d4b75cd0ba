#ifndef SIMHARNESS_H
#define SIMHARNESS_H

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A program's end of a simulated module: the pty opened with plain POSIX
// calls, in raw mode, as a serial program would.
class PtyClient
{
public:
    PtyClient() = default;
    PtyClient(const PtyClient &) = delete;
    PtyClient &operator=(const PtyClient &) = delete;
    ~PtyClient();

    bool open(const QString &path);
    // Sets the rate of this end as a serial program does; 9600 or 19200.
    bool setBaudRate(int baud);
    bool write(const QByteArray &bytes);
    // Reads until the bytes so far contain expected (or, when it is empty,
    // for the whole time), or the time is up, or the line is gone.
    QByteArray readUntil(const QByteArray &expected, int timeoutMs);
    // True once a read fails the way it does when the device is gone.
    bool waitForHangup(int timeoutMs);

private:
    int fd = -1;
};

// The simulator executable, started with --link-dir in a temporary folder.
class SimProcess
{
public:
    ~SimProcess();

    // Starts it and waits for its device lines; false if it failed.
    bool start(const QStringList &arguments, int modules);
    QString device(int index) const { return devices.value(index); }

private:
    QTemporaryDir dir;
    QProcess sim;
    QStringList devices;
};

#endif // SIMHARNESS_H
