// tarnowick-cli at in process, on a fake clock against a module on a
// scripted line: what it prints where, its exit status, the record of an
// ATWR and where it leaves the port.
#include "cli/clioptions.h"
#include "cli/commandrun.h"
#include "isolatedsettings.h"
#include "lineconnection.h"
#include "logic/programmingrecord.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(LineModuleSetup)

namespace {

LineModuleSetup moduleWith(const QMap<QString, QString> &replies)
{
    LineModuleSetup setup;
    setup.replies = replies;
    return setup;
}

} // namespace

class tst_CliAt : public QObject
{
    Q_OBJECT

private slots:
    void at_data();
    void at();
    void options_data();
    void options();
};

// clang-format off
void tst_CliAt::at_data()
{
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("arguments"); // after "at --port /dev/line"
    QTest::addColumn<QString>("interruptAt");   // Ctrl-C as this entry goes out
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QStringList>("err");
    QTest::addColumn<QStringList>("wire");      // after "+++" and "CT"
    QTest::addColumn<QString>("record");        // the module named in it and what was written; empty: none

    const LineModuleSetup module = moduleWith({{"NO", "0"}, {"SH", "13A200"}, {"SL", "40F1A001"}, {"VR", "8059"},
                                               {"ID 99999", "ERROR"}});

    QTest::newRow("one line per command") << module << QStringList{"ATNO", "ATNI GATE-WEST", "ATWR"} << "" << 0
        << QStringList{"ATNO → 0", "ATNI GATE-WEST → OK", "ATWR → OK"} << QStringList{}
        << QStringList{"NO", "NI GATE-WEST", "WR", "SH", "SL", "VR", "CN"} << "13A20040F1A001 NI=GATE-WEST";
    QTest::newRow("--json") << module << QStringList{"ATNO", "ATNI GATE-WEST", "--json"} << "" << 0
        << QStringList{R"({"baud":9600,"commands":[{"command":"ATNO","reply":"0"},{"command":"ATNI GATE-WEST","reply":"OK"}],"port":"/dev/line"})"}
        << QStringList{} << QStringList{"NO", "NI GATE-WEST", "CN"} << "";
    QTest::newRow("an ERROR stops the rest") << module << QStringList{"ATID 99999", "ATNO", "--json"} << "" << 1
        << QStringList{R"({"baud":9600,"commands":[{"command":"ATID 99999","reply":"ERROR"},{"command":"ATNO","reply":null}],"port":"/dev/line"})"}
        << QStringList{"The module refused ATID 99999; the command after it was not sent."}
        << QStringList{"ID 99999", "CN"} << "";
    QTest::newRow("refused: the module would sleep") << module << QStringList{"ATSM 1"} << "" << 2 << QStringList{}
        << QStringList{"SM 1 puts the module to sleep: it stops answering and no longer listens to its serial line.",
                       "Nothing was sent: ATSM 1 may cut this PC off from the module; --force sends it anyway."}
        << QStringList{} << "";
    QTest::newRow("--force") << module << QStringList{"ATD6 1", "--force"} << "" << 0 << QStringList{"ATD6 1 → OK"}
        << QStringList{} << QStringList{"D6 1", "CN"} << "";
    // Followed and remembered: the next command on this port starts at 19200 8E1.
    QTest::newRow("BD and NB followed") << module << QStringList{"ATBD 4", "ATNB 1"} << "" << 0
        << QStringList{"ATBD 4 → OK", "ATNB 1 → OK"}
        << QStringList{"The module now runs at 19200 baud, 8E1; later commands on this port use that."}
        << QStringList{"BD 4", "NB 1", "CN"} << "";
    QTest::newRow("Ctrl-C") << module << QStringList{"ATNI A", "ATWR", "ATNO"} << "WR" << 130
        << QStringList{"ATNI A → OK", "ATWR → OK"}
        << QStringList{"Interrupted: 2 of 3 commands were sent; the module was told to leave command mode."}
        << QStringList{"NI A", "WR", "CN"} << " NI=A";
}
// clang-format on

void tst_CliAt::at()
{
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, arguments);
    QFETCH(QString, interruptAt);
    QFETCH(int, status);
    QFETCH(QStringList, out);
    QFETCH(QStringList, err);
    QFETCH(QStringList, wire);
    QFETCH(QString, record);

    const IsolatedSettings settings; // the ports' memory and the record
    const CliOptions options = parseCliOptions(
        QStringList{"tarnowick-cli", "at", "--port", "/dev/line", "--log", settings.recordPath()} + arguments);
    QCOMPARE(options.outcome, CliOptions::Run);
    LineBench bench;
    bench.plug("/dev/line", module);
    const LineModule &line = *bench.module("/dev/line");
    CommandRun run(options, bench.opener(), "tarnowick-cli test", [] { return QStringList(); });
    QStringList printed, said;
    QSignalSpy finished(&run, &CommandRun::finished);
    connect(&run, &CommandRun::output, this, [&](const QString &text) { printed.append(text); });
    connect(&run, &CommandRun::message, this, [&](const QString &text) { said.append(text); });
    bool interrupted = false;
    const auto check = [&] {
        if (!interrupted && !interruptAt.isEmpty() && line.wire().constLast().startsWith(interruptAt + '@')) {
            interrupted = true;
            run.interrupt();
        }
    };
    run.start();
    QVERIFY(bench.clock.runUntil([&] {
        check();
        return !finished.isEmpty();
    }));
    bench.clock.advance(10000);

    QCOMPARE(printed, out);
    QCOMPARE(said, err);
    QCOMPARE(finished.constFirst().at(0).toInt(), status);
    QStringList sent;
    for (const QString &token : line.wire().mid(2))
        sent.append(token.section('@', 0, 0));
    QCOMPARE(sent, wire);
    QVERIFY(!line.inCommandMode());
    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(settings.recordPath(), &error);
    QCOMPARE(records.size(), record.isEmpty() ? 0 : 1);
    if (!records.isEmpty()) {
        const ProgrammingRecord &kept = records.constFirst();
        QStringList written;
        for (auto it = kept.written.begin(); it != kept.written.end(); ++it)
            written.append(it.key() + '=' + it.value());
        QCOMPARE(kept.module.value("SH") + kept.module.value("SL") + ' ' + written.join(' '), record);
        QCOMPARE(kept.port, "/dev/line");
    }
}

// clang-format off
void tst_CliAt::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem"); // empty: valid

    QTest::newRow("commands in order") << QStringList{"at", "--port", "/dev/x", "ATNO", "ATNI GATE-WEST"} << "";
    QTest::newRow("no command") << QStringList{"at", "--port", "/dev/x"}
        << "at needs one or more AT commands: ATNO \"ATNI GATE-WEST\".";
    QTest::newRow("no port") << QStringList{"at", "ATNO"} << "No port given: --port NAME.";
    QTest::newRow("one port") << QStringList{"at", "--port", "/dev/x", "--port", "/dev/y", "ATNO"}
        << "at takes one port.";
    QTest::newRow("no search") << QStringList{"at", "--port", "/dev/x", "--search", "ATNO"}
        << "Unknown option 'search'.";
}
// clang-format on

void tst_CliAt::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);

    const CliOptions options = parseCliOptions(QStringList{"tarnowick-cli"} + arguments);
    QCOMPARE(options.text, problem);
    QCOMPARE(options.outcome, problem.isEmpty() ? CliOptions::Run : CliOptions::Invalid);
    if (problem.isEmpty())
        QCOMPARE(options.atCommands, arguments.mid(3));
}

QTEST_GUILESS_MAIN(tst_CliAt)
#include "tst_cliat.moc"
