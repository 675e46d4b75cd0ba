// The window's jobs on a module as the module sees them: the bytes of each
// run, the messages at its end, what its replies put into the form, and
// what happens when the module does not answer.
#include "isolatedsettings.h"
#include "scriptedmodule.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using Replies = QMap<QString, QString>; // "+++" or entry -> the module's line; "-" for none

QList<QByteArray> framed(const QString &entries)
{
    QList<QByteArray> bytes{"+++"};
    for (const QString &entry : entries.split(' '))
        bytes.append("AT" + entry.toUtf8() + '\r');
    return bytes << "ATCN\r";
}

// A write's entries, then the queries that read back each setting it sets, and who the module is.
QList<QByteArray> framedWrite(const QString &entries)
{
    QStringList queries;
    for (const QString &entry : entries.split(' ')) {
        if (entry.contains('='))
            queries.append(entry.section('=', 0, 0));
    }
    return framed(entries + ' ' + queries.join(' ') + " SH SL VR");
}

const QString readEntries = "VR VH HV TO CM ID MT SH SL DL DH NI PL RR CE BD NB SB RO AP";
const QString scoreboard = "TO=40 CM=3EFFFC00 ID=3333 MT=0 DL=FFFF DH=0 BD=3 NB=0 SB=0 RO=3 AP=0 WR";
const QString didNotAnswer = "The module did not answer. Check the port, the baud rate and the module's power.";

// The main dialog on a module the test scripts, with a form no module and no
// preset of the tests leaves (see plainForm).
struct Bench
{
    Bench(const FormState &form = {}) { setForm(dialog, merged(plainForm, form)); }

    bool click(const char *button, const Replies &replies = {})
    {
        module.replies = replies;
        return runToIdle(dialog, button);
    }

    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    ScriptedModule module{dialog};
};

} // namespace

class tst_WindowJobs : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void withoutAPort();
    void outOfTurn();
    void rateChangeDropsHalfLine();
    void replyBeforeEscape();
    void readBack_data();
    void readBack();
};

