#include "simharness.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyClient::~PtyClient()
{
    if (fd >= 0)
        ::close(fd);
}

bool PtyClient::open(const QString &path)
{
    fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
    return true;
}

bool PtyClient::setBaudRate(int baud)
{
    const speed_t speed = baud == 9600 ? B9600 : baud == 19200 ? B19200 : B0;
    termios settings{};
    return speed != B0 && tcgetattr(fd, &settings) == 0 && cfsetispeed(&settings, speed) == 0
        && cfsetospeed(&settings, speed) == 0 && tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool PtyClient::write(const QByteArray &bytes)
{
    return fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

QByteArray PtyClient::readUntil(const QByteArray &expected, int timeoutMs)
{
    QByteArray data;
    QDeadlineTimer deadline(timeoutMs);
    while (fd >= 0 && (expected.isEmpty() || !data.contains(expected))) {
        pollfd p{fd, POLLIN, 0};
        const int remaining = int(deadline.remainingTime());
        if (remaining <= 0 || ::poll(&p, 1, remaining) <= 0)
            break;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    return data;
}

bool PtyClient::waitForHangup(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (fd >= 0 && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, int(deadline.remainingTime()));
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno == EIO) || (p.revents & POLLHUP))
            return true;
    }
    return false;
}

SimProcess::~SimProcess()
{
    if (sim.state() != QProcess::NotRunning) {
        sim.kill();
        sim.waitForFinished(2000);
    }
}

bool SimProcess::start(const QStringList &arguments, int modules)
{
    sim.start(QStringLiteral(MODULE_SIM_EXECUTABLE),
              QStringList(arguments) << QStringLiteral("--link-dir") << dir.path());
    if (!sim.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(5000);
    while (devices.size() < modules && !deadline.hasExpired()) {
        if (!sim.canReadLine() && !sim.waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (sim.canReadLine())
            devices.append(QString::fromLocal8Bit(sim.readLine()).trimmed());
    }
    return devices.size() == modules;
}
