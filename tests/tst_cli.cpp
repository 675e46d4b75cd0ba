// tarnowick-cli as a bench script runs it, against the module simulator.
#include "modulesimulator.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result
{
    int status = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

// The programming record goes to dataHome's Velmorin/Tarnowick/.
Result runCli(const QStringList &arguments, const QString &dataHome)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dataHome);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(TARNOWICK_CLI), arguments);
    if (!cli.waitForFinished(70000))
        cli.kill();
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromUtf8(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError()),
            clock.elapsed()};
}

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
    void saveThenWrite();

private:
    QTemporaryDir files;
};

void tst_Cli::initTestCase()
{
    QVERIFY(files.isValid());
    QFile profile(files.filePath("scoreboard.tarnowick-profile"));
    QVERIFY(profile.open(QIODevice::WriteOnly) && profile.write(scoreboard) == scoreboard.size());
    QFile defaults(files.filePath("defaults.tarnowick-profile"));
    QVERIFY(defaults.open(QIODevice::WriteOnly)
            && defaults.write(
                   R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "7fff", "CM": "3EFFFDFF"}})")
                > 0);
    QFile broken(files.filePath("broken.tarnowick-profile"));
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("{\"format\": 1") > 0);
}

void tst_Cli::commands_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments"); // "A" is module A's port, "FILE:x" a file of the test
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // contained in standard output
    QTest::addColumn<QString>("err"); // contained in standard error
    QTest::addColumn<qint64>("withinMs");

    const QStringList none;
    const QStringList read{"read", "--port", "A"};
    QTest::newRow("read") << none << read << 0 << "\nSL=40F1A001\n"
                          << "" << 2000LL;
    QTest::newRow("read at GT 3 s") << QStringList{"--guard-ms", "3000"} << read << 0 << "SL=40F1A001"
                                    << "" << 4500LL;
    QTest::newRow("read, JSON") << none << (read + QStringList{"--json"}) << 0 << "\"SL\": \"40F1A001\""
                                << "" << 2000LL;
    const QStringList write{"write", "FILE:scoreboard.tarnowick-profile", "--port", "A"};
    QTest::newRow("write Scoreboard") << none << write << 0 << "Wrote 12 settings.\nRead back: all 11 settings match."
                                      << "" << 2000LL;
    QTest::newRow("module keeps another CM") << QStringList{"--store-differently", "A:CM=3EFFFDFF"} << write << 1 << ""
                                             << "Read back: CM holds 3EFFFDFF, not 3EFFFC00." << 2000LL;
    // The module goes away after it has answered WR (99 bytes up to "ATWR\r").
    QTest::newRow("silent after WR") << QStringList{"--hangup-after", "A:100"} << write << 1 << ""
                                     << "Read back failed: the module did not answer." << 6000LL;
    QTest::newRow("record not writable") << none << (write + QStringList{"--log", "FILE:broken.tarnowick-profile/log"})
                                         << 1 << ""
                                         << "The write was not recorded: " << 2000LL;
    QTest::newRow("check: same") << none << QStringList{"check", "FILE:defaults.tarnowick-profile", "--port", "A"} << 0
                                 << "Same as the profile."
                                 << "" << 2000LL;
    QTest::newRow("check: differs") << none << QStringList{"check", "FILE:scoreboard.tarnowick-profile", "--port", "A"}
                                    << 1 << "CM: module 3EFFFDFF, profile 3EFFFC00\nID: module 7FFF, profile 3333\n"
                                    << "" << 2000LL;
    QTest::newRow("refused entry") << QStringList{"--refuse", "ID"}
                                   << QStringList{"write", "FILE:scoreboard.tarnowick-profile", "--port", "A"} << 1
                                   << ""
                                   << "The module refused: ID=3333" << 3000LL;
    QTest::newRow("silent module") << QStringList{"--silent", "A"} << read << 1 << ""
                                   << "The module did not answer." << 6000LL;
    QTest::newRow("bad profile") << none << QStringList{"write", "FILE:broken.tarnowick-profile", "--port", "A"} << 2
                                 << ""
                                 << "Not a profile file." << 2000LL;
    QTest::newRow("missing port") << none << QStringList{"read", "--port", "/dev/tarnowick-none"} << 2 << ""
                                  << "Cannot open /dev/tarnowick-none: " << 2000LL;
    QTest::newRow("search finds 38400") << QStringList{"--bd", "A:5"} << (read + QStringList{"--search"}) << 0
                                        << "SL=40F1A001"
                                        << "Found the module at 38400 baud." << 14000LL;
}

void tst_Cli::commands()
{
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(qint64, withinMs);

    ModuleSimulator modules(simulator);
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    for (QString &argument : arguments) {
        if (argument == "A")
            argument = modules.portA();
        else if (argument.startsWith("FILE:"))
            argument = files.filePath(argument.mid(5));
    }
    const Result result = runCli(arguments, files.path());
    QVERIFY2(result.status == status, qPrintable(result.err));
    QVERIFY2(result.out.contains(out), qPrintable(result.out));
    QVERIFY2(result.err.contains(err), qPrintable(result.err));
    QVERIFY2(result.ms <= withinMs, qPrintable(QString::number(result.ms)));
    if (arguments.contains("--json")) {
        const QJsonObject object = QJsonDocument::fromJson(result.out.toUtf8()).object();
        QCOMPARE(object.value("baud").toInt(), 9600);
        QCOMPARE(object.value("values").toObject().size(), 20);
    }
}

// A profile saved from one module and written to it again, changed: the
// module stores it (its state file holds what WR stored).
void tst_Cli::saveThenWrite()
{
    const QString state = files.filePath("state.json");
    ModuleSimulator modules({"--state", state});
    QVERIFY2(modules.start(), qPrintable(modules.errorString()));
    const QString profile = files.filePath("saved.tarnowick-profile");
    Result result = runCli({"save", profile, "--port", modules.portA()}, files.path());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, "Saved 11 setting(s).\n");

    QFile file(profile);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(saved.value("module").toObject().value("SL").toString(), "40F1A001");
    QJsonObject settings = saved.value("settings").toObject();
    settings.insert("ID", "2A");
    saved.insert("settings", settings);
    QVERIFY(file.resize(0) && file.write(QJsonDocument(saved).toJson()) > 0);
    file.close();

    // At once: the second program waits out the guard time the first left.
    const QString log = files.filePath("record.jsonl");
    result = runCli({"write", profile, "--port", modules.portA(), "--log", log}, files.path());
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QFile stored(state);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    const QJsonObject registers = QJsonDocument::fromJson(stored.readAll()).object().value("A").toObject();
    QCOMPARE(registers.value("ID").toString(), "2A");
    QCOMPARE(registers.value("CM").toString(), settings.value("CM").toString());

    result = runCli({"history", "--log", log, "--module", "40f1a001"}, files.path());
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.endsWith("  13A20040F1A001  saved.tarnowick-profile  verified\n"), qPrintable(result.out));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
