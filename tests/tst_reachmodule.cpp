// Reaching a module whatever its state: at an unknown UART rate, with a long
// guard time, or with a stray line before its "OK".
#include "isolatedsettings.h"
#include "modulesimulator.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QSerialPort>
#include <QSettings>
#include <QSignalSpy>

namespace {

const QString didNotAnswer = "Warning | Read settings | The module did not answer. Check the port, the baud rate and "
                             "the module's power.";
const QString searchButton = "Search baud rates";

// The search's own bound, from the click on its button to its answer.
constexpr int searchBoundMs = 14000;

QString serialLow(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QLabel *>("lblSerialLowValue")->text();
}

QString rateShown(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText();
}

int lastRateSent(const QSignalSpy &rates)
{
    return rates.isEmpty() ? 0 : int(rates.last().at(0).value<QSerialPort::BaudRate>());
}

} // namespace

class tst_ReachModule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchFindsModule_data();
    void searchFindsModule();
    void searchCancelled();
    void lateEscapeReply();
    void longGuardTime();
};

void tst_ReachModule::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
}

void tst_ReachModule::searchFindsModule_data()
{
    QTest::addColumn<QStringList>("module");
    QTest::addColumn<QString>("answer"); // the search's message
    QTest::addColumn<QString>("rate");   // shown afterwards

    QTest::newRow("at 115200") << QStringList{"--bd", "A:7"}
                               << "Information | Search baud rates | Found the module at 115200 baud."
                               << "115200";
    QTest::newRow("at 1200, the last rate tried")
        << QStringList{"--bd", "A:0"} << "Information | Search baud rates | Found the module at 1200 baud."
        << "1200";
    QTest::newRow("nobody answers") << QStringList{"--silent", "A"}
                                    << "Warning | Search baud rates | No module answered at any baud rate. Check the "
                                       "port, the cable and the module's power."
                                    << "9600";
}

void tst_ReachModule::searchFindsModule()
{
    QFETCH(QStringList, module);
    QFETCH(QString, answer);
    QFETCH(QString, rate);

    ModuleSimulator simulator(module);
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    boxes.press(searchButton);
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    QSignalSpy rates(&dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);

    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 2, 30000);
    QCOMPARE(shown(boxes), QStringList({didNotAnswer, answer}));
    const qint64 searchMs = boxes.boxes().at(1).shownAtMs - boxes.boxes().at(0).shownAtMs;
    QVERIFY2(searchMs < searchBoundMs, qPrintable(QString::number(searchMs)));
    // The rate found is kept like a choice of the user's; none found brings back the old one.
    QCOMPARE(rateShown(dialog), rate);
    QCOMPARE(lastRateSent(rates), rate.toInt());
    QCOMPARE(QSettings(settings.filePath(), QSettings::IniFormat).value("general/baudrate", 9600).toInt(),
             rate.toInt());

    if (!answer.contains("Found"))
        return;
    boxes.clear();
    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(serialLow(dialog), "40F1A001");
    QCOMPARE(boxes.count(), 0);
}

void tst_ReachModule::searchCancelled()
{
    ModuleSimulator simulator({"--bd", "A:0"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    boxes.press(searchButton);
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    QSignalSpy rates(&dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);

    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QPointer<QProgressDialog> progress;
    QTRY_VERIFY_WITH_TIMEOUT((progress = dialog.findChild<QProgressDialog *>()) && progress->isVisible(), 10000);
    QCOMPARE(progress->windowTitle(), searchButton);
    QTRY_COMPARE_WITH_TIMEOUT(progress->labelText(), "Trying 115200 baud…", 5000);
    QCOMPARE(lastRateSent(rates), 115200);
    // While the search runs, Read does nothing.
    QSignalSpy written(&dialog, &FendrakeXBeeConfiguratorDialog::write_data);
    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QVERIFY(written.isEmpty());

    progress->findChild<QPushButton *>()->click(); // Cancel
    QCOMPARE(lastRateSent(rates), 9600);
    QTRY_VERIFY(!progress || !progress->isVisible());
    QTest::qWait(2 * 1500); // a search would have moved on by now
    QVERIFY(written.isEmpty());
    QCOMPARE(rateShown(dialog), "9600");
    QCOMPARE(shown(boxes), QStringList{didNotAnswer});
}

// A stray line answers "+++" first; the module's "OK" follows and must not
// leave it in command mode.
void tst_ReachModule::lateEscapeReply()
{
    ModuleSimulator simulator({"--guard-ms", "300"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));
    QSerialPort remote(simulator.portB());
    QVERIFY(remote.open(QIODevice::ReadWrite));
    QList<QByteArray> written;
    connect(&dialog, &FendrakeXBeeConfiguratorDialog::write_data, &dialog, [&](const QByteArray &bytes) {
        written.append(bytes);
        if (bytes == "+++" && written.size() == 1)
            remote.write("HELLO\r"); // over the radio to module A, before its guard time is up
    });

    dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTRY_COMPARE(shown(boxes), QStringList{"Warning | Read settings | The module did not enter command mode."});
    QTRY_COMPARE(written, QList<QByteArray>({"+++", "ATCN\r"}));
    QTest::qWait(1000);
    QCOMPARE(written.count("ATCN\r"), 1);

    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(serialLow(dialog), "40F1A001");
    QCOMPARE(boxes.count(), 1);
}

void tst_ReachModule::longGuardTime()
{
    ModuleSimulator simulator({"--guard-ms", "3000"});
    QVERIFY2(simulator.start(), qPrintable(simulator.errorString()));
    const IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    QVERIFY(openPort(dialog, simulator.portA()));

    QVERIFY(runToIdle(dialog, "btnReadSettings"));
    QCOMPARE(serialLow(dialog), "40F1A001");
    QCOMPARE(shown(boxes), QStringList());
}

QTEST_MAIN(tst_ReachModule)
#include "tst_reachmodule.moc"
