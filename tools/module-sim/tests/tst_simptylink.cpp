#include "simharness.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTest>

namespace {

constexpr int GuardMs = 20;
const QString Guard = QString::number(GuardMs);
const QByteArray TestLine("THE QUICK BROWN FOX 0\r");

QByteArray readReply(QSerialPort &port)
{
    QByteArray reply;
    QDeadlineTimer deadline(3000);
    while (!reply.endsWith('\r') && !deadline.hasExpired()) {
        if (port.bytesAvailable() == 0)
            port.waitForReadyRead(int(deadline.remainingTime()));
        reply += port.readAll();
    }
    return reply;
}

} // namespace

class TestSimPtyLink : public QObject
{
    Q_OBJECT

private slots:
    void linksAndCleanShutdown();
    void bytesCrossTheRadio();
    void differentPanIdsDoNotHear();
    void dbAfterReceivedPacket();
    void totalLossDeliversNothing();
    void serialPortCanCloseAndReopen();
    void hangupAfterBytes();
    void autoTransmitSendsTestLines();
    void writePersistsAcrossRestart();
    void silentModuleDoesNotAnswer();
    void refusedSet();
    void verboseLogShowsBytes();
};

void TestSimPtyLink::linksAndCleanShutdown()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2"}, 2));
    const QString linkDir = sim.linkDir();
    QCOMPARE(sim.device('A'), linkDir + QStringLiteral("/moduleA"));
    QCOMPARE(sim.device('B'), linkDir + QStringLiteral("/moduleB"));
    for (QChar module : {QLatin1Char('A'), QLatin1Char('B')}) {
        const QFileInfo link(sim.device(module));
        QVERIFY(link.isSymLink());
        QVERIFY(link.symLinkTarget().startsWith(QLatin1String("/dev/pts/")));
    }
    QVERIFY(QFileInfo(sim.device('A')).symLinkTarget() != QFileInfo(sim.device('B')).symLinkTarget());

    QCOMPARE(sim.terminate(), 0);
    QVERIFY(!QFileInfo(sim.device('A')).isSymLink());
    QVERIFY(!QFileInfo(sim.device('B')).isSymLink());
}

void TestSimPtyLink::bytesCrossTheRadio()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2"}, 2));
    PtyClient a;
    PtyClient b;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(b.open(sim.device('B')));

    QVERIFY(a.write(TestLine));
    QCOMPARE(b.readUntil(TestLine, 3000), TestLine);
    QVERIFY(b.write("pong\r"));
    QCOMPARE(a.readUntil("pong\r", 3000), QByteArray("pong\r"));
}

void TestSimPtyLink::differentPanIdsDoNotHear()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2", "--guard-ms", Guard}, 2));
    PtyClient a;
    PtyClient b;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(b.open(sim.device('B')));

    QVERIFY(enterCommandMode(a, GuardMs));
    QVERIFY(a.write("ATID3333,CN\r"));
    QCOMPARE(a.readUntil("OK\rOK\r", 2000), QByteArray("OK\rOK\r"));
    QVERIFY(a.write("unheard\r"));
    QCOMPARE(b.readFor(300), QByteArray());

    QVERIFY(enterCommandMode(b, GuardMs));
    QVERIFY(b.write("ATID=3333,CN\r"));
    QCOMPARE(b.readUntil("OK\rOK\r", 2000), QByteArray("OK\rOK\r"));
    QVERIFY(a.write("heard\r"));
    QCOMPARE(b.readUntil("heard\r", 3000), QByteArray("heard\r"));
}

void TestSimPtyLink::dbAfterReceivedPacket()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2", "--guard-ms", Guard, "--rssi", "-74", "--rssi-jitter", "0"}, 2));
    PtyClient a;
    PtyClient b;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(b.open(sim.device('B')));

    QVERIFY(enterCommandMode(b, GuardMs));
    QCOMPARE(command(b, "ATDB\r"), QByteArray("0\r"));
    QCOMPARE(command(b, "ATCN\r"), QByteArray("OK\r"));

    QVERIFY(a.write(TestLine));
    QCOMPARE(b.readUntil(TestLine, 3000), TestLine);
    QVERIFY(enterCommandMode(b, GuardMs));
    QCOMPARE(command(b, "ATDB\r"), QByteArray("4A\r"));
}

void TestSimPtyLink::totalLossDeliversNothing()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2", "--loss", "1", "-v"}, 2));
    PtyClient a;
    PtyClient b;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(b.open(sim.device('B')));

    for (int i = 0; i < 5; ++i) {
        QVERIFY(a.write(QByteArray("THE QUICK BROWN FOX ") + QByteArray::number(i) + '\r'));
        QTest::qWait(20);
    }
    QCOMPARE(b.readFor(400), QByteArray());
    QCOMPARE(sim.terminate(), 0);
    // The packets were sent and lost, not held back somewhere.
    QCOMPARE(sim.standardError().count("lost"), 5);
}

