#include "app/configsequence.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "snapshots.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

using Replies = QMap<QString, QString>; // entry -> the module's line

QList<QByteArray> framed(const QString &entries)
{
    QList<QByteArray> bytes{"+++"};
    for (const QString &entry : entries.split(' '))
        bytes.append("AT" + entry.toUtf8() + '\r');
    return bytes << "ATCN\r";
}

QStringList debugLines;

void recordDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines.append(message);
}

// The main dialog with no port behind it: the test plays the module by reading
// write_data and calling onDataReceived, and ticks the command timer itself.
struct Bench
{
    // Waits for the worker's report on the "None" port, which would end a run
    // under test, then claims an open port (or none).
    bool makeReady(bool open = true)
    {
        auto *ports = dialog.findChild<QComboBox *>("cmbSerial");
        if (!QTest::qWaitFor([ports] { return ports->property("code").isValid(); }, 5000))
            return false;
        probe.setSerialPortOpen(open);
        return true;
    }

    QList<QByteArray> sent() const
    {
        QList<QByteArray> bytes;
        for (const QList<QVariant> &arguments : writeSpy)
            bytes.append(arguments.at(0).toByteArray());
        return bytes;
    }

    void reply(const QByteArray &line) { dialog.onDataReceived(line + '\r'); }

    void start(int type)
    {
        if (type == RunRssiQuery)
            probe.startRun(RunRssiQuery, {"DB"});
        else
            dialog.findChild<QPushButton *>(type == RunRead ? "btnReadSettings" : "btnWriteSettings")->click();
    }

    // Plays the module until the sequencer is in `until` (idle: the run is over):
    // "+++" and "ATCN" get "OK", each entry answer(entry), the other states a tick.
    void play(const std::function<QByteArray(const QString &)> &answer, int until = StateIdle)
    {
        for (int step = 0; step < 1000 && probe.commandState() != until; ++step) {
            const int state = probe.commandState();
            if (state == StateAwaitCommandReply)
                reply(answer(probe.currentCommand()));
            else if (state == StateAwaitEscapeReply || state == StateAwaitExitReply)
                reply("OK");
            else
                probe.tickCommandTimer();
        }
    }

    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe{dialog};
    QSignalSpy writeSpy{&dialog, &FendrakeXBeeConfiguratorDialog::write_data};
};

const QString didNotAnswer = "The module did not answer. Check the port, the baud rate and the module's power.";
const QString scoreboard = "TO=40 CM=3EFFFC00 ID=3333 MT=0 DL=FFFF DH=0 BD=3 NB=0 SB=0 RO=3 AP=0 WR";

} // namespace

class tst_Sequencer : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void withoutAPort();
    void outOfTurn();
    void deadline_data();
    void deadline();
    void replyMapping_data();
    void replyMapping();
};

