#include "simoptions.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

OptionsOutcome parse(const QStringList &arguments, SimOptions *options, QString *message)
{
    return parseSimOptions(QStringList{QStringLiteral("tarnowick-module-sim")} + arguments, options, message);
}

} // namespace

class TestSimOptions : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void values();
    void moduleOptions();
    void invalid_data();
    void invalid();
    void help();
    void executableExitCodes_data();
    void executableExitCodes();
    void corruptStateFileStopsStart();
};

void TestSimOptions::defaults()
{
    SimOptions options;
    QString message;
    QCOMPARE(parse({}, &options, &message), OptionsOutcome::Run);
    QCOMPARE(options.modules, 1);
    QVERIFY(options.linkDir.isEmpty());
    QVERIFY(options.stateFile.isEmpty());
    QVERIFY(!options.guardTime);
    QVERIFY(!options.commandTimeout);
    QCOMPARE(options.radio.rssiDbm, -70);
    QCOMPARE(options.radio.rssiJitterDb, 4);
    QCOMPARE(options.radio.loss, 0.0);
    QVERIFY(!options.seedGiven);
    QVERIFY(!options.autoTransmit);
    QCOMPARE(options.autoIntervalMs, 5000);
    QVERIFY(!options.verbose);
}

void TestSimOptions::values()
{
    SimOptions options;
    QString message;
    const QStringList arguments = {"--modules",
                                   "2",
                                   "--link-dir",
                                   "/tmp/sim",
                                   "--state",
                                   "s.json",
                                   "--guard-ms",
                                   "50",
                                   "--ct-ms",
                                   "2000",
                                   "--rssi",
                                   "-74",
                                   "--rssi-jitter=0",
                                   "--loss",
                                   "0.05",
                                   "--seed",
                                   "4294967295",
                                   "--auto-interval-ms",
                                   "100",
                                   "-v"};
    QCOMPARE(parse(arguments, &options, &message), OptionsOutcome::Run);
    QCOMPARE(options.modules, 2);
    QCOMPARE(options.linkDir, QStringLiteral("/tmp/sim"));
    QCOMPARE(options.stateFile, QStringLiteral("s.json"));
    QCOMPARE(options.guardTime, std::optional<quint32>(50));
    QCOMPARE(options.commandTimeout, std::optional<quint32>(20));
    QCOMPARE(options.radio.rssiDbm, -74);
    QCOMPARE(options.radio.rssiJitterDb, 0);
    QCOMPARE(options.radio.loss, 0.05);
    QVERIFY(options.seedGiven);
    QCOMPARE(options.radio.seed, 4294967295u);
    QCOMPARE(options.autoIntervalMs, 100);
    QVERIFY(options.verbose);
}

void TestSimOptions::moduleOptions()
{
    SimOptions options;
    QString message;
    const QStringList arguments = {"--modules",      "2",  "--auto-transmit", "b",  "--silent",       "A",
                                   "--refuse",       "id", "--refuse",        "WR", "--hangup-after", "100",
                                   "--hangup-after", "B:7"};
    QCOMPARE(parse(arguments, &options, &message), OptionsOutcome::Run);
    QCOMPARE(options.autoTransmit, std::optional<QChar>(QLatin1Char('B')));
    QCOMPARE(options.silent, QSet<QChar>{QLatin1Char('A')});
    QCOMPARE(options.refused, (QSet<QByteArray>{"ID", "WR"}));
    QCOMPARE(options.hangupAfter.value(QLatin1Char('A')), 100);
    QCOMPARE(options.hangupAfter.value(QLatin1Char('B')), 7);
}

