#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "modulesimulator.h"

#include <QLabel>
#include <QLineSeries>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

// A line crosses the simulated radio in milliseconds; one not heard by then is lost.
constexpr int arrivalTimeoutMs = 1000;
// Guard time 50 ms: "+++", "ATDB" and "ATCN" take a few hundred milliseconds.
constexpr int queryTimeoutMs = 5000;

} // namespace

// Two PCs in one process: a transmitting dialog on module B and a receiving
// dialog on module A of the simulator, linked by its radio.
class tst_TwoPc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rangeTest_data();
    void rangeTest();

private:
    std::unique_ptr<IsolatedSettings> settings;
};

void tst_TwoPc::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    settings = std::make_unique<IsolatedSettings>();
}

void tst_TwoPc::rangeTest_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("jitter");
    QTest::addColumn<QString>("loss");
    QTest::addColumn<int>("lines");

    QTest::newRow("steady signal") << -70 << 0 << "0" << 8;
    QTest::newRow("wandering signal") << -82 << 4 << "0" << 8;
    QTest::newRow("lossy link") << -75 << 2 << "0.3" << 16;
}

void tst_TwoPc::rangeTest()
{
    QFETCH(int, rssi);
    QFETCH(int, jitter);
    QFETCH(QString, loss);
    QFETCH(int, lines);

    ModuleSimulator simulator({"--guard-ms", "50", "--rssi", QString::number(rssi), "--rssi-jitter",
                               QString::number(jitter), "--loss", loss, "--seed", "11"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));

    FendrakeXBeeConfiguratorDialog transmitter;
    transmitter.addExtraPort(simulator.portB());
    DialogProbe sender(transmitter);
    FendrakeXBeeConfiguratorDialog receiver;
    receiver.addExtraPort(simulator.portA());
    DialogProbe listener(receiver);
    receiver.show();
    receiver.findChild<QTabWidget *>("tabWidget")->setCurrentWidget(receiver.findChild<QWidget *>("tabTest"));
    QVERIFY(QTest::qWaitForWindowExposed(&receiver));
    receiver.findChild<QRadioButton *>("rdbReceiver")->click();
    QTRY_VERIFY(sender.serialPortOpen());
    QTRY_VERIFY(listener.serialPortOpen());

    // The test ticks the transmitter itself instead of waiting 5 s a line,
    // and only once the receiver is idle again, so no line meets a query.
    QList<int> arrived;
    for (int line = 0; line < lines; ++line) {
        const quint64 before = listener.testStatistics().received();
        sender.tickTestTimer();
        if (!QTest::qWaitFor([&] { return listener.testStatistics().received() > before; }, arrivalTimeoutMs))
            continue;
        arrived.append(line);
        QTRY_COMPARE_WITH_TIMEOUT(listener.rssiSamples().size(), arrived.size(), queryTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(listener.commandState(), 0, queryTimeoutMs);
    }

    QVERIFY(arrived.size() >= 2);
    const int expectedLost = arrived.last() - arrived.first() + 1 - int(arrived.size());
    if (loss != QLatin1String("0"))
        QVERIFY2(expectedLost > 0, "the seed gives this link lost lines");
    else
        QCOMPARE(int(arrived.size()), lines);

    QCOMPARE(listener.testStatistics().received(), quint64(arrived.size()));
    QCOMPARE(listener.testStatistics().lost(), quint64(expectedLost));
    QCOMPARE(listener.rssiSeries()->count(), int(arrived.size()));
    for (int i = 0; i < arrived.size(); ++i) {
        const RssiSample &sample = listener.rssiSamples().at(i);
        QCOMPARE(sample.index, i);
        QVERIFY2(qAbs(sample.rssi - rssi) <= jitter, qPrintable(QString::number(sample.rssi)));
    }
    const QString figures = receiver.findChild<QLabel *>("lblTestStatistics")->text();
    QVERIFY2(figures.startsWith(QStringLiteral("Received: %1   Lost: %2 (").arg(arrived.size()).arg(expectedLost)),
             qPrintable(figures));
}

QTEST_MAIN(tst_TwoPc)
#include "tst_twopc.moc"
