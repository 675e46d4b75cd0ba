#ifndef RANGETESTSTATISTICS_H
#define RANGETESTSTATISTICS_H

#include <QCoreApplication>
#include <QString>

#include <optional>

// Packet-loss and signal figures of one receiver session: how many test
// lines arrived, how many never did (gaps between consecutive counters),
// and the last, weakest, mean and strongest RSSI of the samples.
class RangeTestStatistics
{
    Q_DECLARE_TR_FUNCTIONS(RangeTestStatistics)

public:
    void reset();

    // A test line the receiver examined, with its counter if it carried one.
    void addLine(std::optional<quint32> counter);
    void addSample(int rssi);

    // The line shown under the Test tab's buttons; "-" for a figure that has
    // nothing to show yet.
    QString summary() const;

private:
    quint64 receivedLines = 0;
    quint64 lostLines = 0;
    std::optional<quint32> lastCounter;

    int samples = 0;
    int lastRssi = 0;
    int minRssi = 0;
    int maxRssi = 0;
    qint64 rssiSum = 0;
};

#endif // RANGETESTSTATISTICS_H
