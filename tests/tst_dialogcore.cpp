#include "app/fendrakexbeeconfiguratordialog.h"
#include "isolatedsettings.h"
#include "ptypair.h"
#include "simulateduser.h"

#include <QChartView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QValidator>

class tst_DialogCore : public QObject
{
    Q_OBJECT

private slots:
    void startsIdle();
    void validators_data();
    void validators();
    void closeClosesPort();

private:
    IsolatedSettings settings;
};

void tst_DialogCore::startsIdle()
{
    FendrakeXBeeConfiguratorDialog dialog;

    QVERIFY(dialog.findChild<QProgressBar *>("progressBar")->isHidden());
    QVERIFY(dialog.findChild<QRadioButton *>("rdbTransmitter")->isChecked());
    QVERIFY(dialog.findChild<QChartView *>()->isHidden());
    QVERIFY(dialog.findChild<QPushButton *>("btnExportResults")->isHidden());
    QVERIFY(!dialog.findChild<QPushButton *>("btnStartTest")->isHidden());
}

void tst_DialogCore::validators_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptable");

    // clang-format off
    QTest::newRow("RO two digits") << "txtPacketizationTimeout" << "FF" << true;
    QTest::newRow("RO three digits") << "txtPacketizationTimeout" << "100" << false;
    QTest::newRow("MT 5") << "txtBroadcastMultiTransmits" << "5" << true;
    QTest::newRow("MT 6") << "txtBroadcastMultiTransmits" << "6" << false;
    QTest::newRow("ID four digits") << "txtPANID" << "7fFF" << true;
    QTest::newRow("ID five digits") << "txtPANID" << "7FFFF" << false;
    QTest::newRow("TO three digits") << "txtTransmitOptions" << "C00" << false;
    QTest::newRow("DH nine digits") << "txtDestinationAddressHigh" << "0013A2000" << false;
    QTest::newRow("DL not hex") << "txtDestinationAddressLow" << "FF FF" << false;
    // clang-format on
}

void tst_DialogCore::validators()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, acceptable);

    FendrakeXBeeConfiguratorDialog dialog;
    const QValidator *validator = dialog.findChild<QLineEdit *>(field)->validator();
    int position = 0;
    QVERIFY(validator);
    QCOMPARE(validator->validate(text, position) == QValidator::Acceptable, acceptable);
}

// The window closes the port on its way out, also when the event loop has ended.
void tst_DialogCore::closeClosesPort()
{
    PtyPair pty;
    auto *dialog = new FendrakeXBeeConfiguratorDialog;
    dialog->show();
    QVERIFY(openPort(*dialog, pty.slavePath()));
    QVERIFY(pty.isPeerOpen());

    QTest::mouseClick(dialog->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    delete dialog;
    QVERIFY(!pty.isPeerOpen());
}

QTEST_MAIN(tst_DialogCore)
#include "tst_dialogcore.moc"
