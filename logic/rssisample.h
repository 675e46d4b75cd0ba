#ifndef RSSISAMPLE_H
#define RSSISAMPLE_H

#include <QDateTime>
#include <QtGlobal>

#include <optional>

// One range-test sample: which test line it belongs to, how strong the
// module heard it (dBm) and when it was recorded.
struct RssiSample
{
    qint32 index = 0;
    qint32 rssi = 0;
    QDateTime time;
    std::optional<quint32> line; // the counter of the test line measured, if it carried one
};

#endif // RSSISAMPLE_H
