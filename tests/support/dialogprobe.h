#ifndef DIALOGPROBE_H
#define DIALOGPROBE_H

#include "app/fendrakexbeeconfiguratordialog.h"

#include <QThread>
#include <QTimer>

// White-box access to the dialog's state for the tests (the dialog befriends it).
class DialogProbe
{
public:
    explicit DialogProbe(FendrakeXBeeConfiguratorDialog &dialog)
        : d(dialog)
    {
    }

    // No run and no search under way. Nothing on screen says so: the buttons stay usable.
    bool isIdle() const;

    bool serialPortOpen() const { return d.serialPortOpen; }
    int commandState() const { return d.commandState; }
    QStringList commandList() const { return d.commandList; }
    QString currentCommand() const { return d.currentCommand; }
    QTimer *commandTimer() const { return d.commandTimer; }
    QTimer *testTimer() const { return d.testTimer; }
    QThread *serialThread() const { return d.serialThread; }
    quint32 testPacketCounter() const { return d.testPacketCounter; }
    void setTestPacketCounter(quint32 value) { d.testPacketCounter = value; }
    qint32 sampleCounter() const { return d.sampleCounter; }
    const QList<RssiSample> &rssiSamples() const { return d.rssiSamples; }
    QLineSeries *rssiSeries() const { return d.rssiSeries; }
    QValueAxis *axisX() const { return d.axisX; }
    QValueAxis *axisY() const { return d.axisY; }
    QChartView *chartView() const { return d.chartView; }

    void addRssiSample(int rssi) { d.addRssiSample(rssi); }
    void parseCommandResponse(const QString &command, const QString &response)
    {
        d.parseCommandResponse(command, response);
    }
    void tickCommandTimer() { d.onCommandTimerTimeout(); }
    // The sequencer's wire tests run without a port: they stand in for the worker's report.
    void setSerialPortOpen(bool open) { d.serialPortOpen = open; }
    void startRun(int type, const QStringList &entries) { d.startRun(type, entries); }
    bool replyDeadlineActive() const { return d.replyDeadline->isActive(); }
    void tickTestTimer() { d.onTestTimerTimeout(); }

    // range test
    void setCommandState(int state) { d.commandState = state; }
    void handleTestLine(const QString &line) { d.handleTestLine(line); }
    void handleRssiReply(const QString &response) { d.handleRssiReply(response); }
    const RangeTestStatistics &testStatistics() const { return d.testStatistics; }

private:
    FendrakeXBeeConfiguratorDialog &d;
};

#include "app/baudratesearch.h"

inline bool DialogProbe::isIdle() const
{
    return d.commandState == 0 && !d.baudRateSearch->isRunning();
}

#endif // DIALOGPROBE_H
