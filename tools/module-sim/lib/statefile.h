#ifndef STATEFILE_H
#define STATEFILE_H

#include "registerstore.h"

// The stored registers of every module of the process in one JSON file,
// keyed by module letter:
//   { "A": { "ID": "3333", "NI": " ", ... }, "B": { ... } }
// Values are written as the module reports them (hexadecimal, NI as text).
class StateFile : public RegisterStore
{
public:
    explicit StateFile(const QString &path);

    // A missing file is an empty store; an unreadable or malformed one, or
    // one with a value the module would refuse, is an error.
    bool load(QString *error);
    QJsonObject storedRegisters(QChar module) const override;
    // Rewrites the whole file; the other modules' entries are kept.
    bool store(QChar module, const QJsonObject &registers, QString *error) override;

private:
    QString path;
    QJsonObject modules;
};

#endif // STATEFILE_H
