#include "app/configsequence.h"
#include "catalogue/atcommands.h"
#include "debugtranscript.h"
#include "messageboxcatcher.h"
#include "offlinedialog.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

// What a module with factory settings answers; "+++", sets and "CN" get "OK".
const QHash<QString, QByteArray> registers = {
    {"VR", "8059"}, {"VH", "1B"},     {"HV", "2248"},     {"TO", "C0"},   {"CM", "3EFFFDFF"}, {"ID", "7FFF"},
    {"MT", "3"},    {"SH", "13A200"}, {"SL", "41B2C3D4"}, {"DL", "FFFF"}, {"DH", "0"},        {"NI", " "},
    {"PL", "4"},    {"RR", "A"},      {"CE", "0"},        {"BD", "3"},    {"NB", "0"},        {"SB", "0"},
    {"RO", "3"},    {"AP", "1"},      {"DB", "4A"},
};

QString entryOf(const QByteArray &sent)
{
    return QString::fromUtf8(sent.mid(2, sent.size() - 3)); // "AT", entry, CR
}

QByteArray factoryModule(const QByteArray &sent)
{
    const QString entry = entryOf(sent);
    return sent.startsWith("AT") && registers.contains(entry) ? registers.value(entry) : QByteArray("OK");
}

QList<QByteArray> framed(const QStringList &entries)
{
    QList<QByteArray> bytes{"+++"};
    for (const QString &entry : entries)
        bytes.append("AT" + entry.toUtf8() + '\r');
    bytes.append("ATCN\r");
    return bytes;
}

QWidget *child(OfflineDialog &bench, const char *name)
{
    return bench.dialog.findChild<QWidget *>(QLatin1String(name));
}

void startRun(OfflineDialog &bench, int type)
{
    if (type == RunRead)
        static_cast<QPushButton *>(child(bench, "btnReadSettings"))->click();
    else if (type == RunWrite)
        static_cast<QPushButton *>(child(bench, "btnWriteSettings"))->click();
    else
        bench.probe.startRun(RunRssiQuery, {"DB"});
}

// Plays the module up to the moment the sequencer waits in `state` for the
// first time (for state 4, the reply to the first entry).
void runUntilWaitingIn(OfflineDialog &bench, int state)
{
    for (int step = 0; step < 1000 && bench.probe.commandState() != state; ++step) {
        const int now = bench.probe.commandState();
        if (now == StateAwaitEscapeReply || now == StateAwaitCommandReply || now == StateAwaitExitReply)
            bench.reply(factoryModule(bench.lastSent()));
        else
            bench.tick();
    }
}

} // namespace

class tst_Sequencer : public QObject
{
    Q_OBJECT

private slots:
    void catalogue();
    void readRunSendsEachEntryOnce();
    void scoreboardWriteRun();
    void rssiQueryRun();
    void escapeReply_data();
    void escapeReply();
    void emptyLineIsAReply();
    void secondReplyLine_data();
    void secondReplyLine();
    void requestsDuringARunAreDropped();
    void noneDuringARunEndsIt();
    void writeRefusals_data();
    void writeRefusals();
    void deadline_data();
    void deadline();
};

void tst_Sequencer::catalogue()
{
    QCOMPARE(atCommandList.size(), 20);
    QCOMPARE(atCommandList.mid(0, 3), QStringList({"VR", "VH", "HV"}));
    QCOMPARE(atCommandList.mid(18), QStringList({"RO", "AP"}));
    for (const char *absent : {"MM", "WR", "DB", "CN"})
        QVERIFY2(!atCommandList.contains(QLatin1String(absent)), absent);
}

