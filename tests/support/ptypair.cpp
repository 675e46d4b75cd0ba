#include "ptypair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

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

QByteArray PtyPair::read(int count, int timeoutMs)
{
    QByteArray received;
    QDeadlineTimer deadline(timeoutMs);
    while (master >= 0 && received.size() < count && !deadline.hasExpired()) {
        // Keep the test's own event loop going: the dialog answers from it.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 10) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::read(master, chunk, sizeof chunk);
        if (n > 0)
            received.append(chunk, n);
    }
    return received;
}

int PtyPair::baudRate() const
{
    // Mode requests on the master side report the slave's settings.
    termios tio{};
    if (master < 0 || tcgetattr(master, &tio) != 0)
        return 0;
    switch (cfgetospeed(&tio)) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
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
