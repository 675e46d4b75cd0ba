#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "ptypair.h"

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

const QString noFigures = QStringLiteral("Received: -   Lost: - (- %)   RSSI last/min/avg/max: - / - / - / - dBm");

template<typename T> T *child(FendrakeXBeeConfiguratorDialog &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

bool showTestTab(FendrakeXBeeConfiguratorDialog &dialog)
{
    dialog.show();
    child<QTabWidget>(dialog, "tabWidget")->setCurrentWidget(child<QWidget>(dialog, "tabTest"));
    return QTest::qWaitForWindowExposed(&dialog);
}

bool sameImage(const QIcon &icon, const QString &resource)
{
    return icon.pixmap(16).toImage() == QIcon(resource).pixmap(16).toImage();
}

// Stands for the end of the RSSI query that a handled test line starts, so
// that the next line is examined again.
void endRun(DialogProbe &probe)
{
    probe.commandTimer()->stop();
    probe.setCommandState(0);
}

} // namespace

class tst_RangeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statisticsHiddenAtStart();
    void modeClick_data();
    void modeClick();
    void startAndStop();
    void startIgnoredForReceiver();
    void transmitTick_data();
    void transmitTick();
    void tickSkippedDuringRun_data();
    void tickSkippedDuringRun();
    void receiverAcceptance_data();
    void receiverAcceptance();
    void dbReply_data();
    void dbReply();
    void statisticsFollowLinesAndSamples();
    void transmitterOnWire();
    void receiverQueryOnWire();

private:
    std::unique_ptr<IsolatedSettings> settings;
};

void tst_RangeTest::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
}

void tst_RangeTest::statisticsHiddenAtStart()
{
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog));

    QVERIFY(child<QRadioButton>(dialog, "rdbTransmitter")->isChecked());
    QVERIFY(!child<QLabel>(dialog, "lblTestStatistics")->isVisible());
    QVERIFY(child<QPushButton>(dialog, "btnStartTest")->isVisible());
}

void tst_RangeTest::modeClick_data()
{
    QTest::addColumn<bool>("receiverBefore");
    QTest::addColumn<bool>("transmittingBefore");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<bool>("transmittingAfter");

    QTest::newRow("transmitter again, sending") << false << true << "rdbTransmitter" << true;
    QTest::newRow("transmitter again, idle") << false << false << "rdbTransmitter" << false;
    QTest::newRow("receiver while sending") << false << true << "rdbReceiver" << false;
    QTest::newRow("receiver again") << true << false << "rdbReceiver" << false;
    QTest::newRow("back to transmitter") << true << false << "rdbTransmitter" << false;
}

void tst_RangeTest::modeClick()
{
    QFETCH(bool, receiverBefore);
    QFETCH(bool, transmittingBefore);
    QFETCH(QString, clicked);
    QFETCH(bool, transmittingAfter);

    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog));
    DialogProbe probe(dialog);
    auto *startButton = child<QPushButton>(dialog, "btnStartTest");
    if (receiverBefore)
        child<QRadioButton>(dialog, "rdbReceiver")->click();
    if (transmittingBefore)
        startButton->click();
    probe.setTestPacketCounter(7);
    for (int rssi : {-70, -80, -90})
        probe.addRssiSample(rssi);
    probe.handleTestLine(QStringLiteral("THE QUICK BROWN FOX 3"));
    endRun(probe);

    child<QRadioButton>(dialog, clicked.toLatin1())->click();

    const bool receiver = clicked == QLatin1String("rdbReceiver");
    QVERIFY(child<QRadioButton>(dialog, clicked.toLatin1())->isChecked());
    QCOMPARE(probe.testTimer()->isActive(), transmittingAfter);
    QCOMPARE(startButton->text(), transmittingAfter ? QStringLiteral("Stop") : QStringLiteral("Start"));
    QVERIFY(sameImage(startButton->icon(),
                      transmittingAfter ? QStringLiteral(":/fatcow/icons/fatcow/stop.png")
                                        : QStringLiteral(":/fatcow/icons/fatcow/gun.png")));
    QCOMPARE(probe.testPacketCounter(), 0u);
    QCOMPARE(probe.sampleCounter(), 0);
    QVERIFY(probe.rssiSamples().isEmpty());
    QCOMPARE(probe.rssiSeries()->count(), 0);
    QCOMPARE(probe.testStatistics().received(), quint64(0));
    QCOMPARE(child<QLabel>(dialog, "lblTestStatistics")->text(), noFigures);

    QCOMPARE(startButton->isVisible(), !receiver);
    QCOMPARE(child<QPushButton>(dialog, "btnExportResults")->isVisible(), receiver);
    QCOMPARE(probe.chartView()->isVisible(), receiver);
    QCOMPARE(child<QLabel>(dialog, "lblTestStatistics")->isVisible(), receiver);
}

