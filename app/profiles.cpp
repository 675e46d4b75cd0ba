#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"
#include "catalogue/modulesettings.h"
#include "catalogue/presets.h"
#include "logic/filesaving.h"
#include "logic/profilefile.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QScopedValueRollback>

namespace {

QString profileFilter()
{
    return FendrakeXBeeConfiguratorDialog::tr("Tarnowick profiles (*.%1)").arg(ProfileFile::suffix);
}

// Bold only, so the field keeps every other part of its parent's font.
void setBold(QWidget *field, bool bold)
{
    QFont font;
    if (bold)
        font.setBold(true);
    field->setFont(font);
}

} // namespace

void FendrakeXBeeConfiguratorDialog::onSaveProfileClicked()
{
    const QString title = tr("Save profile");
    const SettingValues settings = writeRunValues();
    // A read shows the module's replies unchecked; a file the form cannot open again helps nobody.
    const QString problem = ProfileFile::invalidValue(settings);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, title, problem);
        return;
    }
    QFileDialog fileDialog(this, title, QString(), profileFilter());
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.setDefaultSuffix(ProfileFile::suffix);
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return;

    const QByteArray bytes = ProfileFile::serialise(settings, moduleReplies);
    const auto profile = [&bytes](QIODevice *file) { return file->write(bytes) == bytes.size(); };
    if (saveFile(fileDialog.selectedFiles().constFirst(), {}, profile) != SaveResult::Saved) {
        QMessageBox::critical(this, title, tr("Failed to write file"));
        return;
    }
    QMessageBox::information(this, title, tr("Saved %n setting(s).", nullptr, int(settings.size())));
}

void FendrakeXBeeConfiguratorDialog::onOpenProfileClicked()
{
    const QString title = tr("Open profile");
    const QString path = QFileDialog::getOpenFileName(this, title, QString(), profileFilter());
    if (path.isEmpty())
        return;
    const ProfileReading reading = ProfileFile::read(path);
    if (!reading.problem.isEmpty()) {
        QMessageBox::warning(this, title, reading.problem);
        return;
    }
    applyProfile(reading.settings);

    QString text = tr("Loaded %n setting(s).", nullptr, int(reading.settings.size()));
    if (!moduleReplies.isEmpty()) {
        const QStringList differing = ProfileFile::differences(reading.settings, moduleReplies);
        text += QLatin1Char('\n')
            + (differing.isEmpty() ? tr("Same as the module.")
                                   : tr("Different from the module: %1.").arg(differing.join(QLatin1String(", "))));
    }
    QMessageBox::information(this, title, text);
}

void FendrakeXBeeConfiguratorDialog::applyProfile(const QHash<QString, QString> &settings)
{
    setFieldValues(settings);
    {
        // The selector names the configuration the PAN ID belongs to; its preset would undo the profile.
        const QScopedValueRollback<bool> following(configurationFollowsModule, true);
        ui->cmbConfiguration->setCurrentIndex(Presets::forPanId(ui->txtPANID->text()));
    }
    markDifferences(moduleReplies.isEmpty() ? QStringList() : ProfileFile::differences(settings, moduleReplies));
}

void FendrakeXBeeConfiguratorDialog::markDifferences(const QStringList &commands)
{
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        if (setting.written)
            setBold(settingField(setting), commands.contains(QLatin1String(setting.command)));
    }
}

void FendrakeXBeeConfiguratorDialog::beforeSettingsRun(int type)
{
    if (type != RunRead && type != RunWrite)
        return;
    markDifferences({});
    if (type == RunRead)
        moduleReplies.clear(); // a new read replaces the old one, also when it fails half-way
}

void FendrakeXBeeConfiguratorDialog::forgetModule()
{
    // Another port is most likely another module.
    moduleReplies.clear();
}
