// A port that goes away under the window: the adapter pulled out while a
// range test transmits, or between two Reads, and put back. The simulator
// stopping is the adapter pulled; started again, it is put back under the
// same name.
#include "app/statuslabel.h"
#include "simulateduser.h"
#include "snapshots.h"

#include <QAbstractItemView>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

namespace {

const QString notOpen = QStringLiteral("Serial port not open");

// The whole text of a line the window may shorten.
QString whole(const QWidget &dialog, const char *label)
{
    return dialog.findChild<StatusLabel *>(label)->fullText();
}

QString gone(const QString &port)
{
    return port + " is gone: the adapter may have been unplugged.";
}

void showTransmitter(FendrakeXBeeConfiguratorDialog &dialog)
{
    dialog.show();
    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    dialog.findChild<QRadioButton *>("rdbTransmitter")->click();
}

// Picks the item already chosen in the open list, as a user does with the mouse.
void chooseAgain(QComboBox *combo)
{
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    const QRect item = list->visualRect(list->model()->index(combo->currentIndex(), 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
}

} // namespace

class tst_LostPort : public QObject
{
    Q_OBJECT

private slots:
    void transmitterWithoutPort();
    void transmitterLosesPort();
    void lostPortTakenUp_data();
    void lostPortTakenUp();
};

// Start without an open port refuses as Read does; nothing counts as sent.
void tst_LostPort::transmitterWithoutPort()
{
    IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    showTransmitter(dialog);
    dialog.findChild<QPushButton *>("btnStartTest")->click();

    const QString refusal = "Please select and open a serial port before starting the range test.";
    QCOMPARE(shown(boxes), QStringList{"Warning | " + notOpen + " | " + refusal});
    QCOMPARE(dialog.findChild<QPushButton *>("btnStartTest")->text(), "Start");
}

// Lines count as sent only while the port is open; its loss stops the run and says so in red.
void tst_LostPort::transmitterLosesPort()
{
    SimulatedSession user({"--guard-ms", "50"});
    QVERIFY(user.started);
    showTransmitter(user.dialog);
    auto *start = user.dialog.findChild<QPushButton *>("btnStartTest");
    auto *figures = user.dialog.findChild<StatusLabel *>("lblTestStatistics");
    start->click();
    DialogProbe(user.dialog).setTestInterval(100);
    QTRY_VERIFY(figures->fullText().startsWith("Sent: 3 "));

    user.simulator.stop();
    QTRY_COMPARE(portCode(user.dialog), "1");
    const QString after = figures->fullText();
    const QRegularExpressionMatch stopped =
        QRegularExpression(R"(^The port closed: the test stopped after line (\d+)\.  Sent: (\d+) )").match(after);
    QVERIFY2(stopped.hasMatch(), qPrintable(after));
    QCOMPARE(stopped.captured(2).toInt(), stopped.captured(1).toInt() + 1);
    QVERIFY(figures->property("silent").toBool());
    QCOMPARE(start->text(), "Start");
    QTest::qWait(300); // three intervals
    QCOMPARE(figures->fullText(), after);
    QCOMPARE(user.boxes.count(), 0);
}

// clang-format off
void tst_LostPort::lostPortTakenUp_data()
{
    QTest::addColumn<bool>("putBack");
    QTest::addColumn<QString>("action"); // "choose": the same item again, else the button
    QTest::addColumn<QString>("code");   // of the selector at the end
    QTest::addColumn<bool>("warned");    // that the port is gone

    QTest::newRow("chosen again") << true << "choose" << "0" << false;
    QTest::newRow("Read") << true << "btnReadSettings" << "0" << false;
    QTest::newRow("Write") << true << "btnWriteSettings" << "0" << false;
    QTest::newRow("Read, still unplugged") << false << "btnReadSettings" << "1" << true;
}
// clang-format on

// Once lost, the port says so everywhere; taking it up again needs no detour through "None".
void tst_LostPort::lostPortTakenUp()
{
    QFETCH(bool, putBack);
    QFETCH(QString, action);
    QFETCH(QString, code);
    QFETCH(bool, warned);

    SimulatedSession user({"--guard-ms", "50"});
    QVERIFY(user.started);
    user.dialog.show();
    user.dialog.showStatus("Read 20 settings at 17:03:12."); // no longer true once the port is gone
    const QString port = user.simulator.portA();
    auto *ports = user.dialog.findChild<QComboBox *>("cmbSerial");

    user.simulator.stop();
    QTRY_COMPARE(portCode(user.dialog), "1");
    QCOMPARE(ports->toolTip().split('\n').last(), gone(port)); // after the whole name, if it is shortened
    QCOMPARE(whole(user.dialog, "lblStatus"), gone(port));

    if (putBack)
        QVERIFY(user.simulator.start());
    if (action == "choose")
        chooseAgain(ports);
    else if (putBack)
        QVERIFY(runToIdle(user.dialog, qPrintable(action)));
    else
        user.dialog.findChild<QPushButton *>(qPrintable(action))->click();

    QTRY_COMPARE(portCode(user.dialog), code);
    QCOMPARE(ports->currentData().toString(), port);
    QStringList warnings;
    for (const QString &box : shown(user.boxes)) {
        if (box.startsWith("Warning"))
            warnings << box;
    }
    QCOMPARE(warnings, warned ? QStringList{"Warning | " + notOpen + " | " + gone(port)} : QStringList());
    QCOMPARE(ports->toolTip().contains(gone(port)), warned);
    if (warned)
        QCOMPARE(whole(user.dialog, "lblStatus"), gone(port));
}

QTEST_MAIN(tst_LostPort)
#include "tst_lostport.moc"
