#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "catalogue/atcommands.h"
#include "logic/commandsession.h"
#include "logic/replymapping.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTime>

// The window's side of the command-mode dialogue: the session runs it, the
// dialog shows its progress, takes its replies into the form and says how
// each run ended.

void FendrakeXBeeConfiguratorDialog::onReadSettings()
{
    if (readyForRun(tr("Please select and open a serial port before reading settings.")))
        startRun(RunRead, atCommandList);
}

bool FendrakeXBeeConfiguratorDialog::readyForRun(const QString &refusal)
{
    // A search moves the port from rate to rate; it ends on its own or by Cancel.
    if (session->searching())
        return false;
    ensurePortOpen(refusal); // app/lostport.cpp: tries the chosen port again, else warns
    return serialPortOpen;
}

void FendrakeXBeeConfiguratorDialog::writeToModule(const QByteArray &bytes)
{
    emit write_data(bytes);
}

void FendrakeXBeeConfiguratorDialog::setPortRate(int rate)
{
    // The port alone moves; the selector follows only a rate the module was found at or told to use.
    emit change_baud_rate(QSerialPort::BaudRate(rate));
}

void FendrakeXBeeConfiguratorDialog::startRun(int type, const QStringList &entries)
{
    if (session->isBusy())
        return;
    beforeSettingsRun(type);
    session->startRun(type, entries);
    if (type != RunRead && type != RunWrite)
        return;
    // Something moves from the press on, also through the guard time and a silent module's 5 s.
    showStatus(tr("Waiting for the module…"));
    setCommandProgressVisible(true);
}

void FendrakeXBeeConfiguratorDialog::setCommandProgressVisible(bool visible)
{
    ui->progressBar->setVisible(visible);
    ui->progressBar->setValue(0);
    ui->progressBar->setMaximum(int(session->commandList().size()));
}

void FendrakeXBeeConfiguratorDialog::onCommandModeEntered()
{
    setCommandProgressVisible(true);
}

void FendrakeXBeeConfiguratorDialog::onEntrySent(int index)
{
    ui->progressBar->setValue(index);
}

void FendrakeXBeeConfiguratorDialog::onExitSent()
{
    ui->progressBar->setValue(ui->progressBar->maximum());
    setCommandProgressVisible(false);
}

void FendrakeXBeeConfiguratorDialog::onDataReceived(QByteArray data)
{
    session->takeLine(QString::fromUtf8(data).trimmed());
}

void FendrakeXBeeConfiguratorDialog::onEntryReply(const QString &entry, const QString &reply)
{
    if (session->runType() == RunReadBack) {
        // What the module holds now; the form keeps what the user wants it to hold.
        takeModuleReply(entry, reply);
        return;
    }
    if (session->runType() == RunWrite && Reply::isAcknowledgement(reply))
        noteWritten(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    parseCommandResponse(entry, reply);
}

void FendrakeXBeeConfiguratorDialog::noteWritten(const QString &command, const QString &value)
{
    // What the module took is what it holds now, so the form is compared with that.
    if (!value.isEmpty())
        takeWrittenValue(command, value);
}

void FendrakeXBeeConfiguratorDialog::onRunFinished(const RunOutcome &outcome)
{
    ui->progressBar->setVisible(false);
    if (outcome.followedRate) {
        // Chosen as if by the user: the port follows and the choice is kept.
        ui->cmbSerialBaudRate->setCurrentIndex(ui->cmbSerialBaudRate->findData(*outcome.followedRate));
    }
    if (outcome.type == RunWrite && outcome.result == RunResult::Completed) {
        // The range test waits for the read-back's end: nothing may come between the two runs.
        showStatus(tr("Wrote %1 settings at %2.").arg(outcome.replies.size()).arg(timeOfDay()));
        startReadBack(outcome);
        return;
    }
    afterRangeRun(outcome);
    if (outcome.type == RunReadBack) {
        finishReadBack(outcome);
        return;
    }
    if (outcome.type != RunRead && outcome.type != RunWrite)
        return;
    const bool entered = outcome.result != RunResult::NoEscapeReply && outcome.result != RunResult::NotEntered;
    if (outcome.type == RunWrite && entered)
        recordWrite(outcome, nullptr);
    showStatus(runStatus(outcome));
    bool search = false;
    switch (outcome.result) {
    case RunResult::Completed:
        break;
    case RunResult::NotEntered:
        search = showRunWarning(outcome.type, tr("The module did not enter command mode."), true);
        break;
    case RunResult::NoEscapeReply:
    case RunResult::NoReply:
        search = showRunWarning(outcome.type,
                                tr("The module did not answer. Check the port, the baud rate and the module's power."),
                                outcome.result == RunResult::NoEscapeReply);
        break;
    case RunResult::ExitRefused:
        showRunWarning(outcome.type,
                       tr("The module did not leave command mode; nothing it took has taken effect "
                          "yet. Try again, or switch the module off and on."));
        break;
    }
    afterSettingsRun(outcome.type, outcome.result == RunResult::Completed);
    if (search) {
        resumeAfterSearch = outcome.type;
        startBaudRateSearch();
    }
}

QString FendrakeXBeeConfiguratorDialog::timeOfDay()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

QString FendrakeXBeeConfiguratorDialog::runStatus(const RunOutcome &outcome) const
{
    switch (outcome.result) {
    case RunResult::Completed:
        return tr("Read %1 settings at %2.").arg(outcome.replies.size()).arg(timeOfDay());
    case RunResult::NotEntered:
        return tr("The module did not enter command mode.");
    case RunResult::ExitRefused:
        return tr("The module did not leave command mode.");
    default:
        return tr("The module did not answer.");
    }
}

bool FendrakeXBeeConfiguratorDialog::showRunWarning(int type, const QString &text, bool offerSearch)
{
    const QString title = type == RunWrite ? tr("Write settings") : tr("Read settings");
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    // Most modules that stay silent run at another rate than the one chosen.
    QPushButton *search = offerSearch ? box.addButton(tr("Search baud rates"), QMessageBox::ActionRole) : nullptr;
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return search && box.clickedButton() == search;
}
