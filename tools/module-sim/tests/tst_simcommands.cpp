#include "modulerig.h"

#include <QTest>

namespace {

// Rig::play, and "!restart" (a power cut), "!wake" and "!factory" as the
// simulator's stdin commands do them.
void play(Rig &rig, const QString &script)
{
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("!restart"))
            rig.module.restart();
        else if (token == QLatin1String("!wake"))
            rig.module.wake();
        else if (token == QLatin1String("!factory"))
            rig.module.factoryReset();
        else
            rig.play(token);
    }
}

const QString Enter = QStringLiteral("w1000 +++ w1010 ");

} // namespace

class TestSimCommands : public QObject
{
    Q_OBJECT

private slots:
    void registers_data();
    void registers();
    void nodeIdentifier_data();
    void nodeIdentifier();
    void sleep_data();
    void sleep();
    void rtsFlowControl_data();
    void rtsFlowControl();
    void commandTimeout_data();
    void commandTimeout();
};

void TestSimCommands::registers_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    // The factory value, the limits, one beyond each.
    // clang-format off
    QTest::newRow("NO 0 to 7") << QByteArray("ATNO\rATNO7,NO\rATNO8\rATNO\r") << QByteArray("0\rOK\r7\rERROR\r7\r");
    QTest::newRow("SM 0 to 8") << QByteArray("ATSM\rATSM8,SM\rATSM9\rATSM0,SM\r")
                               << QByteArray("0\rOK\r8\rERROR\rOK\r0\r");
    QTest::newRow("D6 0 to 5") << QByteArray("ATD6\rATD65,D6\rATD66\r") << QByteArray("0\rOK\r5\rERROR\r");
    QTest::newRow("D7 0 to 7") << QByteArray("ATD7\rATD70,D7\rATD78\rATD7\r") << QByteArray("1\rOK\r0\rERROR\r0\r");
    QTest::newRow("NT 20 to 2EE0") << QByteArray("ATNT\rATNT1F\rATNT20,NT\rATNT2EE0,NT\rATNT2EE1\r")
                                   << QByteArray("82\rERROR\rOK\r20\rOK\r2EE0\rERROR\r");
    QTest::newRow("PL 0 to 4") << QByteArray("ATPL\rATPL0,PL\rATPL5\r") << QByteArray("4\rOK\r0\rERROR\r");
    QTest::newRow("CT 2 to 1770") << QByteArray("ATCT\rATCT1\rATCT2,CT\rATCT1770,CT\rATCT1771\r")
                                  << QByteArray("64\rERROR\rOK\r2\rOK\r1770\rERROR\r");
    QTest::newRow("GT 2 to CE4") << QByteArray("ATGT\rATGT1\rATGTCE4,GT\rATGTCE5\r")
                                 << QByteArray("3E8\rERROR\rOK\rCE4\rERROR\r");
    QTest::newRow("not a number") << QByteArray("ATD7x\rATNT-1\rATSM 1 2\r") << QByteArray("ERROR\rERROR\rERROR\r");
    QTest::newRow("RE: factory values back") << QByteArray("ATID3333,D75,PL0,NI X,SM1\rATRE\rATID,D7,PL,NI,SM\r")
        << QByteArray("OK\rOK\rOK\rOK\rOK\rOK\r7FFF\r1\r4\r \r0\r");
    QTest::newRow("RE: the last RSSI is no setting") << QByteArray("ATRE,DB\r") << QByteArray("OK\r4A\r");
    QTest::newRow("RE takes no value") << QByteArray("ATRE1\r") << QByteArray("ERROR\r");
    QTest::newRow("unknown") << QByteArray("ATD8\rATS0\r") << QByteArray("ERROR\rERROR\r");
    // clang-format on
}

void TestSimCommands::registers()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    Rig rig;
    rig.play("<ping w10 " + Enter);
    rig.host.clear();
    rig.module.receiveFromHost(input);
    rig.play("w1000");
    QCOMPARE(rig.host, reply);
    QVERIFY(rig.module.inCommandMode()); // nothing here leaves it
}

