#ifndef ATCOMMANDS_H
#define ATCOMMANDS_H

#include <QStringList>

// The AT commands the program knows, in the order a read run asks for them
// and a write run sends them. Exit ("CN"), store ("WR") and the RSSI query
// ("DB") are sent on their own and are not part of it.
extern const QStringList atCommandList;

#endif // ATCOMMANDS_H
