// The command-mode session against a module on a scripted line, on a fake
// clock: the bytes and their times, how runs end, the guard time, the late
// "OK" and the baud-rate search.
#include "sessionbench.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(LineModuleSetup)
Q_DECLARE_METATYPE(Pacing)
Q_DECLARE_METATYPE(RunResult)
Q_DECLARE_METATYPE(RunPlan)

namespace {

const QString readEntries = "VR VH HV TO CM ID MT SH SL DL DH NI PL RR CE BD NB SB RO AP";

// A write when the entries set something, else a read.
RunPlan plan(const QString &entries, Pacing pacing = Pacing::Ticked, int quickFrom = -1)
{
    const QStringList list = entries.split(' ', Qt::SkipEmptyParts);
    const bool write = entries.contains('=') || list.contains("WR");
    return RunPlan{write ? RunKind::Write : RunKind::Read, list, pacing, quickFrom};
}

// Runs that end with the line settled.
struct Bench : SessionBench
{
    using SessionBench::SessionBench;

    // Starts a run and lets the clock run until it has ended and the line has settled.
    bool run(const QString &entries, Pacing pacing = Pacing::Ticked) { return run(plan(entries, pacing)); }

    bool run(const RunPlan &plan)
    {
        const int before = int(outcomes.size());
        if (!session.startRun(plan))
            return false;
        const bool ended = clock.runUntil([&] { return outcomes.size() > before; });
        clock.advance(10000);
        return ended;
    }
};

LineModuleSetup moduleAt(int rate, int guardMs = 1000, const QMap<QString, QString> &replies = {})
{
    LineModuleSetup setup;
    setup.rate = rate;
    setup.guardMs = guardMs;
    setup.replies = replies;
    return setup;
}

QStringList framed(const QString &entries)
{
    return QStringList{"+++"} + entries.split(' ') + QStringList{"CN"};
}

} // namespace

class tst_CommandSession : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void backToBack_data();
    void backToBack();
    void search_data();
    void search();
    void searchAfterFailedRun();
    void searchReentered_data();
    void searchReentered();
    void cancelInCommandMode();
    void readBackInTheSameStay();
    void interrupt_data();
    void interrupt();
    void abandon_data();
    void abandon();
};