void TestSimPtyLink::serialPortCanCloseAndReopen()
{
    SimProcess sim;
    QVERIFY(sim.start({"--guard-ms", Guard}, 1));
    QSerialPort port;
    port.setPortName(sim.device('A'));
    port.setBaudRate(QSerialPort::Baud9600);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    QTest::qWait(GuardMs * 3);
    port.write("+++");
    QCOMPARE(readReply(port), QByteArray("OK\r"));
    port.close();

    // Still in command mode after the program closed and reopened the port.
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    port.write("ATID\r");
    QCOMPARE(readReply(port), QByteArray("7FFF\r"));
}

void TestSimPtyLink::hangupAfterBytes()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2", "--hangup-after", "A:5"}, 2));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(a.write("hell"));
    QVERIFY(!a.waitForHangup(200));

    QVERIFY(a.write("o world"));
    QVERIFY(a.waitForHangup(3000));
    QTRY_VERIFY(!QFileInfo(sim.device('A')).isSymLink());
    QVERIFY(!a.open(sim.device('A')));
    // The other module and the process carry on.
    PtyClient b;
    QVERIFY(b.open(sim.device('B')));
    QCOMPARE(sim.process().state(), QProcess::Running);
    QCOMPARE(sim.terminate(), 0);
    QVERIFY(sim.standardError().contains("hung up"));
}

void TestSimPtyLink::autoTransmitSendsTestLines()
{
    SimProcess sim;
    QVERIFY(sim.start({"--modules", "2", "--auto-transmit", "B", "--auto-interval-ms", "100"}, 2));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    const QByteArray expected("THE QUICK BROWN FOX 0\rTHE QUICK BROWN FOX 1\rTHE QUICK BROWN FOX 2\r");
    QVERIFY(a.readUntil(expected, 5000).startsWith(expected));
}

void TestSimPtyLink::writePersistsAcrossRestart()
{
    QTemporaryDir dir;
    const QString statePath = dir.filePath(QStringLiteral("modules.json"));
    const QStringList arguments = {"--modules", "2", "--guard-ms", Guard, "--state", statePath};
    {
        SimProcess sim;
        QVERIFY(sim.start(arguments, 2));
        PtyClient a;
        QVERIFY(a.open(sim.device('A')));
        QVERIFY(enterCommandMode(a, GuardMs));
        a.write("ATID=3333,WR\r");
        QCOMPARE(a.readUntil("OK\rOK\r", 2000), QByteArray("OK\rOK\r"));
        QCOMPARE(command(a, "ATMT0\r"), QByteArray("OK\r"));
        QCOMPARE(sim.terminate(), 0);
    }
    QFile file(statePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(stored.value("A").toObject().value("ID").toString(), QStringLiteral("3333"));

    SimProcess sim;
    QVERIFY(sim.start(arguments, 2));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(enterCommandMode(a, GuardMs));
    QCOMPARE(command(a, "ATID\r"), QByteArray("3333\r"));
    QCOMPARE(command(a, "ATMT\r"), QByteArray("3\r"));
}

void TestSimPtyLink::silentModuleDoesNotAnswer()
{
    SimProcess sim;
    QVERIFY(sim.start({"--guard-ms", Guard, "--silent", "A"}, 1));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    QTest::qWait(GuardMs * 3);
    QVERIFY(a.write("+++"));
    QTest::qWait(GuardMs * 3);
    QVERIFY(a.write("ATID\r"));
    QCOMPARE(a.readFor(500), QByteArray());
}

void TestSimPtyLink::refusedSet()
{
    SimProcess sim;
    QVERIFY(sim.start({"--guard-ms", Guard, "--refuse", "ID"}, 1));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(enterCommandMode(a, GuardMs));
    QCOMPARE(command(a, "ATID=3333\r"), QByteArray("ERROR\r"));
    QCOMPARE(command(a, "ATID\r"), QByteArray("7FFF\r"));
}

void TestSimPtyLink::verboseLogShowsBytes()
{
    SimProcess sim;
    QVERIFY(sim.start({"--guard-ms", Guard, "-v"}, 1));
    PtyClient a;
    QVERIFY(a.open(sim.device('A')));
    QVERIFY(enterCommandMode(a, GuardMs));
    QCOMPARE(command(a, "ATVR\r"), QByteArray("8059\r"));
    QCOMPARE(sim.terminate(), 0);

    const QString log = QString::fromLocal8Bit(sim.standardError());
    QVERIFY2(log.contains(QLatin1String("A in  \"+++\"")), qPrintable(log));
    QVERIFY2(log.contains(QLatin1String("A out \"OK\\r\"")), qPrintable(log));
    QVERIFY2(log.contains(QLatin1String("A in  \"ATVR\\r\"")), qPrintable(log));
    QVERIFY2(log.contains(QLatin1String("A out \"8059\\r\"")), qPrintable(log));
    // Each line starts with the time of day, to the millisecond.
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} "), QRegularExpression::MultilineOption)
                .match(log)
                .hasMatch());
}

QTEST_GUILESS_MAIN(TestSimPtyLink)
#include "tst_simptylink.moc"
