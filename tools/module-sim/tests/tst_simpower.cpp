#include "modulerig.h"
#include "statefile.h"

#include <QTemporaryDir>
#include <QTest>

class TestSimPower : public QObject
{
    Q_OBJECT

private slots:
    void powerCut_data();
    void powerCut() { playScriptRow(); }
    void sleep_data();
    void sleep() { playScriptRow(); }
    void rtsFlowControl_data();
    void rtsFlowControl() { playScriptRow(); }
    void stored_data();
    void stored();
};

// Unplugging the adapter takes the module's power.
void TestSimPower::powerCut_data()
{
    addScriptColumns();

    const QString ok = "OK\rOK\rOK\r";
    // clang-format off
    QTest::newRow("set, applied, not stored: forgotten") << "" << Enter + "ATID3333,MT1,CN\r w100 !restart ?ID ?MT"
                                                         << ok + "OK\r" << "ID=7FFF MT=3";
    QTest::newRow("stored with WR: kept, what came after not")
        << "" << Enter + "ATID3333,WR,MT1\r w100 !restart ?mode ?ID ?MT" << ok + "OK\r" << "mode=data ID=3333 MT=3";
    QTest::newRow("a stored rate is the one it starts with") << "" << Enter + "ATBD4,WR\r w100 !restart ?uart" << ok
                                                             << "uart=19200-8N1";
    QTest::newRow("the strength last heard: forgotten, even if stored")
        << "" << "<ping\r " + Enter + "ATWR\r w100 !restart ?DB" << "ping\rOK\rOK\r" << "DB=0";
    QTest::newRow("a reply on its way: lost") << "" << "w1000 +++ w1004 !restart w100" << "" << "";
    QTest::newRow("data half through the line: lost") << "" << "w1000 hello w2 !restart w100 ?air" << "" << "air=";
    QTest::newRow("radio data kept back in command mode: lost")
        << "" << Enter + "<ping\r w10 !restart " + Enter + "ATCN\r w100" << ok << "";
    // clang-format on
}

// A module that sleeps stops listening to its UART: "+++" is no escape and
// no data either.
void TestSimPower::sleep_data()
{
    addScriptColumns();

    const QString sleep = Enter + "ATSM1,CN\r w100 ";
    const QString query = Enter + "ATSM\r w100 ?mode";
    const QString ok = "OK\rOK\rOK\r";
    // clang-format off
    QTest::newRow("applied by AC: awake in command mode, asleep once CT runs out")
        << "" << Enter + "ATSM4,AC\r w100 ATSM\r w100 ?mode w10100 " + query << ok + "4\r"
        << "mode=command mode=asleep";
    QTest::newRow("CN: the OK goes out, then it neither hears, answers nor sends")
        << "" << sleep + "<ping\r w100 " + query + " hello w100 ?DB ?air" << ok << "mode=asleep DB=0 air=";
    QTest::newRow("woken: SM 0 until the power goes; sends, hears, answers")
        << "" << sleep + "hello w100 !wake w10 hello w100 <ping\r w100 ?air ?DB " + query
        << ok + "ping\rOK\r0\r" << "air=hello DB=4A mode=command";
    QTest::newRow("not stored: awake after a power cut") << "" << sleep + "!restart " + query << ok + "OK\r0\r"
                                                         << "mode=command";
    QTest::newRow("stored: asleep after a power cut, even when woken before")
        << "" << Enter + "ATSM1,WR,CN\r w100 !wake !restart " + query << ok + "OK\r" << "mode=asleep";
    QTest::newRow("factory settings: awake for good") << "" << Enter + "ATSM1,WR,CN\r w100 !factory !restart " + query
                                                      << ok + "OK\rOK\r0\r" << "mode=command";
    // clang-format on
}

