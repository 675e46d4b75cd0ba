#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/configsequence.h"
#include "app/replymapping.h"
#include "catalogue/atcommands.h"

#include <QDebug>
#include <QMessageBox>
#include <QTimer>

namespace {

// The module answers "+++" only after its guard time (1 s by default).
constexpr int escapeIntervalMs = 1500;
constexpr int commandIntervalMs = 100;
// Three guard times: a module that has not answered by then will not.
constexpr int replyDeadlineMs = 3000;

const QByteArray escapeSequence = QByteArrayLiteral("+++");
const QByteArray exitCommand = QByteArrayLiteral("ATCN\r");

} // namespace

void FendrakeXBeeConfiguratorDialog::onReadSettings()
{
    if (!serialPortOpen) {
        QMessageBox::warning(this, tr("Serial port not open"),
                             tr("Please select and open a serial port before reading settings."));
        return;
    }
    startRun(RunRead, atCommandList);
}

void FendrakeXBeeConfiguratorDialog::startRun(int type, const QStringList &entries)
{
    // One run at a time: a request during a run is dropped, not queued.
    if (commandState != StateIdle)
        return;
    beforeSettingsRun(type);
    runType = type;
    commandList = entries;
    refusedEntries.clear();
    commandIndex = 0;
    commandState = StateSendEscape;
    commandTimer->start(escapeIntervalMs);
    onCommandTimerTimeout();
}

void FendrakeXBeeConfiguratorDialog::cancelRun()
{
    commandTimer->stop();
    stopReplyDeadline();
    setCommandProgressVisible(false);
    runType = RunNone;
    commandState = StateIdle;
}

void FendrakeXBeeConfiguratorDialog::setCommandProgressVisible(bool visible)
{
    ui->progressBar->setVisible(visible);
    ui->progressBar->setValue(0);
    ui->progressBar->setMaximum(commandList.size());
}

void FendrakeXBeeConfiguratorDialog::onCommandTimerTimeout()
{
    switch (commandState) {
    case StateSendEscape:
        emit write_data(escapeSequence);
        qDebug() << "Sending +++";
        commandState = StateAwaitEscapeReply;
        armReplyDeadline();
        break;
    case StateSendCommand:
        sendNextEntry();
        break;
    case StateSendExit:
        sendExit();
        break;
    case StateFinished:
    case StateFailed:
        finishRun();
        break;
    default:
        break; // waiting for a line: a tick changes nothing
    }
}

void FendrakeXBeeConfiguratorDialog::sendNextEntry()
{
    if (commandIndex >= commandList.size()) {
        commandState = StateSendExit;
        return;
    }
    currentCommand = commandList.at(commandIndex);
    emit write_data((QLatin1String("AT") + currentCommand + QLatin1Char('\r')).toUtf8());
    ui->progressBar->setValue(commandIndex);
    qDebug() << "Sending AT" << currentCommand;
    commandState = StateAwaitCommandReply;
    armReplyDeadline();
}

void FendrakeXBeeConfiguratorDialog::sendExit()
{
    emit write_data(exitCommand);
    ui->progressBar->setValue(ui->progressBar->maximum());
    setCommandProgressVisible(false);
    qDebug() << "Exiting command mode";
    commandState = StateAwaitExitReply;
    armReplyDeadline();
}

void FendrakeXBeeConfiguratorDialog::finishRun()
{
    commandTimer->stop();
    stopReplyDeadline();
    // The run stays busy while a message is open, so lines arriving meanwhile are dropped.
    if (commandState == StateFinished && runType == RunWrite)
        showWriteOutcome();
    else if (commandState == StateFailed && (runType == RunRead || runType == RunWrite))
        showRunWarning(runType, tr("The module did not enter command mode."));
    runType = RunNone;
    commandState = StateIdle;
}

void FendrakeXBeeConfiguratorDialog::onDataReceived(QByteArray data)
{
    const QString line = QString::fromUtf8(data).trimmed();
    qDebug() << "RX:" << line;
    switch (commandState) {
    case StateIdle:
        handleTestLine(line);
        break;
    case StateAwaitEscapeReply:
        stopReplyDeadline();
        if (Reply::isAcknowledgement(line)) {
            qDebug() << "Entered command mode";
            commandState = StateSendCommand;
            commandTimer->start(commandIntervalMs);
            setCommandProgressVisible(true);
        } else {
            commandState = StateFailed;
        }
        break;
    case StateAwaitCommandReply:
        stopReplyDeadline();
        if (runType == RunWrite && !Reply::isAcknowledgement(line))
            refusedEntries.append(currentCommand);
        parseCommandResponse(currentCommand, line);
        ++commandIndex;
        commandState = StateSendCommand;
        break;
    case StateAwaitExitReply:
        stopReplyDeadline();
        qDebug() << "Exited command mode";
        commandState = StateFinished;
        break;
    default:
        break; // not waiting for anything: the line is dropped
    }
}

void FendrakeXBeeConfiguratorDialog::armReplyDeadline()
{
    replyDeadline->start(replyDeadlineMs);
}

void FendrakeXBeeConfiguratorDialog::stopReplyDeadline()
{
    replyDeadline->stop();
}

void FendrakeXBeeConfiguratorDialog::onReplyDeadlineExpired()
{
    const int expiredState = commandState;
    const int expiredRun = runType;
    if (expiredState != StateAwaitEscapeReply && expiredState != StateAwaitCommandReply
        && expiredState != StateAwaitExitReply)
        return;

    commandTimer->stop();
    // Leave command mode at once rather than wait for the module's own time-out.
    if (expiredState != StateAwaitEscapeReply)
        emit write_data(exitCommand);
    setCommandProgressVisible(false);
    runType = RunNone;
    commandState = StateIdle;
    qDebug() << "No reply from the module, run ended in state" << expiredState;

    if (expiredRun == RunRead || expiredRun == RunWrite)
        showRunWarning(expiredRun,
                       tr("The module did not answer. Check the port, the baud rate and the module's power."));
}

void FendrakeXBeeConfiguratorDialog::showRunWarning(int type, const QString &text)
{
    const QString title = type == RunWrite ? tr("Write settings") : tr("Read settings");
    QMessageBox::warning(this, title, text);
}
