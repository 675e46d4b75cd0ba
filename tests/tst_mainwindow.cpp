// The main window as it opens: the order of combo items (an item's index is
// the value the module stores), the port selector's colour rules, the images,
// the start state and the input validators; and closing it closes the port.

#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/configurechannelmaskdialog.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "simulateduser.h"

#include <QChartView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void comboItems_data();
    void comboItems();
    void startState();
    void imagesShow();
    void validators_data();
    void validators();
    void closeClosesPort();

private:
    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
};

void tst_MainWindow::comboItems_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("items");

    // clang-format off
    QTest::newRow("configuration") << "cmbConfiguration" << "Custom|Scoreboard|WindSpeed";
    QTest::newRow("BD") << "cmbBaudRate" << "1200|2400|4800|9600|19200|38400|57600|115200";
    QTest::newRow("NB") << "cmbParity" << "No Parity|Even Parity|Odd Parity";
    QTest::newRow("SB") << "cmbStopBits" << "One stop bit|Two stop bits";
    QTest::newRow("AP") << "cmbAPIMode" << "Transparent Mode|API Mode Without Escapes|API Mode With Escapes";
    // clang-format on
}

void tst_MainWindow::comboItems()
{
    QFETCH(QString, combo);
    QFETCH(QString, items);

    const auto *box = dialog.findChild<QComboBox *>(combo);
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts.append(box->itemText(i));
    QCOMPARE(texts.join('|'), items);
    QCOMPARE(box->currentIndex(), 0);
}

void tst_MainWindow::startState()
{
    QVERIFY(dialog.findChild<QWidget *>("tabSettings")->isVisibleTo(&dialog));
    QVERIFY(dialog.findChild<QRadioButton *>("rdbTransmitter")->isChecked());
    for (const char *name : {"progressBar", "btnExportResults"})
        QVERIFY2(dialog.findChild<QWidget *>(name)->isHidden(), name);
    QVERIFY(dialog.findChild<QChartView *>()->isHidden());
    // The channel mask changes only through the calculator, a read or a preset.
    QVERIFY(dialog.findChild<QLineEdit *>("txtChannelMask")->isReadOnly());
    // One rule per colour code of the port selector: open, failed, "None".
    const QString sheet = dialog.findChild<QWidget *>("cmbSerial")->styleSheet();
    for (const char *rule : {"*[code=\"0\"] { background-color: green", "*[code=\"1\"] { background-color: red",
                             "*[code=\"2\"] { color: black"})
        QVERIFY2(sheet.contains(QLatin1String(rule)), rule);
}

// Every button of the forms and every preset shows an image; one missing from
// the compiled-in resources would leave it blank.
void tst_MainWindow::imagesShow()
{
    AboutDialog about;
    ConfigureChannelMaskDialog calculator;
    const auto buttons = dialog.findChildren<QPushButton *>() + about.findChildren<QPushButton *>()
        + calculator.findChildren<QPushButton *>();
    for (const QPushButton *button : buttons)
        QVERIFY2(!button->icon().pixmap(16).isNull(), qPrintable(button->objectName()));
    const auto *presets = dialog.findChild<QComboBox *>("cmbConfiguration");
    for (int i = 1; i < presets->count(); ++i)
        QVERIFY2(!presets->itemIcon(i).pixmap(16).isNull(), qPrintable(presets->itemText(i)));
    // Start turns into Stop while a range test runs.
    QVERIFY(!QIcon(":/fatcow/icons/fatcow/stop.png").pixmap(16).isNull());
}

void tst_MainWindow::validators_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // the keys the field refuses are left out

    // clang-format off
    QTest::newRow("RO two digits") << "txtPacketizationTimeout" << "FF" << "FF";
    QTest::newRow("RO three digits") << "txtPacketizationTimeout" << "100" << "10";
    QTest::newRow("MT 5") << "txtBroadcastMultiTransmits" << "5" << "5";
    QTest::newRow("MT 6") << "txtBroadcastMultiTransmits" << "6" << "";
    QTest::newRow("ID four digits") << "txtPANID" << "7fFF" << "7fFF";
    QTest::newRow("ID five digits") << "txtPANID" << "7FFFF" << "7FFF";
    QTest::newRow("TO three digits") << "txtTransmitOptions" << "C00" << "C0";
    QTest::newRow("DH nine digits") << "txtDestinationAddressHigh" << "0013A2000" << "0013A200";
    QTest::newRow("DL not hex") << "txtDestinationAddressLow" << "FF FF" << "FFFF";
    // clang-format on
}

void tst_MainWindow::validators()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1); // where the PAN ID can be edited
    auto *edit = dialog.findChild<QLineEdit *>(field);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
}

// The window closes the port on its way out, also when the event loop has ended.
void tst_MainWindow::closeClosesPort()
{
    PtyPair pty;
    auto *window = new FendrakeXBeeConfiguratorDialog;
    window->show();
    QVERIFY(openPort(*window, pty.slavePath()));
    QVERIFY(pty.isPeerOpen());

    QTest::mouseClick(window->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    delete window;
    QVERIFY(!pty.isPeerOpen());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
