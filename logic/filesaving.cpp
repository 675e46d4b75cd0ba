#include "logic/filesaving.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#endif

namespace {

// Everything written must also have been taken: a full disk or a device that
// refuses shows up only when the buffered bytes are flushed.
bool writeAll(QFileDevice &file, const std::function<bool(QIODevice *)> &write)
{
    return write(&file) && file.flush() && file.error() == QFileDevice::NoError;
}

// Opens a device or a pipe without waiting: a named pipe that nobody reads
// would otherwise hold the window until someone does. wouldBlock tells that
// case from a refused open. Only Unix has named pipes among its files.
bool openDevice(QFile &file, const QString &fileName, QIODevice::OpenMode mode, bool &wouldBlock)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    wouldBlock = fd < 0 && errno == ENXIO;
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::WriteOnly | mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
#else
    wouldBlock = false;
    file.setFileName(fileName);
    return file.open(QIODevice::WriteOnly | mode);
#endif
}

#ifdef Q_OS_UNIX
// Writing to a pipe whose reader has gone raises SIGPIPE, which would end the
// program with the user's work. The signal is held back in this thread while
// the guard lives, and one the write raised is taken away before it is let
// through again: the write then simply fails with EPIPE.
class BrokenPipeGuard
{
public:
    BrokenPipeGuard()
    {
        sigemptyset(&brokenPipe);
        sigaddset(&brokenPipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &brokenPipe, &previous);
    }
    ~BrokenPipeGuard()
    {
        sigset_t pending;
        sigpending(&pending);
        if (sigismember(&pending, SIGPIPE) && !sigismember(&previous, SIGPIPE)) {
            const timespec noWait{0, 0};
            sigtimedwait(&brokenPipe, nullptr, &noWait);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    BrokenPipeGuard(const BrokenPipeGuard &) = delete;
    BrokenPipeGuard &operator=(const BrokenPipeGuard &) = delete;

private:
    sigset_t brokenPipe;
    sigset_t previous;
};
#else
// Windows has no SIGPIPE: a write to a closed pipe just fails.
struct BrokenPipeGuard
{
    BrokenPipeGuard() { }
    ~BrokenPipeGuard() { }
};
#endif

SaveResult saveToDevice(const QString &fileName, QIODevice::OpenMode mode,
                        const std::function<bool(QIODevice *)> &write)
{
    // Made before the file, so it also covers the last flush when the file closes.
    const BrokenPipeGuard guard;
    QFile file;
    bool wouldBlock = false;
    if (!openDevice(file, fileName, mode, wouldBlock))
        return wouldBlock ? SaveResult::WriteFailed : SaveResult::OpenFailed;
    return writeAll(file, write) ? SaveResult::Saved : SaveResult::WriteFailed;
}

} // namespace

SaveResult saveFile(const QString &fileName, QIODevice::OpenMode mode, const std::function<bool(QIODevice *)> &write)
{
    // A finished file is renamed over a device or a pipe, replacing the node
    // itself where the folder lets us (as root in /dev): never do that.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir())
        return saveToDevice(fileName, mode, write);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | mode))
        return SaveResult::OpenFailed;
    if (!writeAll(file, write))
        return SaveResult::WriteFailed;
    return file.commit() ? SaveResult::Saved : SaveResult::WriteFailed;
}
