// Reading and writing simulated modules: what Write sends is what a later Read
// finds, also after switching the module off and on, and an unplugged module
// leaves the program usable.
#include "simulateduser.h"
#include "snapshots.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
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

QTEST_MAIN(tst_ConfigEndToEnd)
#include "tst_configendtoend.moc"
