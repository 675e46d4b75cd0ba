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
    closedPortStop = false;
    if (!runningSince) {
        runningSince = nowMs;
        firstSentThisRunMs.reset();
    }
}

void TransmitterStatistics::stop(qint64 nowMs)
{
    runningBefore = runningMs(nowMs);
    runningSince.reset();
}

void TransmitterStatistics::stopOnClosedPort(qint64 nowMs)
{
    stop(nowMs);
    closedPortStop = true;
}

qint64 TransmitterStatistics::runningMs(qint64 nowMs) const
{
    return runningBefore + (runningSince ? qMax<qint64>(0, nowMs - *runningSince) : 0);
}

void TransmitterStatistics::addSent(quint32 counter, qint64 nowMs)
{
    if (!firstSentThisRunMs)
        firstSentThisRunMs = nowMs;
    recentLines.push_back({counter, nowMs, false});
    if (recentLines.size() > trackedLines)
        recentLines.pop_front();
    ++sent;
}

bool TransmitterStatistics::addHeard(const HeardReply &reply, qint64 nowMs)
{
    // Replies answer recent lines, so the newest are searched first.
    const auto line = std::find_if(recentLines.rbegin(), recentLines.rend(),
                                   [&reply](const SentLine &sentLine) { return sentLine.counter == reply.counter; });
    if (line == recentLines.rend() || line->heard)
        return false;
    line->heard = true;
    ++heard;
    lastHeardMs = nowMs;
    if (reply.rssi) {
        theirMin = theirSamples == 0 ? *reply.rssi : qMin(theirMin, *reply.rssi);
        theirLast = *reply.rssi;
        theirLastMs = nowMs;
        theirSum += *reply.rssi;
        ++theirSamples;
    }
    return true;
}

void TransmitterStatistics::setOurRssi(int rssi, qint64 nowMs)
{
    ourRssi = rssi;
    ourRssiMs = nowMs;
}

QString TransmitterStatistics::summary(qint64 nowMs) const
{
    QString figures =
        tr("Sent: %1  Heard: %2  Their RSSI: %3  Our RSSI: %4  %5")
            .arg(QString::number(sent), heardText(nowMs), theirRssiText(nowMs), ourRssiText(nowMs), runningText(nowMs));
    // What went wrong comes first: a long line is shortened at its end.
    if (isSilent(nowMs))
        figures =
            tr("No answer for %1 s").arg((nowMs - *answerAwaitedSinceMs()) / 1000) + QStringLiteral("  ") + figures;
    if (!closedPortStop)
        return figures;
    const QString stopped = recentLines.empty()
        ? tr("The port closed: the test stopped before its first line.")
        : tr("The port closed: the test stopped after line %1.").arg(recentLines.back().counter);
    return stopped + QStringLiteral("  ") + figures;
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

QString TransmitterStatistics::theirRssiText(qint64 nowMs) const
{
    if (theirSamples == 0)
        return noFigure;
    // Rounded half away from zero, and never to "-0".
    const long mean = std::lround(double(theirSum) / theirSamples);
    return tr("%1 dBm%2 (min %3, avg %4)")
        .arg(theirLast)
        .arg(ageText(theirLastMs, nowMs))
        .arg(theirMin)
        .arg(mean == 0 ? 0 : mean);
}

// Both RSSIs are measured as replies come: without replies, they grow old.
QString TransmitterStatistics::ourRssiText(qint64 nowMs) const
{
    return ourRssi ? tr("%1 dBm%2").arg(*ourRssi).arg(ageText(ourRssiMs, nowMs)) : noFigure;
}

QString TransmitterStatistics::ageText(qint64 sinceMs, qint64 nowMs) const
{
    return isSilent(nowMs) ? tr(", %1 s ago").arg(qMax<qint64>(0, nowMs - sinceMs) / 1000) : QString();
}

// The answers are awaited from the first line of this run on, or from the
// last answer if one came later.
std::optional<qint64> TransmitterStatistics::answerAwaitedSinceMs() const
{
    if (!firstSentThisRunMs)
        return std::nullopt;
    return lastHeardMs ? qMax(*lastHeardMs, *firstSentThisRunMs) : *firstSentThisRunMs;
}

QString TransmitterStatistics::runningText(qint64 nowMs) const
{
    const qint64 seconds = runningMs(nowMs) / 1000;
    QString clock = twoDigits(seconds / 60 % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
    if (seconds >= 3600)
        clock = twoDigits(seconds / 3600) + QLatin1Char(':') + clock;
    return runningSince ? tr("Running %1").arg(clock) : tr("Stopped %1").arg(clock);
}

bool TransmitterStatistics::isSilent(qint64 nowMs) const
{
    const std::optional<qint64> since = answerAwaitedSinceMs();
    return runningSince && since && nowMs - *since > silentAfterMs;
}