// clang-format off
void tst_Sequencer::runs_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<FormState>("form");   // over plainForm
    QTest::addColumn<QList<int>>("picks");  // configurations the user then picks
    QTest::addColumn<Replies>("replies");   // to "+++" and entries, where not "OK"
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("messages");

    const auto row = [](const char *name, int type, const FormState &form, const QList<int> &picks,
                        const Replies &replies, const QList<QByteArray> &sent, const QStringList &messages = {}) {
        QTest::newRow(name) << type << form << picks << replies << sent << messages;
    };
    const QString notEntered = "Warning | %1 settings | The module did not enter command mode.";
    const QString written = "Information | Write settings | All settings have been written to the device.";
    const QString refused = "Warning | Write settings | The module refused: ";
    // The port selector shows 9600: a write of another BD moves it.
    const QString follows = "\nThe port now runs at %1 baud, the module's new rate.";

    row("read: NOK to +++, empty line to TO", RunRead, {}, {}, {{"+++", "NOK"}, {"TO", ""}},
        framed("VR VH HV TO CM ID MT SH SL DL DH NI PL RR CE BD NB SB RO AP"));
    row("read: ok to +++", RunRead, {}, {}, {{"+++", "ok"}}, {"+++"}, {notEntered.arg("Read")});
    row("write: error line to +++", RunWrite, {}, {}, {{"+++", "ERROR"}}, {"+++"}, {notEntered.arg("Write")});
    row("RSSI query", RunRssiQuery, {}, {}, {}, framed("DB"));
    row("RSSI query: error line to +++", RunRssiQuery, {}, {}, {{"+++", "ERROR"}}, {"+++"});
    row("Scoreboard", RunWrite, {}, {1}, {}, framed(scoreboard), {written});
    row("WindSpeed", RunWrite, {}, {2}, {}, framed(QString(scoreboard).replace("3333", "4444")), {written});
    row("Custom after Scoreboard keeps CM and ID", RunWrite, {}, {1, 0}, {}, framed(scoreboard), {written});
    row("Custom from WindSpeed", RunWrite, {{"cmbConfiguration", "2"}}, {0}, {},
        framed("TO=40 CM=1 ID=1 MT=0 DL=FFFF DH=0 BD=3 NB=0 SB=0 RO=3 AP=0 WR"), {written});
    row("every field, lower case kept", RunWrite,
        {{"txtTransmitOptions", "c0"}, {"txtChannelMask", "3effdfff"}, {"txtPANID", "7fff"},
         {"txtBroadcastMultiTransmits", "3"}, {"txtDestinationAddressLow", "ffff"},
         {"txtDestinationAddressHigh", "13a200"}, {"txtPacketizationTimeout", "a"}, {"cmbBaudRate", "7"},
         {"cmbParity", "2"}, {"cmbStopBits", "0"}}, {}, {},
        framed("TO=c0 CM=3effdfff ID=7fff MT=3 DL=ffff DH=13a200 BD=7 NB=2 SB=0 RO=a AP=1 WR"),
        {written + follows.arg(115200)});
    row("empty fields skipped", RunWrite,
        {{"txtTransmitOptions", ""}, {"txtChannelMask", ""}, {"txtPANID", ""}, {"txtBroadcastMultiTransmits", ""},
         {"txtDestinationAddressLow", ""}, {"txtDestinationAddressHigh", ""}, {"txtPacketizationTimeout", ""}},
        {}, {}, framed("BD=1 NB=1 SB=1 AP=1 WR"), {written + follows.arg(2400)});
    row("refusals in run order", RunWrite, {{"txtPANID", "8000"}}, {}, {{"ID=8000", "ERROR"}, {"CM=1", ""}},
        framed("TO=1 CM=1 ID=8000 MT=1 DL=1 DH=1 BD=1 NB=1 SB=1 RO=1 AP=1 WR"),
        {refused + "CM=1, ID=8000" + follows.arg(2400)});
    row("store refused, BD refused", RunWrite, {}, {}, {{"WR", "ERROR"}, {"BD=1", "ERROR"}},
        framed("TO=1 CM=1 ID=1 MT=1 DL=1 DH=1 BD=1 NB=1 SB=1 RO=1 AP=1 WR"),
        {refused + "BD=1, WR\nThe settings were not stored."});
}
// clang-format on

void tst_Sequencer::runs()
{
    QFETCH(int, type);
    QFETCH(FormState, form);
    QFETCH(QList<int>, picks);
    QFETCH(Replies, replies);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, messages);

    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.makeReady());
    setForm(bench.dialog, merged(plainForm, form));
    for (int item : picks)
        bench.dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(item);

    bench.start(type);
    bench.reply(replies.value("+++", "OK").toUtf8());
    bench.play([&](const QString &entry) { return replies.value(entry, "OK").toUtf8(); });

    QCOMPARE(bench.sent(), sent);
    QCOMPARE(shown(boxes), messages);
    const QString followed = messages.value(0).section("runs at ", 1).section(' ', 0, 0);
    QCOMPARE(bench.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(),
             followed.isEmpty() ? "9600" : followed);
    // Every preset picks point-multipoint; MAC mode is not written.
    QCOMPARE(formState(bench.dialog).value("cmbMACMode"), picks.isEmpty() ? "2" : "1");
}

