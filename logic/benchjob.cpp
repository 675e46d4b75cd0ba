#include "logic/benchjob.h"

#include "catalogue/atcommands.h"
#include "catalogue/modulesettings.h"
#include "logic/baudrates.h"
#include "logic/configentries.h"
#include "logic/filesaving.h"
#include "logic/programmingrecord.h"
#include "logic/replymapping.h"
#include "logic/settingvalue.h"

#include <QFileInfo>
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
    entries = atCommandList;
    if (request.command == BenchRequest::Write) {
        // Read back in the same stay, after WR and before ATCN.
        entries = configWriteEntries(request.settings);
        if (request.verify)
            entries += ReadBack::queries(request.settings);
    }
    startRun();
}

void BenchJob::startRun()
{
    writeRate = session.portRate();
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
    fail(tr("No module answered at %1 baud. Check the port, the cable and the module's power.")
             .arg(BaudRates::searchOrderText()));
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
    const bool enteredCommandMode =
        outcome.result != RunResult::NoEscapeReply && outcome.result != RunResult::NotEntered;
    if (request.command == BenchRequest::Write && enteredCommandMode) {
        finishWrite(outcome);
        return;
    }
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
    case BenchRequest::Check:
        finishCheck(outcome);
        break;
    case BenchRequest::Write:
    case BenchRequest::Search:
    case BenchRequest::History:
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
    const int writeEntries = int(configWriteEntries(request.settings).size());
    const int written = int(qMin(outcome.replies.size(), qsizetype(writeEntries)));
    const bool allAnswered = written == writeEntries;
    std::optional<ReadBack> readBack;
    if (request.verify && allAnswered)
        readBack.emplace(request.settings, outcome.replies.mid(writeEntries));

    QStringList lines;
    int status = BenchDone;
    if (!allAnswered || outcome.result == RunResult::ExitRefused) {
        lines.append(moduleFailure(outcome.result));
        status = BenchModuleFailed;
    } else if (!outcome.refused.isEmpty()) {
        lines.append(tr("The module refused: %1").arg(outcome.refused.join(QLatin1String(", "))));
        if (outcome.refused.contains(QLatin1String("WR")))
            lines.append(tr("The settings were not stored."));
        status = BenchModuleFailed;
    } else {
        lines.append(tr("Wrote %1 settings.").arg(written));
    }
    if (outcome.followedRate)
        lines.append(tr("The port now runs at %1 baud, the module's new rate.").arg(*outcome.followedRate));
    else if (outcome.rateUnknown)
        lines.append(tr("The module now runs at another rate."));
    if (readBack && outcome.result != RunResult::ExitRefused) {
        lines.append(readBack->summary());
        if (!readBack->matches())
            status = BenchModuleFailed;
    }
    for (const QString &line : std::as_const(lines)) {
        if (status == BenchDone)
            emit output(line);
        else
            emit message(line);
    }
    if (!record(outcome, readBack ? &*readBack : nullptr))
        status = BenchModuleFailed;
    done(status);
}

bool BenchJob::record(const RunOutcome &outcome, const ReadBack *readBack)
{
    ProgrammingRecord entry = ProgrammingRecord::ofWrite(outcome, readBack);
    entry.program = request.program;
    entry.port = request.port;
    entry.baud = writeRate;
    entry.profile = ProgrammingLog::profileOf(request.file);
    const QString problem = ProgrammingLog::append(request.logPath, entry);
    if (problem.isEmpty())
        return true;
    // The write itself stands; only its record is missing.
    emit message(tr("The write was not recorded: %1").arg(problem));
    return false;
}

void BenchJob::finishCheck(const RunOutcome &outcome)
{
    const SettingValues module = readValues(outcome, true);
    QStringList differences;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString command = QLatin1String(setting.command);
        if (!request.settings.contains(command))
            continue;
        const QString ours = request.settings.value(command);
        const QString theirs = module.value(command, tr("(no value)"));
        if (!SettingValue::sameValue(setting, theirs, ours))
            differences.append(tr("%1: module %2, profile %3").arg(command, theirs, ours));
    }
    if (differences.isEmpty()) {
        emit output(tr("Same as the profile."));
        done(BenchDone);
        return;
    }
    for (const QString &line : std::as_const(differences))
        emit output(line);
    done(BenchModuleFailed);
}

int printHistory(const BenchRequest &request, const std::function<void(const QString &)> &output,
                 const std::function<void(const QString &)> &message)
{
    if (!QFileInfo::exists(request.logPath)) {
        message(BenchJob::tr("No write has been recorded in %1.").arg(request.logPath));
        return BenchDone;
    }
    QString error;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(request.logPath, &error);
    if (!error.isEmpty()) {
        message(BenchJob::tr("Cannot read %1: %2").arg(request.logPath, error));
        return BenchUsageError;
    }
    for (const ProgrammingRecord &record : records) {
        if (request.moduleFilter.isEmpty()
            || record.module.value(QStringLiteral("SL")).compare(request.moduleFilter, Qt::CaseInsensitive) == 0)
            output(record.historyLine());
    }
    return BenchDone;
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