// clang-format off
void tst_CommandSession::runs_data()
{
    QTest::addColumn<Pacing>("pacing");
    QTest::addColumn<QString>("entries");
    QTest::addColumn<LineModuleSetup>("module");
    QTest::addColumn<QStringList>("sent");     // over the line, in order
    QTest::addColumn<QStringList>("at");       // some of them with their time
    QTest::addColumn<RunResult>("result");
    QTest::addColumn<qint64>("endedAtMs");     // -1: not checked
    QTest::addColumn<QString>("refused");
    QTest::addColumn<int>("followedRate");     // 0: the port stays
    QTest::addColumn<QString>("framing");      // of the port afterwards

    const auto replies = [](const QMap<QString, QString> &map) { return moduleAt(9600, 1000, map); };
    LineModuleSetup lateOk, stray;
    lateOk.escapeReplyMs = 5500;
    stray.strayLine = "HELLO";
    const QString write = "TO=40 ID=8000 BD=7 WR";

    // Ticks of 1500 ms until "OK", then 100 ms: an entry on the first tick after each reply.
    QTest::newRow("read, ticked") << Pacing::Ticked << readEntries << LineModuleSetup{} << framed(readEntries)
        << QStringList{"+++@0", "VR@1106", "VH@1206", "AP@3006", "CN@3206"} << RunResult::Completed << 3306LL << "" << 0 << "8N1";
    QTest::newRow("read, reply-driven") << Pacing::ReplyDriven << readEntries << LineModuleSetup{} << framed(readEntries)
        << QStringList{"+++@0", "VR@1006", "VH@1016", "CN@1206"} << RunResult::Completed << 1216LL << "" << 0 << "8N1";
    QTest::newRow("write: refusal listed, BD followed") << Pacing::Ticked << write << replies({{"ID=8000", "ERROR"}})
        << framed(write) << QStringList{} << RunResult::Completed << -1LL << "ID=8000" << 115200 << "8N1";
    QTest::newRow("write: refused BD not followed") << Pacing::ReplyDriven << write << replies({{"BD=7", "ERROR"}})
        << framed(write) << QStringList{} << RunResult::Completed << -1LL << "BD=7" << 0 << "8N1";
    // Only "OK" ends command mode: the module still talks at the old rate.
    QTest::newRow("write: ERROR to ATCN") << Pacing::Ticked << write << replies({{"CN", "ERROR"}})
        << framed(write) << QStringList{} << RunResult::ExitRefused << -1LL << "" << 0 << "8N1";
    // Parity and stop bits take effect like the rate; the port follows them too.
    QTest::newRow("write: NB and SB followed") << Pacing::ReplyDriven << "NB=1 SB=1 WR" << LineModuleSetup{}
        << framed("NB=1 SB=1 WR") << QStringList{} << RunResult::Completed << -1LL << "" << 0 << "8E2";
    QTest::newRow("write: refused NB not followed") << Pacing::ReplyDriven << "NB=2 SB=1 WR" << replies({{"NB=2", "ERROR"}})
        << framed("NB=2 SB=1 WR") << QStringList{} << RunResult::Completed << -1LL << "NB=2" << 0 << "8N2";
    QTest::newRow("no answer to +++") << Pacing::Ticked << "VR" << replies({{"+++", "-"}}) << QStringList{"+++"}
        << QStringList{} << RunResult::NoEscapeReply << 5000LL << "" << 0 << "8N1";
    QTest::newRow("+++ refused") << Pacing::ReplyDriven << "VR" << replies({{"+++", "ERROR"}}) << QStringList{"+++"}
        << QStringList{} << RunResult::NotEntered << -1LL << "" << 0 << "8N1";
    // An "OK" after the deadline still means command mode: leave it.
    QTest::newRow("OK past the deadline") << Pacing::Ticked << "VR" << lateOk << QStringList{"+++", "CN"}
        << QStringList{"CN@5503"} << RunResult::NoEscapeReply << 5000LL << "" << 0 << "8N1";
    QTest::newRow("stray line before OK") << Pacing::Ticked << "VR" << stray << QStringList{"+++", "CN"}
        << QStringList{"CN@1006"} << RunResult::NotEntered << -1LL << "" << 0 << "8N1";
    QTest::newRow("no answer to an entry") << Pacing::Ticked << "TO=1 ID=2" << replies({{"TO=1", "-"}})
        << QStringList{"+++", "TO=1", "CN"} << QStringList{"CN@4106"} << RunResult::NoReply << 4106LL << "" << 0 << "8N1";
    // A reply a killed program no longer waited for answers no "+++" of ours.
    LineModuleSetup staleInCommandMode, staleReady;
    staleInCommandMode.staleLine = staleReady.staleLine = "OK";
    staleInCommandMode.inCommandMode = true;
    QTest::newRow("stale OK, module still in command mode") << Pacing::ReplyDriven << "VR" << staleInCommandMode
        << QStringList{"+++"} << QStringList{} << RunResult::NoEscapeReply << 5000LL << "" << 0 << "8N1";
    QTest::newRow("stale OK, the module's own comes later") << Pacing::ReplyDriven << "VR" << staleReady
        << framed("VR") << QStringList{"VR@1006"} << RunResult::Completed << -1LL << "" << 0 << "8N1";
    QTest::newRow("no answer to ATCN") << Pacing::ReplyDriven << "VR" << replies({{"CN", "-"}})
        << QStringList{"+++", "VR", "CN", "CN"} << QStringList{} << RunResult::NoReply << -1LL << "" << 0 << "8N1";
}
// clang-format on

void tst_CommandSession::runs()
{
    QFETCH(Pacing, pacing);
    QFETCH(QString, entries);
    QFETCH(LineModuleSetup, module);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, at);
    QFETCH(RunResult, result);
    QFETCH(qint64, endedAtMs);
    QFETCH(QString, refused);
    QFETCH(int, followedRate);
    QFETCH(QString, framing);

    Bench bench(module);
    QSignalSpy replies(&bench.session, &CommandSession::replyReceived);
    QVERIFY(bench.run(entries, pacing));
    QCOMPARE(bench.sent(), sent);
    for (const QString &token : at)
        QVERIFY2(bench.module.wire().contains(token), qPrintable(bench.module.wire().join(' ')));
    const RunOutcome outcome = bench.outcomes.constFirst();
    QCOMPARE(outcome.result, result);
    if (endedAtMs >= 0)
        QCOMPARE(bench.endedAtMs.constFirst(), endedAtMs);
    QCOMPARE(outcome.refused.join(' '), refused);
    QCOMPARE(outcome.followedRate.value_or(0), followedRate);
    QCOMPARE(bench.module.portRate(), followedRate ? followedRate : 9600);
    QCOMPARE(bench.module.framingOfPort().text(), framing);
    QCOMPARE(outcome.followedFraming.has_value(), framing != "8N1");
    QCOMPARE(replies.size(), outcome.replies.size());
    QVERIFY(result != RunResult::Completed || !bench.module.inCommandMode());
}

