// Line framing throughput of the real serial worker thread reading a
// pseudo-terminal: megabytes of 32-byte lines per second.
#include "ptypair.h"
#include "workerharness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int lineCount = 200000;
    const QByteArray line = QByteArray("THE QUICK BROWN FOX 1234567890\r").leftJustified(32, 'x');

    PtyPair pty;
    WorkerHarness worker;
    worker.changePort(pty.slavePath());
    worker.changeBaudRate(QSerialPort::Baud115200);
    if (!QTest::qWaitFor([&] { return worker.portOpenSpy->count() == 2; }, 5000))
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
    if (!QTest::qWaitFor([&] { return worker.dataSpy->count() == lineCount; }, 60000)) {
        std::fprintf(stderr, "only %lld of %d lines arrived\n", qlonglong(worker.dataSpy->count()), lineCount);
        return 1;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("framing_mb_per_s %.1f\n", lineCount * line.size() / seconds / 1e6);
    return 0;
}
