#ifndef AVAILABLEPORTS_H
#define AVAILABLEPORTS_H

#include <QStringList>

#include <functional>

// The names of the serial ports the system offers, in the order it lists them.
QStringList availablePortNames();

// Replaces where the names come from (tests stand in for hardware); an
// empty function brings back the system's own list.
void setPortNameSource(std::function<QStringList()> source);

#endif // AVAILABLEPORTS_H