// clang-format off
void tst_WindowJobs::runs_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<FormState>("form");   // over plainForm
    QTest::addColumn<QList<int>>("picks");  // configurations the user then picks
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<FormState>("changes"); // to the form by the run

    const auto row = [](const char *name, const char *button, const FormState &form, const QList<int> &picks,
                        const Replies &replies, const QList<QByteArray> &sent, const QStringList &messages = {},
                        const FormState &changes = {}) {
        QTest::newRow(name) << QByteArray(button) << form << picks << replies << sent << messages << changes;
    };
    const char *read = "btnReadSettings";
    const char *write = "btnWriteSettings";
    const QString notEntered = "Warning | %1 settings | The module did not enter command mode.";
    const QString written = "Information | Write settings | All settings have been written to the device.";
    // Every setting written is read back before the module leaves command mode.
    const QString all = "\nRead back: all %1 settings match.";
    const QString framing = "\nThe port now uses %1, the module's new framing.";
    const QString refused = "Warning | Write settings | The module refused: ";
    // The port selector shows 9600: a write of another BD moves it.
    const QString follows = "\nThe port now runs at %1 baud, the module's new rate.";
    const FormState noParity{{"cmbParity", "0"}};

    // A Read's replies are "1" where the row gives none, which the form shows already.
    row("read: NOK to +++, empty line to TO", read, {}, {}, {{"+++", "NOK"}, {"TO", ""}}, framed(readEntries), {},
        {{"txtTransmitOptions", ""}});
    row("read: ok to +++", read, {}, {}, {{"+++", "ok"}}, {"+++"}, {notEntered.arg("Read")});
    row("Scoreboard", write, {}, {1}, {}, framedWrite(scoreboard), {written + all.arg(11)});
    row("WindSpeed", write, {}, {2}, {}, framedWrite(QString(scoreboard).replace("3333", "4444")), {written + all.arg(11)});
    row("Custom after Scoreboard keeps CM and ID", write, {}, {1, 0}, {}, framedWrite(scoreboard), {written + all.arg(11)});
    row("Custom from WindSpeed", write, {{"cmbConfiguration", "2"}}, {0}, {},
        framedWrite("TO=40 CM=1 ID=1 MT=0 DL=FFFF DH=0 BD=3 NB=0 SB=0 RO=3 AP=0 WR"), {written + all.arg(11)});
    row("every field, lower case kept", write,
        {{"txtTransmitOptions", "c0"}, {"txtChannelMask", "3effdc00"}, {"txtPANID", "7fff"},
         {"txtBroadcastMultiTransmits", "3"}, {"txtDestinationAddressLow", "ffff"},
         {"txtDestinationAddressHigh", "13a200"}, {"txtPacketizationTimeout", "a"}, {"cmbBaudRate", "7"},
         {"cmbParity", "0"}, {"cmbStopBits", "0"}}, {}, {},
        framedWrite("TO=c0 CM=3effdc00 ID=7fff MT=3 DL=ffff DH=13a200 BD=7 NB=0 SB=0 RO=a AP=1 WR"),
        {written + follows.arg(115200) + all.arg(11)});
    row("empty fields skipped", write,
        {{"txtTransmitOptions", ""}, {"txtChannelMask", ""}, {"txtPANID", ""}, {"txtBroadcastMultiTransmits", ""},
         {"txtDestinationAddressLow", ""}, {"txtDestinationAddressHigh", ""}, {"txtPacketizationTimeout", ""},
         {"cmbParity", "0"}},
        {}, {}, framedWrite("BD=1 NB=0 SB=1 AP=1 WR"), {written + follows.arg(2400) + framing.arg("8N2") + all.arg(4)});
    // Linux refuses parity on a pseudo-terminal: written, NB=1 would leave the module where the port cannot follow.
    row("NB=1 on a port without parity", write, {}, {}, {}, {},
        {"Warning | Write settings | This port cannot use even parity: writing NB=1 would cut it off from the module."});
    // What a Read showed unchecked is no value to write.
    row("junk from a read not sent", write, {{"txtChannelMask", "ERROR"}}, {}, {}, {},
        {"Warning | Write settings | Invalid value for CM: ERROR."});
    row("refusals in run order", write, merged(noParity, {{"txtPANID", "8000"}}), {}, {{"ID=8000", "ERROR"}, {"CM=1", ""}},
        framedWrite("TO=1 CM=1 ID=8000 MT=1 DL=1 DH=1 BD=1 NB=0 SB=1 RO=1 AP=1 WR"),
        {refused + "CM=1, ID=8000" + follows.arg(2400) + framing.arg("8N2")
         + "\nRead back: CM holds OK, not 1; ID holds OK, not 8000."});
    // How a run ends on the line is the session's own table; these are the window's words for it.
    const QString noAnswer = "Warning | %1 settings | " + didNotAnswer;
    row("read: no answer to +++", read, {}, {}, {{"+++", "-"}}, {"+++"}, {noAnswer.arg("Read")});
    row("read: replies shown as sent", read, {{"cmbConfiguration", "2"}}, {}, {
        {"TO", "C0"}, {"CM", "3effdfff"}, {"MT", "3"}, {"DL", ""}, {"DH", "13A200"}, {"RO", "FF"},
        {"SH", "13A200"}, {"SL", "41B2C3D4"}, {"BD", "7"}, {"NB", "2"}, {"SB", "0"}, {"AP", "2"}, {"ID", "1234"}}, framed(readEntries), {}, {{"txtTransmitOptions", "C0"}, {"txtChannelMask", "3effdfff"}, {"txtBroadcastMultiTransmits", "3"},
                     {"txtDestinationAddressLow", ""}, {"txtDestinationAddressHigh", "13A200"},
                     {"txtPacketizationTimeout", "FF"}, {"lblSerialHighValue", "13A200"},
                     {"lblSerialLowValue", "41B2C3D4"}, {"cmbBaudRate", "7"}, {"cmbParity", "2"}, {"cmbStopBits", "0"},
                     {"cmbAPIMode", "2"}, {"txtPANID", "1234"}, {"cmbConfiguration", "0"}});
    row("read: no such item", read, {{"cmbConfiguration", "2"}}, {}, {{"BD", "8"}, {"NB", "3"}, {"SB", "2"}, {"AP", "3"}, {"ID", "4444"}},
        framed(readEntries), {}, {{"txtPANID", "4444"}});
    // A BD, NB or SB that is no number counts as 0; an AP that is none keeps the item.
    row("read: no number", read, {{"cmbConfiguration", "2"}}, {}, {{"BD", "1C200"}, {"NB", "-1"}, {"SB", "ERROR"}, {"AP", "ERROR"}},
        framed(readEntries), {}, {{"cmbBaudRate", "0"}, {"cmbStopBits", "0"}, {"cmbConfiguration", "0"}});
    // The selector follows the PAN ID; the preset does not overwrite what the module said.
    row("read: ID 3333", read, {{"cmbConfiguration", "2"}}, {}, {{"ID", "3333"}, {"TO", "C0"}}, framed(readEntries), {},
        {{"txtPANID", "3333"}, {"cmbConfiguration", "1"}, {"txtTransmitOptions", "C0"}});
}
// clang-format on

