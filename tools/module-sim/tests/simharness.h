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
    void close();
    bool write(const QByteArray &bytes);
    // Reads until the bytes read so far contain expected, or the time is up.
    QByteArray readUntil(const QByteArray &expected, int timeoutMs);
    // Everything that arrives within the time.
    QByteArray readFor(int timeoutMs);
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
    // SIGTERM, then the exit code (-1 if it did not exit normally).
    int terminate();
    QString device(QChar module) const;
    QString linkDir() const;
    QByteArray standardError();
    QProcess &process();

private:
    QTemporaryDir dir;
    QProcess sim;
    QStringList devices;
};

// The escape sequence with the silence around it, for guard times of a
// few tens of milliseconds.
bool enterCommandMode(PtyClient &client, int guardMs);
QByteArray command(PtyClient &client, const QByteArray &line, int timeoutMs = 2000);

#endif // SIMHARNESS_H
