#include "fakeclock.h"
#include "modulecore.h"
#include "statefile.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int GuardMs = 1000;

// Collects what the module puts out on its serial line.
class Host
{
public:
    explicit Host(ModuleCore &module)
        : module(module)
        , output(&module, &ModuleCore::hostOutput)
    {
    }

    QByteArray take()
    {
        QByteArray bytes;
        for (const QList<QVariant> &emission : std::as_const(output))
            bytes += emission.at(0).toByteArray();
        output.clear();
        return bytes;
    }

    ModuleCore &module;
    QSignalSpy output;
};

void enterCommandMode(ModuleCore &module, FakeClock &clock)
{
    clock.advance(GuardMs);
    module.receiveFromHost("+++");
    clock.advance(GuardMs);
    module.processTimers();
}

} // namespace

class TestSimAtCommands : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void readRunAnswersEveryCatalogueName();
    void writeRunOfScoreboardPreset();
    void settingsTakeEffectAfterApply_data();
    void settingsTakeEffectAfterApply();
    void exitLeavesDataMode();
    void refusedCommands_data();
    void refusedCommands();
    void silentModuleNeverAnswers();
    void writePersistsAcrossRestart();
    void restartWithoutWriteLosesChanges();
    void failedWriteAnswersError();
};

void TestSimAtCommands::replies_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("query") << QByteArray("ATID\r") << QByteArray("7FFF\r");
    QTest::newRow("query without leading zeros") << QByteArray("ATAP\r") << QByteArray("0\r");
    QTest::newRow("serial high") << QByteArray("ATSH\r") << QByteArray("13A200\r");
    QTest::newRow("serial low") << QByteArray("ATSL\r") << QByteArray("40F1A001\r");
    QTest::newRow("no packet yet") << QByteArray("ATDB\r") << QByteArray("0\r");
    QTest::newRow("set then query") << QByteArray("ATID3333\rATID\r") << QByteArray("OK\r3333\r");
    QTest::newRow("equals sign") << QByteArray("ATID=3333\rATID\r") << QByteArray("OK\r3333\r");
    QTest::newRow("blank before value") << QByteArray("ATID 3333\rATID\r") << QByteArray("OK\r3333\r");
    QTest::newRow("lower case") << QByteArray("atid=3333\ratid\r") << QByteArray("OK\r3333\r");
    QTest::newRow("mixed case and 0x") << QByteArray("aTiD0X3fF\rATID\r") << QByteArray("OK\r3FF\r");
    QTest::newRow("chain") << QByteArray("ATID3333,MT1,ID,MT\r") << QByteArray("OK\rOK\r3333\r1\r");
    QTest::newRow("chain stops at error") << QByteArray("ATMT1,ID8000,MT0\rATMT\r") << QByteArray("OK\rERROR\r1\r");
    QTest::newRow("out of range keeps value") << QByteArray("ATID8000\rATID\r") << QByteArray("ERROR\r7FFF\r");
    QTest::newRow("read-only refuses set") << QByteArray("ATVR1\rATVR\r") << QByteArray("ERROR\r8059\r");
    QTest::newRow("DB refuses set") << QByteArray("ATDB4A\r") << QByteArray("ERROR\r");
    QTest::newRow("unknown command") << QByteArray("ATXX\r") << QByteArray("ERROR\r");
    QTest::newRow("not a command line") << QByteArray("HELLO\r") << QByteArray("ERROR\r");
    QTest::newRow("bare AT") << QByteArray("AT\r") << QByteArray("OK\r");
    QTest::newRow("blank line ignored") << QByteArray("\rATMT\r") << QByteArray("3\r");
    QTest::newRow("CR LF from a terminal") << QByteArray("ATMT\r\nATRR\r\n") << QByteArray("3\rA\r");
    QTest::newRow("LF from a terminal") << QByteArray("ATMT\nATRR\n") << QByteArray("3\rA\r");
    QTest::newRow("backspace") << QByteArray("ATMX\x08T\r") << QByteArray("3\r");
    QTest::newRow("overlong line") << QByteArray("AT") + QByteArray(300, 'I') + "\rATMT\r" << QByteArray("ERROR\r3\r");
    QTest::newRow("node identifier") << QByteArray("ATNI Roof mast\rATNI\r") << QByteArray("OK\rRoof mast\r");
    QTest::newRow("action with value") << QByteArray("ATAC1\r") << QByteArray("ERROR\r");
    QTest::newRow("apply") << QByteArray("ATAC\r") << QByteArray("OK\r");
    QTest::newRow("write") << QByteArray("ATID3333,WR\r") << QByteArray("OK\rOK\r");
}

