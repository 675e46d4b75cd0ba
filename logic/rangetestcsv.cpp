#include "logic/rangetestcsv.h"

#include <QTextStream>

bool writeRssiCsv(QIODevice *device, const QList<RssiSample> &samples)
{
    QTextStream out(device);
    out << "Sample,RSSI(dBm),Time\n";
    for (const RssiSample &sample : samples) {
        out << sample.index << ',' << sample.rssi << ',' << sample.time.toString(QStringLiteral("HH:mm:ss")) << '\n';
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}
