#ifndef DEBUGLOG_H
#define DEBUGLOG_H

#include <QString>

// Everything but the device paths goes to stderr, so that stdout stays
// machine-readable. Each line starts with the time of day to the millisecond.
void setVerboseLogging(bool verbose);
// Shown with -v only.
void logVerbose(const QString &text);
// Always shown.
void logProblem(const QString &text);
// Always shown: what a person watching the simulator wants to see.
void logNotice(const QString &text);

#endif // DEBUGLOG_H