void tst_Sequencer::readRunSendsEachEntryOnce()
{
    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *progress = static_cast<QProgressBar *>(child(bench, "progressBar"));
    DebugTranscript transcript;

    startRun(bench, RunRead);
    QCOMPARE(bench.sent(), QList<QByteArray>{"+++"});
    QCOMPARE(bench.probe.commandTimer()->interval(), 1500);
    QVERIFY(bench.probe.commandTimer()->isActive());
    QVERIFY(progress->isHidden());

    bench.reply("OK");
    QCOMPARE(bench.probe.commandTimer()->interval(), 100);
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->maximum(), 20);

    // While entry i is outstanding the bar shows i.
    for (int i = 0; i < atCommandList.size(); ++i) {
        bench.tick();
        QCOMPARE(bench.lastSent(), "AT" + atCommandList.at(i).toUtf8() + '\r');
        QCOMPARE(progress->value(), i);
        bench.reply(factoryModule(bench.lastSent()));
    }
    bench.runToEnd(factoryModule);

    QCOMPARE(bench.sent(), framed(atCommandList));
    QVERIFY(progress->isHidden());
    QVERIFY(!bench.probe.commandTimer()->isActive());
    QCOMPARE(bench.probe.runType(), int(RunNone));
    QCOMPARE(boxes.count(), 0);

    QStringList expected{"Sending +++", "RX: \"OK\"", "Entered command mode"};
    const QStringList loggedOnly{"VR", "VH", "HV", "NI", "PL", "RR", "CE"};
    for (const QString &name : atCommandList) {
        const QString reply = QString::fromUtf8(registers.value(name)).trimmed();
        expected << QString("Sending AT \"%1\"").arg(name) << QString("RX: \"%1\"").arg(reply);
        if (loggedOnly.contains(name))
            expected << QString("Command  \"%1\"  response:  \"%2\"").arg(name, reply);
    }
    expected << "Exiting command mode"
             << "RX: \"OK\""
             << "Exited command mode";
    QCOMPARE(transcript.lines(), expected);
}

void tst_Sequencer::scoreboardWriteRun()
{
    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    static_cast<QComboBox *>(child(bench, "cmbConfiguration"))->setCurrentIndex(1);

    startRun(bench, RunWrite);
    bench.runToEnd(factoryModule);

    QCOMPARE(bench.sent(),
             framed({"TO=40", "CM=3EFFFC00", "ID=3333", "MT=0", "DL=FFFF", "DH=0", "BD=3", "NB=0", "SB=0", "RO=3",
                     "AP=0", "WR"}));
    QCOMPARE(bench.sent().size(), 14);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Information);
    QCOMPARE(boxes.boxes().at(0).title, QString("Write settings"));
    QCOMPARE(boxes.boxes().at(0).text, QString("All settings have been written to the device."));
    QCOMPARE(bench.probe.commandState(), int(StateIdle));
}

void tst_Sequencer::rssiQueryRun()
{
    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *progress = static_cast<QProgressBar *>(child(bench, "progressBar"));

    startRun(bench, RunRssiQuery);
    bench.reply("OK");
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->maximum(), 1);
    bench.runToEnd(factoryModule);

    QCOMPARE(bench.sent(), QList<QByteArray>({"+++", "ATDB\r", "ATCN\r"}));
    QVERIFY(progress->isHidden());
    QCOMPARE(bench.probe.runType(), int(RunNone));
    QCOMPARE(boxes.count(), 0);
}

// clang-format off
void tst_Sequencer::escapeReply_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("entered");
    QTest::addColumn<QString>("title"); // of the warning; empty: no message

    const QString read = "Read settings";
    const QString write = "Write settings";
    QTest::newRow("read, OK") << int(RunRead) << QByteArray("OK") << true << QString();
    QTest::newRow("read, NOK counts") << int(RunRead) << QByteArray("NOK") << true << QString();
    QTest::newRow("read, lower-case ok") << int(RunRead) << QByteArray("ok") << false << read;
    QTest::newRow("read, error line") << int(RunRead) << QByteArray("ERROR") << false << read;
    QTest::newRow("read, empty line") << int(RunRead) << QByteArray() << false << read;
    QTest::newRow("write, lower-case ok") << int(RunWrite) << QByteArray("ok") << false << write;
    QTest::newRow("write, radio data") << int(RunWrite) << QByteArray("THE QUICK BROWN FOX 3") << false << write;
    QTest::newRow("rssi query, OK") << int(RunRssiQuery) << QByteArray("OK") << true << QString();
    QTest::newRow("rssi query, error line") << int(RunRssiQuery) << QByteArray("ERROR") << false << QString();
}
// clang-format on

void tst_Sequencer::escapeReply()
{
    QFETCH(int, type);
    QFETCH(QByteArray, reply);
    QFETCH(bool, entered);
    QFETCH(QString, title);

    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *progress = static_cast<QProgressBar *>(child(bench, "progressBar"));

    startRun(bench, type);
    bench.reply(reply);
    bench.tick();

    if (entered) {
        QCOMPARE(bench.probe.commandState(), int(StateAwaitCommandReply));
        QCOMPARE(bench.sent().size(), 2);
        QVERIFY(!progress->isHidden());
    } else {
        QCOMPARE(bench.sent(), QList<QByteArray>{"+++"}); // no ATCN: command mode was never entered
        QCOMPARE(bench.probe.commandState(), int(StateIdle));
        QCOMPARE(bench.probe.runType(), int(RunNone));
        QVERIFY(!bench.probe.commandTimer()->isActive());
        QVERIFY(progress->isHidden());
    }
    if (title.isEmpty()) {
        QCOMPARE(boxes.count(), 0);
    } else {
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Warning);
        QCOMPARE(boxes.boxes().at(0).title, title);
        QCOMPARE(boxes.boxes().at(0).text, QString("The module did not enter command mode."));
    }
}