void TestSimCommands::nodeIdentifier_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray twenty(20, 'x');
    // clang-format off
    QTest::newRow("all after the command") << QByteArray("ATNI GATE-WEST\rATNI\r") << QByteArray("OK\rGATE-WEST\r");
    QTest::newRow("case and blanks kept") << QByteArray("ATNI Roof  mast \rATNI\r") << QByteArray("OK\rRoof  mast \r");
    QTest::newRow("no blank") << QByteArray("ATNIGATE\rATNI\r") << QByteArray("OK\rGATE\r");
    QTest::newRow("equals sign") << QByteArray("ATNI=GATE\rATNI = WEST\rATNI\r") << QByteArray("OK\rOK\rWEST\r");
    QTest::newRow("a second blank is the text's") << QByteArray("ATNI  GATE\rATNI\r") << QByteArray("OK\r GATE\r");
    QTest::newRow("one blank: a query") << QByteArray("ATNI \r") << QByteArray(" \r");
    QTest::newRow("two blanks: back to one blank") << QByteArray("ATNI X\rATNI  \rATNI\r") << QByteArray("OK\rOK\r \r");
    QTest::newRow("a comma ends it") << QByteArray("ATNI GATE,ID\rATNI\r") << QByteArray("OK\r7FFF\rGATE\r");
    QTest::newRow("20 characters") << "ATNI " + twenty + "\rATNI\r" << "OK\r" + twenty + "\r";
    QTest::newRow("21 characters") << "ATNI X\rATNI " + twenty + "y\rATNI\r" << QByteArray("OK\rERROR\rX\r");
    QTest::newRow("a tab") << QByteArray("ATNI A\tB\rATNI\r") << QByteArray("ERROR\r \r");
    QTest::newRow("not ASCII") << QByteArray("ATNI Caf\xe9\rATNI\r") << QByteArray("ERROR\r \r");
    // clang-format on
}

void TestSimCommands::nodeIdentifier()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    Rig rig;
    rig.play(Enter);
    rig.module.receiveFromHost(input);
    rig.play("w1000");
    QCOMPARE(rig.host, "OK\r" + reply);
}

void TestSimCommands::sleep_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("air");
    QTest::addColumn<bool>("asleep");
    QTest::addColumn<QByteArray>("db"); // the strength of the last packet heard

    const QString sleep = Enter + "ATSM1,CN\r w100 ";
    const QString query = Enter + "ATSM\r w100";
    // clang-format off
    QTest::newRow("SM set, not applied: awake") << Enter + "ATSM1\r w100 ATID\r w100"
        << QByteArray("OK\rOK\r7FFF\r") << QByteArray() << false << QByteArray("0");
    QTest::newRow("applied by AC: awake in command mode") << Enter + "ATSM4,AC\r w100 ATSM\r w100"
        << QByteArray("OK\rOK\rOK\r4\r") << QByteArray() << false << QByteArray("0");
    QTest::newRow("AC, then CT: asleep") << Enter + "ATSM4,AC\r w10100 " + query
        << QByteArray("OK\rOK\rOK\r") << QByteArray() << true << QByteArray("0");
    QTest::newRow("CN: the OK goes out, then nothing is heard") << sleep + query
        << QByteArray("OK\rOK\rOK\r") << QByteArray() << true << QByteArray("0");
    QTest::newRow("asleep: host data does not go out") << sleep + "w10 hello w100"
        << QByteArray("OK\rOK\rOK\r") << QByteArray() << true << QByteArray("0");
    QTest::newRow("asleep: deaf to the radio") << sleep + "<ping\r w100"
        << QByteArray("OK\rOK\rOK\r") << QByteArray() << true << QByteArray("0");
    QTest::newRow("radio data from command mode: gone with the sleep") << Enter + "<ping\r ATSM1,CN\r w100"
        << QByteArray("OK\rOK\rOK\r") << QByteArray() << true << QByteArray("4A");
    QTest::newRow("woken: SM 0, answers") << sleep + "!wake " + query
        << QByteArray("OK\rOK\rOK\rOK\r0\r") << QByteArray() << false << QByteArray("0");
    QTest::newRow("woken: hears the radio") << sleep + "!wake <ping\r w100"
        << QByteArray("OK\rOK\rOK\rping\r") << QByteArray() << false << QByteArray("4A");
    QTest::newRow("woken: data goes out again") << sleep + "hello w100 !wake w10 hello w100"
        << QByteArray("OK\rOK\rOK\r") << QByteArray("hello") << false << QByteArray("0");
    QTest::newRow("not stored: awake after a power cut") << sleep + "!restart " + query
        << QByteArray("OK\rOK\rOK\rOK\r0\r") << QByteArray() << false << QByteArray("0");
    QTest::newRow("stored: asleep after a power cut, even when woken before")
        << Enter + "ATSM1,WR,CN\r w100 !wake !restart " + query
        << QByteArray("OK\rOK\rOK\rOK\r") << QByteArray() << true << QByteArray("0");
    QTest::newRow("factory settings: awake for good") << Enter + "ATSM1,WR,CN\r w100 !factory !restart " + query
        << QByteArray("OK\rOK\rOK\rOK\rOK\r0\r") << QByteArray() << false << QByteArray("0");
    QTest::newRow("wake on an awake module: nothing changes") << Enter + "ATSM1\r w100 !wake ATSM\r w100"
        << QByteArray("OK\rOK\r1\r") << QByteArray() << false << QByteArray("0");
    // clang-format on
}

