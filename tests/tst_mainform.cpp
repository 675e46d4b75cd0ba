// What the compiler cannot check about the main window's form: the order of
// combo items (an item's index is the value the module stores), the port
// selector's colour rules, the start state and the images. Built on a plain
// QDialog, so only the form is tested.

#include "ui_fendrakexbeeconfiguratordialog.h"

#include <QtTest>

class tst_MainForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void comboItems_data();
    void comboItems();
    void startState();
    void iconsAreCompiledIn();

private:
    QDialog *dialog = nullptr;
    Ui::FendrakeXBeeConfiguratorDialog ui;
};

void tst_MainForm::init()
{
    dialog = new QDialog;
    ui.setupUi(dialog);
}

void tst_MainForm::cleanup()
{
    delete dialog;
}

void tst_MainForm::comboItems_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("items");

    QTest::newRow("profile") << "cmbProfile"
                             << "Beginner|Guru";
    QTest::newRow("configuration") << "cmbConfiguration"
                                   << "Custom|Scoreboard|WindSpeed";
    QTest::newRow("BD") << "cmbBaudRate"
                        << "1200|2400|4800|9600|19200|38400|57600|115200";
    QTest::newRow("NB") << "cmbParity"
                        << "No Parity|Even Parity|Odd Parity";
    QTest::newRow("SB") << "cmbStopBits"
                        << "One stop bit|Two stop bits";
    QTest::newRow("AP") << "cmbAPIMode"
                        << "Transparent Mode|API Mode Without Escapes|API Mode With Escapes";
    QTest::newRow("MM") << "cmbMACMode"
                        << "802.15.4 + Digi header with ACKs|Strict 802.15.4 no ACKs|Strict 802.15.4 with "
                           "ACKs|802.15.4 + Digi header no ACKs";
    QTest::newRow("ports, filled at run time") << "cmbSerial"
                                               << "";
}

void tst_MainForm::comboItems()
{
    QFETCH(QString, combo);
    QFETCH(QString, items);

    const auto *box = dialog->findChild<QComboBox *>(combo);
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    QCOMPARE(texts.join('|'), items);
    QCOMPARE(box->currentIndex(), items.isEmpty() ? -1 : 0);
}

void tst_MainForm::startState()
{
    QCOMPARE(dialog->size(), QSize(425, 710));
    QCOMPARE(dialog->windowTitle(), QString("TarnowickDialog"));
    QCOMPARE(ui.tabWidget->currentWidget(), ui.tabSettings);
    QCOMPARE(ui.tabWidget->tabText(1), QString("Test"));
    // The channel mask changes only through the calculator, a read or a preset.
    QVERIFY(ui.txtChannelMask->isReadOnly());
    QVERIFY(!ui.rdbTransmitter->isChecked() && !ui.rdbReceiver->isChecked());
    // One rule per colour code; the property itself is set at run time.
    const QString sheet = ui.cmbSerial->styleSheet();
    for (const char *rule : {"*[code=\"0\"] { background-color: green", "*[code=\"1\"] { background-color: red",
                             "*[code=\"2\"] { color: black"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
    QVERIFY(!ui.cmbSerial->property("code").isValid());
}

void tst_MainForm::iconsAreCompiledIn()
{
    // Every image the forms name must resolve, or a button shows no icon.
    for (const char *name : {"accept_button.png", "information.png", "calculator.png", "update.png", "pencil.png",
                             "gun.png", "stop.png", "export_excel.png"})
        QVERIFY2(!QIcon(QString(":/fatcow/icons/fatcow/") + name).pixmap(16).isNull(), name);
    for (const char *name : {"scoreboard.jpg", "windspeed.png", "Qt.png"})
        QVERIFY2(!QIcon(QString(":/custom/icons/custom/") + name).pixmap(16).isNull(), name);
    QVERIFY(!ui.btnReadSettings->icon().isNull());
    QVERIFY(!ui.cmbConfiguration->itemIcon(1).isNull());
    QVERIFY(ui.cmbConfiguration->itemIcon(0).isNull());
}

QTEST_MAIN(tst_MainForm)
#include "tst_mainform.moc"
