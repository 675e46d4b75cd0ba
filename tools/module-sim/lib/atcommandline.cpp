#include "atcommandline.h"

namespace {

// "ATNI GATE-WEST" names the node GATE-WEST; "ATNI  " (two blanks) a blank.
QByteArray textAfterName(QByteArray rest)
{
    if (rest.startsWith(' '))
        rest.remove(0, 1);
    if (rest.startsWith('=')) {
        rest.remove(0, 1);
        if (rest.startsWith(' '))
            rest.remove(0, 1);
    }
    return rest;
}

AtCommand parseCommand(const QByteArray &text)
{
    const QByteArray entry = text.trimmed();
    if (entry.size() < 2)
        return {};
    AtCommand command;
    command.name = entry.left(2).toUpper();
    QByteArray rest = entry.mid(2).trimmed();
    if (rest.startsWith('='))
        rest = rest.mid(1).trimmed();
    command.parameter = rest;
    // Only the blanks before the name go: those at the end may be the text's.
    command.text = textAfterName(text.mid(text.indexOf(entry) + 2));
    return command;
}

} // namespace

bool parseAtLine(const QByteArray &line, QList<AtCommand> *commands)
{
    commands->clear();
    const QByteArray text = line.trimmed();
    if (text.size() < 2 || text.left(2).toUpper() != "AT")
        return false;
    const QByteArray chain = line.mid(line.indexOf(text) + 2);
    if (chain.trimmed().isEmpty())
        return true;
    for (const QByteArray &entry : chain.split(','))
        commands->append(parseCommand(entry));
    return true;
}
