#ifndef OFFLINEDIALOG_H
#define OFFLINEDIALOG_H

#include "app/fendrakexbeeconfiguratordialog.h"
#include "dialogprobe.h"
#include "isolatedsettings.h"

#include <QSignalSpy>

#include <functional>

// The main dialog with no port behind it: the test plays the module by
// reading write_data and calling onDataReceived, and drives the command
// timer by hand, so a run goes step by step without real time.
class OfflineDialog
{
public:
    OfflineDialog();

    // Waits for the worker's report on the "None" port, then claims an open port.
    bool makeReady();

    QList<QByteArray> sent() const; // every write_data so far
    QByteArray lastSent() const;
    void reply(const QByteArray &line); // one line from the module, CR added
    void tick();

    // Plays the module until the run is over: each waiting state gets
    // answer(bytes just sent), every other state a timer tick.
    void runToEnd(const std::function<QByteArray(const QByteArray &)> &answer);

    IsolatedSettings settings;
    FendrakeXBeeConfiguratorDialog dialog;
    DialogProbe probe;
    QSignalSpy writeSpy;
};

#endif // OFFLINEDIALOG_H
