#include "modulesimulator.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int GuardMs = 20;
// Long enough for any reply to a guard time of 20 ms; should the machine be
// slower, a fault may slip through, but a sound simulator never fails.
constexpr int SilenceMs = 150;

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

// The processor time a process has had so far, in clock ticks (100 a second).
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // After the name in brackets: state is field 3, user and system time fields 14 and 15.
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    return fields.size() > 12 ? fields.at(11).toLongLong() + fields.at(12).toLongLong() : -1;
}

// Plays steps on the test's ends of the modules' devices, each opened at
// 9600 8N1 when a step first names its module. Each step names a module, A
// to H, then: ">bytes" writes them, "<bytes" expects them next, "." expects
// silence, "@N" sets the rate to N baud ("@N/2" with two stop bits), "+"
// sends "+++" after a guard time of silence, "!" expects the device to hang
// up, "-" unplugs the module, or finds it unplugged, and waits until its link
// is gone, "^" plugs it in again, "=word" sends "word M" to the simulator's
// stdin.
void playSteps(ModuleSimulator &sim, const QStringList &steps)
{
    std::array<int, 8> fds;
    fds.fill(-1);
    QString step;
    const auto cleanUp = qScopeGuard([&] {
        for (const int fd : fds)
            ::close(fd);
        if (QTest::currentTestFailed())
            qWarning("at step \"%s\"", qPrintable(step));
    });
    const auto device = [&](QChar letter) {
        int &fd = fds.at(size_t(letter.unicode() - u'A'));
        if (fd < 0) {
            fd = ::open(qPrintable(sim.port(letter)), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (!setLine(fd, 9600))
                qWarning("cannot open %s at 9600 baud", qPrintable(sim.port(letter)));
        }
        return fd;
    };
    for (const QString &current : steps) {
        step = current;
        const QChar letter = step.at(0);
        const char action = step.at(1).toLatin1();
        const QByteArray bytes = step.mid(2).toLatin1();
        if (action == '-') {
            QVERIFY2(sim.unplug(letter), qPrintable(sim.errorString()));
        } else if (action == '^') {
            ::close(std::exchange(fds.at(size_t(letter.unicode() - u'A')), -1)); // gone for good
            QVERIFY2(sim.plug(letter), qPrintable(sim.errorString()));
        } else if (action == '=') {
            QVERIFY2(sim.sendCommand(QString::fromLatin1(bytes) + ' ' + letter), qPrintable(sim.errorString()));
        } else if (action == '>') {
            QVERIFY(writeBytes(device(letter), bytes));
        } else if (action == '<') {
            QCOMPARE(readUntil(device(letter), bytes, 3000).left(bytes.size()), bytes);
        } else if (action == '.') {
            QCOMPARE(readUntil(device(letter), QByteArray(), SilenceMs), QByteArray());
        } else if (action == '@') {
            QVERIFY(setLine(device(letter), bytes.split('/').constFirst().toInt(), bytes.endsWith("/2")));
        } else if (action == '+') {
            // Real time is the point here: the silence before "+++" is the test.
            QThread::msleep(GuardMs * 3);
            QVERIFY(writeBytes(device(letter), "+++"));
        } else {
            QVERIFY2(action == '!', qPrintable(step));
            bool hungUp = false;
            readUntil(device(letter), QByteArray(), 3000, &hungUp);
            QVERIFY(hungUp);
        }
    }
}

} // namespace

