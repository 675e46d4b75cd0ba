#ifndef CONTROLCOMMAND_H
#define CONTROLCOMMAND_H

#include <QChar>
#include <QList>
#include <QString>
#include <optional>

// A line on the simulator's standard input, as a person at a production
// bench or a test types it: "unplug C", "plug all", "wake B", "factory A".
struct ControlCommand
{
    enum class Action { Plug, Unplug, Wake, Factory };

    Action action = Action::Plug;
    QList<QChar> modules; // in letter order
};

// Reads one line of a simulator with this many modules. A line that is no
// command gives nothing, with the reason in error; a blank line gives
// nothing and no reason.
std::optional<ControlCommand> parseControlCommand(const QString &line, int modules, QString *error);

#endif // CONTROLCOMMAND_H
