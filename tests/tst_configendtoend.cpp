#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "formsnapshot.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modulesimulator.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The simulator's module A as it leaves the factory (registers and combo indices).
const FormState factoryModuleA{{"txtTransmitOptions", "C0"},
                               {"txtChannelMask", "3EFFFDFF"},
                               {"txtPANID", "7FFF"},
                               {"txtBroadcastMultiTransmits", "3"},
                               {"txtDestinationAddressLow", "FFFF"},
                               {"txtDestinationAddressHigh", "0"},
                               {"txtPacketizationTimeout", "3"},
                               {"lblSerialHighValue", "13A200"},
                               {"lblSerialLowValue", "40F1A001"},
                               {"cmbBaudRate", "3"},
                               {"cmbParity", "0"},
                               {"cmbStopBits", "0"},
                               {"cmbAPIMode", "0"},
                               {"cmbMACMode", "2"},
                               {"cmbConfiguration", "0"}}; // MAC mode: as scrambleForm left it

const QString didNotAnswer = "The module did not answer. Check the port, the baud rate and the module's power.";

void click(FendrakeXBeeConfiguratorDialog &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QLatin1String(button))->click();
}

bool openPort(FendrakeXBeeConfiguratorDialog &dialog, const QString &path)
{
    dialog.addExtraPort(path);
    const DialogProbe probe(dialog);
    auto *portCombo = dialog.findChild<QComboBox *>("cmbSerial");
    return QTest::qWaitFor([&] { return probe.serialPortOpen() && portCombo->property("code") == 0; }, 5000);
}

// Read or Write and wait for the end of the run (about 2.5 s with a 50 ms guard time).
bool runToIdle(FendrakeXBeeConfiguratorDialog &dialog, const char *button)
{
    click(dialog, button);
    const DialogProbe probe(dialog);
    return probe.commandState() != 0 && QTest::qWaitFor([&] { return probe.commandState() == 0; }, 10000);
}

QJsonObject storedRegisters(const QString &stateFile)
{
    QFile file(stateFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value("A").toObject();
}

const QStringList fastGuard{"--guard-ms", "50"};

} // namespace

class tst_ConfigEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readShowsTheModule_data();
    void readShowsTheModule();
    void writeIsStoredByWR();
    void refusedEntryIsNamed();
    void silentModuleEndsInTime();
    void unpluggedMidRun();

private:
    std::unique_ptr<IsolatedSettings> settings;
    QTemporaryDir stateDir;
};

void tst_ConfigEndToEnd::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
    QVERIFY(stateDir.isValid());
}

void tst_ConfigEndToEnd::init()
{
    settings = std::make_unique<IsolatedSettings>();
    QFile::remove(stateDir.filePath("modules.json"));
}

void tst_ConfigEndToEnd::cleanup()
{
    settings.reset();
}

// clang-format off
void tst_ConfigEndToEnd::readShowsTheModule_data()
{
    QTest::addColumn<QByteArray>("stored"); // module A's state file entry, JSON
    QTest::addColumn<FormState>("shown");

    QTest::newRow("factory module") << QByteArray() << factoryModuleA;
    QTest::newRow("PAN ID 3333: TO and CM stay the module's")
        << QByteArray(R"({"ID": "3333", "TO": "80", "CM": "FFC00", "AP": "1", "BD": "7", "RO": "FF"})")
        << merged(factoryModuleA, {{"txtPANID", "3333"}, {"cmbConfiguration", "1"}, {"txtTransmitOptions", "80"},
                                   {"txtChannelMask", "FFC00"}, {"cmbAPIMode", "1"}, {"cmbBaudRate", "7"},
                                   {"txtPacketizationTimeout", "FF"}});
    QTest::newRow("PAN ID 4444, API mode 2")
        << QByteArray(R"({"ID": "4444", "AP": "2", "NB": "2", "SB": "1", "DL": "1234", "DH": "13A200"})")
        << merged(factoryModuleA, {{"txtPANID", "4444"}, {"cmbConfiguration", "2"}, {"cmbAPIMode", "2"},
                                   {"cmbParity", "2"}, {"cmbStopBits", "1"}, {"txtDestinationAddressLow", "1234"},
                                   {"txtDestinationAddressHigh", "13A200"}});
}
// clang-format on

void tst_ConfigEndToEnd::readShowsTheModule()
{
    QFETCH(QByteArray, stored);
    QFETCH(FormState, shown);

    const QString stateFile = stateDir.filePath("modules.json");
    if (!stored.isEmpty()) {
        QFile file(stateFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"A": )" + stored + "}");
    }
    ModuleSimulator simulator(fastGuard + QStringList{"--state", stateFile});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    scrambleForm(dialog, 2);

    QVERIFY(runToIdle(dialog, "btnReadSettings"));

    QCOMPARE(formState(dialog), shown);
    QVERIFY(dialog.findChild<QProgressBar *>("progressBar")->isHidden());
    QCOMPARE(boxes.count(), 0);
}

