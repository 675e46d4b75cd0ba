#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/configsequence.h"
#include "catalogue/atcommands.h"
#include "logic/baudratesearch.h"
#include "logic/replymapping.h"

#include <QDebug>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// The module answers "+++" only after its guard time (1 s by default).
constexpr int escapeIntervalMs = 1500;
constexpr int commandIntervalMs = 100;
// A module's guard time may be set up to 3.3 s, and "+++" is answered only
// after it has passed.
constexpr int escapeReplyDeadlineMs = 5000;
// Three default guard times: a module that has not answered by then will not.
constexpr int replyDeadlineMs = 3000;
// How long an "OK" to a "+++" whose run was given up still means the module
// has entered command mode.
constexpr int lateEscapeReplyMs = 5000;

const QByteArray escapeSequence = QByteArrayLiteral("+++");
const QByteArray exitCommand = QByteArrayLiteral("ATCN\r");

} // namespace

void FendrakeXBeeConfiguratorDialog::onReadSettings()
{
    if (readyForRun(tr("Please select and open a serial port before reading settings.")))
        startRun(RunRead, atCommandList);
}

bool FendrakeXBeeConfiguratorDialog::readyForRun(const QString &refusal)
{
    // A search moves the port from rate to rate; it ends on its own or by Cancel.
    if (baudRateSearch->isRunning())
        return false;
    if (!serialPortOpen)
        QMessageBox::warning(this, tr("Serial port not open"), refusal);
    return serialPortOpen;
}

void FendrakeXBeeConfiguratorDialog::sendToModule(const QByteArray &bytes)
{
    lineSilence.noteWrite();
    emit write_data(bytes);
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
    acknowledgedBdIndex.reset();
    rateChangeNote.clear();
    commandIndex = 0;
    commandState = StateSendEscape;
    commandTimer->start(escapeIntervalMs);
    onCommandTimerTimeout();
}

