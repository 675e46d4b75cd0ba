#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/fieldlook.h"
#include "dialogs/aboutdialog.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QSignalBlocker>

void FendrakeXBeeConfiguratorDialog::applyUserLevel()
{
    const int neededBefore = isVisible() ? neededHeight() : 0;
    // The full view adds the addressing, transmit and UART settings and the calculator.
    QWidget *const guruOnly[] = {
        ui->lblDestinationAddressHigh,
        ui->txtDestinationAddressHigh,
        ui->lblDestinationAddressLow,
        ui->txtDestinationAddressLow,
        ui->lblTransmitOptions,
        ui->txtTransmitOptions,
        ui->btnConfigureChannelMask,
        ui->lblBroadcastMultiTransmits,
        ui->txtBroadcastMultiTransmits,
        ui->lblAPIMode,
        ui->cmbAPIMode,
        ui->groupBoxUART,
    };
    for (QWidget *widget : guruOnly)
        widget->setVisible(userLevel == Guru);

    // A beginner changes the PAN ID only through a predefined configuration,
    // the channel mask only the calculator sets, and a beginner sees the
    // module's name without changing it.
    showReadOnly(ui->txtPANID, userLevel == Beginner, tr("Editable at the Guru level."));
    showReadOnly(ui->txtChannelMask, true,
                 userLevel == Guru ? tr("Set with the channel mask calculator.")
                                   : tr("Set with the channel mask calculator at the Guru level."));
    showReadOnly(ui->txtNodeIdentifier, userLevel != Guru, tr("Editable at the Guru level."));

    // The MAC mode is neither read nor written, so it is offered at no level.
    ui->lblMACMode->hide();
    ui->cmbMACMode->hide();

    showConsole(userLevel == Guru);

    if (isVisible()) {
        takeBackHeight(neededBefore);
        return;
    }
    // Before it is shown, the window takes the size of its first level.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    adjustSize();
}

void FendrakeXBeeConfiguratorDialog::onProfileChanged()
{
    userLevel = ui->cmbProfile->currentIndex() == 0 ? Beginner : Guru;
    applyUserLevel();
}

void FendrakeXBeeConfiguratorDialog::onUserLevelElevated(UserLevel level)
{
    userLevel = level;
    applyUserLevel();

    // Show the new level in the selector without applying it a second time.
    const QSignalBlocker blocker(ui->cmbProfile);
    ui->cmbProfile->setCurrentIndex(level == Beginner ? 0 : 1);
}

void FendrakeXBeeConfiguratorDialog::onAboutClicked()
{
    AboutDialog about(this);
    connect(&about, &AboutDialog::elevateRights, this, &FendrakeXBeeConfiguratorDialog::onUserLevelElevated);
    about.exec();
}

void FendrakeXBeeConfiguratorDialog::onAboutQtClicked()
{
    QMessageBox::aboutQt(this);
}
