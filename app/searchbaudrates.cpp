#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/jobtexts.h"
#include "logic/modulejob.h"
#include "logic/ratesearch.h"

#include <QMessageBox>
#include <QProgressDialog>

// The baud-rate search, shown while a job searches for its module.

void FendrakeXBeeConfiguratorDialog::showBaudRateSearch()
{
    searchProgress = new QProgressDialog(QString(), tr("Cancel"), 0, 2 * RateSearch::attempts(), this);
    searchProgress->setWindowTitle(tr("Search baud rates"));
    searchProgress->setWindowModality(Qt::WindowModal);
    searchProgress->setAutoClose(false);
    searchProgress->setAutoReset(false);
    searchProgress->setMinimumDuration(0);
    // Wide enough for its whole title, and for the longer label of the slow pass.
    searchProgress->setMinimumWidth(
        fontMetrics().horizontalAdvance(tr("Trying %1 baud, waiting out a long guard time…").arg(115200)) + 120);
    connect(searchProgress, &QProgressDialog::canceled, this,
            &FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled);
    searchProgress->show();
    showStatus(tr("Searching baud rates…"));
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchTrying(int attempt, int rate, bool slowPass)
{
    if (!searchProgress)
        return;
    // setValue() of a modal progress window processes events: the search is
    // already in order for whatever they bring (a Cancel, a reply).
    searchProgress->setLabelText(slowPass ? tr("Trying %1 baud, waiting out a long guard time…").arg(rate)
                                          : tr("Trying %1 baud…").arg(rate));
    searchProgress->setValue(slowPass ? attempt + RateSearch::attempts() : attempt);
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchFound(int rate)
{
    endBaudRateSearch();
    // Chosen as if by the user, so it is kept and the port stays at it.
    ui->cmbSerialBaudRate->setCurrentIndex(ui->cmbSerialBaudRate->findData(rate));
    const QString found = JobText::found(rate);
    showStatus(found);
    QMessageBox::information(this, tr("Search baud rates"), found);
    // The job goes on by itself at the rate found: the Read or Write that failed.
    showStatus(tr("Waiting for the module…"));
    setCommandProgress(0, 0);
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled()
{
    if (job)
        job->cancel();
    endBaudRateSearch();
}

void FendrakeXBeeConfiguratorDialog::endBaudRateSearch()
{
    if (!searchProgress)
        return;
    // Closing it must not count as a cancel.
    searchProgress->disconnect(this);
    searchProgress->hide();
    searchProgress->deleteLater();
}