void TestSimAtCommands::replies()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    FakeClock clock;
    ModuleConfig config;
    config.serialLow = 0x40F1A001;
    ModuleCore module(config, clock);
    Host host(module);
    enterCommandMode(module, clock);
    QCOMPARE(host.take(), QByteArray("OK\r"));

    module.receiveFromHost(input);
    QCOMPARE(host.take(), reply);
}

void TestSimAtCommands::readRunAnswersEveryCatalogueName()
{
    const QList<QByteArray> catalogue = {"VR", "VH", "HV", "TO", "CM", "ID", "MT", "SH", "SL", "DL",
                                         "DH", "NI", "PL", "RR", "CE", "BD", "NB", "SB", "RO", "AP"};
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    Host host(module);
    enterCommandMode(module, clock);
    host.take();

    for (const QByteArray &name : catalogue) {
        clock.advance(100);
        module.receiveFromHost("AT" + name + '\r');
        const QByteArray reply = host.take();
        QVERIFY2(reply.endsWith('\r') && reply.count('\r') == 1, name.constData());
        QVERIFY2(reply != "ERROR\r", name.constData());
    }
    module.receiveFromHost("ATCN\r");
    QCOMPARE(host.take(), QByteArray("OK\r"));
    QVERIFY(!module.inCommandMode());
}

void TestSimAtCommands::writeRunOfScoreboardPreset()
{
    const QList<QByteArray> entries = {"TO=40", "CM=3EFFFC00", "ID=3333", "MT=0", "DL=FFFF", "DH=0",
                                       "BD=3",  "NB=0",        "SB=0",    "RO=3", "AP=0",    "WR"};
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    Host host(module);
    enterCommandMode(module, clock);
    host.take();

    for (const QByteArray &entry : entries) {
        module.receiveFromHost("AT" + entry + '\r');
        QCOMPARE(host.take(), QByteArray("OK\r"));
    }
    QCOMPARE(module.panId(), 0x3333u);
    QCOMPARE(module.channelMask(), 0x3EFFFC00u);
}

void TestSimAtCommands::settingsTakeEffectAfterApply_data()
{
    QTest::addColumn<QByteArray>("apply");

    QTest::newRow("AC") << QByteArray("ATAC\r");
    QTest::newRow("WR") << QByteArray("ATWR\r");
    QTest::newRow("CN") << QByteArray("ATCN\r");
}

void TestSimAtCommands::settingsTakeEffectAfterApply()
{
    QFETCH(QByteArray, apply);

    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    enterCommandMode(module, clock);
    module.receiveFromHost("ATID3333,CM3\r");
    QCOMPARE(module.panId(), 0x7FFFu);
    QCOMPARE(module.channelMask(), 0x3EFFFDFFu);

    module.receiveFromHost(apply);
    QCOMPARE(module.panId(), 0x3333u);
    QCOMPARE(module.channelMask(), 0x3u);
}

void TestSimAtCommands::exitLeavesDataMode()
{
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock);
    Host host(module);
    QSignalSpy radio(&module, &ModuleCore::radioTransmit);
    enterCommandMode(module, clock);

    module.receiveFromHost("ATID,CN\r");
    QCOMPARE(host.take(), QByteArray("OK\r7FFF\rOK\r"));
    QVERIFY(!module.inCommandMode());

    module.receiveFromHost("ATID\r");
    clock.advance(100);
    module.processTimers();
    QCOMPARE(host.take(), QByteArray());
    QCOMPARE(radio.size(), 1);
    QCOMPARE(radio.at(0).at(0).toByteArray(), QByteArray("ATID\r"));
}

