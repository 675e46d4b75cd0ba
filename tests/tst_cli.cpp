// tarnowick-cli as a bench script runs it, as a process against the module
// simulator: what only a real process shows (signals, what one run leaves
// for the next, the port's state), also on several modules at once. The
// commands' rules are tst_clicommands' and tst_clifleet's.
#include "modulesimulator.h"
#include "ptypair.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

struct Result
{
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

class Cli
{
public:
    explicit Cli(const QString &dataHome, const QString &folder = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The programming record and the ports' memory go to dataHome's Velmorin/Tarnowick/.
        environment.insert("XDG_DATA_HOME", dataHome);
        process.setProcessEnvironment(environment);
        if (!folder.isEmpty())
            process.setWorkingDirectory(folder);
    }

    void start(const QStringList &arguments)
    {
        clock.start();
        process.start(QStringLiteral(TARNOWICK_CLI), arguments);
        process.waitForStarted();
    }

    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    // Standard output so far, for a command that runs until it is stopped.
    QString outputSoFar()
    {
        output += QString::fromUtf8(process.readAllStandardOutput());
        return output;
    }

    Result finish()
    {
        if (!process.waitForFinished(30000))
            process.kill();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, outputSoFar(),
                QString::fromUtf8(process.readAllStandardError()), clock.elapsed()};
    }

private:
    QProcess process;
    QElapsedTimer clock;
    QString output;
};

const QByteArray scoreboard =
    R"({"format": "tarnowick-profile", "version": 1, "settings": {"TO": "40", "CM": "3EFFFC00",
    "ID": "3333", "MT": "0", "DL": "FFFF", "DH": "0", "BD": "3", "NB": "0", "SB": "0", "RO": "3", "AP": "0"}})";

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void saveWriteHistory();
    void interrupted();
    void secondSignalEndsAtOnce();
    void portMemory();
    void portInUse();
    void atFollowsTheModule();
    void probe();
    void twoPortsOneFails();
    void bench();

private:
    Result run(const QStringList &arguments, const QString &folder = QString())
    {
        Cli cli(files.path(), folder);
        cli.start(arguments);
        return cli.finish();
    }
    QString file(const QString &name) const { return files.filePath(name); }

    QTemporaryDir files;
};

void tst_Cli::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    QVERIFY(files.isValid());
    const QList<QPair<QString, QByteArray>> profiles = {
        {"scoreboard.tarnowick-profile", scoreboard},
        {"fast.tarnowick-profile", R"({"format": "tarnowick-profile", "version": 1, "settings": {"BD": "4"}})"},
        {"id.tarnowick-profile", R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333"}})"},
    };
    for (const auto &[name, bytes] : profiles) {
        QFile profile(file(name));
        QVERIFY(profile.open(QIODevice::WriteOnly) && profile.write(bytes) == bytes.size());
    }
}

void tst_Cli::commands_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments"); // "A" is module A's port, "FILE:x" a file of the test
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // contained in standard output
    QTest::addColumn<QString>("err"); // all of standard error

    const QStringList fast{"--guard-ms", "50"};
    QTest::newRow("read, JSON") << fast << QStringList{"read", "--port", "A", "--json"} << 0 << "\"SL\": \"40F1A001\""
                                << "";
    QTest::newRow("search") << QStringList{"--bd", "A:7"} << QStringList{"search", "--port", "A"} << 0
                            << "Found the module at 115200 baud.\n"
                            << "The module now runs at 115200 baud, 8N1; later commands on this port use that.\n";
    // Qt's own complaints about the device stay out of a script's stderr.
    QTest::newRow("record on a full disk")
        << fast << QStringList{"write", "FILE:scoreboard.tarnowick-profile", "--port", "A", "--log", "/dev/full"} << 1
        << "Wrote 11 settings.\nRead back: all 11 settings match.\n"
        << "The write was not recorded: No space left on device\n";
    QTest::newRow("a port in the working folder") << fast << QStringList{"read", "--port", "REL:A"} << 0 << "VR=8059\n"
                                                  << "";
}

