// A day of range testing at one line every 5 s (17,280 samples) through the
// receiver's addRssiSample, with the chart shown (offscreen) and repainted
// after every sample as it would be, and the figures of both seats beside
// it: every line answered with a HEARD reply that the transmitter counts,
// one line in 20 lost. Prints the cost per sample and the
// resident memory before, once 500 samples are kept, and at the end; exits
// with 1 if memory grew after the 500th sample.
#include "../residentmemory.h"
#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "logic/rangeteststatistics.h"
#include "logic/transmitterstatistics.h"

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QXYSeries>

#include <cstdio>

namespace {

constexpr int samplesPerDay = 24 * 60 * 60 / 5;
constexpr int keptSamples = 500;
// Allocator noise; keeping one more point and sample per sample would add about 0.5 MB.
constexpr double allowedGrowthMb = 0.25;

// A signal that wanders like a real link's, so the axis has work to do.
int rssiOf(int sample)
{
    return -70 - (sample * 7) % 23 + (sample % 11);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentWidget(dialog.findChild<QWidget *>("tabTest"));
    dialog.findChild<QRadioButton *>("rdbReceiver")->click();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 2;
    QCoreApplication::processEvents();
    DialogProbe probe(dialog);
    const auto *chart = static_cast<QXYSeries *>(dialog.findChild<QChartView *>()->chart()->series().constFirst());

    const double rssBefore = residentMegabytes();
    double rssKept = 0;
    qint64 addNs = 0;
    qint64 repaintNs = 0;
    QElapsedTimer clock;
    RangeTestStatistics receiverFigures;
    TransmitterStatistics transmitterFigures;
    for (int sample = 0; sample < samplesPerDay; ++sample) {
        const qint64 lineMs = qint64(sample) * 5000;
        transmitterFigures.addSent(quint32(sample), lineMs);
        if (sample % 20 != 19) {
            receiverFigures.addLine(quint32(sample), lineMs, RangeTestStatistics::RssiQuery::Started);
            receiverFigures.addSample(rssiOf(sample));
            receiverFigures.endRssiQuery();
            transmitterFigures.addHeard(HeardReply{quint32(sample), rssiOf(sample)}, lineMs);
        }
        (void)receiverFigures.summary(lineMs);
        (void)transmitterFigures.summary(lineMs);
        clock.start();
        probe.addRssiSample(rssiOf(sample));
        addNs += clock.nsecsElapsed();
        clock.start();
        QCoreApplication::processEvents();
        repaintNs += clock.nsecsElapsed();
        if (sample + 1 == keptSamples)
            rssKept = residentMegabytes();
    }
    const double rssAfter = residentMegabytes();

    std::printf("samples %d\n", samplesPerDay);
    std::printf("add_us_per_sample %.2f\n", addNs / 1000.0 / samplesPerDay);
    std::printf("repaint_us_per_sample %.1f\n", repaintNs / 1000.0 / samplesPerDay);
    std::printf("rss_before_mb %.1f\n", rssBefore);
    std::printf("rss_at_500_mb %.1f\n", rssKept);
    std::printf("rss_after_mb %.1f\n", rssAfter);
    std::printf("rss_growth_after_500_mb %.2f\n", rssAfter - rssKept);
    std::printf("kept_points %d\n", int(chart->count()));
    std::printf("lost_marks_kept %d\n", int(receiverFigures.lostMarks().size()));
    return rssAfter - rssKept > allowedGrowthMb ? 1 : 0;
}