// With D6 1 the module sends only while the program raises RTS, which a
// pseudo-terminal cannot carry: it holds back all it would send.
void TestSimPower::rtsFlowControl_data()
{
    addScriptColumns();

    const QString rts = Enter + "ATD61,CN\r w100 <ping\r w100 ";
    // clang-format off
    QTest::newRow("CN: its OK goes out; still listening, set back blind, all held comes out")
        << "" << rts + Enter + "ATID\r w100 ATD60,CN\r w100" << "OK\rOK\rOK\rping\rOK\r7FFF\rOK\rOK\r" << "";
    QTest::newRow("WR applies it after its OK") << "" << Enter + "ATD61,WR\r w100 ATID\r w100" << "OK\rOK\rOK\r" << "";
    QTest::newRow("held bytes gone with the power") << "" << rts + "!restart <pong\r w100" << "OK\rOK\rOK\rpong\r"
                                                    << "";
    // WR applies D6 too: the OK of CN stays back.
    QTest::newRow("stored: holds back after a power cut, factory settings free it")
        << "" << Enter + "ATD61,WR,CN\r w100 !restart <ping\r w100 !factory <pong\r w100" << "OK\rOK\rOK\rpong\r" << "";
    // clang-format on
}

void TestSimPower::stored_data()
{
    QTest::addColumn<QString>("file");
    addScriptColumns();

    const QString write = Enter + "ATID3333,BD4,NB1,WR,CN\r w100 ";
    const QString factory = "w100 +++ w30 ATID3333,SM1,D61,NB2,WR\r w100 !factory ?problems ?mode ?ID ?SM ?D6 ?GT "
                            "?uart";
    const QString ok = "OK\rOK\rOK\rOK\rOK\rOK\r";
    // clang-format off
    QTest::newRow("WR") << "state.json" << "" << write << ok << "ID=3333 GT=3E8 uart=19200-8E1";
    QTest::newRow("an option wins over what is stored; a store fault is stored as held")
        << "state.json" << "--bd A:5 --store-differently A:ID=1234"
        << Enter + "ATID3333\r w10 ?log ATBD4,NB1,WR,CN\r w100" << ok
        << "log=store fault: ATID3333 answered OK, holds 1234 ID=1234 GT=3E8 uart=38400-8E1";
    // A WR that could not be stored must not answer "OK".
    QTest::newRow("WR, folder missing") << "missing/state.json" << "" << write + "?problems"
                                        << "OK\rOK\rOK\rOK\rERROR\r" << "problems=1 ID=7FFF GT=3E8 uart=9600-8N1";
    // "factory A" on stdin: the factory settings, stored and in effect at
    // once; the guard time of the options stays.
    QTest::newRow("factory settings") << "state.json" << "--guard-ms 20 --bd A:5" << factory << ok
        << "problems=0 mode=data ID=7FFF SM=0 D6=0 GT=14 uart=9600-8N1 ID=7FFF GT=14 uart=38400-8N1";
    QTest::newRow("factory settings, folder missing") << "missing/state.json" << "--guard-ms 20 --bd A:5" << factory
        << "OK\rOK\rOK\rOK\rOK\rERROR\r"
        << "problems=2 mode=data ID=7FFF SM=0 D6=0 GT=14 uart=9600-8N1 ID=7FFF GT=14 uart=38400-8N1";
    // clang-format on
}

// What the module stored is what the next start of the simulator reads.
void TestSimPower::stored()
{
    QFETCH(QString, file);
    QFETCH(QString, options);
    QFETCH(QString, script);
    QFETCH(QString, host);
    QFETCH(QString, seen);

    QTemporaryDir dir;
    StateFile before(dir.filePath(file)), after(dir.filePath(file));
    QString error;
    QVERIFY(before.load(&error));
    Rig rig(options, &before);
    rig.play(script);
    QCOMPARE(QString::fromLatin1(rig.host), host);
    QVERIFY2(after.load(&error), qPrintable(error));
    Rig restarted(options, &after);
    restarted.play("?ID ?GT ?uart");
    QCOMPARE((rig.seen + restarted.seen).join(' '), seen);
}

QTEST_GUILESS_MAIN(TestSimPower)
#include "tst_simpower.moc"
