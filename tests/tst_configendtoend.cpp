#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "modulesimulator.h"
#include "snapshots.h"

#include <QElapsedTimer>
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

QString portCode(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QComboBox *>("cmbSerial")->property("code").toString();
}

bool openPort(FendrakeXBeeConfiguratorDialog &dialog, const QString &path)
{
    dialog.addExtraPort(path);
    const DialogProbe probe(dialog);
    return QTest::qWaitFor([&] { return probe.serialPortOpen() && portCode(dialog) == "0"; }, 5000);
}

// Read or Write and wait for the end of the run (about 2.5 s with a 50 ms guard time).
bool runToIdle(FendrakeXBeeConfiguratorDialog &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(button)->click();
    const DialogProbe probe(dialog);
    return probe.commandState() != 0 && QTest::qWaitFor([&] { return probe.commandState() == 0; }, 10000);
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
    void writeIsStoredByWR();
    void moduleFails_data();
    void moduleFails();
};

void tst_ConfigEndToEnd::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
}

// The module keeps what Write sent once it has "WR", also when switched off and on again.
void tst_ConfigEndToEnd::writeIsStoredByWR()
{
    const QTemporaryDir stateDir;
    QVERIFY(stateDir.isValid());
    const QStringList arguments = fastGuard + QStringList{"--state", stateDir.filePath("modules.json")};
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    {
        ModuleSimulator simulator(arguments);
        QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
        QVERIFY(openPort(dialog, simulator.portA()));
        dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(1);
        // TO and CM unlike the preset's: reading PAN ID 3333 back must not restore the preset.
        setForm(dialog,
                {{"txtTransmitOptions", "80"}, {"txtChannelMask", "ffc00"}, {"cmbAPIMode", "1"}, {"cmbBaudRate", "4"}});
        QVERIFY(runToIdle(dialog, "btnWriteSettings"));
    }

    ModuleSimulator restarted(arguments);
    QVERIFY2(restarted.start(), qPrintable(restarted.errorString()));
    QVERIFY(readFrom(dialog, restarted.portA()));
    // clang-format off
    QCOMPARE(formState(dialog), merged(factoryModuleA, {
        {"txtPANID", "3333"}, {"cmbConfiguration", "1"}, {"txtTransmitOptions", "80"}, {"txtChannelMask", "FFC00"},
        {"txtBroadcastMultiTransmits", "0"}, {"cmbBaudRate", "4"}, {"cmbAPIMode", "1"}}));
    // clang-format on
    QCOMPARE(shown(boxes), QStringList{"Information | Write settings | All settings have been written to the device."});
}

void tst_ConfigEndToEnd::moduleFails_data()
{
    QTest::addColumn<QStringList>("behaviour");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("code"); // of module A's port afterwards: 1 is red

    const QString didNotAnswer = "Warning | Read settings | The module did not answer. Check the port, the baud rate "
                                 "and the module's power.";
    QTest::newRow("refuses ID") << QStringList{"--refuse", "ID"} << QByteArray("btnWriteSettings")
                                << "Warning | Write settings | The module refused: ID=4444"
                                << "0";
    QTest::newRow("silent") << QStringList{"--silent", "A"} << QByteArray("btnReadSettings") << didNotAnswer << "0";
    // "+++" and seven entries reach the module, then its adapter is pulled.
    QTest::newRow("unplugged mid-run") << QStringList{"--hangup-after", "A:38"} << QByteArray("btnReadSettings")
                                       << didNotAnswer << "1";
}

void tst_ConfigEndToEnd::moduleFails()
{
    QFETCH(QStringList, behaviour);
    QFETCH(QByteArray, button);
    QFETCH(QString, message);
    QFETCH(QString, code);

    ModuleSimulator simulator(fastGuard + behaviour);
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(2); // a Write sends ID=4444
    QElapsedTimer clock;
    clock.start();
    qint64 lastEntryAt = 0; // leaving command mode is not waited for
    connect(&dialog, &FendrakeXBeeConfiguratorDialog::write_data, &dialog, [&](const QByteArray &bytes) {
        if (bytes != "ATCN\r")
            lastEntryAt = clock.elapsed();
    });

    QVERIFY(runToIdle(dialog, button));
    // At most one reply deadline (3 s) after the last entry, with headroom for a busy machine.
    QVERIFY2(clock.elapsed() - lastEntryAt < 4000, qPrintable(QString::number(clock.elapsed() - lastEntryAt)));
    QTRY_COMPARE(shown(boxes), QStringList{message});
    QCOMPARE(portCode(dialog), code);

    // Still usable: module B is read in full.
    QVERIFY(readFrom(dialog, simulator.portB()));
    QCOMPARE(formState(dialog), merged(factoryModuleA, {{"lblSerialLowValue", "40F1A002"}}));
    QCOMPARE(shown(boxes), QStringList{message});
}

QTEST_MAIN(tst_ConfigEndToEnd)
#include "tst_configendtoend.moc"