void tst_CommandSession::backToBack_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("guardMs");
    QTest::addColumn<int>("gapMs"); // between the end of one run and the start of the next

    // The second "+++" waits for the guard time measured on the first; the
    // margin covers the last bytes still on the wire at a slow rate.
    QTest::newRow("factory guard time at 1200 baud") << 1200 << 1000 << 0;
    QTest::newRow("a Write 0.3 s after a Read at GT 3.3 s") << 9600 << 3300 << 300;
    QTest::newRow("queries at GT 3.3 s, one after another") << 9600 << 3300 << 0;
    QTest::newRow("short guard time") << 115200 << 20 << 0;
}

void tst_CommandSession::backToBack()
{
    QFETCH(int, rate);
    QFETCH(int, guardMs);
    QFETCH(int, gapMs);

    Bench bench(moduleAt(rate, guardMs), rate);
    QVERIFY(bench.session.startRun(plan("DB")));
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    bench.clock.advance(gapMs);
    QVERIFY(bench.run("VR"));
    QCOMPARE(bench.outcomes.size(), 2);
    QCOMPARE(bench.outcomes.at(1).result, RunResult::Completed);
    QCOMPARE(bench.sent().join(' ').remove(QRegularExpression("/\\d+")), "+++ DB CN +++ VR CN");
    // No longer than needed: a short guard time is not waited out as a long one.
    const qint64 secondEscapeMs = bench.module.wire().at(3).section('@', 1).section('/', 0, 0).toLongLong();
    const qint64 firstExitMs = bench.module.wire().at(2).section('@', 1).section('/', 0, 0).toLongLong();
    QVERIFY2(secondEscapeMs - firstExitMs <= qMax(1500, guardMs + 200), qPrintable(bench.module.wire().join(' ')));
}

void tst_CommandSession::search_data()
{
    QTest::addColumn<int>("moduleRate");
    QTest::addColumn<int>("guardMs");
    QTest::addColumn<int>("userRate");
    QTest::addColumn<bool>("junk");     // a line with "OK" in it arrives at the first rate tried
    QTest::addColumn<int>("found");     // 0: none
    QTest::addColumn<bool>("slowPass"); // the slow pass was needed
    QTest::addColumn<qint64>("withinMs");

    QTest::newRow("factory module, selector at 115200") << 9600 << 1000 << 115200 << false << 9600 << false << 3000LL;
    QTest::newRow("at 1200, the last rate tried") << 1200 << 1000 << 9600 << false << 1200 << false << 14000LL;
    QTest::newRow("junk with OK picks no rate") << 57600 << 1000 << 9600 << true << 57600 << false << 14000LL;
    QTest::newRow("guard time 2 s") << 9600 << 2000 << 9600 << false << 9600 << true << 60000LL;
    QTest::newRow("guard time 3.3 s at 1200") << 1200 << 3300 << 9600 << false << 1200 << true << 60000LL;
    QTest::newRow("nobody answers") << 230400 << 1000 << 19200 << false << 0 << true << 60000LL;
}

