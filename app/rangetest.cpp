#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/configsequence.h"
#include "logic/baudratesearch.h"
#include "logic/logging.h"
#include "logic/rangetestline.h"

#include <QChartView>
#include <QIcon>
#include <QLineSeries>
#include <QTimer>

namespace {

constexpr int testLineIntervalMs = 5000;

const QString startIcon = QStringLiteral(":/fatcow/icons/fatcow/gun.png");
const QString stopIcon = QStringLiteral(":/fatcow/icons/fatcow/stop.png");

} // namespace

void FendrakeXBeeConfiguratorDialog::onTestModeClicked()
{
    const bool receiver = ui->rdbReceiver->isChecked();
    if (testTimer->isActive() && receiver) {
        testTimer->stop();
        setStartTestRunning(false);
    }

    testPacketCounter = 0;
    sampleCounter = 0;
    rssiSeries->clear();
    rssiSamples.clear();
    testStatistics.reset();
    showTestStatistics();

    ui->btnStartTest->setVisible(ui->rdbTransmitter->isChecked());
    ui->btnExportResults->setVisible(receiver);
    chartView->setVisible(receiver);
    ui->lblTestStatistics->setVisible(receiver);
}

void FendrakeXBeeConfiguratorDialog::onStartTestClicked()
{
    if (testTimer->isActive()) {
        testTimer->stop();
        setStartTestRunning(false);
        return;
    }
    if (!ui->rdbTransmitter->isChecked())
        return;
    testTimer->start(testLineIntervalMs);
    setStartTestRunning(true);
}

void FendrakeXBeeConfiguratorDialog::setStartTestRunning(bool running)
{
    ui->btnStartTest->setText(running ? tr("Stop") : tr("Start"));
    ui->btnStartTest->setIcon(QIcon(running ? stopIcon : startIcon));
}

void FendrakeXBeeConfiguratorDialog::onTestTimerTimeout()
{
    // Bytes sent while our own module is in command mode would be taken as
    // part of the AT dialogue and spoil that run's replies.
    if (commandState != StateIdle) {
        qCDebug(lcRange) << "Test line skipped: command mode run in progress";
        return;
    }
    // A search switches the port from rate to rate: the line would be junk.
    if (baudRateSearch->isRunning()) {
        qCDebug(lcRange) << "Test line skipped: baud rate search in progress";
        return;
    }
    const QByteArray line = testLineBytes(testPacketCounter);
    ++testPacketCounter;
    sendToModule(line);
}

void FendrakeXBeeConfiguratorDialog::handleTestLine(const QString &line)
{
    if (commandState != StateIdle || !ui->tabTest->isVisible() || !ui->rdbReceiver->isChecked() || !isTestLine(line)) {
        return;
    }
    qCDebug(lcRange) << "Valid test packet received";
    testStatistics.addLine(testLineCounter(line));
    showTestStatistics();
    startRun(RunRssiQuery, {QStringLiteral("DB")});
}

void FendrakeXBeeConfiguratorDialog::handleRssiReply(const QString &response)
{
    const std::optional<int> rssi = rssiFromDbReply(response);
    if (!rssi) {
        qCDebug(lcRange) << "Invalid RSSI response:" << response;
        return;
    }
    qCDebug(lcRange) << "RSSI =" << *rssi;
    addRssiSample(*rssi);
}

void FendrakeXBeeConfiguratorDialog::showTestStatistics()
{
    ui->lblTestStatistics->setText(testStatistics.summary());
}