void tst_Sequencer::emptyLineIsAReply()
{
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *transmitOptions = static_cast<QLineEdit *>(child(bench, "txtTransmitOptions"));
    transmitOptions->setText("C0");

    startRun(bench, RunRead);
    runUntilWaitingIn(bench, StateAwaitCommandReply);
    for (int i = 0; i < 3; ++i) { // VR, VH, HV
        bench.reply("1");
        bench.tick();
    }
    QCOMPARE(bench.lastSent(), QByteArray("ATTO\r"));
    bench.reply("");

    QCOMPARE(transmitOptions->text(), QString());
    QCOMPARE(bench.probe.commandIndex(), 4);
    QCOMPARE(bench.probe.commandState(), int(StateSendCommand));
}

// clang-format off
void tst_Sequencer::secondReplyLine_data()
{
    QTest::addColumn<bool>("afterNextEntry");
    QTest::addColumn<int>("indexAfter");
    QTest::addColumn<QString>("vhLogLine"); // empty: VH not answered yet

    QTest::newRow("before the next tick: dropped") << false << 1 << QString();
    QTest::newRow("after the next entry: its reply") << true << 2
                                                      << QString("Command  \"VH\"  response:  \"EXTRA\"");
}
// clang-format on

void tst_Sequencer::secondReplyLine()
{
    QFETCH(bool, afterNextEntry);
    QFETCH(int, indexAfter);
    QFETCH(QString, vhLogLine);

    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    startRun(bench, RunRead);
    runUntilWaitingIn(bench, StateAwaitCommandReply);
    DebugTranscript transcript;

    bench.reply("8059");
    if (afterNextEntry)
        bench.tick();
    bench.reply("EXTRA");

    QCOMPARE(bench.probe.commandIndex(), indexAfter);
    const QStringList vhLines = transcript.linesStartingWith({"Command  \"VH\""});
    QCOMPARE(vhLines, vhLogLine.isEmpty() ? QStringList() : QStringList{vhLogLine});
    if (!afterNextEntry) {
        bench.tick();
        QCOMPARE(bench.lastSent(), QByteArray("ATVH\r"));
    }
}

void tst_Sequencer::requestsDuringARunAreDropped()
{
    OfflineDialog bench;
    QVERIFY(bench.makeReady());

    startRun(bench, RunRead);
    startRun(bench, RunRead);
    QCOMPARE(bench.sent(), QList<QByteArray>{"+++"});

    bench.reply("OK");
    bench.tick();
    startRun(bench, RunWrite);
    startRun(bench, RunRssiQuery);
    QCOMPARE(bench.sent(), QList<QByteArray>({"+++", "ATVR\r"}));
    QCOMPARE(bench.probe.runType(), int(RunRead));
    QCOMPARE(bench.probe.commandList(), atCommandList);
}

void tst_Sequencer::noneDuringARunEndsIt()
{
    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *progress = static_cast<QProgressBar *>(child(bench, "progressBar"));

    startRun(bench, RunRead);
    runUntilWaitingIn(bench, StateAwaitCommandReply);
    QVERIFY(!progress->isHidden());

    bench.dialog.onPortOpened(false); // "None" is the current port
    QCOMPARE(bench.probe.commandState(), int(StateIdle));
    QCOMPARE(bench.probe.runType(), int(RunNone));
    QVERIFY(progress->isHidden());
    QVERIFY(!bench.probe.commandTimer()->isActive());
    QVERIFY(!bench.probe.replyDeadlineActive());
    QCOMPARE(boxes.count(), 0);

    // A later port works at once: nothing of the old run is left.
    bench.probe.setSerialPortOpen(true);
    bench.writeSpy.clear();
    startRun(bench, RunRead);
    QCOMPARE(bench.sent(), QList<QByteArray>{"+++"});
}

