#ifndef NAMEDPIPE_H
#define NAMEDPIPE_H

#include <QFile>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Makes a named pipe at path; false when that failed.
inline bool makeNamedPipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Guards code that must never wait on a named pipe: when it has not returned
// in time, the watchdog plays the missing far end (a reader it keeps open,
// or a writer that closes at once), so the code returns and the test fails
// instead of hanging.
class PipeWatchdog
{
public:
    explicit PipeWatchdog(const QString &path, int timeoutMs = 5000)
        : path(QFile::encodeName(path))
        , watcher([this, timeoutMs] { watch(timeoutMs); })
    {
    }

    ~PipeWatchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            finished = true;
        }
        wake.notify_one();
        watcher.join();
        if (reader >= 0)
            ::close(reader);
    }

    // Whether the guarded code had to be released.
    bool fired() const { return released; }

private:
    void watch(int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return finished; }))
            return;
        released = true;
        // A writer opens without waiting only while someone waits to read.
        const int writer = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        else
            reader = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    }

    const QByteArray path;
    std::mutex mutex;
    std::condition_variable wake;
    bool finished = false;
    std::atomic<bool> released{false};
    int reader = -1;
    std::thread watcher;
};

#endif // NAMEDPIPE_H
