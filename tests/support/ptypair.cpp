#include "ptypair.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        closeMaster();
        return;
    }
    path = QString::fromLocal8Bit(ptsname(master));

    // Raw on both sides, so no byte is translated or echoed before the program opens the port.
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
}

PtyPair::~PtyPair()
{
    closeMaster();
}

void PtyPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
        if (n > 0)
            done += n;
    }
}

QByteArray PtyPair::readAvailable()
{
    QByteArray bytes;
    char chunk[512];
    pollfd pfd{master, POLLIN, 0};
    while (master >= 0 && ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN)) {
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.append(chunk, n);
    }
    return bytes;
}

int PtyPair::baudRate() const
{
    // Mode requests on the master side report the slave's settings.
    termios tio{};
    if (master < 0 || tcgetattr(master, &tio) != 0)
        return 0;
    const std::pair<speed_t, int> rates[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
                                             {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (const auto &[speed, rate] : rates) {
        if (cfgetospeed(&tio) == speed)
            return rate;
    }
    return 0;
}

bool PtyPair::isPeerOpen() const
{
    // The master hears a hang-up while no one has the slave side open.
    pollfd pfd{master, 0, 0};
    return master >= 0 && ::poll(&pfd, 1, 0) >= 0 && !(pfd.revents & POLLHUP);
}

void PtyPair::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}
