#include "logic/rangetestcsv.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

// Everything written must also have been taken: a full disk or a device that
// refuses shows up only when the buffered bytes are flushed.
CsvExport writeAll(QFileDevice &file, const QList<RssiSample> &samples)
{
    const bool written = writeRssiCsv(&file, samples) && file.flush();
    return written && file.error() == QFileDevice::NoError ? CsvExport::Saved : CsvExport::WriteFailed;
}

CsvExport exportToDevice(const QString &fileName, const QList<RssiSample> &samples)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return CsvExport::OpenFailed;
    const CsvExport result = writeAll(file, samples);
    file.close();
    return result;
}

} // namespace

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

CsvExport exportRssiCsv(const QString &fileName, const QList<RssiSample> &samples)
{
    // A finished file is renamed over a device or a pipe, replacing the node
    // itself where the folder lets us (as root in /dev): never do that.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir())
        return exportToDevice(fileName, samples);

    // Written beside the target and renamed over it only when complete, so a
    // failed export never leaves a half file where the user's old one was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return CsvExport::OpenFailed;
    if (writeAll(file, samples) != CsvExport::Saved)
        return CsvExport::WriteFailed;
    return file.commit() ? CsvExport::Saved : CsvExport::WriteFailed;
}
