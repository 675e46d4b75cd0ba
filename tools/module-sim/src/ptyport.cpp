#include "ptyport.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Bytes the program may leave unread on its device before more are dropped.
constexpr int HostBacklog = 2048;

QString systemError(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call), QString::fromLocal8Bit(std::strerror(errno)));
}

bool makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

PtyPort::PtyPort(QObject *parent)
    : QObject(parent)
{
}

PtyPort::~PtyPort()
{
    close();
}

bool PtyPort::open(QString *error)
{
    masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd < 0 || grantpt(masterFd) != 0 || unlockpt(masterFd) != 0) {
        *error = systemError("posix_openpt");
        close();
        return false;
    }
    path = QString::fromLocal8Bit(ptsname(masterFd));
    slaveFd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd < 0 || !makeRaw(slaveFd) || fcntl(masterFd, F_SETFL, O_NONBLOCK) != 0) {
        *error = systemError("opening the pseudo-terminal");
        close();
        return false;
    }
    notifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &PtyPort::readAvailable);
    return true;
}

void PtyPort::close()
{
    if (notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
    if (masterFd >= 0)
        ::close(masterFd);
    if (slaveFd >= 0)
        ::close(slaveFd);
    masterFd = -1;
    slaveFd = -1;
}

bool PtyPort::isOpen() const
{
    return masterFd >= 0;
}

QString PtyPort::devicePath() const
{
    return path;
}

void PtyPort::write(const QByteArray &bytes)
{
    if (masterFd < 0)
        return;
    int unread = 0;
    if (ioctl(slaveFd, FIONREAD, &unread) != 0)
        unread = 0;
    const qsizetype room = qMax(0, HostBacklog - unread);
    const qsizetype wanted = qMin(room, bytes.size());
    qsizetype written = 0;
    while (written < wanted) {
        const ssize_t n = ::write(masterFd, bytes.constData() + written, size_t(wanted - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    if (written < bytes.size())
        emit outputDropped(bytes.size() - written);
}

void PtyPort::readAvailable()
{
    char buffer[4096];
    while (masterFd >= 0) {
        const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
        if (n > 0) {
            emit received(QByteArray(buffer, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // Cannot happen while our own slave descriptor is open.
            notifier->setEnabled(false);
            emit failed(systemError("read"));
        }
        return;
    }
}