// A module that sleeps stops listening to its UART: "+++" is no escape and
// no data either.
void TestSimCommands::sleep()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, air);
    QFETCH(bool, asleep);
    QFETCH(QByteArray, db);

    Rig rig;
    play(rig, script);
    QCOMPARE(rig.host, host);
    QCOMPARE(rig.air, air);
    QCOMPARE(rig.module.isAsleep(), asleep);
    QCOMPARE(rig.module.registers().query("DB"), db);
}

void TestSimCommands::rtsFlowControl_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("host");

    const QString rts = Enter + "ATD61,CN\r w100 ";
    // clang-format off
    QTest::newRow("CN: its OK goes out, then nothing") << rts + "<ping\r w100 " + Enter + "ATID\r w100"
        << QByteArray("OK\rOK\rOK\r");
    QTest::newRow("WR applies it after its OK") << Enter + "ATD61,WR\r w100 ATID\r w100"
        << QByteArray("OK\rOK\rOK\r");
    QTest::newRow("still listening: set back blind, all held comes out")
        << rts + "<ping\r w100 " + Enter + "ATID\r w100 ATD60,CN\r w100"
        << QByteArray("OK\rOK\rOK\rping\rOK\r7FFF\rOK\rOK\r");
    QTest::newRow("other D6 values hold nothing back") << Enter + "ATD65,CN\r w100 <ping\r w100"
        << QByteArray("OK\rOK\rOK\rping\r");
    // WR applies D6 too: the OK of CN stays back.
    QTest::newRow("stored: holds back after a power cut") << Enter + "ATD61,WR,CN\r w100 !restart <ping\r w100"
        << QByteArray("OK\rOK\rOK\r");
    QTest::newRow("held bytes gone with the power") << rts + "<ping\r w100 !restart <pong\r w100"
        << QByteArray("OK\rOK\rOK\rpong\r");
    QTest::newRow("factory settings free it") << Enter + "ATD61,WR,CN\r w100 !factory <ping\r w100"
        << QByteArray("OK\rOK\rOK\rping\r");
    // clang-format on
}

// With D6 1 the module sends only while the program raises RTS, which a
// pseudo-terminal cannot carry: it holds back all it would send.
void TestSimCommands::rtsFlowControl()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, host);

    Rig rig;
    play(rig, script);
    QCOMPARE(rig.host, host);
}

void TestSimCommands::commandTimeout_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("commandMode");

    // "ATCT20,AC\r" is in 11 ms after it was sent; CT 20 is 3.2 s.
    const QString ct = Enter + "ATCT20,AC\r ";
    // clang-format off
    QTest::newRow("CT 20 applied: still there after 3.2 s less a little") << ct + "w3200" << true;
    QTest::newRow("CT 20 applied: gone after 3.2 s") << ct + "w3220" << false;
    QTest::newRow("not applied: the old 10 s") << Enter + "ATCT20\r w3300" << true;
    QTest::newRow("applied by CN, the next time") << Enter + "ATCT20,CN\r w100 " + Enter + "w3210" << false;
    QTest::newRow("a valid command starts it again") << ct + "w3000 ATID\r w3000" << true;
    QTest::newRow("an ERROR does not") << ct + "w3000 ATXX\r w300" << false;
    QTest::newRow("stored CT after a power cut") << Enter + "ATCT2,WR,CN\r w100 !restart " + Enter + "w210"
                                                 << false;
    // clang-format on
}

// CT leaves command mode by itself, with the CT that ATCT set once applied.
void TestSimCommands::commandTimeout()
{
    QFETCH(QString, script);
    QFETCH(bool, commandMode);

    Rig rig;
    play(rig, script);
    QCOMPARE(rig.module.inCommandMode(), commandMode);
    QCOMPARE(rig.log.filter("left command mode (CT elapsed)").size(), commandMode ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestSimCommands)
#include "tst_simcommands.moc"
