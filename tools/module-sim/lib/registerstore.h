#ifndef REGISTERSTORE_H
#define REGISTERSTORE_H

#include <QChar>
#include <QJsonObject>
#include <QString>

// The non-volatile memory of the modules: what "WR" writes and what a
// module starts with.
class RegisterStore
{
public:
    virtual ~RegisterStore() = default;
    virtual QJsonObject storedRegisters(QChar module) const = 0;
    virtual bool store(QChar module, const QJsonObject &registers, QString *error) = 0;
};

#endif // REGISTERSTORE_H
