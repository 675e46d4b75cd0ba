#ifndef RANGETESTSTATISTICS_H
#define RANGETESTSTATISTICS_H

#include "logic/rssisample.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// Test lines that never arrived, found between two received lines: where
// they fall among the RSSI samples and which counters they carried.
struct LostLines
{
    qint32 afterSample = -1; // index of the last sample before them, -1 if none yet
    quint32 firstCounter = 0;
    quint32 lastCounter = 0;

    bool operator==(const LostLines &other) const
    {
        return afterSample == other.afterSample && firstCounter == other.firstCounter
            && lastCounter == other.lastCounter;
    }
};

// Packet-loss and signal figures of one receiver session: how many test
// lines arrived (and how many of them have no RSSI), how many never did (gaps
// between consecutive counters), the last, weakest, mean and strongest RSSI
// of the samples, and how long ago the last line came.
//
// Times are milliseconds of a monotonic clock the caller reads; nothing here
// reads a clock of its own.
class RangeTestStatistics
{
    Q_DECLARE_TR_FUNCTIONS(RangeTestStatistics)

public:
    // As many marks as the chart keeps samples.
    static constexpr int maxLostMarks = 500;
    static constexpr int maxKeptSamples = 500;
    // Two test intervals without a line: the link has gone quiet.
    static constexpr qint64 silentAfterMs = 10000;

    enum class RssiQuery { Started, NotStarted };

    void reset();

    // A test line the receiver took in at nowMs, with its counter if it
    // carried one. NotStarted: the line arrived while the receiver could not
    // ask its module (tab hidden, a run under way); it counts as received
    // without RSSI, never as lost.
    void addLine(std::optional<quint32> counter, qint64 nowMs, RssiQuery query);
    // As above for a caller that follows neither time nor queries: no line
    // counts as without RSSI, and the summary leaves out the silence.
    void addLine(std::optional<quint32> counter);
    // The RSSI of the line whose query was started last.
    void addSample(int rssi);
    // The query ended (answered or not); its line has no RSSI unless a sample came.
    void endRssiQuery();

    // The line shown under the Test tab's buttons; "–" for a figure that has
    // nothing to show yet.
    QString summary() const;
    // The same, ending with how long ago the last line came, once one has.
    QString summary(qint64 nowMs) const;
    quint64 receivedCount() const { return receivedLines; }
    // No line for more than two intervals (only once a line has come).
    bool isSilent(qint64 nowMs) const;

    // Oldest first; only marks next to a sample the chart still keeps.
    const QList<LostLines> &lostMarks() const { return marks; }
    // The hover text of a mark: "Lines 23–29 lost", "Line 23 lost".
    static QString lostText(const LostLines &mark);
    // The hover text of a sample, numbered as the marks are: "Line 23: -77 dBm";
    // "Sample 4: -77 dBm" for a line that carried no number.
    static QString sampleText(const RssiSample &sample);
    // The sample whose index is nearest to x; null when there is none.
    static const RssiSample *nearestSample(const QList<RssiSample> &samples, double x);

private:
    bool countLine(std::optional<quint32> counter); // false for the same line twice
    void settlePendingLine();
    void addLostMark(quint32 first, quint32 last);
    void dropOldMarks();
    QString silenceText(qint64 nowMs) const;

    quint64 receivedLines = 0;
    quint64 linesWithoutRssi = 0;
    bool rssiPending = false; // the newest line's query has not ended yet
    quint64 lostLines = 0;
    std::optional<quint32> lastCounter;
    std::optional<qint64> lastLineMs;
    QList<LostLines> marks;

    int samples = 0;
    int lastRssi = 0;
    int minRssi = 0;
    int maxRssi = 0;
    qint64 rssiSum = 0;
};

#endif // RANGETESTSTATISTICS_H