void tst_CommandSession::search()
{
    QFETCH(int, moduleRate);
    QFETCH(int, guardMs);
    QFETCH(int, userRate);
    QFETCH(bool, junk);
    QFETCH(int, found);
    QFETCH(bool, slowPass);
    QFETCH(qint64, withinMs);

    Bench bench(moduleAt(moduleRate, guardMs), userRate);
    QSignalSpy trying(&bench.session, &CommandSession::searchTrying);
    QSignalSpy foundAt(&bench.session, &CommandSession::searchFound);
    QSignalSpy exhausted(&bench.session, &CommandSession::searchExhausted);
    if (junk) {
        QObject::connect(&bench.session, &CommandSession::searchTrying, [&](int attempt) {
            if (attempt == 0)
                bench.clock.at(bench.clock.nowMs() + 1300, [&] { bench.session.takeLine("\x92OK\xF0"); });
        });
    }
    bench.session.startSearch();
    QVERIFY(bench.clock.runUntil([&] { return !bench.session.searching(); }, withinMs));
    QCOMPARE(trying.constFirst().at(1).toInt(), 9600); // most modules still run at the factory rate
    QCOMPARE(foundAt.isEmpty() ? 0 : foundAt.constFirst().at(0).toInt(), found);
    QCOMPARE(exhausted.size(), found ? 0 : 1);
    QCOMPARE(trying.constLast().at(2).toBool(), slowPass);
    QCOMPARE(bench.module.portRate(), found ? found : userRate);
    bench.clock.advance(10000);
    QVERIFY(!bench.module.inCommandMode());
    // Found, the session reaches the module at once.
    if (found) {
        QVERIFY(bench.run("SL"));
        QCOMPARE(bench.outcomes.constLast().result, RunResult::Completed);
    }
}

// The search's own ATCN is answered "OK" within the failed run's late-reply
// window; that "OK" must not be taken for the run's and answered again.
void tst_CommandSession::searchAfterFailedRun()
{
    Bench bench(moduleAt(115200));
    QVERIFY(bench.session.startRun(plan("VR")));
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    QCOMPARE(bench.outcomes.constFirst().result, RunResult::NoEscapeReply);
    bench.session.startSearch();
    bench.clock.advance(20000);
    QCOMPARE(bench.sent(), QStringList({"+++", "+++", "+++/115200", "CN/115200"}));
}

void tst_CommandSession::searchReentered_data()
{
    QTest::addColumn<bool>("cancel"); // else a late "OK" of the previous rate comes
    QTest::newRow("Cancel while the progress shows the next rate") << true;
    QTest::newRow("OK of the previous rate while the progress shows the next") << false;
}

// Whoever shows the progress may process events inside searchTrying: what
// they bring must meet a search that has already moved on.
void tst_CommandSession::searchReentered()
{
    QFETCH(bool, cancel);

    Bench bench(moduleAt(9600, 1000, {{"+++", "-"}}));
    QSignalSpy found(&bench.session, &CommandSession::searchFound);
    QObject::connect(&bench.session, &CommandSession::searchTrying, [&](int attempt) {
        // Nothing else gets on the line while the port moves from rate to rate.
        QVERIFY(!bench.session.sendData("THE QUICK BROWN FOX 1\r") && !bench.session.startRun(plan("VR")));
        if (attempt == 1 && cancel)
            bench.session.cancelSearch();
        else if (attempt == 1)
            bench.session.takeLine("OK");
    });
    bench.session.startSearch();
    bench.clock.advance(cancel ? 20000 : 1600);
    if (cancel) {
        QVERIFY(!bench.session.searching());
        QCOMPARE(bench.sent(), QStringList{"+++"});
        QCOMPARE(bench.module.portRate(), 9600);
    } else {
        QVERIFY(found.isEmpty());
        QVERIFY(bench.session.searching());
    }
}

// Cancelled right after the module took "+++": it leaves command mode at its
// own rate before the port goes back to the user's.
void tst_CommandSession::cancelInCommandMode()
{
    Bench bench(moduleAt(1200));
    bench.session.startSearch();
    QVERIFY(bench.clock.runUntil([&] { return bench.module.inCommandMode(); }, 14000));
    bench.session.cancelSearch();
    bench.clock.advance(5000);
    QCOMPARE(bench.sent().mid(bench.sent().size() - 2), QStringList({"+++/1200", "CN/1200"}));
    QVERIFY(!bench.module.inCommandMode());
    QCOMPARE(bench.module.portRate(), 9600);
}

// The window's write keeps its ticks up to WR; what reads it back goes out
// as soon as each reply has come, and ATCN right after the last.
void tst_CommandSession::readBackInTheSameStay()
{
    Bench bench;
    QVERIFY(bench.run(plan("TO=1 WR ID SL", Pacing::Ticked, 2)));
    QCOMPARE(bench.sent(), framed("TO=1 WR ID SL"));
    QCOMPARE(bench.module.wire().mid(1, 2), QStringList({"TO=1@1106", "WR@1206"}));
    QCOMPARE(bench.outcomes.constFirst().result, RunResult::Completed);
    QVERIFY2(bench.endedAtMs.constFirst() < 1206 + 100, qPrintable(bench.module.wire().join(' ')));
}

