#include "logic/rangeteststatistics.h"

#include <cmath>

namespace {

const QString noFigure = QStringLiteral("-");

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

void RangeTestStatistics::addLine(std::optional<quint32> counter)
{
    if (!counter) {
        ++receivedLines;
        return;
    }
    // The same line twice (a retransmission heard again) is neither a new
    // arrival nor a loss.
    if (lastCounter && *counter == *lastCounter)
        return;
    // A lower counter means the transmitter started a new sequence.
    if (lastCounter && *counter > *lastCounter)
        lostLines += *counter - *lastCounter - 1;
    lastCounter = counter;
    ++receivedLines;
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
}

QString RangeTestStatistics::summary() const
{
    // A figure with nothing to show yet reads "-".
    QStringList lines(3, noFigure);
    if (receivedLines > 0) {
        const double lostPercent = 100.0 * double(lostLines) / double(receivedLines + lostLines);
        lines = {QString::number(receivedLines), QString::number(lostLines), QString::number(lostPercent, 'f', 1)};
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