// clang-format off
void tst_Sequencer::writeRefusals_data()
{
    QTest::addColumn<QStringList>("refused"); // entries the module answers with "ERROR"
    QTest::addColumn<QByteArray>("refusal");  // what it answers instead
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("text");

    QTest::newRow("all taken") << QStringList() << QByteArray("ERROR") << int(QMessageBox::Information)
                               << "All settings have been written to the device.";
    QTest::newRow("PAN ID") << QStringList{"ID=3333"} << QByteArray("ERROR") << int(QMessageBox::Warning)
                            << "The module refused: ID=3333";
    QTest::newRow("two, in run order") << QStringList{"ID=3333", "CM=3EFFFC00"} << QByteArray("ERROR")
                                       << int(QMessageBox::Warning) << "The module refused: CM=3EFFFC00, ID=3333";
    QTest::newRow("empty line") << QStringList{"AP=0"} << QByteArray() << int(QMessageBox::Warning)
                                << "The module refused: AP=0";
    QTest::newRow("store refused") << QStringList{"WR"} << QByteArray("ERROR") << int(QMessageBox::Warning)
                                   << "The module refused: WR\nThe settings were not stored.";
}
// clang-format on

void tst_Sequencer::writeRefusals()
{
    QFETCH(QStringList, refused);
    QFETCH(QByteArray, refusal);
    QFETCH(int, icon);
    QFETCH(QString, text);

    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    static_cast<QComboBox *>(child(bench, "cmbConfiguration"))->setCurrentIndex(1);

    startRun(bench, RunWrite);
    const QStringList entries = bench.probe.commandList();
    bench.runToEnd(
        [&](const QByteArray &sent) { return refused.contains(entryOf(sent)) ? refusal : factoryModule(sent); });

    QCOMPARE(bench.sent(), framed(entries)); // a refusal stops nothing
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(int(boxes.boxes().at(0).icon), icon);
    QCOMPARE(boxes.boxes().at(0).title, QString("Write settings"));
    QCOMPARE(boxes.boxes().at(0).text, text);
}

// clang-format off
void tst_Sequencer::deadline_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("silentIn"); // the waiting state the module leaves unanswered
    QTest::addColumn<QString>("title");  // empty: no message

    QTest::newRow("read, escape") << int(RunRead) << int(StateAwaitEscapeReply) << "Read settings";
    QTest::newRow("read, entry") << int(RunRead) << int(StateAwaitCommandReply) << "Read settings";
    QTest::newRow("read, exit") << int(RunRead) << int(StateAwaitExitReply) << "Read settings";
    QTest::newRow("write, entry") << int(RunWrite) << int(StateAwaitCommandReply) << "Write settings";
    QTest::newRow("rssi query, entry") << int(RunRssiQuery) << int(StateAwaitCommandReply) << QString();
}
// clang-format on

void tst_Sequencer::deadline()
{
    QFETCH(int, type);
    QFETCH(int, silentIn);
    QFETCH(QString, title);

    MessageBoxCatcher boxes;
    OfflineDialog bench;
    QVERIFY(bench.makeReady());
    auto *progress = static_cast<QProgressBar *>(child(bench, "progressBar"));
    DebugTranscript transcript;

    startRun(bench, type);
    runUntilWaitingIn(bench, silentIn);
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    const QList<QByteArray> sentBefore = bench.sent();

    QTRY_COMPARE_WITH_TIMEOUT(bench.probe.commandState(), int(StateIdle), 5000);
    QVERIFY2(sinceLastByte.elapsed() >= 2800, qPrintable(QString::number(sinceLastByte.elapsed())));

    const QList<QByteArray> sentAfter = bench.sent().mid(sentBefore.size());
    const bool inCommandMode = silentIn != StateAwaitEscapeReply;
    QCOMPARE(sentAfter, inCommandMode ? QList<QByteArray>{"ATCN\r"} : QList<QByteArray>());
    QCOMPARE(bench.probe.runType(), int(RunNone));
    QVERIFY(progress->isHidden());
    QVERIFY(!bench.probe.commandTimer()->isActive());
    QCOMPARE(transcript.linesStartingWith({"No reply from the module"}),
             QStringList{QString("No reply from the module, run ended in state %1").arg(silentIn)});
    if (title.isEmpty()) {
        QCOMPARE(boxes.count(), 0);
    } else {
        QTRY_COMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Warning);
        QCOMPARE(boxes.boxes().at(0).title, title);
        QCOMPARE(boxes.boxes().at(0).text,
                 QString("The module did not answer. Check the port, the baud rate and the module's power."));
    }

    // The next request is served.
    bench.writeSpy.clear();
    startRun(bench, RunRead);
    QCOMPARE(bench.sent(), QList<QByteArray>{"+++"});
}

QTEST_MAIN(tst_Sequencer)
#include "tst_sequencer.moc"
