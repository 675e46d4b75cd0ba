// The console's stay in command mode against a module on a scripted line,
// on a fake clock: the countdown of the module's own time-out, how a stay
// ends and where the port is left, that nothing else gets on the line
// meanwhile, and the stays of typed commands both front ends present.
#include "logic/atstay.h"
#include "logic/commandsession.h"
#include "logic/consoletexts.h"
#include "sessionbench.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(LineModuleSetup)
Q_DECLARE_METATYPE(RunResult)
Q_DECLARE_METATYPE(JobStatus)

namespace {

using Replies = QMap<QString, QString>;

LineModuleSetup moduleWith(const Replies &replies, int rate = 9600)
{
    LineModuleSetup setup;
    setup.rate = rate;
    setup.replies = replies;
    return setup;
}

// A console's stay on the bench.
struct Bench : SessionBench
{
    explicit Bench(const LineModuleSetup &setup = {})
        : SessionBench(setup, setup.rate)
    {
    }

    bool enter()
    {
        return session.startStay() && clock.runUntil([&] { return session.stayHolding(); });
    }
    // Sends and waits for the reply; false if the stay did not take the entry.
    bool send(const QString &entry)
    {
        return session.sendInStay(entry) && clock.runUntil([&] { return session.stayHolding() || !session.isBusy(); });
    }
    // "send:NO" (and wait for the reply), "post:NO" (and go on at once),
    // "wait:3000", "leave", "interrupt", "abandon"; "port:115200" checks the port's rate.
    void play(const QStringList &steps)
    {
        for (const QString &step : steps) {
            const QString argument = step.section(':', 1);
            if (step.startsWith("send:"))
                QVERIFY2(send(argument), qPrintable(step));
            else if (step.startsWith("post:"))
                QVERIFY2(session.sendInStay(argument), qPrintable(step));
            else if (step.startsWith("wait:"))
                clock.advance(argument.toInt());
            else if (step == "leave")
                session.leaveStay();
            else if (step == "interrupt")
                session.interrupt();
            else if (step == "abandon")
                session.abandonRun();
            else if (step.startsWith("port:"))
                QCOMPARE(module.portRate(), argument.toInt());
        }
    }
    // When the last entry of that name went out.
    qint64 sentAt(const QString &entry) const
    {
        qint64 at = -1;
        for (const QString &token : module.wire()) {
            if (token.section('@', 0, 0) == entry)
                at = token.section('@', 1).section('/', 0, 0).toLongLong();
        }
        return at;
    }
};

} // namespace

class tst_ConsoleStay : public QObject
{
    Q_OBJECT

private slots:
    void countdown_data();
    void countdown();
    void leaving_data();
    void leaving();
    void nothingElseMeanwhile();
    void typedCommands_data();
    void typedCommands();
    void lineByLine();
};

// clang-format off
void tst_ConsoleStay::countdown_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");    // the countdown after the steps
    QTest::addColumn<QString>("from");     // the command the module counts from
    QTest::addColumn<qint64>("timeoutMs"); // CT in effect

    QTest::newRow("CT read on entry") << Replies{{"CT", "64"}} << QStringList{}
        << "In command mode — leaves by itself in 10 s" << "CT" << 10000LL;
    QTest::newRow("each command starts it again") << Replies{{"CT", "32"}, {"NO", "0"}} << QStringList{"wait:3000", "send:NO"}
        << "In command mode — leaves by itself in 5 s" << "NO" << 5000LL;
    // The module takes an "ERROR" for no command at all.
    QTest::newRow("an ERROR is no command") << Replies{{"CT", "32"}, {"XX", "ERROR"}} << QStringList{"wait:3000", "send:XX"}
        << "In command mode — leaves by itself in 2 s" << "CT" << 5000LL;
    // A CT set takes effect once applied (AC, WR), not before.
    QTest::newRow("CT set, not applied") << Replies{{"CT", "64"}} << QStringList{"send:CT 20"}
        << "In command mode — leaves by itself in 10 s" << "CT 20" << 10000LL;
    QTest::newRow("CT set and applied") << Replies{{"CT", "64"}} << QStringList{"send:CT 20", "send:AC"}
        << "In command mode — leaves by itself in 4 s" << "AC" << 3200LL;
    QTest::newRow("CT set and stored") << Replies{{"CT", "64"}} << QStringList{"send:CT=0x1E", "send:WR"}
        << "In command mode — leaves by itself in 3 s" << "WR" << 3000LL;
    // Asked after a set, the module answers the value set, not the one in effect.
    QTest::newRow("a CT the module does not know") << Replies{{"CT", "ERROR"}, {"NO", "0"}} << QStringList{"send:NO"}
        << "In command mode — leaves by itself in 10 s" << "NO" << 10000LL;
}
// clang-format on

