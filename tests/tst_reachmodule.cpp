// Reaching a module whatever its state: at an unknown UART rate, with a long
// guard time, or with a stray line before its "OK".
#include "app/statuslabel.h"
#include "logic/rangetestline.h"
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

QString serialLow(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QLabel *>("lblSerialLowValue")->text();
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
    void search();
    void searchCancelled();
};

void tst_ReachModule::initTestCase()
{
    if (!ModuleSimulator::isBuilt())
        QSKIP("the module simulator is not built");
}

// From the warning of a Read that got no answer; the search's bound is 14 s.
// The search's rules on a fake clock are the session's own tests.
void tst_ReachModule::search()
{
    const QStringList module{"--bd", "A:7"};
    const QString answer = "Information | Search baud rates | Found the module at 115200 baud.";
    const QString rate = "115200";
    SimulatedSession user(module);
    QVERIFY2(user.started, qPrintable(user.simulator.errorString()));
    user.boxes.press(searchButton);
    QSignalSpy rates(&user.dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);

    user.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTRY_COMPARE_WITH_TIMEOUT(user.boxes.count(), 2, 30000);
    QCOMPARE(shown(user.boxes), QStringList({didNotAnswer, answer}));
    const qint64 searchMs = user.boxes.boxes().at(1).shownAtMs - user.boxes.boxes().at(0).shownAtMs;
    QVERIFY2(searchMs < 14000, qPrintable(QString::number(searchMs)));
    // The rate found is kept like a choice of the user's.
    QCOMPARE(user.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), rate);
    QCOMPARE(lastRateSent(rates), rate.toInt());
    QCOMPARE(QSettings(user.settings.filePath(), QSettings::IniFormat).value("General/baudrate", 9600).toInt(),
             rate.toInt());
    // The Read that failed goes on by itself at the rate found, and the status line says so when done.
    auto *status = user.dialog.findChild<StatusLabel *>("lblStatus");
    QTRY_COMPARE_WITH_TIMEOUT(serialLow(user.dialog), "40F1A001", 10000);
    QTRY_VERIFY(DialogProbe(user.dialog).isIdle());
    QVERIFY2(QRegularExpression("^Read 20 settings at \\d\\d:\\d\\d:\\d\\d\\.$").match(status->fullText()).hasMatch(),
             qPrintable(status->fullText()));
    QCOMPARE(user.boxes.count(), 2);
}

void tst_ReachModule::searchCancelled()
{
    SimulatedSession user({"--bd", "A:0"});
    QVERIFY2(user.started, qPrintable(user.simulator.errorString()));
    user.boxes.press(searchButton);
    QSignalSpy rates(&user.dialog, &FendrakeXBeeConfiguratorDialog::change_baud_rate);
    // A transmitter ticking all along: no test line may go out while the port moves from rate to rate.
    user.dialog.findChild<QPushButton *>("btnStartTest")->click();
    DialogProbe(user.dialog).setTestInterval(500);

    user.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QPointer<QProgressDialog> progress;
    QTRY_VERIFY_WITH_TIMEOUT((progress = user.dialog.findChild<QProgressDialog *>()) && progress->isVisible(), 10000);
    QCOMPARE(progress->windowTitle(), searchButton);
    QTRY_COMPARE_WITH_TIMEOUT(progress->labelText(), "Trying 115200 baud…", 5000);
    QCOMPARE(lastRateSent(rates), 115200);
    // While the search runs, Read does nothing.
    QSignalSpy written(&user.dialog, &FendrakeXBeeConfiguratorDialog::write_data);
    user.dialog.findChild<QPushButton *>("btnReadSettings")->click();
    QTest::qWait(1200); // two ticks of the transmitter
    const auto sent = [&written] {
        QList<QByteArray> bytes;
        for (const QList<QVariant> &emission : written)
            bytes.append(emission.at(0).toByteArray());
        return bytes;
    };
    const QList<QByteArray> duringSearch = sent();
    QVERIFY2(duringSearch.isEmpty() || duringSearch == QList<QByteArray>{"+++"}, duringSearch.join(' ').constData());

    progress->findChild<QPushButton *>()->click(); // Cancel
    QCOMPARE(lastRateSent(rates), 9600);
    QTRY_VERIFY(!progress || !progress->isVisible());
    QTest::qWait(2 * 1500); // a search would have moved on by now
    // Nothing but leaving the command mode that the last "+++" may have opened; the transmitter goes on.
    QList<QByteArray> after = sent().mid(duringSearch.size());
    const auto testLine = [](const QByteArray &bytes) { return bytes.startsWith(testPayload.toLatin1()); };
    QVERIFY(std::any_of(after.cbegin(), after.cend(), testLine));
    after.removeIf([&](const QByteArray &bytes) { return testLine(bytes) || bytes == "+++"; });
    QVERIFY2(after.isEmpty() || after == QList<QByteArray>{"ATCN\r"}, after.join(' ').constData());
    QCOMPARE(user.dialog.findChild<QComboBox *>("cmbSerialBaudRate")->currentText(), "9600");
    QCOMPARE(shown(user.boxes), QStringList{didNotAnswer});
}

QTEST_MAIN(tst_ReachModule)
#include "tst_reachmodule.moc"
