// Reading and writing simulated modules: what Write sends is what a later Read
// finds, also after switching the module off and on; an unplugged module
// leaves the program usable; a module at an unknown rate is searched for.
#include "simulateduser.h"
#include "snapshots.h"

#include "app/statuslabel.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSerialPort>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

// The form after a Read of the simulator's module A as it leaves the factory.
// clang-format off
const FormState factoryModuleA = merged(plainForm, {
    {"txtTransmitOptions", "C0"}, {"txtChannelMask", "3EFFFDFF"}, {"txtPANID", "7FFF"},
    {"txtBroadcastMultiTransmits", "3"}, {"txtDestinationAddressLow", "FFFF"}, {"txtDestinationAddressHigh", "0"},
    {"txtPacketizationTimeout", "3"}, {"lblSerialHighValue", "13A200"}, {"lblSerialLowValue", "40F1A001"},
    {"cmbBaudRate", "3"}, {"cmbParity", "0"}, {"cmbStopBits", "0"}, {"cmbAPIMode", "0"}});
// clang-format on

const QStringList fastGuard{"--guard-ms", "50"};
const QString didNotAnswer = "Warning | Read settings | The module did not answer. Check the port, the baud rate and "
                             "the module's power.";
const QString searchButton = "Search baud rates";

QString serialLow(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QLabel *>("lblSerialLowValue")->text();
}

int lastRateSent(const QSignalSpy &rates)
{
    return rates.isEmpty() ? 0 : int(rates.last().at(0).value<QSerialPort::BaudRate>());
}

// Reads the module on `port` into a form that shows none of its values.
bool readFrom(FendrakeXBeeConfiguratorDialog &dialog, const QString &port)
{
    if (!openPort(dialog, port))
        return false;
    setForm(dialog, plainForm);
    return runToIdle(dialog, "btnReadSettings");
}

} // namespace

class tst_ConfigEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void writeThenRead();
    void unpluggedMidRun();
    void search();
    void searchCancelled();
};

void tst_ConfigEndToEnd::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
}

// Read right after Write: the port follows the module's new rate and waits out
// its guard time. What WR stored is still there after switching it off and on.
void tst_ConfigEndToEnd::writeThenRead()
{
    const QTemporaryDir stateDir;
    QVERIFY(stateDir.isValid());
    const QStringList state{"--state", stateDir.filePath("modules.json")};
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    // clang-format off
    const FormState written = merged(factoryModuleA, {
        {"txtPANID", "3333"}, {"cmbConfiguration", "1"}, {"txtTransmitOptions", "80"}, {"txtChannelMask", "FFC00"},
        {"txtBroadcastMultiTransmits", "0"}, {"cmbBaudRate", "4"}, {"cmbAPIMode", "1"}});
    // clang-format on
    {
        ModuleSimulator simulator(state); // the factory guard time
        QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
        QVERIFY(openPort(dialog, simulator.portA()));
        dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(1);
        // TO and CM unlike the preset's: reading PAN ID 3333 back must not restore the preset.
        setForm(dialog,
                {{"txtTransmitOptions", "80"}, {"txtChannelMask", "ffc00"}, {"cmbAPIMode", "1"}, {"cmbBaudRate", "4"}});
        QVERIFY(runToIdle(dialog, "btnWriteSettings"));
        setForm(dialog, plainForm);
        QVERIFY(runToIdle(dialog, "btnReadSettings"));
        QCOMPARE(formState(dialog), written);
    }
    QTRY_COMPARE(portCode(dialog), "1"); // the module is gone with its simulator

    ModuleSimulator restarted(fastGuard + state);
    QVERIFY2(restarted.start(), qPrintable(restarted.errorString()));
    QVERIFY(readFrom(dialog, restarted.portA()));
    QCOMPARE(formState(dialog), written);
    QCOMPARE(dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), "19200");
    QCOMPARE(shown(boxes),
             QStringList{"Information | Write settings | All settings have been written to the device.\n"
                         "The port now runs at 19200 baud, the module's new rate.\nRead back: all 11 settings match."});

    // The bench program adds its write to the same record, after the window's.
    const QString profile = stateDir.filePath("id.tarnowick-profile");
    QFile file(profile);
    QVERIFY(file.open(QIODevice::WriteOnly)
            && file.write(R"({"format": "tarnowick-profile", "version": 1, "settings": {"ID": "4444"}})") > 0);
    file.close();
    dialog.findChild<QComboBox *>("cmbSerial")->setCurrentIndex(0); // the port is the bench's now
    QTRY_COMPARE(portCode(dialog), "2");
    QProcess cli;
    cli.start(TARNOWICK_CLI,
              {"write", profile, "--port", restarted.portA(), "--baud", "19200", "--log", settings.recordPath()});
    QVERIFY2(cli.waitForFinished(10000) && cli.exitCode() == 0, cli.readAllStandardError().constData());
    QFile record(settings.recordPath());
    QVERIFY(record.open(QIODevice::ReadOnly));
    QStringList fields; // program, rate, BD written, serial number, profile, verified: window's, then bench's
    for (const QByteArray &line : record.readAll().trimmed().split('\n')) {
        const QJsonObject write = QJsonDocument::fromJson(line).object();
        fields << write.value("program").toString().section(' ', 0, 1) << QString::number(write.value("baud").toInt())
               << write.value("written").toObject().value("BD").toString()
               << write.value("module").toObject().value("SL").toString()
               << write.value("profile").toObject().value("file").toString()
               << QVariant(write.value("verified").toBool()).toString();
    }
    QCOMPARE(fields,
             QStringList({"tarnowick 1.0.1", "9600", "4", "40F1A001", "", "true", "tarnowick-cli 1.0.1", "19200", "",
                          "40F1A001", "id.tarnowick-profile", "true"}));
}