class TestSimPtyLink : public QObject
{
    Q_OBJECT

private slots:
    void badOption();
    void controlInput();
    void steps_data();
    void steps();
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

// What a person types on the simulator's stdin; the parser itself is tested
// in-process.
void TestSimPtyLink::controlInput()
{
    QTemporaryDir links;
    QProcess sim;
    QByteArray out, errors;
    connect(&sim, &QProcess::readyReadStandardOutput, this, [&] { out += sim.readAllStandardOutput(); });
    connect(&sim, &QProcess::readyReadStandardError, this, [&] { errors += sim.readAllStandardError(); });
    sim.start(QStringLiteral(MODULE_SIM_EXECUTABLE),
              QStringList{"--modules", "3", "--unplugged", "b", "--link-dir", links.path()});
    // Nothing for B, which is not plugged in.
    const QByteArray paths = (links.filePath("moduleA") + '\n' + links.filePath("moduleC") + '\n').toLocal8Bit();
    QTRY_COMPARE_WITH_TIMEOUT(out, paths, 5000);

    // The last line has no line end: the end of the input ends it, and the
    // simulator goes on without its stdin.
    sim.write("dance C\nunplug c\nplug B");
    sim.closeWriteChannel();
    QTRY_VERIFY_WITH_TIMEOUT(errors.contains("stdin: \"dance C\" is not a command"), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(links.filePath("moduleC")).isSymLink(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(links.filePath("moduleB")).exists(), 2000);
    QTest::qWait(100);
    QCOMPARE(sim.state(), QProcess::Running);
    QCOMPARE(out, paths); // plugging in prints nothing
    // Without its stdin it waits; it does not spin on the end of the input.
    const qint64 cpuBefore = cpuTicks(sim.processId());
    QTest::qWait(500);
    QVERIFY2(cpuTicks(sim.processId()) - cpuBefore < 20, "more than 40 % of a core while idle");

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(links.filePath("moduleB")).isSymLink());
}

// Only what the process shows: what it reads from a pseudo-terminal's
// settings, what reaches its stdin, and devices that come and go.
void TestSimPtyLink::steps_data()
{
    QTest::addColumn<int>("modules");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("steps"); // as Devices plays them

    // clang-format off
    QTest::newRow("over the radio, at the strength of the options") << 2
        << QStringList{"--rssi", "B:-74", "--rssi-jitter", "0"}
        << QStringList{"A>ping\r", "B<ping\r", "B+", "B<OK\r", "B>ATDB\r", "B<4A\r"};
    QTest::newRow("the rate and stop bits of the program's port") << 1
        << QStringList{"--bd", "A:4", "--sb", "A:1", "--strict-framing"}
        << QStringList{"A@19200", "A+", "A.", "A@9600/2", "A+", "A.", "A@19200/2", "A+", "A<OK\r"};
    QTest::newRow("auto-transmit") << 2 << QStringList{"--auto-transmit", "B", "--auto-interval-ms", "50"}
        << QStringList{"A<THE QUICK BROWN FOX 0\rTHE QUICK BROWN FOX 1\r"};
    // Off the radio until plugged in; unplugged again, the device hangs up and
    // the module keeps only what it stored.
    QTest::newRow("plugged in, unplugged and back") << 8 << QStringList{"--unplugged", "B"}
        << QStringList{"B-", "A>lost\r", "H<lost\r", "B^", "A>heard\r", "B<heard\r", "B+", "B<OK\r",
                       "B>ATID3333,WR,MT1,CN\r", "B<OK\rOK\rOK\rOK\r", "B-", "B!", "B^", "B+", "B<OK\r",
                       "B>ATID,MT\r", "B<3333\r3\r"};
    QTest::newRow("hung up, plugged in again for good") << 1 << QStringList{"--hangup-after", "A:9"}
        << QStringList{"A+", "A<OK\r", "A>ATVR\r", "A<8059\r", "A>x", "A!", "A-", "A^", "A+", "A<OK\r",
                       "A>ATVR,VR,VR\r", "A<8059\r8059\r8059\r"};
    QTest::newRow("woken, and back from RTS flow control") << 1 << QStringList()
        << QStringList{"A+", "A<OK\r", "A>ATSM1,CN\r", "A<OK\rOK\r", "A=wake", "A+", "A<OK\r", "A>ATD61,WR,CN\r",
                       "A<OK\rOK\r", "A=factory", "A+", "A<OK\r"};
    // clang-format on
}

void TestSimPtyLink::steps()
{
    QFETCH(int, modules);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, steps);

    ModuleSimulator sim(modules, QStringList{"--guard-ms", QString::number(GuardMs)} + arguments);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    playSteps(sim, steps);
}

QTEST_GUILESS_MAIN(TestSimPtyLink)
#include "tst_simptylink.moc"
