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

struct SpeedRate
{
    speed_t speed;
    int baud;
};

// Every rate a program can pick with cfsetospeed, so that one the modules do
// not have (300, 460800) is a mismatch rather than unknown.
const SpeedRate SpeedRates[] = {
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},         {B150, 150},
    {B200, 200},         {B300, 300},         {B600, 600},         {B1200, 1200},       {B1800, 1800},
    {B2400, 2400},       {B4800, 4800},       {B9600, 9600},       {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},     {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000},
    {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000}, {B3500000, 3500000}, {B4000000, 4000000},
};

QString systemError(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call), QString::fromLocal8Bit(std::strerror(errno)));
}

int baudOfSpeed(speed_t speed)
{
    for (const SpeedRate &rate : SpeedRates) {
        if (rate.speed == speed)
            return rate.baud;
    }
    return 0;
}

// As NB counts: 0 none, 1 even, 2 odd, 3 mark, 4 space.
quint32 parityIndex(tcflag_t flags)
{
    if (!(flags & PARENB))
        return 0;
    const bool odd = flags & PARODD;
    if (flags & CMSPAR) // a fixed parity bit: PARODD makes it 1
        return odd ? 3 : 4;
    return odd ? 2 : 1;
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

std::optional<UartSettings> PtyPort::hostSettings() const
{
    termios settings{};
    if (masterFd < 0 || tcgetattr(masterFd, &settings) != 0)
        return std::nullopt;
    UartSettings host;
    host.baud = baudOfSpeed(cfgetospeed(&settings));
    host.parity = parityIndex(settings.c_cflag);
    host.stopBits = (settings.c_cflag & CSTOPB) ? 1 : 0;
    return host;
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
