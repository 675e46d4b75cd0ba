#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>

class QCommandLineParser;
class QCoreApplication;

// The program's options of its own: --port NAME offers and selects a port
// the system does not list, such as a virtual serial port; --profile FILE
// fills the form from a profile file at start-up; --verbose prints the
// program's debug output (the serial dialogue, the range test, files).
struct CommandLine
{
    QString extraPort;
    QString profile;
    bool verbose = false;
};

void describeCommandLine(QCommandLineParser &parser);
// Parses the application's arguments; prints help or an error and exits on --help or a bad option.
CommandLine parseCommandLine(const QCoreApplication &app);
bool asksForHelp(int argc, char **argv);

#endif // COMMANDLINE_H
