#include "logic/benchjob.h"

#include "catalogue/atcommands.h"
#include "catalogue/modulesettings.h"
#include "logic/baudrates.h"
#include "logic/configentries.h"
#include "logic/filesaving.h"
#include "logic/replymapping.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString moduleFailure(RunResult result)
{
    switch (result) {
    case RunResult::NotEntered:
        return BenchJob::tr("The module did not enter command mode.");
    case RunResult::ExitRefused:
        return BenchJob::tr("The module did not leave command mode; nothing it took has taken effect yet.");
    default:
        return BenchJob::tr("The module did not answer. Check the port, the baud rate and the module's power.");
    }
}

} // namespace

SettingValues readValues(const RunOutcome &outcome, bool writtenOnly)
{
    SettingValues values;
    for (const auto &[command, reply] : outcome.replies) {
        const ModuleSetting *setting = ModuleSettings::find(command);
        if (!setting || (writtenOnly && !setting->written) || (!writtenOnly && setting->kind == FieldKind::None))
            continue;
        if (const std::optional<QString> value = Reply::fieldValue(*setting, reply))
            values.insert(command, *value);
    }
    return values;
}

BenchJob::BenchJob(CommandSession &session, const BenchRequest &request, QObject *parent)
    : QObject(parent)
    , session(session)
    , request(request)
{
    connect(&session, &CommandSession::runFinished, this, &BenchJob::onRunFinished);
    connect(&session, &CommandSession::entrySent, this, &BenchJob::onEntrySent);
    connect(&session, &CommandSession::searchTrying, this, &BenchJob::onSearchTrying);
    connect(&session, &CommandSession::searchFound, this, &BenchJob::onSearchFound);
    connect(&session, &CommandSession::searchExhausted, this, &BenchJob::onSearchExhausted);
}

void BenchJob::start()
{
    if (request.command == BenchRequest::Search) {
        searched = true;
        session.startSearch();
        return;
    }
    entries = request.command == BenchRequest::Write ? configWriteEntries(request.settings) : atCommandList;
    startRun();
}

void BenchJob::startRun()
{
    session.startRun(request.command == BenchRequest::Write ? RunWrite : RunRead, entries, Pacing::ReplyDriven);
}

void BenchJob::onEntrySent(int index)
{
    const QString verb = request.command == BenchRequest::Write ? tr("Writing") : tr("Reading");
    emit progress(QStringLiteral("%1 %2/%3…").arg(verb).arg(index + 1).arg(entries.size()));
}

void BenchJob::onSearchTrying(int, int rate)
{
    emit progress(tr("Searching: trying %1 baud…").arg(rate));
}

void BenchJob::onSearchFound(int rate)
{
    const QString text = tr("Found the module at %1 baud.").arg(rate);
    if (request.command == BenchRequest::Search) {
        emit output(text);
        done(BenchDone);
        return;
    }
    emit message(text);
    startRun();
}

void BenchJob::onSearchExhausted()
{
    QStringList rates;
    for (int rate : BaudRates::searchOrder())
        rates.append(QString::number(rate));
    const QString last = rates.takeLast();
    fail(tr("No module answered at %1 or %2 baud. Check the port, the cable and the module's power.")
             .arg(rates.join(QLatin1String(", ")), last));
}

bool BenchJob::searchInstead(const RunOutcome &outcome)
{
    const bool unanswered = outcome.result == RunResult::NoEscapeReply || outcome.result == RunResult::NotEntered;
    if (!request.search || searched || !unanswered)
        return false;
    searched = true;
    emit message(moduleFailure(outcome.result) + QLatin1Char(' ') + tr("Searching the baud rates."));
    session.startSearch();
    return true;
}

void BenchJob::onRunFinished(const RunOutcome &outcome)
{
    emit progress(QString());
    if (searchInstead(outcome))
        return;
    if (outcome.result != RunResult::Completed) {
        fail(moduleFailure(outcome.result));
        return;
    }
    switch (request.command) {
    case BenchRequest::Read:
        finishRead(outcome);
        break;
    case BenchRequest::Save:
        finishSave(outcome);
        break;
    case BenchRequest::Write:
        finishWrite(outcome);
        break;
    case BenchRequest::Search:
        break;
    }
}

void BenchJob::finishRead(const RunOutcome &outcome)
{
    if (!request.json) {
        for (const auto &[command, reply] : outcome.replies)
            emit output(command + QLatin1Char('=') + reply);
        done(BenchDone);
        return;
    }
    QStringList values;
    for (const auto &[command, reply] : outcome.replies)
        values.append(jsonString(command) + QLatin1String(": ") + jsonString(reply));
    emit output(QStringLiteral("{\"port\": %1, \"baud\": %2, \"values\": {%3}}")
                    .arg(jsonString(request.port))
                    .arg(session.portRate())
                    .arg(values.join(QLatin1String(", "))));
    done(BenchDone);
}

void BenchJob::finishSave(const RunOutcome &outcome)
{
    const SettingValues settings = readValues(outcome, true);
    // A file that Open… and write would refuse helps nobody: an error reply is no value.
    const QString problem = ProfileFile::invalidValue(settings);
    if (!problem.isEmpty()) {
        fail(problem);
        return;
    }
    SettingValues module;
    for (const auto &[command, reply] : outcome.replies) {
        if (command == QLatin1String("SH") || command == QLatin1String("SL") || command == QLatin1String("VR"))
            module.insert(command, reply);
    }
    const QByteArray bytes = ProfileFile::serialise(settings, module);
    const auto profile = [&bytes](QIODevice *file) { return file->write(bytes) == bytes.size(); };
    if (saveFile(request.file, {}, profile) != SaveResult::Saved) {
        fail(tr("Failed to write file"), BenchUsageError);
        return;
    }
    emit output(tr("Saved %n setting(s).", nullptr, int(settings.size())));
    done(BenchDone);
}

void BenchJob::finishWrite(const RunOutcome &outcome)
{
    QString note;
    if (outcome.followedRate)
        note = tr("The port now runs at %1 baud, the module's new rate.").arg(*outcome.followedRate);
    else if (outcome.rateUnknown)
        note = tr("The module now runs at another rate.");
    if (!outcome.refused.isEmpty()) {
        QString text = tr("The module refused: %1").arg(outcome.refused.join(QLatin1String(", ")));
        if (outcome.refused.contains(QLatin1String("WR")))
            text += QLatin1Char('\n') + tr("The settings were not stored.");
        fail(note.isEmpty() ? text : text + QLatin1Char('\n') + note);
        return;
    }
    emit output(tr("Wrote %1 settings.").arg(outcome.replies.size()));
    if (!note.isEmpty())
        emit output(note);
    done(BenchDone);
}

void BenchJob::fail(const QString &text, int status)
{
    emit message(text);
    done(status);
}

void BenchJob::done(int status)
{
    if (ended)
        return;
    ended = true;
    emit finished(status);
}
