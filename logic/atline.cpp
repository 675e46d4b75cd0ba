#include "logic/atline.h"

namespace {

bool hasPrefix(const QString &text)
{
    return text.left(2).compare(QLatin1String("AT"), Qt::CaseInsensitive) == 0;
}

// "NI GATE-WEST" names the node GATE-WEST, "NI  " (two blanks) a blank one.
QString textAfterName(QString rest)
{
    if (rest.startsWith(QLatin1Char(' ')))
        rest.remove(0, 1);
    if (rest.startsWith(QLatin1Char('='))) {
        rest.remove(0, 1);
        if (rest.startsWith(QLatin1Char(' ')))
            rest.remove(0, 1);
    }
    return rest;
}

AtCommand commandOf(const QString &part)
{
    const QString trimmed = part.trimmed();
    AtCommand command;
    command.name = trimmed.left(2).toUpper();
    QString rest = trimmed.mid(2).trimmed();
    if (rest.startsWith(QLatin1Char('=')))
        rest = rest.mid(1).trimmed();
    command.parameter = rest;
    const qsizetype nameAt = part.indexOf(trimmed.left(2));
    command.text = textAfterName(part.mid(nameAt + 2));
    return command;
}

} // namespace

std::optional<qint64> AtCommand::number() const
{
    return AtLine::number(parameter);
}

namespace AtLine {

std::optional<qint64> number(const QString &text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok, 16);
    if (!ok || digits.isEmpty() || value < 0)
        return std::nullopt;
    return value;
}

QString withPrefix(const QString &typed)
{
    qsizetype start = 0;
    while (start < typed.size() && typed.at(start).isSpace())
        ++start;
    const QString text = typed.mid(start);
    return QLatin1String("AT") + (hasPrefix(text) ? text.mid(2) : text);
}

QString entry(const QString &line)
{
    return withPrefix(line).mid(2);
}

QList<AtCommand> commands(const QString &line)
{
    const QString chain = entry(line);
    QList<AtCommand> list;
    if (chain.trimmed().isEmpty())
        return list;
    for (const QString &part : chain.split(QLatin1Char(',')))
        list.append(commandOf(part));
    return list;
}

int expectedReplies(const QString &line)
{
    return qMax(1, int(commands(line).size()));
}

bool isError(const QString &reply)
{
    return reply.trimmed().compare(QLatin1String("ERROR"), Qt::CaseInsensitive) == 0;
}

} // namespace AtLine
