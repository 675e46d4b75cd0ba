// Makes the README's screenshots from the real program against simulated
// modules: the Settings tab after a read (beginner and Guru view), the
// channel mask calculator, and the Test tab with the receiver's chart
// filling from the remote module's test lines. Writes PNG files into the
// folder given as the only argument.
#include "app/fendrakexbeeconfiguratordialog.h"
#include "isolatedsettings.h"
#include "modaldriver.h"
#include "modulesimulator.h"
#include "simulateduser.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QXYSeries>

#include <cstdio>

namespace {

constexpr int wantedSamples = 36;

bool save(QWidget *window, const QDir &folder, const QString &name)
{
    QCoreApplication::processEvents();
    const bool saved = window->grab().save(folder.filePath(name));
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(folder.filePath(name)));
    return saved;
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

    // Module B plays the remote transmitter, a little faster than 5 s so the chart fills in a minute.
    ModuleSimulator simulator({"--guard-ms", "50", "--auto-transmit", "B", "--auto-interval-ms", "800", "--rssi", "-74",
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

    dialog.findChild<QComboBox *>("cmbProfile")->setCurrentIndex(1);
    ok &= save(&dialog, folder, "settings-guru.png");

    ModalDriver<QDialog> calculator([&](QDialog *box) {
        ok &= save(box, folder, "calculator.png");
        box->accept();
    });
    dialog.findChild<QPushButton *>("btnConfigureChannelMask")->click();
    ok &= calculator.found;

    dialog.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    dialog.findChild<QRadioButton *>("rdbReceiver")->click();
    const auto *samples = static_cast<QXYSeries *>(dialog.findChild<QChartView *>()->chart()->series().constFirst());
    if (!QTest::qWaitFor([&] { return samples->count() >= wantedSamples; }, 120000))
        return 1;
    QTest::qWait(300);
    ok &= save(&dialog, folder, "test-receiver.png");
    return ok ? 0 : 1;
}
