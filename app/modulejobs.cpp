#include "app/fendrakexbeeconfiguratordialog.h"
#include "ui_fendrakexbeeconfiguratordialog.h"

#include "buildrevision.h"
#include "catalogue/modulesettings.h"
#include "logic/commandsession.h"
#include "logic/configentries.h"
#include "logic/jobtexts.h"
#include "logic/modulejob.h"
#include "logic/replymapping.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTime>

// The window's side of a job on the module: the job runs the dialogue, the
// dialog shows its progress, takes its replies into the form and says how
// it ended.

void FendrakeXBeeConfiguratorDialog::onReadSettings()
{
    if (consoleRefuses(tr("Read settings")))
        return;
    if (!readyForJob(tr("Please select and open a serial port before reading settings.")))
        return;
    JobRequest request;
    request.kind = JobKind::Read;
    startJob(request);
}

bool FendrakeXBeeConfiguratorDialog::readyForJob(const QString &refusal)
{
    // One job at a time; a search ends on its own or by Cancel.
    if (session->isBusy())
        return false;
    return ensurePortOpen(refusal); // app/lostport.cpp: tries the chosen port again, else warns
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

void FendrakeXBeeConfiguratorDialog::discardInput()
{
    // The worker drops what waits in the port and says so; lines it cut before arrive until then.
    ++discardsPending;
    emit discard_input();
}

void FendrakeXBeeConfiguratorDialog::onInputDiscarded()
{
    discardsPending = qMax(0, discardsPending - 1);
}

void FendrakeXBeeConfiguratorDialog::abandonModuleWork(bool byUser)
{
    // The port is closing or gone: what is under way ends here, a write with its record.
    portClosedByUser = byUser;
    if (job && !job->isFinished())
        job->abandon();
    else
        session->abandonRun();
}

void FendrakeXBeeConfiguratorDialog::startJob(JobRequest request)
{
    if (session->isBusy())
        return;
    request.pacing = Pacing::Ticked;
    request.port = ui->cmbSerial->currentData().toString();
    delete job;
    job = new ModuleJob(*session, request, this);
    using Dialog = FendrakeXBeeConfiguratorDialog;
    connect(job, &ModuleJob::progress, this, &Dialog::onJobProgress);
    connect(job, &ModuleJob::replyReceived, this, &Dialog::onJobReply);
    connect(job, &ModuleJob::searchTrying, this, &Dialog::onBaudRateSearchTrying);
    connect(job, &ModuleJob::searchFound, this, &Dialog::onBaudRateSearchFound);
    connect(job, &ModuleJob::finished, this, &Dialog::onJobFinished);
    beforeSettingsJob(request.kind);
    if (request.search == SearchPolicy::First)
        showBaudRateSearch();
    job->start();
    if (job->isFinished() || session->searching())
        return;
    // Something moves from the press on, also through the guard time and a silent module's 5 s.
    showStatus(tr("Waiting for the module…"));
    setCommandProgress(0, 0);
}

void FendrakeXBeeConfiguratorDialog::setCommandProgress(int value, int maximum)
{
    ui->progressBar->setMaximum(maximum);
    ui->progressBar->setValue(value);
    ui->progressBar->setVisible(true);
}

void FendrakeXBeeConfiguratorDialog::onJobProgress(JobPhase phase, int done, int total)
{
    if (phase == JobPhase::ReadingBack && done == 0)
        showStatus(tr("Reading back what was written…"));
    setCommandProgress(done, total);
}

void FendrakeXBeeConfiguratorDialog::onDataReceived(QByteArray data)
{
    // Lines the worker cut before it dropped what waited in the port belong to nobody.
    if (discardsPending == 0)
        session->takeLine(QString::fromUtf8(data).trimmed());
}

void FendrakeXBeeConfiguratorDialog::onJobReply(const QString &entry, const QString &reply)
{
    if (job->request().kind == JobKind::Read) {
        takeModuleReply(entry, reply);
        parseCommandResponse(entry, reply);
        return;
    }
    const std::optional<QPair<QString, QString>> set = parseWriteEntry(entry);
    if (!set) {
        // A read-back: what the module holds now; the form keeps what the user wants it to hold.
        if (entry != QLatin1String("WR"))
            takeModuleReply(entry, reply);
        return;
    }
    // What the module took is what it holds now, so the form is compared with that.
    if (Reply::isAcknowledgement(reply) && !set->second.isEmpty())
        takeWrittenValue(set->first, set->second);
}

void FendrakeXBeeConfiguratorDialog::onSessionReply(const QString &entry, const QString &reply)
{
    // A job's replies come through the job; the range test's queries come here.
    if (session->runKind() == RunKind::RssiQuery)
        parseCommandResponse(entry, reply);
}

void FendrakeXBeeConfiguratorDialog::onRunFinished(const RunOutcome &outcome)
{
    if (outcome.kind == RunKind::RssiQuery)
        afterRangeRun(outcome);
}

void FendrakeXBeeConfiguratorDialog::onJobFinished(const JobOutcome &outcome)
{
    ui->progressBar->setVisible(false);
    endBaudRateSearch();
    const int rate = outcome.run.followedRate.value_or(outcome.foundRate.value_or(0));
    if (rate) {
        // Chosen as if by the user: the port follows and the choice is kept.
        ui->cmbSerialBaudRate->setCurrentIndex(ui->cmbSerialBaudRate->findData(rate));
    }
    JobRequest request = job->request();
    bool search = false;
    if (outcome.status == JobStatus::Cancelled)
        showStatus(outcome.lines.value(0).text);
    else if (request.kind == JobKind::Write && outcome.run.entered)
        showWriteOutcome(outcome);
    else
        search = showJobFailure(request, outcome);
    afterSettingsJob(request.kind);
    afterRangeRun(outcome.run);
    if (search) {
        request.search = SearchPolicy::First;
        startJob(request);
    }
}

QString FendrakeXBeeConfiguratorDialog::timeOfDay()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

bool FendrakeXBeeConfiguratorDialog::showJobFailure(const JobRequest &request, const JobOutcome &outcome)
{
    if (outcome.status == JobStatus::Done) {
        showStatus(tr("Read %1 settings at %2.").arg(outcome.run.replies.size()).arg(timeOfDay()));
        return false;
    }
    // A search that found nothing ran no run of its own.
    const bool searchEnded = outcome.run.kind == RunKind::None && request.search != SearchPolicy::Never;
    const QString title = searchEnded    ? tr("Search baud rates")
        : request.kind == JobKind::Write ? tr("Write settings")
                                         : tr("Read settings");
    const QString text = outcome.texts(JobLine::Problem).join(QLatin1Char('\n'));
    if (outcome.status == JobStatus::BadRequest) {
        QMessageBox::warning(this, title, text);
        return false;
    }
    const RunResult result = outcome.run.result;
    showStatus(searchEnded ? tr("No module answered at any baud rate.") : runStatus(result));
    // The user closed the port and knows it; a port that went away is worth a word.
    if (result == RunResult::PortClosed && portClosedByUser)
        return false;
    // Most modules that stay silent run at another rate than the one chosen.
    const bool offerSearch = request.search == SearchPolicy::Never
        && (result == RunResult::NoEscapeReply || result == RunResult::NotEntered);
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    QPushButton *search = offerSearch ? box.addButton(tr("Search baud rates"), QMessageBox::ActionRole) : nullptr;
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return search && box.clickedButton() == search;
}

QString FendrakeXBeeConfiguratorDialog::runStatus(RunResult result)
{
    // The status line says it as a sentence.
    const QString ended = JobText::runEnded(result);
    return ended.left(1).toUpper() + ended.mid(1) + QLatin1Char('.');
}