// The module leaves command mode CT after the last command it took; the
// stay counts it down from when that command went out and ends there,
// without an ATCN that would now go over the air.
void tst_ConsoleStay::countdown()
{
    QFETCH(Replies, replies);
    QFETCH(QStringList, steps);
    QFETCH(QString, shown);
    QFETCH(QString, from);
    QFETCH(qint64, timeoutMs);

    Bench bench(moduleWith(replies));
    QVERIFY(bench.enter());
    bench.play(steps);
    QVERIFY(bench.session.stayHolding());
    QCOMPARE(ConsoleText::inCommandMode(bench.session.stayRemainingMs()), shown);
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    QCOMPARE(bench.outcomes.constFirst().result, RunResult::LeftByItself);
    QCOMPARE(bench.endedAtMs.constFirst(), bench.sentAt(from) + timeoutMs);
    QVERIFY(!bench.sent().contains("CN"));
    QCOMPARE(bench.session.stayRemainingMs(), 0);
}

// clang-format off
void tst_ConsoleStay::leaving_data()
{
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");  // after "+++" and "CT"
    QTest::addColumn<RunResult>("result");
    QTest::addColumn<int>("rate");          // of the port afterwards
    QTest::addColumn<QString>("framing");

    const LineModuleSetup plain = moduleWith({});
    QTest::newRow("Leave") << plain << QStringList{"send:NO", "leave"} << QStringList{"NO", "CN"}
        << RunResult::Completed << 9600 << "8N1";
    // The module takes a new rate on leaving; its OK still comes at the old one.
    QTest::newRow("BD followed on leaving") << plain << QStringList{"send:BD 7", "port:9600", "leave"}
        << QStringList{"BD 7", "CN"} << RunResult::Completed << 115200 << "8N1";
    QTest::newRow("BD followed once applied") << plain << QStringList{"send:BD 7", "send:AC", "port:115200", "send:NO", "leave"}
        << QStringList{"BD 7", "AC", "NO/115200", "CN/115200"} << RunResult::Completed << 115200 << "8N1";
    QTest::newRow("BD refused, not followed") << moduleWith({{"BD 7", "ERROR"}}) << QStringList{"send:BD 7", "leave"}
        << QStringList{"BD 7", "CN"} << RunResult::Completed << 9600 << "8N1";
    QTest::newRow("BD followed when the module leaves by itself") << plain << QStringList{"send:BD=6", "wait:20000"}
        << QStringList{"BD=6"} << RunResult::LeftByItself << 57600 << "8N1";
    QTest::newRow("NB and SB followed") << plain << QStringList{"send:NB 1", "send:SB1", "leave"}
        << QStringList{"NB 1", "SB1", "CN"} << RunResult::Completed << 9600 << "8E2";
    QTest::newRow("factory settings bring the port back to 9600") << moduleWith({}, 19200) << QStringList{"send:RE", "leave"}
        << QStringList{"RE/19200", "CN/19200"} << RunResult::Completed << 9600 << "8N1";
    // A typed chain ending in ATCN leaves: no second one follows.
    QTest::newRow("a chain ending in CN") << moduleWith({{"ID3333,WR,CN", "OK\nOK\nOK"}})
        << QStringList{"send:ID3333,WR,CN"} << QStringList{"ID3333,WR,CN"} << RunResult::Completed << 9600 << "8N1";
    QTest::newRow("Leave while a reply is awaited") << plain << QStringList{"post:NO", "leave"}
        << QStringList{"NO", "CN"} << RunResult::Completed << 9600 << "8N1";
    QTest::newRow("Ctrl-C") << plain << QStringList{"send:NO", "interrupt"} << QStringList{"NO", "CN"}
        << RunResult::Interrupted << 9600 << "8N1";
    QTest::newRow("the port closes") << plain << QStringList{"send:BD 7", "abandon"} << QStringList{"BD 7", "CN"}
        << RunResult::PortClosed << 9600 << "8N1";
    QTest::newRow("the module stops answering") << moduleWith({{"NO", "-"}}) << QStringList{"send:NO"}
        << QStringList{"NO", "CN"} << RunResult::NoReply << 9600 << "8N1";
}
// clang-format on

