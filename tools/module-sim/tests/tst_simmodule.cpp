#include "fakeclock.h"
#include "modulecore.h"
#include "simoptions.h"
#include "statefile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FakeLine : public HostLine
{
public:
    int hostBaudRate() const override { return baud; }
    int baud = 9600;
};

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
    void options_data();
    void options();
    void command_data();
    void command();
    void escape_data();
    void escape();
    void hostRate_data();
    void hostRate();
    void newRate_data();
    void newRate();
    void writeSurvivesRestart_data();
    void writeSurvivesRestart();
};

void TestSimModule::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions"); // empty: the options are fine

    // clang-format off
    QTest::newRow("unknown option") << QStringList{"--colour"} << "colour";
    QTest::newRow("missing value") << QStringList{"--loss"} << "--loss";
    QTest::newRow("stray argument") << QStringList{"moduleA"} << "moduleA";
    QTest::newRow("out of range") << QStringList{"--modules", "3"} << "--modules: \"3\"";
    QTest::newRow("not a number") << QStringList{"--guard-ms", "two"} << "--guard-ms: \"two\"";
    QTest::newRow("ct not in steps of 100") << QStringList{"--ct-ms", "250"} << "--ct-ms: \"250\"";
    QTest::newRow("loss above 1") << QStringList{"--loss", "1.5"} << "--loss: \"1.5\"";
    QTest::newRow("loss not a number") << QStringList{"--loss", "nan"} << "--loss: \"nan\"";
    QTest::newRow("seed beyond 32 bits") << QStringList{"--seed", "4294967296"} << "--seed: \"4294967296\"";
    QTest::newRow("B with one module") << QStringList{"--auto-transmit", "B"} << "--auto-transmit: \"B\"";
    QTest::newRow("no module C") << QStringList{"--modules", "2", "--silent", "C"} << "--silent: \"C\"";
    QTest::newRow("refuse read-only") << QStringList{"--refuse", "SL"} << "--refuse: \"SL\"";
    QTest::newRow("hangup after nothing") << QStringList{"--hangup-after", "0"} << "--hangup-after: \"0\"";
    QTest::newRow("hangup twice") << QStringList{"--hangup-after", "5", "--hangup-after", "A:6"} << "--hangup-after";
    QTest::newRow("bd without module") << QStringList{"--bd", "4"} << "--bd: \"4\"";
    QTest::newRow("bd index 9") << QStringList{"--bd", "A:9"} << "--bd: \"A:9\"";
    QTest::newRow("bd B with one module") << QStringList{"--bd", "B:4"} << "--bd: \"B\" is not A";
    QTest::newRow("bd twice") << QStringList{"--modules", "2", "--bd", "B:4", "--bd", "b:5"} << "--bd: \"b:5\"";
    QTest::newRow("all fine") << QStringList{"--modules", "2", "--bd", "a:0", "--bd", "B:8", "--hangup-after",
                                             "B:3", "--loss", "0.5", "--refuse", "wr", "-v"} << QString();
    // clang-format on
}

void TestSimModule::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    SimOptions options;
    QString message;
    const OptionsOutcome outcome = parseSimOptions(QStringList{"sim"} + arguments, &options, &message);
    QCOMPARE(outcome, mentions.isEmpty() ? OptionsOutcome::Run : OptionsOutcome::Invalid);
    QVERIFY2(message.contains(mentions), qPrintable(message));
    if (mentions.isEmpty())
        QCOMPARE(options.uartRateIndex, (QHash<QChar, quint32>{{'A', 0}, {'B', 8}}));
}

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

void TestSimModule::hostRate_data()
{
    QTest::addColumn<int>("hostBaud");
    QTest::addColumn<quint32>("bd");
    QTest::addColumn<bool>("understood");

    // clang-format off
    QTest::newRow("9600 at the factory BD") << 9600 << 3u << true;
    QTest::newRow("19200 against BD 3") << 19200 << 3u << false;
    QTest::newRow("9600 against BD 4") << 9600 << 4u << false;
    QTest::newRow("19200 at BD 4") << 19200 << 4u << true;
    QTest::newRow("1200 at BD 0") << 1200 << 0u << true;
    QTest::newRow("230400 at BD 8") << 230400 << 8u << true;
    QTest::newRow("115200 against BD 8") << 115200 << 8u << false;
    QTest::newRow("300, which no BD gives") << 300 << 0u << false;
    QTest::newRow("host rate unknown") << 0 << 5u << true;
    // clang-format on
}