void FendrakeXBeeConfiguratorDialog::returnToIdle()
{
    commandTimer->stop();
    replyDeadline->stop();
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
        sendEscape();
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

void FendrakeXBeeConfiguratorDialog::sendEscape()
{
    // Bytes written just before (the last run's "ATCN", a test line) would
    // keep the module from taking "+++": wait for the rest of its guard time.
    if (const int wait = lineSilence.remainingMs()) {
        commandTimer->start(wait);
        return;
    }
    if (commandTimer->interval() != escapeIntervalMs)
        commandTimer->start(escapeIntervalMs);
    sendToModule(escapeSequence);
    qDebug() << "Sending +++";
    commandState = StateAwaitEscapeReply;
    replyDeadline->start(escapeReplyDeadlineMs);
}

void FendrakeXBeeConfiguratorDialog::sendNextEntry()
{
    if (commandIndex >= commandList.size()) {
        commandState = StateSendExit;
        return;
    }
    currentCommand = commandList.at(commandIndex);
    sendToModule((QLatin1String("AT") + currentCommand + QLatin1Char('\r')).toUtf8());
    ui->progressBar->setValue(commandIndex);
    qDebug() << "Sending AT" << currentCommand;
    commandState = StateAwaitCommandReply;
    replyDeadline->start(replyDeadlineMs);
}

void FendrakeXBeeConfiguratorDialog::sendExit()
{
    sendToModule(exitCommand);
    ui->progressBar->setValue(ui->progressBar->maximum());
    setCommandProgressVisible(false);
    qDebug() << "Exiting command mode";
    commandState = StateAwaitExitReply;
    replyDeadline->start(replyDeadlineMs);
}

void FendrakeXBeeConfiguratorDialog::finishRun()
{
    commandTimer->stop();
    replyDeadline->stop();
    // The run stays busy while a message is open, so lines arriving meanwhile are dropped.
    bool search = false;
    if (commandState == StateFinished && runType == RunWrite)
        showWriteOutcome();
    else if (commandState == StateFailed && (runType == RunRead || runType == RunWrite))
        search = showRunWarning(runType, tr("The module did not enter command mode."), true);
    returnToIdle();
    if (search)
        startBaudRateSearch();
}

void FendrakeXBeeConfiguratorDialog::onDataReceived(QByteArray data)
{
    const QString line = QString::fromUtf8(data).trimmed();
    qDebug() << "RX:" << line;
    if (baudRateSearch->takeLine(line) || takeLateEscapeReply(line) || baudRateSearch->isRunning())
        return;
    switch (commandState) {
    case StateIdle:
        handleTestLine(line);
        break;
    case StateAwaitEscapeReply:
        replyDeadline->stop();
        if (Reply::isAcknowledgement(line)) {
            qDebug() << "Entered command mode";
            commandState = StateSendCommand;
            commandTimer->start(commandIntervalMs);
            setCommandProgressVisible(true);
        } else {
            commandState = StateFailed;
            lateEscapeReply.setRemainingTime(lateEscapeReplyMs);
        }
        break;
    case StateAwaitCommandReply:
        replyDeadline->stop();
        takeEntryReply(line);
        ++commandIndex;
        commandState = StateSendCommand;
        break;
    case StateAwaitExitReply:
        replyDeadline->stop();
        qDebug() << "Exited command mode";
        commandState = StateFinished;
        // The module talks at its new rate from the byte after this reply on.
        if (runType == RunWrite && acknowledgedBdIndex)
            followModuleBaudRate(*acknowledgedBdIndex);
        break;
    default:
        break; // not waiting for anything: the line is dropped
    }
}

void FendrakeXBeeConfiguratorDialog::takeEntryReply(const QString &line)
{
    if (runType == RunWrite && !Reply::isAcknowledgement(line))
        refusedEntries.append(currentCommand);
    else if (runType == RunWrite)
        noteWritten(currentCommand.section(QLatin1Char('='), 0, 0), currentCommand.section(QLatin1Char('='), 1));
    parseCommandResponse(currentCommand, line);
}

void FendrakeXBeeConfiguratorDialog::noteWritten(const QString &command, const QString &value)
{
    if (command == QLatin1String("BD"))
        acknowledgedBdIndex = value.toInt();
    // What the module took is what it holds now, so a profile opened
    // afterwards is compared with that.
    if (!moduleReplies.isEmpty() && !value.isEmpty())
        moduleReplies.insert(command, value);
}

bool FendrakeXBeeConfiguratorDialog::takeLateEscapeReply(const QString &line)
{
    // Only between runs: a new run's "+++" waits for this reply itself.
    const bool between = commandState == StateIdle || commandState == StateFailed;
    if (!between || lateEscapeReply.hasExpired() || !Reply::isAcknowledgement(line))
        return false;
    // The module did enter command mode after all; it would stay there until
    // its own time-out and swallow test lines meanwhile.
    lateEscapeReply = QDeadlineTimer();
    qDebug() << "Late command mode reply: leaving command mode";
    sendToModule(exitCommand);
    return true;
}

void FendrakeXBeeConfiguratorDialog::onReplyDeadlineExpired()
{
    const int expiredState = commandState;
    const int expiredRun = runType;
    if (expiredState != StateAwaitEscapeReply && expiredState != StateAwaitCommandReply
        && expiredState != StateAwaitExitReply)
        return;

    // Leave command mode at once rather than wait for the module's own time-out.
    if (expiredState != StateAwaitEscapeReply)
        sendToModule(exitCommand);
    else
        lateEscapeReply.setRemainingTime(lateEscapeReplyMs);
    returnToIdle();
    qDebug() << "No reply from the module, run ended in state" << expiredState;

    if (expiredRun != RunRead && expiredRun != RunWrite)
        return;
    const bool search = showRunWarning(
        expiredRun, tr("The module did not answer. Check the port, the baud rate and the module's power."),
        expiredState == StateAwaitEscapeReply);
    if (search)
        startBaudRateSearch();
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
