#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "catalogue/presets.h"

void FendrakeXBeeConfiguratorDialog::onConfigurationChanged()
{
    // A read run moving the selector must leave the module's values in the form.
    if (configurationFollowsModule)
        return;

    const QHash<QString, QString> unwritten = unwrittenValues();
    setFieldValues(Presets::common());
    // Point-multipoint. The MAC mode is neither read nor written, so it has no AT command.
    ui->cmbMACMode->setCurrentIndex(1);
    // Custom keeps the channel mask and the PAN ID.
    setFieldValues(Presets::named(ui->cmbConfiguration->currentIndex()));
    offerUndoOfReplaced(unwritten, ui->cmbConfiguration->currentText());
}
