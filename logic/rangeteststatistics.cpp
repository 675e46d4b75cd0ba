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
    QString receivedText = noFigure;
    QString lostText = noFigure;
    QString percentText = noFigure;
    if (receivedLines > 0) {
        receivedText = QString::number(receivedLines);
        lostText = QString::number(lostLines);
        const double expected = double(receivedLines + lostLines);
        percentText = QString::number(100.0 * double(lostLines) / expected, 'f', 1);
    }

    QString lastText = noFigure;
    QString minText = noFigure;
    QString averageText = noFigure;
    QString maxText = noFigure;
    if (samples > 0) {
        lastText = QString::number(lastRssi);
        minText = QString::number(minRssi);
        averageText = QString::number(roundedToTenth(double(rssiSum) / samples), 'f', 1);
        maxText = QString::number(maxRssi);
    }

    return tr("Received: %1   Lost: %2 (%3 %)   RSSI last/min/avg/max: %4 / %5 / %6 / %7 dBm")
        .arg(receivedText, lostText, percentText, lastText, minText, averageText, maxText);
}
