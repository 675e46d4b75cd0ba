// tarnowick-cli on several ports in process, on one fake clock: names from a
// pattern, a line per module and the summary, the worst exit status, and the
// bench that programs each module once as its port comes and goes.
#include "cli/benchwatch.h"
#include "isolatedsettings.h"
#include "lineconnection.h"
#include "logic/modulenames.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(LineModuleSetup)

namespace {

using Modules = QMap<QString, LineModuleSetup>; // by port

LineModuleSetup replying(const QMap<QString, QString> &replies)
{
    LineModuleSetup setup;
    setup.replies = replies;
    return setup;
}

// A module that answers its serial number, by the letter of its port.
LineModuleSetup module(char letter, const QMap<QString, QString> &replies = {})
{
    LineModuleSetup setup = replying(replies);
    setup.replies.insert("SH", "13A200");
    setup.replies.insert("SL", QString("40F1A00%1").arg(letter - 'A' + 1));
    return setup;
}

} // namespace

class tst_CliFleet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void names_data();
    void names();
    void severalPorts_data();
    void severalPorts();
    void bench();

private:
    CliOptions options(const QStringList &arguments) const;

    IsolatedSettings settings;
    QString profile;
};

void tst_CliFleet::initTestCase()
{
    profile = settings.recordPath() + ".tarnowick-profile";
    QVERIFY(QDir().mkpath(QFileInfo(profile).path()));
    QFile file(profile);
    QVERIFY(file.open(QIODevice::WriteOnly)
            && file.write(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "3333"}})") > 0);
}

CliOptions tst_CliFleet::options(const QStringList &arguments) const
{
    QStringList list{"tarnowick-cli"};
    for (const QString &argument : arguments)
        list.append(argument == "PROFILE" ? profile : argument);
    const bool writes = arguments.value(0) == "write" || arguments.value(0) == "bench";
    return parseCliOptions(list + (writes ? QStringList{"--log", settings.recordPath()} : QStringList()));
}

void tst_CliFleet::names_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("first");
    QTest::addColumn<QStringList>("steps"); // take, keep N, release N
    QTest::addColumn<QStringList>("taken"); // the names the takes gave
    QTest::addColumn<QString>("problem");

    QTest::newRow("zero-padded, from 7") << "SCORE-{n:03}" << 7 << QStringList{"take", "take"}
                                         << QStringList{"SCORE-007", "SCORE-008"} << "";
    // A failed write gives its name to the next module; a kept one never comes again.
    QTest::newRow("a failed write's name comes again")
        << "GATE-{n}" << 1 << QStringList{"take", "take", "release 1", "keep 2", "take", "take"}
        << QStringList{"GATE-1", "GATE-2", "GATE-1", "GATE-3"} << "";
    QTest::newRow("no counter") << "GATE" << 1 << QStringList{} << QStringList{}
                                << "The name pattern GATE needs one counter, {n} or {n:03}.";
    QTest::newRow("longer than a node identifier")
        << "SCOREBOARD-OF-THE-STADIUM-{n}" << 1 << QStringList{} << QStringList{}
        << "The name SCOREBOARD-OF-THE-STADIUM-1 cannot be a node identifier: up to 20 printable characters, not "
           "beginning or ending with a blank.";
    QTest::newRow("a blank at the start") << " MAST-{n}" << 1 << QStringList{} << QStringList{}
                                          << "The name  MAST-1 cannot be a node identifier: up to 20 printable "
                                             "characters, not beginning or ending with a blank.";
}

void tst_CliFleet::names()
{
    QFETCH(QString, pattern);
    QFETCH(int, first);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, taken);
    QFETCH(QString, problem);

    QString said;
    const std::optional<NamePattern> parsed = NamePattern::parse(pattern, first, &said);
    QCOMPARE(said, problem);
    QCOMPARE(parsed.has_value(), problem.isEmpty());
    if (!parsed)
        return;
    NameCounter counter(*parsed, first);
    QStringList names;
    for (const QString &step : steps) {
        if (step == "take")
            names.append(counter.name(counter.take()));
        else if (step.startsWith("keep"))
            counter.keep(step.section(' ', 1).toInt());
        else
            counter.release(step.section(' ', 1).toInt());
    }
    QCOMPARE(names, taken);
}

