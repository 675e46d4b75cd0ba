#include "app/fendrakexbeeconfiguratordialog.h"

#include "logic/filesaving.h"
#include "logic/rangetestcsv.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineSeries>
#include <QMessageBox>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace {

// However long a test runs, this many samples are kept for the chart and the export.
constexpr int maxKeptSamples = 500;
// Width of the chart's sliding window, in samples.
constexpr int visibleSamples = 50;
// Room left below a new weakest sample so its point is not drawn on the axis.
constexpr int axisMarginDbm = 5;

// At most about ten labels, each a whole sample number.
int wholeTickInterval(int width)
{
    return width <= 10 ? 1 : width <= 20 ? 2 : width <= 50 ? 5 : 10;
}

} // namespace

void FendrakeXBeeConfiguratorDialog::addRssiSample(int rssi)
{
    const QDateTime now = QDateTime::currentDateTime();
    rssiSeries->append(sampleCounter, rssi);
    rssiSamples.append({sampleCounter, rssi, now, queriedCounter});
    ++sampleCounter;
    if (rssiSeries->count() > maxKeptSamples) {
        rssiSeries->remove(0);
        rssiSamples.removeFirst();
    }
    if (axisY->min() > rssi)
        axisY->setMin(rssi - axisMarginDbm);
    axisX->setRange(qMax(0, sampleCounter - visibleSamples), sampleCounter);
    axisX->setTickInterval(wholeTickInterval(qMin(sampleCounter, visibleSamples)));

    testStatistics.addSample(rssi);
    showTestStatistics();
    showLostMarks();
}

void FendrakeXBeeConfiguratorDialog::onPointHovered(QPointF point, bool state)
{
    if (!state) {
        QToolTip::hideText();
        return;
    }
    // The cursor is anywhere on the line: the sample nearest to it is meant.
    if (const RssiSample *sample = RangeTestStatistics::nearestSample(rssiSamples, point.x()))
        QToolTip::showText(QCursor::pos(), RangeTestStatistics::sampleText(*sample));
}

void FendrakeXBeeConfiguratorDialog::onExportResultsClicked()
{
    exportSamples();
}

int FendrakeXBeeConfiguratorDialog::unexportedSamples() const
{
    return int(std::count_if(rssiSamples.cbegin(), rssiSamples.cend(),
                             [this](const RssiSample &sample) { return sample.index >= exportedUpTo; }));
}

bool FendrakeXBeeConfiguratorDialog::exportSamples()
{
    const QString title = tr("Export results");
    if (rssiSeries->count() == 0) {
        QMessageBox::information(this, title, tr("No RSSI data to export"));
        return false;
    }
    const QString fileName = askExportFileName();
    if (fileName.isEmpty())
        return false;

    const QList<RssiSample> samples = rssiSamples;
    const auto csv = [&samples](QIODevice *file) { return writeRssiCsv(file, samples); };
    switch (saveFile(fileName, QIODevice::Text, csv)) {
    case SaveResult::OpenFailed:
        QMessageBox::critical(this, title, tr("Failed to open file for writing"));
        return false;
    case SaveResult::WriteFailed:
        QMessageBox::critical(this, title, tr("Failed to write file"));
        return false;
    case SaveResult::Saved:
        break;
    }
    exportedUpTo = samples.constLast().index + 1;
    const int count = int(samples.size());
    const QString shownName = QDir::toNativeSeparators(fileName);
    const QString text = count == 1 ? tr("Exported 1 sample to %1.").arg(shownName)
                                    : tr("Exported %1 samples to %2.").arg(count).arg(shownName);
    showStatus(text);
    QMessageBox::information(this, title, text);
    return true;
}

QString FendrakeXBeeConfiguratorDialog::askExportFileName()
{
    // A name that tells the tests apart, where the last one went.
    const QString folder = !exportFolder.isEmpty() ? exportFolder
        : !profileFolder().isEmpty()               ? profileFolder()
                                                   : QDir::homePath();
    const QString proposed = QStringLiteral("rangetest-%1.csv")
                                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmm")));
    QFileDialog fileDialog(this, tr("Export RSSI Data"), folder, tr("CSV Files (*.csv)"));
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.selectFile(QDir(folder).filePath(proposed));
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return QString();
    QString fileName = fileDialog.selectedFiles().constFirst();
    // Some platforms' dialogs leave the suffix to the program; a file chosen as it is keeps its name.
    if (QFileInfo(fileName).suffix().isEmpty() && !QFileInfo::exists(fileName))
        fileName += QStringLiteral(".csv");
    exportFolder = QFileInfo(fileName).absolutePath();
    return fileName;
}
