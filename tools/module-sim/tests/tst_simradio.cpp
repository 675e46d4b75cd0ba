#include "fakeclock.h"
#include "modulecore.h"
#include "radio.h"
#include "rssimodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray joined(const QSignalSpy &spy)
{
    QByteArray bytes;
    for (const QList<QVariant> &emission : spy)
        bytes += emission.at(0).toByteArray();
    return bytes;
}

// Two modules on one radio, with a host on each serial line.
struct Pair
{
    explicit Pair(const RadioConfig &config = RadioConfig())
        : radio(config)
        , a(configFor('A'), clock)
        , b(configFor('B'), clock)
        , outputA(&a, &ModuleCore::hostOutput)
        , outputB(&b, &ModuleCore::hostOutput)
    {
        radio.attach(&a);
        radio.attach(&b);
    }

    static ModuleConfig configFor(char letter)
    {
        ModuleConfig config;
        config.letter = QLatin1Char(letter);
        config.guardTime = 10;
        return config;
    }

    // Data from the host of one module, sent once the packet is complete.
    void send(ModuleCore &module, const QByteArray &data)
    {
        module.receiveFromHost(data);
        clock.advance(20);
        module.processTimers();
    }

    QByteArray command(ModuleCore &module, QSignalSpy &output, const QByteArray &line)
    {
        clock.advance(10);
        module.receiveFromHost("+++");
        clock.advance(10);
        module.processTimers();
        output.clear();
        module.receiveFromHost(line);
        const QByteArray reply = joined(output);
        output.clear();
        module.receiveFromHost("ATCN\r");
        output.clear();
        return reply;
    }

    FakeClock clock;
    Radio radio;
    ModuleCore a;
    ModuleCore b;
    QSignalSpy outputA;
    QSignalSpy outputB;
};

} // namespace

class TestSimRadio : public QObject
{
    Q_OBJECT

private slots:
    void deliversBothWays();
    void hearing_data();
    void hearing();
    void dbReportsModelRssi();
    void dbFromFixedRssi_data();
    void dbFromFixedRssi();
    void rssiWalk();
    void lossRate_data();
    void lossRate();
    void dataHeldDuringCommandMode();
    void detachedModuleHearsNothing();
};

void TestSimRadio::deliversBothWays()
{
    Pair pair;
    pair.send(pair.a, "THE QUICK BROWN FOX 0\r");
    QCOMPARE(joined(pair.outputB), QByteArray("THE QUICK BROWN FOX 0\r"));
    QCOMPARE(pair.outputA.size(), 0);

    pair.send(pair.b, "back");
    QCOMPARE(joined(pair.outputA), QByteArray("back"));
}

void TestSimRadio::hearing_data()
{
    QTest::addColumn<QByteArray>("settingsA");
    QTest::addColumn<QByteArray>("settingsB");
    QTest::addColumn<bool>("heard");

    QTest::newRow("defaults") << QByteArray("AT\r") << QByteArray("AT\r") << true;
    QTest::newRow("same PAN ID") << QByteArray("ATID3333\r") << QByteArray("ATID3333\r") << true;
    QTest::newRow("different PAN IDs") << QByteArray("ATID3333\r") << QByteArray("ATID4444\r") << false;
    QTest::newRow("one channel in common") << QByteArray("ATCM3\r") << QByteArray("ATCM3EFFFC02\r") << true;
    QTest::newRow("no channel in common") << QByteArray("ATCM3\r") << QByteArray("ATCM3EFFFC00\r") << false;
}

void TestSimRadio::hearing()
{
    QFETCH(QByteArray, settingsA);
    QFETCH(QByteArray, settingsB);
    QFETCH(bool, heard);

    Pair pair;
    QVERIFY(pair.command(pair.a, pair.outputA, settingsA).endsWith("OK\r"));
    QVERIFY(pair.command(pair.b, pair.outputB, settingsB).endsWith("OK\r"));
    QCOMPARE(Radio::canHear(pair.a, pair.b), heard);

    pair.send(pair.a, "ping");
    pair.send(pair.b, "pong");
    QCOMPARE(joined(pair.outputB), heard ? QByteArray("ping") : QByteArray());
    QCOMPARE(joined(pair.outputA), heard ? QByteArray("pong") : QByteArray());
}

