#include "fakeclock.h"
#include "modulecore.h"

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

// Plays a script of "wN" (let N ms pass) and byte groups, in order.
void play(ModuleCore &module, FakeClock &clock, const QString &script)
{
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('w'))) {
            clock.advance(token.mid(1).toInt());
            module.processTimers();
        } else {
            module.receiveFromHost(token.toLatin1());
        }
    }
}

} // namespace

class TestSimGuardTime : public QObject
{
    Q_OBJECT

private slots:
    void escape_data();
    void escape();
    void deadlineOfPendingEscape();
    void commandTimeout();
    void validCommandRestartsCommandTimeout();
    void invalidCommandDoesNotRestartCommandTimeout();
    void commandTimeoutAppliesSettings();
    void guardTimeFromAtGt();
    void timingsFromOptions();
    void packetizationTimeout_data();
    void packetizationTimeout();
    void fullPacketLeavesAtOnce();
};

void TestSimGuardTime::escape_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("commandMode");
    QTest::addColumn<QByteArray>("hostOutput");
    QTest::addColumn<QByteArray>("radio");

    QTest::newRow("silence on both sides") << "w1000 +++ w1000" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("second silence not over") << "w1000 +++ w999" << false << QByteArray() << QByteArray();
    QTest::newRow("no silence before") << "w1000 data +++ w1000" << false << QByteArray() << QByteArray("data+++");
    QTest::newRow("silence before too short")
        << "w1000 data w999 +++ w1000" << false << QByteArray() << QByteArray("data+++");
    QTest::newRow("data before goes out first")
        << "w1000 data w1000 +++ w1000" << true << QByteArray("OK\r") << QByteArray("data");
    QTest::newRow("byte inside second silence")
        << "w1000 +++ w500 x w1000" << false << QByteArray() << QByteArray("+++x");
    QTest::newRow("byte right after second silence")
        << "w1000 +++ w1000 x" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("pluses one by one") << "w1000 + w300 + w300 + w1000" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("pause between pluses") << "w1000 + w1000 ++ w1000" << false << QByteArray() << QByteArray("+++");
    QTest::newRow("four pluses") << "w1000 ++++ w1000" << false << QByteArray() << QByteArray("++++");
    QTest::newRow("lone plus is data") << "w1000 + w1000" << false << QByteArray() << QByteArray("+");
    QTest::newRow("silence since power-on") << "+++ w1000" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("plus inside data") << "w1000 a+++b w1000" << false << QByteArray() << QByteArray("a+++b");
}

void TestSimGuardTime::escape()
{
    QFETCH(QString, script);
    QFETCH(bool, commandMode);
    QFETCH(QByteArray, hostOutput);
    QFETCH(QByteArray, radio);

    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QSignalSpy host(&module, &ModuleCore::hostOutput);
    QSignalSpy air(&module, &ModuleCore::radioTransmit);

    play(module, clock, script);
    QCOMPARE(module.inCommandMode(), commandMode);
    QCOMPARE(joined(host), hostOutput);
    // Let any packet still being collected leave.
    if (!module.inCommandMode()) {
        clock.advance(1000);
        module.processTimers();
    }
    QCOMPARE(joined(air), radio);
}

void TestSimGuardTime::deadlineOfPendingEscape()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QVERIFY(!module.nextDeadline());

    play(module, clock, "w1000 +++");
    QCOMPARE(module.nextDeadline(), std::optional<qint64>(clock.nowMs() + 1000));
    play(module, clock, "w1000");
    QVERIFY(module.inCommandMode());
    QCOMPARE(module.nextDeadline(), std::optional<qint64>(clock.nowMs() + 10000));
}

void TestSimGuardTime::commandTimeout()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QSignalSpy air(&module, &ModuleCore::radioTransmit);
    play(module, clock, "w1000 +++ w1000 w9999");
    QVERIFY(module.inCommandMode());

    play(module, clock, "w1");
    QVERIFY(!module.inCommandMode());
    play(module, clock, "hello w10");
    QCOMPARE(joined(air), QByteArray("hello"));
}

