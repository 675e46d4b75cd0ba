#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"

#include <QLabel>
#include <QLineSeries>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

class tst_RssiChart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void slidingWindow_data();
    void slidingWindow();
    void verticalAxisWidensDownwards_data();
    void verticalAxisWidensDownwards();
    void keepsNewest500_data();
    void keepsNewest500();
    void modeClickKeepsAxes();
    void hoverReadOut_data();
    void hoverReadOut();

private:
    std::unique_ptr<IsolatedSettings> settings;
};

void tst_RssiChart::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
}

void tst_RssiChart::slidingWindow_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<double>("xMin");
    QTest::addColumn<double>("xMax");

    QTest::newRow("none") << 0 << 0.0 << 50.0;
    QTest::newRow("1") << 1 << 0.0 << 1.0;
    QTest::newRow("30") << 30 << 0.0 << 30.0;
    QTest::newRow("50") << 50 << 0.0 << 50.0;
    QTest::newRow("51") << 51 << 1.0 << 51.0;
    QTest::newRow("520") << 520 << 470.0 << 520.0;
}

void tst_RssiChart::slidingWindow()
{
    QFETCH(int, samples);
    QFETCH(double, xMin);
    QFETCH(double, xMax);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    for (int i = 0; i < samples; ++i)
        probe.addRssiSample(-70);

    QCOMPARE(probe.axisX()->min(), xMin);
    QCOMPARE(probe.axisX()->max(), xMax);
    QCOMPARE(probe.axisY()->min(), -100.0);
    QCOMPARE(probe.axisY()->max(), 0.0);
}

void tst_RssiChart::verticalAxisWidensDownwards_data()
{
    QTest::addColumn<QList<int>>("rssi");
    QTest::addColumn<double>("yMin");

    QTest::newRow("-95 inside") << QList<int>{-95} << -100.0;
    QTest::newRow("-100 on the edge") << QList<int>{-100} << -100.0;
    QTest::newRow("-105") << QList<int>{-105} << -110.0;
    QTest::newRow("-105 then -60") << QList<int>{-105, -60} << -110.0;
    QTest::newRow("-105 then -108") << QList<int>{-105, -108} << -110.0;
    QTest::newRow("-105 then -120") << QList<int>{-105, -120} << -125.0;
    QTest::newRow("positive") << QList<int>{5} << -100.0;
}

void tst_RssiChart::verticalAxisWidensDownwards()
{
    QFETCH(QList<int>, rssi);
    QFETCH(double, yMin);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    for (int value : rssi)
        probe.addRssiSample(value);

    QCOMPARE(probe.axisY()->min(), yMin);
    QCOMPARE(probe.axisY()->max(), 0.0);
}

void tst_RssiChart::keepsNewest500_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("firstKept");

    QTest::newRow("500") << 500 << 0;
    QTest::newRow("501") << 501 << 1;
    QTest::newRow("520") << 520 << 20;
    QTest::newRow("600") << 600 << 100;
}

void tst_RssiChart::keepsNewest500()
{
    QFETCH(int, samples);
    QFETCH(int, firstKept);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    const QDateTime before = QDateTime::currentDateTime();
    for (int i = 0; i < samples; ++i) {
        probe.addRssiSample(-(i % 60) - 40);
        QVERIFY(probe.rssiSeries()->count() <= 500);
    }

    QCOMPARE(probe.sampleCounter(), samples);
    const QList<RssiSample> &kept = probe.rssiSamples();
    QCOMPARE(kept.size(), 500);
    QCOMPARE(probe.rssiSeries()->count(), 500);
    for (int i = 0; i < 500; ++i) {
        const int index = firstKept + i;
        const int rssi = -(index % 60) - 40;
        QCOMPARE(kept.at(i).index, index);
        QCOMPARE(kept.at(i).rssi, rssi);
        QCOMPARE(probe.rssiSeries()->at(i), QPointF(index, rssi));
    }
    QVERIFY(kept.first().time >= before);
    QVERIFY(kept.last().time <= QDateTime::currentDateTime());
}

void tst_RssiChart::modeClickKeepsAxes()
{
    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    for (int i = 0; i < 60; ++i)
        probe.addRssiSample(-110);

    dialog.findChild<QRadioButton *>("rdbReceiver")->click();

    QCOMPARE(probe.rssiSeries()->count(), 0);
    QCOMPARE(probe.axisX()->min(), 10.0);
    QCOMPARE(probe.axisX()->max(), 60.0);
    QCOMPARE(probe.axisY()->min(), -115.0);

    probe.addRssiSample(-70);
    QCOMPARE(probe.axisX()->min(), 0.0);
    QCOMPARE(probe.axisX()->max(), 1.0);
    QCOMPARE(probe.axisY()->min(), -115.0);
    QCOMPARE(probe.rssiSamples().at(0).index, 0);
}

void tst_RssiChart::hoverReadOut_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("text");

    QTest::newRow("on a sample") << QPointF(12, -74) << "RSSI: -74 dBm\nSample: 12";
    QTest::newRow("between samples") << QPointF(12.5, -73.25) << "RSSI: -73.25 dBm\nSample: 12.5";
    QTest::newRow("many digits") << QPointF(12.3456789, -73.123456) << "RSSI: -73.1235 dBm\nSample: 12.3457";
    QTest::newRow("first sample, 0 dBm") << QPointF(0, 0) << "RSSI: 0 dBm\nSample: 0";
}

void tst_RssiChart::hoverReadOut()
{
    QFETCH(QPointF, point);
    QFETCH(QString, text);

    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    DialogProbe probe(dialog);

    // Through the series' own signal, as the chart reports the cursor.
    emit probe.rssiSeries()->hovered(point, true);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), text);

    emit probe.rssiSeries()->hovered(point, false);
    QTRY_VERIFY(!QToolTip::isVisible());
}

QTEST_MAIN(tst_RssiChart)
#include "tst_rssichart.moc"
