#include "modulerig.h"
#include "statefile.h"
#include "uartrate.h"

#include <QTemporaryDir>
#include <QTest>

class TestSimModule : public QObject
{
    Q_OBJECT

private slots:
    void command_data();
    void command();
    void escape_data();
    void escape();
    void hostLine_data();
    void hostLine();
    void newSettings_data();
    void newSettings();
    void writeSurvivesRestart_data();
    void writeSurvivesRestart();
};

namespace {

QString settingsText(const UartSettings &settings)
{
    return QStringLiteral("%1 %2").arg(settings.baud).arg(framingName(settings));
}

} // namespace

void TestSimModule::command_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("fault"); // --store-differently

    // clang-format off
    QTest::newRow("set: lower case, equals sign, 0x") << QByteArray("atid=0x7ffe\ratid\r") << QByteArray("OK\r7FFE\r")
                                                      << QString();
    QTest::newRow("chain") << QByteArray("ATID3333,MT1,ID,MT\r") << QByteArray("OK\rOK\r3333\r1\r") << QString();
    QTest::newRow("chain stops at error") << QByteArray("ATMT1,ID8000,MT0\rATMT\r") << QByteArray("OK\rERROR\r1\r")
                                          << QString();
    QTest::newRow("out of range") << QByteArray("ATID8000\rATID\r") << QByteArray("ERROR\r7FFF\r") << QString();
    QTest::newRow("channel 9 not on this band") << QByteArray("ATCM203\rATCM\r") << QByteArray("ERROR\r3EFFFDFF\r")
                                                << QString();
    QTest::newRow("beyond 32 bits") << QByteArray("ATDL100000000\rATDL\r") << QByteArray("ERROR\rFFFF\r") << QString();
    QTest::newRow("node identifier, too long") << "ATNI Roof mast\rATNI" + QByteArray(21, 'x') + "\rATNI\r"
                                               << QByteArray("OK\rERROR\rRoof mast\r") << QString();
    QTest::newRow("read-only") << QByteArray("ATVR1\rATVR\r") << QByteArray("ERROR\r8059\r") << QString();
    QTest::newRow("unknown command") << QByteArray("ATXX\r") << QByteArray("ERROR\r") << QString();
    QTest::newRow("not a command line") << QByteArray("HELLO\r") << QByteArray("ERROR\r") << QString();
    QTest::newRow("store fault: OK, but holds its own") << QByteArray("ATCM3EFFFDFF,CM\r")
                                                        << QByteArray("OK\r3EFFFC00\r") << "CM=3EFFFC00";
    QTest::newRow("store fault: a refused value stays refused") << QByteArray("ATCM203\rATCM\r")
                                                                << QByteArray("ERROR\r3EFFFDFF\r") << "CM=3EFFFC00";
    // clang-format on
}

void TestSimModule::command()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);
    QFETCH(QString, fault);

    ModuleConfig config;
    if (!fault.isEmpty())
        config.faults.insert(fault.section('=', 0, 0).toLatin1(), fault.section('=', 1).toLatin1());
    Rig rig(config);
    rig.play("w1000 +++ w1010");
    rig.module.receiveFromHost(input);
    rig.play("w1000");
    QCOMPARE(rig.host, "OK\r" + reply);
    QCOMPARE(rig.log.filter("store fault: ATCM3EFFFDFF answered OK, holds 3EFFFC00").size(),
             reply.contains("3EFFFC00") ? 1 : 0);
}

