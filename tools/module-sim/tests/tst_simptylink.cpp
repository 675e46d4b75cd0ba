#include "modulesimulator.h"
#include "rssimodel.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int GuardMs = 20;

// Sets a program's end of a simulated module to raw mode at 9600 or 19200
// baud, one or two stop bits, with plain POSIX calls, as a serial program
// would. Linux refuses parity on a pseudo-terminal.
bool setLine(int fd, int baud, bool twoStopBits = false)
{
    const speed_t speed = baud == 9600 ? B9600 : baud == 19200 ? B19200 : B0;
    termios settings{};
    if (fd < 0 || speed == B0 || tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    if (twoStopBits)
        settings.c_cflag |= CSTOPB;
    return cfsetspeed(&settings, speed) == 0 && tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool writeBytes(int fd, const QByteArray &bytes)
{
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

// Reads until the bytes so far contain expected (or, when it is empty, for
// the whole time), or the time is up, or the device is gone.
QByteArray readUntil(int fd, const QByteArray &expected, int timeoutMs, bool *hungUp = nullptr)
{
    QByteArray data;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && (expected.isEmpty() || !data.contains(expected))) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            break;
        char buffer[1024];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (hungUp) // a read fails so when the device is gone
            *hungUp = n == 0 || (n < 0 && errno == EIO) || (p.revents & POLLHUP);
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    return data;
}

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
    // their length, "@N" sets the rate to N baud ("@N/2" with two stop
    // bits), "+" sends "+++" after a
    // guard time of silence, "!" expects the device to hang up.
    QTest::addColumn<QStringList>("steps");

    // Module B walks on the stream after the seed.
    const QString db = QString::number(-RssiModel(-80, 4, 2).next(), 16).toUpper();
    // clang-format off
    QTest::newRow("A to B and back") << QStringList()
        << QStringList{"A>ping\r", "B<ping\r", "B>pong\r", "A<pong\r"};
    QTest::newRow("different PAN IDs") << QStringList()
        << QStringList{"A+", "A<OK\r", "A>ATID3333,CN\r", "A<OK\rOK\r", "A>ping\r", "B."};
    QTest::newRow("DB is the model's RSSI") << QStringList{"--rssi", "-80", "--seed", "1"}
        << QStringList{"A>ping\r", "B<ping\r", "B+", "B<OK\r", "B>ATDB\r", "B<" + db + "\r"};
    QTest::newRow("DB per receiving module") << QStringList{"--rssi", "B:-74", "--rssi", "A:-71", "--rssi-jitter", "0"}
        << QStringList{"A>ping\r", "B<ping\r", "B>pong\r", "A<pong\r", "A+", "A<OK\r", "A>ATDB\r", "A<47\r",
                       "B+", "B<OK\r", "B>ATDB\r", "B<4A\r"};
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
    QTest::newRow("two stop bits, strict") << QStringList{"--sb", "A:1", "--strict-framing"}
        << QStringList{"A+", "A.", "A@9600/2", "A+", "A<OK\r", "A>ATSB0,CN\r", "A<OK\rOK\r", "A+", "A."};
    QTest::newRow("auto-transmit") << QStringList{"--auto-transmit", "B", "--auto-interval-ms", "50"}
        << QStringList{"A<THE QUICK BROWN FOX 0\rTHE QUICK BROWN FOX 1\r"};
    // clang-format on
}

void TestSimPtyLink::link()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, steps);

    ModuleSimulator sim(QStringList{"--guard-ms", QString::number(GuardMs)} + arguments);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    const int modules[2] = {::open(qPrintable(sim.portA()), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC),
                            ::open(qPrintable(sim.portB()), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)};
    const auto closeBoth = qScopeGuard([&] {
        ::close(modules[0]);
        ::close(modules[1]);
    });
    QVERIFY(setLine(modules[0], 9600) && setLine(modules[1], 9600));
    for (const QString &step : std::as_const(steps)) {
        const int module = modules[step.at(0) == QLatin1Char('B')];
        const QByteArray bytes = step.mid(2).toLatin1();
        const char action = step.at(1).toLatin1();
        if (action == '>') {
            QVERIFY(writeBytes(module, bytes));
        } else if (action == '<') {
            QCOMPARE(readUntil(module, bytes, 3000).left(bytes.size()), bytes);
        } else if (action == '.') {
            QCOMPARE(readUntil(module, QByteArray(), 250), QByteArray());
        } else if (action == '~') {
            const QByteArray junk = readUntil(module, QByteArray(), 250);
            QCOMPARE(junk.size(), bytes.size());
            QVERIFY2(!junk.contains('\r') && junk != bytes, junk.toHex().constData());
        } else if (action == '@') {
            QVERIFY(setLine(module, bytes.split('/').constFirst().toInt(), bytes.endsWith("/2")));
        } else if (action == '+') {
            // Real time is the point here: the silence before "+++" is the test.
            QThread::msleep(GuardMs * 3);
            QVERIFY(writeBytes(module, "+++"));
        } else {
            QVERIFY2(action == '!', qPrintable(step));
            bool hungUp = false;
            readUntil(module, QByteArray(), 3000, &hungUp);
            QVERIFY(hungUp);
        }
    }
}

QTEST_GUILESS_MAIN(TestSimPtyLink)
#include "tst_simptylink.moc"
