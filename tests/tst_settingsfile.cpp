// What one start of the program keeps in its settings file and the next
// start shows: the port, its rate and framing, the profile folder and
// "Answer the transmitter". The next start is a process of its own: within
// one process Qt answers from the file it has already read.
#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modaldriver.h"
#include "ptypair.h"
#include "serial/availableports.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <cstring>
#include <iostream>

namespace {

const char nextStart[] = "--next-start";
const char settingsFolderVariable[] = "TARNOWICK_TEST_SETTINGS";
const char portVariable[] = "TARNOWICK_TEST_PORT";

// The next start: what its window shows, one "name=value" line each.
QStringList shownAtStart()
{
    FendrakeXBeeConfiguratorDialog dialog;
    const auto *port = dialog.findChild<QComboBox *>("cmbSerial");
    const auto *rate = dialog.findChild<QComboBox *>("cmbSerialBaudRate");
    QString folder;
    ModalDriver<QFileDialog> user([&](QFileDialog *fileDialog) {
        folder = fileDialog->directory().absolutePath();
        fileDialog->reject();
    });
    dialog.findChild<QPushButton *>("btnOpenProfile")->click();
    return {"port=" + port->currentData().toString(), "rate=" + rate->currentText(), "framing=" + rate->toolTip(),
            QString("answer=%1").arg(dialog.findChild<QCheckBox *>("chkAnswerTransmitter")->isChecked()),
            "folder=" + folder};
}

int runNextStart(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmorin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnowick"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qEnvironmentVariable(settingsFolderVariable));
    const QString portName = qEnvironmentVariable(portVariable);
    setPortNameSource([portName] { return QStringList{portName}; });
    MessageBoxCatcher boxes;
    std::cout << qPrintable(shownAtStart().join('\n')) << std::endl;
    return 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_SettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void nextStartShows_data();
    void nextStartShows();

private:
    QStringList startAgain(const IsolatedSettings &settings, const QString &port);
};

QStringList tst_SettingsFile::startAgain(const IsolatedSettings &settings, const QString &port)
{
    QProcess next;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert(settingsFolderVariable, QFileInfo(QFileInfo(settings.filePath()).path()).path());
    environment.insert(portVariable, port);
    next.setProcessEnvironment(environment);
    next.start(QCoreApplication::applicationFilePath(), {nextStart});
    if (!next.waitForFinished(20000) || next.exitCode() != 0)
        return {"failed: " + next.readAllStandardError()};
    return QString::fromUtf8(next.readAllStandardOutput()).trimmed().split('\n');
}

void tst_SettingsFile::nextStartShows_data()
{
    QTest::addColumn<QByteArray>("oldFile"); // as an earlier version left it; empty: chosen in a window now
    QTest::addColumn<QStringList>("shown");  // port ("<port>": the test's own), rate, framing, answer

    // The old version added one section each start; Qt reads the last value of a key.
    const QByteArray severalSections = "[%General]\nbaudrate=9600\nserialport=<port>\nanswertransmitter=true\n"
                                       "[%General]\nbaudrate=19200\nparity=0\nstopbits=1\n"
                                       "[%General]\nanswertransmitter=false\nprofilefolder=<folder>\n";
    QTest::newRow("chosen in the window") << QByteArray() << QStringList{"<port>", "38400", "38400 8N2", "0"};
    QTest::newRow("several sections of an older version")
        << severalSections << QStringList{"<port>", "19200", "19200 8N2", "0"};
    // Nothing chosen at this start writes the file: it is written back all the same.
    QTest::newRow("older version, port gone, 1200 baud")
        << QByteArray(severalSections).replace("=<port>", "=/dev/tarnowick-gone").replace("19200", "1200")
        << QStringList{"", "1200", "1200 8N2", "0"};
}

void tst_SettingsFile::nextStartShows()
{
    QFETCH(QByteArray, oldFile);
    QFETCH(QStringList, shown);

    IsolatedSettings settings;
    PtyPair port;
    QTemporaryDir profiles;
    setPortNameSource([&port] { return QStringList{port.slavePath()}; });
    if (oldFile.isEmpty()) {
        MessageBoxCatcher boxes; // the pseudo-terminal may refuse two stop bits
        FendrakeXBeeConfiguratorDialog dialog;
        auto *ports = dialog.findChild<QComboBox *>("cmbSerial");
        ports->setCurrentIndex(ports->findData(port.slavePath()));
        auto *rates = dialog.findChild<QComboBox *>("cmbSerialBaudRate");
        rates->setCurrentIndex(rates->findText("38400"));
        DialogProbe(dialog).followFraming(0, 1);
        dialog.findChild<QCheckBox *>("chkAnswerTransmitter")->setChecked(false);
        ModalDriver<QFileDialog> user(
            [&](QFileDialog *fileDialog) { answerFileDialog(fileDialog, profiles.filePath("site-1")); });
        dialog.findChild<QPushButton *>("btnSaveProfile")->click();
        QVERIFY(user.found);
    } else {
        QVERIFY(QDir().mkpath(QFileInfo(settings.filePath()).path()));
        QFile file(settings.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(oldFile)
                       .replace("<port>", port.slavePath().toUtf8())
                       .replace("<folder>", profiles.path().toUtf8()));
    }
    setPortNameSource({});

    const QStringList expected = {"port=" + shown[0].replace("<port>", port.slavePath()), "rate=" + shown[1],
                                  "framing=The port runs at " + shown[2] + '.', "answer=" + shown[3],
                                  "folder=" + profiles.path()};
    QCOMPARE(startAgain(settings, port.slavePath()), expected);
    // One section, whatever was there before: the next start wrote it back whole.
    const QByteArray file = readAll(settings.filePath());
    QCOMPARE(file.count("["), 1);
    QVERIFY2(file.startsWith("[%General]\n"), file.constData());
    QCOMPARE(startAgain(settings, port.slavePath()), expected);
}

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], nextStart) == 0)
        return runNextStart(argc, argv);
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    tst_SettingsFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfile.moc"
