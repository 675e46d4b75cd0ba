#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/baudrates.h"
#include "logic/baudratesearch.h"

#include <QMessageBox>
#include <QProgressDialog>

void FendrakeXBeeConfiguratorDialog::startBaudRateSearch()
{
    searchOriginalRate = selectedBaudRate();
    const QList<int> &rates = BaudRates::searchOrder();
    searchProgress =
        new QProgressDialog(tr("Trying %1 baud…").arg(rates.first()), tr("Cancel"), 0, int(rates.size()), this);
    searchProgress->setWindowTitle(tr("Search baud rates"));
    searchProgress->setWindowModality(Qt::WindowModal);
    searchProgress->setAutoClose(false);
    searchProgress->setAutoReset(false);
    searchProgress->setMinimumDuration(0);
    connect(searchProgress, &QProgressDialog::canceled, this,
            &FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled);
    searchProgress->show();
    baudRateSearch->start();
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchTrying(int attempt, int rate)
{
    if (searchProgress) {
        searchProgress->setLabelText(tr("Trying %1 baud…").arg(rate));
        searchProgress->setValue(attempt);
    }
    // The port alone moves; the selector keeps showing the user's choice
    // until a rate has answered.
    emit change_baud_rate(QSerialPort::BaudRate(rate));
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
    emit change_baud_rate(QSerialPort::BaudRate(searchOriginalRate));
    QMessageBox::warning(this, tr("Search baud rates"),
                         tr("No module answered at any baud rate. Check the port, the cable and the module's power."));
}

void FendrakeXBeeConfiguratorDialog::onBaudRateSearchCancelled()
{
    if (!baudRateSearch->isRunning())
        return;
    baudRateSearch->cancel();
    endBaudRateSearch();
    emit change_baud_rate(QSerialPort::BaudRate(searchOriginalRate));
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
