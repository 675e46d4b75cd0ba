#include "logic/rangeteststatistics.h"

#include <algorithm>
#include <cmath>

namespace {

const QString noFigure = QStringLiteral("–");

// Rounded before formatting so that a mean just below zero reads 0.0, not -0.0.
double roundedToTenth(double value)
{
    const double rounded = std::round(value * 10.0) / 10.0;
    return rounded == 0.0 ? 0.0 : rounded;
}

} // namespace

void RangeTestStatistics::reset()
{
    *this = RangeTestStatistics();
}

void RangeTestStatistics::addLine(std::optional<quint32> counter, qint64 nowMs, RssiQuery query)
{
    lastLineMs = nowMs;
    if (!countLine(counter))
        return;
    rssiPending = query == RssiQuery::Started;
    if (!rssiPending)
        ++linesWithoutRssi;
}

void RangeTestStatistics::addLine(std::optional<quint32> counter)
{
    countLine(counter);
}

bool RangeTestStatistics::countLine(std::optional<quint32> counter)
{
    // The same line twice (a retransmission heard again) is neither a new
    // arrival nor a loss.
    if (counter && lastCounter && *counter == *lastCounter)
        return false;
    settlePendingLine();
    ++receivedLines;
    if (!counter)
        return true;
    // A lower counter means the transmitter started a new sequence.
    if (lastCounter && *counter > *lastCounter && *counter - *lastCounter > 1) {
        lostLines += *counter - *lastCounter - 1;
        addLostMark(*lastCounter + 1, *counter - 1);
    }
    lastCounter = counter;
    return true;
}

void RangeTestStatistics::endRssiQuery()
{
    settlePendingLine();
}

void RangeTestStatistics::settlePendingLine()
{
    if (rssiPending)
        ++linesWithoutRssi;
    rssiPending = false;
}

void RangeTestStatistics::addLostMark(quint32 first, quint32 last)
{
    marks.append({samples - 1, first, last});
    dropOldMarks();
}

// A mark stays while the sample after it is still on the chart.
void RangeTestStatistics::dropOldMarks()
{
    const qint64 firstKeptSample = qint64(samples) - maxKeptSamples;
    while (!marks.isEmpty()
           && (marks.size() > maxLostMarks || qint64(marks.constFirst().afterSample) + 1 < firstKeptSample)) {
        marks.removeFirst();
    }
}

void RangeTestStatistics::addSample(int rssi)
{
    if (samples == 0) {
        minRssi = rssi;
        maxRssi = rssi;
    }
    minRssi = qMin(minRssi, rssi);
    maxRssi = qMax(maxRssi, rssi);
    lastRssi = rssi;
    rssiSum += rssi;
    ++samples;
    rssiPending = false;
    dropOldMarks();
}

QString RangeTestStatistics::summary() const
{
    // A figure with nothing to show yet reads "–", as on the transmitting seat.
    QStringList lines(3, noFigure);
    if (receivedLines > 0) {
        const double lostPercent = 100.0 * double(lostLines) / double(receivedLines + lostLines);
        lines = {QString::number(receivedLines), QString::number(lostLines), QString::number(lostPercent, 'f', 1)};
        if (linesWithoutRssi > 0)
            lines[0] += tr(" (%1 without RSSI)").arg(linesWithoutRssi);
    }
    QStringList rssi(4, noFigure);
    if (samples > 0) {
        const double mean = roundedToTenth(double(rssiSum) / samples);
        rssi = {QString::number(lastRssi), QString::number(minRssi), QString::number(mean, 'f', 1),
                QString::number(maxRssi)};
    }
    return tr("Received: %1   Lost: %2 (%3 %)   RSSI last/min/avg/max: %4 / %5 / %6 / %7 dBm")
        .arg(lines[0], lines[1], lines[2], rssi[0], rssi[1], rssi[2], rssi[3]);
}

QString RangeTestStatistics::summary(qint64 nowMs) const
{
    if (!lastLineMs)
        return summary();
    // Silence comes first: a long line is shortened at its end.
    if (isSilent(nowMs))
        return silenceText(nowMs) + QStringLiteral("   ") + summary();
    return summary() + QStringLiteral("   ") + silenceText(nowMs);
}

bool RangeTestStatistics::isSilent(qint64 nowMs) const
{
    return lastLineMs && nowMs - *lastLineMs > silentAfterMs;
}

QString RangeTestStatistics::silenceText(qint64 nowMs) const
{
    const qint64 seconds = qMax<qint64>(0, nowMs - *lastLineMs) / 1000;
    return isSilent(nowMs) ? tr("No line for %1 s").arg(seconds) : tr("Last line %1 s ago").arg(seconds);
}

QString RangeTestStatistics::lostText(const LostLines &mark)
{
    if (mark.firstCounter == mark.lastCounter)
        return tr("Line %1 lost").arg(mark.firstCounter);
    return tr("Lines %1–%2 lost").arg(mark.firstCounter).arg(mark.lastCounter);
}

QString RangeTestStatistics::sampleText(const RssiSample &sample)
{
    if (sample.line)
        return tr("Line %1: %2 dBm").arg(*sample.line).arg(sample.rssi);
    return tr("Sample %1: %2 dBm").arg(sample.index).arg(sample.rssi);
}

const RssiSample *RangeTestStatistics::nearestSample(const QList<RssiSample> &samples, double x)
{
    const auto nearest = std::min_element(samples.cbegin(), samples.cend(), [x](const auto &a, const auto &b) {
        return std::abs(a.index - x) < std::abs(b.index - x);
    });
    return nearest == samples.cend() ? nullptr : &*nearest;
}