void TestSimModule::escape_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("uart"); // BD, NB and SB of the module and the host
    QTest::addColumn<bool>("commandMode");
    QTest::addColumn<QByteArray>("hostOutput");
    QTest::addColumn<QByteArray>("radio");

    // Guard time 1 s, command mode timeout 10 s. The silences count from
    // the moment a byte has fully arrived: at 1200 baud (BD 0) a byte takes
    // 8.3 ms, and "hello\r" 50 ms; with parity and two stop bits 10 and 60 ms.
    // clang-format off
    QTest::newRow("silence on both sides") << "w1000 +++ w1008" << "3 0 0" << true << QByteArray("OK\r")
                                           << QByteArray();
    QTest::newRow("silence before too short") << "w1000 data w999 +++ w1008" << "3 0 0" << false << QByteArray()
                                              << QByteArray("data+++");
    QTest::newRow("silence after too short") << "w1000 +++ w1003" << "3 0 0" << false << QByteArray()
                                             << QByteArray();
    QTest::newRow("byte inside silence after") << "w1000 +++ w500 x w1000" << "3 0 0" << false << QByteArray()
                                               << QByteArray("+++x");
    QTest::newRow("byte just as the silence ends") << "w1000 +++ w1002 x w10" << "3 0 0" << true
                                                   << QByteArray("OK\r") << QByteArray();
    QTest::newRow("timeout") << "w1000 +++ w1008 w10000 data" << "3 0 0" << false << QByteArray("OK\r")
                             << QByteArray("data");
    QTest::newRow("command restarts timeout") << "w1000 +++ w1008 w9000 ATID\r w9999" << "3 0 0" << true
                                              << QByteArray("OK\r7FFF\r") << QByteArray();
    QTest::newRow("1200: GT after the line's start") << "w1000 hello\r w1000 +++ w1100" << "0 0 0" << false
                                                     << QByteArray() << QByteArray("hello\r+++");
    QTest::newRow("1200: GT after the line's end") << "w1000 hello\r w1050 +++ w1100" << "0 0 0" << true
                                                   << QByteArray("OK\r") << QByteArray("hello\r");
    QTest::newRow("1200 8E2: 1 ms short of it") << "w1000 hello\r w1049 +++ w1100" << "0 1 1" << false
                                                << QByteArray() << QByteArray("hello\r+++");
    QTest::newRow("1200 8E2: GT after the line's end") << "w1000 hello\r w1060 +++ w1100" << "0 1 1" << true
                                                       << QByteArray("OK\r") << QByteArray("hello\r");
    // "+++" is in at 25 ms, "OK" leaves at 1025 ms and is through at 1050.
    QTest::newRow("1200: OK on its way") << "w1000 +++ w1049" << "0 0 0" << true << QByteArray() << QByteArray();
    // "ATID,MT\r" is in at 1117 ms; "7FFF\r" is through 42 ms later, "3\r" 17 ms after that.
    QTest::newRow("1200: replies queue on the line") << "w1000 +++ w1050 ATID,MT\r w120" << "0 0 0" << true
                                                     << QByteArray("OK\r7FFF\r") << QByteArray();
    // clang-format on
}

void TestSimModule::escape()
{
    QFETCH(QString, script);
    QFETCH(QString, uart);
    QFETCH(bool, commandMode);
    QFETCH(QByteArray, hostOutput);
    QFETCH(QByteArray, radio);

    const QStringList settings = uart.split(' ');
    ModuleConfig config;
    config.uartRateIndex = settings[0].toUInt();
    config.parity = settings[1].toUInt();
    config.stopBits = settings[2].toUInt();
    Rig rig(config);
    rig.line = rig.module.uartSettings();
    rig.play(script);
    QCOMPARE(rig.module.inCommandMode(), commandMode);
    QCOMPARE(rig.host, hostOutput);
    rig.play("w100"); // lets a packet still being collected leave
    QCOMPARE(rig.air, radio);
}

void TestSimModule::hostLine_data()
{
    QTest::addColumn<QString>("host");   // rate, parity and stop bits of the program's port
    QTest::addColumn<QString>("module"); // BD, NB and SB
    QTest::addColumn<bool>("strict");
    QTest::addColumn<QString>("mismatch"); // logged once; empty: understood

    // clang-format off
    QTest::newRow("9600 at the factory settings") << "9600 0 0" << "3 0 0" << false << QString();
    QTest::newRow("19200 against BD 3") << "19200 0 0" << "3 0 0" << false << "rate mismatch: host 19200, module 9600";
    QTest::newRow("host rate unknown") << "0 0 0" << "5 0 0" << false << QString();
    QTest::newRow("even parity against none") << "9600 1 0" << "3 0 0" << false
                                              << "framing mismatch: host 8E1, module 8N1";
    QTest::newRow("none against odd parity") << "9600 0 0" << "3 2 0" << false
                                             << "framing mismatch: host 8N1, module 8O1";
    QTest::newRow("mark parity on both") << "9600 3 0" << "3 3 0" << false << QString();
    QTest::newRow("two stop bits against one") << "9600 0 1" << "3 0 0" << false << QString();
    QTest::newRow("one stop bit against two, strict") << "9600 0 0" << "3 0 1" << true
                                                      << "framing mismatch: host 8N1, module 8N2";
    QTest::newRow("two stop bits on both, strict") << "9600 1 1" << "3 1 1" << true << QString();
    // clang-format on
}

