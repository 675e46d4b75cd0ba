#include "modulerig.h"
#include "statefile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString registerValues(const ModuleCore &module, const QByteArrayList &names)
{
    QStringList values;
    for (const QByteArray &name : names)
        values += QString::fromLatin1(name + ' ' + module.registers().query(name));
    return values.join(QLatin1Char(' '));
}

} // namespace

class TestSimPower : public QObject
{
    Q_OBJECT

private slots:
    void powerCut_data();
    void powerCut();
    void factorySettings_data();
    void factorySettings();
};

void TestSimPower::powerCut_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("startBd"); // --bd of the module; -1: none
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("host"); // what the host gets after the power cut
    QTest::addColumn<QByteArray>("air");  // what goes out over the radio after it
    QTest::addColumn<QString>("registers");
    QTest::addColumn<bool>("commandMode");

    const QString enter = "w1000 +++ w1010 ";
    // clang-format off
    QTest::newRow("set, applied, not stored: forgotten") << enter + "ATID3333,MT1,CN\r w100" << -1 << QString()
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("stored with WR: kept") << enter + "ATID3333,WR,MT1\r w100" << -1 << QString()
        << QByteArray() << QByteArray() << "ID 3333 MT 3 BD 3 DB 0" << false;
    QTest::newRow("a stored rate is the one it starts with") << enter + "ATBD4,WR\r w100" << -1 << "w10"
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 4 DB 0" << false;
    QTest::newRow("what it started with stays") << enter + "ATBD3,MT1,CN\r w100" << 5 << QString()
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 5 DB 0" << false;
    QTest::newRow("the strength last heard: forgotten, even if stored") << "w10 <ping\r w10 " + enter + "ATWR\r w10"
        << -1 << QString()
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("in command mode: out of it, new bytes are data") << enter << -1 << "hello w100"
        << QByteArray() << QByteArray("hello") << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("a reply on its way: lost") << "w1000 +++ w1004" << -1 << "w100"
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("a \"+\" that might begin an escape: lost") << "w1000 + w10" << -1 << "w2000"
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("data half through the line: lost") << "w1000 hello w2" << -1 << "w100"
        << QByteArray() << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("radio data kept back in command mode: lost") << enter + "<ping\r w10" << -1
        << enter + "ATCN\r w100" << QByteArray("OK\rOK\r") << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << false;
    QTest::newRow("then as after a start") << enter + "ATID3333\r w10" << -1 << enter + "ATID\r w100"
        << QByteArray("OK\r7FFF\r") << QByteArray() << "ID 7FFF MT 3 BD 3 DB 0" << true;
    // clang-format on
}

// Unplugging the adapter takes the module's power.
void TestSimPower::powerCut()
{
    QFETCH(QString, before);
    QFETCH(int, startBd);
    QFETCH(QString, after);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, air);
    QFETCH(QString, registers);
    QFETCH(bool, commandMode);

    ModuleConfig config;
    if (startBd >= 0)
        config.uartRateIndex = quint32(startBd);
    Rig rig(config);
    rig.play(before);
    rig.module.restart();
    rig.host.clear();
    rig.air.clear();
    rig.line = rig.module.uartSettings();
    rig.play(after);
    QCOMPARE(rig.host, host);
    QCOMPARE(rig.air, air);
    QCOMPARE(registerValues(rig.module, {"ID", "MT", "BD", "DB"}), registers);
    QCOMPARE(rig.module.inCommandMode(), commandMode);
}

void TestSimPower::factorySettings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("storedId"); // in the file afterwards; empty: none

    QTest::newRow("stored") << "state.json" << QString() << "7FFF";
    QTest::newRow("the store fails") << "missing/state.json"
                                     << "module A: factory settings not stored: cannot write" << QString();
}

// "factory A" on stdin: the factory settings, stored, in effect at once;
// the guard time of the options stays.
void TestSimPower::factorySettings()
{
    QFETCH(QString, file);
    QFETCH(QString, problem);
    QFETCH(QString, storedId);

    QTemporaryDir dir;
    StateFile state(dir.filePath(file));
    QString error;
    QVERIFY(state.load(&error));
    ModuleConfig config;
    config.guardTime = 20;
    config.uartRateIndex = 5;
    Rig rig(config, &state);
    QStringList problems;
    connect(&rig.module, &ModuleCore::problemReported, this, [&](const QString &text) { problems += text; });
    rig.line = rig.module.uartSettings();
    rig.play("w100 +++ w30 ATID3333,SM1,D61,NB2,WR\r w100");
    rig.module.factoryReset();
    // The WR before fails there too.
    QCOMPARE(problems.isEmpty() ? QString() : problems.constLast().left(problem.size()), problem);
    QVERIFY(!rig.module.inCommandMode());
    QCOMPARE(registerValues(rig.module, {"ID", "SM", "D6", "GT"}), "ID 7FFF SM 0 D6 0 GT 14");
    QCOMPARE(rig.module.uartSettings().baud, 9600);
    QCOMPARE(rig.module.uartSettings().parity, 0u);
    rig.module.restart();
    QCOMPARE(registerValues(rig.module, {"ID", "SM", "D6", "GT"}), "ID 7FFF SM 0 D6 0 GT 14");
    StateFile after(dir.filePath(file));
    QVERIFY(after.load(&error));
    QCOMPARE(after.storedRegisters('A').value("ID").toString(), storedId);
}

QTEST_GUILESS_MAIN(TestSimPower)
#include "tst_simpower.moc"
