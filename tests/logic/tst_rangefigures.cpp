// The figures under the receiver's chart: lines received (with and without
// RSSI) and lost, found from the counter each test line carries, the RSSI of
// the samples, the lost lines' marks and the silence since the last line;
// and the reply line the receiver sends back.
#include "logic/rangetestline.h"
#include "logic/rangeteststatistics.h"

#include <QTest>

class tst_RangeFigures : public QObject
{
    Q_OBJECT

private slots:
    void summary_data();
    void summary();
    void heardReply_data();
    void heardReply();
};

// Each step is a test line (the text after the payload and its space) with an
// RSSI query and no time, a timed line with ("q") or without ("n") a query,
// an RSSI sample ("@-74"), the end of a query ("end"), time passing ("+3000",
// in ms) or a mode click ("reset"). A mark reads "<after sample>:<hover text>".
void tst_RangeFigures::summary_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("marks"); // all of them, or the first and last of "count"
    QTest::addColumn<int>("count");

    const QString noRssi = QStringLiteral("RSSI last/min/avg/max: – / – / – / – dBm");
    QStringList everyOtherLine;
    for (int i = 0; i < 600; ++i)
        everyOtherLine << QStringLiteral("q%1").arg(2 * i) << QStringLiteral("@-70");
    QStringList unqueried = everyOtherLine.filter(QStringLiteral("q")).replaceInStrings("q", "n");

    // clang-format off
    QTest::newRow("gaps") << QStringList{"0", "1", "4", "6", "@-70", "@-71"}
        << "Received: 4   Lost: 3 (42.9 %)   RSSI last/min/avg/max: -71 / -71 / -70.5 / -70 dBm"
        << QStringList{"-1:Lines 2–3 lost", "-1:Line 5 lost"} << 2;
    QTest::newRow("transmitter restarted") << QStringList{"10", "11", "0", "1", "3"}
        << "Received: 5   Lost: 1 (16.7 %)   " + noRssi << QStringList{"-1:Line 2 lost"} << 1;
    QTest::newRow("counter wrapped") << QStringList{"q4294967294", "q4294967295", "q0"}
        << "Received: 3 (2 without RSSI)   Lost: 0 (0.0 %)   " + noRssi + "   Last line 0 s ago"
        << QStringList() << 0;
    QTest::newRow("same line twice") << QStringList{"5", "5", "6"}
        << "Received: 2   Lost: 0 (0.0 %)   " + noRssi << QStringList() << 0;
    QTest::newRow("no counter") << QStringList{"0", "1x", "-3", "", "1"}
        << "Received: 5   Lost: 0 (0.0 %)   " + noRssi << QStringList() << 0;
    QTest::newRow("reset") << QStringList{"0", "q3", "@-90", "@-40", "reset", "3", "4", "@-70"}
        << "Received: 2   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm"
        << QStringList() << 0;
    QTest::newRow("mean just below zero") << (QStringList(20, QStringLiteral("@0")) << "@-1")
        << "Received: –   Lost: – (– %)   RSSI last/min/avg/max: -1 / -1 / 0.0 / 0 dBm" << QStringList() << 0;
    QTest::newRow("without RSSI, never lost")
        << QStringList{"q0", "@-70", "end", "n1", "n2", "q4", "q5", "n5", "@-60", "end", "+3999"}
        << "Received: 5 (3 without RSSI)   Lost: 1 (16.7 %)   RSSI last/min/avg/max: -60 / -70 / -65.0 / -60 dBm"
           "   Last line 3 s ago" << QStringList{"0:Line 3 lost"} << 1;
    QTest::newRow("query still running") << QStringList{"q0", "+10000"}
        << "Received: 1   Lost: 0 (0.0 %)   " + noRssi + "   Last line 10 s ago" << QStringList() << 0;
    QTest::newRow("silent") << QStringList{"q0", "@-70", "+25900"}
        << "No line for 25 s   Received: 1   Lost: 0 (0.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm"
        << QStringList() << 0;
    QTest::newRow("line after an outage") << QStringList{"q0", "@-70", "+30000", "n7", "+1000"}
        << "Received: 2 (1 without RSSI)   Lost: 6 (75.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm"
           "   Last line 1 s ago" << QStringList{"0:Lines 1–6 lost"} << 1;
    QTest::newRow("marks follow the kept samples") << everyOtherLine
        << "Received: 600   Lost: 599 (50.0 %)   RSSI last/min/avg/max: -70 / -70 / -70.0 / -70 dBm"
           "   Last line 0 s ago" << QStringList{"99:Line 199 lost", "598:Line 1197 lost"} << 500;
    QTest::newRow("marks bounded without samples") << unqueried
        << "Received: 600 (600 without RSSI)   Lost: 599 (50.0 %)   " + noRssi + "   Last line 0 s ago"
        << QStringList{"-1:Line 199 lost", "-1:Line 1197 lost"} << 500;
    // clang-format on
}

