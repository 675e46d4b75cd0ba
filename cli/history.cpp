#include "cli/history.h"

#include "cli/clioptions.h"
#include "cli/porttask.h"
#include "logic/programmingrecord.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The module's SL alone, or SH and SL as the history prints them.
bool isOfModule(const ProgrammingRecord &record, const QString &serial)
{
    const QString low = record.module.value(QStringLiteral("SL"));
    const QString whole = record.module.value(QStringLiteral("SH")) + low;
    return (!low.isEmpty() && low.compare(serial, Qt::CaseInsensitive) == 0)
        || (!whole.isEmpty() && whole.compare(serial, Qt::CaseInsensitive) == 0);
}

QString tr(const char *text)
{
    return QCoreApplication::translate("History", text);
}

} // namespace

int printHistory(const CliOptions &options, const std::function<void(const QString &)> &output,
                 const std::function<void(const QString &)> &message)
{
    if (!QFileInfo::exists(options.logPath)) {
        message(tr("No write has been recorded in %1.").arg(options.logPath));
        return CliDone;
    }
    QString error;
    int skipped = 0;
    const QList<ProgrammingRecord> records = ProgrammingLog::read(options.logPath, &error, &skipped);
    if (!error.isEmpty()) {
        message(tr("Cannot read %1: %2").arg(options.logPath, error));
        return CliUsageError;
    }
    for (const ProgrammingRecord &record : records) {
        if (options.moduleFilter.isEmpty() || isOfModule(record, options.moduleFilter))
            output(record.historyLine());
    }
    if (skipped == 1)
        message(tr("Skipped 1 line of %1 that is no record.").arg(options.logPath));
    else if (skipped > 1)
        message(tr("Skipped %1 lines of %2 that are no record.").arg(skipped).arg(options.logPath));
    return CliDone;
}
