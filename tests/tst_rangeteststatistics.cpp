#include "app/rangeteststatistics.h"

#include <QTest>

namespace {

// A test line in a script: its counter, or -1 for a line that carries none.
constexpr qint64 noCounter = -1;

void feed(RangeTestStatistics &statistics, const QList<qint64> &lines, const QList<int> &samples)
{
    for (qint64 line : lines)
        statistics.addLine(line == noCounter ? std::nullopt : std::optional<quint32>(quint32(line)));
    for (int rssi : samples)
        statistics.addSample(rssi);
}

} // namespace

class tst_RangeTestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void resetStartsAfresh();
};

void tst_RangeTestStatistics::figures_data()
{
    QTest::addColumn<QList<qint64>>("lines");
    QTest::addColumn<QList<int>>("samples");
    QTest::addColumn<quint64>("received");
    QTest::addColumn<quint64>("lost");
    QTest::addColumn<QString>("summary");

    using Lines = QList<qint64>;
    using Samples = QList<int>;
    QTest::newRow("nothing yet") << Lines{} << Samples{} << quint64(0) << quint64(0)
                                 << "Received: -   Lost: - (- %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("line before its sample")
        << Lines{0} << Samples{} << quint64(1) << quint64(0)
        << "Received: 1   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("no gaps") << Lines{0, 1, 2, 3} << Samples{-70, -74, -60, -71} << quint64(4) << quint64(0)
                             << "Received: 4   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -71 / -74 / -68.8 / -60 dBm";
    QTest::newRow("first line mid-sequence")
        << Lines{57, 58} << Samples{-70, -70} << quint64(2) << quint64(0)
        << "Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm";
    QTest::newRow("gaps") << Lines{0, 1, 4, 6} << Samples{-70, -71} << quint64(4) << quint64(3)
                          << "Received: 4   Lost: 3 (42.9 %)   RSSI last/min/avg/max: -71 / -71 / -70.5 / -70 dBm";
    QTest::newRow("transmitter restarted")
        << Lines{10, 11, 0, 1, 3} << Samples{} << quint64(5) << quint64(1)
        << "Received: 5   Lost: 1 (16.7 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("duplicate") << Lines{5, 5, 6} << Samples{} << quint64(2) << quint64(0)
                               << "Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("line without counter") << Lines{0, noCounter, 1} << Samples{} << quint64(3) << quint64(0)
                                          << "Received: 3   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("counter wrapped") << Lines{4294967294, 4294967295, 0, 1} << Samples{} << quint64(4) << quint64(0)
                                     << "Received: 4   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("mean just below zero")
        << Lines{} << (Samples(20, 0) << -1) << quint64(0) << quint64(0)
        << "Received: -   Lost: - (- %)   RSSI last/min/avg/max: -1 / -1 / 0.0 / 0 dBm";
}

void tst_RangeTestStatistics::figures()
{
    QFETCH(QList<qint64>, lines);
    QFETCH(QList<int>, samples);
    QFETCH(quint64, received);
    QFETCH(quint64, lost);
    QFETCH(QString, summary);

    RangeTestStatistics statistics;
    feed(statistics, lines, samples);

    QCOMPARE(statistics.received(), received);
    QCOMPARE(statistics.lost(), lost);
    QCOMPARE(statistics.sampleCount(), int(samples.size()));
    QCOMPARE(statistics.summary(), summary);
}

void tst_RangeTestStatistics::resetStartsAfresh()
{
    RangeTestStatistics statistics;
    feed(statistics, {0, 5, 5}, {-90, -40});
    QCOMPARE(statistics.duplicates(), quint64(1));

    statistics.reset();
    QCOMPARE(statistics.summary(),
             QStringLiteral("Received: -   Lost: - (- %)   RSSI last/min/avg/max: - / - / - / - dBm"));

    // No memory of the old sequence or of the old extremes.
    feed(statistics, {3, 4}, {-70});
    QCOMPARE(statistics.lost(), quint64(0));
    QCOMPARE(statistics.duplicates(), quint64(0));
    QCOMPARE(statistics.summary(),
             QStringLiteral("Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm"));
}

QTEST_GUILESS_MAIN(tst_RangeTestStatistics)
#include "tst_rangeteststatistics.moc"