void TestSimOptions::invalid_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("unknown option") << QStringList{"--colour"} << "colour";
    QTest::newRow("missing value") << QStringList{"--loss"} << "loss";
    QTest::newRow("stray argument") << QStringList{"moduleA"} << "moduleA";
    QTest::newRow("three modules") << QStringList{"--modules", "3"} << "--modules";
    QTest::newRow("modules not a number") << QStringList{"--modules", "two"} << "--modules";
    QTest::newRow("guard too short") << QStringList{"--guard-ms", "1"} << "--guard-ms";
    QTest::newRow("guard too long") << QStringList{"--guard-ms", "3301"} << "--guard-ms";
    QTest::newRow("ct not in steps of 100") << QStringList{"--ct-ms", "250"} << "--ct-ms";
    QTest::newRow("ct too short") << QStringList{"--ct-ms", "100"} << "--ct-ms";
    QTest::newRow("positive rssi") << QStringList{"--rssi", "5"} << "--rssi";
    QTest::newRow("negative jitter") << QStringList{"--rssi-jitter", "-1"} << "--rssi-jitter";
    QTest::newRow("loss above 1") << QStringList{"--loss", "1.5"} << "--loss";
    QTest::newRow("loss not a number") << QStringList{"--loss", "nan"} << "--loss";
    QTest::newRow("seed too large") << QStringList{"--seed", "4294967296"} << "--seed";
    QTest::newRow("B with one module") << QStringList{"--auto-transmit", "B"} << "--auto-transmit";
    QTest::newRow("unknown module") << QStringList{"--modules", "2", "--silent", "C"} << "--silent";
    QTest::newRow("refuse unknown command") << QStringList{"--refuse", "ZZ"} << "--refuse";
    QTest::newRow("refuse read-only register") << QStringList{"--refuse", "SL"} << "--refuse";
    QTest::newRow("hangup after nothing") << QStringList{"--hangup-after", "0"} << "--hangup-after";
    QTest::newRow("hangup of module B alone") << QStringList{"--hangup-after", "B:5"} << "--hangup-after";
    QTest::newRow("hangup twice") << QStringList{"--hangup-after", "5", "--hangup-after", "A:6"} << "--hangup-after";
    QTest::newRow("interval too short") << QStringList{"--auto-interval-ms", "1"} << "--auto-interval-ms";
}

void TestSimOptions::invalid()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    SimOptions options;
    QString message;
    QCOMPARE(parse(arguments, &options, &message), OptionsOutcome::Invalid);
    QVERIFY2(message.contains(mentions), qPrintable(message));
}

void TestSimOptions::help()
{
    SimOptions options;
    QString message;
    QCOMPARE(parse({"--help"}, &options, &message), OptionsOutcome::ShowHelp);
    for (const char *option :
         {"--modules", "--link-dir", "--state", "--guard-ms", "--ct-ms", "--rssi", "--rssi-jitter", "--loss", "--seed",
          "--auto-transmit", "--silent", "--refuse", "--hangup-after", "--verbose"})
        QVERIFY2(message.contains(QLatin1String(option)), option);
}

void TestSimOptions::executableExitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrMentions");

    QTest::newRow("help") << QStringList{"--help"} << 0 << QString();
    QTest::newRow("bad value") << QStringList{"--loss", "2"} << 2 << "--loss";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << "bogus";
}

void TestSimOptions::executableExitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrMentions);

    QProcess sim;
    sim.start(QStringLiteral(MODULE_SIM_EXECUTABLE), arguments);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), exitCode);
    const QString errors = QString::fromLocal8Bit(sim.readAllStandardError());
    if (stderrMentions.isEmpty())
        QVERIFY(errors.isEmpty());
    else
        QVERIFY2(errors.contains(stderrMentions), qPrintable(errors));
    // Nothing but device paths ever goes to stdout, and there are none here.
    if (exitCode != 0)
        QVERIFY(sim.readAllStandardOutput().isEmpty());
}

void TestSimOptions::corruptStateFileStopsStart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({ "A": { "ID": "99999" } })");
    file.close();

    QProcess sim;
    sim.start(QStringLiteral(MODULE_SIM_EXECUTABLE), {QStringLiteral("--state"), path});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 1);
    QVERIFY(sim.readAllStandardError().contains("ID"));
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    // The file that could not be used is left for the user to mend.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("99999"));
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
