#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "logic/commandsession.h"
#include "logic/filesaving.h"
#include "logic/jobtexts.h"
#include "logic/profilefile.h"
#include "settings/settings.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString folderKey = QStringLiteral("profilefolder");

QString profileFilter()
{
    return FendrakeXBeeConfiguratorDialog::tr("Tarnowick profiles (*.%1)").arg(ProfileFile::suffix);
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
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
    QFileDialog fileDialog(this, title, profileFolder(), profileFilter());
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.setDefaultSuffix(ProfileFile::suffix);
    fileDialog.selectFile(proposedProfileName());
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return;
    const QString path = fileDialog.selectedFiles().constFirst();
    rememberProfileFolder(path);

    const QByteArray bytes = ProfileFile::serialise(settings, moduleValues.values());
    const auto profile = [&bytes](QIODevice *file) { return file->write(bytes) == bytes.size(); };
    if (saveFile(path, {}, profile) != SaveResult::Saved) {
        QMessageBox::critical(this, title, JobText::fileNotWritten());
        return;
    }
    showStatus(tr("Saved profile %1.").arg(fileName(path)));
    QMessageBox::information(this, title, JobText::saved(int(settings.size())));
}

void FendrakeXBeeConfiguratorDialog::onOpenProfileClicked()
{
    const QString title = tr("Open profile");
    const QString path = QFileDialog::getOpenFileName(this, title, profileFolder(), profileFilter());
    if (path.isEmpty())
        return;
    rememberProfileFolder(path);
    const ProfileReading reading = ProfileFile::read(path);
    if (!reading.problem.isEmpty()) {
        QMessageBox::warning(this, title, reading.problem);
        return;
    }
    applyProfile(reading.settings, path);

    const int count = int(reading.settings.size());
    QString text = count == 1 ? tr("Loaded 1 setting.") : tr("Loaded %1 settings.").arg(count);
    if (moduleValues.isKnown()) {
        const QStringList differing = ProfileFile::differences(reading.settings, moduleValues.values());
        text += QLatin1Char('\n')
            + (differing.isEmpty() ? tr("Same as the module.")
                                   : tr("Different from the module: %1.").arg(differing.join(QLatin1String(", "))));
    }
    QMessageBox::information(this, title, text);
}

void FendrakeXBeeConfiguratorDialog::applyProfile(const QHash<QString, QString> &settings, const QString &path)
{
    const QHash<QString, QString> unwritten = unwrittenValues();
    putFormValues(settings);
    showLoadedProfile(settings, path);
    offerUndoOfReplaced(unwritten, tr("The profile"));
}

// The status line names the file, and a write's record names it while the form holds it unchanged.
void FendrakeXBeeConfiguratorDialog::showLoadedProfile(const QHash<QString, QString> &settings, const QString &path)
{
    if (path.isEmpty())
        return;
    // The record of a write names the profile while the form still holds it unchanged.
    loadedProfile = settings;
    loadedProfilePath = path;
    const int count = int(settings.size());
    const QString loaded = count == 1 ? tr("Loaded profile %1: 1 setting").arg(fileName(path))
                                      : tr("Loaded profile %1: %2 settings").arg(fileName(path)).arg(count);
    if (!moduleValues.isKnown()) {
        showStatus(loaded + QLatin1Char('.'));
        return;
    }
    // Counted as the message box lists them: a setting the module did not show differs.
    const int differing = int(ProfileFile::differences(settings, moduleValues.values()).size());
    showStatus(differing == 0       ? tr("%1, the same as the module.").arg(loaded)
                   : differing == 1 ? tr("%1, 1 differs from the module.").arg(loaded)
                                    : tr("%1, %2 differ from the module.").arg(loaded).arg(differing));
}

QString FendrakeXBeeConfiguratorDialog::proposedProfileName() const
{
    // Named after what it sets up and the module it came from, so files of several modules can be told apart.
    const QString serial = moduleValues.serialNumber();
    const QString name =
        serial.isEmpty() ? QStringLiteral("profile") : ui->cmbConfiguration->currentText() + QLatin1Char('-') + serial;
    return name + QLatin1Char('.') + ProfileFile::suffix;
}

QString FendrakeXBeeConfiguratorDialog::profileFolder() const
{
    return Settings::instance()->value(Settings::generalGroup(), folderKey, QString()).toString();
}

void FendrakeXBeeConfiguratorDialog::rememberProfileFolder(const QString &path)
{
    Settings::instance()->setValue(Settings::generalGroup(), folderKey, QFileInfo(path).absolutePath());
}
