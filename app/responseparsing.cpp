#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "catalogue/modulesettings.h"
#include "catalogue/presets.h"
#include "logic/logging.h"
#include "logic/replymapping.h"

#include <QScopedValueRollback>

void FendrakeXBeeConfiguratorDialog::parseCommandResponse(const QString &command, const QString &response)
{
    // What the module shows is no edit of the user's.
    const QScopedValueRollback<bool> fromModule(fillingFromModule, true);
    if (command == QLatin1String("DB")) {
        handleRssiReply(response);
        return;
    }
    const ModuleSetting *setting = ModuleSettings::find(command);
    if (!setting || setting->kind == FieldKind::None) {
        qCDebug(lcConfig) << "Command " << command << " response: " << response;
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
        qCDebug(lcConfig) << qPrintable(QStringLiteral("Invalid %1 response: ").arg(QLatin1String(setting->title)))
                          << response;
        return;
    }
    setFieldValue(*setting, *value);
}