void TestSimGuardTime::validCommandRestartsCommandTimeout()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    play(module, clock, "w1000 +++ w1000 w9000 ATID\r w9999");
    QVERIFY(module.inCommandMode());
    play(module, clock, "w1");
    QVERIFY(!module.inCommandMode());
}

void TestSimGuardTime::invalidCommandDoesNotRestartCommandTimeout()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    play(module, clock, "w1000 +++ w1000 w9000 ATXX\r w1000");
    QVERIFY(!module.inCommandMode());
}

void TestSimGuardTime::commandTimeoutAppliesSettings()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    play(module, clock, "w1000 +++ w1000 ATID3333\r");
    QCOMPARE(module.panId(), 0x7FFFu);
    play(module, clock, "w10000");
    QVERIFY(!module.inCommandMode());
    QCOMPARE(module.panId(), 0x3333u);
}

void TestSimGuardTime::guardTimeFromAtGt()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    play(module, clock, "w1000 +++ w1000 ATGT32,CN\r");
    QVERIFY(!module.inCommandMode());

    play(module, clock, "w50 +++ w49");
    QVERIFY(!module.inCommandMode());
    play(module, clock, "w1");
    QVERIFY(module.inCommandMode());
}

void TestSimGuardTime::timingsFromOptions()
{
    FakeClock clock;
    ModuleConfig config;
    config.guardTime = 20;
    config.commandTimeout = 2;
    ModuleCore module(config, clock);
    QSignalSpy host(&module, &ModuleCore::hostOutput);

    play(module, clock, "w20 +++ w20 ATGT,CT\r");
    QCOMPARE(joined(host), QByteArray("OK\r14\r2\r"));
    play(module, clock, "w199");
    QVERIFY(module.inCommandMode());
    play(module, clock, "w1");
    QVERIFY(!module.inCommandMode());
}

void TestSimGuardTime::packetizationTimeout_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("timeoutMs");

    // RO character times at BD, with a character of 10, 11 or 12 bits.
    QTest::newRow("default, 3 at 9600") << QByteArray("ATCN\r") << 4;
    QTest::newRow("RO 0 sends at once") << QByteArray("ATRO0,CN\r") << 0;
    QTest::newRow("FF at 1200") << QByteArray("ATRO FF,BD0,CN\r") << 2125;
    QTest::newRow("10 at 9600 with parity and two stop bits") << QByteArray("ATRO10,NB1,SB1,CN\r") << 20;
    QTest::newRow("64 at 115200") << QByteArray("ATRO64,BD7,CN\r") << 9;
}

void TestSimGuardTime::packetizationTimeout()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, timeoutMs);

    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QSignalSpy air(&module, &ModuleCore::radioTransmit);
    play(module, clock, "w1000 +++ w1000");
    module.receiveFromHost(settings);
    QVERIFY(!module.inCommandMode());

    module.receiveFromHost("abc");
    if (timeoutMs > 0) {
        QCOMPARE(module.nextDeadline(), std::optional<qint64>(clock.nowMs() + timeoutMs));
        play(module, clock, QStringLiteral("w%1 def w%2").arg(timeoutMs - 1).arg(timeoutMs - 1));
        QCOMPARE(air.size(), 0);
        play(module, clock, "w1");
    }
    QCOMPARE(joined(air), timeoutMs > 0 ? QByteArray("abcdef") : QByteArray("abc"));
}

void TestSimGuardTime::fullPacketLeavesAtOnce()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QSignalSpy air(&module, &ModuleCore::radioTransmit);

    module.receiveFromHost(QByteArray(600, 'x'));
    QCOMPARE(air.size(), 2);
    QCOMPARE(air.at(0).at(0).toByteArray().size(), 256);
    QCOMPARE(air.at(1).at(0).toByteArray().size(), 256);
    play(module, clock, "w4");
    QCOMPARE(air.size(), 3);
    QCOMPARE(air.at(2).at(0).toByteArray().size(), 88);
}

QTEST_GUILESS_MAIN(TestSimGuardTime)
#include "tst_simguardtime.moc"