void tst_ConfigEndToEnd::writeIsStoredByWR()
{
    const QString stateFile = stateDir.filePath("modules.json");
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    {
        ModuleSimulator simulator(fastGuard + QStringList{"--state", stateFile});
        QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
        QVERIFY(openPort(dialog, simulator.portA()));
        dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(1);
        dialog.findChild<QLineEdit *>("txtDestinationAddressLow")->setText("abcd");
        dialog.findChild<QComboBox *>("cmbAPIMode")->setCurrentIndex(1);
        dialog.findChild<QComboBox *>("cmbBaudRate")->setCurrentIndex(4);

        QVERIFY(runToIdle(dialog, "btnWriteSettings"));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Information);
        QCOMPARE(boxes.boxes().at(0).text, QString("All settings have been written to the device."));

        const QJsonObject stored = storedRegisters(stateFile);
        const QList<std::pair<const char *, const char *>> written{
            {"TO", "40"}, {"CM", "3EFFFC00"}, {"ID", "3333"}, {"MT", "0"}, {"DL", "ABCD"}, {"DH", "0"},
            {"BD", "4"},  {"NB", "0"},        {"SB", "0"},    {"RO", "3"}, {"AP", "1"}};
        for (const auto &[name, value] : written)
            QCOMPARE(stored.value(QLatin1String(name)).toString(), QString(value));
    }

    // A module that was switched off and on again still has them.
    ModuleSimulator restarted(fastGuard + QStringList{"--state", stateFile});
    QVERIFY2(restarted.start(), qPrintable(restarted.errorString()));
    QVERIFY(openPort(dialog, restarted.portA()));
    scrambleForm(dialog, 2);
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(formState(dialog),
             merged(factoryModuleA,
                    {{"txtTransmitOptions", "40"},
                     {"txtChannelMask", "3EFFFC00"},
                     {"txtPANID", "3333"},
                     {"cmbConfiguration", "1"},
                     {"txtBroadcastMultiTransmits", "0"},
                     {"txtDestinationAddressLow", "ABCD"},
                     {"cmbBaudRate", "4"},
                     {"cmbAPIMode", "1"}}));
    QCOMPARE(boxes.count(), 1);
}

void tst_ConfigEndToEnd::refusedEntryIsNamed()
{
    ModuleSimulator simulator(fastGuard + QStringList{"--refuse", "ID"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    dialog.findChild<QComboBox *>("cmbConfiguration")->setCurrentIndex(2);

    QVERIFY(runToIdle(dialog, "btnWriteSettings"));

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).icon, QMessageBox::Warning);
    QCOMPARE(boxes.boxes().at(0).title, QString("Write settings"));
    QCOMPARE(boxes.boxes().at(0).text, QString("The module refused: ID=4444"));
}

void tst_ConfigEndToEnd::silentModuleEndsInTime()
{
    ModuleSimulator simulator(fastGuard + QStringList{"--silent", "A"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));

    QElapsedTimer sinceRead;
    sinceRead.start();
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    // The deadline runs from the last byte sent: "+++", or the first entry after the
    // guard time and a tick; the rest is headroom for a busy machine.
    QVERIFY2(sinceRead.elapsed() < 3000 + 50 + 100 + 1000, qPrintable(QString::number(sinceRead.elapsed())));
    QTRY_COMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).title, QString("Read settings"));
    QCOMPARE(boxes.boxes().at(0).text, didNotAnswer);
    QVERIFY(dialog.findChild<QProgressBar *>("progressBar")->isHidden());

    // The next Read is served; module B answers.
    QVERIFY(openPort(dialog, simulator.portB()));
    scrambleForm(dialog, 2);
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(formState(dialog), merged(factoryModuleA, {{"lblSerialLowValue", "40F1A002"}}));
    QCOMPARE(boxes.count(), 1);
}

void tst_ConfigEndToEnd::unpluggedMidRun()
{
    // "+++" and seven entries reach the module, then its adapter is pulled.
    ModuleSimulator simulator(fastGuard + QStringList{"--hangup-after", "A:38"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    const DialogProbe probe(dialog);
    QVERIFY(openPort(dialog, simulator.portA()));
    auto *portCombo = dialog.findChild<QComboBox *>("cmbSerial");

    click(dialog, "btnReadSettings");
    QTRY_COMPARE_WITH_TIMEOUT(portCombo->property("code"), QVariant(1), 5000);
    QVERIFY(!probe.serialPortOpen());
    QTRY_COMPARE_WITH_TIMEOUT(probe.commandState(), 0, 5000);
    QTRY_COMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).title, QString("Read settings"));
    QCOMPARE(boxes.boxes().at(0).text, didNotAnswer);
    QVERIFY(dialog.findChild<QProgressBar *>("progressBar")->isHidden());

    // Still usable: another module is read in full.
    QVERIFY(openPort(dialog, simulator.portB()));
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(dialog.findChild<QLabel *>("lblSerialLowValue")->text(), QString("40F1A002"));
    QCOMPARE(boxes.count(), 1);
}

QTEST_MAIN(tst_ConfigEndToEnd)
#include "tst_configendtoend.moc"