// clang-format off
void tst_CliFleet::severalPorts_data()
{
    QTest::addColumn<Modules>("modules");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<int>("status");

    const Modules two{{"/dev/A", module('A')}, {"/dev/B", module('B')}};
    const QStringList write{"write", "PROFILE", "--port", "/dev/A", "--port", "/dev/B"};
    QTest::newRow("two written") << two << write
        << QStringList{"/dev/A  13A20040F1A001  written, read back, recorded  1.1 s",
                       "/dev/B  13A20040F1A002  written, read back, recorded  1.1 s",
                       "2 modules: 2 written and verified."} << 0;
    QTest::newRow("one does not answer")
        << Modules{{"/dev/A", module('A')}, {"/dev/B", module('B', {{"+++", "-"}})}} << write
        << QStringList{"/dev/A  13A20040F1A001  written, read back, recorded  1.1 s",
                       "/dev/B                  failed: the module did not answer  5.0 s",
                       "2 modules: 1 written and verified, 1 failed (/dev/B: the module did not answer)."} << 1;
    QTest::newRow("one keeps another ID, one is in use")
        << Modules{{"/dev/A", [] { LineModuleSetup m = module('A'); m.holds.insert("ID", "7FFF"); return m; }()}}
        << write
        << QStringList{"/dev/B                  failed: The port /dev/B is in use by another program.  0.0 s",
                       "/dev/A  13A20040F1A001  written, read back: ID reads back 7FFF, recorded  1.1 s",
                       "2 modules: 2 failed (/dev/B: The port /dev/B is in use by another program.; /dev/A: ID "
                       "reads back 7FFF)."} << 2;
    QTest::newRow("named, the failed module's name is not used up")
        << Modules{{"/dev/A", module('A', {{"+++", "-"}})}, {"/dev/B", module('B')}}
        << (write + QStringList{"--name", "SCORE-{n:03}", "--first", "7"})
        << QStringList{"/dev/B  13A20040F1A002  SCORE-008  written, read back, recorded  1.1 s",
                       "/dev/A                  failed: the module did not answer  5.0 s",
                       "2 modules: 1 written and verified, 1 failed (/dev/A: the module did not answer)."} << 1;
    QTest::newRow("check") << Modules{{"/dev/A", module('A', {{"ID", "3333"}})}, {"/dev/B", module('B', {{"ID", "7FFF"}})}}
        << QStringList{"check", "PROFILE", "--port", "/dev/A", "--port", "/dev/B"}
        << QStringList{"/dev/A  13A20040F1A001  the same as the profile  1.1 s",
                       "/dev/B  13A20040F1A002  differs: ID  1.1 s",
                       "2 modules: 1 the same as the profile, 1 differs."} << 1;
    QTest::newRow("JSON") << two << (write + QStringList{"--json"})
        << QStringList{R"({"mismatches":{},"module":"13A20040F1A001","port":"/dev/A","result":"written, read back, recorded","seconds":1.1,"status":0})",
                       R"({"mismatches":{},"module":"13A20040F1A002","port":"/dev/B","result":"written, read back, recorded","seconds":1.1,"status":0})",
                       R"({"failed":0,"modules":2,"status":0,"succeeded":2,"summary":"2 modules: 2 written and verified."})"} << 0;
}
// clang-format on

void tst_CliFleet::severalPorts()
{
    QFETCH(Modules, modules);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, out);
    QFETCH(int, status);

    LineBench bench;
    for (auto it = modules.begin(); it != modules.end(); ++it)
        bench.plug(it.key(), it.value());
    const CliOptions parsed = options(arguments);
    QCOMPARE(parsed.outcome, CliOptions::Run);
    const LineBench::Ran ran = bench.run(parsed);
    QCOMPARE(ran.printed, out);
    QCOMPARE(ran.status, status);
}

// Modules plugged in one after the other, one left in: each is programmed once
// while its port is there; one that never answers gives its name to the next;
// Ctrl-C in the middle of a write ends the bench with the module out of command mode.
void tst_CliFleet::bench()
{
    LineBench bench;
    QStringList present;
    const CliOptions parsed = options({"bench", "PROFILE", "--name", "GATE-{n}"});
    QCOMPARE(parsed.outcome, CliOptions::Run);
    BenchWatch watch(parsed, bench.opener(), "tarnowick-cli test", bench.clock, [&] { return present; });
    QStringList printed, said;
    QSignalSpy finished(&watch, &BenchWatch::finished);
    connect(&watch, &BenchWatch::output, this, [&](const QString &line) { printed.append(line); });
    connect(&watch, &BenchWatch::message, this, [&](const QString &line) { said.append(line); });
    const auto plug = [&](const QString &port, char letter, const QMap<QString, QString> &replies = {}) {
        bench.plug(port, module(letter, replies));
        present.append(port);
    };
    plug("/dev/A", 'A');
    watch.start();
    bench.clock.advance(3000);
    plug("/dev/B", 'B', {{"+++", "-"}}); // never answers, at any rate
    bench.clock.advance(100000);         // A and B stay in: neither is written again
    present.removeOne("/dev/B");
    bench.clock.advance(1000);
    plug("/dev/B", 'B');
    bench.clock.advance(5000);
    plug("/dev/C", 'C');
    QVERIFY(bench.clock.runUntil([&] { return bench.module("/dev/C")->inCommandMode(); }));
    watch.interrupt();
    QVERIFY(bench.clock.runUntil([&] { return !finished.isEmpty(); }));

    QCOMPARE(printed,
             QStringList({
                 "Waiting for modules on the serial ports; Ctrl-C ends. Next name: GATE-1.",
                 "/dev/A        programming as GATE-1…",
                 "/dev/A        13A20040F1A001  GATE-1  written, read back, recorded  1.1 s",
                 "Next name: GATE-2.",
                 "/dev/B        programming as GATE-2…",
                 "/dev/B                        failed: no module answered at any rate  49.3 s",
                 "Next name: GATE-2.",
                 "/dev/B        programming as GATE-2…",
                 "/dev/B        13A20040F1A002  GATE-2  written, read back, recorded  1.1 s",
                 "Next name: GATE-3.",
                 "/dev/C        programming as GATE-3…",
                 "/dev/C                        interrupted, recorded  1.0 s",
                 "Bench ended: 4 modules: 2 written and verified, 2 failed (/dev/B: no module answered at "
                 "any rate; /dev/C: interrupted).",
             }));
    QCOMPARE(said, QStringList({"\a", "\a"})); // the bell, for each module that failed
    QCOMPARE(finished.constFirst().at(0).toInt(), 130);
    QVERIFY(!bench.module("/dev/C")->inCommandMode());
}

QTEST_GUILESS_MAIN(tst_CliFleet)
#include "tst_clifleet.moc"
