#include "statefile.h"

#include "moduleletters.h"
#include "registerbank.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

StateFile::StateFile(const QString &path)
    : path(path)
{
}

bool StateFile::load(QString *error)
{
    QFile file(path);
    if (!file.exists()) {
        modules = {};
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("%1 is not a module state file: %2")
                     .arg(path,
                          parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                       : QStringLiteral("no JSON object"));
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        QString problem = QStringLiteral("not an object");
        RegisterBank check;
        const bool knownModule = it.key().size() == 1 && isModuleLetter(it.key().at(0));
        if (!knownModule || !it.value().isObject() || !check.restore(it.value().toObject(), &problem)) {
            *error = QStringLiteral("%1: module \"%2\": %3")
                         .arg(path, it.key(), knownModule ? problem : QStringLiteral("unknown module"));
            return false;
        }
    }
    modules = root;
    return true;
}

QJsonObject StateFile::storedRegisters(QChar module) const
{
    return modules.value(QString(module)).toObject();
}

bool StateFile::store(QChar module, const QJsonObject &registers, QString *error)
{
    QJsonObject updated = modules;
    updated.insert(QString(module), registers);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(updated).toJson(QJsonDocument::Indented)) < 0
        || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    modules = updated;
    return true;
}