void tst_WindowJobs::runs()
{
    QFETCH(QByteArray, button);
    QFETCH(FormState, form);
    QFETCH(QList<int>, picks);
    QFETCH(Replies, replies);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, messages);
    QFETCH(FormState, changes);

    MessageBoxCatcher boxes;
    Bench bench(form);
    QVERIFY(bench.module.isReady());
    for (int item : picks)
        bench.dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(item);
    const FormState before = formState(bench.dialog);
    for (const QString &entry : readEntries.split(' ')) {
        if (button == "btnReadSettings")
            replies.insert(entry, replies.value(entry, "1"));
    }

    QCOMPARE(bench.click(button, replies), !sent.isEmpty());
    QCOMPARE(formState(bench.dialog), merged(before, changes));
    QCOMPARE(bench.module.written(), sent);
    QTRY_COMPARE(shown(boxes), messages);
    const QString followed = messages.value(0).section("runs at ", 1).section(' ', 0, 0);
    QCOMPARE(bench.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(),
             followed.isEmpty() ? "9600" : followed);
    // Every preset picks point-multipoint; MAC mode is not written.
    QCOMPARE(formState(bench.dialog).value("cmbMACMode"), picks.isEmpty() ? "2" : "1");
}

void tst_WindowJobs::withoutAPort()
{
    MessageBoxCatcher boxes;
    const IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    QSignalSpy written(&dialog, &FendrakeXBeeConfiguratorDialog::write_data);
    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    dialog.findChild<QPushButton *>("btnWriteSettings")->click();

    QVERIFY(written.isEmpty());
    const QString text = "Warning | Serial port not open | Please select and open a serial port before %1 settings.";
    QCOMPARE(shown(boxes), QStringList({text.arg("reading"), text.arg("writing")}));
}

// Requests and lines out of turn are dropped; choosing "None" ends the run.
void tst_WindowJobs::outOfTurn()
{
    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.module.isReady());
    bench.module.replies = {{"VH", "-"}};
    auto *read = bench.dialog.findChild<QPushButton *>("btnReadSettings");
    read->click();
    read->click();
    bench.dialog.findChild<QPushButton *>("btnWriteSettings")->click();
    QTRY_COMPARE(bench.module.written(), QList<QByteArray>({"+++", "ATVR\r", "ATVH\r"}));
    bench.module.say("EXTRA"); // takes the place of VH's reply
    QTRY_COMPARE(bench.module.written().size(), 4);
    QCOMPARE(bench.module.written().last(), "ATHV\r");

    bench.dialog.findChild<QComboBox *>("cmbSerial")->setCurrentIndex(0);
    QTRY_COMPARE(portCode(bench.dialog), "2");
    QVERIFY(DialogProbe(bench.dialog).isIdle());
    QCOMPARE(shown(boxes), QStringList());
}

