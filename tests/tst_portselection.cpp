#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "serial/availableports.h"

#include <QComboBox>
#include <QSettings>
#include <QTest>

namespace {

const QString missingPort = QStringLiteral("/dev/tarnowick-gone");

QVariant codeOf(FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QComboBox *>("cmbSerial")->property("code");
}

} // namespace

class tst_PortSelection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void restoresSelection_data();
    void restoresSelection();
    void reportsColourTheChoice_data();
    void reportsColourTheChoice();
    void choiceIsStored();
    void lostDeviceTurnsRed();
    void extraPortIsOfferedOnce_data();
    void extraPortIsOfferedOnce();

private:
    std::unique_ptr<PtyPair> pty;
    std::unique_ptr<IsolatedSettings> settings;
};

void tst_PortSelection::init()
{
    pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    settings = std::make_unique<IsolatedSettings>();
    const QString ptyName = pty->slavePath();
    setPortNameSource([ptyName] { return QStringList{ptyName}; });
}

void tst_PortSelection::cleanup()
{
    setPortNameSource({});
    settings.reset();
    pty.reset();
}

void tst_PortSelection::restoresSelection_data()
{
    QTest::addColumn<QVariant>("savedPort"); // "<pty>" stands for the listed pseudo-terminal
    QTest::addColumn<QVariant>("savedRate");
    QTest::addColumn<QString>("shownPort");
    QTest::addColumn<QString>("shownRate");
    QTest::addColumn<int>("code");

    QTest::newRow("nothing saved") << QVariant() << QVariant() << "None"
                                   << "9600" << 2;
    QTest::newRow("port and rate") << QVariant("<pty>") << QVariant(115200) << "<pty>"
                                   << "115200" << 0;
    QTest::newRow("port, no rate") << QVariant("<pty>") << QVariant() << "<pty>"
                                   << "9600" << 0;
    QTest::newRow("rate 1200 already shown") << QVariant("<pty>") << QVariant(1200) << "<pty>"
                                             << "1200" << 0;
    QTest::newRow("rate not in the list") << QVariant("<pty>") << QVariant(12345) << "<pty>"
                                          << "1200" << 0;
    QTest::newRow("port gone") << QVariant(missingPort) << QVariant(19200) << "None"
                               << "19200" << 2;
    QTest::newRow("None saved") << QVariant("None") << QVariant() << "None"
                                << "9600" << 2;
}

void tst_PortSelection::restoresSelection()
{
    QFETCH(QVariant, savedPort);
    QFETCH(QVariant, savedRate);
    QFETCH(QString, shownPort);
    QFETCH(QString, shownRate);
    QFETCH(int, code);

    shownPort.replace("<pty>", pty->slavePath());
    if (savedPort.isValid())
        settings->store("serialport", savedPort.toString().replace("<pty>", pty->slavePath()));
    if (savedRate.isValid())
        settings->store("baudrate", savedRate);

    FendrakeXBeeConfiguratorDialog dialog;
    QCOMPARE(dialog.findChild<QComboBox *>("cmbSerial")->currentText(), shownPort);
    QCOMPARE(dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), shownRate);
    QTRY_COMPARE(codeOf(dialog), QVariant(code));
    QCOMPARE(DialogProbe(dialog).serialPortOpen(), code == 0);
    // The worker runs the rate the combo shows, also when no change signal carried it.
    if (code == 0)
        QTRY_COMPARE(pty->baudRate(), shownRate.toInt());
}

void tst_PortSelection::reportsColourTheChoice_data()
{
    QTest::addColumn<QStringList>("ports"); // chosen one after the other
    QTest::addColumn<QString>("rate");      // chosen last, unless empty
    QTest::addColumn<int>("code");

    QTest::newRow("free port") << QStringList{"<pty>"} << QString() << 0;
    QTest::newRow("port that cannot open") << QStringList{missingPort} << QString() << 1;
    QTest::newRow("None after a port") << QStringList{"<pty>", "None"} << QString() << 2;
    QTest::newRow("rate change while None") << QStringList{"<pty>", "None"} << "57600" << 2;
    QTest::newRow("rate change reopens") << QStringList{"<pty>"} << "115200" << 0;
    QTest::newRow("back to a working port") << QStringList{missingPort, "<pty>"} << QString() << 0;
}

void tst_PortSelection::reportsColourTheChoice()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, rate);
    QFETCH(int, code);

    FendrakeXBeeConfiguratorDialog dialog;
    dialog.addExtraPort(missingPort);
    auto *portCombo = dialog.findChild<QComboBox *>("cmbSerial");
    auto *rateCombo = dialog.findChild<QComboBox *>("cmbSerialBaudRate");
    DialogProbe probe(dialog);

    for (QString port : ports) {
        port.replace("<pty>", pty->slavePath());
        portCombo->setCurrentIndex(portCombo->findText(port));
        QTRY_COMPARE(codeOf(dialog), QVariant(port == "None" ? 2 : port == missingPort ? 1 : 0));
    }
    if (!rate.isEmpty()) {
        probe.commandTimer()->start(1500);
        rateCombo->setCurrentIndex(rateCombo->findText(rate));
        if (code == 0)
            QTRY_COMPARE(pty->baudRate(), rate.toInt());
    }
    QTRY_COMPARE(codeOf(dialog), QVariant(code));
    QCOMPARE(probe.serialPortOpen(), code == 0);
    if (code == 2)
        QTRY_VERIFY2(!probe.commandTimer()->isActive(), "no port: a command run cannot go on");
}

void tst_PortSelection::choiceIsStored()
{
    FendrakeXBeeConfiguratorDialog dialog;
    auto *portCombo = dialog.findChild<QComboBox *>("cmbSerial");
    auto *rateCombo = dialog.findChild<QComboBox *>("cmbSerialBaudRate");
    portCombo->setCurrentIndex(portCombo->findText(pty->slavePath()));
    portCombo->setCurrentIndex(0);
    rateCombo->setCurrentIndex(rateCombo->findText("115200"));

    QSettings file(settings->filePath(), QSettings::IniFormat);
    QCOMPARE(file.value("general/serialport").toString(), QString("None"));
    QCOMPARE(file.value("general/baudrate").toInt(), 115200);
}

void tst_PortSelection::lostDeviceTurnsRed()
{
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.addExtraPort(pty->slavePath());
    QTRY_COMPARE(codeOf(dialog), QVariant(0));
    QVERIFY(DialogProbe(dialog).serialPortOpen());

    pty->closeMaster();
    QTRY_COMPARE(codeOf(dialog), QVariant(1));
    QVERIFY(!DialogProbe(dialog).serialPortOpen());
}

void tst_PortSelection::extraPortIsOfferedOnce_data()
{
    QTest::addColumn<bool>("listedBySystem");
    QTest::newRow("virtual port") << false;
    QTest::newRow("port the system lists") << true;
}

void tst_PortSelection::extraPortIsOfferedOnce()
{
    QFETCH(bool, listedBySystem);
    if (!listedBySystem)
        setPortNameSource([] { return QStringList{}; });

    FendrakeXBeeConfiguratorDialog dialog;
    dialog.addExtraPort(pty->slavePath());
    auto *portCombo = dialog.findChild<QComboBox *>("cmbSerial");
    QCOMPARE(portCombo->count(), 2);
    QCOMPARE(portCombo->currentText(), pty->slavePath());
    QCOMPARE(portCombo->currentData().toString(), pty->slavePath());
    QTRY_COMPARE(codeOf(dialog), QVariant(0));
}

QTEST_MAIN(tst_PortSelection)
#include "tst_portselection.moc"