void TestSimRadio::dbReportsModelRssi()
{
    RadioConfig config;
    config.rssiDbm = -70;
    config.rssiJitterDb = 4;
    config.seed = 1234;
    Pair pair(config);
    RssiModel expected(-70, 4, 1234);

    QCOMPARE(pair.command(pair.b, pair.outputB, "ATDB\r"), QByteArray("0\r"));
    for (int i = 0; i < 5; ++i) {
        pair.send(pair.a, "THE QUICK BROWN FOX\r");
        const QByteArray db = QByteArray::number(-expected.next(), 16).toUpper() + '\r';
        QCOMPARE(pair.command(pair.b, pair.outputB, "ATDB\r"), db);
    }
}

void TestSimRadio::dbFromFixedRssi_data()
{
    QTest::addColumn<int>("rssiDbm");
    QTest::addColumn<QByteArray>("db");

    QTest::newRow("-74 dBm") << -74 << QByteArray("4A\r");
    QTest::newRow("-40 dBm") << -40 << QByteArray("28\r");
    QTest::newRow("-105 dBm") << -105 << QByteArray("69\r");
}

void TestSimRadio::dbFromFixedRssi()
{
    QFETCH(int, rssiDbm);
    QFETCH(QByteArray, db);

    RadioConfig config;
    config.rssiDbm = rssiDbm;
    config.rssiJitterDb = 0;
    Pair pair(config);
    pair.send(pair.a, "x");
    QCOMPARE(pair.command(pair.b, pair.outputB, "ATDB\r"), db);
}

void TestSimRadio::rssiWalk()
{
    RssiModel model(-70, 4, 99);
    RssiModel same(-70, 4, 99);
    RssiModel other(-70, 4, 100);
    QList<int> values;
    QList<int> otherValues;
    int previous = -70;
    for (int i = 0; i < 2000; ++i) {
        const int value = model.next();
        QVERIFY(value >= -74 && value <= -66);
        QVERIFY(qAbs(value - previous) <= 1);
        QCOMPARE(same.next(), value);
        values.append(value);
        otherValues.append(other.next());
        previous = value;
    }
    QVERIFY(values != otherValues);
    // The walk reaches both ends of its range.
    QVERIFY(values.contains(-74));
    QVERIFY(values.contains(-66));
}

void TestSimRadio::lossRate_data()
{
    QTest::addColumn<double>("loss");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");

    QTest::newRow("none lost") << 0.0 << 1000 << 1000;
    QTest::newRow("all lost") << 1.0 << 0 << 0;
    QTest::newRow("a quarter lost") << 0.25 << 700 << 800;
}

void TestSimRadio::lossRate()
{
    QFETCH(double, loss);
    QFETCH(int, minimum);
    QFETCH(int, maximum);

    RadioConfig config;
    config.loss = loss;
    config.seed = 7;
    Pair pair(config);
    QSignalSpy lost(&pair.radio, &Radio::packetLost);
    for (int i = 0; i < 1000; ++i)
        pair.send(pair.a, "x");

    const int delivered = int(pair.outputB.size());
    QVERIFY2(delivered >= minimum && delivered <= maximum, qPrintable(QString::number(delivered)));
    QCOMPARE(delivered + int(lost.size()), 1000);
}

void TestSimRadio::dataHeldDuringCommandMode()
{
    RadioConfig config;
    config.rssiDbm = -74;
    config.rssiJitterDb = 0;
    Pair pair(config);
    pair.clock.advance(10);
    pair.b.receiveFromHost("+++");
    pair.clock.advance(10);
    pair.b.processTimers();
    pair.outputB.clear();

    pair.send(pair.a, "THE QUICK BROWN FOX 3\r");
    QCOMPARE(pair.outputB.size(), 0);
    pair.b.receiveFromHost("ATDB\r");
    QCOMPARE(joined(pair.outputB), QByteArray("4A\r"));
    pair.b.receiveFromHost("ATCN\r");
    QCOMPARE(joined(pair.outputB), QByteArray("4A\rOK\rTHE QUICK BROWN FOX 3\r"));
}

void TestSimRadio::detachedModuleHearsNothing()
{
    Pair pair;
    pair.radio.detach(&pair.b);
    pair.send(pair.a, "x");
    pair.send(pair.b, "y");
    QCOMPARE(pair.outputA.size(), 0);
    QCOMPARE(pair.outputB.size(), 0);
}

QTEST_GUILESS_MAIN(TestSimRadio)
#include "tst_simradio.moc"
