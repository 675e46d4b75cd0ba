// Line framing throughput of the real serial worker thread reading a
// pseudo-terminal: megabytes of 32-byte lines per second.
#include "ptypair.h"
#include "serial/serialport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int lineCount = 200000;
    const QByteArray line = QByteArray("THE QUICK BROWN FOX 1234567890\r").leftJustified(32, 'x');

    // The worker in a thread of its own, as the main window runs it.
    PtyPair pty;
    QThread thread;
    auto *worker = new SerialPort;
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, worker, &SerialPort::process);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    QSignalSpy opened(worker, &SerialPort::port_open);
    QSignalSpy lines(worker, &SerialPort::data_received);
    thread.start();
    QMetaObject::invokeMethod(worker, [worker, path = pty.slavePath()] {
        worker->onChangePort(path);
        worker->onChangeBaudRate(QSerialPort::Baud115200);
    });
    if (!QTest::qWaitFor([&] { return opened.count() == 2; }, 5000))
        return 1;

    QByteArray block;
    for (int i = 0; i < 1000; ++i)
        block.append(line);

    QElapsedTimer clock;
    clock.start();
    for (int sent = 0; sent < lineCount; sent += 1000) {
        pty.write(block);
        QCoreApplication::processEvents();
    }
    const bool all = QTest::qWaitFor([&] { return lines.count() == lineCount; }, 60000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    thread.quit();
    thread.wait();
    if (!all) {
        std::fprintf(stderr, "only %lld of %d lines arrived\n", qlonglong(lines.count()), lineCount);
        return 1;
    }
    std::printf("framing_mb_per_s %.1f\n", lineCount * line.size() / seconds / 1e6);
    return 0;
}
