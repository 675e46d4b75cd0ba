#include "fakeclock.h"
#include "modulecore.h"
#include "statefile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray take(QSignalSpy &spy)
{
    QByteArray bytes;
    for (const QList<QVariant> &emission : std::as_const(spy))
        bytes += emission.at(0).toByteArray();
    spy.clear();
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

class TestSimModule : public QObject
{
    Q_OBJECT

private slots:
    void command_data();
    void command();
    void escape_data();
    void escape();
    void writeSurvivesRestart_data();
    void writeSurvivesRestart();
};

void TestSimModule::command_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    // clang-format off
    QTest::newRow("query") << QByteArray("ATID\r") << QByteArray("7FFF\r");
    QTest::newRow("set") << QByteArray("ATID3333\rATID\r") << QByteArray("OK\r3333\r");
    QTest::newRow("0x prefix") << QByteArray("ATID0x4444\rATID\r") << QByteArray("OK\r4444\r");
    QTest::newRow("lower case, equals sign") << QByteArray("atid=7ffe\ratid\r") << QByteArray("OK\r7FFE\r");
    QTest::newRow("chain") << QByteArray("ATID3333,MT1,ID,MT\r") << QByteArray("OK\rOK\r3333\r1\r");
    QTest::newRow("chain stops at error") << QByteArray("ATMT1,ID8000,MT0\rATMT\r") << QByteArray("OK\rERROR\r1\r");
    QTest::newRow("above maximum") << QByteArray("ATID8000\rATID\r") << QByteArray("ERROR\r7FFF\r");
    QTest::newRow("below minimum") << QByteArray("ATGT1\rATGT\r") << QByteArray("ERROR\r3E8\r");
    QTest::newRow("channel 9 not on this band") << QByteArray("ATCM203\rATCM\r") << QByteArray("ERROR\r3EFFFDFF\r");
    QTest::newRow("beyond 32 bits") << QByteArray("ATDL100000000\rATDL\r") << QByteArray("ERROR\rFFFF\r");
    QTest::newRow("not hexadecimal") << QByteArray("ATID12G\r") << QByteArray("ERROR\r");
    QTest::newRow("node identifier") << QByteArray("ATNI Roof mast\rATNI\r") << QByteArray("OK\rRoof mast\r");
    QTest::newRow("identifier too long") << "ATNI" + QByteArray(21, 'x') + '\r' << QByteArray("ERROR\r");
    QTest::newRow("read-only") << QByteArray("ATVR1\rATVR\r") << QByteArray("ERROR\r8059\r");
    QTest::newRow("unknown command") << QByteArray("ATXX\r") << QByteArray("ERROR\r");
    QTest::newRow("not a command line") << QByteArray("HELLO\r") << QByteArray("ERROR\r");
    // clang-format on
}

void TestSimModule::command()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    QSignalSpy host(&module, &ModuleCore::hostOutput);
    play(module, clock, "w1000 +++ w1000");
    QCOMPARE(take(host), QByteArray("OK\r"));
    module.receiveFromHost(input);
    QCOMPARE(take(host), reply);
}

void TestSimModule::escape_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("commandMode");
    QTest::addColumn<QByteArray>("hostOutput");
    QTest::addColumn<QByteArray>("radio");

    // Guard time 1 s, command mode timeout 10 s.
    // clang-format off
    QTest::newRow("silence on both sides") << "w1000 +++ w1000" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("no silence before") << "w1000 data +++ w1000" << false << QByteArray() << QByteArray("data+++");
    QTest::newRow("silence before too short") << "w1000 data w999 +++ w1000" << false << QByteArray()
                                              << QByteArray("data+++");
    QTest::newRow("silence after too short") << "w1000 +++ w999" << false << QByteArray() << QByteArray();
    QTest::newRow("byte inside silence after") << "w1000 +++ w500 x w1000" << false << QByteArray()
                                               << QByteArray("+++x");
    QTest::newRow("before timeout") << "w1000 +++ w1000 w9999" << true << QByteArray("OK\r") << QByteArray();
    QTest::newRow("timeout") << "w1000 +++ w1000 w10000 data" << false << QByteArray("OK\r") << QByteArray("data");
    QTest::newRow("command restarts timeout") << "w1000 +++ w1000 w9000 ATID\r w9999" << true
                                              << QByteArray("OK\r7FFF\r") << QByteArray();
    // clang-format on
}

void TestSimModule::escape()
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
    QCOMPARE(take(host), hostOutput);
    // Let a packet still being collected leave.
    if (!commandMode)
        play(module, clock, "w100");
    QCOMPARE(take(air), radio);
}

void TestSimModule::writeSurvivesRestart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("storedId");

    QTest::newRow("stored") << "state.json" << QByteArray("OK\rOK\rOK\rOK\r") << QByteArray("3333");
    // A WR that could not be stored must not answer "OK".
    QTest::newRow("folder missing") << "missing/state.json" << QByteArray("OK\rERROR\r") << QByteArray("7FFF");
}

void TestSimModule::writeSurvivesRestart()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, storedId);

    QTemporaryDir dir;
    FakeClock clock;
    QString error;
    StateFile before(dir.filePath(file));
    QVERIFY(before.load(&error));
    {
        ModuleCore module(ModuleConfig(), clock, &before);
        QSignalSpy host(&module, &ModuleCore::hostOutput);
        play(module, clock, "w1000 +++ w1000");
        module.receiveFromHost("ATID3333,WR,MT1,CN\r");
        QCOMPARE(take(host), "OK\r" + reply);
    }
    StateFile after(dir.filePath(file));
    QVERIFY2(after.load(&error), qPrintable(error));
    const ModuleCore module(ModuleConfig(), clock, &after);
    QCOMPARE(module.registers().query("ID"), storedId);
    // Set after the WR: gone with the restart.
    QCOMPARE(module.registers().query("MT"), QByteArray("3"));
}

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