void tst_Cli::commands()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    ModuleSimulator modules(simulator);
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QFileInfo port(modules.portA());
    for (QString &argument : arguments) {
        if (argument == "A")
            argument = port.filePath();
        else if (argument == "REL:A")
            argument = port.dir().dirName() + '/' + port.fileName();
        else if (argument.startsWith("FILE:"))
            argument = file(argument.mid(5));
    }
    const QString folder = port.dir().absolutePath() + "/..";
    const Result result = run(arguments, folder);
    QVERIFY2(result.status == status, qPrintable(result.err));
    QVERIFY2(result.out.contains(out), qPrintable(result.out));
    QCOMPARE(result.err, err);
}

// A profile saved from one module and written to it again, changed: the
// module stores it, and the record shows the write.
void tst_Cli::saveWriteHistory()
{
    const QString state = file("state.json");
    ModuleSimulator modules({"--state", state});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QString profile = file("saved.tarnowick-profile");
    Result result = run({"save", profile, "--port", modules.portA()});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, "Saved 11 settings.\n");

    QFile saved(profile);
    QVERIFY(saved.open(QIODevice::ReadWrite));
    QJsonObject object = QJsonDocument::fromJson(saved.readAll()).object();
    QCOMPARE(object.value("module").toObject().value("SL").toString(), "40F1A001");
    QJsonObject settings = object.value("settings").toObject();
    settings.insert("ID", "2A");
    object.insert("settings", settings);
    QVERIFY(saved.resize(0) && saved.write(QJsonDocument(object).toJson()) > 0);
    saved.close();

    // At once: the second program waits out the guard time the first left.
    const QString log = file("record.jsonl");
    result = run({"write", profile, "--port", modules.portA(), "--log", log});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QFile stored(state);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(stored.readAll()).object().value("A").toObject().value("ID").toString(), "2A");

    result = run({"history", "--log", log, "--module", "13a20040f1a001"});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.endsWith("  13A20040F1A001  saved.tarnowick-profile  verified\n"), qPrintable(result.out));
}

