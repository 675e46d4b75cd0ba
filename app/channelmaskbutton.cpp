#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "dialogs/configurechannelmaskdialog.h"
#include "logic/channelmask.h"

void FendrakeXBeeConfiguratorDialog::onConfigureChannelMaskClicked()
{
    // A field that holds no mask yet starts the calculator from zero.
    ConfigureChannelMaskDialog calculator;
    calculator.channelMask = ChannelMask::parse(ui->txtChannelMask->text()).value_or(0);
    calculator.updateFields();

    // Escape and the close button keep what was set, just like Ok.
    calculator.exec();

    ui->txtChannelMask->setText(ChannelMask::format(calculator.channelMask));
}