// The adapter is pulled after "+++" and seven entries: the run gives up
// within its reply time, the port shows red, and the other module is read in full.
void tst_ConfigEndToEnd::unpluggedMidRun()
{
    SimulatedSession user(fastGuard + QStringList{"--hangup-after", "A:38"});
    QVERIFY2(user.started, qPrintable(user.simulator.errorString()));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(runToIdle(user.dialog, "btnReadSettings"));
    QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(shown(user.boxes),
                 QStringList{"Warning | Read settings | The port closed before the module had finished."});
    QCOMPARE(portCode(user.dialog), "1");

    QVERIFY(readFrom(user.dialog, user.simulator.portB()));
    QCOMPARE(formState(user.dialog), merged(factoryModuleA, {{"lblSerialLowValue", "40F1A002"}}));
    QCOMPARE(user.boxes.count(), 1);
}

// From the warning of a Read that got no answer; the search's bound is 14 s.
// The search's rules on a fake clock are the session's own tests.
void tst_ConfigEndToEnd::search()
{
    const QStringList module{"--bd", "A:7"};
    const QString answer = "Information | Search baud rates | Found the module at 115200 baud.";
    const QString rate = "115200";
    SimulatedSession user(module);
    QVERIFY2(user.started, qPrintable(user.simulator.errorString()));
    user.boxes.press(searchButton);
    QSignalSpy rates(&user.dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);

    user.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTRY_COMPARE_WITH_TIMEOUT(user.boxes.count(), 2, 30000);
    QCOMPARE(shown(user.boxes), QStringList({didNotAnswer, answer}));
    const qint64 searchMs = user.boxes.boxes().at(1).shownAtMs - user.boxes.boxes().at(0).shownAtMs;
    QVERIFY2(searchMs < 14000, qPrintable(QString::number(searchMs)));
    // The rate found is kept like a choice of the user's.
    QCOMPARE(user.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), rate);
    QCOMPARE(lastRateSent(rates), rate.toInt());
    QCOMPARE(QSettings(user.settings.filePath(), QSettings::IniFormat).value("General/baudrate", 9600).toInt(),
             rate.toInt());
    // The Read that failed goes on by itself at the rate found, and the status line says so when done.
    auto *status = user.dialog.findChild<StatusLabel *>("lblStatus");
    QTRY_COMPARE_WITH_TIMEOUT(serialLow(user.dialog), "40F1A001", 10000);
    QTRY_VERIFY(DialogProbe(user.dialog).isIdle());
    QVERIFY2(QRegularExpression("^Read 20 settings at \\d\\d:\\d\\d:\\d\\d\\.$").match(status->fullText()).hasMatch(),
             qPrintable(status->fullText()));
    QCOMPARE(user.boxes.count(), 2);
}

// Cancel puts the rate back and says nothing more; whatever the search sends
// meanwhile is the session's own table.
void tst_ConfigEndToEnd::searchCancelled()
{
    SimulatedSession user({"--bd", "A:0"});
    QVERIFY2(user.started, qPrintable(user.simulator.errorString()));
    user.boxes.press(searchButton);
    QSignalSpy rates(&user.dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);

    user.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QPointer<QProgressDialog> progress;
    QTRY_VERIFY_WITH_TIMEOUT((progress = user.dialog.findChild<QProgressDialog *>()) && progress->isVisible(), 10000);
    QCOMPARE(progress->windowTitle(), searchButton);
    QTRY_COMPARE_WITH_TIMEOUT(progress->labelText(), "Trying 115200 baud…", 5000);
    QCOMPARE(lastRateSent(rates), 115200);

    progress->findChild<QPushButton *>()->click(); // Cancel
    QCOMPARE(lastRateSent(rates), 9600);
    QTRY_VERIFY(!progress || !progress->isVisible());
    QVERIFY(DialogProbe(user.dialog).isIdle());
    QCOMPARE(user.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), "9600");
    QCOMPARE(shown(user.boxes), QStringList{didNotAnswer});
}

QTEST_MAIN(tst_ConfigEndToEnd)
#include "tst_configendtoend.moc"
