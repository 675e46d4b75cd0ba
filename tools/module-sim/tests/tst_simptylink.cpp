#include "modulesimulator.h"
#include "rssimodel.h"

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

// The test's ends of the modules' devices, each opened at 9600 8N1 when a
// step first names its module. Each step names a module, A to H, then:
// ">bytes" writes them, "<bytes" expects them next, "." expects silence,
// "~bytes" expects junk of their length, "@N" sets the rate to N baud ("@N/2"
// with two stop bits), "+" sends "+++" after a guard time of silence, "!"
// expects the device to hang up, "-" unplugs the module and "^" plugs it in
// again, "0" expects no link to it, "=word" sends "word M" to the simulator's
// stdin.
class Devices
{
public:
    explicit Devices(ModuleSimulator &sim)
        : sim(sim)
    {
        fds.fill(-1);
    }
    ~Devices()
    {
        for (const int fd : fds)
            ::close(fd);
    }

    void play(const QString &step);

private:
    int device(QChar letter)
    {
        int &fd = fds.at(size_t(letter.unicode() - u'A'));
        if (fd < 0) {
            fd = ::open(qPrintable(sim.port(letter)), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (!setLine(fd, 9600))
                qWarning("cannot open %s at 9600 baud", qPrintable(sim.port(letter)));
        }
        return fd;
    }
    void forget(QChar letter)
    {
        int &fd = fds.at(size_t(letter.unicode() - u'A'));
        ::close(fd);
        fd = -1;
    }

    ModuleSimulator &sim;
    std::array<int, 8> fds;
};

void Devices::play(const QString &step)
{
    const QChar letter = step.at(0);
    const char action = step.at(1).toLatin1();
    const QByteArray bytes = step.mid(2).toLatin1();
    if (action == '-') {
        QVERIFY2(sim.unplug(letter), qPrintable(sim.errorString()));
    } else if (action == '^') {
        forget(letter); // its device is gone for good
        QVERIFY2(sim.plug(letter), qPrintable(sim.errorString()));
    } else if (action == '=') {
        QVERIFY2(sim.sendCommand(QString::fromLatin1(bytes) + ' ' + letter), qPrintable(sim.errorString()));
    } else if (action == '0') {
        // After a hang-up the link goes a moment after the device.
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(sim.port(letter)).isSymLink(), 2000);
    } else if (action == '>') {
        QVERIFY(writeBytes(device(letter), bytes));
    } else if (action == '<') {
        QCOMPARE(readUntil(device(letter), bytes, 3000).left(bytes.size()), bytes);
    } else if (action == '.') {
        QCOMPARE(readUntil(device(letter), QByteArray(), SilenceMs), QByteArray());
    } else if (action == '~') {
        const QByteArray junk = readUntil(device(letter), QByteArray(), SilenceMs);
        QCOMPARE(junk.size(), bytes.size());
        QVERIFY2(!junk.contains('\r') && junk != bytes, junk.toHex().constData());
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

void playSteps(ModuleSimulator &sim, const QStringList &steps)
{
    Devices devices(sim);
    for (const QString &step : steps) {
        devices.play(step);
        if (QTest::currentTestFailed()) {
            qWarning("at step \"%s\"", qPrintable(step));
            return;
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
    void link_data();
    void link();
    void plugging_data();
    void plugging();
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
              QStringList{"--modules", "3", "--unplugged", "b", "--link-dir", links.path(), "--guard-ms", "20"});
    // Nothing for B, which is not plugged in.
    const QByteArray paths = (links.filePath("moduleA") + '\n' + links.filePath("moduleC") + '\n').toLocal8Bit();
    QTRY_COMPARE_WITH_TIMEOUT(out, paths, 5000);

    // The last line has no line end: the end of the input ends it.
    sim.write("dance C\nunplug J\nunplug c\nplug B");
    sim.closeWriteChannel();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(links.filePath("moduleB")).exists(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(links.filePath("moduleC")).isSymLink(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(errors.contains("stdin: \"dance C\" is not a command"), 2000);
    QVERIFY2(errors.contains("stdin: \"unplug J\": there is no module J (the modules are A to C); ignored"),
             errors.constData());

    // Without its stdin the simulator goes on: A still answers.
    const int fd = ::open(qPrintable(links.filePath("moduleA")), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const auto closeDevice = qScopeGuard([fd] { ::close(fd); });
    QVERIFY(setLine(fd, 9600));
    QThread::msleep(GuardMs * 3); // the silence before "+++"
    QVERIFY(writeBytes(fd, "+++"));
    QCOMPARE(readUntil(fd, "OK\r", 3000), QByteArray("OK\r"));
    QCOMPARE(sim.state(), QProcess::Running);
    QCOMPARE(out, paths); // plugging in prints nothing

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(links.filePath("moduleB")).isSymLink());
}

void TestSimPtyLink::link_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("steps"); // as Devices plays them

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
    playSteps(sim, steps);
}

void TestSimPtyLink::plugging_data()
{
    QTest::addColumn<int>("modules");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("steps"); // as Devices plays them

    // clang-format off
    QTest::newRow("gone and back: a new device, stored values kept") << 3 << QStringList()
        << QStringList{"C+", "C<OK\r", "C>ATID3333,NI GATE-WEST,WR,MT1,CN\r", "C<OK\rOK\rOK\rOK\rOK\r",
                       "C-", "C0", "C!", "C^", "C+", "C<OK\r", "C>ATID,NI,MT\r",
                       "C<3333\rGATE-WEST\r3\r"};
    QTest::newRow("started unplugged") << 3 << QStringList{"--unplugged", "B"}
        << QStringList{"B0", "A>lost\r", "C<lost\r", "B^", "B.", "A>heard\r", "B<heard\r", "C<heard\r",
                       "B+", "B<OK\r", "B>ATSL\r", "B<40F1A002\r"};
    QTest::newRow("hung up, plugged in again for good") << 2 << QStringList{"--hangup-after", "A:9"}
        << QStringList{"A+", "A<OK\r", "A>ATVR\r", "A<8059\r", "A>x", "A!", "A0", "A^", "A+", "A<OK\r",
                       "A>ATVR,VR,VR\r", "A<8059\r8059\r8059\r"};
    QTest::newRow("woken, and back from RTS flow control") << 1 << QStringList()
        << QStringList{"A+", "A<OK\r", "A>ATSM1,CN\r", "A<OK\rOK\r", "A+", "A.", "A=wake", "A+", "A<OK\r",
                       "A>ATD61,WR,CN\r", "A<OK\rOK\r", "A=factory", "A+", "A<OK\r", "A>ATD6,SM\r", "A<0\r0\r"};
    QTest::newRow("eight on one radio") << 8 << QStringList{"--bd", "H:4"}
        << QStringList{"H@19200", "C>ping\r", "A<ping\r", "G<ping\r", "H<ping\r", "H+", "H<OK\r",
                       "H>ATSL\r", "H<40F1A008\r"};
    // clang-format on
}

void TestSimPtyLink::plugging()
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
