#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"
#include "logic/logging.h"
#include "logic/rangetestline.h"

#include <QChartView>
#include <QIcon>
#include <QLineSeries>
#include <QTimer>

#include <utility>

namespace {

constexpr int testLineIntervalMs = 5000;

const QString startIcon = QStringLiteral(":/fatcow/icons/fatcow/gun.png");
const QString stopIcon = QStringLiteral(":/fatcow/icons/fatcow/stop.png");

} // namespace

void FendrakeXBeeConfiguratorDialog::onTestModeClicked()
{
    const bool receiver = ui->rdbReceiver->isChecked();
    // The mode already chosen: its test goes on.
    if (receiver == receiverChosen)
        return;
    if (!receiver && !samplesMayGo()) {
        ui->rdbReceiver->setChecked(true);
        return;
    }
    receiverChosen = receiver;
    if (testTimer->isActive() && receiver) {
        testTimer->stop();
        transmitterStatistics.stop(rangeNowMs());
        setStartTestRunning(false);
    }

    testPacketCounter = 0;
    sampleCounter = 0;
    exportedUpTo = 0;
    rssiSeries->clear();
    rssiSamples.clear();
    testStatistics.reset();
    resetRangeSeats();

    const int neededBefore = neededHeight();
    ui->btnStartTest->setVisible(ui->rdbTransmitter->isChecked());
    ui->btnExportResults->setVisible(receiver);
    ui->chkAnswerTransmitter->setVisible(receiver);
    chartView->setVisible(receiver);
    showTestStatistics();
    takeBackHeight(neededBefore);
}

void FendrakeXBeeConfiguratorDialog::onStartTestClicked()
{
    if (testTimer->isActive()) {
        testTimer->stop();
        tickPending = false;
        transmitterStatistics.stop(rangeNowMs());
        setStartTestRunning(false);
        showTestStatistics();
        return;
    }
    if (!ui->rdbTransmitter->isChecked() || consoleRefuses(tr("Range test")))
        return;
    if (!ensurePortOpen(tr("Please select and open a serial port before starting the range test.")))
        return;
    testTimer->start(testLineIntervalMs);
    transmitterStatistics.start(rangeNowMs());
    setStartTestRunning(true);
    updateStatisticsTimer();
    showTestStatistics();
}

void FendrakeXBeeConfiguratorDialog::setStartTestRunning(bool running)
{
    ui->btnStartTest->setText(running ? tr("Stop") : tr("Start"));
    ui->btnStartTest->setIcon(QIcon(running ? stopIcon : startIcon));
}

void FendrakeXBeeConfiguratorDialog::onTestTimerTimeout()
{
    // A search switches the port from rate to rate: the line would be junk.
    if (session->searching()) {
        qCDebug(lcRange) << "Test line skipped: baud rate search in progress";
        return;
    }
    // Bytes sent while our own module is in command mode would be taken as
    // part of the AT dialogue and spoil that run's replies: the line waits
    // for the run's end instead.
    if (session->runUnderway()) {
        qCDebug(lcRange) << "Test line held back until the command mode run has ended";
        tickPending = true;
        return;
    }
    sendTestLine();
}

void FendrakeXBeeConfiguratorDialog::sendTestLine()
{
    // A line that cannot reach the module is not sent: counted, it would be taken for lost on the air.
    if (!serialPortOpen) {
        stopTransmitterOnClosedPort();
        return;
    }
    tickPending = false;
    if (!session->sendData(testLineBytes(testPacketCounter)))
        return;
    transmitterStatistics.addSent(testPacketCounter, rangeNowMs());
    ++testPacketCounter;
    showTestStatistics();
}

void FendrakeXBeeConfiguratorDialog::stopTransmitterOnClosedPort()
{
    if (!testTimer->isActive())
        return;
    qCDebug(lcRange) << "Port closed: transmitter stopped after" << testPacketCounter << "lines";
    testTimer->stop();
    tickPending = false;
    transmitterStatistics.stopOnClosedPort(rangeNowMs());
    setStartTestRunning(false);
    showTestStatistics();
}

void FendrakeXBeeConfiguratorDialog::handleTestLine(const QString &line)
{
    if (ui->rdbTransmitter->isChecked()) {
        if (const std::optional<HeardReply> reply = parseHeardReply(line))
            handleHeardReply(*reply);
        return;
    }
    lineTakenIdle = true;
    if (!ui->rdbReceiver->isChecked() || !isTestLine(line))
        return;
    const std::optional<quint32> counter = testLineCounter(line);
    const bool query = ui->tabTest->isVisible();
    testStatistics.addLine(counter, rangeNowMs(),
                           query ? RangeTestStatistics::RssiQuery::Started
                                 : RangeTestStatistics::RssiQuery::NotStarted);
    if (counter)
        repliesDue.append({*counter, std::nullopt});
    updateStatisticsTimer();
    showTestStatistics();
    showLostMarks();
    if (!query) {
        answerTransmitter(RunOutcome());
        return;
    }
    qCDebug(lcRange) << "Valid test packet received";
    queriedCounter = counter;
    startRssiQuery(RangeQuery::Receiver);
}

// The session hands out only the lines that arrive while no run is under
// way; a module puts out what it heard in command mode right after leaving
// it, while the run is still ending. Such lines arrived: without RSSI, not lost.
void FendrakeXBeeConfiguratorDialog::noteLineDuringRun(const QByteArray &data)
{
    const bool seen = std::exchange(lineTakenIdle, false);
    const QString line = QString::fromUtf8(data).trimmed();
    if (seen || !session->runUnderway() || !ui->rdbReceiver->isChecked() || !isTestLine(line))
        return;
    const std::optional<quint32> counter = testLineCounter(line);
    testStatistics.addLine(counter, rangeNowMs(), RangeTestStatistics::RssiQuery::NotStarted);
    if (counter)
        repliesDue.append({*counter, std::nullopt});
    updateStatisticsTimer();
    showTestStatistics();
    showLostMarks();
}

void FendrakeXBeeConfiguratorDialog::handleRssiReply(const QString &response)
{
    const std::optional<int> rssi = rssiFromDbReply(response);
    if (!rssi) {
        qCDebug(lcRange) << "Invalid RSSI response:" << response;
        return;
    }
    qCDebug(lcRange) << "RSSI =" << *rssi;
    switch (rangeQuery) {
    case RangeQuery::Receiver:
        for (HeardReply &reply : repliesDue) {
            if (queriedCounter && reply.counter == *queriedCounter)
                reply.rssi = *rssi;
        }
        addRssiSample(*rssi);
        break;
    case RangeQuery::Transmitter:
        transmitterStatistics.setOurRssi(*rssi, rangeNowMs());
        showTestStatistics();
        break;
    case RangeQuery::None:
        break; // a mode click started a new test since the query began
    }
}

void FendrakeXBeeConfiguratorDialog::showTestStatistics()
{
    const qint64 now = rangeNowMs();
    if (ui->rdbTransmitter->isChecked()) {
        ui->lblTestStatistics->setFullText(transmitterStatistics.summary(now));
        setStatisticsSilent(transmitterStatistics.isSilent(now) || transmitterStatistics.stoppedByClosedPort());
        return;
    }
    ui->lblTestStatistics->setFullText(testStatistics.summary(now));
    setStatisticsSilent(testStatistics.isSilent(now));
}
