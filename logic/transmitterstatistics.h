#ifndef TRANSMITTERSTATISTICS_H
#define TRANSMITTERSTATISTICS_H

#include "logic/rangetestline.h"

#include <QCoreApplication>
#include <QString>

#include <deque>
#include <optional>

// The transmitter's figures: lines sent, how many the receiver answered and
// at what strength it heard them, how strongly our own module hears the
// receiver, and how long the test has been running (stopped time not counted).
//
// Times are milliseconds of a monotonic clock the caller reads; nothing here
// reads a clock of its own.
class TransmitterStatistics
{
    Q_DECLARE_TR_FUNCTIONS(TransmitterStatistics)

public:
    // A line counts against the success rate once its reply is this late.
    static constexpr qint64 replyTimeMs = 5000;
    // Lines a reply is still matched against: an hour of them. A reply for
    // an older line, like one for a line never sent, is ignored.
    static constexpr int trackedLines = 720;
    // Two test intervals without a reply while lines go out: the receiver is not answering.
    static constexpr qint64 silentAfterMs = 10000;

    // A mode click: every figure starts again, and a running clock from nowMs.
    void reset(qint64 nowMs);
    void start(qint64 nowMs);
    void stop(qint64 nowMs);
    // The port closed under a running test: it stops, and the summary says
    // after which line until the next start.
    void stopOnClosedPort(qint64 nowMs);
    bool stoppedByClosedPort() const { return closedPortStop; }

    void addSent(quint32 counter, qint64 nowMs);
    // A reply that came at nowMs. False when it is for a line not sent (or
    // no longer tracked) or already heard; such a reply changes nothing.
    bool addHeard(const HeardReply &reply, qint64 nowMs);
    // What our own module measured in its "DB" query at nowMs.
    void setOurRssi(int rssi, qint64 nowMs);

    quint64 sentCount() const { return sent; }
    quint64 heardCount() const { return heard; }
    qint64 runningMs(qint64 nowMs) const;
    QString summary(qint64 nowMs) const;
    // Lines go out but no reply has come for more than two intervals.
    bool isSilent(qint64 nowMs) const;

private:
    struct SentLine
    {
        quint32 counter;
        qint64 sentMs;
        bool heard;
    };

    QString heardText(qint64 nowMs) const;
    QString theirRssiText(qint64 nowMs) const;
    QString ourRssiText(qint64 nowMs) const;
    QString ageText(qint64 sinceMs, qint64 nowMs) const;
    QString runningText(qint64 nowMs) const;
    std::optional<qint64> answerAwaitedSinceMs() const;

    std::deque<SentLine> recentLines; // oldest first
    quint64 sent = 0;
    quint64 heard = 0;

    int theirSamples = 0;
    int theirLast = 0;
    qint64 theirLastMs = 0;
    int theirMin = 0;
    qint64 theirSum = 0;
    std::optional<int> ourRssi;
    qint64 ourRssiMs = 0;
    std::optional<qint64> lastHeardMs;
    std::optional<qint64> firstSentThisRunMs; // since the last Start

    std::optional<qint64> runningSince;
    qint64 runningBefore = 0; // of the runs already stopped
    bool closedPortStop = false;
};

#endif // TRANSMITTERSTATISTICS_H
