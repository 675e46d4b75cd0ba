#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

namespace {

// Items of cmbConfiguration.
enum Configuration { Custom = 0, Scoreboard = 1, WindSpeed = 2 };

// Both named configurations use channels 10 to 23 and 25 to 29.
const QString presetChannelMask = QStringLiteral("3EFFFC00");

} // namespace

void FendrakeXBeeConfiguratorDialog::onConfigurationChanged()
{
    // A read run moving the selector must leave the module's values in the form.
    if (configurationFollowsModule)
        return;

    // Broadcast, point-multipoint, no extra broadcasts, transparent 9600 8N1.
    ui->txtDestinationAddressHigh->setText(QStringLiteral("0"));
    ui->txtDestinationAddressLow->setText(QStringLiteral("FFFF"));
    ui->txtTransmitOptions->setText(QStringLiteral("40"));
    ui->txtBroadcastMultiTransmits->setText(QStringLiteral("0"));
    ui->cmbMACMode->setCurrentIndex(1);
    ui->cmbAPIMode->setCurrentIndex(0);
    ui->cmbBaudRate->setCurrentIndex(3);
    ui->cmbParity->setCurrentIndex(0);
    ui->cmbStopBits->setCurrentIndex(0);
    ui->txtPacketizationTimeout->setText(QStringLiteral("3"));

    switch (ui->cmbConfiguration->currentIndex()) {
    case Scoreboard:
        ui->txtChannelMask->setText(presetChannelMask);
        ui->txtPANID->setText(QStringLiteral("3333"));
        break;
    case WindSpeed:
        ui->txtChannelMask->setText(presetChannelMask);
        ui->txtPANID->setText(QStringLiteral("4444"));
        break;
    default:
        break; // Custom keeps the channel mask and the PAN ID
    }
}
