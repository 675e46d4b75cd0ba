#include "cli/report.h"

#include "cli/atreport.h"

#include "logic/jobtexts.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Report {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Report", text);
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString readJson(const PortResult &result)
{
    // The values in the order the module was asked, as the old scripts read them.
    QStringList values;
    for (const auto &[command, reply] : result.outcome.run.replies)
        values.append(jsonString(command) + QLatin1String(": ") + jsonString(reply));
    return QStringLiteral("{\"port\": %1, \"baud\": %2, \"values\": {%3}}")
        .arg(jsonString(result.port))
        .arg(result.baud)
        .arg(values.join(QLatin1String(", ")));
}

bool recorded(const PortResult &result)
{
    return result.outcome.record
        && !result.outcome.texts(JobLine::Problem).join(' ').contains(JobText::notRecorded(QString()));
}

QString writeResult(const PortResult &result)
{
    const JobOutcome &outcome = result.outcome;
    if (outcome.run.interrupted)
        return tr("interrupted, recorded");
    if (!succeeded(result) && (!outcome.record || outcome.run.result != RunResult::Completed))
        return tr("failed: %1").arg(reason(result));
    QStringList parts;
    parts.append(outcome.run.refused.isEmpty() ? tr("written")
                                               : tr("refused %1").arg(outcome.run.refused.join(QLatin1String(", "))));
    if (outcome.readBack && outcome.readBack->complete() && !outcome.readBack->mismatches().isEmpty())
        parts.append(tr("read back: %1").arg(reason(result)));
    else if (outcome.readBack && outcome.readBack->complete() && result.verify)
        parts.append(tr("read back"));
    parts.append(recorded(result) ? tr("recorded") : tr("not recorded"));
    return parts.join(QLatin1String(", "));
}

QString resultText(const PortResult &result)
{
    const JobOutcome &outcome = result.outcome;
    switch (result.command) {
    case CliCommand::Write:
    case CliCommand::Bench:
        return writeResult(result);
    case CliCommand::Check:
        if (outcome.status == JobStatus::Done)
            return tr("the same as the profile");
        if (outcome.status == JobStatus::Differs)
            return tr("differs: %1").arg(outcome.differing.join(QLatin1String(", ")));
        break;
    default:
        if (outcome.status == JobStatus::Done)
            return tr("read %1 settings").arg(outcome.run.replies.size());
        break;
    }
    return tr("failed: %1").arg(reason(result));
}

QString secondsText(double seconds)
{
    return QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
}

} // namespace

Lines ofSinglePort(const PortResult &result, bool json)
{
    Lines lines;
    const bool readDone = result.command == CliCommand::Read && result.outcome.status == JobStatus::Done;
    if (readDone && json)
        lines.out.append(readJson(result));
    else if (readDone) {
        for (const auto &[command, reply] : result.outcome.run.replies)
            lines.out.append(command + QLatin1Char('=') + reply);
    }
    // at --json: the commands and replies as one object instead of a line each.
    const bool atJson = result.command == CliCommand::At && json && result.outcome.status != JobStatus::BadRequest;
    if (atJson)
        lines.out.append(Report::atJson(result));
    for (const JobLine &line : result.lines) {
        if (!(atJson && line.kind == JobLine::Result))
            (line.kind == JobLine::Result ? lines.out : lines.err).append(line.text);
    }
    return lines;
}

bool succeeded(const PortResult &result)
{
    return result.status == CliDone;
}

QString reason(const PortResult &result)
{
    const JobOutcome &outcome = result.outcome;
    const RunOutcome &run = outcome.run;
    if (outcome.status == JobStatus::BadRequest)
        return outcome.texts(JobLine::Problem).value(0);
    if (run.kind == RunKind::None) // a search that found nobody, or stopped
        return outcome.status == JobStatus::Interrupted ? JobText::runEnded(RunResult::Interrupted)
                                                        : tr("no module answered at any rate");
    if (run.interrupted || run.result != RunResult::Completed)
        return JobText::runEnded(run.interrupted ? RunResult::Interrupted : run.result);
    if (!run.refused.isEmpty())
        return tr("the module refused %1").arg(run.refused.join(QLatin1String(", ")));
    if (outcome.readBack && !outcome.readBack->mismatches().isEmpty()) {
        QStringList differing;
        for (const ReadBack::Mismatch &mismatch : outcome.readBack->mismatches())
            differing.append(tr("%1 reads back %2").arg(mismatch.command, mismatch.read));
        return differing.join(QLatin1String(", "));
    }
    if (outcome.readBack && !outcome.readBack->complete())
        return tr("the read-back did not finish");
    if (outcome.record && !recorded(result))
        return tr("the write was not recorded");
    if (outcome.status == JobStatus::Differs)
        return outcome.differing.join(QLatin1String(", "));
    return outcome.texts(JobLine::Problem).value(0);
}

