#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"
#include "logic/logging.h"
#include "serial/serialport.h"
#include "settings/settings.h"

#include <QChart>
#include <QCursor>
#include <QScatterSeries>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>

#include <cmath>

// Both seats of the range test talk back: the receiver answers every test
// line it handled, the transmitter counts the answers and measures the
// receiver's signal with a query of its own.

namespace {

const QString answerKey = QStringLiteral("answertransmitter");
constexpr int statisticsIntervalMs = 1000;
constexpr qreal lostMarkSize = 10.0;

} // namespace

void FendrakeXBeeConfiguratorDialog::setUpRangeSeats()
{
    statisticsTimer = new QTimer(this);
    connect(statisticsTimer, &QTimer::timeout, this, &FendrakeXBeeConfiguratorDialog::showTestStatistics);
    connect(serialWorker, &SerialPort::data_received, this, &FendrakeXBeeConfiguratorDialog::noteLineDuringRun);

    lostSeries = new QScatterSeries;
    lostSeries->setColor(Qt::red);
    lostSeries->setBorderColor(Qt::red);
    lostSeries->setMarkerSize(lostMarkSize);
    rssiChart->addSeries(lostSeries);
    lostSeries->attachAxis(axisX);
    lostSeries->attachAxis(axisY);
    connect(lostSeries, &QXYSeries::hovered, this, &FendrakeXBeeConfiguratorDialog::onLostMarkHovered);
    // Sample numbers are whole: labels without fractions, ticks on whole numbers.
    axisX->setLabelFormat(QStringLiteral("%d"));
    axisX->setTickType(QValueAxis::TicksDynamic);
    axisX->setTickAnchor(0);
    axisX->setTickInterval(5);

    ui->chkAnswerTransmitter->setChecked(
        Settings::instance()->value(Settings::generalGroup(), answerKey, true).toBool());
    connect(ui->chkAnswerTransmitter, &QCheckBox::toggled, this,
            &FendrakeXBeeConfiguratorDialog::onAnswerTransmitterToggled);
    ui->chkAnswerTransmitter->setVisible(ui->rdbReceiver->isChecked());
    resetRangeSeats();
    showTestStatistics();
}

void FendrakeXBeeConfiguratorDialog::onAnswerTransmitterToggled(bool checked)
{
    Settings::instance()->setValue(Settings::generalGroup(), answerKey, checked);
}

void FendrakeXBeeConfiguratorDialog::resetRangeSeats()
{
    transmitterStatistics.reset(rangeNowMs());
    ourQueryBudget.reset();
    rangeQuery = RangeQuery::None;
    repliesDue.clear();
    queriedCounter.reset();
    tickPending = false;
    lostSeries->clear();
    updateStatisticsTimer();
}

// The figures change with time alone (seconds since the last line, the
// running clock), so they are redrawn every second while there are any.
void FendrakeXBeeConfiguratorDialog::updateStatisticsTimer()
{
    const bool ticking = ui->rdbReceiver->isChecked() ? testStatistics.receivedCount() > 0
                                                      : testTimer->isActive() || transmitterStatistics.sentCount() > 0;
    if (!ticking)
        statisticsTimer->stop();
    else if (!statisticsTimer->isActive())
        statisticsTimer->start(statisticsIntervalMs);
}

void FendrakeXBeeConfiguratorDialog::setStatisticsSilent(bool silent)
{
    QLabel *label = ui->lblTestStatistics;
    if (label->property("silent").toBool() == silent)
        return;
    label->setProperty("silent", silent);
    // The style sheet reads the property only when the widget is polished again.
    label->style()->unpolish(label);
    label->style()->polish(label);
}

void FendrakeXBeeConfiguratorDialog::startRssiQuery(RangeQuery whose)
{
    RunPlan plan;
    plan.kind = RunKind::RssiQuery;
    plan.entries = {QStringLiteral("DB")};
    if (!session->startRun(plan))
        return;
    rangeQuery = whose;
    rangeQueryStartMs = rangeNowMs();
}

void FendrakeXBeeConfiguratorDialog::afterRangeRun(const RunOutcome &outcome)
{
    if (outcome.kind == RunKind::RssiQuery) {
        if (rangeQuery == RangeQuery::Transmitter)
            ourQueryBudget.noteDuration(rangeNowMs() - rangeQueryStartMs);
        if (rangeQuery == RangeQuery::Receiver) {
            testStatistics.endRssiQuery();
            showLostMarks();
        }
        rangeQuery = RangeQuery::None;
        queriedCounter.reset();
    }
    // Still in command mode: a byte now would be taken for a command.
    if (outcome.result == RunResult::ExitRefused) {
        qCDebug(lcRange) << "Module still in command mode: test line and replies dropped";
        tickPending = false;
        repliesDue.clear();
    }
    if (tickPending && testTimer->isActive())
        sendTestLine();
    answerTransmitter(outcome);
    showTestStatistics();
}

void FendrakeXBeeConfiguratorDialog::answerTransmitter(const RunOutcome &outcome)
{
    if (session->isBusy() || outcome.result == RunResult::ExitRefused)
        return;
    const QList<HeardReply> replies = std::exchange(repliesDue, {});
    if (!ui->rdbReceiver->isChecked() || !ui->chkAnswerTransmitter->isChecked())
        return;
    for (const HeardReply &reply : replies)
        session->sendData(heardReplyBytes(reply));
}

void FendrakeXBeeConfiguratorDialog::handleHeardReply(const HeardReply &reply)
{
    if (!transmitterStatistics.addHeard(reply, rangeNowMs()))
        return;
    showTestStatistics();
    startOurRssiQuery();
}

// Our module's "DB" after a reply measures the receiver's signal, the
// other direction of the link; the query must be over before the next tick.
void FendrakeXBeeConfiguratorDialog::startOurRssiQuery()
{
    if (session->isBusy() || !testTimer->isActive())
        return;
    if (!ourQueryBudget.allows(testTimer->remainingTime())) {
        qCDebug(lcRange) << "Own RSSI query skipped: it could not end before the next test line";
        return;
    }
    startRssiQuery(RangeQuery::Transmitter);
}

void FendrakeXBeeConfiguratorDialog::showLostMarks()
{
    // Between the samples around the gap, on the bottom edge.
    lostSeries->clear();
    for (const LostLines &mark : testStatistics.lostMarks())
        lostSeries->append(qMax(0.0, mark.afterSample + 0.5), axisY->min());
}

void FendrakeXBeeConfiguratorDialog::onLostMarkHovered(QPointF point, bool state)
{
    if (!state) {
        QToolTip::hideText();
        return;
    }
    const QList<LostLines> &marks = testStatistics.lostMarks();
    const auto nearest = std::min_element(marks.begin(), marks.end(), [point](const auto &a, const auto &b) {
        return std::abs(a.afterSample + 0.5 - point.x()) < std::abs(b.afterSample + 0.5 - point.x());
    });
    if (nearest != marks.end())
        QToolTip::showText(QCursor::pos(), RangeTestStatistics::lostText(*nearest));
}
