#include "modulecore.h"
#include "simoptions.h"
#include "statefile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// A module on a clock and a serial line that move only when the test says
// so, with all it sends to each side and all it logs.
class Rig : public Clock, public HostLine
{
public:
    explicit Rig(const ModuleConfig &config = ModuleConfig(), RegisterStore *store = nullptr)
        : module(config, *this, store)
    {
        module.setHostLine(this);
        QObject::connect(&module, &ModuleCore::hostOutput, [this](const QByteArray &bytes) { host += bytes; });
        QObject::connect(&module, &ModuleCore::radioTransmit, [this](const QByteArray &bytes) { air += bytes; });
        QObject::connect(&module, &ModuleCore::eventLogged, [this](const QString &text) { log += text; });
    }
    qint64 nowMs() const override { return now; }
    int hostBaudRate() const override { return baud; }

    // Plays a script of "wN" (let N ms pass) and byte groups, in order.
    void play(const QString &script)
    {
        for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (token.startsWith(QLatin1Char('w'))) {
                now += token.mid(1).toInt();
                module.processTimers();
            } else {
                module.receiveFromHost(token.toLatin1());
            }
        }
    }

    qint64 now = 1000000;
    int baud = 9600;
    ModuleCore module;
    QByteArray host, air;
    QStringList log;
};

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
    QTest::newRow("stray argument") << QStringList{"moduleA"} << "moduleA";
    QTest::newRow("out of range") << QStringList{"--modules", "3"} << "--modules: \"3\"";
    QTest::newRow("ct not in steps of 100") << QStringList{"--ct-ms", "250"} << "--ct-ms: \"250\"";
    QTest::newRow("loss not a number") << QStringList{"--loss", "nan"} << "--loss: \"nan\"";
    QTest::newRow("B with one module") << QStringList{"--bd", "B:4"} << "--bd: \"B\" is not A";
    QTest::newRow("refuse read-only") << QStringList{"--refuse", "SL"} << "--refuse: \"SL\"";
    QTest::newRow("hangup after nothing") << QStringList{"--hangup-after", "0"} << "--hangup-after: \"0\"";
    QTest::newRow("bd without module") << QStringList{"--bd", "4"} << "--bd: \"4\"";
    QTest::newRow("bd index 9") << QStringList{"--bd", "A:9"} << "--bd: \"A:9\"";
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
    QTest::newRow("set: lower case, equals sign, 0x") << QByteArray("atid=0x7ffe\ratid\r") << QByteArray("OK\r7FFE\r");
    QTest::newRow("chain") << QByteArray("ATID3333,MT1,ID,MT\r") << QByteArray("OK\rOK\r3333\r1\r");
    QTest::newRow("chain stops at error") << QByteArray("ATMT1,ID8000,MT0\rATMT\r") << QByteArray("OK\rERROR\r1\r");
    QTest::newRow("out of range") << QByteArray("ATID8000\rATID\r") << QByteArray("ERROR\r7FFF\r");
    QTest::newRow("channel 9 not on this band") << QByteArray("ATCM203\rATCM\r") << QByteArray("ERROR\r3EFFFDFF\r");
    QTest::newRow("beyond 32 bits") << QByteArray("ATDL100000000\rATDL\r") << QByteArray("ERROR\rFFFF\r");
    QTest::newRow("node identifier, too long") << "ATNI Roof mast\rATNI" + QByteArray(21, 'x') + "\rATNI\r"
                                               << QByteArray("OK\rERROR\rRoof mast\r");
    QTest::newRow("read-only") << QByteArray("ATVR1\rATVR\r") << QByteArray("ERROR\r8059\r");
    QTest::newRow("unknown command") << QByteArray("ATXX\r") << QByteArray("ERROR\r");
    QTest::newRow("not a command line") << QByteArray("HELLO\r") << QByteArray("ERROR\r");
    // clang-format on
}

