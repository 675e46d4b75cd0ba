// Times the baud-rate search for a module at 1200 baud, the last rate it
// tries, with the factory guard time: from the click on "Search baud rates"
// to the "Found" message. Prints the seconds of each run ("search_s 11.63");
// the number of runs is the optional argument (3).

#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modulesimulator.h"
#include "simulateduser.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

constexpr int runTimeoutMs = 40000;

// Seconds from the click on the warning's search button to the search's answer; -1 if it failed.
double timeSearch()
{
    ModuleSimulator simulator({QStringLiteral("--bd"), QStringLiteral("A:0")});
    if (!simulator.start()) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(simulator.errorString()));
        return -1;
    }
    const IsolatedSettings settings; // each run starts at 9600
    MessageBoxCatcher boxes;
    boxes.press(QStringLiteral("Search baud rates"));
    FendrakeXBeeConfiguratorDialog dialog;
    if (!openPort(dialog, simulator.portA()))
        return -1;
    dialog.findChild<QPushButton *>(QStringLiteral("btnReadSettings"))->click();
    if (!QTest::qWaitFor([&] { return boxes.count() == 2; }, runTimeoutMs))
        return -1;
    if (!boxes.boxes().at(1).text.contains(QLatin1String("Found the module at 1200 baud."))) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(boxes.boxes().at(1).text));
        return -1;
    }
    return (boxes.boxes().at(1).shownAtMs - boxes.boxes().at(0).shownAtMs) / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 3;
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    bool allFound = true;
    for (int i = 0; i < runs; ++i) {
        const double seconds = timeSearch();
        allFound &= seconds >= 0;
        std::printf("search_s %.2f\n", seconds);
        std::fflush(stdout);
    }
    return allFound ? 0 : 1;
}
