#include "logic/commandhistory.h"

void CommandHistory::add(const QString &line)
{
    position = -1;
    if (line.isEmpty() || (!sent.isEmpty() && sent.constLast() == line))
        return;
    sent.append(line);
    if (sent.size() > kept)
        sent.removeFirst();
}

std::optional<QString> CommandHistory::older(const QString &current)
{
    if (sent.isEmpty())
        return std::nullopt;
    if (position < 0) {
        draft = current;
        position = int(sent.size());
    }
    position = qMax(0, position - 1);
    return sent.at(position);
}

std::optional<QString> CommandHistory::newer()
{
    if (position < 0)
        return std::nullopt;
    if (++position < sent.size())
        return sent.at(position);
    position = -1;
    return draft;
}
