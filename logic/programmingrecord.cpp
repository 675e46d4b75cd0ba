#include "logic/programmingrecord.h"

#include "catalogue/modulesettings.h"
#include "logic/configentries.h"
#include "logic/settingvalue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

QJsonObject settingsObject(const SettingValues &values)
{
    QJsonObject object;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

SettingValues settingsFrom(const QJsonObject &object)
{
    SettingValues values;
    for (auto it = object.begin(); it != object.end(); ++it)
        values.insert(it.key(), it.value().toString());
    return values;
}

bool syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
}

} // namespace

SettingValues ProgrammingRecord::acknowledged(const RunOutcome &write)
{
    SettingValues values;
    for (const auto &[entry, reply] : write.replies) {
        const std::optional<QPair<QString, QString>> set = parseWriteEntry(entry);
        if (set && !write.refused.contains(entry))
            values.insert(set->first, set->second);
    }
    return values;
}

QByteArray ProgrammingRecord::toJsonLine() const
{
    QJsonObject mismatchObject;
    for (const ReadBack::Mismatch &mismatch : mismatches)
        mismatchObject.insert(
            mismatch.command,
            QJsonObject{{QStringLiteral("written"), mismatch.written}, {QStringLiteral("read"), mismatch.read}});
    const QJsonValue profileValue = profile
        ? QJsonValue(QJsonObject{{QStringLiteral("file"), profile->file}, {QStringLiteral("sha256"), profile->sha256}})
        : QJsonValue(QJsonValue::Null);
    QJsonObject object{
        {QStringLiteral("time"), time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("program"), program},
        {QStringLiteral("port"), port},
        {QStringLiteral("baud"), baud},
        {QStringLiteral("module"), settingsObject(module)},
        {QStringLiteral("profile"), profileValue},
        {QStringLiteral("written"), settingsObject(written)},
        {QStringLiteral("refused"), QJsonArray::fromStringList(refused)},
        {QStringLiteral("verified"), verified},
        {QStringLiteral("mismatches"), mismatchObject},
        {QStringLiteral("interrupted"), interrupted},
    };
    if (!reason.isEmpty())
        object.insert(QStringLiteral("reason"), reason);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<ProgrammingRecord> ProgrammingRecord::fromJsonLine(const QByteArray &line)
{
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    if (!object.contains(QLatin1String("time")) || !object.contains(QLatin1String("written")))
        return std::nullopt;
    ProgrammingRecord record;
    record.time = QDateTime::fromString(object.value(QLatin1String("time")).toString(), Qt::ISODateWithMs);
    record.program = object.value(QLatin1String("program")).toString();
    record.port = object.value(QLatin1String("port")).toString();
    record.baud = object.value(QLatin1String("baud")).toInt();
    record.module = settingsFrom(object.value(QLatin1String("module")).toObject());
    const QJsonObject profile = object.value(QLatin1String("profile")).toObject();
    if (!profile.isEmpty())
        record.profile =
            Profile{profile.value(QLatin1String("file")).toString(), profile.value(QLatin1String("sha256")).toString()};
    record.written = settingsFrom(object.value(QLatin1String("written")).toObject());
    for (const QJsonValue &entry : object.value(QLatin1String("refused")).toArray())
        record.refused.append(entry.toString());
    record.verified = object.value(QLatin1String("verified")).toBool();
    record.interrupted = object.value(QLatin1String("interrupted")).toBool();
    record.reason = object.value(QLatin1String("reason")).toString();
    const QJsonObject mismatches = object.value(QLatin1String("mismatches")).toObject();
    for (auto it = mismatches.begin(); it != mismatches.end(); ++it) {
        const QJsonObject pair = it.value().toObject();
        record.mismatches.append(
            {it.key(), pair.value(QLatin1String("written")).toString(), pair.value(QLatin1String("read")).toString()});
    }
    return record;
}

QString ProgrammingRecord::historyLine() const
{
    const QString serial = module.contains(QLatin1String("SL"))
        ? module.value(QLatin1String("SH")) + module.value(QLatin1String("SL"))
        : QStringLiteral("(no serial number)");
    QString outcome = verified ? QStringLiteral("verified") : QStringLiteral("not verified");
    QStringList differing;
    for (const ReadBack::Mismatch &mismatch : mismatches)
        differing.append(QStringLiteral("%1 holds %2, not %3").arg(mismatch.command, mismatch.read, mismatch.written));
    if (!differing.isEmpty())
        outcome = differing.join(QLatin1String("; "));
    else if (!verified && !reason.isEmpty())
        outcome += QStringLiteral(" (%1)").arg(reason);
    if (!refused.isEmpty())
        outcome += QStringLiteral("; refused %1").arg(refused.join(QLatin1String(", ")));
    return QStringLiteral("%1  %2  %3  %4")
        .arg(time.toUTC().toString(Qt::ISODate), serial, profile ? profile->file : QStringLiteral("(no profile)"),
             outcome);
}

namespace ProgrammingLog {

QString defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("programming-log.jsonl"));
}

std::optional<ProgrammingRecord::Profile> profileOf(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    return ProgrammingRecord::Profile{QFileInfo(path).fileName(), QString::fromLatin1(hash)};
}

std::optional<ProgrammingRecord::Profile> profileIfUnchanged(const QString &path, const SettingValues &loaded,
                                                             const SettingValues &form)
{
    if (loaded.isEmpty())
        return std::nullopt;
    for (auto it = loaded.cbegin(); it != loaded.cend(); ++it) {
        const ModuleSetting *setting = ModuleSettings::find(it.key());
        if (!setting || !SettingValue::sameValue(*setting, form.value(it.key()), it.value()))
            return std::nullopt;
    }
    return profileOf(path);
}

namespace {

// Opens the record for appending, its folder created if need be; empty on success, else the reason.
QString openForAppend(const QString &path, QFile &file)
{
    if (path.isEmpty())
        return QStringLiteral("no file named");
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
    file.setFileName(path);
    // A device or a pipe cannot be appended to, only written.
    const bool regular = !info.exists() || info.isFile();
    if (!file.open(regular ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly))
        return file.errorString();
    return {};
}

} // namespace

QString checkAppendable(const QString &path)
{
    QFile file;
    return openForAppend(path, file);
}

QString append(const QString &path, const ProgrammingRecord &record)
{
    QFile file;
    if (const QString problem = openForAppend(path, file); !problem.isEmpty())
        return problem;
    // One write of the whole line: appends of two programs never interleave inside a record.
    const QByteArray line = record.toJsonLine() + '\n';
    if (file.write(line) != line.size() || !file.flush())
        return file.errorString();
    if (!syncToDisk(file))
        return QStringLiteral("the disk did not confirm the record");
    return {};
}

QList<ProgrammingRecord> read(const QString &path, QString *error, int *skipped)
{
    QList<ProgrammingRecord> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return records;
    }
    int broken = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        if (const std::optional<ProgrammingRecord> record = ProgrammingRecord::fromJsonLine(line))
            records.append(*record);
        else
            ++broken;
    }
    if (skipped)
        *skipped = broken;
    return records;
}

} // namespace ProgrammingLog
