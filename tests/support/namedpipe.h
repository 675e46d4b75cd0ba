#ifndef NAMEDPIPE_H
#define NAMEDPIPE_H

#include <QFile>

#include <atomic>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline bool makeNamedPipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Guards code that must never wait on the named pipe at path: when it has not
// returned within ten seconds, the watchdog plays the missing far end (a
// writer that leaves at once, or a reader it keeps), so the test fails
// instead of hanging.
class PipeWatchdog
{
public:
    explicit PipeWatchdog(const QString &path)
        : watcher([this, name = QFile::encodeName(path), done = finished.get_future()] {
            if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
                return;
            fired = true;
            const int writer = ::open(name.constData(), O_WRONLY | O_NONBLOCK); // opens only while a reader waits
            reader = writer >= 0 ? (::close(writer), -1) : ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        })
    {
    }
    ~PipeWatchdog()
    {
        finished.set_value();
        watcher.join();
        if (reader >= 0)
            ::close(reader);
    }

    std::atomic<bool> fired{false};

private:
    std::promise<void> finished;
    int reader = -1;
    std::thread watcher;
};

#endif // NAMEDPIPE_H
