#include "logic/consolewarnings.h"

#include "logic/atline.h"
#include "logic/consoletexts.h"

namespace ConsoleWarnings {

QStringList of(const QString &line)
{
    QStringList warnings;
    for (const AtCommand &command : AtLine::commands(line)) {
        const QString &name = command.name;
        if (name == QLatin1String("RE"))
            warnings.append(ConsoleText::factorySettings());
        // A query changes nothing; a value the module cannot read it refuses.
        const qint64 value = command.isQuery() ? -1 : command.number().value_or(-1);
        if (value < 0)
            continue;
        if (name == QLatin1String("D6") && value == 1)
            warnings.append(ConsoleText::rtsFlowControl());
        else if (name == QLatin1String("SM") && value != 0)
            warnings.append(ConsoleText::sleeps(command.parameter));
        else if (name == QLatin1String("CT") && value * 100 < shortestTimeoutMs)
            warnings.append(ConsoleText::shortTimeout(command.parameter, value * 100));
        else if (name == QLatin1String("AP") && value != 0)
            warnings.append(ConsoleText::apiMode(command.parameter));
    }
    return warnings;
}

} // namespace ConsoleWarnings
