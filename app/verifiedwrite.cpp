#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "buildrevision.h"
#include "logic/programmingrecord.h"
#include "logic/readback.h"

#include <QMessageBox>

// An "OK" per entry says the module took a value, not that it holds it after
// WR: every written setting is asked for again in a second run, and the
// write goes into the programming record.

void FendrakeXBeeConfiguratorDialog::startReadBack(const RunOutcome &write)
{
    pendingWrite = write;
    pendingWriteValues = ProgrammingRecord::acknowledged(write);
    showStatus(tr("Reading back what was written…"));
    // At once, and without the window's pacing: nobody waits for a second Write.
    session->startRun(RunReadBack, ReadBack::queries(pendingWriteValues), Pacing::ReplyDriven);
    setCommandProgressVisible(true);
}

void FendrakeXBeeConfiguratorDialog::finishReadBack(const RunOutcome &readBack)
{
    const RunOutcome write = *std::exchange(pendingWrite, std::nullopt);
    const ReadBack check(pendingWriteValues, readBack.replies);
    recordWrite(write, &check);
    showWriteOutcome(write, check.summary(), !check.matches());
}

void FendrakeXBeeConfiguratorDialog::recordWrite(const RunOutcome &write, const ReadBack *readBack)
{
    ProgrammingRecord record = ProgrammingRecord::ofWrite(write, readBack);
    record.program =
        QStringLiteral("tarnowick %1 (%2)").arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION));
    record.port = ui->cmbSerial->currentData().toString();
    record.baud = writeStartRate;
    // Named only while the form holds the profile as it was loaded.
    record.profile = ProgrammingLog::profileIfUnchanged(loadedProfilePath, loadedProfile, formValues());
    const QString problem = ProgrammingLog::append(ProgrammingLog::defaultPath(), record);
    if (!problem.isEmpty())
        QMessageBox::warning(this, tr("Write settings"), tr("The write was not recorded: %1").arg(problem));
}
