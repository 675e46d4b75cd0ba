#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "app/consoleinput.h"
#include "buildrevision.h"
#include "logic/atline.h"
#include "logic/atstay.h"
#include "logic/commandsession.h"
#include "logic/consoletexts.h"
#include "logic/jobtexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// What the Console tab sends: text over the air in transparent mode, or AT
// commands in a stay of its own in command mode, on the session's engine
// like every run; a command that would cut the PC off is asked about first.

void FendrakeXBeeConfiguratorDialog::onConsoleSend()
{
    const QString typed = ui->txtConsoleInput->text();
    if (!consoleStay) {
        sendOverTheAir(typed);
        refreshConsole();
        return;
    }
    if (typed.trimmed().isEmpty() || !consoleStay->isReady())
        return;
    const QString line = AtLine::withPrefix(typed);
    const QStringList warnings = consoleStay->warnings(line);
    if (!warnings.isEmpty() && !sendAnyway(line, warnings))
        return;
    // The module may have left command mode by itself while the question was open.
    if (consoleStay && consoleStay->send(typed))
        consoleInput->sent(line);
    refreshConsole();
}

void FendrakeXBeeConfiguratorDialog::sendOverTheAir(const QString &typed)
{
    if (!serialPortOpen || session->isBusy())
        return;
    // Typed as in a terminal: the engine enters command mode, keeping the guard times.
    if (typed.trimmed() == QLatin1String("+++")) {
        consoleInput->sent(typed);
        onCommandModeClicked();
        return;
    }
    QByteArray bytes = typed.toUtf8();
    if (ui->chkConsoleCr->isChecked())
        bytes += '\r';
    if (!bytes.isEmpty() && session->sendData(bytes)) {
        consoleNotice.clear();
        consoleInput->sent(typed);
    }
}

bool FendrakeXBeeConfiguratorDialog::sendAnyway(const QString &line, const QStringList &warnings)
{
    QMessageBox box(QMessageBox::Warning, ConsoleText::askTitle(), ConsoleText::ask(line, warnings),
                    QMessageBox::Cancel, this);
    QPushButton *send = box.addButton(ConsoleText::sendAnyway(), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == send;
}

void FendrakeXBeeConfiguratorDialog::onCommandModeClicked()
{
    if (consoleStay || !serialPortOpen || session->isBusy())
        return;
    // Test lines would wait for the stay's end and arrive late or not at all.
    if (testTimer->isActive()) {
        QMessageBox::warning(this, tr("Command mode"), ConsoleText::rangeTestSending());
        return;
    }
    AtStayRequest request;
    request.logPath = ProgrammingLog::defaultPath();
    request.program =
        QStringLiteral("tarnowick %1 (%2)").arg(QLatin1String(TARNOWICK_VERSION), QLatin1String(TARNOWICK_REVISION));
    request.port = ui->cmbSerial->currentData().toString();
    auto *stay = new AtStay(*session, request, this);
    using Dialog = FendrakeXBeeConfiguratorDialog;
    connect(stay, &AtStay::answered, this, &Dialog::onConsoleAnswered);
    connect(stay, &AtStay::ready, this, &Dialog::refreshConsole);
    connect(stay, &AtStay::finished, this, &Dialog::onConsoleStayFinished);
    consoleNotice.clear();
    consoleStay = stay;
    if (!stay->start())
        delete stay;
    refreshConsole();
}

void FendrakeXBeeConfiguratorDialog::onConsoleAnswered(const QString &line, const QStringList &replies)
{
    showStatus(ConsoleText::answered(line, replies));
    refreshConsole();
}

void FendrakeXBeeConfiguratorDialog::onConsoleUartFollowed()
{
    // Chosen as if by the user, as after a write: the selector shows the rate and keeps it.
    if (session->runKind() != RunKind::Console)
        return;
    const int index = ui->cmbSerialBaudRate->findData(session->portRate());
    if (index >= 0)
        ui->cmbSerialBaudRate->setCurrentIndex(index);
}

void FendrakeXBeeConfiguratorDialog::onConsoleStayFinished(const JobOutcome &outcome)
{
    if (consoleStay)
        consoleStay->deleteLater();
    consoleStay = nullptr;
    QStringList said;
    if (outcome.status == JobStatus::Done && outcome.run.result == RunResult::Completed)
        said.append(ConsoleText::left());
    said += outcome.texts(JobLine::Problem) + outcome.texts(JobLine::Note);
    consoleNotice = said.join(QLatin1Char(' '));
    if (!consoleNotice.isEmpty())
        showStatus(consoleNotice);
    // The ATWR stands; only its record is missing, which the technician must know.
    const QString notRecorded = JobText::notRecorded(QString());
    for (const QString &problem : outcome.texts(JobLine::Problem)) {
        if (problem.startsWith(notRecorded))
            QMessageBox::warning(this, tr("Command mode"), problem);
    }
    afterRangeRun(outcome.run);
    refreshConsole();
}
