#ifndef DIALOGPROBE_H
#define DIALOGPROBE_H

#include "app/fendrakexbeeconfiguratordialog.h"
#include "app/monitorview.h"
#include "logic/commandsession.h"

#include <QTimer>

// The things about the dialog a test cannot reach through its widgets,
// its signals or a module (the dialog befriends it):
class DialogProbe
{
public:
    explicit DialogProbe(FendrakeXBeeConfiguratorDialog &dialog)
        : d(dialog)
    {
    }

    // No run and no search under way. Nothing on screen says so: the buttons
    // stay usable throughout a run.
    bool isIdle() const { return !d.session->isBusy(); }

    // A sample as an RSSI query adds it. A module delivers one a second at
    // most; the chart's window and its bound of 500 need hundreds.
    void addRssiSample(int rssi) { d.addRssiSample(rssi); }

    // Test lines closer together than 5 s, so a test over the air takes seconds, not minutes.
    void setTestInterval(int ms) { d.testTimer->setInterval(ms); }

    // The port's parity and stop bits follow a written NB and SB, as after a Write.
    void followFraming(int parity, int stopBits) { d.setPortFraming(Framing{parity, stopBits}); }

    // Chunks as the serial worker reports them, shown at once as the console's refresh would.
    void monitor(const QList<MonitorChunk> &chunks)
    {
        d.onMonitorBytes(chunks);
        d.refreshConsole();
    }
    const MonitorLog &monitorLog() const { return d.monitorView->log(); }

private:
    FendrakeXBeeConfiguratorDialog &d;
};

#endif // DIALOGPROBE_H
