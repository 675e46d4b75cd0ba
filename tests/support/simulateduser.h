#ifndef SIMULATEDUSER_H
#define SIMULATEDUSER_H

#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"
#include "messageboxcatcher.h"
#include "modulesimulator.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

// What a user does with the main dialog against a module.

inline QString portCode(const FendrakeXBeeConfiguratorDialog &dialog)
{
    return dialog.findChild<QComboBox *>("cmbSerial")->property("code").toString();
}

// Offers the port (as --port does) and waits until it shows green.
inline bool openPort(FendrakeXBeeConfiguratorDialog &dialog, const QString &path)
{
    dialog.addExtraPort(path);
    return QTest::qWaitFor([&] { return portCode(dialog) == "0"; }, 5000);
}

// Clicks Read or Write and waits for the end of the run.
inline bool runToIdle(FendrakeXBeeConfiguratorDialog &dialog, const char *button, int timeoutMs = 15000)
{
    dialog.findChild<QPushButton *>(button)->click();
    const DialogProbe probe(dialog);
    return !probe.isIdle() && QTest::qWaitFor([&] { return probe.isIdle(); }, timeoutMs);
}

// A user at the main dialog, its port on module A of a simulator started with
// the given options; settings kept apart and message boxes answered.
struct SimulatedSession
{
    explicit SimulatedSession(const QStringList &simulatorOptions)
        : simulator(simulatorOptions)
    {
        started = simulator.start() && openPort(dialog, simulator.portA());
    }

    ModuleSimulator simulator;
    IsolatedSettings settings;
    MessageBoxCatcher boxes;
    FendrakeXBeeConfiguratorDialog dialog;
    bool started = false; // and the port shows green
};

#endif // SIMULATEDUSER_H
