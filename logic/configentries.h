#ifndef CONFIGENTRIES_H
#define CONFIGENTRIES_H

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// The entries of a write run: "NAME=value" for each setting of the catalogue
// that a write run sends and that has a non-empty value, in catalogue order
// with the node identifier last, then "WR". Values go out as given (no case
// change, no padding); other names are ignored.
QStringList configWriteEntries(const QHash<QString, QString> &values);

// The entry that sets command to value: "ID=3333". The module takes all
// after NI as its name, so that one goes out as "NI GATE-WEST".
QString writeEntry(const QString &command, const QString &value);

// The command and value an entry sets; nothing for a query ("VR") or "WR".
std::optional<QPair<QString, QString>> parseWriteEntry(const QString &entry);

// Whether the module answers the entry with "OK" (it sets or stores
// something) rather than with a value.
bool isSettingEntry(const QString &entry);

#endif // CONFIGENTRIES_H
