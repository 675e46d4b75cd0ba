#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/configsequence.h"
#include "logic/replymapping.h"

#include <QDebug>
#include <QScopedValueRollback>

#include <utility>

void FendrakeXBeeConfiguratorDialog::parseCommandResponse(const QString &command, const QString &response)
{
    rememberModuleReply(command, response);
    if (command == QLatin1String("DB")) {
        handleRssiReply(response);
        return;
    }
    if (command == QLatin1String("ID")) {
        // The selector only follows the module's PAN ID: a preset here would
        // overwrite values the module has just reported (TO and CM come before ID).
        const QScopedValueRollback<bool> following(configurationFollowsModule, true);
        ui->cmbConfiguration->setCurrentIndex(Reply::configurationForPanId(response));
        ui->txtPANID->setText(response);
        return;
    }

    const std::pair<const char *, QLineEdit *> textTargets[] = {
        {"CM", ui->txtChannelMask},
        {"TO", ui->txtTransmitOptions},
        {"MT", ui->txtBroadcastMultiTransmits},
        {"DL", ui->txtDestinationAddressLow},
        {"DH", ui->txtDestinationAddressHigh},
        {"RO", ui->txtPacketizationTimeout},
    };
    for (const auto &[name, edit] : textTargets) {
        if (command == QLatin1String(name)) {
            edit->setText(response);
            return;
        }
    }
    if (command == QLatin1String("SH")) {
        ui->lblSerialHighValue->setText(response);
        return;
    }
    if (command == QLatin1String("SL")) {
        ui->lblSerialLowValue->setText(response);
        return;
    }

    const std::pair<const char *, QComboBox *> comboTargets[] = {
        {"BD", ui->cmbBaudRate},
        {"NB", ui->cmbParity},
        {"SB", ui->cmbStopBits},
    };
    for (const auto &[name, combo] : comboTargets) {
        if (command != QLatin1String(name))
            continue;
        const int index = Reply::comboIndex(response, combo->count());
        if (index >= 0)
            combo->setCurrentIndex(index);
        else if (combo == ui->cmbBaudRate)
            qDebug() << "Invalid Baud Rate response: " << response;
        else if (combo == ui->cmbParity)
            qDebug() << "Invalid Parity response: " << response;
        else
            qDebug() << "Invalid Stop Bits response: " << response;
        return;
    }
    if (command == QLatin1String("AP")) {
        // Read back, so that a Write after a Read keeps the module's API mode.
        const int mode = Reply::apiModeIndex(response);
        if (mode >= 0)
            ui->cmbAPIMode->setCurrentIndex(mode);
        else
            qDebug() << "Invalid API Mode response: " << response;
        return;
    }

    qDebug() << "Command " << command << " response: " << response;
}

void FendrakeXBeeConfiguratorDialog::rememberModuleReply(const QString &command, const QString &response)
{
    if (runType == RunRead) {
        moduleReplies.insert(command, response);
        return;
    }
    // A value the module took in a write run is what it holds now, so a
    // profile opened afterwards is compared with that.
    const qsizetype equals = command.indexOf(QLatin1Char('='));
    if (runType == RunWrite && !moduleReplies.isEmpty() && equals > 0 && Reply::isAcknowledgement(response))
        moduleReplies.insert(command.left(equals), command.mid(equals + 1));
}
