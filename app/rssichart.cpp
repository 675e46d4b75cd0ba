#include "app/fendrakexbeeconfiguratordialog.h"

#include "logic/filesaving.h"
#include "logic/rangetestcsv.h"

#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QLineSeries>
#include <QMessageBox>
#include <QToolTip>
#include <QValueAxis>

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
    rssiSamples.append({sampleCounter, rssi, now});
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
    const QString text = tr("RSSI: %1 dBm\nSample: %2")
                             .arg(point.y(), 0, 'g', -1, QLatin1Char(' '))
                             .arg(point.x(), 0, 'g', -1, QLatin1Char(' '));
    QToolTip::showText(QCursor::pos(), text);
}

void FendrakeXBeeConfiguratorDialog::onExportResultsClicked()
{
    const QString title = tr("Export results");
    if (rssiSeries->count() == 0) {
        QMessageBox::information(this, title, tr("No RSSI data to export"));
        return;
    }
    const QString fileName =
        QFileDialog::getSaveFileName(this, tr("Export RSSI Data"), QString(), tr("CSV Files (*.csv)"));
    if (fileName.isEmpty())
        return;

    const auto csv = [this](QIODevice *file) { return writeRssiCsv(file, rssiSamples); };
    switch (saveFile(fileName, QIODevice::Text, csv)) {
    case SaveResult::OpenFailed:
        QMessageBox::critical(this, title, tr("Failed to open file for writing"));
        return;
    case SaveResult::WriteFailed:
        QMessageBox::critical(this, title, tr("Failed to write file"));
        return;
    case SaveResult::Saved:
        break;
    }
    QMessageBox::information(this, title, tr("RSSI data exported successfully"));
}
