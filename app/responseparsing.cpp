#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"
#include "catalogue/modulesettings.h"
#include "catalogue/presets.h"
#include "logic/replymapping.h"

#include <QDebug>
#include <QScopedValueRollback>

void FendrakeXBeeConfiguratorDialog::parseCommandResponse(const QString &command, const QString &response)
{
    rememberModuleReply(command, response);
    if (command == QLatin1String("DB")) {
        handleRssiReply(response);
        return;
    }
    const ModuleSetting *setting = ModuleSettings::find(command);
    if (!setting || setting->kind == FieldKind::None) {
        qDebug() << "Command " << command << " response: " << response;
        return;
    }
    if (command == QLatin1String("ID")) {
        // The selector only follows the module's PAN ID: a preset here would
        // overwrite values the module has just reported (TO and CM come before ID).
        const QScopedValueRollback<bool> following(configurationFollowsModule, true);
        ui->cmbConfiguration->setCurrentIndex(Presets::forPanId(response));
    }
    const std::optional<QString> value = Reply::fieldValue(*setting, response);
    if (!value) {
        qDebug() << qPrintable(QStringLiteral("Invalid %1 response: ").arg(QLatin1String(setting->title))) << response;
        return;
    }
    setFieldValue(*setting, *value);
}

void FendrakeXBeeConfiguratorDialog::rememberModuleReply(const QString &command, const QString &response)
{
    if (session->runType() == RunRead)
        moduleReplies.insert(command, response);
}