void TestSimModule::command()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    Rig rig;
    rig.play("w1000 +++ w1000");
    rig.module.receiveFromHost(input);
    QCOMPARE(rig.host, "OK\r" + reply);
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
    QTest::newRow("silence before too short") << "w1000 data w999 +++ w1000" << false << QByteArray()
                                              << QByteArray("data+++");
    QTest::newRow("silence after too short") << "w1000 +++ w999" << false << QByteArray() << QByteArray();
    QTest::newRow("byte inside silence after") << "w1000 +++ w500 x w1000" << false << QByteArray()
                                               << QByteArray("+++x");
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

    Rig rig;
    rig.play(script);
    QCOMPARE(rig.module.inCommandMode(), commandMode);
    QCOMPARE(rig.host, hostOutput);
    rig.play("w100"); // lets a packet still being collected leave
    QCOMPARE(rig.air, radio);
}

void TestSimModule::hostRate_data()
{
    QTest::addColumn<int>("hostBaud");
    QTest::addColumn<quint32>("bd");
    QTest::addColumn<bool>("understood");

    QTest::newRow("9600 at the factory BD") << 9600 << 3u << true;
    QTest::newRow("19200 against BD 3") << 19200 << 3u << false;
    QTest::newRow("host rate unknown") << 0 << 5u << true;
}

void TestSimModule::hostRate()
{
    QFETCH(int, hostBaud);
    QFETCH(quint32, bd);
    QFETCH(bool, understood);

    ModuleConfig config;
    config.uartRateIndex = bd;
    Rig rig(config);
    rig.baud = hostBaud;
    rig.module.receiveFromRadio("OK\r", -70);
    rig.play("w1000 +++ w1000");
    QCOMPARE(rig.module.inCommandMode(), understood);
    // Understood: the radio's "OK", then the escape's. Otherwise junk both
    // ways, but nothing lost: the "+++" went out as data.
    QCOMPARE(rig.host.size(), understood ? 6 : 3);
    QCOMPARE(rig.air.size(), understood ? 0 : 3);
    QVERIFY(understood ? rig.host == "OK\rOK\r"
                       : !rig.host.contains('\r') && !rig.host.contains("OK") && !rig.air.contains('+'));
    const QString mismatch = QStringLiteral("rate mismatch: host %1, module %2").arg(hostBaud).arg(uartRateOfIndex(bd));
    QCOMPARE(rig.log.count(mismatch), understood ? 0 : 1); // once, not for every byte
}

void TestSimModule::newRate_data()
{
    // Played at 9600 in command mode; the replies must all be readable there.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<int>("rateAfter");

    QTest::newRow("CN") << "ATBD4,CN\r" << QByteArray("OK\rOK\r") << 19200;
    QTest::newRow("CT elapsed") << "ATBD4\r w10000" << QByteArray("OK\r") << 19200;
    QTest::newRow("AC") << "ATBD4,AC\r" << QByteArray("OK\rOK\r") << 19200;
    QTest::newRow("WR alone") << "ATBD4,WR\r" << QByteArray("OK\rOK\r") << 9600;
}

void TestSimModule::newRate()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, replies);
    QFETCH(int, rateAfter);

    Rig rig;
    rig.play("w1000 +++ w1000 " + script);
    QCOMPARE(rig.host, "OK\r" + replies);
    QCOMPARE(rig.module.uartBaudRate(), rateAfter);
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
    QString error;
    StateFile before(dir.filePath(file));
    QVERIFY(before.load(&error));
    {
        Rig rig(ModuleConfig(), &before);
        rig.play("w1000 +++ w1000 ATID3333,BD4,WR,MT1,CN\r");
        QCOMPARE(rig.host, "OK\r" + reply);
    }
    StateFile after(dir.filePath(file));
    QVERIFY2(after.load(&error), qPrintable(error));
    ModuleConfig config;
    if (bdOption >= 0)
        config.uartRateIndex = quint32(bdOption);
    const Rig restarted(config, &after);
    QCOMPARE(restarted.module.registers().query("ID"), storedId);
    QCOMPARE(restarted.module.uartBaudRate(), rate);
    // Set after the WR: gone with the restart.
    QCOMPARE(restarted.module.registers().query("MT"), QByteArray("3"));
}

QTEST_GUILESS_MAIN(TestSimModule)
#include "tst_simmodule.moc"