// Half a line received at one rate is not joined to what comes at the next:
// "O", a rate change, then "K" is no "OK".
void tst_WindowJobs::rateChangeDropsHalfLine()
{
    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.module.isReady());
    bench.module.replies = {{"+++", "-"}};
    bench.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    bench.module.send("O");
    QTest::qWait(200); // the worker has it
    bench.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->setCurrentText("19200");
    QTest::qWait(200); // and has reopened the port
    bench.module.say("K");
    QTRY_VERIFY(DialogProbe(bench.dialog).isIdle());
    QCOMPARE(shown(boxes), QStringList{"Warning | Read settings | The module did not enter command mode."});
}

// Half a line received before "+++" went out is no start of its answer: "OK"
// waiting for its line end, then a carriage return after "+++", is no "OK".
void tst_WindowJobs::replyBeforeEscape()
{
    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.module.isReady());
    bench.module.send("OK");
    QTest::qWait(200); // the worker has it, waiting for its line end
    QObject::connect(&bench.dialog, &FendrakeXBeeConfiguratorDialog::write_data, &bench.dialog,
                     [&](const QByteArray &data) {
                         if (data == "+++")
                             bench.module.send("\r");
                     });
    QVERIFY(bench.click("btnReadSettings", {{"+++", "-"}}));
    QCOMPARE(bench.module.written(), QList<QByteArray>{"+++"});
    // The line end came before or after the worker dropped what it had: no answer, or an empty one.
    QCOMPARE(boxes.count(), 1);
    QVERIFY2(shown(boxes).constFirst().startsWith("Warning | Read settings | The module did not "),
             qPrintable(shown(boxes).join('\n')));
}

void tst_WindowJobs::readBack_data()
{
    QTest::addColumn<Replies>("holds");    // what the module keeps whatever it is given
    QTest::addColumn<Replies>("replies");  // "-": no answer
    QTest::addColumn<bool>("closeMidway"); // "None" chosen while the module keeps SH to itself
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("record"); // verified, and why not

    const QString written = "All settings have been written to the device.";
    QTest::newRow("all match") << Replies{} << Replies{} << false
                               << "Information | Write settings | " + written + "\nRead back: all 11 settings match."
                               << "true ";
    QTest::newRow("the module keeps another CM")
        << Replies{{"CM", "3EFFFDFF"}} << Replies{} << false
        << "Warning | Write settings | " + written + "\nRead back: CM holds 3EFFFDFF, not 3EFFFC00."
        << "false ";
    QTest::newRow("None chosen during the read-back")
        << Replies{} << Replies{{"SH", "-"}} << true
        << "Warning | Write settings | " + written + "\nThe port closed before the module had finished."
        << "false the port closed";
}

// The read-back's verdict is told as it is and always recorded, also when the
// port closes before it has ended; the module is told to leave command mode first.
void tst_WindowJobs::readBack()
{
    QFETCH(Replies, holds);
    QFETCH(Replies, replies);
    QFETCH(bool, closeMidway);
    QFETCH(QString, message);
    QFETCH(QString, record);

    MessageBoxCatcher boxes;
    Bench bench;
    QVERIFY(bench.module.isReady());
    bench.dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(1); // Scoreboard, without parity
    bench.module.holds = holds;
    bench.module.replies = replies;
    bench.dialog.findChild<QPushButton *>("btnWriteSettings")->click();
    if (closeMidway) {
        QTRY_VERIFY(bench.module.written().contains("ATSH\r"));
        bench.dialog.findChild<QComboBox *>("cmbSerial")->setCurrentIndex(0);
    }
    QTRY_VERIFY(DialogProbe(bench.dialog).isIdle());
    QTRY_COMPARE(shown(boxes), QStringList{message});
    QCOMPARE(bench.module.written().constLast(), "ATCN\r");
    QFile log(bench.settings.recordPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QJsonObject entry = QJsonDocument::fromJson(log.readAll()).object();
    QCOMPARE(
        QString("%1 %2").arg(QVariant(entry.value("verified").toBool()).toString(), entry.value("reason").toString()),
        record);
    QCOMPARE(entry.value("written").toObject().size(), 11);
}

QTEST_MAIN(tst_WindowJobs)
#include "tst_windowjobs.moc"