void tst_CommandSession::interrupt_data()
{
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("when"); // the entry whose sending triggers it; "+++", or "" before anything
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<RunResult>("result");
    QTest::addColumn<bool>("entered");
    QTest::addColumn<int>("replies");

    const QString write = "TO=1 ID=2 MT=3 WR ID SL";
    QTest::newRow("in the silence before +++") << write << "" << QStringList{} << RunResult::Interrupted << false << 0;
    QTest::newRow("waiting for OK to +++")
        << write << "+++" << QStringList{"+++", "CN"} << RunResult::Interrupted << true << 0;
    QTest::newRow("waiting for a setting's reply")
        << write << "ID=2" << QStringList{"+++", "TO=1", "ID=2", "CN"} << RunResult::Interrupted << true << 2;
    QTest::newRow("reading back, after WR")
        << write << "ID" << QStringList{"+++", "TO=1", "ID=2", "MT=3", "WR", "ID", "CN"} << RunResult::Interrupted
        << true << 5;
    QTest::newRow("waiting for ATCN's OK") << "VR"
                                           << "CN" << framed("VR") << RunResult::Completed << true << 1;
}

// A signal stops the run: no further entry (WR only if it went out
// already), and command mode is left once the reply waited for has come.
void tst_CommandSession::interrupt()
{
    QFETCH(QString, entries);
    QFETCH(QString, when);
    QFETCH(QStringList, sent);
    QFETCH(RunResult, result);
    QFETCH(bool, entered);
    QFETCH(int, replies);

    Bench bench;
    bench.session.sendData("x"); // the guard time's silence is still to come
    const int before = int(bench.module.wire().size());
    QObject never;
    const auto check = [&] {
        const QStringList wire = bench.module.wire().mid(before);
        if (!wire.isEmpty() && wire.constLast().startsWith(when + '@'))
            bench.session.interrupt();
    };
    QObject::connect(&bench.session, &CommandSession::entrySent, &never, check);
    QObject::connect(&bench.session, &CommandSession::exitSent, &never, check);
    QVERIFY(bench.session.startRun(plan(entries, Pacing::ReplyDriven, 4)));
    if (when.isEmpty())
        bench.session.interrupt();
    else if (when == "+++")
        QVERIFY(bench.clock.runUntil([&] { return bench.module.wire().size() > before; }));
    if (when == "+++")
        bench.session.interrupt();
    QVERIFY(bench.clock.runUntil([&] { return !bench.outcomes.isEmpty(); }));
    bench.clock.advance(10000);
    QCOMPARE(bench.sent().mid(1), sent);
    const RunOutcome outcome = bench.outcomes.constFirst();
    QCOMPARE(outcome.result, result);
    QCOMPARE(outcome.interrupted, result == RunResult::Interrupted);
    QCOMPARE(outcome.entered, entered);
    QCOMPARE(outcome.replies.size(), replies);
    QVERIFY(!bench.module.inCommandMode());
}

void tst_CommandSession::abandon_data()
{
    QTest::addColumn<bool>("enteredFirst"); // else the port goes while "+++" waits for its silence
    QTest::newRow("in command mode: ATCN goes after it") << true;
    QTest::newRow("before +++: nothing goes out") << false;
}

void tst_CommandSession::abandon()
{
    QFETCH(bool, enteredFirst);

    Bench bench;
    bench.session.sendData("x");
    QVERIFY(bench.session.startRun(plan("VR VH", Pacing::ReplyDriven)));
    if (enteredFirst)
        QVERIFY(bench.clock.runUntil([&] { return bench.session.inCommandMode(); }));
    bench.session.abandonRun();
    QCOMPARE(bench.outcomes.size(), 1);
    QCOMPARE(bench.outcomes.constFirst().result, RunResult::PortClosed);
    QVERIFY(!bench.session.isBusy());
    bench.clock.advance(10000);
    QCOMPARE(bench.sent().mid(1).join(' ').remove(QRegularExpression(" VR| VH")), enteredFirst ? "+++ CN" : "");
}

QTEST_GUILESS_MAIN(tst_CommandSession)
#include "tst_commandsession.moc"