void tst_RangeTest::startAndStop()
{
    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    auto *startButton = child<QPushButton>(dialog, "btnStartTest");
    QSignalSpy written(&dialog, &FendrakeXBeeConfiguratorDialog::write_data);

    startButton->click();
    QVERIFY(probe.testTimer()->isActive());
    QCOMPARE(probe.testTimer()->interval(), 5000);
    QVERIFY(!probe.testTimer()->isSingleShot());
    QCOMPARE(startButton->text(), QStringLiteral("Stop"));
    QVERIFY(sameImage(startButton->icon(), QStringLiteral(":/fatcow/icons/fatcow/stop.png")));
    QCOMPARE(written.count(), 0); // the first line waits for the first tick

    probe.tickTestTimer();
    probe.tickTestTimer();
    startButton->click();
    QVERIFY(!probe.testTimer()->isActive());
    QCOMPARE(startButton->text(), QStringLiteral("Start"));
    QVERIFY(sameImage(startButton->icon(), QStringLiteral(":/fatcow/icons/fatcow/gun.png")));

    // Numbering goes on after a stop.
    startButton->click();
    probe.tickTestTimer();
    QCOMPARE(written.count(), 3);
    QCOMPARE(written.at(2).at(0).toByteArray(), QByteArray("THE QUICK BROWN FOX 2\r"));
}

void tst_RangeTest::startIgnoredForReceiver()
{
    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    child<QRadioButton>(dialog, "rdbReceiver")->click();

    child<QPushButton>(dialog, "btnStartTest")->click();

    QVERIFY(!probe.testTimer()->isActive());
    QCOMPARE(child<QPushButton>(dialog, "btnStartTest")->text(), QStringLiteral("Start"));
}

void tst_RangeTest::transmitTick_data()
{
    QTest::addColumn<quint32>("counter");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("next");

    QTest::newRow("0") << 0u << QByteArray("THE QUICK BROWN FOX 0\r") << 1u;
    QTest::newRow("1") << 1u << QByteArray("THE QUICK BROWN FOX 1\r") << 2u;
    QTest::newRow("wraps") << 4294967295u << QByteArray("THE QUICK BROWN FOX 4294967295\r") << 0u;
}

void tst_RangeTest::transmitTick()
{
    QFETCH(quint32, counter);
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, next);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    QSignalSpy written(&dialog, &FendrakeXBeeConfiguratorDialog::write_data);
    probe.setTestPacketCounter(counter);

    probe.tickTestTimer();

    QCOMPARE(written.count(), 1);
    QCOMPARE(written.at(0).at(0).toByteArray(), bytes);
    QCOMPARE(probe.testPacketCounter(), next);
}

void tst_RangeTest::tickSkippedDuringRun_data()
{
    QTest::addColumn<int>("state");
    for (int state = 1; state <= 8; ++state)
        QTest::addRow("state %d", state) << state;
}

void tst_RangeTest::tickSkippedDuringRun()
{
    QFETCH(int, state);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    QSignalSpy written(&dialog, &FendrakeXBeeConfiguratorDialog::write_data);
    probe.setTestPacketCounter(5);
    probe.setCommandState(state);

    QTest::ignoreMessage(QtDebugMsg, "Test line skipped: command mode run in progress");
    probe.tickTestTimer();

    QCOMPARE(written.count(), 0);
    QCOMPARE(probe.testPacketCounter(), 5u);

    probe.setCommandState(0);
    probe.tickTestTimer();
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.at(0).at(0).toByteArray(), QByteArray("THE QUICK BROWN FOX 5\r"));
}

void tst_RangeTest::receiverAcceptance_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("testTabCurrent");
    QTest::addColumn<bool>("receiver");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("accepted");

    const QString line = QStringLiteral("THE QUICK BROWN FOX 17");
    QTest::newRow("valid") << line << true << true << 0 << true;
    QTest::newRow("lower case") << "the quick brown fox 17" << true << true << 0 << false;
    QTest::newRow("text before") << "xx THE QUICK BROWN FOX 17" << true << true << 0 << true;
    QTest::newRow("no counter") << "THE QUICK BROWN FOX" << true << true << 0 << true;
    QTest::newRow("other line") << "OK" << true << true << 0 << false;
    QTest::newRow("settings tab current") << line << false << true << 0 << false;
    QTest::newRow("transmitter mode") << line << true << false << 0 << false;
    QTest::newRow("awaiting escape reply") << line << true << true << 2 << false;
    QTest::newRow("awaiting command reply") << line << true << true << 4 << false;
    QTest::newRow("awaiting exit reply") << line << true << true << 6 << false;
}

void tst_RangeTest::receiverAcceptance()
{
    QFETCH(QString, line);
    QFETCH(bool, testTabCurrent);
    QFETCH(bool, receiver);
    QFETCH(int, state);
    QFETCH(bool, accepted);

    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog));
    DialogProbe probe(dialog);
    child<QRadioButton>(dialog, receiver ? "rdbReceiver" : "rdbTransmitter")->click();
    if (!testTabCurrent)
        child<QTabWidget>(dialog, "tabWidget")->setCurrentIndex(0);
    probe.setCommandState(state);

    if (accepted)
        QTest::ignoreMessage(QtDebugMsg, "Valid test packet received");
    probe.handleTestLine(line);

    QCOMPARE(probe.testStatistics().received(), quint64(accepted ? 1 : 0));
    endRun(probe);
}