void tst_ConsoleStay::leaving()
{
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QFETCH(RunResult, result);
    QFETCH(int, rate);
    QFETCH(QString, framing);

    Bench bench(module);
    QVERIFY(bench.enter());
    bench.play(steps);
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    bench.clock.advance(10000);
    const QString at = module.rate != 9600 ? QString("/%1").arg(module.rate) : QString();
    QCOMPARE(bench.sent(), QStringList({"+++" + at, "CT" + at}) + sent);
    const RunOutcome outcome = bench.outcomes.constFirst();
    QCOMPARE(outcome.result, result);
    QCOMPARE(bench.module.portRate(), rate);
    QCOMPARE(bench.session.portRate(), rate);
    QCOMPARE(outcome.followedRate.value_or(module.rate), rate);
    QCOMPARE(bench.module.framingOfPort().text(), framing);
    QCOMPARE(bench.outcomes.size(), 1);
}

// While the stay holds command mode no other run starts, no search, and no
// data byte gets on the line, where the module would take it for a command.
void tst_ConsoleStay::nothingElseMeanwhile()
{
    Bench bench(moduleWith({{"NO", "-"}}));
    QVERIFY(bench.enter());
    QVERIFY(bench.session.isBusy());
    QVERIFY(bench.session.inCommandMode());
    QVERIFY(!bench.session.startRun(RunPlan{RunKind::RssiQuery, {"DB"}, Pacing::ReplyDriven, -1}));
    bench.session.startSearch();
    QVERIFY(!bench.session.searching());
    QVERIFY(!bench.session.sendData("THE QUICK BROWN FOX 1\r"));
    QVERIFY(!bench.session.startStay());
    QVERIFY(bench.session.sendInStay("NO"));
    QVERIFY(!bench.session.sendInStay("VR")); // one at a time
    bench.clock.advance(1000);
    QCOMPARE(bench.sent(), QStringList({"+++", "CT", "NO"}));
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    QVERIFY(bench.session.sendData("x"));
}

// clang-format off
void tst_ConsoleStay::typedCommands_data()
{
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("interruptAt"); // Ctrl-C as this entry goes out
    QTest::addColumn<QStringList>("sent");    // after "+++" and "CT"
    QTest::addColumn<JobStatus>("status");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("problems"); // and notes
    QTest::addColumn<QString>("record");       // written, module, reason; empty: none

    const LineModuleSetup module = moduleWith({{"NO", "0"}, {"SH", "13A200"}, {"SL", "40F1A001"}, {"VR", "8059"},
                                               {"ID 99999", "ERROR"}, {"ID1,WR", "OK\nOK"}});
    LineModuleSetup noParity = module;
    noParity.portTakesParity = false;

    QTest::newRow("AT added") << module << QStringList{"no"} << ""
        << QStringList{"no", "CN"} << JobStatus::Done << QStringList{"ATno → OK"} << QStringList{} << "";
    QTest::newRow("NB 1 on a port without parity") << noParity << QStringList{"ATNB 1"} << "" << QStringList{}
        << JobStatus::BadRequest << QStringList{}
        << QStringList{"This port cannot use even parity: writing NB=1 would cut it off from the module.",
                       "Nothing was sent: ATNB 1 may cut this PC off from the module; --force sends it anyway."} << "";
    QTest::newRow("ATCN is the stay's own") << module << QStringList{"ATNO", "ATCN"} << "" << QStringList{}
        << JobStatus::BadRequest << QStringList{}
        << QStringList{"ATCN is not needed: tarnowick-cli at leaves command mode itself after the last command."} << "";
    // An ATWR the module took is recorded; the stay asks who the module is.
    QTest::newRow("WR recorded") << module << QStringList{"ATNI GATE-WEST", "ATID=3333", "ATWR", "ATDL 0"} << ""
        << QStringList{"NI GATE-WEST", "ID=3333", "WR", "SH", "SL", "VR", "DL 0", "CN"} << JobStatus::Done
        << QStringList{"ATNI GATE-WEST → OK", "ATID=3333 → OK", "ATWR → OK", "ATDL 0 → OK"} << QStringList{}
        << "ID=3333 NI=GATE-WEST | SH=13A200 SL=40F1A001 VR=8059 | not read back";
    QTest::newRow("WR after the serial was asked") << module << QStringList{"ATSL", "ATID1,WR"} << ""
        << QStringList{"SL", "ID1,WR", "SH", "VR", "CN"} << JobStatus::Done
        << QStringList{"ATSL → 40F1A001", "ATID1,WR → OK, OK"} << QStringList{}
        << "ID=1 | SH=13A200 SL=40F1A001 VR=8059 | not read back";
    QTest::newRow("Ctrl-C") << module << QStringList{"ATNI A", "ATWR", "ATNO"} << "WR"
        << QStringList{"NI A", "WR", "CN"} << JobStatus::Interrupted << QStringList{"ATNI A → OK", "ATWR → OK"}
        << QStringList{"Interrupted: 2 of 3 commands were sent; the module was told to leave command mode."}
        << "NI=A |  | interrupted";
    QTest::newRow("no answer") << moduleWith({{"+++", "-"}}) << QStringList{"ATNO"} << "" << QStringList{}
        << JobStatus::ModuleFailed << QStringList{}
        << QStringList{"The module did not answer. Check the port, the baud rate and the module's power."} << "";
}
// clang-format on

