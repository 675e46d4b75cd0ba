// The console's monitor against a module that streams at 115200 baud.
//   bench_console latency [SECONDS]: a writer thread puts 11.5 kB/s of
//     wind-sensor lines into the window's port (a pseudo-terminal) for
//     SECONDS (60), with the Console tab in view; prints how late a 10 ms
//     timer of the window's event loop fired (99th percentile and the worst),
//     and how many lines the monitor took.
//   bench_console memory: the window's resident memory after 10,000 and after
//     1,000,000 monitor lines, fed as the serial worker reports them.
// Each figure is printed as "<key> <value>".
#include "../residentmemory.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "simulateduser.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTabWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int bytesPerSecond = 11520; // 115200 baud, ten bits a byte
constexpr int sliceMs = 10;
constexpr int probeMs = 10;

// The Guru view with the Console tab in front, as a technician watching a stream has it.
void showConsole(FendrakeXBeeConfiguratorDialog &dialog)
{
    dialog.findChild<QComboBox *>(QStringLiteral("cmbProfile"))->setCurrentIndex(1);
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    tabs->setCurrentWidget(dialog.findChild<QWidget *>(QStringLiteral("tabConsole")));
    dialog.show();
}

QByteArray sensorLine(int n)
{
    return QStringLiteral("WIND %1.%2 m/s DIR %3 deg\r\n").arg(n % 30).arg(n % 10).arg(n % 360, 3).toLatin1();
}

// Writes at the rate of a 115200-baud line, in 10 ms slices, until told to stop.
void stream(PtyPair &pty, const std::atomic<bool> &stop, std::atomic<qint64> &written)
{
    QByteArray pending;
    int n = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int slice = 1; !stop; ++slice) {
        const qint64 due = qint64(bytesPerSecond) * slice * sliceMs / 1000 - written;
        while (pending.size() < due)
            pending += sensorLine(n++);
        pty.write(pending.left(due));
        pending.remove(0, due);
        written += due;
        std::this_thread::sleep_until(start + std::chrono::milliseconds(slice * sliceMs));
    }
}

int latency(int seconds)
{
    PtyPair pty;
    const IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    showConsole(dialog);
    dialog.findChild<QComboBox *>(QStringLiteral("cmbSerialBaudRate"))->setCurrentText(QStringLiteral("115200"));
    if (!openPort(dialog, pty.slavePath())) {
        std::fprintf(stderr, "bench_console: the port did not open\n");
        return 1;
    }
    std::atomic<bool> stop = false;
    std::atomic<qint64> written = 0;
    std::thread writer(stream, std::ref(pty), std::cref(stop), std::ref(written));

    QList<double> lateMs;
    QElapsedTimer clock;
    clock.start();
    qint64 lastNs = clock.nsecsElapsed();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateMs.append(qMax(0.0, (now - lastNs) / 1e6 - probeMs));
        lastNs = now;
    });
    probe.start(probeMs);
    QTest::qWait(seconds * 1000);
    stop = true;
    writer.join();
    QTest::qWait(500); // the last bytes reach the monitor
    probe.stop();

    std::sort(lateMs.begin(), lateMs.end());
    const DialogProbe d(dialog);
    std::printf("latency_p99_ms %.1f\n", lateMs.at(qMin(lateMs.size() - 1, qsizetype(lateMs.size() * 0.99))));
    std::printf("latency_max_ms %.1f\n", lateMs.constLast());
    std::printf("streamed_kb %.0f\n", written / 1000.0);
    std::printf("monitor_lines %lld\n", d.monitorLog().completed());
    return 0;
}

// Fed in batches as the worker sends them, each shown as the console's refresh would.
void feed(DialogProbe &probe, qint64 lines, qint64 &fed)
{
    constexpr int perBatch = 500;
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    while (fed < lines) {
        QList<MonitorChunk> batch;
        for (int i = 0; i < perBatch && fed < lines; ++i, ++fed)
            batch.append({MonitorChunk::Received, start + fed / 100, sensorLine(int(fed))});
        probe.monitor(batch);
    }
    QCoreApplication::processEvents();
}

int memory()
{
    const IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    showConsole(dialog);
    QTest::qWait(200);
    DialogProbe probe(dialog);
    qint64 fed = 0;
    feed(probe, 10000, fed);
    const double at10k = residentMegabytes();
    feed(probe, 100000, fed);
    const double at100k = residentMegabytes();
    feed(probe, 1000000, fed);
    const double at1m = residentMegabytes();
    std::printf("rss_10k_lines_mb %.1f\n", at10k);
    std::printf("rss_100k_lines_mb %.1f\n", at100k);
    std::printf("rss_1m_lines_mb %.1f\n", at1m);
    std::printf("growth_mb %.1f\n", at1m - at10k);
    return probe.monitorLog().completed() == 1000000 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("latency");
    if (mode == "memory")
        return memory();
    return latency(argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 60);
}