void tst_RangeTest::dbReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("4A") << "4A" << true << -74 << QByteArray("RSSI = -74");
    QTest::newRow("0") << "0" << true << 0 << QByteArray("RSSI = 0");
    QTest::newRow("ERROR") << "ERROR" << false << 0 << QByteArray("Invalid RSSI response: \"ERROR\"");
    QTest::newRow("empty") << "" << false << 0 << QByteArray("Invalid RSSI response: \"\"");
}

void tst_RangeTest::dbReply()
{
    QFETCH(QString, reply);
    QFETCH(bool, recorded);
    QFETCH(int, rssi);
    QFETCH(QByteArray, message);

    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe(dialog);
    child<QRadioButton>(dialog, "rdbReceiver")->click();

    QTest::ignoreMessage(QtDebugMsg, message.constData());
    probe.handleRssiReply(reply);

    QCOMPARE(probe.rssiSamples().size(), recorded ? 1 : 0);
    QCOMPARE(probe.rssiSeries()->count(), recorded ? 1 : 0);
    QCOMPARE(probe.sampleCounter(), recorded ? 1 : 0);
    if (recorded) {
        QCOMPARE(probe.rssiSamples().at(0).index, 0);
        QCOMPARE(probe.rssiSamples().at(0).rssi, rssi);
        QCOMPARE(probe.rssiSeries()->at(0), QPointF(0, rssi));
    }
}

void tst_RangeTest::statisticsFollowLinesAndSamples()
{
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(showTestTab(dialog));
    DialogProbe probe(dialog);
    child<QRadioButton>(dialog, "rdbReceiver")->click();
    auto *label = child<QLabel>(dialog, "lblTestStatistics");
    QCOMPARE(label->text(), noFigures);

    probe.handleTestLine(QStringLiteral("THE QUICK BROWN FOX 0"));
    endRun(probe);
    QCOMPARE(label->text(), QStringLiteral("Received: 1   Lost: 0 (0.0 %)   RSSI last/min/avg/max: - / - / - / - dBm"));
    probe.handleRssiReply(QStringLiteral("4A"));
    probe.handleTestLine(QStringLiteral("THE QUICK BROWN FOX 3"));
    endRun(probe);
    probe.handleRssiReply(QStringLiteral("45"));

    QCOMPARE(label->text(),
             QStringLiteral("Received: 2   Lost: 2 (50.0 %)   RSSI last/min/avg/max: -69 / -74 / -71.5 / -69 dBm"));
}

void tst_RangeTest::transmitterOnWire()
{
    PtyPair module;
    QVERIFY(module.isValid());
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.addExtraPort(module.slavePath());
    DialogProbe probe(dialog);
    QTRY_VERIFY(probe.serialPortOpen());

    child<QPushButton>(dialog, "btnStartTest")->click();
    probe.tickTestTimer();
    probe.tickTestTimer();

    QCOMPARE(module.read(44), QByteArray("THE QUICK BROWN FOX 0\rTHE QUICK BROWN FOX 1\r"));
}

void tst_RangeTest::receiverQueryOnWire()
{
    PtyPair module;
    QVERIFY(module.isValid());
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.addExtraPort(module.slavePath());
    DialogProbe probe(dialog);
    QVERIFY(showTestTab(dialog));
    child<QRadioButton>(dialog, "rdbReceiver")->click();
    QTRY_VERIFY(probe.serialPortOpen());

    // The module plays its part of one RSSI query per test line.
    const QByteArray replies[] = {"4A\r", "50\r"};
    const QByteArray lines[] = {"THE QUICK BROWN FOX 0\r", "THE QUICK BROWN FOX 2\r"};
    for (int i = 0; i < 2; ++i) {
        module.write(lines[i]);
        QCOMPARE(module.read(3), QByteArray("+++"));
        module.write("OK\r");
        QCOMPARE(module.read(5), QByteArray("ATDB\r"));
        module.write(replies[i]);
        QCOMPARE(module.read(5), QByteArray("ATCN\r"));
        module.write("OK\r");
        QTRY_COMPARE(probe.commandState(), 0);
    }

    QCOMPARE(probe.rssiSamples().size(), 2);
    QCOMPARE(probe.rssiSamples().at(0).rssi, -74);
    QCOMPARE(probe.rssiSamples().at(1).rssi, -80);
    QCOMPARE(probe.testStatistics().lost(), quint64(1));
    QCOMPARE(child<QLabel>(dialog, "lblTestStatistics")->text(),
             QStringLiteral("Received: 2   Lost: 1 (33.3 %)   RSSI last/min/avg/max: -80 / -80 / -77.0 / -74 dBm"));
}

QTEST_MAIN(tst_RangeTest)
#include "tst_rangetest.moc"
