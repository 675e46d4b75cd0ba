#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"

#include <QChartView>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QValidator>

class tst_DialogCore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsIdle();
    void validators_data();
    void validators();
    void closeEndsWorkerThread();

private:
    std::unique_ptr<IsolatedSettings> settings;
};

void tst_DialogCore::initTestCase()
{
    settings = std::make_unique<IsolatedSettings>();
}

void tst_DialogCore::startsIdle()
{
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    DialogProbe probe(dialog);

    auto *progress = dialog.findChild<QProgressBar *>("progressBar");
    QVERIFY(!progress->isVisible());
    QCOMPARE(progress->value(), 0);
    QCOMPARE(progress->maximum(), 0);
    QVERIFY(dialog.findChild<QRadioButton *>("rdbTransmitter")->isChecked());
    QVERIFY(!dialog.findChild<QRadioButton *>("rdbReceiver")->isChecked());
    // The Test tab is not current, so ask what the widgets themselves were told.
    QVERIFY(probe.chartView()->isHidden());
    QVERIFY(dialog.findChild<QPushButton *>("btnExportResults")->isHidden());
    QVERIFY(!dialog.findChild<QPushButton *>("btnStartTest")->isHidden());
    QCOMPARE(dialog.findChild<QTabWidget *>("tabWidget")->currentIndex(), 0);
    QVERIFY(probe.serialThread()->isRunning());
    QVERIFY(!probe.commandTimer()->isActive());
    QVERIFY(!probe.testTimer()->isActive());
    QCOMPARE(probe.commandState(), 0);
    QCOMPARE(probe.runType(), 0);
    QCOMPARE(probe.userLevel(), Beginner);
}

void tst_DialogCore::validators_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptable");

    QTest::newRow("RO one digit") << "txtPacketizationTimeout"
                                  << "F" << true;
    QTest::newRow("RO two digits") << "txtPacketizationTimeout"
                                   << "FF" << true;
    QTest::newRow("RO three digits") << "txtPacketizationTimeout"
                                     << "100" << false;
    QTest::newRow("MT 5") << "txtBroadcastMultiTransmits"
                          << "5" << true;
    QTest::newRow("MT 6") << "txtBroadcastMultiTransmits"
                          << "6" << false;
    QTest::newRow("MT A") << "txtBroadcastMultiTransmits"
                          << "A" << false;
    QTest::newRow("MT two digits") << "txtBroadcastMultiTransmits"
                                   << "11" << false;
    QTest::newRow("ID four digits") << "txtPANID"
                                    << "7fFF" << true;
    QTest::newRow("ID five digits") << "txtPANID"
                                    << "7FFFF" << false;
    QTest::newRow("ID not hex") << "txtPANID"
                                << "33G3" << false;
    QTest::newRow("TO two digits") << "txtTransmitOptions"
                                   << "C0" << true;
    QTest::newRow("TO three digits") << "txtTransmitOptions"
                                     << "C00" << false;
    QTest::newRow("DH eight digits") << "txtDestinationAddressHigh"
                                     << "0013A200" << true;
    QTest::newRow("DH nine digits") << "txtDestinationAddressHigh"
                                    << "0013A2000" << false;
    QTest::newRow("DL lower case") << "txtDestinationAddressLow"
                                   << "ffff" << true;
    QTest::newRow("DL blank") << "txtDestinationAddressLow"
                              << "FF FF" << false;
}

void tst_DialogCore::validators()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, acceptable);

    FendrakeXBeeConfiguratorDialog dialog;
    auto *edit = dialog.findChild<QLineEdit *>(field);
    QVERIFY(edit && edit->validator());

    int position = 0;
    QCOMPARE(edit->validator()->validate(text, position) == QValidator::Acceptable, acceptable);
}

void tst_DialogCore::closeEndsWorkerThread()
{
    auto *dialog = new FendrakeXBeeConfiguratorDialog;
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QPointer<QThread> thread = DialogProbe(*dialog).serialThread();
    QSignalSpy finishSpy(dialog, &FendrakeXBeeConfiguratorDialog::finish);

    QTest::mouseClick(dialog->findChild<QPushButton *>("btnClose"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(thread->isRunning());

    delete dialog;
    QCOMPARE(finishSpy.count(), 1);
    QVERIFY2(thread.isNull(), "the worker thread ends and is freed with the dialog");
}

QTEST_MAIN(tst_DialogCore)
#include "tst_dialogcore.moc"
