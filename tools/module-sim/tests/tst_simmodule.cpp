#include "modulerig.h"

#include <QTest>

class TestSimModule : public QObject
{
    Q_OBJECT

private slots:
    void command_data();
    void command();
    void serialLine_data();
    void serialLine() { playScriptRow(); }
    void commandTimeout_data();
    void commandTimeout() { playScriptRow(); }
    void hostLine_data();
    void hostLine();
};

void TestSimModule::command_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reply");

    const QString twenty(20, 'x');
    // clang-format off
    QTest::newRow("set: lower case, equals sign, 0x") << "" << "atid=0x7ffe\ratid\r" << "OK\r7FFE\r";
    QTest::newRow("chain") << "" << "ATID3333,MT1,ID,MT\r" << "OK\rOK\r3333\r1\r";
    QTest::newRow("a chain stops at its first error") << "" << "ATMT1,ID8000,MT0\rATMT\r" << "OK\rERROR\r1\r";
    QTest::newRow("factory values") << "" << "ATNO,SM,D6,D7,NT,PL,CT,GT\r" << "0\r0\r0\r1\r82\r4\r64\r3E8\r";
    QTest::newRow("the limits") << "" << "ATNO7,SM8,D65,D70,NT20,NT2EE0,PL0,CT2,CT1770,GT2,GTCE4,ID7FFF\r"
                                << "OK\rOK\rOK\rOK\rOK\rOK\rOK\rOK\rOK\rOK\rOK\rOK\r";
    QTest::newRow("one beyond them: refused, the value stays")
        << "" << "ATNO8\rATSM9\rATD66\rATD78\rATNT1F\rATNT2EE1\rATPL5\rATCT1\rATCT1771\rATGT1\rATGTCE5\r"
                 "ATID8000\rATID\r"
        << "ERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\r7FFF\r";
    QTest::newRow("channel 9 not on this band, beyond 32 bits, read-only")
        << "" << "ATCM203\rATDL100000000\rATVR1\rATCM,DL,VR\r" << "ERROR\rERROR\rERROR\r3EFFFDFF\rFFFF\r8059\r";
    QTest::newRow("unknown, or not a value the command takes")
        << "" << "ATXX\rATD8\rHELLO\rATD7x\rATNT-1\rATSM 1 2\rATRE1\r"
        << "ERROR\rERROR\rERROR\rERROR\rERROR\rERROR\rERROR\r";
    QTest::newRow("RE: factory values back, the last RSSI stays")
        << "" << "ATID3333,D75,PL0,NI X,SM1\rATRE\rATID,D7,PL,NI,SM,DB\r"
        << "OK\rOK\rOK\rOK\rOK\rOK\r7FFF\r1\r4\r \r0\r4A\r";
    QTest::newRow("NI: all after the command, case and blanks kept") << "" << "ATNI Roof  mast \rATNI\r"
                                                                     << "OK\rRoof  mast \r";
    QTest::newRow("NI: one blank is a query, two set a blank") << "" << "ATNI \rATNI X\rATNI  \rATNI\r"
                                                               << " \rOK\rOK\r \r";
    QTest::newRow("NI: 20 characters, not 21") << "" << "ATNI " + twenty + "\rATNI " + twenty + "y\rATNI\r"
                                               << "OK\rERROR\r" + twenty + "\r";
    QTest::newRow("NI: no tab, nothing beyond ASCII") << "" << "ATNI A\tB\rATNI Café\rATNI\r" << "ERROR\rERROR\r \r";
    QTest::newRow("store fault: OK, but holds its own") << "--store-differently A:CM=3EFFFC00"
                                                        << "ATCM203\rATCM3EFFFDFF,CM\r" << "ERROR\rOK\r3EFFFC00\r";
    QTest::newRow("silent") << "--silent A" << "ATID3333,ID\r" << "";
    QTest::newRow("refused: a set, not a query") << "--refuse ID" << "ATID3333\rATID\r" << "ERROR\r7FFF\r";
    // clang-format on
}

// In command mode, after a packet heard at -74 dBm. The input goes out as
// Latin-1: "é" is the one byte E9.
void TestSimModule::command()
{
    QFETCH(QString, options);
    QFETCH(QString, input);
    QFETCH(QString, reply);

    Rig rig(options);
    rig.play("<ping " + Enter);
    rig.host.clear();
    rig.module.receiveFromHost(input.toLatin1());
    rig.play("w1000");
    QCOMPARE(QString::fromLatin1(rig.host), reply);
    QCOMPARE(rig.air, QByteArray()); // all of it was taken as commands
}