void tst_RangeFigures::summary()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, summary);
    QFETCH(QStringList, marks);
    QFETCH(int, count);

    RangeTestStatistics statistics;
    qint64 now = 1000000;
    for (const QString &step : steps) {
        const auto counter = [&step](int skip) { return testLineCounter(testPayload + ' ' + step.mid(skip)); };
        if (step == QLatin1String("reset"))
            statistics.reset();
        else if (step == QLatin1String("end"))
            statistics.endRssiQuery();
        else if (step.startsWith('@'))
            statistics.addSample(step.mid(1).toInt());
        else if (step.startsWith('+'))
            now += step.mid(1).toInt();
        else if (step.startsWith('q') || step.startsWith('n'))
            statistics.addLine(counter(1), now,
                               step.startsWith('q') ? RangeTestStatistics::RssiQuery::Started
                                                    : RangeTestStatistics::RssiQuery::NotStarted);
        else
            statistics.addLine(counter(0));
    }
    QCOMPARE(statistics.summary(now), summary);
    QCOMPARE(statistics.isSilent(now), summary.contains(QLatin1String("No line for")));

    QStringList shown;
    for (const LostLines &mark : statistics.lostMarks())
        shown << QString::number(mark.afterSample) + ':' + RangeTestStatistics::lostText(mark);
    QCOMPARE(shown.size(), count);
    if (count > marks.size())
        shown = QStringList{shown.constFirst(), shown.constLast()};
    QCOMPARE(shown, marks);
}

// A received line and what it parses to ("counter rssi", "counter", or
// nothing); what parses must be exactly what the receiver writes.
// clang-format off
void tst_RangeFigures::heardReply_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("parsed");

    QTest::newRow("with RSSI") << "HEARD 17 -74" << "17 -74";
    QTest::newRow("without RSSI") << "HEARD 17" << "17";
    QTest::newRow("zeros") << "HEARD 0 0" << "0 0";
    QTest::newRow("largest") << "HEARD 4294967295 -255" << "4294967295 -255";
    QTest::newRow("counter too large") << "HEARD 4294967296" << "";
    QTest::newRow("RSSI too weak") << "HEARD 17 -256" << "";
    QTest::newRow("RSSI positive") << "HEARD 17 74" << "";
    QTest::newRow("minus zero") << "HEARD 17 -0" << "";
    QTest::newRow("leading zero") << "HEARD 017" << "";
    QTest::newRow("plus sign") << "HEARD +17" << "";
    QTest::newRow("lower case") << "heard 17" << "";
    QTest::newRow("two spaces") << "HEARD  17" << "";
    QTest::newRow("trailing text") << "HEARD 17 -74 x" << "";
    QTest::newRow("no counter") << "HEARD" << "";
    QTest::newRow("hex RSSI") << "HEARD 17 -4A" << "";
    QTest::newRow("other digits") << QString("HEARD ") + QChar(0x0661) + QChar(0x0667) << "";
    QTest::newRow("test line") << "THE QUICK BROWN FOX 17" << "";
}
// clang-format on

void tst_RangeFigures::heardReply()
{
    QFETCH(QString, line);
    QFETCH(QString, parsed);

    const std::optional<HeardReply> reply = parseHeardReply(line);
    QCOMPARE(reply.has_value(), !parsed.isEmpty());
    if (!reply)
        return;
    const QString rssi = reply->rssi ? ' ' + QString::number(*reply->rssi) : QString();
    QCOMPARE(QString::number(reply->counter) + rssi, parsed);
    QCOMPARE(heardReplyBytes(*reply), line.toLatin1() + '\r');
    // An RSSI no module reports is left out, so the line still counts as heard.
    QCOMPARE(heardReplyBytes({reply->counter, -256}), "HEARD " + QByteArray::number(reply->counter) + '\r');
}

QTEST_GUILESS_MAIN(tst_RangeFigures)
#include "tst_rangefigures.moc"
