#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "buildrevision.h"
#include "catalogue/modulesettings.h"
#include "logic/commandsession.h"
#include "logic/joboutcome.h"
#include "logic/programmingrecord.h"

#include <QMessageBox>

void FendrakeXBeeConfiguratorDialog::onWriteSettings()
{
    if (consoleRefuses(tr("Write settings")))
        return;
    if (readyForJob(tr("Please select and open a serial port before writing settings.")))
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
    // The name goes out only when it is news to the module: a write keeps the
    // entries it always had while the name stays as the module holds it.
    const QString name = QStringLiteral("NI");
    if (values.contains(name) && moduleValues.values().value(name) == values.value(name))
        values.remove(name);
    return values;
}

void FendrakeXBeeConfiguratorDialog::writeSettings()
{
    JobRequest request;
    request.kind = JobKind::Write;
    request.settings = writeRunValues();
    request.logPath = ProgrammingLog::defaultPath();
    request.program =
        QStringLiteral("tarnowick %1 (%2)").arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION));
    // Named only while the form holds the profile as it was loaded.
    request.profile = ProgrammingLog::profileIfUnchanged(loadedProfilePath, loadedProfile, formValues());
    startJob(request);
}

void FendrakeXBeeConfiguratorDialog::showWriteOutcome(const JobOutcome &outcome)
{
    QStringList lines;
    for (const JobLine &line : outcome.lines)
        lines.append(line.text);
    // A write the module took whole is told in the window's own words.
    const bool wentThrough = !outcome.lines.isEmpty() && outcome.lines.constFirst().kind == JobLine::Result;
    if (wentThrough)
        lines.first() = tr("All settings have been written to the device.");
    const QString readBack = outcome.readBack ? outcome.readBack->summary() : QString();
    showStatus(outcome.run.result == RunResult::Completed
                   ? tr("Wrote %1 settings at %2. %3").arg(outcome.settingsSent).arg(timeOfDay(), readBack).trimmed()
                   : runStatus(outcome.run.result));
    const QString text = lines.join(QLatin1Char('\n'));
    if (outcome.status == JobStatus::Done)
        QMessageBox::information(this, tr("Write settings"), text);
    else
        QMessageBox::warning(this, tr("Write settings"), text);
}
