#include "cli/atreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Report {

QString atJson(const PortResult &result)
{
    QJsonArray commands;
    for (const TypedCommand &typed : result.outcome.typed) {
        const QJsonValue reply = typed.sent ? QJsonValue(typed.replies.join(QLatin1String(", "))) : QJsonValue();
        commands.append(QJsonObject{{QStringLiteral("command"), typed.line}, {QStringLiteral("reply"), reply}});
    }
    const QJsonObject object{
        {QStringLiteral("port"), result.port},
        {QStringLiteral("baud"), result.baud},
        {QStringLiteral("commands"), commands},
    };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace Report