// tarnowick-cli at: the lines in order in one stay, what each got, and how the stay ended.
void tst_ConsoleStay::typedCommands()
{
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, lines);
    QFETCH(QString, interruptAt);
    QFETCH(QStringList, sent);
    QFETCH(JobStatus, status);
    QFETCH(QStringList, results);
    QFETCH(QStringList, problems);
    QFETCH(QString, record);

    QTemporaryDir folder;
    Bench bench(module);
    const QString log = folder.filePath("record.jsonl");
    AtStay stay(bench.session, {lines, false, log, "tarnowick-cli test", "/dev/ttyTEST"});
    QSignalSpy finished(&stay, &AtStay::finished);
    QObject::connect(&bench.session, &CommandSession::entrySent, &stay, [&](int index) {
        if (bench.sent().constLast() == interruptAt && index > 0)
            stay.interrupt();
    });
    QVERIFY(stay.start());
    QVERIFY(bench.clock.runUntil([&] { return !finished.isEmpty(); }));
    bench.clock.advance(10000);

    QCOMPARE(bench.sent().mid(2), sent);
    const JobOutcome outcome = finished.constFirst().constFirst().value<JobOutcome>();
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.texts(JobLine::Result), results);
    QCOMPARE(outcome.texts(JobLine::Problem) + outcome.texts(JobLine::Note), problems);
    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(log, &error);
    QCOMPARE(records.size(), record.isEmpty() ? 0 : 1);
    if (records.isEmpty())
        return;
    const ProgrammingRecord &kept = records.constFirst();
    const auto pairs = [](const SettingValues &values) {
        QStringList list;
        for (auto it = values.begin(); it != values.end(); ++it)
            list.append(it.key() + '=' + it.value());
        list.sort();
        return list.join(' ');
    };
    QCOMPARE(QString("%1 | %2 | %3").arg(pairs(kept.written), pairs(kept.module), kept.reason), record);
    QCOMPARE(kept.interrupted, status == JobStatus::Interrupted);
    QVERIFY(!kept.verified);
}

// The window's console: a line at a time as the technician sends it; the
// stay's own questions after an ATWR go first, and the console waits for them.
void tst_ConsoleStay::lineByLine()
{
    QTemporaryDir folder;
    Bench bench(moduleWith({{"SH", "13A200"}, {"SL", "40F1A002"}, {"VR", "8059"}}));
    AtStay stay(bench.session, {{}, false, folder.filePath("record.jsonl"), "tarnowick test", "/dev/ttyTEST"});
    QSignalSpy ready(&stay, &AtStay::ready);
    QSignalSpy answered(&stay, &AtStay::answered);
    QSignalSpy finished(&stay, &AtStay::finished);
    QVERIFY(!stay.send("ATNO")); // not in command mode yet
    QVERIFY(stay.start());
    QVERIFY(bench.clock.runUntil([&] { return stay.isReady(); }));
    QCOMPARE(ready.size(), 1);
    QVERIFY(stay.send("NI GATE-EAST"));
    QVERIFY(!stay.isReady());
    QVERIFY(bench.clock.runUntil([&] { return stay.isReady(); }));
    QVERIFY(stay.send("ATWR"));
    QVERIFY(bench.clock.runUntil([&] { return ready.size() == 3; }));
    QCOMPARE(bench.sent(), QStringList({"+++", "CT", "NI GATE-EAST", "WR", "SH", "SL", "VR"}));
    QCOMPARE(answered.size(), 2);
    QCOMPARE(answered.at(1), QVariantList({"ATWR", QStringList{"OK"}}));
    QVERIFY(stay.send("atcn"));
    QVERIFY(bench.clock.runUntil([&] { return !finished.isEmpty(); }));
    QCOMPARE(bench.sent().constLast(), "CN");
    const JobOutcome outcome = finished.constFirst().constFirst().value<JobOutcome>();
    QCOMPARE(outcome.status, JobStatus::Done);
    QCOMPARE(outcome.record->module.value("SL"), "40F1A002");
    QCOMPARE(outcome.record->written, SettingValues({{"NI", "GATE-EAST"}}));
}

QTEST_GUILESS_MAIN(tst_ConsoleStay)
#include "tst_consolestay.moc"