// Ctrl-C in the middle of a write at 1200 baud: the process says what it
// left, records it, and leaves the module out of command mode, so the next
// command reaches it at once instead of after its own time-out.
void tst_Cli::interrupted()
{
    ModuleSimulator modules({"--bd", "A:0"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QString log = file("interrupted.jsonl");
    Cli cli(files.path());
    cli.start(
        {"write", file("scoreboard.tarnowick-profile"), "--port", modules.portA(), "--baud", "1200", "--log", log});
    QTest::qWait(1600); // "+++" and its guard time, then some settings
    cli.signal(SIGINT);
    const Result result = cli.finish();
    QCOMPARE(result.status, 130);
    QVERIFY2(result.err.startsWith("Interrupted"), qPrintable(result.err));
    if (result.err.contains("settings were sent")) {
        QFile record(log);
        QVERIFY(record.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(record.readAll()).object().value("interrupted").toBool(), true);
    }
    const Result next = run({"read", "--port", modules.portA(), "--baud", "1200"});
    QVERIFY2(next.status == 0, qPrintable(next.err));
}

void tst_Cli::secondSignalEndsAtOnce()
{
    ModuleSimulator modules({"--silent", "A"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    Cli cli(files.path());
    cli.start({"read", "--port", modules.portA()});
    QTest::qWait(300);
    cli.signal(SIGTERM); // the first waits for the module's answer to "+++"
    QTest::qWait(200);
    cli.signal(SIGINT);
    const Result result = cli.finish();
    QCOMPARE(result.status, 130);
    QVERIFY2(result.ms < 2500, qPrintable(QString::number(result.ms)));
}

// A write of BD leaves the module at 19200: the next command on the port
// starts there, unless the command line says otherwise.
void tst_Cli::portMemory()
{
    ModuleSimulator modules({"--guard-ms", "50"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    Result result = run({"write", file("fast.tarnowick-profile"), "--port", modules.portA(), "--log", file("m.jsonl")});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.err, "The module now runs at 19200 baud, 8N1; later commands on this port use that.\n");
    result = run({"read", "--port", modules.portA(), "--json"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(QJsonDocument::fromJson(result.out.toUtf8()).object().value("baud").toInt(), 19200);
    result = run({"read", "--port", modules.portA(), "--baud", "9600"});
    QCOMPARE(result.status, 1);
}

void tst_Cli::portInUse()
{
    ModuleSimulator modules({"--guard-ms", "50"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    QSerialPort holder(modules.portA());
    QVERIFY(holder.open(QIODevice::ReadWrite));
    const Result result = run({"read", "--port", modules.portA()});
    QCOMPARE(result.status, 2);
    QCOMPARE(result.err, QString("The port %1 is in use by another program.\n").arg(modules.portA()));
}

// tarnowick-cli at: an ATWR stored and recorded, and a BD the module took
// followed and remembered, so the next command on the port reaches it.
void tst_Cli::atFollowsTheModule()
{
    const QString state = file("at-state.json");
    ModuleSimulator modules({"--guard-ms", "50", "--state", state});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QString log = file("at-record.jsonl");
    Result result = run({"at", "--port", modules.portA(), "--log", log, "ATNI GATE-WEST", "ATBD 7", "ATWR"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.out, "ATNI GATE-WEST → OK\nATBD 7 → OK\nATWR → OK\n");
    QCOMPARE(result.err, "The module now runs at 115200 baud, 8N1; later commands on this port use that.\n");
    QFile stored(state);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(stored.readAll()).object().value("A").toObject().value("NI").toString(),
             "GATE-WEST");
    result = run({"history", "--log", log});
    QVERIFY2(result.out.contains("  13A20040F1A001  (no profile)  not verified (not read back)"),
             qPrintable(result.out));

    result = run({"at", "--port", modules.portA(), "ATBD", "ATNI"});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QCOMPARE(result.out, "ATBD → 7\nATNI → GATE-WEST\n");
}

// Several modules at once. The probe: every port asked side by side, modules
// at two rates, and a port where nobody answers.
void tst_Cli::probe()
{
    ModuleSimulator modules(2, {"--bd", "B:5"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    PtyPair nobody;
    const QString folder = QFileInfo(modules.portA()).path();
    QVERIFY(QFile::link(nobody.slavePath(), folder + "/moduleZ"));
    const Result result = run({"ports", "--probe", "--port-glob", folder + "/module*"});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.contains(modules.portA() + "  9600 8N1  13A20040F1A001  VR 8059\n"), qPrintable(result.out));
    QVERIFY2(result.out.contains(modules.portB() + "  38400 8N1  13A20040F1A002  VR 8059\n"), qPrintable(result.out));
    QVERIFY2(result.out.contains(folder + "/moduleZ  no module\n"), qPrintable(result.out));
}

void tst_Cli::twoPortsOneFails()
{
    ModuleSimulator modules(2, {"--guard-ms", "50", "--silent", "B"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const Result result = run({"write", file("id.tarnowick-profile"), "--port", modules.portA(), "--port",
                               modules.portB(), "--log", file("two.jsonl"), "--name", "MAST-{n}"});
    const QStringList out = result.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(result.status, 1);
    QCOMPARE(out.size(), 3);
    QVERIFY2(out.at(0).startsWith(modules.portA() + "  13A20040F1A001  MAST-1  written, read back, recorded"),
             qPrintable(result.out));
    QCOMPARE(
        out.at(2),
        QString("2 modules: 1 written and verified, 1 failed (%1: the module did not answer).").arg(modules.portB()));
}

// Two modules plugged in one after the other, one left in all along: each is
// programmed once, named in turn; Ctrl-C ends the bench with its summary.
void tst_Cli::bench()
{
    ModuleSimulator modules(3, {"--guard-ms", "50", "--unplugged", "C"});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QString folder = QFileInfo(modules.portA()).path();
    Cli cli(files.path());
    cli.start({"bench", file("id.tarnowick-profile"), "--port-glob", folder + "/module*", "--name", "T-{n:02}", "--log",
               file("bench.jsonl")});
    const auto programmed = [&](const QString &name) {
        return cli.outputSoFar().contains(name + "  written, read back, recorded");
    };
    QTRY_VERIFY_WITH_TIMEOUT(programmed("T-02"), 10000);
    QVERIFY(modules.plug('C'));
    QTRY_VERIFY_WITH_TIMEOUT(programmed("T-03"), 10000);
    QTest::qWait(1500); // A and B stay in: neither is written again
    cli.signal(SIGINT);
    const Result result = cli.finish();
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out.count("written, read back, recorded"), 3);
    QVERIFY2(result.out.contains(modules.port('C') + "  13A20040F1A003  T-03  written"), qPrintable(result.out));
    QVERIFY2(result.out.endsWith("Bench ended: 3 modules: 3 written and verified.\n"), qPrintable(result.out));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
