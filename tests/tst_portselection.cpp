#include "app/fendrakexbeeconfiguratordialog.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "serial/availableports.h"

#include <QComboBox>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTest>

// Ports are written as letters: A and B are pseudo-terminals, X a device
// that does not exist, "-" is "None". The system lists `systemPorts`.
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
    void refreshesOnOpening_data();
    void refreshesOnOpening();
    void nameReadable_data();
    void nameReadable();

private:
    QString path(QChar letter) const;
    QStringList paths(const QString &letters) const;
    QVariant code() const { return dialog->findChild<QComboBox *>("cmbSerial")->property("code"); }
    QComboBox *combo(const char *name) const { return dialog->findChild<QComboBox *>(name); }

    std::unique_ptr<PtyPair> a, b;
    std::unique_ptr<IsolatedSettings> settings;
    std::unique_ptr<FendrakeXBeeConfiguratorDialog> dialog;
    QString systemPorts = "A";
};

void tst_PortSelection::init()
{
    a = std::make_unique<PtyPair>();
    b = std::make_unique<PtyPair>();
    settings = std::make_unique<IsolatedSettings>();
    systemPorts = "A";
    setPortNameSource([this] { return paths(systemPorts); });
}

void tst_PortSelection::cleanup()
{
    dialog.reset();
    setPortNameSource({});
}

QString tst_PortSelection::path(QChar letter) const
{
    return letter == 'A' ? a->slavePath()
        : letter == 'B'  ? b->slavePath()
        : letter == 'X'  ? QStringLiteral("/dev/tarnowick-gone")
                         : QStringLiteral("None");
}

QStringList tst_PortSelection::paths(const QString &letters) const
{
    QStringList result;
    for (QChar letter : letters)
        result.append(path(letter));
    return result;
}

void tst_PortSelection::restoresSelection_data()
{
    QTest::addColumn<QString>("savedPort"); // empty: nothing saved
    QTest::addColumn<QVariant>("savedRate");
    QTest::addColumn<QString>("shownPort");
    QTest::addColumn<QString>("shownRate");
    QTest::addColumn<int>("code");

    // clang-format off
    QTest::newRow("nothing saved") << "" << QVariant() << "-" << "9600" << 2;
    QTest::newRow("port and rate") << "A" << QVariant(115200) << "A" << "115200" << 0;
    QTest::newRow("port gone") << "X" << QVariant(19200) << "-" << "19200" << 2;
    // clang-format on
}

void tst_PortSelection::restoresSelection()
{
    QFETCH(QString, savedPort);
    QFETCH(QVariant, savedRate);
    QFETCH(QString, shownPort);
    QFETCH(QString, shownRate);
    QFETCH(int, code);

    if (!savedPort.isEmpty())
        settings->store("serialport", path(savedPort.at(0)));
    if (savedRate.isValid())
        settings->store("baudrate", savedRate);

    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    QCOMPARE(combo("cmbSerial")->currentText(), path(shownPort.at(0)));
    QCOMPARE(combo("cmbSerialBaudRate")->currentText(), shownRate);
    QTRY_COMPARE(this->code(), QVariant(code));
    // The worker runs the rate the combo shows, also when no change signal carried it.
    if (code == 0)
        QTRY_COMPARE(a->baudRate(), shownRate.toInt());
}

void tst_PortSelection::reportsColourTheChoice_data()
{
    QTest::addColumn<QString>("ports"); // chosen one after the other; "!" pulls the adapter out
    QTest::addColumn<QString>("rate");  // chosen last, unless empty
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason"); // how the selector's tooltip begins; empty: it has none

    // clang-format off
    QTest::newRow("free port") << "A" << "" << 0 << "";
    QTest::newRow("port that cannot open") << "X" << "" << 1 << "The port could not be used: No such file or directory";
    QTest::newRow("None after a port") << "A-" << "" << 2 << "";
    QTest::newRow("rate change while None") << "A-" << "57600" << 2 << "";
    QTest::newRow("rate change reopens") << "A" << "115200" << 0 << "";
    QTest::newRow("back to a working port") << "XA" << "" << 0 << "";
    QTest::newRow("adapter pulled out") << "A!" << "" << 1 << "<A> is gone: the adapter may have been unplugged.";
    // clang-format on
}

void tst_PortSelection::reportsColourTheChoice()
{
    QFETCH(QString, ports);
    QFETCH(QString, rate);
    QFETCH(int, code);
    QFETCH(QString, reason);

    systemPorts = "AX";
    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    for (QChar port : ports) {
        if (port == '!')
            a->closeMaster();
        else
            combo("cmbSerial")->setCurrentIndex(combo("cmbSerial")->findText(path(port)));
        QTRY_COMPARE(this->code(), QVariant(port == '-' ? 2 : port == 'X' || port == '!' ? 1 : 0));
    }
    if (!rate.isEmpty()) {
        combo("cmbSerialBaudRate")->setCurrentIndex(combo("cmbSerialBaudRate")->findText(rate));
        if (code == 0)
            QTRY_COMPARE(a->baudRate(), rate.toInt());
    }
    QTRY_COMPARE(this->code(), QVariant(code));
    const QString toolTip = combo("cmbSerial")->toolTip();
    reason.replace("<A>", path('A'));
    QVERIFY2(reason.isEmpty() ? toolTip.isEmpty() : toolTip.startsWith(reason), qPrintable(toolTip));
    // Only a port that shows green is open.
    if (ports.contains('A'))
        QTRY_COMPARE(a->isPeerOpen(), code == 0);

    // The last choice is in the settings file at once.
    QSettings file(settings->filePath(), QSettings::IniFormat);
    QCOMPARE(file.value("General/serialport").toString(), path(ports.remove('!').back()));
    if (!rate.isEmpty())
        QCOMPARE(file.value("General/baudrate").toInt(), rate.toInt());
}

