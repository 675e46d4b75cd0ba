#ifndef BENCHOPTIONS_H
#define BENCHOPTIONS_H

#include "logic/benchjob.h"

// What the command line of tarnowick-cli asks for.
struct BenchOptions
{
    enum Outcome { Run, ShowHelp, ShowVersion, Invalid };

    Outcome outcome = Run;
    QString text; // the help text, or why the command line is wrong
    BenchRequest request;
    bool verbose = false;
};

// arguments[0] is the program. A profile to write is read and checked here,
// before any port is opened, so a bad file changes nothing.
BenchOptions parseBenchOptions(const QStringList &arguments);

#endif // BENCHOPTIONS_H
