#ifndef CONFIGENTRIES_H
#define CONFIGENTRIES_H

#include <QHash>
#include <QString>
#include <QStringList>

// The entries of a write run: "NAME=value" for each setting of the catalogue
// that a write run sends and that has a non-empty value, in catalogue order,
// then "WR". Values go out as given (no case change, no padding); other
// names are ignored.
QStringList configWriteEntries(const QHash<QString, QString> &values);

#endif // CONFIGENTRIES_H
