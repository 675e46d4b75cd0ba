#include "logic/transmitterstatistics.h"

#include <algorithm>
#include <cmath>

namespace {

const QString noFigure = QStringLiteral("–");

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

void TransmitterStatistics::reset(qint64 nowMs)
{
    const bool running = runningSince.has_value();
    *this = TransmitterStatistics();
    if (running)
        runningSince = nowMs;
}

void TransmitterStatistics::start(qint64 nowMs)
{
    if (!runningSince)
        runningSince = nowMs;
}

void TransmitterStatistics::stop(qint64 nowMs)
{
    runningBefore = runningMs(nowMs);
    runningSince.reset();
}

qint64 TransmitterStatistics::runningMs(qint64 nowMs) const
{
    return runningBefore + (runningSince ? qMax<qint64>(0, nowMs - *runningSince) : 0);
}

void TransmitterStatistics::addSent(quint32 counter, qint64 nowMs)
{
    recentLines.push_back({counter, nowMs, false});
    if (recentLines.size() > trackedLines)
        recentLines.pop_front();
    ++sent;
}

bool TransmitterStatistics::addHeard(const HeardReply &reply)
{
    // Replies answer recent lines, so the newest are searched first.
    const auto line = std::find_if(recentLines.rbegin(), recentLines.rend(),
                                   [&reply](const SentLine &sentLine) { return sentLine.counter == reply.counter; });
    if (line == recentLines.rend() || line->heard)
        return false;
    line->heard = true;
    ++heard;
    if (reply.rssi) {
        theirMin = theirSamples == 0 ? *reply.rssi : qMin(theirMin, *reply.rssi);
        theirLast = *reply.rssi;
        theirSum += *reply.rssi;
        ++theirSamples;
    }
    return true;
}

void TransmitterStatistics::setOurRssi(int rssi)
{
    ourRssi = rssi;
}

QString TransmitterStatistics::summary(qint64 nowMs) const
{
    const QString ours = ourRssi ? tr("%1 dBm").arg(*ourRssi) : noFigure;
    return tr("Sent: %1  Heard: %2  Their RSSI: %3  Our RSSI: %4  %5")
        .arg(QString::number(sent), heardText(nowMs), theirRssiText(), ours, runningText(nowMs));
}

// Lines still within their reply time are left out of the rate, so the line
// in flight never lowers it.
QString TransmitterStatistics::heardText(qint64 nowMs) const
{
    quint64 waiting = 0;
    quint64 heardWaiting = 0;
    for (auto line = recentLines.rbegin(); line != recentLines.rend() && nowMs - line->sentMs < replyTimeMs; ++line) {
        ++waiting;
        heardWaiting += line->heard ? 1 : 0;
    }
    const quint64 due = sent - waiting;
    if (due == 0)
        return tr("%1 (%2)").arg(heard).arg(noFigure);
    const double percent = 100.0 * double(heard - heardWaiting) / double(due);
    return tr("%1 (%2 %)").arg(heard).arg(percent, 0, 'f', 1);
}

QString TransmitterStatistics::theirRssiText() const
{
    if (theirSamples == 0)
        return noFigure;
    // Rounded half away from zero, and never to "-0".
    const long mean = std::lround(double(theirSum) / theirSamples);
    return tr("%1 dBm (min %2, avg %3)").arg(theirLast).arg(theirMin).arg(mean == 0 ? 0 : mean);
}

QString TransmitterStatistics::runningText(qint64 nowMs) const
{
    const qint64 seconds = runningMs(nowMs) / 1000;
    QString clock = twoDigits(seconds / 60 % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
    if (seconds >= 3600)
        clock = twoDigits(seconds / 3600) + QLatin1Char(':') + clock;
    return runningSince ? tr("Running %1").arg(clock) : tr("Stopped %1").arg(clock);
}