void TestSimModule::hostRate()
{
    QFETCH(int, hostBaud);
    QFETCH(quint32, bd);
    QFETCH(bool, understood);

    FakeClock clock;
    FakeLine line;
    line.baud = hostBaud;
    ModuleConfig config;
    config.uartRateIndex = bd;
    ModuleCore module(config, clock);
    module.setHostLine(&line);
    QSignalSpy host(&module, &ModuleCore::hostOutput);
    QSignalSpy air(&module, &ModuleCore::radioTransmit);
    QSignalSpy log(&module, &ModuleCore::eventLogged);

    module.receiveFromRadio("OK\r", -70);
    play(module, clock, "w1000 +++ w1000");
    QCOMPARE(module.inCommandMode(), understood);
    const QByteArray received = take(host);
    const QByteArray sent = take(air);
    if (understood) {
        QCOMPARE(received, QByteArray("OK\rOK\r")); // the radio's, then the escape's
        QCOMPARE(sent, QByteArray());
    } else {
        // Junk both ways, but nothing lost: the "+++" went out as data.
        QCOMPARE(received.size(), 3);
        QVERIFY(!received.contains('\r') && !received.contains("OK"));
        QCOMPARE(sent.size(), 3);
        QVERIFY(!sent.contains('+'));
    }
    const QString mismatch = QStringLiteral("rate mismatch: host %1, module %2").arg(hostBaud).arg(uartRateOfIndex(bd));
    // Once, not for every byte.
    QCOMPARE(std::count(log.cbegin(), log.cend(), QVariantList{mismatch}), understood ? 0 : 1);
}

void TestSimModule::newRate_data()
{
    // Played at 9600 in command mode; the replies must all be readable there.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<int>("rateAfter");

    // clang-format off
    QTest::newRow("CN") << "ATBD4,CN\r" << QByteArray("OK\rOK\r") << 19200;
    QTest::newRow("write run: BD, WR, CN") << "ATBD4\r ATWR\r ATCN\r" << QByteArray("OK\rOK\rOK\r") << 19200;
    QTest::newRow("CT elapsed") << "ATBD4\r w10000" << QByteArray("OK\r") << 19200;
    QTest::newRow("AC") << "ATBD4,AC\r" << QByteArray("OK\rOK\r") << 19200;
    QTest::newRow("WR alone") << "ATBD4,WR\r" << QByteArray("OK\rOK\r") << 9600;
    QTest::newRow("set only") << "ATBD4\r" << QByteArray("OK\r") << 9600;
    // clang-format on
}

void TestSimModule::newRate()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, replies);
    QFETCH(int, rateAfter);

    FakeClock clock;
    FakeLine line;
    ModuleCore module(ModuleConfig(), clock);
    module.setHostLine(&line);
    QSignalSpy host(&module, &ModuleCore::hostOutput);
    play(module, clock, "w1000 +++ w1000 " + script);
    QCOMPARE(take(host), "OK\r" + replies);
    QCOMPARE(module.uartBaudRate(), rateAfter);

    // From here on only the rate in effect reaches the module. A command
    // line sent at a wrong rate would leave junk in the line, so the right
    // rate goes first there; an escape at a wrong rate is data and harmless.
    const int otherRate = rateAfter == 9600 ? 19200 : 9600;
    const bool commandMode = module.inCommandMode();
    const QString probe = commandMode ? "ATVR\r" : "w1000 +++ w1000";
    const QByteArray answer = commandMode ? "8059\r" : "OK\r";
    const QList<int> rates = commandMode ? QList<int>{rateAfter, otherRate} : QList<int>{otherRate, rateAfter};
    for (int rate : rates) {
        line.baud = rate;
        play(module, clock, probe);
        QCOMPARE(take(host), rate == rateAfter ? answer : QByteArray());
    }
}

void TestSimModule::writeSurvivesRestart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("storedId");
    QTest::addColumn<int>("bdOption"); // -1: none
    QTest::addColumn<int>("rate");

    const QByteArray stored("OK\rOK\rOK\rOK\rOK\r");
    QTest::newRow("stored") << "state.json" << stored << QByteArray("3333") << -1 << 19200;
    QTest::newRow("--bd wins over the stored BD") << "state.json" << stored << QByteArray("3333") << 5 << 38400;
    // A WR that could not be stored must not answer "OK".
    QTest::newRow("folder missing") << "missing/state.json" << QByteArray("OK\rOK\rERROR\r") << QByteArray("7FFF") << -1
                                    << 9600;
}

void TestSimModule::writeSurvivesRestart()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, storedId);
    QFETCH(int, bdOption);
    QFETCH(int, rate);

    QTemporaryDir dir;
    FakeClock clock;
    QString error;
    StateFile before(dir.filePath(file));
    QVERIFY(before.load(&error));
    {
        ModuleCore module(ModuleConfig(), clock, &before);
        QSignalSpy host(&module, &ModuleCore::hostOutput);
        play(module, clock, "w1000 +++ w1000");
        module.receiveFromHost("ATID3333,BD4,WR,MT1,CN\r");
        QCOMPARE(take(host), "OK\r" + reply);
    }
    StateFile after(dir.filePath(file));
    QVERIFY2(after.load(&error), qPrintable(error));
    ModuleConfig config;
    if (bdOption >= 0)
        config.uartRateIndex = quint32(bdOption);
    const ModuleCore module(config, clock, &after);
    QCOMPARE(module.registers().query("ID"), storedId);
    QCOMPARE(module.uartBaudRate(), rate);
    // Set after the WR: gone with the restart.
    QCOMPARE(module.registers().query("MT"), QByteArray("3"));
}

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
