#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"

#include <QMessageBox>
#include <QProgressDialog>

void FendrakeXBeeConfiguratorDialog::startBaudRateSearch()
{
    searchProgress = new QProgressDialog(QString(), tr("Cancel"), 0, 2 * CommandSession::searchAttempts(), this);
    searchProgress->setWindowTitle(tr("Search baud rates"));
    searchProgress->setWindowModality(Qt::WindowModal);
    searchProgress->setAutoClose(false);
    searchProgress->setAutoReset(false);
    searchProgress->setMinimumDuration(0);
    connect(searchProgress, &QProgressDialog::canceled, this,
            &FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled);
    searchProgress->show();
    session->startSearch();
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchTrying(int attempt, int rate, bool slowPass)
{
    if (!searchProgress)
        return;
    // setValue() of a modal progress window processes events: the search is
    // already in order for whatever they bring (a Cancel, a reply).
    searchProgress->setLabelText(slowPass ? tr("Trying %1 baud, waiting out a long guard time…").arg(rate)
                                          : tr("Trying %1 baud…").arg(rate));
    searchProgress->setValue(slowPass ? attempt + CommandSession::searchAttempts() : attempt);
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchFound(int rate)
{
    endBaudRateSearch();
    // Chosen as if by the user, so it is kept and the port stays at it.
    ui->cmbSerialBaudRate->setCurrentIndex(ui->cmbSerialBaudRate->findData(rate));
    QMessageBox::information(this, tr("Search baud rates"), tr("Found the module at %1 baud.").arg(rate));
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchExhausted()
{
    endBaudRateSearch();
    QMessageBox::warning(this, tr("Search baud rates"),
                         tr("No module answered at any baud rate. Check the port, the cable and the module's power."));
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled()
{
    if (!session->searching())
        return;
    session->cancelSearch();
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
