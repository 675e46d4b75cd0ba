// The Console tab of the real window against the module simulator: command
// mode, a query and Leave; a BD the port follows; a command that cuts the PC
// off asked about; text over the air; and the console and the other runs
// never in each other's way.
#include "app/monitorview.h"
#include "app/statuslabel.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QSerialPort>
#include <QTabWidget>

namespace {

// A user at the Guru level with the Console tab in front, on module A of a
// simulator with a short guard time, so entering command mode takes no second.
struct Console : SimulatedSession
{
    explicit Console(const QStringList &options = {})
        : SimulatedSession(QStringList{"--guard-ms", "50"} + options)
    {
        dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1);
        auto *tabs = dialog.findChild<QTabWidget *>("tabWidget");
        tabs->setCurrentWidget(dialog.findChild<QWidget *>("tabConsole"));
        dialog.show();
    }

    template<typename T = QPushButton> T *widget(const char *name) { return dialog.findChild<T *>(name); }
    QString state() { return widget<StatusLabel>("lblConsoleState")->fullText(); }
    QString monitor()
    {
        return static_cast<MonitorView *>(widget<QListView>("lstMonitor")->model())->shownLines().join('\n');
    }
    QString status() { return widget<StatusLabel>("lblStatus")->fullText(); }

    bool enterCommandMode()
    {
        widget("btnCommandMode")->click();
        return QTest::qWaitFor([&] { return widget("btnConsoleSend")->isEnabled(); }, 5000)
            && state().startsWith("In command mode — leaves by itself in ");
    }
    // Types a line and presses Enter, as a technician does.
    void type(const QString &line)
    {
        auto *edit = widget<QLineEdit>("txtConsoleInput");
        edit->setFocus();
        edit->setText(line);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    bool leave()
    {
        widget("btnLeaveCommandMode")->click();
        return QTest::qWaitFor([&] { return state().startsWith("Left command mode."); }, 5000);
    }
};

} // namespace

class tst_Console : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandMode();
    void baudRateFollowed();
    void cutOffAsked();
    void overTheAir();
    void besideARead();
};

void tst_Console::init()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
}

// A query and its reply, Leave, and a Read refused meanwhile, all in the monitor.
void tst_Console::commandMode()
{
    Console user({"--ct-ms", "30000"});
    QVERIFY(user.started);
    QVERIFY(user.state().startsWith("Transparent mode"));
    QVERIFY(user.enterCommandMode());
    // Counted down from the module's own CT.
    QVERIFY2(QRegularExpression("^In command mode — leaves by itself in (30|29) s$").match(user.state()).hasMatch(),
             qPrintable(user.state()));

    user.type("NO");
    QTRY_COMPARE(user.status(), "ATNO → 0");
    // Up brings the command back as it went out.
    auto *edit = user.widget<QLineEdit>("txtConsoleInput");
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(edit->text(), "ATNO");
    edit->clear();
    user.widget("btnReadSettings")->click();
    QCOMPARE(shown(user.boxes),
             QStringList{"Warning | Read settings | The console is in command mode: leave it first."});

    QVERIFY(user.leave());
    QTRY_VERIFY(user.monitor().endsWith("← OK\\r"));
    const QStringList lines = user.monitor().split('\n');
    QStringList wire;
    for (const QString &line : lines)
        wire.append(line.mid(13)); // after the time
    QCOMPARE(wire.filter(QRegularExpression("^[→←]")),
             QStringList({"→ +++", "← OK\\r", "→ ATCT\\r", "← 12C\\r", "→ ATNO\\r", "← 0\\r", "→ ATCN\\r", "← OK\\r"}));
    QVERIFY(user.widget("btnCommandMode")->isEnabled());
}

// A BD the module took moves the port, and the selector with it, once the module applies it.
void tst_Console::baudRateFollowed()
{
    Console user;
    QVERIFY(user.started);
    QVERIFY(user.enterCommandMode());
    user.type("ATBD 7");
    QTRY_COMPARE(user.status(), "ATBD 7 → OK");
    QVERIFY(user.leave());
    QCOMPARE(user.widget<QComboBox>("cmbSerialBaudRate")->currentText(), "115200");
    QVERIFY(user.state().contains("The port now runs at 115200 baud, the module's new rate."));
    // Reached at the new rate.
    QVERIFY(user.enterCommandMode());
    user.type("ATBD");
    QTRY_COMPARE(user.status(), "ATBD → 7");
}

// A command that would cut the PC off goes out only after Send anyway.
void tst_Console::cutOffAsked()
{
    Console user;
    QVERIFY(user.started);
    QVERIFY(user.enterCommandMode());
    user.type("ATAP 1");
    const QString asked = "Warning | Send a command | ATAP 1 may cut this PC off from the module:\n\nAP 1 switches the "
                          "module to API mode: the range test needs transparent mode (AP 0).";
    QTRY_COMPARE(shown(user.boxes), QStringList{asked});
    QCOMPARE(user.widget<QLineEdit>("txtConsoleInput")->text(), "ATAP 1"); // Cancel: nothing sent, nothing lost
    QVERIFY(!user.monitor().contains("ATAP"));

    user.boxes.press("Send anyway");
    user.type("ATAP 1");
    QTRY_COMPARE(user.status(), "ATAP 1 → OK");
    QCOMPARE(user.boxes.count(), 2);
}

// In transparent mode the line goes over the air, with a carriage return unless unticked.
void tst_Console::overTheAir()
{
    Console user;
    QVERIFY(user.started);
    QSerialPort remote(user.simulator.portB());
    QVERIFY(remote.open(QIODevice::ReadWrite));
    QByteArray heard;
    QObject::connect(&remote, &QSerialPort::readyRead, [&] { heard += remote.readAll(); });

    user.type("SCORE 3:1");
    QTRY_COMPARE(heard, "SCORE 3:1\r");
    user.widget<QCheckBox>("chkConsoleCr")->setChecked(false);
    user.type("TIME");
    QTRY_COMPARE(heard, "SCORE 3:1\rTIME");
    remote.write("HOME 2\r");
    QTRY_VERIFY(user.monitor().contains("← HOME 2\\r"));
    QVERIFY(user.monitor().contains("→ SCORE 3:1\\r"));
}

// While a Read has the line the Send row rests; the monitor shows the Read.
void tst_Console::besideARead()
{
    Console user;
    QVERIFY(user.started);
    user.widget("btnReadSettings")->click();
    QTRY_VERIFY(user.monitor().contains("→ ATVR\\r"));
    QVERIFY(!user.widget("btnConsoleSend")->isEnabled());
    QVERIFY(!user.widget("btnCommandMode")->isEnabled());
    QVERIFY(!user.widget<QLineEdit>("txtConsoleInput")->isEnabled());
    QTRY_VERIFY(DialogProbe(user.dialog).isIdle());
    QTRY_VERIFY(user.widget("btnConsoleSend")->isEnabled());
    QVERIFY(user.monitor().contains("→ ATCN\\r"));
}

QTEST_MAIN(tst_Console)
#include "tst_console.moc"
