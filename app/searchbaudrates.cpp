#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/baudrates.h"
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
    // Wide enough for its whole title, and for the longer label of the slow pass.
    searchProgress->setMinimumWidth(
        fontMetrics().horizontalAdvance(tr("Trying %1 baud, waiting out a long guard time…").arg(115200)) + 120);
    connect(searchProgress, &QProgressDialog::canceled, this,
            &FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled);
    searchProgress->show();
    showStatus(tr("Searching baud rates…"));
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
    const QString found = tr("Found the module at %1 baud.").arg(rate);
    showStatus(found);
    QMessageBox::information(this, tr("Search baud rates"), found);
    // The Read or Write that failed goes on by itself at the rate found.
    const int resume = std::exchange(resumeAfterSearch, 0);
    if (resume == RunRead)
        onReadSettings();
    else if (resume == RunWrite)
        onWriteSettings();
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchExhausted()
{
    endBaudRateSearch();
    resumeAfterSearch = 0;
    showStatus(tr("No module answered at any baud rate."));
    QMessageBox::warning(this, tr("Search baud rates"),
                         tr("No module answered at %1 baud. Check the port, the cable and the module's power.")
                             .arg(BaudRates::searchOrderText()));
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled()
{
    if (!session->searching())
        return;
    session->cancelSearch();
    endBaudRateSearch();
    resumeAfterSearch = 0;
    showStatus(tr("Search cancelled; the port is back at %1 baud.").arg(session->portRate()));
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
