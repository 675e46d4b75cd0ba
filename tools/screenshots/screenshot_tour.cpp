// Makes the README's screenshots from the real program against simulated
// Makes the README's screenshots from the real program against simulated
// modules: the Settings tab after a read (beginner and Guru view, and the
// beginner's read-only PAN ID with its tooltip), the channel mask
// calculator, the Settings tab after opening a profile that differs from the
// module read, the Test tab from both seats (a second window on module B
// transmits, the first one receives and answers, then stops answering), and
// the receiver's Console tab in command mode.
// Writes PNG files into the folder given as the only argument.
#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "simulateduser.h"

#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QXYSeries>

#include <cstdio>

namespace {

constexpr int wantedSamples = 30;

bool save(QWidget *window, const QDir &folder, const QString &name, const QPixmap &shot = QPixmap())
{
    QCoreApplication::processEvents();
    const bool saved = (shot.isNull() ? window->grab() : shot).save(folder.filePath(name));
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(folder.filePath(name)));
    return saved;
}

// Opens a Scoreboard profile on the module just read, as a technician would for the next module.
bool openProfile(QWidget &dialog)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("scoreboard.tarnowick-profile"));
    const QByteArray profile = R"({"format": "tarnowick-profile", "version": 1, "settings": {"TO": "C0",
        "CM": "3EFFFC00", "ID": "3333", "MT": "3", "DL": "FFFF", "DH": "0", "BD": "3", "NB": "0", "SB": "0",
        "RO": "3", "AP": "0"}})";
    if (!file.open(QIODevice::WriteOnly) || file.write(profile) != profile.size())
        return false;
    file.close();
    ModalDriver<QFileDialog> chooser([&](QFileDialog *files) {
        files->findChild<QLineEdit *>("fileNameEdit")->setText(file.fileName());
        static_cast<QDialog *>(files)->accept();
    });
    ModalDriver<QMessageBox> message([](QMessageBox *box) { box->accept(); });
    dialog.findChild<QPushButton *>("btnOpenProfile")->click();
    return chooser.found && message.found;
}

// The window with the tooltip of one of its fields drawn over it, where the user sees it.
QPixmap withToolTip(QWidget &window, QWidget *field)
{
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), field->toolTip(), field);
    QTest::qWait(200);
    QPixmap shot = window.grab();
    for (QWidget *tip : QApplication::topLevelWidgets()) {
        if (tip->inherits("QTipLabel") && tip->isVisible()) {
            QPainter painter(&shot);
            painter.drawPixmap(tip->pos() - window.mapToGlobal(QPoint(0, 0)), tip->grab());
        }
    }
    QToolTip::hideText();
    return shot;
}

// The receiver's Console tab: the test lines and RSSI queries of the range
// test in the monitor, then a few commands of the technician's own in command mode.
bool showConsole(QWidget &dialog)
{
    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentWidget(dialog.findChild<QWidget *>("tabConsole"));
    auto *commandMode = dialog.findChild<QPushButton *>("btnCommandMode");
    auto *send = dialog.findChild<QPushButton *>("btnConsoleSend");
    if (!QTest::qWaitFor([&] { return commandMode->isEnabled(); }, 10000))
        return false;
    commandMode->click();
    auto *edit = dialog.findChild<QLineEdit *>("txtConsoleInput");
    for (const char *line : {"ATNI", "ATNI GATE-WEST", "ATPL", "ATDB"}) {
        if (!QTest::qWaitFor([&] { return send->isEnabled(); }, 5000))
            return false;
        edit->setText(QString::fromLatin1(line));
        send->click();
    }
    edit->setText(QStringLiteral("ATWR"));
    const bool answered = QTest::qWaitFor([&] { return send->isEnabled(); }, 5000);
    QTest::qWait(300); // the monitor shows the last replies on its next refresh
    return answered;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot_tour FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    // A window on module B is the transmitter, faster than every 5 s so the chart fills in a minute and a
    // half, with room in each interval for the receiver's RSSI query and then the transmitter's own.
    ModuleSimulator simulator({"--modules", "2", "--guard-ms", "50", "--rssi", "B:-74", "--rssi", "A:-71",
                               "--rssi-jitter", "5", "--loss", "0.05", "--seed", "7"});
    if (!simulator.start()) {
        std::fprintf(stderr, "screenshot_tour: %s\n", qPrintable(simulator.errorString()));
        return 1;
    }
    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog) || !openPort(dialog, simulator.portA()))
        return 1;
    if (!runToIdle(dialog, "btnReadSettings"))
        return 1;
    bool ok = save(&dialog, folder, "settings-beginner.png");
    ok &= save(&dialog, folder, "settings-readonly.png", withToolTip(dialog, dialog.findChild<QWidget *>("txtPANID")));

    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1);
    ok &= save(&dialog, folder, "settings-guru.png");

    ModalDriver<QDialog> calculator([&](QDialog *box) {
        ok &= save(box, folder, "calculator.png");
        box->accept();
    });
    dialog.findChild<QPushButton *>("btnConfigureChannelMask")->click();
    ok &= calculator.found;

    ok &= openProfile(dialog) && save(&dialog, folder, "settings-profile.png");

    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    dialog.findChild<QRadioButton *>("rdbReceiver")->click();
    FendrakeXBeeConfiguratorDialog transmitter;
    transmitter.show();
    if (!QTest::qWaitForWindowExposed(&transmitter) || !openPort(transmitter, simulator.portB()))
        return 1;
    transmitter.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    transmitter.findChild<QPushButton *>("btnStartTest")->click();
    DialogProbe(transmitter).setTestInterval(3000);
    const auto *samples = static_cast<QXYSeries *>(dialog.findChild<QChartView *>()->chart()->series().constFirst());
    if (!QTest::qWaitFor([&] { return samples->count() >= wantedSamples; }, 240000))
        return 1;
    QTest::qWait(1500); // the transmitter's own query after the last reply
    ok &= save(&dialog, folder, "test-receiver.png");
    ok &= save(&transmitter, folder, "test-transmitter.png");

    // The receiver stops answering: after two intervals the transmitting seat says so.
    dialog.findChild<QCheckBox *>("chkAnswerTransmitter")->setChecked(false);
    auto *figures = transmitter.findChild<QLabel *>("lblTestStatistics");
    if (!QTest::qWaitFor([&] { return figures->toolTip().contains("No answer for 16 s"); }, 60000))
        return 1;
    ok &= save(&transmitter, folder, "test-transmitter-outage.png");

    transmitter.findChild<QPushButton *>("btnStartTest")->click(); // stopped: the console takes command mode
    ok &= showConsole(dialog) && save(&dialog, folder, "console.png");
    return ok ? 0 : 1;
}