QString moduleLine(const PortResult &result, int portWidth)
{
    QStringList columns{result.port.leftJustified(portWidth), result.serial().leftJustified(14)};
    if (!result.name.isEmpty())
        columns.append(result.name);
    columns << resultText(result) << secondsText(result.seconds);
    return columns.join(QLatin1String("  "));
}

QString moduleJson(const PortResult &result)
{
    QJsonObject mismatches;
    if (result.outcome.readBack) {
        for (const ReadBack::Mismatch &mismatch : result.outcome.readBack->mismatches())
            mismatches.insert(
                mismatch.command,
                QJsonObject{{QStringLiteral("written"), mismatch.written}, {QStringLiteral("read"), mismatch.read}});
    }
    QJsonObject object{
        {QStringLiteral("port"), result.port},
        {QStringLiteral("module"), result.serial().isEmpty() ? QJsonValue() : QJsonValue(result.serial())},
        {QStringLiteral("result"), resultText(result)},
        {QStringLiteral("status"), result.status},
        {QStringLiteral("mismatches"), mismatches},
        {QStringLiteral("seconds"), qRound(result.seconds * 10) / 10.0},
    };
    if (!result.name.isEmpty())
        object.insert(QStringLiteral("name"), result.name);
    if (result.command == CliCommand::Read && succeeded(result)) {
        QJsonObject values;
        for (const auto &[command, reply] : result.outcome.run.replies)
            values.insert(command, reply);
        object.insert(QStringLiteral("values"), values);
    }
    return compact(object);
}

QString summary(CliCommand command, const QList<PortResult> &results)
{
    QStringList failures;
    int good = 0;
    int differing = 0;
    for (const PortResult &result : results) {
        if (succeeded(result))
            ++good;
        else if (result.outcome.status == JobStatus::Differs)
            ++differing;
        else
            failures.append(QStringLiteral("%1: %2").arg(result.port, reason(result)));
    }
    QStringList parts;
    const bool writes = command == CliCommand::Write || command == CliCommand::Bench;
    if (good || failures.isEmpty())
        parts.append(writes                             ? tr("%1 written and verified").arg(good)
                         : command == CliCommand::Check ? tr("%1 the same as the profile").arg(good)
                                                        : tr("%1 read").arg(good));
    if (differing)
        parts.append(tr("%1 %2").arg(differing).arg(differing == 1 ? tr("differs") : tr("differ")));
    if (!failures.isEmpty())
        parts.append(tr("%1 failed (%2)").arg(failures.size()).arg(failures.join(QLatin1String("; "))));
    const QString all = parts.join(QLatin1String(", "));
    return results.size() == 1 ? tr("1 module: %1.").arg(all) : tr("%1 modules: %2.").arg(results.size()).arg(all);
}

QString summaryJson(CliCommand command, const QList<PortResult> &results)
{
    int good = 0;
    for (const PortResult &result : results)
        good += succeeded(result) ? 1 : 0;
    return compact(QJsonObject{
        {QStringLiteral("summary"), summary(command, results)},
        {QStringLiteral("modules"), int(results.size())},
        {QStringLiteral("succeeded"), good},
        {QStringLiteral("failed"), int(results.size()) - good},
        {QStringLiteral("status"), worstStatus(results)},
    });
}

int worstStatus(const QList<PortResult> &results)
{
    int worst = CliDone;
    for (const PortResult &result : results)
        worst = qMax(worst, result.status);
    return worst;
}

} // namespace Report