void tst_Sequencer::withoutAPort()
{
    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.makeReady(false));
    bench.start(RunRead);
    bench.start(RunWrite);

    QVERIFY(bench.sent().isEmpty());
    const QString text = "Warning | Serial port not open | Please select and open a serial port before %1 settings.";
    QCOMPARE(shown(boxes), QStringList({text.arg("reading"), text.arg("writing")}));
}

// Requests and lines out of turn are dropped; choosing "None" ends the run.
void tst_Sequencer::outOfTurn()
{
    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.makeReady());
    bench.start(RunRead);
    bench.start(RunRead);
    bench.reply("OK");
    bench.probe.tickCommandTimer();
    bench.start(RunWrite);
    bench.reply("8059");
    bench.reply("EXTRA"); // between two entries: it answers nothing
    bench.probe.tickCommandTimer();
    QCOMPARE(bench.sent(), QList<QByteArray>({"+++", "ATVR\r", "ATVH\r"}));

    bench.dialog.onPortOpened(false); // "None" is the current port
    QVERIFY(!bench.probe.replyDeadlineActive());
    bench.probe.setSerialPortOpen(true);
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    bench.start(RunRead);
    // The module takes "+++" only after a guard time of silence.
    QTRY_COMPARE(bench.sent().mid(3), QList<QByteArray>{"+++"});
    QVERIFY2(sinceLastByte.elapsed() >= 1000, qPrintable(QString::number(sinceLastByte.elapsed())));
    QCOMPARE(shown(boxes), QStringList());
}

// clang-format off
void tst_Sequencer::deadline_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("silentIn"); // the waiting state the module leaves unanswered
    QTest::addColumn<int>("deadline"); // ms
    QTest::addColumn<QList<QByteArray>>("sentThen");
    QTest::addColumn<QStringList>("messages");

    // A late "OK" to "+++" still leaves command mode; to anything else it is dropped.
    QTest::newRow("read, +++") << int(RunRead) << int(StateAwaitEscapeReply) << 5000
        << QList<QByteArray>{"ATCN\r"} << QStringList{"Warning | Read settings | " + didNotAnswer};
    QTest::newRow("write, first entry") << int(RunWrite) << int(StateAwaitCommandReply) << 3000
        << QList<QByteArray>{"ATCN\r"} << QStringList{"Warning | Write settings | " + didNotAnswer};
    QTest::newRow("RSSI query, ATCN") << int(RunRssiQuery) << int(StateAwaitExitReply) << 3000
        << QList<QByteArray>{"ATCN\r"} << QStringList();
}
// clang-format on

void tst_Sequencer::deadline()
{
    QFETCH(int, type);
    QFETCH(int, silentIn);
    QFETCH(int, deadline);
    QFETCH(QList<QByteArray>, sentThen);
    QFETCH(QStringList, messages);

    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.makeReady());
    bench.start(type);
    bench.play([](const QString &) { return QByteArray("OK"); }, silentIn);
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    const qsizetype sentBefore = bench.sent().size();

    QTRY_COMPARE_WITH_TIMEOUT(bench.probe.commandState(), int(StateIdle), deadline + 2000);
    QVERIFY2(sinceLastByte.elapsed() >= deadline - 200, qPrintable(QString::number(sinceLastByte.elapsed())));
    QTRY_COMPARE(shown(boxes), messages);
    bench.reply("OK");
    bench.reply("OK");
    QCOMPARE(bench.sent().mid(sentBefore), sentThen);

    bench.start(RunRead); // the next request is served
    QTRY_COMPARE(bench.sent().last(), "+++");
}

