#ifndef CLIOPTIONS_H
#define CLIOPTIONS_H

#include "logic/profilefile.h"

#include <optional>

enum class CliCommand { Read, Save, Write, Search, Check, History, Ports, Bench, At };

// What the command line of tarnowick-cli asks for.
struct CliOptions
{
    enum Outcome { Run, ShowHelp, ShowVersion, Invalid };

    Outcome outcome = Run;
    QString text; // the help text, or why the command line is wrong
    CliCommand command = CliCommand::Read;
    QStringList ports;     // --port, once or more; a path relative to the working folder is made absolute
    bool allPorts = false; // every port where a module answers
    QString portGlob;      // ports the system does not list: a folder and a file pattern
    bool probe = false;    // ports: ask each port whether a module answers
    // What the module runs at, as given; missing ones come from what this
    // port's module was left at, else 9600 8N1.
    std::optional<int> baud;
    std::optional<int> parity;   // as NB stores it: 0 none, 1 even, 2 odd
    std::optional<int> stopBits; // as SB stores it: 0 one, 1 two
    bool search = false;         // search the rates when the module does not answer
    bool json = false;
    bool verify = true; // write: read back what was written
    bool verbose = false;
    QString file;           // save: where to; write and check: the profile read
    SettingValues settings; // write and check: the profile's settings, checked
    QString logPath;        // the programming record
    QString moduleFilter;   // history: only this module (SL, or SH and SL as history prints it)
    QString namePattern;    // write and bench: "SCORE-{n:03}" names each module written
    int first = 1;          // the pattern's first number
    QStringList atCommands; // at: the AT commands, in order ("ATNO", "ATNI GATE-WEST")
    bool force = false;     // at: send commands that cut the PC off from the module
};

// arguments[0] is the program. A profile to write is read and checked here,
// before any port is opened, so a bad file changes nothing.
CliOptions parseCliOptions(const QStringList &arguments);

#endif // CLIOPTIONS_H
