#include "modulerig.h"

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

QTEST_GUILESS_MAIN(TestSimPower)
#include "tst_simpower.moc"