void TestSimAtCommands::refusedCommands_data()
{
    QTest::addColumn<QByteArray>("refused");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("set refused") << QByteArray("ID") << QByteArray("ATID3333\r") << QByteArray("ERROR\r");
    QTest::newRow("with equals sign") << QByteArray("ID") << QByteArray("ATID=3333\r") << QByteArray("ERROR\r");
    QTest::newRow("query still answered") << QByteArray("ID") << QByteArray("ATID\r") << QByteArray("7FFF\r");
    QTest::newRow("other command") << QByteArray("ID") << QByteArray("ATMT1\r") << QByteArray("OK\r");
    QTest::newRow("WR refused") << QByteArray("WR") << QByteArray("ATID1,WR\r") << QByteArray("OK\rERROR\r");
}

void TestSimAtCommands::refusedCommands()
{
    QFETCH(QByteArray, refused);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);

    FakeClock clock;
    ModuleConfig config;
    config.refused.insert(refused);
    ModuleCore module(config, clock);
    Host host(module);
    enterCommandMode(module, clock);
    host.take();

    module.receiveFromHost(input);
    QCOMPARE(host.take(), reply);
}

void TestSimAtCommands::silentModuleNeverAnswers()
{
    FakeClock clock;
    ModuleConfig config;
    config.silent = true;
    ModuleCore module(config, clock);
    Host host(module);
    QSignalSpy radio(&module, &ModuleCore::radioTransmit);

    enterCommandMode(module, clock);
    module.receiveFromHost("ATID\rATXX\rATCN\r");
    QCOMPARE(host.take(), QByteArray());
    // It still took the escape: nothing went out over the air.
    QCOMPARE(radio.size(), 0);
    QVERIFY(!module.inCommandMode());
}

void TestSimAtCommands::writePersistsAcrossRestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.json"));
    FakeClock clock;
    {
        StateFile store(path);
        QString error;
        QVERIFY(store.load(&error));
        ModuleConfig configA;
        ModuleConfig configB;
        configB.letter = QLatin1Char('B');
        ModuleCore a(configA, clock, &store);
        ModuleCore b(configB, clock, &store);
        enterCommandMode(a, clock);
        enterCommandMode(b, clock);
        a.receiveFromHost("ATID3333,NI Mast,WR\r");
        b.receiveFromHost("ATID4444,WR\r");
    }

    StateFile reloaded(path);
    QString error;
    QVERIFY2(reloaded.load(&error), qPrintable(error));
    ModuleCore a(ModuleConfig(), clock, &reloaded);
    QCOMPARE(a.registers().query("ID"), QByteArray("3333"));
    QCOMPARE(a.registers().query("NI"), QByteArray("Mast"));
    QCOMPARE(a.panId(), 0x3333u);
    ModuleConfig configB;
    configB.letter = QLatin1Char('B');
    ModuleCore b(configB, clock, &reloaded);
    QCOMPARE(b.registers().query("ID"), QByteArray("4444"));
}

void TestSimAtCommands::restartWithoutWriteLosesChanges()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.json"));
    FakeClock clock;
    QString error;
    {
        StateFile store(path);
        QVERIFY(store.load(&error));
        ModuleCore module(ModuleConfig(), clock, &store);
        enterCommandMode(module, clock);
        module.receiveFromHost("ATMT1,WR\r");
        module.receiveFromHost("ATID3333,AC,CN\r");
    }

    StateFile reloaded(path);
    QVERIFY(reloaded.load(&error));
    ModuleCore module(ModuleConfig(), clock, &reloaded);
    QCOMPARE(module.registers().query("MT"), QByteArray("1"));
    QCOMPARE(module.registers().query("ID"), QByteArray("7FFF"));
}

void TestSimAtCommands::failedWriteAnswersError()
{
    QTemporaryDir dir;
    // The state file's folder does not exist, so it cannot be written.
    StateFile store(dir.filePath(QStringLiteral("missing/state.json")));
    QString error;
    QVERIFY(store.load(&error));
    FakeClock clock;
    ModuleCore module(ModuleConfig(), clock, &store);
    Host host(module);
    QSignalSpy problems(&module, &ModuleCore::problemReported);
    enterCommandMode(module, clock);
    host.take();

    module.receiveFromHost("ATWR\r");
    QCOMPARE(host.take(), QByteArray("ERROR\r"));
    QCOMPARE(problems.size(), 1);
}

QTEST_GUILESS_MAIN(TestSimAtCommands)
#include "tst_simatcommands.moc"
