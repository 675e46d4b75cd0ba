// The transmitter's figures: lines sent and heard, the success rate of the
// lines whose reply time has passed, both RSSIs and the running time; and
// when its own RSSI query still fits before the next test line.
#include "logic/rssiquerybudget.h"
#include "logic/transmitterstatistics.h"

#include <QTest>

class tst_TransmitterFigures : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void queryBudget_data();
    void queryBudget();
};

// Each step is Start or Stop ("start", "stop"), a mode click ("reset"), time
// passing ("+3000", in ms), a tick ("tick": 5 s pass, then the next line goes
// out), a received line ("HEARD 3 -74") or our own module's RSSI ("our -71").
void tst_TransmitterFigures::summary_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("summary");

    QStringList hourOfTicks = QStringList{"start"} + QStringList(721, QStringLiteral("tick"));

    // clang-format off
    QTest::newRow("nothing due yet") << QStringList{"start", "tick", "HEARD 0"}
        << "Sent: 1  Heard: 1 (–)  Their RSSI: –  Our RSSI: –  Running 00:05";
    QTest::newRow("line in flight left out") << QStringList{"start", "tick", "HEARD 0 -74", "tick"}
        << "Sent: 2  Heard: 1 (100.0 %)  Their RSSI: -74 dBm (min -74, avg -74)  Our RSSI: –  Running 00:10";
    QTest::newRow("twice, never sent, unheard")
        << QStringList{"start", "tick", "tick", "tick", "HEARD 1 -81", "HEARD 1 -60", "HEARD 9 -50", "HEARD 2 -70",
                       "our -71", "+2000"}
        << "Sent: 3  Heard: 2 (50.0 %)  Their RSSI: -70 dBm (min -81, avg -76)  Our RSSI: -71 dBm  Running 00:17";
    QTest::newRow("stop pauses") << QStringList{"start", "+65000", "stop", "+30000", "start", "+61000"}
        << "Sent: 0  Heard: 0 (–)  Their RSSI: –  Our RSSI: –  Running 02:06";
    QTest::newRow("stopped") << QStringList{"start", "+3000", "stop", "+9000", "stop"}
        << "Sent: 0  Heard: 0 (–)  Their RSSI: –  Our RSSI: –  Stopped 00:03";
    QTest::newRow("past an hour") << QStringList{"start", "+3725999"}
        << "Sent: 0  Heard: 0 (–)  Their RSSI: –  Our RSSI: –  Running 01:02:05";
    QTest::newRow("mode click while running") << QStringList{"start", "tick", "HEARD 0 -74", "our -71", "+3000",
                                                             "reset", "+2000", "HEARD 0 -74"}
        << "Sent: 0  Heard: 0 (–)  Their RSSI: –  Our RSSI: –  Running 00:02";
    QTest::newRow("reply for a line no longer tracked") << (hourOfTicks << "HEARD 0 -50" << "HEARD 720")
        << "Sent: 721  Heard: 1 (0.0 %)  Their RSSI: –  Our RSSI: –  Running 01:00:05";
    // The receiver stops answering: both RSSIs are as old as the last reply.
    QTest::newRow("no answer for 27 s") << (QStringList{"start", "tick", "+1000", "HEARD 0 -78", "our -71"}
                                            + QStringList(5, QStringLiteral("tick")) << "+2000")
        << "No answer for 27 s  Sent: 6  Heard: 1 (20.0 %)  Their RSSI: -78 dBm, 27 s ago (min -78, avg -78)"
           "  Our RSSI: -71 dBm, 27 s ago  Running 00:33";
    QTest::newRow("answered 10 s ago") << QStringList{"start", "tick", "HEARD 0 -78", "tick", "tick"}
        << "Sent: 3  Heard: 1 (50.0 %)  Their RSSI: -78 dBm (min -78, avg -78)  Our RSSI: –  Running 00:15";
    QTest::newRow("never answered") << QStringList{"start", "tick", "tick", "tick", "+1000"}
        << "No answer for 11 s  Sent: 3  Heard: 0 (0.0 %)  Their RSSI: –  Our RSSI: –  Running 00:16";
    QTest::newRow("a reply without RSSI ends the silence") << QStringList{"start", "tick", "HEARD 0 -78", "tick", "tick",
                                                                          "tick", "HEARD 3", "+4000"}
        << "Sent: 4  Heard: 2 (33.3 %)  Their RSSI: -78 dBm (min -78, avg -78)  Our RSSI: –  Running 00:24";
    QTest::newRow("stopped, no alarm") << QStringList{"start", "tick", "tick", "tick", "tick", "stop", "+60000"}
        << "Sent: 4  Heard: 0 (0.0 %)  Their RSSI: –  Our RSSI: –  Stopped 00:20";
    QTest::newRow("started again: counted from its first line")
        << QStringList{"start", "tick", "HEARD 0 -78", "stop", "+60000", "start", "tick", "+4000"}
        << "Sent: 2  Heard: 1 (100.0 %)  Their RSSI: -78 dBm (min -78, avg -78)  Our RSSI: –  Running 00:14";
    // clang-format on
}

void tst_TransmitterFigures::summary()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, summary);

    TransmitterStatistics statistics;
    qint64 now = 1000000;
    quint32 counter = 0;
    for (const QString &step : steps) {
        if (step == QLatin1String("start"))
            statistics.start(now);
        else if (step == QLatin1String("stop"))
            statistics.stop(now);
        else if (step == QLatin1String("reset"))
            statistics.reset(now), counter = 0;
        else if (step.startsWith('+'))
            now += step.mid(1).toInt();
        else if (step == QLatin1String("tick"))
            now += 5000, statistics.addSent(counter++, now);
        else if (step.startsWith(QLatin1String("our ")))
            statistics.setOurRssi(step.mid(4).toInt(), now);
        else
            statistics.addHeard(parseHeardReply(step).value(), now);
    }
    QCOMPARE(statistics.summary(now), summary);
    // Red exactly while the line says that no answer comes.
    QCOMPARE(statistics.isSilent(now), summary.contains(QLatin1String("No answer")));
}

// The last query's duration (-1: none measured yet), then the time left until
// the next tick at each decision, and whether the query may start then.
void tst_TransmitterFigures::queryBudget_data()
{
    QTest::addColumn<int>("lastDuration");
    QTest::addColumn<QList<int>>("timeLeft");
    QTest::addColumn<QList<bool>>("allowed");

    QTest::newRow("first guess fits") << -1 << QList<int>{2000} << QList<bool>{true};
    QTest::newRow("first guess too long") << -1 << QList<int>{1999} << QList<bool>{false};
    QTest::newRow("fast module measured") << 600 << QList<int>{1100, 1099} << QList<bool>{true, false};
    QTest::newRow("a fit clears the skips") << 1000 << QList<int>{1400, 1400, 1600, 1400, 1400, 1600}
                                            << QList<bool>{false, false, true, false, false, true};
    QTest::newRow("slow query set aside after three skips")
        << 4000 << QList<int>{2400, 2400, 2400, 2400, 2400} << QList<bool>{false, false, false, true, true};
}

void tst_TransmitterFigures::queryBudget()
{
    QFETCH(int, lastDuration);
    QFETCH(QList<int>, timeLeft);
    QFETCH(QList<bool>, allowed);

    RssiQueryBudget budget;
    if (lastDuration >= 0)
        budget.noteDuration(lastDuration);
    QList<bool> decisions;
    for (int left : timeLeft)
        decisions << budget.allows(left);
    QCOMPARE(decisions, allowed);
}

QTEST_GUILESS_MAIN(tst_TransmitterFigures)
#include "tst_transmitterfigures.moc"
