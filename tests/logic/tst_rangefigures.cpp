// The figures under the receiver's chart: lines received and lost, found
// from the counter each test line carries, and the RSSI of the samples.
#include "logic/rangetestline.h"
#include "logic/rangeteststatistics.h"

#include <QTest>

class tst_RangeFigures : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
};

// Each step is a test line (the text after the payload and its space), an
// RSSI sample ("@-74") or a mode click ("reset").
void tst_RangeFigures::summary_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("summary");

    // clang-format off
    QTest::newRow("gaps") << QStringList{"0", "1", "4", "6", "@-70", "@-71"}
        << "Received: 4   Lost: 3 (42.9 %)   RSSI last/min/avg/max: -71 / -71 / -70.5 / -70 dBm";
    QTest::newRow("transmitter restarted") << QStringList{"10", "11", "0", "1", "3"}
        << "Received: 5   Lost: 1 (16.7 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("same line twice") << QStringList{"5", "5", "6"}
        << "Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("no counter") << QStringList{"0", "1x", "-3", "", "1"}
        << "Received: 5   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm";
    QTest::newRow("reset") << QStringList{"0", "1", "@-90", "@-40", "reset", "3", "4", "@-70"}
        << "Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm";
    QTest::newRow("mean just below zero") << (QStringList(20, QStringLiteral("@0")) << "@-1")
        << "Received: -   Lost: - (- %)   RSSI last/min/avg/max: -1 / -1 / 0.0 / 0 dBm";
    // clang-format on
}

void tst_RangeFigures::summary()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, summary);

    RangeTestStatistics statistics;
    for (const QString &step : steps) {
        if (step == QLatin1String("reset"))
            statistics.reset();
        else if (step.startsWith(QLatin1Char('@')))
            statistics.addSample(step.mid(1).toInt());
        else
            statistics.addLine(testLineCounter(testPayload + QLatin1Char(' ') + step));
    }
    QCOMPARE(statistics.summary(), summary);
}

QTEST_GUILESS_MAIN(tst_RangeFigures)
#include "tst_rangefigures.moc"
