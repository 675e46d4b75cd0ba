#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "catalogue/modulesettings.h"
#include "logic/commandsession.h"
#include "logic/configentries.h"
#include "logic/profilefile.h"

#include <QMessageBox>

void FendrakeXBeeConfiguratorDialog::onWriteSettings()
{
    if (readyForRun(tr("Please select and open a serial port before writing settings.")))
        writeSettings();
}

QHash<QString, QString> FendrakeXBeeConfiguratorDialog::writeRunValues() const
{
    QHash<QString, QString> values;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString value = setting.written ? fieldValue(setting) : QString();
        if (!value.isEmpty())
            values.insert(QLatin1String(setting.command), value);
    }
    return values;
}

void FendrakeXBeeConfiguratorDialog::writeSettings()
{
    if (session->isBusy())
        return;
    // A Read shows the module's replies unchecked (an error text, junk of a
    // garbled line): such a value must not go out as an entry.
    const SettingValues values = writeRunValues();
    const QString problem = ProfileFile::invalidValue(values);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, tr("Write settings"), problem);
        return;
    }
    writeStartRate = session->portRate();
    startRun(RunWrite, configWriteEntries(values));
}

void FendrakeXBeeConfiguratorDialog::showWriteOutcome(const RunOutcome &outcome, const QString &readBackLine,
                                                      bool readBackFailed)
{
    // A new UART rate took effect whatever else the module refused, so the
    // note on the port's rate goes with either message.
    QString note;
    if (outcome.followedRate)
        note =
            QLatin1Char('\n') + tr("The port now runs at %1 baud, the module's new rate.").arg(*outcome.followedRate);
    else if (outcome.rateUnknown)
        note = QLatin1Char('\n') + tr("The module now runs at another rate; choose it under Baud rate.");
    if (outcome.followedFraming && !framingRefusal.isEmpty())
        note +=
            QLatin1Char('\n') + tr("The module now uses %1. %2").arg(outcome.followedFraming->text(), framingRefusal);
    else if (outcome.followedFraming)
        note += QLatin1Char('\n')
            + tr("The port now uses %1, the module's new framing.").arg(outcome.followedFraming->text());
    framingRefusal.clear();
    if (!readBackLine.isEmpty()) {
        note += QLatin1Char('\n') + readBackLine;
        // The status line says it too, after the time of the write.
        showStatus(tr("Wrote %1 settings at %2. %3").arg(outcome.replies.size()).arg(timeOfDay(), readBackLine));
    }
    const QStringList &refusedEntries = outcome.refused;
    if (refusedEntries.isEmpty() && !readBackFailed) {
        QMessageBox::information(this, tr("Write settings"),
                                 tr("All settings have been written to the device.") + note);
        return;
    }
    if (refusedEntries.isEmpty()) {
        QMessageBox::warning(this, tr("Write settings"), tr("All settings have been written to the device.") + note);
        return;
    }
    QString text = tr("The module refused: %1").arg(refusedEntries.join(QLatin1String(", ")));
    if (refusedEntries.contains(QLatin1String("WR")))
        text += QLatin1Char('\n') + tr("The settings were not stored.");
    QMessageBox::warning(this, tr("Write settings"), text + note);
}