void tst_PortSelection::refreshesOnOpening_data()
{
    QTest::addColumn<QString>("before"); // listed at start
    QTest::addColumn<QString>("extra");  // given with --port
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("after");    // listed when the user opens the list
    QTest::addColumn<QString>("expected"); // the list the user then sees
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("key"); // how the list is opened; 0 is a click

    // clang-format off
    QTest::newRow("new port appears") << "A" << "" << "A" << "AB" << "-AB" << 0 << 0;
    QTest::newRow("opened with F4") << "A" << "" << "A" << "AB" << "-AB" << 0 << int(Qt::Key_F4);
    QTest::newRow("unselected port vanishes") << "AB" << "" << "A" << "A" << "-A" << 0 << 0;
    QTest::newRow("selected port vanishes") << "AB" << "" << "A" << "B" << "-AB" << 1 << 0;
    QTest::newRow("everything gone, None selected") << "AB" << "" << "-" << "" << "-" << 2 << 0;
    QTest::newRow("--port entry stays") << "A" << "B" << "B" << "" << "-B" << 0 << 0;
    QTest::newRow("--port entry listed twice") << "A" << "A" << "A" << "A" << "-A" << 0 << 0;
    // clang-format on
}

void tst_PortSelection::refreshesOnOpening()
{
    QFETCH(QString, before);
    QFETCH(QString, extra);
    QFETCH(QString, selected);
    QFETCH(QString, after);
    QFETCH(QString, expected);
    QFETCH(int, code);
    QFETCH(int, key);

    systemPorts = before;
    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    if (!extra.isEmpty())
        dialog->addExtraPort(path(extra.at(0)));
    dialog->show();
    QComboBox *ports = combo("cmbSerial");
    ports->setCurrentIndex(ports->findText(path(selected.at(0))));
    QTRY_COMPARE(this->code(), QVariant(selected == "-" ? 2 : 0));

    systemPorts = after;
    QSignalSpy portChanges(dialog.get(), &FendrakeXBeeConfiguratorDialog::change_port);
    if (key)
        QTest::keyClick(ports, Qt::Key(key));
    else
        QTest::mouseClick(ports, Qt::LeftButton);
    ports->hidePopup();

    QStringList items;
    for (int i = 0; i < ports->count(); ++i)
        items.append(ports->itemText(i));
    QCOMPARE(items, paths(expected));
    QCOMPARE(ports->currentText(), path(selected.at(0)));
    QCOMPARE(this->code(), QVariant(code));
    QVERIFY2(portChanges.isEmpty(), "refreshing the list never reopens or closes the port");
}

void tst_PortSelection::nameReadable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed"); // by the system, found when the list opens; else given with --port
    QTest::addColumn<bool>("whole");  // shown without eliding

    const QString thirty = "/dev/serial/by-id/usb-FTDI-0001"; // 31 characters
    QTest::newRow("short, --port") << "ttyUSB0" << false << true;
    QTest::newRow("30 characters, listed") << thirty.left(30) << true << true;
    QTest::newRow("31 characters, --port") << thirty << false << false;
    QTest::newRow("long, listed") << "/dev/serial/by-id/usb-Digi_International_XBIB-U-DEV_DN02ABCD-if00-port0" << true
                                  << false;
}

// The closed selector shows which port is chosen: the whole name, or for a
// long one its start and end, and the whole name as its tooltip.
void tst_PortSelection::nameReadable()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QFETCH(bool, whole);

    systemPorts = "A";
    dialog = std::make_unique<FendrakeXBeeConfiguratorDialog>();
    dialog->show();
    QComboBox *ports = combo("cmbSerial");
    QSignalSpy portChanges(dialog.get(), &FendrakeXBeeConfiguratorDialog::change_port);
    if (listed) {
        setPortNameSource([&] { return QStringList{a->slavePath(), name}; });
        QTest::mouseClick(ports, Qt::LeftButton);
        ports->hidePopup();
        ports->setCurrentIndex(ports->findData(name));
    } else {
        dialog->addExtraPort(name);
    }
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    const QString text = ports->currentText();
    QCOMPARE(text == name, whole);
    QCOMPARE(ports->toolTip().split('\n').contains(name), !whole); // a red port adds why
    if (!whole) {
        QCOMPARE(text.count(u'…'), 1);
        QVERIFY(name.startsWith(text.section(u'…', 0, 0)) && name.endsWith(text.section(u'…', 1)));
    }
    QStyleOptionComboBox option;
    option.initFrom(ports);
    const QRect field =
        ports->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, ports);
    const int needed =
        qMax(ports->fontMetrics().horizontalAdvance(text), ports->fontMetrics().horizontalAdvance("ttyUSB10XX"));
    QVERIFY2(field.width() >= needed, qPrintable(QString("%1 < %2").arg(field.width()).arg(needed)));
    // The worker and the settings get the whole name.
    QCOMPARE(portChanges.last().at(0).toString(), name);
    QCOMPARE(QSettings(settings->filePath(), QSettings::IniFormat).value("General/serialport").toString(), name);
}

QTEST_MAIN(tst_PortSelection)
#include "tst_portselection.moc"
