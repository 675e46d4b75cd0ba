#include "controlcommand.h"

#include "moduleletters.h"

#include <QStringList>

namespace {

struct ActionName
{
    const char *name;
    ControlCommand::Action action;
};

const ActionName Actions[] = {
    {"plug", ControlCommand::Action::Plug},
    {"unplug", ControlCommand::Action::Unplug},
    {"wake", ControlCommand::Action::Wake},
    {"factory", ControlCommand::Action::Factory},
};

std::optional<ControlCommand::Action> actionNamed(const QString &word)
{
    for (const ActionName &entry : Actions) {
        if (word.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.action;
    }
    return std::nullopt;
}

} // namespace

std::optional<ControlCommand> parseControlCommand(const QString &line, int modules, QString *error)
{
    error->clear();
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    const std::optional<ControlCommand::Action> action = actionNamed(words.constFirst());
    if (words.size() != 2 || !action) {
        *error = QStringLiteral("\"%1\" is not a command: plug, unplug, wake or factory, then a module letter or all")
                     .arg(line.trimmed());
        return std::nullopt;
    }
    ControlCommand command;
    command.action = *action;
    const QString target = words.at(1).toUpper();
    if (target == QLatin1String("ALL")) {
        for (int i = 0; i < modules; ++i)
            command.modules.append(moduleLetter(i));
        return command;
    }
    if (target.size() != 1 || moduleIndex(target.at(0)) < 0 || moduleIndex(target.at(0)) >= modules) {
        const QString existing = modules == 1
            ? QStringLiteral("the only module is A")
            : QStringLiteral("the modules are A to %1").arg(moduleLetter(modules - 1));
        *error = QStringLiteral("\"%1\": there is no module %2 (%3)").arg(line.trimmed(), words.at(1), existing);
        return std::nullopt;
    }
    command.modules.append(target.at(0));
    return command;
}
