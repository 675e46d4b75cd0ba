#include "logic/linememory.h"

#include "logic/moduleline.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace LineMemory {

QString fileFor(const QString &portName)
{
    const QByteArray hash = QCryptographicHash::hash(portName.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QStringLiteral("tarnowick-line-%1.json").arg(QString::fromLatin1(hash)));
}

void recall(const QString &portName, ModuleLine &line)
{
    QFile file(fileFor(portName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QJsonObject memory = QJsonDocument::fromJson(file.read(4096)).object();
    if (memory.value(QLatin1String("rate")).toInt() != line.rate())
        return; // a guard time measured at another rate may be another module's
    const qint64 ago =
        QDateTime::currentMSecsSinceEpoch() - qint64(memory.value(QLatin1String("lastWrite")).toDouble());
    // Only what can still matter: a clock set back, or a day-old note, is no silence to wait for.
    if (ago >= 0 && ago < ModuleLine::longestGuardMs + ModuleLine::guardMarginMs)
        line.assumeEarlierWrite(ago, memory.value(QLatin1String("guard")).toInt());
}

void keep(const QString &portName, const ModuleLine &line)
{
    const std::optional<qint64> ago = line.msSinceLastWrite();
    if (!ago)
        return;
    const QJsonObject memory{
        {QLatin1String("lastWrite"), double(QDateTime::currentMSecsSinceEpoch() - *ago)},
        {QLatin1String("guard"), line.measuredGuardMs()},
        {QLatin1String("rate"), line.rate()},
    };
    QFile file(fileFor(portName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(memory).toJson(QJsonDocument::Compact));
}

} // namespace LineMemory
