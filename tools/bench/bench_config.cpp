// Times a full read and a full write (read back in the same stay) of the
// real dialog, worker thread and command-mode session against a simulated
// module with the factory guard time of 1000 ms. Prints the seconds of each run ("read_run_s 3.29");
// the number of runs is the optional argument (3).

#include "app/fendrakexbeeconfiguratordialog.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modulesimulator.h"
#include "simulateduser.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// A module only takes "+++" after a guard time of silence, so runs are spaced.
constexpr int pauseBetweenRunsMs = 1500;
constexpr int runTimeoutMs = 30000;

// Seconds from the click until the session is idle again; -1 if it never is.
double timeRun(FendrakeXBeeConfiguratorDialog &dialog, const char *button)
{
    QElapsedTimer clock;
    clock.start();
    if (!runToIdle(dialog, button, runTimeoutMs))
        return -1;
    return clock.elapsed() / 1000.0;
}

void report(const char *key, const QList<double> &seconds)
{
    for (double value : seconds)
        std::printf("%s %.2f\n", key, value);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 3;
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    QTemporaryDir stateDir;
    ModuleSimulator simulator({QStringLiteral("--state"), stateDir.filePath(QStringLiteral("modules.json"))});
    if (!simulator.start()) {
        std::fprintf(stderr, "bench_config: %s\n", qPrintable(simulator.errorString()));
        return 1;
    }
    IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    if (!openPort(dialog, simulator.portA())) {
        std::fprintf(stderr, "bench_config: cannot open %s\n", qPrintable(simulator.portA()));
        return 1;
    }
    dialog.findChild<QComboBox *>(QStringLiteral("cmbConfiguration"))->setCurrentIndex(1);

    QList<double> reads;
    QList<double> writes;
    for (int i = 0; i < runs; ++i) {
        QTest::qWait(pauseBetweenRunsMs);
        reads.append(timeRun(dialog, "btnReadSettings"));
        QTest::qWait(pauseBetweenRunsMs);
        writes.append(timeRun(dialog, "btnWriteSettings"));
    }

    report("read_run_s", reads);
    report("write_run_s", writes);
    // Any message but the write runs' confirmations means a run failed.
    const bool allFine = boxes.count() == runs && !reads.contains(-1) && !writes.contains(-1);
    if (!allFine)
        std::fprintf(stderr, "bench_config: a run failed (%d message boxes)\n", boxes.count());
    return allFine ? 0 : 1;
}
