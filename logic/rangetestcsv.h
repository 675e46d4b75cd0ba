#ifndef RANGETESTCSV_H
#define RANGETESTCSV_H

#include "logic/rssisample.h"

#include <QList>

class QIODevice;

// Writes the samples as the CSV file users keep: the header
// "Sample,RSSI(dBm),Time", then one line per sample, oldest first, with the
// time of day as HH:mm:ss. Returns false if the device did not take it all.
bool writeRssiCsv(QIODevice *device, const QList<RssiSample> &samples);

#endif // RANGETESTCSV_H