// clang-format off
void tst_Sequencer::replyMapping_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("inRun");       // the reply comes during a Read instead of on its own
    QTest::addColumn<FormState>("changes"); // to the form
    QTest::addColumn<QString>("debug");     // the one debug line of a reply on its own, if any

    const auto row = [](const char *name, const QString &command, const QString &reply, const FormState &changes,
                        const QString &debug = QString()) {
        QTest::newRow(name) << command << reply << false << changes << debug;
    };
    row("CM, lower case kept", "CM", "3effdfff", {{"txtChannelMask", "3effdfff"}});
    row("TO", "TO", "C0", {{"txtTransmitOptions", "C0"}});
    row("MT", "MT", "3", {{"txtBroadcastMultiTransmits", "3"}});
    row("DL, empty line", "DL", "", {{"txtDestinationAddressLow", ""}});
    row("DH", "DH", "13A200", {{"txtDestinationAddressHigh", "13A200"}});
    row("RO", "RO", "FF", {{"txtPacketizationTimeout", "FF"}});
    row("SH", "SH", "13A200", {{"lblSerialHighValue", "13A200"}});
    row("SL", "SL", "41B2C3D4", {{"lblSerialLowValue", "41B2C3D4"}});
    row("BD 7", "BD", "7", {{"cmbBaudRate", "7"}});
    row("BD 8", "BD", "8", {}, "Invalid Baud Rate response:  \"8\"");
    row("BD -1", "BD", "-1", {}, "Invalid Baud Rate response:  \"-1\"");
    row("BD not decimal counts 0", "BD", "1C200", {{"cmbBaudRate", "0"}});
    row("NB 2", "NB", "2", {{"cmbParity", "2"}});
    row("NB 3", "NB", "3", {}, "Invalid Parity response:  \"3\"");
    row("SB 0", "SB", "0", {{"cmbStopBits", "0"}});
    row("SB 2", "SB", "2", {}, "Invalid Stop Bits response:  \"2\"");
    row("AP 0", "AP", "0", {{"cmbAPIMode", "0"}});
    row("AP 1", "AP", "1", {{"cmbAPIMode", "1"}});
    row("AP 2", "AP", "2", {{"cmbAPIMode", "2"}});
    row("AP 3", "AP", "3", {}, "Invalid API Mode response:  \"3\"");
    row("AP not decimal", "AP", "ERROR", {}, "Invalid API Mode response:  \"ERROR\"");
    row("VR only logged", "VR", "8059", {}, "Command  \"VR\"  response:  \"8059\"");
    // WindSpeed is shown: the selector moves for every PAN ID but 4444, and no preset runs.
    for (const bool inRun : {false, true}) {
        const char *where = inRun ? "in a Read" : "on its own";
        QTest::addRow("ID 3333 %s", where) << "ID" << "3333" << inRun
                                           << FormState{{"txtPANID", "3333"}, {"cmbConfiguration", "1"}} << QString();
        QTest::addRow("ID 4444 %s", where) << "ID" << "4444" << inRun << FormState{{"txtPANID", "4444"}} << QString();
        QTest::addRow("ID 1234 %s", where) << "ID" << "1234" << inRun
                                           << FormState{{"txtPANID", "1234"}, {"cmbConfiguration", "0"}} << QString();
    }
}
// clang-format on

void tst_Sequencer::replyMapping()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(bool, inRun);
    QFETCH(FormState, changes);
    QFETCH(QString, debug);

    Bench bench;
    QVERIFY(bench.makeReady());
    const FormState before = merged(plainForm, {{"cmbConfiguration", "2"}});
    setForm(bench.dialog, before);
    debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordDebug);
    if (inRun) {
        // Every other entry gets "1", which the form shows already.
        bench.start(RunRead);
        bench.play([&](const QString &entry) { return (entry == command ? reply : "1").toUtf8(); });
    } else {
        bench.probe.parseCommandResponse(command, reply);
    }
    qInstallMessageHandler(previous);

    QCOMPARE(formState(bench.dialog), merged(before, changes));
    if (!inRun)
        QCOMPARE(debugLines, debug.isEmpty() ? QStringList() : QStringList{debug});
}

QTEST_MAIN(tst_Sequencer)
#include "tst_sequencer.moc"
