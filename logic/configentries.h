#ifndef CONFIGENTRIES_H
#define CONFIGENTRIES_H

#include <QHash>
#include <QString>
#include <QStringList>

// The settings a write run may send, in the order it sends them.
extern const QStringList configWritableCommands;

// The entries of a write run: "NAME=value" for each writable command of the
// catalogue that has a non-empty value, in catalogue order, then "WR".
// Values go out as given (no case change, no padding); other names are ignored.
QStringList configWriteEntries(const QHash<QString, QString> &values);

#endif // CONFIGENTRIES_H
