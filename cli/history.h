#ifndef HISTORY_H
#define HISTORY_H

#include <QString>

#include <functional>

struct CliOptions;

// Prints the programming record, one line per write (history); the exit status.
int printHistory(const CliOptions &options, const std::function<void(const QString &)> &output,
                 const std::function<void(const QString &)> &message);

#endif // HISTORY_H