void TestSimModule::serialLine_data()
{
    addScriptColumns();

    // Guard time 1 s. The silences count from the moment a byte has fully
    // arrived: at 1200 baud (BD 0) a byte takes 8.3 ms; with parity and two
    // stop bits 10 ms, and "hello\r" 60 ms.
    const QString slow = "--bd A:0", slow8E2 = "--bd A:0 --nb A:1 --sb A:1";
    // clang-format off
    QTest::newRow("silence before too short") << "" << "w1000 data w999 +++ w1100 ?mode ?air" << ""
                                              << "mode=data air=data+++";
    QTest::newRow("byte inside silence after") << "" << "w1000 +++ w500 x w1000 ?mode ?air" << ""
                                               << "mode=data air=+++x";
    QTest::newRow("byte just as the silence ends") << "" << "w1000 +++ w1002 x w10 ?mode" << "OK\r" << "mode=command";
    QTest::newRow("1200 8E2: GT from the line's end, 1 ms short") << slow8E2 << "w1000 hello\r w1049 +++ w1100 ?air"
                                                                  << "" << "air=hello\r+++";
    QTest::newRow("1200 8E2: GT from the line's end") << slow8E2 << "w1000 hello\r w1060 +++ w1100 ?mode ?air"
                                                      << "OK\r" << "mode=command air=hello\r";
    // "+++" is in at 25 ms, "OK" leaves at 1025 ms and is through at 1050.
    QTest::newRow("1200: OK on its way") << slow << "w1000 +++ w1049 ?mode" << "" << "mode=command";
    // "ATID,MT\r" is in at 1117 ms; "7FFF\r" is through 42 ms later, "3\r" 17
    // ms after that.
    QTest::newRow("1200: replies queue on the line") << slow << "w1000 +++ w1050 ATID,MT\r w120" << "OK\r7FFF\r"
                                                     << "";
    // A new rate and framing: the OK of CN or AC still goes out with the old.
    QTest::newRow("new UART settings on CN") << "" << Enter + "ATBD4,NB1,SB1,CN\r w100 ?uart" << "OK\rOK\rOK\rOK\rOK\r"
                                             << "uart=19200-8E2";
    QTest::newRow("on AC") << "" << Enter + "ATBD4,NB1,SB1,AC\r w100 ?uart" << "OK\rOK\rOK\rOK\rOK\r"
                           << "uart=19200-8E2";
    QTest::newRow("when CT runs out") << "" << Enter + "ATBD4,NB1,SB1\r w10100 ?uart" << "OK\rOK\rOK\rOK\r"
                                      << "uart=19200-8E2";
    QTest::newRow("not on WR") << "" << Enter + "ATBD4,NB1,SB1,WR\r w100 ?uart" << "OK\rOK\rOK\rOK\rOK\r"
                               << "uart=9600-8N1";
    // clang-format on
}

void TestSimModule::commandTimeout_data()
{
    addScriptColumns();

    // "ATCT20,AC\r" is in 11 ms after it was sent; CT 20 is 3.2 s.
    const QString ct = Enter + "ATCT20,AC\r ";
    const QString ok = "OK\rOK\rOK\r";
    // clang-format off
    QTest::newRow("CT 20 applied: there after 3.2 s less a little, gone after 3.2 s")
        << "" << ct + "w3200 ?mode w20 ?mode" << ok << "mode=command mode=data";
    QTest::newRow("not applied: the old 10 s") << "" << Enter + "ATCT20\r w3300 ?mode" << "OK\rOK\r" << "mode=command";
    QTest::newRow("applied by CN, the next time") << "" << Enter + "ATCT20,CN\r w100 " + Enter + "w3210 ?mode"
                                                  << ok + "OK\r" << "mode=data";
    QTest::newRow("a valid command starts it again") << "" << ct + "w3000 ATID\r w3000 ?mode" << ok + "7FFF\r"
                                                     << "mode=command";
    QTest::newRow("an ERROR does not") << "" << ct + "w3000 ATXX\r w300 ?mode" << ok + "ERROR\r" << "mode=data";
    // clang-format on
}

void TestSimModule::hostLine_data()
{
    QTest::addColumn<QString>("host"); // rate, parity and stop bits of the program's port
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("mismatch"); // logged once; empty: understood

    // clang-format off
    QTest::newRow("19200 against BD 3") << "19200 0 0" << "" << "rate mismatch: host 19200, module 9600";
    QTest::newRow("host rate unknown") << "0 0 0" << "--bd A:5" << "";
    QTest::newRow("even parity against none") << "9600 1 0" << "" << "framing mismatch: host 8E1, module 8N1";
    QTest::newRow("none against odd parity") << "9600 0 0" << "--nb A:2" << "framing mismatch: host 8N1, module 8O1";
    QTest::newRow("mark parity on both") << "9600 3 0" << "--nb A:3" << "";
    QTest::newRow("two stop bits against one") << "9600 0 1" << "" << "";
    QTest::newRow("one stop bit against two, strict") << "9600 0 0" << "--sb A:1 --strict-framing"
                                                      << "framing mismatch: host 8N1, module 8N2";
    QTest::newRow("two stop bits on both, strict") << "9600 1 1" << "--nb A:1 --sb A:1 --strict-framing" << "";
    // clang-format on
}

void TestSimModule::hostLine()
{
    QFETCH(QString, host);
    QFETCH(QString, options);
    QFETCH(QString, mismatch);

    Rig rig(options);
    const QStringList h = host.split(' ');
    rig.line = UartSettings{h[0].toInt(), h[1].toUInt(), h[2].toUInt()};
    rig.module.receiveFromRadio("OK\r", -70);
    rig.play("w1000 +++ w1010");
    // Understood: the radio's "OK", then the escape's. Otherwise junk both
    // ways, each byte with bit 7 set and the others inverted, and the "+++"
    // went out as data.
    const bool understood = mismatch.isEmpty();
    QCOMPARE(rig.host, understood ? QByteArray("OK\rOK\r") : QByteArray("\xB0\xB4\xF2"));
    QCOMPARE(rig.air, understood ? QByteArray() : QByteArray("\xD4\xD4\xD4"));
    QCOMPARE(rig.log.filter("mismatch"), understood ? QStringList() : QStringList{mismatch}); // once, not per byte
}

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