void TestSimModule::hostLine()
{
    QFETCH(QString, host);
    QFETCH(QString, module);
    QFETCH(bool, strict);
    QFETCH(QString, mismatch);

    const QStringList h = host.split(' '), m = module.split(' ');
    ModuleConfig config;
    config.uartRateIndex = m[0].toUInt();
    config.parity = m[1].toUInt();
    config.stopBits = m[2].toUInt();
    config.strictFraming = strict;
    Rig rig(config);
    rig.line = UartSettings{h[0].toInt(), h[1].toUInt(), h[2].toUInt()};
    rig.module.receiveFromRadio("OK\r", -70);
    rig.play("w1000 +++ w1010");
    const bool understood = mismatch.isEmpty();
    QCOMPARE(rig.module.inCommandMode(), understood);
    // Understood: the radio's "OK", then the escape's. Otherwise junk both
    // ways, but nothing lost: the "+++" went out as data.
    QCOMPARE(rig.host.size(), understood ? 6 : 3);
    QCOMPARE(rig.air.size(), understood ? 0 : 3);
    QVERIFY(understood ? rig.host == "OK\rOK\r"
                       : !rig.host.contains('\r') && !rig.host.contains("OK") && !rig.air.contains('+'));
    QCOMPARE(rig.log.filter("mismatch").size(), understood ? 0 : 1); // once, not for every byte
    QVERIFY2(understood || rig.log.contains(mismatch), qPrintable(rig.log.join('\n')));
}

void TestSimModule::newSettings_data()
{
    // Played at 9600 8N1 in command mode; the replies must all be readable there.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QString>("after"); // rate and framing

    QTest::newRow("CN") << "ATBD4,CN\r" << QByteArray("OK\rOK\r") << "19200 8N1";
    QTest::newRow("CT elapsed") << "ATBD4\r w10010" << QByteArray("OK\r") << "19200 8N1";
    QTest::newRow("AC") << "ATBD4,AC\r" << QByteArray("OK\rOK\r") << "19200 8N1";
    QTest::newRow("WR alone") << "ATBD4,WR\r" << QByteArray("OK\rOK\r") << "9600 8N1";
    QTest::newRow("NB and SB on CN") << "ATNB1,SB1,CN\r" << QByteArray("OK\rOK\rOK\r") << "9600 8E2";
    QTest::newRow("NB on AC") << "ATNB2,AC\r" << QByteArray("OK\rOK\r") << "9600 8O1";
    QTest::newRow("NB and SB, WR alone") << "ATNB1,SB1,WR\r" << QByteArray("OK\rOK\rOK\r") << "9600 8N1";
}

void TestSimModule::newSettings()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, replies);
    QFETCH(QString, after);

    Rig rig;
    rig.play("w1000 +++ w1010 " + script + " w100");
    QCOMPARE(rig.host, "OK\r" + replies);
    QCOMPARE(settingsText(rig.module.uartSettings()), after);
}

void TestSimModule::writeSurvivesRestart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("storedId");
    QTest::addColumn<int>("bdOption"); // -1: none
    QTest::addColumn<QString>("uart");
    QTest::addColumn<QString>("fault"); // the ID the module holds whatever is set

    const QByteArray stored("OK\rOK\rOK\rOK\rOK\rOK\r");
    QTest::newRow("stored") << "state.json" << stored << QByteArray("3333") << -1 << "19200 8E1" << QString();
    QTest::newRow("--bd wins over the stored BD")
        << "state.json" << stored << QByteArray("3333") << 5 << "38400 8E1" << QString();
    QTest::newRow("store fault") << "state.json" << stored << QByteArray("1234") << -1 << "19200 8E1"
                                 << "1234";
    // A WR that could not be stored must not answer "OK".
    QTest::newRow("folder missing") << "missing/state.json" << QByteArray("OK\rOK\rOK\rERROR\r") << QByteArray("7FFF")
                                    << -1 << "9600 8N1" << QString();
}

void TestSimModule::writeSurvivesRestart()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, storedId);
    QFETCH(int, bdOption);
    QFETCH(QString, uart);
    QFETCH(QString, fault);

    QTemporaryDir dir;
    QString error;
    StateFile before(dir.filePath(file));
    QVERIFY(before.load(&error));
    {
        ModuleConfig config;
        if (!fault.isEmpty())
            config.faults.insert("ID", fault.toLatin1());
        Rig rig(config, &before);
        rig.play("w1000 +++ w1010 ATID3333,BD4,NB1,WR,MT1,CN\r w100");
        QCOMPARE(rig.host, "OK\r" + reply);
    }
    StateFile after(dir.filePath(file));
    QVERIFY2(after.load(&error), qPrintable(error));
    ModuleConfig config;
    if (bdOption >= 0)
        config.uartRateIndex = quint32(bdOption);
    const Rig restarted(config, &after);
    QCOMPARE(restarted.module.registers().query("ID"), storedId);
    QCOMPARE(settingsText(restarted.module.uartSettings()), uart);
    // Set after the WR: gone with the restart.
    QCOMPARE(restarted.module.registers().query("MT"), QByteArray("3"));
}

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
