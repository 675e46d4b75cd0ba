#include "rssimodel.h"
#include "simharness.h"

#include <QTest>
#include <QThread>

namespace {

constexpr int GuardMs = 20;

} // namespace

class TestSimPtyLink : public QObject
{
    Q_OBJECT

private slots:
    void badOption();
    void link_data();
    void link();
};

// The parser itself is tested in-process; this is what the process makes of
// its verdict.
void TestSimPtyLink::badOption()
{
    QProcess sim;
    sim.start(QStringLiteral(MODULE_SIM_EXECUTABLE), QStringList{"--bd", "A:9"});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(errors.contains("--bd: \"A:9\""), qPrintable(errors));
    // Whoever started it reads device paths from stdout: there must be none.
    QCOMPARE(sim.readAllStandardOutput(), QByteArray());
}

void TestSimPtyLink::link_data()
{
    QTest::addColumn<QStringList>("arguments");
    // Each step names module A or B, then: ">bytes" writes them, "<bytes"
    // expects them next, "." expects silence, "~bytes" expects junk of
    // their length, "@N" sets the rate to N baud, "+" sends "+++" after a
    // guard time of silence, "!" expects the device to hang up.
    QTest::addColumn<QStringList>("steps");

    const QString db = QString::number(-RssiModel(-80, 4, 1).next(), 16).toUpper();
    // clang-format off
    QTest::newRow("A to B and back") << QStringList()
        << QStringList{"A>ping\r", "B<ping\r", "B>pong\r", "A<pong\r"};
    QTest::newRow("different PAN IDs") << QStringList()
        << QStringList{"A+", "A<OK\r", "A>ATID3333,CN\r", "A<OK\rOK\r", "A>ping\r", "B."};
    QTest::newRow("DB is the model's RSSI") << QStringList{"--rssi", "-80", "--seed", "1"}
        << QStringList{"A>ping\r", "B<ping\r", "B+", "B<OK\r", "B>ATDB\r", "B<" + db + "\r"};
    QTest::newRow("all lost") << QStringList{"--loss", "1"} << QStringList{"A>ping\r", "B."};
    QTest::newRow("silent") << QStringList{"--silent", "A"} << QStringList{"A+", "A.", "A>ATID\r", "A."};
    QTest::newRow("refuse") << QStringList{"--refuse", "ID"}
        << QStringList{"A+", "A<OK\r", "A>ATID3333\r", "A<ERROR\r"};
    QTest::newRow("hangup after 9 bytes") << QStringList{"--hangup-after", "A:9"}
        << QStringList{"A+", "A<OK\r", "A>ATVR\r", "A<8059\r", "A>x", "A!"};
    QTest::newRow("host at another rate") << QStringList()
        << QStringList{"A@19200", "A+", "A.", "B>ping\r", "A~ping\r"};
    QTest::newRow("--bd, and CN switches the rate") << QStringList{"--bd", "A:4"}
        << QStringList{"A@19200", "A+", "A<OK\r", "A>ATBD3,CN\r", "A<OK\rOK\r", "A+", "A.", "A@9600", "A+", "A<OK\r"};
    QTest::newRow("auto-transmit") << QStringList{"--auto-transmit", "B", "--auto-interval-ms", "50"}
        << QStringList{"A<THE QUICK BROWN FOX 0\rTHE QUICK BROWN FOX 1\r"};
    // clang-format on
}

void TestSimPtyLink::link()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, steps);

    SimProcess sim;
    const QStringList common = {"--modules", "2", "--guard-ms", QString::number(GuardMs)};
    QVERIFY(sim.start(common + arguments, 2));
    PtyClient modules[2];
    QVERIFY(modules[0].open(sim.device(0)));
    QVERIFY(modules[1].open(sim.device(1)));
    for (const QString &step : std::as_const(steps)) {
        PtyClient &module = modules[step.at(0) == QLatin1Char('B')];
        const QByteArray bytes = step.mid(2).toLatin1();
        switch (step.at(1).toLatin1()) {
        case '>':
            QVERIFY(module.write(bytes));
            break;
        case '<':
            QCOMPARE(module.readUntil(bytes, 3000).left(bytes.size()), bytes);
            break;
        case '.':
            QCOMPARE(module.readUntil(QByteArray(), 250), QByteArray());
            break;
        case '~': {
            const QByteArray junk = module.readUntil(QByteArray(), 250);
            QCOMPARE(junk.size(), bytes.size());
            QVERIFY2(!junk.contains('\r') && junk != bytes, junk.toHex().constData());
            break;
        }
        case '@':
            QVERIFY(module.setBaudRate(bytes.toInt()));
            break;
        case '+':
            // Real time is the point here: the silence before "+++" is the test.
            QThread::msleep(GuardMs * 3);
            QVERIFY(module.write("+++"));
            break;
        case '!':
            QVERIFY(module.waitForHangup(3000));
            break;
        default:
            QFAIL(qPrintable(step));
        }
    }
}

QTEST_GUILESS_MAIN(TestSimPtyLink)
#include "tst_simptylink.moc"
