#ifndef REPORT_H
#define REPORT_H

#include "cli/porttask.h"

#include <QStringList>

// What tarnowick-cli prints of how its ports' jobs ended.
namespace Report {

// One port alone: the read's values (or its JSON object) and every line of
// the outcome, results for standard output, the rest for standard error.
struct Lines
{
    QStringList out;
    QStringList err;
};
Lines ofSinglePort(const PortResult &result, bool json);

// One line per module of several: "/dev/ttyUSB1  13A20040F1A0C3  written, read back, recorded  2.1 s".
QString moduleLine(const PortResult &result, int portWidth);
QString moduleJson(const PortResult &result);

// "4 modules: 3 written and verified, 1 failed (/dev/ttyUSB2: the module did not answer)."
QString summary(CliCommand command, const QList<PortResult> &results);
QString summaryJson(CliCommand command, const QList<PortResult> &results);

// Why a module failed, in a few words: "the module did not answer".
QString reason(const PortResult &result);
// Whether the module did its part: written and verified, read, the same as the profile.
bool succeeded(const PortResult &result);

int worstStatus(const QList<PortResult> &results);

} // namespace Report

#endif // REPORT_H
